// grimvale-web-png: the game's pictures as the browser version gets them, PNG files of the same
// pixels that the browser decodes itself, far smaller than the BMP files over the network.
//
//   grimvale-web-png PICTURE.bmp OUT.png        the picture at its own size
//   grimvale-web-png PICTURE.bmp OUT.png SIZE   resampled to SIZE x SIZE, nearest pixel (the page's icons)
#include "bmp_image.h"
#include "png_encode.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv) {
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: %s PICTURE.bmp OUT.png [SIZE]\n", argv[0]);
        return 2;
    }
    const int size = argc == 4 ? std::atoi(argv[3]) : 0;
    if (argc == 4 && (size < 1 || size > 1024)) {
        std::fprintf(stderr, "%s: bad size: %s\n", argv[0], argv[3]);
        return 2;
    }
    RgbImage image;
    if (!loadBmpImage(argv[1], image)) {
        std::fprintf(stderr, "%s: cannot read %s: %s\n", argv[0], argv[1], SDL_GetError());
        return 1;
    }
    if (size > 0) image = scaleNearest(image, size, size);

    if (!writePng(argv[2], image, PngRows::filtered)) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[2]);
        return 1;
    }
    return 0;
}
