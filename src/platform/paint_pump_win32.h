// Waiting on the window program's thread without leaving its windows unpainted: while a wait lasts, paint
// messages are handled and nothing else (no click, no key, no timer), so the operation that waits keeps its
// order of steps.
#pragma once

#include "platform/windows_headers_win32.h"

namespace platform {

// Handles the paint messages that are waiting, and nothing else.
void RepaintPendingWindows();

// Waits for object to be signalled, at most timeoutMs, repainting meanwhile; false when the time ran out.
bool WaitRepainting(HANDLE object, DWORD timeoutMs);

}  // namespace platform
