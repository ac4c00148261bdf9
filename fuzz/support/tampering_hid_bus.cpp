#include "tampering_hid_bus.h"

#include <algorithm>
#include <optional>

#include "platform/system_error.h"

namespace {

bool Fail() {
    platform::SetLastSystemError(platform::GenericDeviceError());
    return false;
}

class TamperingDevice : public platform::HidDevice {
  public:
    TamperingDevice(std::unique_ptr<platform::HidDevice> inner, FuzzedDataProvider& input)
        : inner_(std::move(inner)), input_(input) {}

    platform::HidIdentity Identity() override {
        switch (NextTamper(input_)) {
            case Tamper::kFail:
                return {};
            case Tamper::kReplace:
                return {input_.ConsumeIntegral<std::uint16_t>(), input_.ConsumeIntegral<std::uint16_t>()};
            case Tamper::kNone:
                break;
        }
        return inner_->Identity();
    }
    platform::HidReportLengths ReportLengths() override {
        if (NextTamper(input_) == Tamper::kNone) return inner_->ReportLengths();
        return {input_.ConsumeIntegral<std::uint16_t>(), input_.ConsumeIntegral<std::uint16_t>(),
                input_.ConsumeIntegral<std::uint16_t>()};
    }
    bool WriteOutputReport(std::span<const std::uint8_t> report) override {
        return NextTamper(input_) == Tamper::kNone ? inner_->WriteOutputReport(report) : Fail();
    }
    bool ReadInputReport(std::span<std::uint8_t> buffer, std::uint32_t timeoutMs) override {
        if (const auto tampered = TamperWithRead(buffer)) return *tampered;
        return inner_->ReadInputReport(buffer, timeoutMs);
    }
    bool SetFeatureReport(std::span<const std::uint8_t> report) override {
        return NextTamper(input_) == Tamper::kNone ? inner_->SetFeatureReport(report) : Fail();
    }
    bool GetFeatureReport(std::span<std::uint8_t> buffer) override {
        if (const auto tampered = TamperWithRead(buffer)) return *tampered;
        return inner_->GetFeatureReport(buffer);
    }
    void CancelPendingIo() override { inner_->CancelPendingIo(); }

  private:
    // A read the fuzzer fails or answers itself gives its result; nothing when the device is to answer.
    std::optional<bool> TamperWithRead(std::span<std::uint8_t> buffer) {
        switch (NextTamper(input_)) {
            case Tamper::kFail:
                return Fail();
            case Tamper::kReplace:
                Replace(buffer);
                return true;
            case Tamper::kNone:
                break;
        }
        return std::nullopt;
    }
    // A report of any length: one longer than the buffer is cut to fit, one shorter leaves the rest.
    void Replace(std::span<std::uint8_t> buffer) {
        const auto report =
            input_.ConsumeBytes<std::uint8_t>(input_.ConsumeIntegralInRange<std::size_t>(0, 80));
        std::copy_n(report.begin(), std::min(report.size(), buffer.size()), buffer.begin());
    }

    std::unique_ptr<platform::HidDevice> inner_;
    FuzzedDataProvider& input_;
};

}  // namespace

Tamper NextTamper(FuzzedDataProvider& input) {
    switch (input.ConsumeIntegral<std::uint8_t>()) {
        case 1:
            return Tamper::kFail;
        case 2:
            return Tamper::kReplace;
        default:
            return Tamper::kNone;
    }
}

std::vector<std::string> TamperingHidBus::PresentInterfaces() {
    if (NextTamper(input_) == Tamper::kFail) return {};
    return inner_.PresentInterfaces();
}

std::unique_ptr<platform::HidDevice> TamperingHidBus::Open(const std::string& path) {
    if (NextTamper(input_) == Tamper::kFail) {
        Fail();
        return nullptr;
    }
    auto device = inner_.Open(path);
    if (!device) return nullptr;
    return std::make_unique<TamperingDevice>(std::move(device), input_);
}

std::unique_ptr<platform::HidArrivalRegistration> TamperingHidBus::RegisterArrivals() {
    if (NextTamper(input_) == Tamper::kFail) {
        Fail();
        return nullptr;
    }
    return inner_.RegisterArrivals();
}

int TamperingHidBus::TakeArrivals() {
    return inner_.TakeArrivals() + (NextTamper(input_) == Tamper::kReplace ? 1 : 0);
}

bool TamperingHidBus::WaitForPendingInstallation(std::uint32_t timeoutMs) {
    if (NextTamper(input_) == Tamper::kFail) return false;
    return inner_.WaitForPendingInstallation(timeoutMs);
}
