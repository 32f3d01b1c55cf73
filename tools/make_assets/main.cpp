// grimvale-make-assets: paints every picture under Graphics/ and renders both fonts under data/.
//
// Usage: grimvale-make-assets [ROOT [TYPEFACE_DIR]]
// ROOT is the directory that holds Graphics/ and data/ (default: the working directory);
// TYPEFACE_DIR holds the DejaVu TrueType files (default: Debian's fonts-dejavu-core directory).
// The output depends only on the code, the typeface files and the FreeType version.
#include "art.h"
#include "font_maker.h"

#include "draw/font.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

// Columns: font directory, typeface file, FreeType pixel size, cell side.
// font1 draws the title in white; font2 every other text in yellow, its glyphs at most 14 pixels
// tall so the heads-up line at y = 480 fits on the 500-pixel screen.
const FontRecipe fontRecipes[] = {
    {"data/font1", "DejaVuSans-Bold.ttf", 26, 32},
    {"data/font2", "DejaVuSans.ttf", 11, 16},
};
static_assert(sizeof fontRecipes / sizeof fontRecipes[0] == 2, "the game has two fonts");

// Columns: file under the root, painter.
struct Picture {
    const char *path;
    Canvas (*paint)();
};

Canvas officerUp() { return paintActor(Look::Officer, 1); }
Canvas officerDown() { return paintActor(Look::Officer, 2); }
Canvas officerLeft() { return paintActor(Look::Officer, 3); }
Canvas officerRight() { return paintActor(Look::Officer, 4); }
Canvas officerDead() { return paintDeadActor(Look::Officer); }
Canvas gangUp() { return paintActor(Look::Gang, 1); }
Canvas gangDown() { return paintActor(Look::Gang, 2); }
Canvas gangLeft() { return paintActor(Look::Gang, 3); }
Canvas gangRight() { return paintActor(Look::Gang, 4); }
Canvas gangDead() { return paintDeadActor(Look::Gang); }

const Picture pictures[] = {
    {"Graphics/swatu.bmp", officerUp},      {"Graphics/swatd.bmp", officerDown},
    {"Graphics/swatl.bmp", officerLeft},    {"Graphics/swatr.bmp", officerRight},
    {"Graphics/swatdead.bmp", officerDead}, {"Graphics/gangu.bmp", gangUp},
    {"Graphics/gangd.bmp", gangDown},       {"Graphics/gangl.bmp", gangLeft},
    {"Graphics/gangr.bmp", gangRight},      {"Graphics/gangdead.bmp", gangDead},
    {"Graphics/bullet.bmp", paintBullet},   {"Graphics/mflash.bmp", paintMuzzleFlash},
    {"Graphics/Ammobox.bmp", paintAmmoBox}, {"Graphics/medkit.bmp", paintMedkit},
    {"Graphics/map1.bmp", paintArena},      {"Graphics/player1.bmp", paintIcon},
};
static_assert(sizeof pictures / sizeof pictures[0] == 16, "every picture but the title screen");

bool copyToCanvas(SDL_Surface *surface, Canvas &canvas) {
    if (SDL_LockSurface(surface) != 0) return false;
    for (int y = 0; y < canvas.height; y++)
        for (int x = 0; x < canvas.width; x++) {
            Uint32 pixel = *reinterpret_cast<Uint32 *>(static_cast<Uint8 *>(surface->pixels) + y * surface->pitch + x * 4);
            Uint8 r, g, b;
            SDL_GetRGB(pixel, surface->format, &r, &g, &b);
            setPixel(canvas, x, y, (Uint32(r) << 16) | (Uint32(g) << 8) | b);
        }
    SDL_UnlockSurface(surface);
    return true;
}

// The title screen: the art with the title line and the menu line drawn on it by the game's own
// text drawing from the fonts just made, at the places where start-up draws them, so the picture
// shows them exactly as the game would.
bool makeTitleScreen(SDL_Surface *screen) {
    BitmapFont *titleFont = loadWhiteFont("data/font1");
    BitmapFont *hudFont = loadTintedFont("data/font2", 1.0f, 1.0f, 0.0f);
    Canvas art = paintTitleArt(textWidth(titleFont, "Grimvale"));
    SDL_PixelFormat *format = screen->format;
    SDL_Surface *surface = SDL_CreateRGBSurface(SDL_SWSURFACE, art.width, art.height, 32, format->Rmask,
                                                format->Gmask, format->Bmask, 0);
    bool ok = titleFont && hudFont && surface && SDL_LockSurface(surface) == 0;
    if (ok) {
        for (int y = 0; y < art.height; y++)
            for (int x = 0; x < art.width; x++) {
                Uint32 rgb = pixelAt(art, x, y);
                *reinterpret_cast<Uint32 *>(static_cast<Uint8 *>(surface->pixels) + y * surface->pitch + x * 4) =
                    SDL_MapRGB(surface->format, rgb >> 16, (rgb >> 8) & 0xFF, rgb & 0xFF);
            }
        SDL_UnlockSurface(surface);
        drawText(surface, titleFont, 30, 80, "Grimvale");
        drawText(surface, hudFont, 30, 130, "1- Deathmatch");
        ok = copyToCanvas(surface, art) && writeBmp(art, "Graphics/bg.bmp");
    }
    freeFont(titleFont);
    freeFont(hudFont);
    SDL_FreeSurface(surface);
    return ok;
}

}  // namespace

int main(int argc, char **argv) {
    std::string root = argc > 1 ? argv[1] : ".";
    std::string typefaces = argc > 2 ? argv[2] : "/usr/share/fonts/truetype/dejavu";
    std::error_code error;
    std::filesystem::current_path(root, error);
    if (error) {
        std::printf("cannot enter %s\n", root.c_str());
        return 1;
    }
    std::filesystem::create_directories("Graphics");

    bool ok = true;
    for (const FontRecipe &recipe : fontRecipes) ok = makeFont(recipe, typefaces, ".") && ok;
    for (const Picture &picture : pictures) {
        bool written = writeBmp(picture.paint(), picture.path);
        if (!written) std::printf("cannot write %s\n", picture.path);
        ok = written && ok;
    }

    // Text drawing needs the game's display format, so a window is opened on SDL's dummy driver.
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    if (SDL_Init(SDL_INIT_VIDEO) < 0) {
        std::printf("Unable to init SDL: %s\n", SDL_GetError());
        return 1;
    }
    SDL_Surface *screen = SDL_SetVideoMode(600, 500, 32, SDL_HWSURFACE | SDL_DOUBLEBUF);
    bool titled = screen && makeTitleScreen(screen);
    if (!titled) std::printf("cannot make Graphics/bg.bmp: %s\n", SDL_GetError());
    SDL_Quit();
    return ok && titled ? 0 : 1;
}
