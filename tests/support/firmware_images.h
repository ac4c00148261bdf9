// Firmware image files for tests, built as the installer expects to read them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "adapter/firmware_image.h"

// The bytes the adapter is to receive: a fixed pattern with the version trailer at 8192 when a version is
// given (and the image is long enough to hold it).
std::vector<std::uint8_t> SentImage(std::optional<FirmwareVersion> version, std::size_t length = 8202);

// The same image as it is stored in the file: bytes 256 to 6655 raised by their offset div 256.
std::string StoredImage(const std::vector<std::uint8_t>& sent);
