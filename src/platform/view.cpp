// Puts the game's 600x500 picture on the window: at a whole-number scale, centred on black in full
// screen, and dimmed under the pause line while paused. The rules never see any of it.
#include "platform/view.h"

#include "draw/font.h"
#include "platform/key_bindings.h"
#include "platform/platform.h"
#include "shell/match_state.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int32_t windowRoomPercent = 90;  // the window leaves a tenth of the desktop free
constexpr int32_t longestKeyLabel = 24;    // characters of the key's name in the pause line

SDL_Surface *pictureLike(SDL_Surface *window) {
    const SDL_PixelFormat *f = window->format;
    return SDL_CreateRGBSurface(SDL_SWSURFACE, pictureW, pictureH, 32, f->Rmask, f->Gmask, f->Bmask, 0);
}

// Row y of a 32-bit surface.
Uint32 *rowOf(SDL_Surface *surface, int32_t y) {
    return reinterpret_cast<Uint32 *>(static_cast<Uint8 *>(surface->pixels) + y * surface->pitch);
}

// Halves every colour channel: the picture stays recognisable behind the pause line.
void dim(SDL_Surface *surface) {
    SDL_LockSurface(surface);
    for (int32_t y = 0; y < surface->h; y++) {
        Uint32 *row = rowOf(surface, y);
        for (int x = 0; x < surface->w; x++) row[x] = (row[x] >> 1) & 0x7F7F7F7Fu;
    }
    SDL_UnlockSurface(surface);
}

void copyPicture(SDL_Surface *from, SDL_Surface *to) {
    SDL_Rect at = {0, 0, 0, 0};
    SDL_BlitSurface(from, nullptr, to, &at);
}

void show(SDL_Surface *picture) {
    const ViewState &v = match.view;
    if (picture != v.window) scalePicture(picture, v.window, v.scale, v.offsetX, v.offsetY);
    SDL_Flip(v.window);
}

}  // namespace

void pauseLine(char *line, int32_t size) {
    int32_t count = 0;
    char key[longestKeyLabel + 1];
    keyLabel(actionKeys(ActionPause, count)[0], key, sizeof key);
    std::snprintf(line, static_cast<size_t>(size), "Paused - press %s", key);
}

int32_t fittingScale(int32_t w, int32_t h, int32_t percent) {
    int32_t scale = 1;
    for (int32_t k = 2; k <= largestScale; k++) {
        if (pictureW * k * 100 <= w * percent && pictureH * k * 100 <= h * percent) scale = k;
    }
    return scale;
}

int32_t chooseWindowScale(const char *setting, int32_t desktopW, int32_t desktopH) {
    int32_t automatic = desktopW > 0 && desktopH > 0 ? fittingScale(desktopW, desktopH, windowRoomPercent) : 1;
    if (setting == nullptr) return automatic;
    char *end = nullptr;
    long asked = std::strtol(setting, &end, 10);
    bool digits = setting[0] >= '0' && setting[0] <= '9' && *end == '\0';  // no sign, no blanks
    bool usable = digits && asked >= 1 && asked <= largestScale;
    if (!usable) {
        std::fprintf(stderr, "GRIMVALE_SCALE=%s ignored: the scale is a whole number from 1 to %d\n", setting, largestScale);
        return automatic;
    }
    int32_t scale = static_cast<int32_t>(asked);
    bool unknownDesktop = desktopW <= 0 || desktopH <= 0;
    int32_t fits = unknownDesktop ? largestScale : fittingScale(desktopW, desktopH, 100);
    if (scale <= fits) return scale;  // 1 always: no window is smaller than the picture
    std::fprintf(stderr, "GRIMVALE_SCALE=%s too large for the %dx%d desktop: scale %d instead\n", setting,
                 desktopW, desktopH, fits);
    return fits;
}

void releaseWindow() {
    ViewState &v = match.view;
    if (v.window && !v.canvas) v.canvas = pictureLike(v.window);
    if (v.window && !v.drawsOnCanvas) copyPicture(v.window, v.canvas);
    v.window = nullptr;
    if (v.canvas) match.screen = v.canvas;
}

void useWindow(SDL_Surface *window, int32_t scale, bool fullScreen) {
    ViewState &v = match.view;
    v.window = window;
    v.scale = scale;
    v.fullScreen = fullScreen;
    v.offsetX = (window->w - pictureW * scale) / 2;
    v.offsetY = (window->h - pictureH * scale) / 2;
    v.drawsOnCanvas = scale > 1 || window->w != pictureW || window->h != pictureH;
    if (v.drawsOnCanvas && !v.canvas) v.canvas = pictureLike(window);
    SDL_FillRect(window, nullptr, SDL_MapRGB(window->format, 0, 0, 0));
    if (!v.drawsOnCanvas && v.canvas) copyPicture(v.canvas, window);
    match.screen = v.drawsOnCanvas ? v.canvas : window;
}

