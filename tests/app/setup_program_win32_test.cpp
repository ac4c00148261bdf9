// Setup.exe as a program of its own. Given a command it behaves as the command-line program, writing to the
// files its standard handles were redirected to, byte for byte; given options only it opens its dialog with
// them.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "app/resource.h"
#include "platform/wide_text_win32.h"
#include "platform/windows_headers_win32.h"
#include "support/dialog_harness_win32.h"
#include "support/temp_dir.h"

namespace {

// The examples as a program started elsewhere sees them: with their drive.
std::string Example(const std::string& name) {
    return std::filesystem::absolute(std::filesystem::path(INSTALLER_SOURCE_DIR) / "examples" / name)
        .string();
}
const std::string kDistribution = Example("distribution");
const std::string kKeilUv3 = Example("keil-uv3");

struct ProgramRun {
    int status = -1;
    std::string out;
    std::string err;
};

// Built in steps: GCC 12 warns wrongly about a chain of + that starts with a literal.
std::string Quoted(const std::string& text) {
    std::string quoted(1, '"');
    quoted += text;
    quoted += '"';
    return quoted;
}

HANDLE CreateInheritable(const std::string& path) {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    return ::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
}

// Setup.exe started with its standard output and error going to files; the test goes on while it runs.
class ChildProgram {
  public:
    ChildProgram(const std::string& program, const std::string& args) {
        out_ = CreateInheritable(scratch_.str() + "\\stdout.txt");
        err_ = CreateInheritable(scratch_.str() + "\\stderr.txt");
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = INVALID_HANDLE_VALUE;
        startup.hStdOutput = out_;
        startup.hStdError = err_;
        std::string commandLine = Quoted(program) + " " + args;
        if (!::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                              &startup, &process_))
            process_ = {};
    }
    ~ChildProgram() {
        if (process_.hProcess != nullptr) {
            if (::WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT)
                ::TerminateProcess(process_.hProcess, 99);
            ::CloseHandle(process_.hThread);
            ::CloseHandle(process_.hProcess);
        }
        ::CloseHandle(out_);
        ::CloseHandle(err_);
    }
    ChildProgram(const ChildProgram&) = delete;
    ChildProgram& operator=(const ChildProgram&) = delete;

    DWORD Id() const { return process_.dwProcessId; }

    // Waits for the end; a program still running then is ended, with status -1.
    ProgramRun Finish(DWORD timeoutMs = 60000) {
        ProgramRun run;
        if (process_.hProcess == nullptr) return run;
        if (::WaitForSingleObject(process_.hProcess, timeoutMs) == WAIT_OBJECT_0) {
            DWORD status = 0;
            ::GetExitCodeProcess(process_.hProcess, &status);
            run.status = static_cast<int>(status);
        } else {
            ::TerminateProcess(process_.hProcess, 99);
            ::WaitForSingleObject(process_.hProcess, 10000);
        }
        run.out = scratch_.Read("stdout.txt");
        run.err = scratch_.Read("stderr.txt");
        return run;
    }

  private:
    TempDir scratch_;
    HANDLE out_ = INVALID_HANDLE_VALUE;
    HANDLE err_ = INVALID_HANDLE_VALUE;
    PROCESS_INFORMATION process_{};
};

ProgramRun RunProgram(const std::string& program, const std::string& args) {
    return ChildProgram(program, args).Finish();
}

// Without an adapter (Wine's HID stack has none), the adapter command is the start-up's check and script
// load.
TEST(SetupExe, AdapterCommandSearchesTheSystemsHidDevicesAndLoadsTheScript) {
    TempDir work;
    work.Write("Setup.ini", "[FILE]\r\n");
    const ProgramRun run = RunProgram(INSTALLER_SETUP_PROGRAM, "-C " + Quoted(work.str()) + " adapter");
    EXPECT_EQ(run.status, 1) << run.out << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err,
              "Detect if Trelvor ICE adapter is exist...\nTrelvor 8051 ICE adapter is not found !\n");
}

