// The simulated adapter's inner working: which mode it is in and when it comes back after a mode switch,
// what its application answers, and what its boot loader received.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <vector>

#include "adapter/simulated_adapter_settings.h"
#include "platform/clock.h"

class SimulatedAdapterModel {
  public:
    enum class Mode { kApplication, kBootLoader, kAway };

    SimulatedAdapterModel(const SimulatedAdapterSettings& spec, std::uint16_t vendorId,
                          platform::Clock& clock);

    const SimulatedAdapterSettings& spec() const { return spec_; }
    std::uint16_t vendorId() const { return vendorId_; }
    platform::Clock& clock() { return clock_; }

    // Lets the time that passed take effect: a device due to come back arrives.
    void Advance();

    Mode mode() const { return mode_; }
    // Counts up at every arrival; a handle opened before the last one no longer reaches the device.
    int incarnation() const { return incarnation_; }
    bool Reachable(int incarnation) const { return mode_ != Mode::kAway && incarnation == incarnation_; }
    // Whether a search now sees the adapter (a fresh boot loader may stay hidden for a few searches).
    bool VisibleToSearch();

    // Application mode.
    bool TakeOutputReport(std::span<const std::uint8_t> report);
    bool GiveInputReport(std::span<std::uint8_t> buffer, std::uint32_t timeoutMs);

    // Boot-loader mode.
    bool TakeFeatureReport(std::span<const std::uint8_t> report);
    bool GiveFeatureReport(std::span<std::uint8_t> buffer);

    // Arrival notification.
    void AddRegistration() { ++registrations_; }
    void RemoveRegistration() { --registrations_; }
    int TakeArrivals();
    bool WaitForPendingInstallation(std::uint32_t timeoutMs);

    FirmwareVersion version() const { return version_; }
    const std::vector<std::uint8_t>& received() const { return received_; }

  private:
    enum class LoaderState { kIdle, kReceiving, kAwaitingEnd, kEnded };
    enum class FeatureKind { kStart, kData, kEnd, kReset, kOther };

    void LeaveFor(Mode next, std::uint32_t afterMs);
    void Arrive(Mode mode);
    FeatureKind KindOf(std::span<const std::uint8_t> report) const;
    bool Refuses(FeatureKind kind);
    void QueueVersionAnswer();

    SimulatedAdapterSettings spec_;
    std::uint16_t vendorId_;
    platform::Clock& clock_;

    Mode mode_ = Mode::kApplication;
    int incarnation_ = 0;
    std::optional<Mode> comingBack_;
    std::uint64_t comingBackAt_ = 0;
    int hiddenSearchesLeft_ = 0;
    FirmwareVersion version_;

    std::deque<std::vector<std::uint8_t>> input_;

    LoaderState loader_ = LoaderState::kIdle;
    std::uint32_t announced_ = 0;
    std::vector<std::uint8_t> received_;
    int featureReports_ = 0;
    bool refusalSpent_ = false;

    int registrations_ = 0;
    int arrivals_ = 0;
    int pendingWaitsLeft_ = 0;
};
