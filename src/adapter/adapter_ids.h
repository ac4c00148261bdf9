// The ICE adapter's USB identity: one vendor ID for both of its modes.
#pragma once

#include <cstdint>

// The vendor ID the program looks for unless --adapter-vid names another.
constexpr std::uint16_t kDefaultAdapterVendorId = 0x2E1A;

constexpr std::uint16_t kApplicationProductId = 0x030A;
constexpr std::uint16_t kBootLoaderProductId = 0x030B;