TEST(SetupExe, MissingScriptPrintsTheBoxAndFails) {
    TempDir work;
    const ProgramRun run = RunProgram(INSTALLER_SETUP_PROGRAM, "-C " + Quoted(work.str()) + " adapter");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "[Database Installer] 沒有找到 " + work.str() + "\\Setup.ini .\n");
}

TEST(SetupExe, InstallCommandInACopyOfTheSampleTree) {
    TempDir scratch;
    std::filesystem::copy(kKeilUv3, scratch / "keil", std::filesystem::copy_options::recursive);
    const ProgramRun run =
        RunProgram(INSTALLER_SETUP_PROGRAM, "-C " + Quoted(kDistribution) + " --keil-root " +
                                                Quoted((scratch / "keil").string()) + " install");
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_EQ(run.out, "[Database Installer] Database is installed successfully !\n");
    EXPECT_TRUE(scratch.Exists("keil/C51/BIN/TRELVOROCD.DLL"));
}

// Help, the version and every wrong command line go to the console, even without a command.
TEST(SetupExe, HelpVersionAndWrongUsageUseTheConsole) {
    const ProgramRun version = RunProgram(INSTALLER_SETUP_PROGRAM, "--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "Version 2.21\n");

    const ProgramRun help = RunProgram(INSTALLER_SETUP_PROGRAM, "--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("Usage: Setup ", 0), 0u) << help.out;
    EXPECT_NE(help.out.find("open the installer's dialog"), std::string::npos) << help.out;

    const ProgramRun wrong = RunProgram(INSTALLER_SETUP_PROGRAM, "frobnicate");
    EXPECT_EQ(wrong.status, 2);
    EXPECT_EQ(wrong.out, "");
    EXPECT_EQ(wrong.err, "Setup: unknown command 'frobnicate' (try 'Setup --help')\n");

    const ProgramRun badOption = RunProgram(INSTALLER_SETUP_PROGRAM, "--codepage nine");
    EXPECT_EQ(badOption.status, 2);
    EXPECT_EQ(badOption.err.rfind("Setup: option --codepage needs", 0), 0u) << badOption.err;

    TempDir scratch;
    const std::string missing = scratch.str() + "\\missing";
    const ProgramRun badFolder = RunProgram(INSTALLER_SETUP_PROGRAM, "-C " + Quoted(missing));
    EXPECT_EQ(badFolder.status, 2);
    EXPECT_EQ(badFolder.err.rfind("Setup: cannot change to folder '" + missing + "': ", 0), 0u)
        << badFolder.err;
}

// The program name comes from the executable's file name, in the case the system reports it.
TEST(SetupExe, RenamedProgramLooksForItsOwnScript) {
    TempDir work;
    std::filesystem::copy_file(std::filesystem::path(INSTALLER_SETUP_PROGRAM), work / "Installer.v2.EXE");
    const ProgramRun run =
        RunProgram(work.str() + "\\Installer.v2.EXE", "-C " + Quoted(work.str()) + " adapter");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "[Database Installer] 沒有找到 " + work.str() + "\\Installer.v2.ini .\n");
}

std::wstring VersionString(const std::vector<char>& info, const std::wstring& name) {
    void* value = nullptr;
    UINT length = 0;
    const std::wstring key = L"\\StringFileInfo\\040404b0\\" + name;
    if (!::VerQueryValueW(info.data(), key.c_str(), &value, &length) || length == 0) return L"(none)";
    return std::wstring(static_cast<const wchar_t*>(value), length - 1);
}

TEST(SetupExe, VersionRecord) {
    const std::wstring program = platform::WideFromText(INSTALLER_SETUP_PROGRAM);
    DWORD ignored = 0;
    std::vector<char> info(::GetFileVersionInfoSizeW(program.c_str(), &ignored));
    ASSERT_FALSE(info.empty());
    ASSERT_TRUE(::GetFileVersionInfoW(program.c_str(), 0, static_cast<DWORD>(info.size()), info.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00020002u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000001u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00020002u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00000001u);
    EXPECT_EQ(VersionString(info, L"FileDescription"), L"Setup MFC Application");
    EXPECT_EQ(VersionString(info, L"InternalName"), L"Setup");
    EXPECT_EQ(VersionString(info, L"OriginalFilename"), L"Setup.EXE");
}

// --- Options only: the dialog ---

struct ProcessWindowSearch {
    DWORD process;
    std::wstring caption;
    HWND found = nullptr;
};

// The text of a window of another process: asked of the window itself, with a limit on the wait.
std::wstring TextOfForeign(HWND window) {
    wchar_t text[512] = {};
    DWORD_PTR copied = 0;
    ::SendMessageTimeoutW(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000,
                          &copied);
    return text;
}

BOOL CALLBACK MatchProcessWindow(HWND window, LPARAM lParam) {
    auto* search = reinterpret_cast<ProcessWindowSearch*>(lParam);
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    if (process != search->process || !::IsWindowVisible(window) || TextOfForeign(window) != search->caption)
        return TRUE;
    search->found = window;
    return FALSE;
}

HWND WaitForProcessWindow(DWORD process, const std::wstring& caption) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline) {
        ProcessWindowSearch search{process, caption};
        ::EnumWindows(MatchProcessWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found != nullptr) return search.found;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return nullptr;
}

BOOL CALLBACK CollectForeignStatic(HWND child, LPARAM lParam) {
    wchar_t kind[32] = {};
    ::GetClassNameW(child, kind, 32);
    const LONG_PTR style = ::GetWindowLongPtrW(child, GWL_STYLE);
    if (_wcsicmp(kind, L"Static") == 0 && (style & SS_TYPEMASK) != SS_ICON)
        reinterpret_cast<std::vector<std::wstring>*>(lParam)->push_back(TextOfForeign(child));
    return TRUE;
}

void ClickForeign(HWND owner, int id) {
    ::PostMessageW(owner, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(owner, id)));
}

