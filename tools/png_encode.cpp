// Encoding an RGB picture as a PNG file: the desktop icon made from the game's own icon, and the
// pictures of the browser version.
#include "png_encode.h"

#include <zlib.h>

#include <cstddef>
#include <cstdlib>
#include <fstream>

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

// The Paeth predictor: of left, up and up-left, the one nearest to left + up - up-left.
int paeth(int left, int up, int upLeft) {
    const int guess = left + up - upLeft;
    const int toLeft = std::abs(guess - left);
    const int toUp = std::abs(guess - up);
    const int toUpLeft = std::abs(guess - upLeft);
    if (toLeft <= toUp && toLeft <= toUpLeft) return left;
    if (toUp <= toUpLeft) return up;
    return upLeft;
}

// One row through filter type 0 (none), 1 (sub), 2 (up), 3 (average) or 4 (Paeth), led by its type.
std::string filterRow(const uint8_t *row, const uint8_t *above, size_t rowBytes, int type) {
    std::string out(1, static_cast<char>(type));
    for (size_t i = 0; i < rowBytes; ++i) {
        const int left = i >= 3 ? row[i - 3] : 0;
        const int up = above ? above[i] : 0;
        const int upLeft = above && i >= 3 ? above[i - 3] : 0;
        const int predictions[5] = {0, left, up, (left + up) / 2, paeth(left, up, upLeft)};
        out.push_back(static_cast<char>(row[i] - predictions[type]));
    }
    return out;
}

// How far a filtered row is from all zeros, its bytes read as signed.
long distanceFromZero(const std::string &filtered) {
    long sum = 0;
    for (size_t i = 1; i < filtered.size(); ++i) sum += std::abs(static_cast<int>(static_cast<int8_t>(filtered[i])));
    return sum;
}

// The compressed rows, each led by its filter type: filter 0 to 4 on every row, or with `type` 5
// for each row the filter that leaves the smallest differences.
std::string packRows(const RgbImage &image, int type) {
    const size_t rowBytes = static_cast<size_t>(image.width) * 3;
    std::string raw;
    raw.reserve((rowBytes + 1) * image.height);
    for (int y = 0; y < image.height; ++y) {
        const uint8_t *row = image.rgb.data() + y * rowBytes;
        const uint8_t *above = y > 0 ? row - rowBytes : nullptr;
        std::string best = filterRow(row, above, rowBytes, type % 5);
        for (int other = 1; other <= 4 && type == 5; ++other) {
            std::string candidate = filterRow(row, above, rowBytes, other);
            if (distanceFromZero(candidate) < distanceFromZero(best)) best = candidate;
        }
        raw += best;
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::string packed(packedSize, '\0');
    compress2(reinterpret_cast<Bytef *>(&packed[0]), &packedSize,
              reinterpret_cast<const Bytef *>(raw.data()), static_cast<uLong>(raw.size()), 9);
    packed.resize(packedSize);
    return packed;
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

std::string encodePng(const RgbImage &image, PngRows rows) {
    std::string png("\x89PNG\r\n\x1a\n", 8);

    // IHDR: width, height, bit depth 8, colour type 2 (RGB), deflate, adaptive filtering, no interlace.
    std::string header;
    putBigEndian32(header, static_cast<uint32_t>(image.width));
    putBigEndian32(header, static_cast<uint32_t>(image.height));
    header += std::string("\x08\x02\x00\x00\x00", 5);
    putChunk(png, "IHDR", header);

    std::string packed = packRows(image, 0);
    for (int type = 1; type <= 5 && rows == PngRows::filtered; ++type) {
        std::string candidate = packRows(image, type);
        if (candidate.size() < packed.size()) packed = candidate;
    }
    putChunk(png, "IDAT", packed);

    putChunk(png, "IEND", std::string());
    return png;
}

bool writePng(const char *path, const RgbImage &image, PngRows rows) {
    const std::string png = encodePng(image, rows);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(png.data(), static_cast<std::streamsize>(png.size()));
    out.close();
    return static_cast<bool>(out);
}
