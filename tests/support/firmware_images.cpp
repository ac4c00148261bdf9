#include "support/firmware_images.h"

std::vector<std::uint8_t> SentImage(std::optional<FirmwareVersion> version, std::size_t length) {
    std::vector<std::uint8_t> image(length);
    for (std::size_t i = 0; i < length; ++i) image[i] = static_cast<std::uint8_t>(i * 7 + i / 251);
    if (version && length >= kVersionedImageMinLength) {
        const std::uint8_t trailer[kTrailerSize] = {'T',  'r',  'e',  'l',           0xA5,
                                                    0x5A, 0x00, 0xFF, (*version)[0], (*version)[1]};
        std::copy(std::begin(trailer), std::end(trailer), image.begin() + kTrailerOffset);
    }
    return image;
}

std::string StoredImage(const std::vector<std::uint8_t>& sent) {
    std::string stored(sent.begin(), sent.end());
    for (std::size_t i = kRaisedBegin; i < kRaisedEnd && i < stored.size(); ++i)
        stored[i] = static_cast<char>(static_cast<std::uint8_t>(stored[i]) + i / 256);
    return stored;
}