// Setup.exe with options only opens its dialog and applies them: the simulated adapter (its arrival reaches
// the dialog and the upgrade runs) and --keil-root in place of the folder browser. It writes nothing.
TEST(SetupExe, OptionsOnlyOpenTheDialogWithThem) {
    if (!DialogHarness::WindowsAvailable()) GTEST_SKIP() << "no display to show windows on";
    TempDir scratch;
    std::filesystem::copy(kKeilUv3, scratch / "keil", std::filesystem::copy_options::recursive);
    ChildProgram program(INSTALLER_SETUP_PROGRAM,
                         "-C " + Quoted(kDistribution) +
                             " --simulate-adapter=version=2.20,detach-ms=200,reset-ms=200 --keil-root " +
                             Quoted((scratch / "keil").string()));

    const HWND dialog = WaitForProcessWindow(program.Id(), L"Trelvor 8051 Database Installer");
    ASSERT_NE(dialog, nullptr);
    const HWND upgraded = WaitForProcessWindow(program.Id(), L"Database Installer");
    ASSERT_NE(upgraded, nullptr) << "no box at the end of the upgrade";
    std::vector<std::wstring> texts;
    ::EnumChildWindows(upgraded, CollectForeignStatic, reinterpret_cast<LPARAM>(&texts));
    EXPECT_EQ(texts, (std::vector<std::wstring>{L"ICE adapter is upgraded !"}));
    ClickForeign(upgraded, IDOK);

    ClickForeign(dialog, IDC_BROWSE);
    const HWND root = ::GetDlgItem(dialog, IDC_KEIL_ROOT);
    const std::wstring expectedRoot = platform::WideFromText((scratch / "keil").string());
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (TextOfForeign(root) != expectedRoot && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(TextOfForeign(root), expectedRoot);
    EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(dialog, IDC_INSTALL)));

    ClickForeign(dialog, IDC_EXIT);
    const ProgramRun run = program.Finish(20000);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "");
}

}  // namespace
