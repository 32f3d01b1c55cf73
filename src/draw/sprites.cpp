// Loads the 17 sprites from Graphics/ and blits whole sprites or rectangles of them.
#include "draw/sprites.h"

#include "shell/match_state.h"

#include <cstddef>

namespace {

// One row per sprite: file, field of the record. Load order matters only for reading the table.
struct SpriteFile {
    const char *path;
    SDL_Surface *MatchState::*field;
};

const SpriteFile spriteFiles[] = {
    {"Graphics/bg.bmp", &MatchState::backgroundSprite},
    {"Graphics/swatu.bmp", &MatchState::playerSpriteUp},
    {"Graphics/swatd.bmp", &MatchState::playerSpriteDown},
    {"Graphics/swatl.bmp", &MatchState::playerSpriteLeft},
    {"Graphics/swatr.bmp", &MatchState::playerSpriteRight},
    {"Graphics/bullet.bmp", &MatchState::playerShotSprite},
    {"Graphics/swatdead.bmp", &MatchState::playerDeadSprite},
    {"Graphics/gangu.bmp", &MatchState::enemySpriteUp},
    {"Graphics/gangd.bmp", &MatchState::enemySpriteDown},
    {"Graphics/gangl.bmp", &MatchState::enemySpriteLeft},
    {"Graphics/gangr.bmp", &MatchState::enemySpriteRight},
    {"Graphics/gangdead.bmp", &MatchState::enemyDeadSprite},
    {"Graphics/bullet.bmp", &MatchState::enemyShotSprite},
    {"Graphics/map1.bmp", &MatchState::mapSprite},
    {"Graphics/mflash.bmp", &MatchState::muzzleFlashSprite},
    {"Graphics/Ammobox.bmp", &MatchState::ammoBoxSprite},
    {"Graphics/medkit.bmp", &MatchState::medkitSprite},
};
static_assert(sizeof spriteFiles / sizeof spriteFiles[0] == 17, "the game has 17 sprites");

// SDL rectangles hold 16-bit fields: the low 16 bits of each int are kept.
SDL_Rect rectAt(int x, int y) {
    SDL_Rect r;
    r.x = static_cast<Sint16>(x);
    r.y = static_cast<Sint16>(y);
    r.w = 0;
    r.h = 0;
    return r;
}

SDL_Rect rectOf(int x, int y, int w, int h) {
    SDL_Rect r = rectAt(x, y);
    r.w = static_cast<Uint16>(w);
    r.h = static_cast<Uint16>(h);
    return r;
}

}  // namespace

// A missing or unreadable file leaves its field null; drawing a null sprite draws nothing.
void loadSprites() {
    for (const SpriteFile &sprite : spriteFiles)
        match.*sprite.field = SDL_LoadBMP_RW(SDL_RWFromFile(sprite.path, "rb"), 1);
}

void drawBackground() { drawSprite(match.backgroundSprite, 0, 0); }

void drawSprite(SDL_Surface *surface, int x, int y) {
    SDL_Rect dst = rectAt(x, y);
    SDL_UpperBlit(surface, nullptr, match.screen, &dst);
}

void drawSpriteRegion(SDL_Surface *surface, int dstX, int dstY, int w, int h, int srcX, int srcY) {
    blitRegion(match.screen, surface, dstX, dstY, w, h, srcX, srcY);
}

void blitRegion(SDL_Surface *dst, SDL_Surface *src, int dstX, int dstY, int w, int h, int srcX, int srcY) {
    SDL_Rect srcRect = rectOf(srcX, srcY, w, h);
    SDL_Rect dstRect = rectAt(dstX, dstY);
    SDL_UpperBlit(src, &srcRect, dst, &dstRect);
}
