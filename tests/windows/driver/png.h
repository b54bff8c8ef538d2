// A minimal PNG encoder for screenshots: 8-bit RGB, no filtering, stored
// (uncompressed) deflate blocks. Large files, but no library needed.
#pragma once

#include <cstdint>
#include <vector>

namespace driver {

// `rgb` holds width * height pixels, three bytes each, rows top to bottom.
std::vector<uint8_t> EncodePng(const std::vector<uint8_t>& rgb, int width, int height);

} // namespace driver
