#include "platform/paint_pump_win32.h"

namespace platform {

void RepaintPendingWindows() {
    MSG msg;
    // PM_QS_PAINT lets only WM_PAINT through; input and timers stay queued for later.
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE | PM_QS_PAINT)) ::DispatchMessageW(&msg);
}

bool WaitRepainting(HANDLE object, DWORD timeoutMs) {
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    const DWORD objectCount = object != nullptr ? 1 : 0;
    for (;;) {
        RepaintPendingWindows();
        const ULONGLONG now = ::GetTickCount64();
        const DWORD left = now >= deadline ? 0 : static_cast<DWORD>(deadline - now);
        const DWORD woken = ::MsgWaitForMultipleObjects(objectCount, &object, FALSE, left, QS_PAINT);
        if (objectCount == 1 && woken == WAIT_OBJECT_0) return true;
        if (woken == WAIT_TIMEOUT || woken == WAIT_FAILED || left == 0) return false;
    }
}

}  // namespace platform
