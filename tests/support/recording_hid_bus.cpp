#include "support/recording_hid_bus.h"

namespace {

class RecordingDevice : public platform::HidDevice {
  public:
    RecordingDevice(std::unique_ptr<platform::HidDevice> inner, RecordingHidBus& bus)
        : inner_(std::move(inner)), bus_(bus) {}

    platform::HidIdentity Identity() override { return inner_->Identity(); }
    platform::HidReportLengths ReportLengths() override { return inner_->ReportLengths(); }
    bool WriteOutputReport(std::span<const std::uint8_t> report) override {
        return Log(HidTransfer::Kind::kWrite, report, inner_->WriteOutputReport(report));
    }
    bool ReadInputReport(std::span<std::uint8_t> buffer, std::uint32_t timeoutMs) override {
        const bool ok = inner_->ReadInputReport(buffer, timeoutMs);
        return Log(HidTransfer::Kind::kRead, buffer, ok);
    }
    bool SetFeatureReport(std::span<const std::uint8_t> report) override {
        return Log(HidTransfer::Kind::kSetFeature, report, inner_->SetFeatureReport(report));
    }
    bool GetFeatureReport(std::span<std::uint8_t> buffer) override {
        const bool ok = inner_->GetFeatureReport(buffer);
        return Log(HidTransfer::Kind::kGetFeature, buffer, ok);
    }
    void CancelPendingIo() override {
        inner_->CancelPendingIo();
        bus_.Record({HidTransfer::Kind::kCancel, {}, true});
    }

  private:
    bool Log(HidTransfer::Kind kind, std::span<const std::uint8_t> bytes, bool ok) {
        bus_.Record({kind, std::vector<std::uint8_t>(bytes.begin(), bytes.end()), ok});
        return ok;
    }

    std::unique_ptr<platform::HidDevice> inner_;
    RecordingHidBus& bus_;
};

}  // namespace

std::vector<HidTransfer> RecordingHidBus::Transfers(HidTransfer::Kind kind) const {
    std::vector<HidTransfer> matching;
    for (const HidTransfer& transfer : transfers)
        if (transfer.kind == kind) matching.push_back(transfer);
    return matching;
}

void RecordingHidBus::Record(HidTransfer transfer) {
    transfers.push_back(std::move(transfer));
    if (afterTransfer) afterTransfer(transfers.back());
}

std::vector<std::string> RecordingHidBus::PresentInterfaces() {
    ++searches;
    if (beforeSearch) beforeSearch(searches);
    return inner_.PresentInterfaces();
}

std::unique_ptr<platform::HidDevice> RecordingHidBus::Open(const std::string& path) {
    opened.push_back(path);
    auto device = inner_.Open(path);
    if (!device) return nullptr;
    return std::make_unique<RecordingDevice>(std::move(device), *this);
}
