#include "support/dialog_harness_win32.h"

#include <chrono>
#include <memory>
#include <thread>

#include <commctrl.h>

#include "app/resource.h"
#include "platform/wide_text_win32.h"

namespace {

constexpr UINT kRunWork = WM_APP + 1;
constexpr auto kPatience = std::chrono::seconds(10);
constexpr auto kPoll = std::chrono::milliseconds(20);
const wchar_t* const kRelayClass = L"InstallerTestRelay";

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, 64);
    return name;
}

struct WindowSearch {
    std::wstring caption;
    HWND except;
    HWND found = nullptr;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM lParam) {
    auto* search = reinterpret_cast<WindowSearch*>(lParam);
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    if (process != ::GetCurrentProcessId() || window == search->except || !::IsWindowVisible(window))
        return TRUE;
    if (WindowText(window) != search->caption) return TRUE;
    search->found = window;
    return FALSE;
}

HWND FindShown(const std::wstring& caption, HWND except) {
    WindowSearch search{caption, except};
    ::EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

BOOL CALLBACK CollectChild(HWND child, LPARAM lParam) {
    auto* shown = reinterpret_cast<ShownWindow*>(lParam);
    const std::wstring kind = ClassOf(child);
    const LONG_PTR style = ::GetWindowLongPtrW(child, GWL_STYLE);
    if (_wcsicmp(kind.c_str(), L"Static") == 0) {
        if ((style & SS_TYPEMASK) == SS_ICON) {
            shown->icon = reinterpret_cast<HICON>(::SendMessageW(child, STM_GETICON, 0, 0));
        } else {
            shown->texts.push_back(WindowText(child));
        }
    } else if (_wcsicmp(kind.c_str(), L"Button") == 0) {
        shown->buttons.emplace_back(::GetDlgCtrlID(child), WindowText(child));
    }
    return TRUE;
}

}  // namespace

std::string Narrow(const std::wstring& text) {
    return platform::TextFromWide(text);
}

std::wstring WindowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(
        static_cast<std::size_t>(::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

std::wstring StatusBarText(HWND statusBar) {
    const auto length = LOWORD(::SendMessageW(statusBar, SB_GETTEXTLENGTHW, 0, 0));
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    ::SendMessageW(statusBar, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text.data()));
    text.resize(length);
    return text;
}

DialogHarness::DialogHarness(const std::string& programName, platform::HidBus* hidBus)
    : window(::GetModuleHandleW(nullptr), programName),
      dlg(DialogServices{window, files, clock, platform::SystemCodePage(), programName, hidBus}) {
    window.WatchArrivals(hidBus);
    dlg.m_hIcon = ::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME));
    WNDCLASSW relayClass{};
    relayClass.lpfnWndProc = RelayProc;
    relayClass.hInstance = ::GetModuleHandleW(nullptr);
    relayClass.lpszClassName = kRelayClass;
    ::RegisterClassW(&relayClass);
    relay_ = ::CreateWindowExW(0, kRelayClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               relayClass.hInstance, nullptr);
}

DialogHarness::~DialogHarness() {
    if (relay_ != nullptr) ::DestroyWindow(relay_);
}

bool DialogHarness::WindowsAvailable() {
    const HWND probe = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                         ::GetModuleHandleW(nullptr), nullptr);
    if (probe == nullptr) return false;
    ::DestroyWindow(probe);
    return true;
}

LRESULT CALLBACK DialogHarness::RelayProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != kRunWork) return ::DefWindowProcW(hwnd, message, wParam, lParam);
    auto* work = reinterpret_cast<std::function<void()>*>(lParam);
    (*work)();
    if (wParam != 0) delete work;  // posted: the relay owns it
    return 0;
}

void DialogHarness::Send(const std::function<void()>& work) {
    DWORD_PTR ignored = 0;
    auto copy = work;
    if (!::SendMessageTimeoutW(relay_, kRunWork, 0, reinterpret_cast<LPARAM>(&copy), SMTO_NORMAL, 10000,
                               &ignored))
        Fail("the dialog's thread did not take the work in time");
}

void DialogHarness::Post(std::function<void()> work) {
    auto* owned = new std::function<void()>(std::move(work));
    if (!::PostMessageW(relay_, kRunWork, 1, reinterpret_cast<LPARAM>(owned))) delete owned;
}

bool DialogHarness::WaitOnDialogThread(const std::function<bool()>& condition) {
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (std::chrono::steady_clock::now() < deadline) {
        bool holds = false;
        Send([&] { holds = condition(); });
        if (holds) return true;
        std::this_thread::sleep_for(kPoll);
    }
    return false;
}

bool DialogHarness::WaitForWindow(const std::wstring& caption, ShownWindow& shown, int patienceSeconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(patienceSeconds);
    while (std::chrono::steady_clock::now() < deadline) {
        if (const HWND found = FindShown(caption, dialogWindow_)) {
            shown = ShownWindow{};
            shown.window = found;
            shown.caption = caption;
            ::EnumChildWindows(found, CollectChild, reinterpret_cast<LPARAM>(&shown));
            return true;
        }
        std::this_thread::sleep_for(kPoll);
    }
    Fail("no window \"" + Narrow(caption) + "\" appeared");
    return false;
}

bool DialogHarness::WaitUntilGone(const std::wstring& caption) {
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (std::chrono::steady_clock::now() < deadline) {
        if (FindShown(caption, dialogWindow_) == nullptr) return true;
        std::this_thread::sleep_for(kPoll);
    }
    Fail("the window \"" + Narrow(caption) + "\" stayed");
    return false;
}

void DialogHarness::Click(HWND owner, int buttonId) {
    ::PostMessageW(owner, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(owner, buttonId)));
}

void DialogHarness::Fail(const std::string& problem) {
    problems_.push_back(problem);
}

static BOOL CALLBACK CloseOwnWindow(HWND window, LPARAM /*unused*/) {
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    if (process == ::GetCurrentProcessId() && ::IsWindowVisible(window))
        ::PostMessageW(window, WM_CLOSE, 0, 0);
    return TRUE;
}

INT_PTR DialogHarness::Run(const std::function<void()>& scenario) {
    std::thread user([&] {
        // The dialog is there once its window exists and its initialisation has run.
        HWND found = nullptr;
        const std::function<void()> lookUp = [&] { found = window.Handle(); };
        const auto appeared = std::chrono::steady_clock::now() + kPatience;
        while (found == nullptr && std::chrono::steady_clock::now() < appeared) {
            DWORD_PTR ignored = 0;
            ::SendMessageTimeoutW(relay_, kRunWork, 0, reinterpret_cast<LPARAM>(&lookUp), SMTO_NORMAL, 10000,
                                  &ignored);
            if (found == nullptr) std::this_thread::sleep_for(kPoll);
        }
        dialogWindow_ = found;
        if (found == nullptr) {
            Fail("the dialog did not appear");
            return;
        }
        if (problems_.empty()) scenario();

        // The scenario ends the dialog; if it did not, or gave up, everything still shown is closed.
        const auto ended = std::chrono::steady_clock::now() + kPatience;
        while (::IsWindow(found) && std::chrono::steady_clock::now() < ended)
            std::this_thread::sleep_for(kPoll);
        if (::IsWindow(found)) Fail("the dialog was still open after the scenario");
        while (::IsWindow(found)) {
            ::EnumWindows(CloseOwnWindow, 0);
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        }
    });
    const INT_PTR result = window.RunModal(dlg);
    user.join();
    return result;
}