namespace {

// One row of the picture made scale times wider. With the scale known when compiling, the inner loop
// unrolls into plain stores; this row is the one part of scaling that is not a straight copy.
template <int32_t Scale>
void widenRow(const Uint32 *from, Uint32 *to, int32_t scale) {
    int32_t k = Scale > 0 ? Scale : scale;
    for (int32_t px = 0; px < pictureW; px++) {
        for (int32_t i = 0; i < k; i++) to[i] = from[px];
        to += k;
    }
}

// The whole 600x500 picture inside dst, as every frame has it: each row widened once, then copied
// down scale - 1 times.
void scaleWhole(SDL_Surface *picture, SDL_Surface *dst, int32_t scale, int32_t x, int32_t y) {
    size_t rowBytes = static_cast<size_t>(pictureW * scale) * 4;
    for (int32_t py = 0; py < pictureH; py++) {
        const Uint32 *from = rowOf(picture, py);
        Uint32 *to = rowOf(dst, y + py * scale) + x;
        Uint8 *first = reinterpret_cast<Uint8 *>(to);
        if (scale == 2) widenRow<2>(from, to, scale);
        if (scale == 3) widenRow<3>(from, to, scale);
        if (scale == 4) widenRow<4>(from, to, scale);
        if (scale == 1 || scale > 4) widenRow<0>(from, to, scale);
        for (int32_t k = 1; k < scale; k++) std::memcpy(first + k * dst->pitch, first, rowBytes);
    }
}

// Only what of the scaled picture falls inside dst, pixel by pixel: a surface smaller than the
// picture at its scale (a full-screen mode not of the size asked for) shows the middle part of it.
void scaleClipped(SDL_Surface *picture, SDL_Surface *dst, int32_t scale, int32_t x, int32_t y) {
    int32_t left = std::max(x, 0), right = std::min(x + picture->w * scale, dst->w);
    int32_t top = std::max(y, 0), bottom = std::min(y + picture->h * scale, dst->h);
    for (int32_t dy = top; dy < bottom; dy++) {
        const Uint32 *from = rowOf(picture, (dy - y) / scale);
        Uint32 *to = rowOf(dst, dy);
        for (int32_t dx = left; dx < right; dx++) to[dx] = from[(dx - x) / scale];
    }
}

}  // namespace

// A scale out of range or a surface that is not 32 bits per pixel draws nothing.
void scalePicture(SDL_Surface *picture, SDL_Surface *dst, int32_t scale, int32_t x, int32_t y) {
    bool usable = scale >= 1 && scale <= largestScale && picture->format->BytesPerPixel == 4 &&
                  dst->format->BytesPerPixel == 4;
    if (!usable) return;
    bool whole = picture->w == pictureW && picture->h == pictureH && x >= 0 && y >= 0 &&
                 x + pictureW * scale <= dst->w && y + pictureH * scale <= dst->h;
    SDL_LockSurface(picture);
    SDL_LockSurface(dst);
    if (whole) scaleWhole(picture, dst, scale, x, y);
    if (!whole) scaleClipped(picture, dst, scale, x, y);
    SDL_UnlockSurface(dst);
    SDL_UnlockSurface(picture);
}

void presentFrame() {
    if (!match.view.drawsOnCanvas) SDL_Flip(match.screen);
    if (match.view.drawsOnCanvas) show(match.screen);
}

// The undimmed frame goes to view.held. In a window at scale 1 match.screen is the window itself,
// which is dimmed in place and put back on resuming; otherwise the held copy is the one dimmed, and
// match.screen is never touched. Either way the game's picture comes back as it was: the title
// screen, which only redraws its corner, must not stay dimmed.
void pauseGame() {
    ViewState &v = match.view;
    if (v.paused || v.window == nullptr) return;
    if (!v.held) v.held = pictureLike(v.window);
    v.paused = true;
    copyPicture(match.screen, v.held);
    SDL_Surface *shown = v.drawsOnCanvas ? v.held : match.screen;
    dim(shown);
    int32_t cell = match.hudFont ? match.hudFont->cellSize : 0;
    char line[64];
    pauseLine(line, sizeof line);
    drawText(shown, match.hudFont, (pictureW - textWidth(match.hudFont, "%s", line)) / 2, (pictureH - cell) / 2, "%s", line);
    show(shown);
}

void resumeGame() {
    ViewState &v = match.view;
    if (!v.paused) return;
    v.paused = false;
    if (!v.drawsOnCanvas) copyPicture(v.held, match.screen);
}

void showPauseAgain() {
    const ViewState &v = match.view;
    if (v.paused && v.window) show(v.drawsOnCanvas ? v.held : match.screen);
}
