// Reading one of the game's BMP pictures into an RgbImage, for the tools that make PNG files of them.
#include "bmp_image.h"

#include <SDL.h>

#include <cstring>

bool loadBmpImage(const char *path, RgbImage &image) {
    SDL_Surface *surface = SDL_LoadBMP(path);
    if (!surface) return false;
    image.width = surface->w;
    image.height = surface->h;
    image.rgb.resize(static_cast<size_t>(image.width) * image.height * 3);
    SDL_LockSurface(surface);
    const int bpp = surface->format->BytesPerPixel;
    for (int y = 0; y < surface->h; ++y) {
        const Uint8 *row = static_cast<const Uint8 *>(surface->pixels) + y * surface->pitch;
        for (int x = 0; x < surface->w; ++x) {
            Uint32 pixel = 0;
            std::memcpy(&pixel, row + x * bpp, static_cast<size_t>(bpp));
            if (SDL_BYTEORDER == SDL_BIG_ENDIAN) pixel >>= (4 - bpp) * 8;
            Uint8 *out = &image.rgb[(static_cast<size_t>(y) * image.width + x) * 3];
            SDL_GetRGB(pixel, surface->format, &out[0], &out[1], &out[2]);
        }
    }
    SDL_UnlockSurface(surface);
    SDL_FreeSurface(surface);
    return true;
}
