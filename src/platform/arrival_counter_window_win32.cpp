#include "platform/arrival_counter_window_win32.h"

#include <dbt.h>

#include <utility>

namespace platform {
namespace {

const wchar_t* const kWindowClass = L"TrelvorInstallerArrivalCounter";

ATOM RegisterWindowClass(WNDPROC procedure) {
    static const ATOM atom = [procedure] {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = procedure;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.lpszClassName = kWindowClass;
        return ::RegisterClassW(&windowClass);
    }();
    return atom;
}

}  // namespace

ArrivalCounterWindow::ArrivalCounterWindow() {
    if (RegisterWindowClass(WindowProc) == 0) return;
    window_ = ::CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                ::GetModuleHandleW(nullptr), nullptr);
    if (window_ != nullptr) ::SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

ArrivalCounterWindow::~ArrivalCounterWindow() {
    if (window_ != nullptr) ::DestroyWindow(window_);
}

// The system sends its device-change messages from a thread of its own: they are taken here, in the calls
// that look at the window's messages.
int ArrivalCounterWindow::Take() {
    if (window_ == nullptr) return 0;
    MSG msg;
    while (::PeekMessageW(&msg, window_, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
    return std::exchange(arrivals_, 0);
}

LRESULT CALLBACK ArrivalCounterWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_DEVICECHANGE) return ::DefWindowProcW(hwnd, message, wParam, lParam);
    auto* self = reinterpret_cast<ArrivalCounterWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self != nullptr && wParam == DBT_DEVICEARRIVAL) ++self->arrivals_;
    return TRUE;
}

}  // namespace platform
