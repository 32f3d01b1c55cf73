// Encoding an RGB picture as a PNG file, for the desktop icon made from the game's own icon.
#include "png_encode.h"

#include <zlib.h>

#include <cstddef>

namespace {

void putBigEndian32(std::string &out, uint32_t value) {
    out.push_back(static_cast<char>(value >> 24));
    out.push_back(static_cast<char>(value >> 16));
    out.push_back(static_cast<char>(value >> 8));
    out.push_back(static_cast<char>(value));
}

// A chunk is its length, its type, its data and the CRC of type and data.
void putChunk(std::string &out, const char *type, const std::string &data) {
    putBigEndian32(out, static_cast<uint32_t>(data.size()));
    std::string typed = std::string(type, 4) + data;
    out += typed;
    uLong crc = crc32(0L, Z_NULL, 0);
    crc = crc32(crc, reinterpret_cast<const Bytef *>(typed.data()), static_cast<uInt>(typed.size()));
    putBigEndian32(out, static_cast<uint32_t>(crc));
}

}  // namespace

RgbImage scaleNearest(const RgbImage &image, int width, int height) {
    RgbImage scaled;
    scaled.width = width;
    scaled.height = height;
    scaled.rgb.resize(static_cast<size_t>(scaled.width) * scaled.height * 3);
    for (int y = 0; y < scaled.height; ++y)
        for (int x = 0; x < scaled.width; ++x)
            for (int c = 0; c < 3; ++c)
                scaled.rgb[(static_cast<size_t>(y) * scaled.width + x) * 3 + c] =
                    image.rgb[(static_cast<size_t>(y * image.height / height) * image.width +
                               x * image.width / width) * 3 + c];
    return scaled;
}

std::string encodePng(const RgbImage &image) {
    std::string png("\x89PNG\r\n\x1a\n", 8);

    // IHDR: width, height, bit depth 8, colour type 2 (RGB), deflate, adaptive filtering, no interlace.
    std::string header;
    putBigEndian32(header, static_cast<uint32_t>(image.width));
    putBigEndian32(header, static_cast<uint32_t>(image.height));
    header += std::string("\x08\x02\x00\x00\x00", 5);
    putChunk(png, "IHDR", header);

    // Every row starts with filter type 0 (none).
    const size_t rowBytes = static_cast<size_t>(image.width) * 3;
    std::string raw;
    raw.reserve((rowBytes + 1) * image.height);
    for (int y = 0; y < image.height; ++y) {
        raw.push_back('\0');
        raw.append(reinterpret_cast<const char *>(image.rgb.data()) + y * rowBytes, rowBytes);
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::string packed(packedSize, '\0');
    compress2(reinterpret_cast<Bytef *>(&packed[0]), &packedSize,
              reinterpret_cast<const Bytef *>(raw.data()), static_cast<uLong>(raw.size()), 9);
    packed.resize(packedSize);
    putChunk(png, "IDAT", packed);

    putChunk(png, "IEND", std::string());
    return png;
}
