// The whole firmware check and upgrade: start-up, arrivals, installation wait, boot-loader search, download
// and restart, against the simulated adapter with settings chosen by the fuzzer, behind a bus whose answers,
// report lengths and failures the fuzzer may spoil. Whatever happens: no report is built past its buffer; the
// adapter is sent into its boot loader only after it answered a version other than the image's; and an
// upgrade is reported only when the adapter really received the whole image and restarted with it.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "adapter/adapter_protocol.h"
#include "adapter/adapter_state.h"
#include "adapter/simulated_adapter.h"
#include "adapter/status_texts.h"
#include "app/setup_dlg.h"
#include "fuzz_check.h"
#include "platform/clock.h"
#include "platform/codepage.h"
#include "sandbox.h"
#include "support/firmware_images.h"
#include "support/machine.h"
#include "support/recording_hid_bus.h"
#include "support/recording_view.h"
#include "tampering_hid_bus.h"

namespace {

constexpr FirmwareVersion kImageVersion = {0x02, 0x15};
constexpr std::uint16_t kVendorId = 0x2E1A;

template <typename T, std::size_t N>
T Pick(FuzzedDataProvider& input, const T (&choices)[N]) {
    return choices[input.ConsumeIntegralInRange<std::size_t>(0, N - 1)];
}

// Report lengths around the limits the program guards, or any.
std::uint16_t Length(FuzzedDataProvider& input) {
    constexpr std::uint16_t kLengths[] = {65, 65, 65, 9, 8, 3, 0, 64, 66, 300};
    return input.ConsumeBool() ? Pick(input, kLengths) : input.ConsumeIntegral<std::uint16_t>();
}

// A used-up input (every choice its smallest) gives a healthy adapter of another version: a whole upgrade.
SimulatedAdapterSettings ChooseSpec(FuzzedDataProvider& input) {
    SimulatedAdapterSettings spec;
    spec.version = input.ConsumeBool() ? kImageVersion : FirmwareVersion{0x02, 0x14};
    if (input.ConsumeBool())
        spec.version = {input.ConsumeIntegral<std::uint8_t>(), input.ConsumeIntegral<std::uint8_t>()};
    spec.startsInLoader = input.ConsumeIntegralInRange<int>(0, 7) == 7;
    if (input.ConsumeBool()) spec.lengths = {Length(input), Length(input), Length(input)};
    spec.detachMs = input.ConsumeIntegralInRange<std::uint32_t>(0, 5000);
    spec.resetMs = input.ConsumeIntegralInRange<std::uint32_t>(0, 5000);
    spec.neverReturns = input.ConsumeIntegralInRange<int>(0, 15) == 15;
    spec.hiddenSearches = input.ConsumeIntegralInRange<int>(0, 60);
    spec.noise = input.ConsumeIntegralInRange<int>(0, 4);
    if (input.ConsumeIntegralInRange<int>(0, 7) == 7)
        spec.answerLength = input.ConsumeIntegral<std::uint8_t>();
    spec.pendingWaits = input.ConsumeIntegralInRange<int>(0, 2);
    spec.otherInterfaces = input.ConsumeIntegralInRange<int>(0, 2);
    spec.lockedInterfaces = input.ConsumeIntegralInRange<int>(0, 1);
    spec.twin = input.ConsumeIntegralInRange<int>(0, 15) == 15;
    return spec;
}

std::vector<std::uint8_t> Padded(const std::vector<std::uint8_t>& bytes) {
    std::vector<std::uint8_t> padded = bytes;
    if (padded.size() < kReportBufferSize) padded.resize(kReportBufferSize, 0);
    return padded;
}

// The switch to the boot loader (command 0x44) follows an answer of the right length carrying another
// version.
void CheckSwitchesOnlyForAnotherVersion(const std::vector<HidTransfer>& transfers) {
    const HidTransfer* lastRead = nullptr;
    for (const HidTransfer& transfer : transfers) {
        if (transfer.kind == HidTransfer::Kind::kRead) lastRead = &transfer;
        if (transfer.kind == HidTransfer::Kind::kWrite) {
            FuzzCheck(transfer.bytes.size() <= kReportBufferSize, "a command report longer than its buffer");
            const auto report = Padded(transfer.bytes);
            if (report[0] != kCommandHeaderSize || report[1] != kCmdResetToLoader) continue;
            FuzzCheck(lastRead != nullptr && lastRead->ok,
                      "sent into the boot loader without a version answer");
            const auto answer = Padded(lastRead->bytes);
            FuzzCheck(answer[0] == 2, "sent into the boot loader after an answer of another length");
            FuzzCheck(answer[1] != kImageVersion[0] || answer[2] != kImageVersion[1],
                      "sent into the boot loader though it runs the image's version");
        }
        if (transfer.kind == HidTransfer::Kind::kSetFeature)
            FuzzCheck(transfer.bytes.size() >= kMinFeatureReportLength,
                      "a feature report shorter than 9 bytes");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const SimulatedAdapterSettings spec = ChooseSpec(input);
    constexpr std::size_t kImageLengths[] = {8202, 8202, 6656, 6655, 8201, 9000, 20000};
    const std::vector<std::uint8_t> image = SentImage(kImageVersion, Pick(input, kImageLengths));

    Sandbox sandbox;
    sandbox.Write("Setup.ini", "[FILE]\r\n");
    sandbox.Write(kFirmwareImageName, StoredImage(image));
    const auto files = MakeMachineFileSystem();
    RecordingView view;
    platform::VirtualClock clock;
    const platform::CodePage codePage = platform::CodePage::ForNumber(platform::CodePage::kUtf8);
    SimulatedAdapter adapter(spec, kVendorId, clock);
    TamperingHidBus tampering(adapter, input);
    RecordingHidBus bus(tampering);
    ResetAdapterState();
    CSetupDlg dlg(DialogServices{view, *files, clock, codePage, "Setup", &bus, kVendorId});

    dlg.OnInitDialog();
    dlg.OnTimer(kStartupTimer);
    for (int round = 0; round < 3; ++round) {
        clock.Advance(input.ConsumeIntegralInRange<std::uint32_t>(0, 4000));
        for (int n = bus.TakeArrivals(); n > 0; --n) dlg.OnDeviceChange(kDeviceArrival);
        if (view.timers.count(kArrivalTimer) == 0) continue;

        const std::size_t boxes = view.boxes.size();
        const FirmwareVersion versionBefore = adapter.Version();
        dlg.OnTimer(kArrivalTimer);
        const bool upgraded = dlg.m_adapterStage == AdapterStage::kUpgraded;
        bool upgradedBox = false;
        for (std::size_t i = boxes; i < view.boxes.size(); ++i)
            upgradedBox |= view.boxes[i].text == kBoxUpgraded;
        FuzzCheck(upgraded == upgradedBox, "the upgrade's box and its outcome disagree");
        if (upgraded) {
            FuzzCheck(adapter.ReceivedImage() == image,
                      "an upgrade reported but the image not received whole");
            // (An image too short for the trailer carries no version, and leaves the adapter's.)
            FuzzCheck(
                adapter.Version() == VersionOfImage(image).value_or(versionBefore) && !adapter.InBootLoader(),
                "an upgrade reported but the adapter not restarted with the image");
            FuzzCheck(!view.progressVisible, "the progress bar left showing after the upgrade");
            FuzzCheck(g_hAdapter == nullptr, "the adapter left open after the upgrade");
        }
    }
    CheckSwitchesOnlyForAnotherVersion(bus.transfers);
    ResetAdapterState();
    return 0;
}
