#include "adapter/firmware_image.h"

#include <algorithm>
#include <numeric>

namespace {
constexpr std::array<std::uint8_t, 4> kTrailerMagic = {'T', 'r', 'e', 'l'};
constexpr std::size_t kVersionAt = 8;
}  // namespace

std::optional<FirmwareVersion> VersionOfTrailer(std::span<const std::uint8_t, kTrailerSize> trailer) {
    if (!std::equal(kTrailerMagic.begin(), kTrailerMagic.end(), trailer.begin())) return std::nullopt;
    return FirmwareVersion{trailer[kVersionAt], trailer[kVersionAt + 1]};
}

std::optional<FirmwareVersion> VersionOfImage(std::span<const std::uint8_t> image) {
    if (image.size() < kVersionedImageMinLength) return std::nullopt;
    return VersionOfTrailer(image.subspan(kTrailerOffset).first<kTrailerSize>());
}

void LowerStoredRaise(std::span<std::uint8_t> image) {
    for (std::size_t i = kRaisedBegin; i < kRaisedEnd; ++i)
        image[i] = static_cast<std::uint8_t>(image[i] - i / 256);
}

std::uint32_t SumOfImage(std::span<const std::uint8_t> image) {
    return std::accumulate(image.begin(), image.end(), std::uint32_t{0});
}
