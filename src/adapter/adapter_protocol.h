// The reports the program exchanges with the ICE adapter: command and answer reports in its application,
// feature reports in its boot loader.
#pragma once

#include <cstddef>
#include <cstdint>

// Command and answer reports are built in buffers of this size.
constexpr std::size_t kReportBufferSize = 65;
constexpr std::size_t kCommandHeaderSize = 12;
constexpr std::size_t kMaxCommandPayload = kReportBufferSize - kCommandHeaderSize;
constexpr std::size_t kMaxAnswerPayload = kReportBufferSize - 1;

// Every feature report the program sends fills bytes 0 to 8.
constexpr std::size_t kMinFeatureReportLength = 9;

// Command codes (byte 1 of a command report).
constexpr std::uint8_t kCmdResetToLoader = 0x44;
constexpr std::uint8_t kCmdVersionQuery = 0xA8;

// Byte 1 of the boot loader's feature reports.
constexpr std::uint8_t kFeatureResetToApplication = 0x44;
constexpr std::uint8_t kFeatureDownloadStart = 0x33;
constexpr std::uint8_t kFeatureDownloadEnd = 0x22;

// Which fields of the command report a command code fills.
enum class CommandLayout {
    kNone,                  // the report goes out all zero
    kCodeOnly,              // length byte 12 and the code
    kAddressLength,         // ... and the address and length
    kAddressLengthPayload,  // ... and a payload from byte 12
    kPayloadOnly,           // code and payload, no address or length
};

CommandLayout LayoutOfCommand(std::uint8_t code);

// Stores value at destination, least significant byte first.
void PutU32LE(std::uint8_t* destination, std::uint32_t value);
