// Every wait of the program goes through a clock, so that tests of long waits run in virtual time.
#pragma once

#include <cstdint>

namespace platform {

class Clock {
  public:
    virtual ~Clock() = default;
    virtual void Sleep(std::uint32_t milliseconds) = 0;
    virtual std::uint64_t NowMs() = 0;  // a monotonic count, from an arbitrary start
};

// Real time through the standard library.
class SteadyClock : public Clock {
  public:
    void Sleep(std::uint32_t milliseconds) override;
    std::uint64_t NowMs() override;
};

// Time that passes only when someone sleeps.
class VirtualClock : public Clock {
  public:
    void Sleep(std::uint32_t milliseconds) override { now_ += milliseconds; }
    std::uint64_t NowMs() override { return now_; }
    void Advance(std::uint64_t milliseconds) { now_ += milliseconds; }

  private:
    std::uint64_t now_ = 0;
};

}  // namespace platform
