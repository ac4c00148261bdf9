#include "app/paint_pump_clock_win32.h"

#include "platform/paint_pump_win32.h"

void PaintPumpClock::Sleep(std::uint32_t milliseconds) {
    platform::WaitRepainting(nullptr, milliseconds);
}

std::uint64_t PaintPumpClock::NowMs() {
    return ::GetTickCount64();
}
