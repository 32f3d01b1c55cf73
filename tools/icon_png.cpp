// grimvale-icon-png: makes the desktop's PNG icon from the game's window icon, Graphics/player1.bmp.
//
//   grimvale-icon-png ICON.bmp SIZE OUT.png       the icon resampled to SIZE x SIZE, nearest pixel
//   grimvale-icon-png --placeholder SIZE OUT.png  a plain SIZE x SIZE stand-in, for a tree without the art
#include "bmp_image.h"
#include "png_encode.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// A dark tile with a lighter ring: only ever shown while the game's own icon is missing.
RgbImage placeholder(int size) {
    RgbImage image;
    image.width = size;
    image.height = size;
    image.rgb.resize(static_cast<size_t>(size) * size * 3);
    const int centre = size / 2;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const int d2 = (x - centre) * (x - centre) + (y - centre) * (y - centre);
            const bool ring = d2 <= (size * size) / 9 && d2 >= (size * size) / 25;
            Uint8 *out = &image.rgb[(static_cast<size_t>(y) * size + x) * 3];
            out[0] = ring ? 0xc8 : 0x30;
            out[1] = ring ? 0xb4 : 0x34;
            out[2] = ring ? 0x64 : 0x2c;
        }
    return image;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s ICON.bmp SIZE OUT.png | --placeholder SIZE OUT.png\n", argv[0]);
        return 2;
    }
    const int size = std::atoi(argv[2]);
    if (size < 1 || size > 1024) {
        std::fprintf(stderr, "%s: bad size: %s\n", argv[0], argv[2]);
        return 2;
    }

    RgbImage image;
    if (std::strcmp(argv[1], "--placeholder") == 0) {
        image = placeholder(size);
    } else {
        RgbImage icon;
        if (!loadBmpImage(argv[1], icon)) {
            std::fprintf(stderr, "%s: cannot read %s: %s\n", argv[0], argv[1], SDL_GetError());
            return 1;
        }
        image = scaleNearest(icon, size, size);
    }

    if (!writePng(argv[3], image)) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[3]);
        return 1;
    }
    return 0;
}
