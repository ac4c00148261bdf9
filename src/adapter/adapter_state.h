// The state of the one adapter that is open at a time, shared by the discovery, the report protocol and the
// upgrade sequence. All zero (no device) at start.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "platform/hid_bus.h"

// The open HID device of the adapter; null when none is open.
extern std::unique_ptr<platform::HidDevice> g_hAdapter;

// Report lengths of g_hAdapter in bytes, report-ID byte included: [kFeatureLength], [kInputLength],
// [kOutputLength]. Kept whole, so a length the buffers cannot take is refused rather than mistaken.
extern std::array<std::uint16_t, 3> g_reportLen;
constexpr std::size_t kFeatureLength = 0;
constexpr std::size_t kInputLength = 1;
constexpr std::size_t kOutputLength = 2;

// The next command: its code, address and length arguments and its payload (which also receives an answer).
extern std::uint8_t g_cmdCode;
extern std::uint32_t g_cmdAddr;
extern std::uint32_t g_cmdLen;
extern std::array<std::uint8_t, 256> g_cmdData;

// Closes the adapter and sets every global back to its start value.
void ResetAdapterState();
