// The application's command and answer reports and the reset to the application, against a device whose
// report lengths, answers and failures all come from the fuzzer. Nothing is read or written past the report
// buffers, lengths they cannot take are refused, and an answer is taken only when one of the awaited length
// arrived, exactly as it stood in the buffer.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "adapter/adapter_protocol.h"
#include "adapter/adapter_state.h"
#include "fuzz_check.h"
#include "fuzz_dialog.h"
#include "platform/system_error.h"
#include "support/machine.h"

namespace {

struct Transfer {
    enum class Kind { kWrite, kRead, kSetFeature, kGetFeature, kCancel };
    Kind kind;
    std::vector<std::uint8_t> bytes;  // what was sent, or the buffer as the read left it
    bool ok;
};

// Every answer, and whether each transfer succeeds, is the fuzzer's.
class ScriptedDevice : public platform::HidDevice {
  public:
    ScriptedDevice(FuzzedDataProvider& input, std::vector<Transfer>& log) : input_(input), log_(log) {}

    platform::HidIdentity Identity() override { return {}; }
    platform::HidReportLengths ReportLengths() override { return {}; }
    bool WriteOutputReport(std::span<const std::uint8_t> report) override {
        return Log(Transfer::Kind::kWrite, report, input_.ConsumeIntegral<std::uint8_t>() != 1);
    }
    bool ReadInputReport(std::span<std::uint8_t> buffer, std::uint32_t) override {
        if (input_.ConsumeIntegral<std::uint8_t>() == 1) return Log(Transfer::Kind::kRead, buffer, Fail());
        // A report of any length: one longer than the buffer is cut to fit, one shorter leaves the rest.
        const auto report =
            input_.ConsumeBytes<std::uint8_t>(input_.ConsumeIntegralInRange<std::size_t>(0, 80));
        std::copy_n(report.begin(), std::min(report.size(), buffer.size()), buffer.begin());
        return Log(Transfer::Kind::kRead, buffer, true);
    }
    bool SetFeatureReport(std::span<const std::uint8_t> report) override {
        return Log(Transfer::Kind::kSetFeature, report, input_.ConsumeIntegral<std::uint8_t>() != 1);
    }
    bool GetFeatureReport(std::span<std::uint8_t> buffer) override {
        const auto report = input_.ConsumeBytes<std::uint8_t>(buffer.size());
        std::copy(report.begin(), report.end(), buffer.begin());
        return Log(Transfer::Kind::kGetFeature, buffer, input_.ConsumeIntegral<std::uint8_t>() != 1);
    }
    void CancelPendingIo() override { log_.push_back({Transfer::Kind::kCancel, {}, true}); }

  private:
    static bool Fail() {
        platform::SetLastSystemError(platform::GenericDeviceError());
        return false;
    }
    bool Log(Transfer::Kind kind, std::span<const std::uint8_t> bytes, bool ok) {
        log_.push_back({kind, {bytes.begin(), bytes.end()}, ok});
        return ok;
    }

