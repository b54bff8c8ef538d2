#include "tests/windows/driver/png.h"

#include <algorithm>

namespace driver {

namespace {

uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc = 0) {
    crc = ~crc;
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

uint32_t Adler32(const std::vector<uint8_t>& data) {
    uint32_t a = 1, b = 0;
    for (uint8_t byte : data) {
        a = (a + byte) % 65521u;
        b = (b + a) % 65521u;
    }
    return (b << 16) | a;
}

void PutBigEndian32(std::vector<uint8_t>& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

void PutChunk(std::vector<uint8_t>& out, const char type[4], const std::vector<uint8_t>& data) {
    PutBigEndian32(out, static_cast<uint32_t>(data.size()));
    size_t typeStart = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    PutBigEndian32(out, Crc32(out.data() + typeStart, out.size() - typeStart));
}

} // namespace

std::vector<uint8_t> EncodePng(const std::vector<uint8_t>& rgb, int width, int height) {
    // Raw scan lines, each led by filter type 0.
    std::vector<uint8_t> raw;
    size_t stride = static_cast<size_t>(width) * 3;
    raw.reserve((stride + 1) * static_cast<size_t>(height));
    for (int y = 0; y < height; ++y) {
        raw.push_back(0);
        raw.insert(raw.end(), rgb.begin() + static_cast<ptrdiff_t>(stride * y),
                   rgb.begin() + static_cast<ptrdiff_t>(stride * (y + 1)));
    }

    // zlib stream of stored blocks.
    std::vector<uint8_t> zlib = {0x78, 0x01};
    size_t offset = 0;
    do {
        size_t length = std::min<size_t>(65535, raw.size() - offset);
        bool last = offset + length == raw.size();
        zlib.push_back(last ? 1 : 0);
        zlib.push_back(static_cast<uint8_t>(length));
        zlib.push_back(static_cast<uint8_t>(length >> 8));
        zlib.push_back(static_cast<uint8_t>(~length));
        zlib.push_back(static_cast<uint8_t>(~length >> 8));
        zlib.insert(zlib.end(), raw.begin() + static_cast<ptrdiff_t>(offset),
                    raw.begin() + static_cast<ptrdiff_t>(offset + length));
        offset += length;
    } while (offset < raw.size());
    PutBigEndian32(zlib, Adler32(raw));

    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> header;
    PutBigEndian32(header, static_cast<uint32_t>(width));
    PutBigEndian32(header, static_cast<uint32_t>(height));
    header.insert(header.end(), {8, 2, 0, 0, 0}); // 8-bit, RGB, deflate, no filter, no interlace
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", zlib);
    PutChunk(png, "IEND", {});
    return png;
}

} // namespace driver
