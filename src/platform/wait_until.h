// Waiting on the clock for a condition that can only be polled.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/clock.h"

namespace platform {

// Asks ready() at once and then every pollMs until it holds, for at most timeoutMs on the clock; the last
// question falls on the time-out itself. False when ready() never held.
bool WaitUntil(Clock& clock, std::uint32_t timeoutMs, std::uint32_t pollMs,
               const std::function<bool()>& ready);

}  // namespace platform
