// Setup.exe given a command: it behaves as the command-line program, writing to the files its standard
// handles were redirected to, byte for byte.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/wide_text_win32.h"
#include "platform/windows_headers_win32.h"
#include "support/temp_dir.h"

namespace {

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

ProgramRun RunProgram(const std::string& program, const std::string& args) {
    TempDir scratch;
    const HANDLE out = CreateInheritable(scratch.str() + "\\stdout.txt");
    const HANDLE err = CreateInheritable(scratch.str() + "\\stderr.txt");
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = INVALID_HANDLE_VALUE;
    startup.hStdOutput = out;
    startup.hStdError = err;
    std::string commandLine = Quoted(program) + " " + args;
    PROCESS_INFORMATION process{};
    ProgramRun run;
    if (::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                         &process)) {
        if (::WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0) {
            DWORD status = 0;
            ::GetExitCodeProcess(process.hProcess, &status);
            run.status = static_cast<int>(status);
        } else {
            ::TerminateProcess(process.hProcess, 99);
        }
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
    }
    ::CloseHandle(out);
    ::CloseHandle(err);
    run.out = scratch.Read("stdout.txt");
    run.err = scratch.Read("stderr.txt");
    return run;
}

TEST(SetupExe, StartUpFindsItsScript) {
    TempDir work;
    work.Write("Setup.ini", "[FILE]\r\n");
    const ProgramRun run = RunProgram(INSTALLER_SETUP_PROGRAM, "-C " + Quoted(work.str()));
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_EQ(run.out, "");
}

TEST(SetupExe, MissingScriptPrintsTheBoxAndFails) {
    TempDir work;
    const ProgramRun run = RunProgram(INSTALLER_SETUP_PROGRAM, "-C " + Quoted(work.str()));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "[Database Installer] 沒有找到 " + work.str() + "\\Setup.ini .\n");
}

TEST(SetupExe, VersionAndWrongUsage) {
    const ProgramRun version = RunProgram(INSTALLER_SETUP_PROGRAM, "--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "Version 2.21\n");
    const ProgramRun wrong = RunProgram(INSTALLER_SETUP_PROGRAM, "frobnicate");
    EXPECT_EQ(wrong.status, 2);
    EXPECT_EQ(wrong.out, "");
    EXPECT_EQ(wrong.err, "Setup: unknown command 'frobnicate' (try 'Setup --help')\n");
}

// The program name comes from the executable's file name, in the case the system reports it.
TEST(SetupExe, RenamedProgramLooksForItsOwnScript) {
    TempDir work;
    std::filesystem::copy_file(std::filesystem::path(INSTALLER_SETUP_PROGRAM), work / "Installer.v2.EXE");
    const ProgramRun run = RunProgram(work.str() + "\\Installer.v2.EXE", "-C " + Quoted(work.str()));
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

}  // namespace
