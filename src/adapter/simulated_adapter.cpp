#include "adapter/simulated_adapter.h"

#include "adapter/adapter_ids.h"
#include "adapter/simulated_adapter_model.h"
#include "platform/system_error.h"

namespace {

using Mode = SimulatedAdapterModel::Mode;

// Another maker's device, as a machine has several (a keyboard, a touch screen).
constexpr platform::HidIdentity kOtherDevice = {0x0627, 0x0001};

const std::string kAdapterPathPrefix = "sim:adapter:";
const std::string kOtherPathPrefix = "sim:other:";
const std::string kLockedPathPrefix = "sim:locked:";
const std::string kTwinPath = "sim:twin";

bool Fail() {
    platform::SetLastSystemError(platform::GenericDeviceError());
    return false;
}

// The adapter in one incarnation: once it re-enumerates, the handle reaches nothing.
class AdapterHandle : public platform::HidDevice {
  public:
    AdapterHandle(std::shared_ptr<SimulatedAdapterModel> model, int incarnation, Mode mode)
        : model_(std::move(model)), incarnation_(incarnation), mode_(mode) {}

    platform::HidIdentity Identity() override {
        if (!Reachable()) return {};
        return {model_->vendorId(),
                mode_ == Mode::kApplication ? kApplicationProductId : kBootLoaderProductId};
    }
    platform::HidReportLengths ReportLengths() override {
        return Reachable() ? model_->spec().lengths : platform::HidReportLengths{};
    }
    bool WriteOutputReport(std::span<const std::uint8_t> report) override {
        return Reachable(Mode::kApplication) ? model_->TakeOutputReport(report) : Fail();
    }
    bool ReadInputReport(std::span<std::uint8_t> buffer, std::uint32_t timeoutMs) override {
        return Reachable(Mode::kApplication) ? model_->GiveInputReport(buffer, timeoutMs) : Fail();
    }
    bool SetFeatureReport(std::span<const std::uint8_t> report) override {
        return Reachable(Mode::kBootLoader) ? model_->TakeFeatureReport(report) : Fail();
    }
    bool GetFeatureReport(std::span<std::uint8_t> buffer) override {
        return Reachable(Mode::kBootLoader) ? model_->GiveFeatureReport(buffer) : Fail();
    }
    void CancelPendingIo() override {}

  private:
    bool Reachable() {
        model_->Advance();
        return model_->Reachable(incarnation_);
    }
    bool Reachable(Mode mode) { return Reachable() && mode_ == mode; }

    std::shared_ptr<SimulatedAdapterModel> model_;
    int incarnation_;
    Mode mode_;
};

// A device that is only there to be passed over: another maker's, or a second adapter.
class BystanderHandle : public platform::HidDevice {
  public:
    BystanderHandle(platform::HidIdentity identity, platform::HidReportLengths lengths)
        : identity_(identity), lengths_(lengths) {}
    platform::HidIdentity Identity() override { return identity_; }
    platform::HidReportLengths ReportLengths() override { return lengths_; }
    bool WriteOutputReport(std::span<const std::uint8_t>) override { return Fail(); }
    bool ReadInputReport(std::span<std::uint8_t>, std::uint32_t) override { return Fail(); }
    bool SetFeatureReport(std::span<const std::uint8_t>) override { return Fail(); }
    bool GetFeatureReport(std::span<std::uint8_t>) override { return Fail(); }
    void CancelPendingIo() override {}

  private:
    platform::HidIdentity identity_;
    platform::HidReportLengths lengths_;
};

class Registration : public platform::HidArrivalRegistration {
  public:
    explicit Registration(std::shared_ptr<SimulatedAdapterModel> model) : model_(std::move(model)) {
        model_->AddRegistration();
    }
    ~Registration() override { model_->RemoveRegistration(); }
    Registration(const Registration&) = delete;
    Registration& operator=(const Registration&) = delete;

  private:
    std::shared_ptr<SimulatedAdapterModel> model_;
};

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

SimulatedAdapter::SimulatedAdapter(const SimulatedAdapterSettings& spec, std::uint16_t vendorId,
                                   platform::Clock& clock)
    : model_(std::make_shared<SimulatedAdapterModel>(spec, vendorId, clock)) {}

SimulatedAdapter::~SimulatedAdapter() = default;

std::vector<std::string> SimulatedAdapter::PresentInterfaces() {
    std::vector<std::string> paths;
    paths.reserve(static_cast<std::size_t>(model_->spec().lockedInterfaces + model_->spec().otherInterfaces) +
                  2);
    for (int i = 0; i < model_->spec().lockedInterfaces; ++i)
        paths.push_back(kLockedPathPrefix + std::to_string(i));
    for (int i = 0; i < model_->spec().otherInterfaces; ++i)
        paths.push_back(kOtherPathPrefix + std::to_string(i));
    if (model_->VisibleToSearch())
        paths.push_back(kAdapterPathPrefix + std::to_string(model_->incarnation()));
    if (model_->spec().twin) paths.push_back(kTwinPath);
    return paths;
}

std::unique_ptr<platform::HidDevice> SimulatedAdapter::Open(const std::string& path) {
    model_->Advance();
    if (StartsWith(path, kOtherPathPrefix))
        return std::make_unique<BystanderHandle>(kOtherDevice, platform::HidReportLengths{});
    if (path == kTwinPath && model_->spec().twin)
        return std::make_unique<BystanderHandle>(
            platform::HidIdentity{model_->vendorId(), kApplicationProductId}, model_->spec().lengths);
    if (path == kAdapterPathPrefix + std::to_string(model_->incarnation()) && model_->mode() != Mode::kAway)
        return std::make_unique<AdapterHandle>(model_, model_->incarnation(), model_->mode());
    Fail();  // a locked interface, or one that has gone
    return nullptr;
}

std::unique_ptr<platform::HidArrivalRegistration> SimulatedAdapter::RegisterArrivals() {
    if (model_->spec().registrationFails) {
        Fail();
        return nullptr;
    }
    return std::make_unique<Registration>(model_);
}

int SimulatedAdapter::TakeArrivals() {
    return model_->TakeArrivals();
}

bool SimulatedAdapter::WaitForPendingInstallation(std::uint32_t timeoutMs) {
    return model_->WaitForPendingInstallation(timeoutMs);
}

FirmwareVersion SimulatedAdapter::Version() const {
    return model_->version();
}

bool SimulatedAdapter::InBootLoader() const {
    return model_->mode() == Mode::kBootLoader;
}

const std::vector<std::uint8_t>& SimulatedAdapter::ReceivedImage() const {
    return model_->received();
}

std::unique_ptr<SimulatedAdapter> MakeSimulatedAdapter(const std::string& specText, std::uint16_t vendorId,
                                                       platform::Clock& clock) {
    SimulatedAdapterSettings spec;
    std::string error;
    if (!ParseSimulatedAdapterSettings(specText, spec, error)) return nullptr;
    return std::make_unique<SimulatedAdapter>(spec, vendorId, clock);
}
