// Writes an image as a PNG file without any library: 8-bit RGB, the pixel data in stored (uncompressed)
// deflate blocks. Screenshots are small enough for that.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// rgb holds width * height pixels, three bytes each, row by row from the top.
bool WritePng(const std::string& path, int width, int height, const std::vector<std::uint8_t>& rgb);

// The file's bytes, as WritePng writes them.
std::string EncodePng(int width, int height, const std::vector<std::uint8_t>& rgb);
