#pragma once

#include "platform/clock.h"

// The clock of the dialog program: while an operation waits, the dialog goes on repainting, but no other
// message (no click, no key, no timer) is handled until the operation is over, so its steps keep their order.
class PaintPumpClock : public platform::Clock {
  public:
    void Sleep(std::uint32_t milliseconds) override;
    std::uint64_t NowMs() override;
};
