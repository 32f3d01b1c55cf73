// The menu icon's PNG encoder and resampling, and the built icon against the game's window icon.
#include <gtest/gtest.h>

#include "png_encode.h"

#include <SDL.h>
#include <zlib.h>

#include <cstring>
#include <fstream>
#include <sstream>

namespace {

uint32_t bigEndian32(const std::string &bytes, size_t at) {
    return (uint32_t(uint8_t(bytes[at])) << 24) | (uint32_t(uint8_t(bytes[at + 1])) << 16) |
           (uint32_t(uint8_t(bytes[at + 2])) << 8) | uint32_t(uint8_t(bytes[at + 3]));
}

// Reads a PNG as a decoder would: signature, chunks with their CRCs, IHDR, the inflated rows.
// Only what the encoder writes is accepted: 8-bit RGB, unfiltered rows, chunks IHDR, IDAT..., IEND.
RgbImage decodePng(const std::string &png) {
    RgbImage image;
    EXPECT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    std::vector<std::string> types;
    std::string header, packed;
    size_t at = 8;
    while (at + 12 <= png.size()) {
        const uint32_t length = bigEndian32(png, at);
        const std::string type = png.substr(at + 4, 4);
        const std::string data = png.substr(at + 8, length);
        const uint32_t crc = bigEndian32(png, at + 8 + length);
        const std::string typed = type + data;
        EXPECT_EQ(crc, crc32(0, reinterpret_cast<const Bytef *>(typed.data()), typed.size())) << type;
        types.push_back(type);
        if (type == "IHDR") header = data;
        if (type == "IDAT") packed += data;
        at += 12 + length;
    }
    EXPECT_EQ(at, png.size());
    EXPECT_EQ(types, (std::vector<std::string>{"IHDR", "IDAT", "IEND"}));
    if (header.size() != 13) {
        ADD_FAILURE() << "IHDR has " << header.size() << " bytes";
        return image;
    }
    image.width = int(bigEndian32(header, 0));
    image.height = int(bigEndian32(header, 4));
    EXPECT_EQ(header.substr(8), std::string("\x08\x02\x00\x00\x00", 5));

    const size_t rowBytes = size_t(image.width) * 3;
    std::string raw((rowBytes + 1) * image.height, '\0');
    uLongf rawSize = raw.size();
    EXPECT_EQ(uncompress(reinterpret_cast<Bytef *>(&raw[0]), &rawSize,
                         reinterpret_cast<const Bytef *>(packed.data()), packed.size()), Z_OK);
    EXPECT_EQ(rawSize, raw.size());
    for (int y = 0; y < image.height; ++y) {
        EXPECT_EQ(raw[y * (rowBytes + 1)], '\0') << "filter of row " << y;
        image.rgb.insert(image.rgb.end(), raw.begin() + y * (rowBytes + 1) + 1,
                         raw.begin() + (y + 1) * (rowBytes + 1));
    }
    return image;
}

RgbImage numberedImage(int width, int height) {
    RgbImage image;
    image.width = width;
    image.height = height;
    for (int i = 0; i < width * height * 3; ++i) image.rgb.push_back(uint8_t(i * 7 + 1));
    return image;
}

}  // namespace

TEST(IconPng, DecodesToTheSamePixelsAndIsTheSameEveryTime) {
    const RgbImage image = numberedImage(5, 3);
    const std::string png = encodePng(image);
    const RgbImage back = decodePng(png);
    EXPECT_EQ(back.width, 5);
    EXPECT_EQ(back.height, 3);
    EXPECT_EQ(back.rgb, image.rgb);
    EXPECT_EQ(encodePng(image), png);
}

TEST(IconPng, NearestResamplingMakesBlocksAndKeepsTheSameSize) {
    const RgbImage image = numberedImage(2, 2);
    EXPECT_EQ(scaleNearest(image, 2, 2).rgb, image.rgb);

    const RgbImage doubled = scaleNearest(image, 4, 4);
    ASSERT_EQ(doubled.rgb.size(), size_t(4 * 4 * 3));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            for (int c = 0; c < 3; ++c)
                EXPECT_EQ(doubled.rgb[(y * 4 + x) * 3 + c], image.rgb[((y / 2) * 2 + x / 2) * 3 + c])
                    << x << "," << y;

    // Halving keeps the top-left pixel of each 2x2 block.
    const RgbImage big = numberedImage(4, 4);
    const RgbImage halved = scaleNearest(big, 2, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x)
            for (int c = 0; c < 3; ++c)
                EXPECT_EQ(halved.rgb[(y * 2 + x) * 3 + c], big.rgb[((y * 2) * 4 + x * 2) * 3 + c]);
}

// The 32x32 menu icon the build made shows exactly the window icon's pixels.
TEST(IconPng, BuiltMenuIconShowsTheWindowIcon) {
    SDL_Surface *loaded = SDL_LoadBMP(GRIMVALE_ROOT "/Graphics/player1.bmp");
    if (!loaded) GTEST_SKIP() << "the tree has no Graphics/player1.bmp yet";
    SDL_Surface *icon = SDL_CreateRGBSurface(SDL_SWSURFACE, loaded->w, loaded->h, 32, 0xff0000, 0xff00, 0xff, 0);
    SDL_BlitSurface(loaded, nullptr, icon, nullptr);
    SDL_FreeSurface(loaded);

    std::ifstream in(GRIMVALE_ICON_DIR "/32x32/apps/grimvale.png", std::ios::binary);
    ASSERT_TRUE(in) << "menu icon not built";
    std::stringstream bytes;
    bytes << in.rdbuf();
    const RgbImage png = decodePng(bytes.str());
    ASSERT_EQ(png.width, 32);
    ASSERT_EQ(png.height, 32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const int sx = x * icon->w / 32;
            const int sy = y * icon->h / 32;
            Uint32 pixel;
            std::memcpy(&pixel, static_cast<Uint8 *>(icon->pixels) + sy * icon->pitch + sx * 4, 4);
            const uint8_t *rgb = &png.rgb[(y * 32 + x) * 3];
            ASSERT_EQ((Uint32(rgb[0]) << 16) | (Uint32(rgb[1]) << 8) | rgb[2], pixel & 0xffffff)
                << "at " << x << "," << y;
        }
    SDL_FreeSurface(icon);
}
