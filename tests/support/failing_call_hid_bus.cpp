#include "support/failing_call_hid_bus.h"

#include "platform/system_error.h"

namespace {

class FailingCallDevice : public platform::HidDevice {
  public:
    FailingCallDevice(std::unique_ptr<platform::HidDevice> inner, FailingCallHidBus& bus)
        : inner_(std::move(inner)), bus_(bus) {}

    platform::HidIdentity Identity() override {
        return bus_.Fails("Identity") ? platform::HidIdentity{} : inner_->Identity();
    }
    platform::HidReportLengths ReportLengths() override {
        return bus_.Fails("ReportLengths") ? platform::HidReportLengths{} : inner_->ReportLengths();
    }
    bool WriteOutputReport(std::span<const std::uint8_t> report) override {
        return !bus_.Fails("WriteOutputReport") && inner_->WriteOutputReport(report);
    }
    bool ReadInputReport(std::span<std::uint8_t> buffer, std::uint32_t timeoutMs) override {
        return !bus_.Fails("ReadInputReport") && inner_->ReadInputReport(buffer, timeoutMs);
    }
    bool SetFeatureReport(std::span<const std::uint8_t> report) override {
        return !bus_.Fails("SetFeatureReport") && inner_->SetFeatureReport(report);
    }
    bool GetFeatureReport(std::span<std::uint8_t> buffer) override {
        return !bus_.Fails("GetFeatureReport") && inner_->GetFeatureReport(buffer);
    }
    void CancelPendingIo() override { inner_->CancelPendingIo(); }

  private:
    std::unique_ptr<platform::HidDevice> inner_;
    FailingCallHidBus& bus_;
};

}  // namespace

bool FailingCallHidBus::Fails(const std::string& call) {
    if (!armed_) return false;
    calls.push_back(call);
    if (static_cast<int>(calls.size()) != failAt_) return false;
    failed = call;
    platform::SetLastSystemError(platform::GenericDeviceError());
    return true;
}

std::vector<std::string> FailingCallHidBus::PresentInterfaces() {
    if (Fails("PresentInterfaces")) return {};
    return inner_.PresentInterfaces();
}

std::unique_ptr<platform::HidDevice> FailingCallHidBus::Open(const std::string& path) {
    if (Fails("Open " + path)) return nullptr;
    auto device = inner_.Open(path);
    if (!device) return nullptr;
    return std::make_unique<FailingCallDevice>(std::move(device), *this);
}

std::unique_ptr<platform::HidArrivalRegistration> FailingCallHidBus::RegisterArrivals() {
    if (Fails("RegisterArrivals")) return nullptr;
    return inner_.RegisterArrivals();
}

bool FailingCallHidBus::WaitForPendingInstallation(std::uint32_t timeoutMs) {
    return !Fails("WaitForPendingInstallation") && inner_.WaitForPendingInstallation(timeoutMs);
}
