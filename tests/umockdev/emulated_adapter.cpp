#include "umockdev/emulated_adapter.h"

#include <stdexcept>

#include "adapter/adapter_ids.h"
#include "adapter/simulated_adapter_settings.h"

namespace {

using Mode = SimulatedAdapterModel::Mode;

// Report IDs the application's reports carry: answers of 2 bytes and unrelated ones (0x7F); commands of
// 12 to 65 bytes.
constexpr std::uint8_t kAnswerIds[] = {0x02, 0x7F};
constexpr int kFirstCommandId = 12;
constexpr int kLastCommandId = 65;

Bytes VendorCollectionStart(std::uint8_t usage) {
    return {0x06, 0x00, 0xFF, 0x09, usage, 0xA1, 0x01, 0x15, 0x00, 0x26, 0xFF, 0x00, 0x75, 0x08};
}

void AddFields(Bytes& d, std::uint16_t bytes, std::uint8_t mainItem) {
    d.insert(d.end(), {0x96, static_cast<std::uint8_t>(bytes), static_cast<std::uint8_t>(bytes >> 8), 0x09,
                       0x01, mainItem, 0x02});
}

SimulatedAdapterSettings ParseSpec(const std::string& text) {
    SimulatedAdapterSettings spec;
    std::string error;
    if (!ParseSimulatedAdapterSettings(text, spec, error)) throw std::invalid_argument(error);
    spec.detachMs = 0;
    spec.resetMs = 0;
    return spec;
}

}  // namespace

Bytes ApplicationDescriptor(std::uint16_t inputLength, std::uint16_t outputLength) {
    Bytes d = VendorCollectionStart(0x01);
    for (std::uint8_t id : kAnswerIds) {
        d.insert(d.end(), {0x85, id});
        AddFields(d, inputLength - 1, 0x81);
    }
    for (int id = kFirstCommandId; id <= kLastCommandId; ++id) {
        d.insert(d.end(), {0x85, static_cast<std::uint8_t>(id)});
        AddFields(d, outputLength - 1, 0x91);
    }
    d.push_back(0xC0);
    return d;
}

Bytes BootLoaderDescriptor(std::uint16_t featureLength) {
    Bytes d = VendorCollectionStart(0x02);
    AddFields(d, featureLength - 1, 0xB1);
    d.push_back(0xC0);
    return d;
}

// One mode of the adapter as a USB function: wire reports turned into the model's buffers, whose byte 0 is
// the report-ID slot as on Windows.
class EmulatedAdapter::ModeFunction : public HidFunction {
  public:
    ModeFunction(EmulatedAdapter& adapter, Mode mode) : adapter_(adapter), mode_(mode) {}
    void Serve(EmulatedHidraw* device) { device_ = device; }

    bool TakeOutputReport(std::span<const std::uint8_t> report) override {
        std::lock_guard lock(adapter_.mutex_);
        if (mode_ != Mode::kApplication) return false;
        // Numbered: the report as it came is the buffer, its ID in byte 0.
        const bool taken = adapter_.model_.TakeOutputReport(report);
        Bytes answer(adapter_.model_.spec().lengths.input);
        while (adapter_.model_.GiveInputReport(answer, 0)) device_->SendInputReport(answer);
        adapter_.Follow();
        return taken;
    }
    bool TakeFeatureReport(std::uint8_t reportId, std::span<const std::uint8_t> report) override {
        std::lock_guard lock(adapter_.mutex_);
        if (mode_ != Mode::kBootLoader || reportId != 0) return false;
        Bytes buffer(1, 0);  // unnumbered: the slot in front of what came
        buffer.insert(buffer.end(), report.begin(), report.end());
        const bool taken = adapter_.model_.TakeFeatureReport(buffer);
        adapter_.Follow();
        return taken;
    }
    std::optional<Bytes> GiveFeatureReport(std::uint8_t reportId, std::size_t maxLength) override {
        std::lock_guard lock(adapter_.mutex_);
        if (mode_ != Mode::kBootLoader || reportId != 0) return std::nullopt;
        Bytes buffer(adapter_.model_.spec().lengths.feature, 0);
        if (!adapter_.model_.GiveFeatureReport(buffer)) return std::nullopt;
        Bytes report(buffer.begin() + 1, buffer.end());
        if (report.size() > maxLength) report.resize(maxLength);
        return report;
    }

  private:
    EmulatedAdapter& adapter_;
    Mode mode_;
    EmulatedHidraw* device_ = nullptr;
};

EmulatedAdapter::EmulatedAdapter(Testbed& testbed, const std::string& spec, std::uint16_t vendorId,
                                 int firstNumber)
    : testbed_(testbed), model_(ParseSpec(spec), vendorId, clock_), nextNumber_(firstNumber) {
    std::lock_guard lock(mutex_);
    if (model_.mode() != Mode::kAway) PlugIncarnation();
    if (!trouble_.empty()) throw std::runtime_error(trouble_);
}

EmulatedAdapter::~EmulatedAdapter() {
    for (auto& device : devices_) device->Unplug();
}

void EmulatedAdapter::PlugIncarnation() {
    const bool application = model_.mode() == Mode::kApplication;
    const platform::HidReportLengths& lengths = model_.spec().lengths;
    const HidrawIdentity identity{model_.vendorId(),
                                  application ? kApplicationProductId : kBootLoaderProductId, nextNumber_++};
    functions_.push_back(std::make_unique<ModeFunction>(*this, model_.mode()));
    devices_.push_back(
        std::make_unique<EmulatedHidraw>(testbed_, identity,
                                         application ? ApplicationDescriptor(lengths.input, lengths.output)
                                                     : BootLoaderDescriptor(lengths.feature),
                                         *functions_.back()));
    functions_.back()->Serve(devices_.back().get());
    incarnation_ = model_.incarnation();
    try {
        devices_.back()->Plug();
    } catch (const std::exception& e) {
        trouble_ += e.what();
    }
}

// Called with the mutex held, after every transfer.
void EmulatedAdapter::Follow() {
    if (model_.incarnation() == incarnation_) return;
    try {
        devices_.back()->Unplug();
    } catch (const std::exception& e) {
        trouble_ += e.what();
    }
    model_.Advance();  // the new mode arrives at once, unless the SPEC keeps it away
    if (model_.mode() != Mode::kAway) PlugIncarnation();
}

FirmwareVersion EmulatedAdapter::Version() {
    std::lock_guard lock(mutex_);
    return model_.version();
}

bool EmulatedAdapter::InBootLoader() {
    std::lock_guard lock(mutex_);
    return model_.mode() == Mode::kBootLoader;
}

Bytes EmulatedAdapter::ReceivedImage() {
    std::lock_guard lock(mutex_);
    return model_.received();
}

std::vector<std::string> EmulatedAdapter::Nodes() {
    std::lock_guard lock(mutex_);
    std::vector<std::string> nodes;
    for (const auto& device : devices_) nodes.push_back(device->Node());
    return nodes;
}

std::string EmulatedAdapter::Trouble() {
    std::lock_guard lock(mutex_);
    return trouble_;
}
