// The application's command and answer reports, and the two mode switches.
#include <algorithm>
#include <array>
#include <vector>

#include "adapter/adapter_protocol.h"
#include "adapter/adapter_state.h"
#include "app/setup_dlg.h"

namespace {

// A silent adapter must not hold the program: each answer report gets this long.
constexpr std::uint32_t kAnswerTimeoutMs = 1000;
constexpr int kMaxAnswerReads = 100;

}  // namespace

int CSetupDlg::SendAdapterCommand() {
    const std::size_t outputLength = g_reportLen[kOutputLength];
    const std::size_t payloadLength = g_cmdLen & 0xFF;
    const CommandLayout layout = LayoutOfCommand(g_cmdCode);
    const bool hasPayload =
        layout == CommandLayout::kAddressLengthPayload || layout == CommandLayout::kPayloadOnly;
    // Refused rather than written past the report buffer.
    if (!g_hAdapter || outputLength > kReportBufferSize || (hasPayload && payloadLength > kMaxCommandPayload))
        return 0;

    std::array<std::uint8_t, kReportBufferSize> report{};
    if (layout != CommandLayout::kNone) {
        report[0] = static_cast<std::uint8_t>(kCommandHeaderSize + (hasPayload ? payloadLength : 0));
        report[1] = g_cmdCode;
    }
    if (layout == CommandLayout::kAddressLength || layout == CommandLayout::kAddressLengthPayload) {
        PutU32LE(&report[2], g_cmdAddr);
        PutU32LE(&report[6], g_cmdLen);
    }
    if (hasPayload) std::copy_n(g_cmdData.begin(), payloadLength, report.begin() + kCommandHeaderSize);

    if (!g_hAdapter->WriteOutputReport(std::span(report.data(), outputLength))) {
        ReportSystemError();
        return 0;
    }
    return 1;
}

// Skips reports that are not the awaited answer; a failed or timed-out read ends the exchange, so it is
// never taken for an answer.
int CSetupDlg::ReadAdapterResponse() {
    const std::size_t inputLength = g_reportLen[kInputLength];
    const std::size_t expected = g_cmdLen & 0xFF;
    if (!g_hAdapter || inputLength > kReportBufferSize || expected > kMaxAnswerPayload) return 0;

    std::array<std::uint8_t, kReportBufferSize> answer{};
    for (int read = 0; read < kMaxAnswerReads; ++read) {
        if (!g_hAdapter->ReadInputReport(std::span(answer.data(), inputLength), kAnswerTimeoutMs)) return 0;
        if (answer[0] == expected) {
            std::copy_n(answer.begin() + 1, expected, g_cmdData.begin());
            return 1;
        }
    }
    return 0;
}

// A failed write has been shown already; the caller waits for the boot loader either way.
int CSetupDlg::ResetToLoader() {
    const std::uint8_t keptCode = g_cmdCode;
    g_cmdCode = kCmdResetToLoader;
    SendAdapterCommand();
    g_cmdCode = keptCode;
    return 1;
}

int CSetupDlg::ICE_Reset_to_AP() {
    if (!g_hAdapter) return 0;
    const std::size_t featureLength = g_reportLen[kFeatureLength];
    if (featureLength < kMinFeatureReportLength) return 0;
    std::vector<std::uint8_t> report(featureLength, 0);
    report[1] = kFeatureResetToApplication;
    if (g_hAdapter->SetFeatureReport(report)) return 1;
    g_hAdapter->CancelPendingIo();
    return 0;
}

int CSetupDlg::ICE_Close_Device() {
    g_hAdapter.reset();
    return 1;
}
