#include "platform/wait_until.h"

#include <algorithm>

namespace platform {

bool WaitUntil(Clock& clock, std::uint32_t timeoutMs, std::uint32_t pollMs,
               const std::function<bool()>& ready) {
    const std::uint64_t deadline = clock.NowMs() + timeoutMs;
    for (;;) {
        if (ready()) return true;
        const std::uint64_t now = clock.NowMs();
        if (now >= deadline) return false;
        clock.Sleep(static_cast<std::uint32_t>(
            std::min<std::uint64_t>(std::max<std::uint32_t>(pollMs, 1), deadline - now)));
    }
}

}  // namespace platform