    FuzzedDataProvider& input_;
    std::vector<Transfer>& log_;
};

void CheckCommand(CSetupDlg& dlg, std::vector<Transfer>& log) {
    log.clear();
    const std::uint8_t code = g_cmdCode;
    const std::size_t outputLength = g_reportLen[kOutputLength];
    const CommandLayout layout = LayoutOfCommand(code);
    const std::size_t payload = g_cmdLen & 0xFF;
    const bool hasPayload =
        layout == CommandLayout::kAddressLengthPayload || layout == CommandLayout::kPayloadOnly;
    const bool fits = outputLength <= kReportBufferSize && (!hasPayload || payload <= kMaxCommandPayload);

    const int sent = dlg.SendAdapterCommand();
    if (!fits) {
        FuzzCheck(sent == 0 && log.empty(), "a command report that does not fit its buffer was sent");
        return;
    }
    FuzzCheck(log.size() == 1 && log[0].kind == Transfer::Kind::kWrite, "not one write per command");
    const std::vector<std::uint8_t>& report = log[0].bytes;
    FuzzCheck(report.size() == outputLength, "a command report not of the output report length");
    FuzzCheck((sent != 0) == log[0].ok, "a failed write not reported, or a good one reported failed");
    std::array<std::uint8_t, kReportBufferSize> full{};
    std::copy(report.begin(), report.end(), full.begin());
    if (layout == CommandLayout::kNone) {
        FuzzCheck(std::all_of(report.begin(), report.end(), [](std::uint8_t b) { return b == 0; }),
                  "a report for an unknown code is not all zero");
        return;
    }
    if (report.size() >= 2) FuzzCheck(full[1] == code, "the code not in byte 1");
    if (hasPayload && report.size() >= kCommandHeaderSize + payload) {
        FuzzCheck(std::equal(g_cmdData.begin(), g_cmdData.begin() + static_cast<std::ptrdiff_t>(payload),
                             full.begin() + kCommandHeaderSize),
                  "the payload not from byte 12");
    }
    FuzzCheck(std::all_of(full.begin() + kCommandHeaderSize + (hasPayload ? payload : 0), full.end(),
                          [](std::uint8_t b) { return b == 0; }),
              "bytes after the command are not zero");
}

void CheckAnswer(CSetupDlg& dlg, std::vector<Transfer>& log) {
    log.clear();
    const auto dataBefore = g_cmdData;
    const std::size_t expected = g_cmdLen & 0xFF;
    const std::size_t inputLength = g_reportLen[kInputLength];
    const int answered = dlg.ReadAdapterResponse();
    if (inputLength > kReportBufferSize || expected > kMaxAnswerPayload) {
        FuzzCheck(answered == 0 && log.empty(), "answers read into a buffer that cannot take them");
        return;
    }
    FuzzCheck(log.size() <= 100, "more than 100 answer reports read");
    // The buffer as the product sees it: what the reads left in the input report's length, zeros beyond.
    const auto buffer = [](const Transfer& read) {
        std::array<std::uint8_t, kReportBufferSize> bytes{};
        std::copy(read.bytes.begin(), read.bytes.end(), bytes.begin());
        return bytes;
    };
    for (const Transfer& read : log) FuzzCheck(read.bytes.size() == inputLength, "a read of another length");
    const bool matched = !log.empty() && log.back().ok && buffer(log.back())[0] == expected;
    FuzzCheck((answered == 1) == matched, "an answer taken without its length, or one of its length missed");
    for (std::size_t i = 0; i + 1 < log.size(); ++i)
        FuzzCheck(log[i].ok && buffer(log[i])[0] != expected, "reading went on after its end");
    if (answered == 1) {
        const auto answer = buffer(log.back());
        FuzzCheck(std::equal(answer.begin() + 1, answer.begin() + 1 + static_cast<std::ptrdiff_t>(expected),
                             g_cmdData.begin()),
                  "the answer's payload not taken as it stood");
        FuzzCheck(std::equal(dataBefore.begin() + static_cast<std::ptrdiff_t>(expected), dataBefore.end(),
                             g_cmdData.begin() + static_cast<std::ptrdiff_t>(expected)),
                  "bytes beyond the answer changed");
    } else {
        FuzzCheck(g_cmdData == dataBefore, "the payload buffer changed without an answer");
    }
}

void CheckResetToApplication(CSetupDlg& dlg, std::vector<Transfer>& log) {
    log.clear();
    const std::size_t featureLength = g_reportLen[kFeatureLength];
    const int reset = dlg.ICE_Reset_to_AP();
    if (featureLength < kMinFeatureReportLength) {
        FuzzCheck(reset == 0 && log.empty(), "a reset report shorter than 9 bytes sent");
        return;
    }
    FuzzCheck(
        !log.empty() && log[0].kind == Transfer::Kind::kSetFeature && log[0].bytes.size() == featureLength,
        "the reset report not of the feature report length");
    std::vector<std::uint8_t> expected(featureLength, 0);
    expected[1] = kFeatureResetToApplication;
    FuzzCheck(log[0].bytes == expected, "the reset report's bytes");
    FuzzCheck((reset == 1) == log[0].ok, "the reset's result");
    FuzzCheck(log.size() == (log[0].ok ? 1u : 2u), "a refused reset not cancelled, or a good one cancelled");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    std::vector<Transfer> log;
    static const auto files = MakeMachineFileSystem();
    FuzzDialog f(*files, platform::CodePage::kUtf8);

    ResetAdapterState();
    g_hAdapter = std::make_unique<ScriptedDevice>(input, log);
    // Lengths around the buffers' limits are the interesting ones.
    for (std::uint16_t& length : g_reportLen)
        length = input.ConsumeBool() ? input.ConsumeIntegralInRange<std::uint16_t>(0, 70)
                                     : input.ConsumeIntegral<std::uint16_t>();
    g_cmdCode = input.ConsumeIntegral<std::uint8_t>();
    g_cmdAddr = input.ConsumeIntegral<std::uint32_t>();
    g_cmdLen = input.ConsumeIntegral<std::uint32_t>();
    const auto payload = input.ConsumeBytes<std::uint8_t>(g_cmdData.size());
    std::copy(payload.begin(), payload.end(), g_cmdData.begin());

    CheckCommand(f.dlg, log);
    const std::uint8_t code = g_cmdCode;
    f.dlg.ResetToLoader();
    FuzzCheck(g_cmdCode == code, "the switch to the loader did not put the command code back");
    CheckAnswer(f.dlg, log);
    CheckResetToApplication(f.dlg, log);
    f.dlg.ICE_Close_Device();
    FuzzCheck(g_hAdapter == nullptr, "the device stays open after its close");
    ResetAdapterState();
    return 0;
}
