#include "app/paint_pump_clock_win32.h"

#include "platform/windows_headers_win32.h"

void RepaintPendingWindows() {
    MSG msg;
    // PM_QS_PAINT lets only WM_PAINT through; input and timers stay queued for later.
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE | PM_QS_PAINT)) ::DispatchMessageW(&msg);
}

void PaintPumpClock::Sleep(std::uint32_t milliseconds) {
    const ULONGLONG deadline = ::GetTickCount64() + milliseconds;
    for (;;) {
        RepaintPendingWindows();
        const ULONGLONG now = ::GetTickCount64();
        if (now >= deadline) return;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(deadline - now), QS_PAINT);
    }
}

std::uint64_t PaintPumpClock::NowMs() {
    return ::GetTickCount64();
}
