// The firmware image file: its version trailer, the raise that part of it is stored with, and its checksum.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

constexpr const char* kFirmwareImageName = "Trelvor.dat";

constexpr std::size_t kTrailerOffset = 8192;
constexpr std::size_t kTrailerSize = 10;
constexpr std::size_t kVersionedImageMinLength = kTrailerOffset + kTrailerSize;
// Bytes [kRaisedBegin, kRaisedEnd) are stored raised by their offset div 256.
constexpr std::size_t kRaisedBegin = 256;
constexpr std::size_t kRaisedEnd = 6656;
// The download start report announces the length in 24 bits.
constexpr std::uint64_t kMaxImageLength = 0xFFFFFF;

using FirmwareVersion = std::array<std::uint8_t, 2>;

struct ImageTrailer {
    enum class Kind { kVersion, kNoVersion, kOpenFailed };
    Kind kind = Kind::kOpenFailed;
    FirmwareVersion version{};
};

// The image as it is sent: the whole file with the stored raise taken off, and the sum of its bytes.
struct FirmwareImage {
    enum class Kind {
        kLoaded,
        kOpenFailed,  // the file could not be opened or read; a box has said so
        kUnusable,    // too short to take the raise off, or too long to announce
    };
    Kind kind = Kind::kOpenFailed;
    std::vector<std::uint8_t> bytes;
    std::uint32_t checksum = 0;
};

// The version of a 10-byte trailer, or none when it does not begin with the magic "Trel".
std::optional<FirmwareVersion> VersionOfTrailer(std::span<const std::uint8_t, kTrailerSize> trailer);

// The version an image (stored or prepared: the trailer is the same in both) carries, if any.
std::optional<FirmwareVersion> VersionOfImage(std::span<const std::uint8_t> image);

// Takes the stored raise off; the image must hold at least kRaisedEnd bytes.
void LowerStoredRaise(std::span<std::uint8_t> image);

// The unsigned 32-bit sum of all bytes.
std::uint32_t SumOfImage(std::span<const std::uint8_t> image);
