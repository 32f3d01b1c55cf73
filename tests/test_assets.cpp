// The committed pictures and fonts: they load in the screen's format, the map matches the walls, the
// sprites sit on the floor without boxes, the fonts cover every text, the title screen shows its lines.
#include "rules/walls.h"
#include "support.h"

#include "draw/font.h"
#include "draw/sprites.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// Columns: file, width, height.
struct PictureSize {
    const char *path;
    int width, height;
};

const PictureSize pictureSizes[] = {
    {"Graphics/bg.bmp", 600, 500},      {"Graphics/map1.bmp", 600, 500},      {"Graphics/swatu.bmp", 20, 20},
    {"Graphics/swatd.bmp", 20, 20},     {"Graphics/swatl.bmp", 20, 20},       {"Graphics/swatr.bmp", 20, 20},
    {"Graphics/swatdead.bmp", 20, 20},  {"Graphics/gangu.bmp", 20, 20},       {"Graphics/gangd.bmp", 20, 20},
    {"Graphics/gangl.bmp", 20, 20},     {"Graphics/gangr.bmp", 20, 20},       {"Graphics/gangdead.bmp", 20, 20},
    {"Graphics/bullet.bmp", 4, 4},      {"Graphics/mflash.bmp", 5, 5},        {"Graphics/Ammobox.bmp", 20, 15},
    {"Graphics/medkit.bmp", 20, 15},    {"Graphics/player1.bmp", 32, 32},
};
static_assert(sizeof pictureSizes / sizeof pictureSizes[0] == 17, "16 sprite files and the icon");

// Sprites drawn on the floor without a colour key: actors, the shot, the flash and the pickups.
const char *const floorSprites[] = {
    "Graphics/swatu.bmp", "Graphics/swatd.bmp",    "Graphics/swatl.bmp",  "Graphics/swatr.bmp",
    "Graphics/swatdead.bmp", "Graphics/gangu.bmp", "Graphics/gangd.bmp",  "Graphics/gangl.bmp",
    "Graphics/gangr.bmp", "Graphics/gangdead.bmp", "Graphics/bullet.bmp", "Graphics/mflash.bmp",
    "Graphics/Ammobox.bmp", "Graphics/medkit.bmp",
};

// Every text the game draws, in either font.
const char *const gameTexts[] = {
    "Grimvale", "1- Deathmatch", "Points:", "Weapon:", "Ammo:", "HP:", "Knife", "Colt", "Thompson SMG",
    "M1 Garand", "Press space to fire.", "Press the number keys to change weapons.", "0123456789-",
};

SDL_Surface *load(const char *path) { return SDL_LoadBMP_RW(SDL_RWFromFile(path, "rb"), 1); }

// Inside the screen only the seven wall rectangles stop a shot, so the rule itself says where walls are.
bool inStopRect(int x, int y) { return shotStopCount(x, y) > 0; }

int brightness(Uint32 rgb) { return (rgb >> 16) + ((rgb >> 8) & 0xFF) + (rgb & 0xFF); }

// The floor colour: an open spot of the arena, away from every block.
Uint32 floorOf(SDL_Surface *map) { return rgbAt(map, 150, 250); }

}  // namespace

TEST(Assets, EveryPictureLoadsInTheScreensFormatWithoutAlphaOrKey) {
    openDummyScreen();
    SDL_PixelFormat *screen = match.screen->format;
    for (const PictureSize &picture : pictureSizes) {
        SCOPED_TRACE(picture.path);
        SDL_Surface *surface = load(picture.path);
        ASSERT_NE(surface, nullptr);
        EXPECT_EQ(surface->w, picture.width);
        EXPECT_EQ(surface->h, picture.height);
        // The screen's own format, so blits are plain copies.
        EXPECT_EQ(surface->format->BytesPerPixel, 4);
        EXPECT_EQ(surface->format->Rmask, screen->Rmask);
        EXPECT_EQ(surface->format->Gmask, screen->Gmask);
        EXPECT_EQ(surface->format->Bmask, screen->Bmask);
        EXPECT_EQ(surface->format->Amask, 0u);
        EXPECT_EQ(surface->flags & (SDL_SRCALPHA | SDL_SRCCOLORKEY), 0u);
        SDL_FreeSurface(surface);
    }

    resetMatch();
    loadSprites();
    for (SDL_Surface *MatchState::*field : allSprites) {
        EXPECT_NE(match.*field, nullptr);
        SDL_FreeSurface(match.*field);
    }
}

TEST(Assets, MapShowsWallsExactlyWhereShotsStopOnOneFlatFloor) {
    openDummyScreen();
    SDL_Surface *map = load("Graphics/map1.bmp");
    ASSERT_NE(map, nullptr);
    Uint32 floor = floorOf(map);

    // Above the heads-up band every pixel is wall inside a stop rectangle and floor outside all of them,
    // so the pixels just outside each rectangle's bounds are floor too.
    int wrong = 0;
    for (int y = 0; y < 472; y++)
        for (int x = 0; x < 600; x++) wrong += inStopRect(x, y) == (rgbAt(map, x, y) == floor);
    EXPECT_EQ(wrong, 0);

    // Behind the heads-up line (y 480 to 495) the band is darker than the floor, all across.
    for (int y = 476; y < 500; y++)
        for (int x = 0; x < 600; x += 7) ASSERT_LT(brightness(rgbAt(map, x, y)), brightness(floor)) << x << "," << y;
    SDL_FreeSurface(map);
}

TEST(Assets, SpritesOnTheFloorHaveTheFloorAsBackgroundAndBarrelsAtTheFlash) {
    openDummyScreen();
    SDL_Surface *map = load("Graphics/map1.bmp");
    ASSERT_NE(map, nullptr);
    Uint32 floor = floorOf(map);
    SDL_FreeSurface(map);

    for (const char *path : floorSprites) {
        SCOPED_TRACE(path);
        SDL_Surface *sprite = load(path);
        ASSERT_NE(sprite, nullptr);
        int right = sprite->w - 1, bottom = sprite->h - 1;
        EXPECT_EQ(rgbAt(sprite, 0, 0), floor);
        EXPECT_EQ(rgbAt(sprite, right, 0), floor);
        EXPECT_EQ(rgbAt(sprite, 0, bottom), floor);
        EXPECT_EQ(rgbAt(sprite, right, bottom), floor);
        int painted = 0;
        for (int y = 0; y < sprite->h; y++)
            for (int x = 0; x < sprite->w; x++) painted += rgbAt(sprite, x, y) != floor;
        EXPECT_GT(painted, sprite->w * sprite->h / 4);
        SDL_FreeSurface(sprite);
    }

    // The muzzle ends at the edge where the 5x5 flash is drawn: flash at (15, 0) up, (0, 20) down,
    // (-5, 10) left, (20, 10) right. Columns: facing letter, muzzle x, y.
    struct Muzzle {
        char facing;
        int x, y;
    };
    const Muzzle muzzles[] = {{'u', 17, 0}, {'d', 2, 19}, {'l', 0, 12}, {'r', 19, 12}};
    for (const char *who : {"swat", "gang"})
        for (const Muzzle &muzzle : muzzles) {
            std::string path = std::string("Graphics/") + who + muzzle.facing + ".bmp";
            SCOPED_TRACE(path);
            SDL_Surface *sprite = load(path.c_str());
            ASSERT_NE(sprite, nullptr);
            EXPECT_NE(rgbAt(sprite, muzzle.x, muzzle.y), floor);
            EXPECT_LT(brightness(rgbAt(sprite, muzzle.x, muzzle.y)), brightness(floor));
            SDL_FreeSurface(sprite);
        }
}

TEST(Assets, OfficerIsBlueAndGangMemberRedInEveryPicture) {
    openDummyScreen();
    for (const char *suffix : {"u", "d", "l", "r", "dead"}) {
        int blueOfficer = 0, redOfficer = 0, blueGang = 0, redGang = 0;
        for (const char *who : {"swat", "gang"}) {
            std::string path = std::string("Graphics/") + who + suffix + ".bmp";
            SDL_Surface *sprite = load(path.c_str());
            ASSERT_NE(sprite, nullptr) << path;
            bool officer = who[0] == 's';
            for (int y = 0; y < sprite->h; y++)
                for (int x = 0; x < sprite->w; x++) {
                    Uint32 rgb = rgbAt(sprite, x, y);
                    int r = rgb >> 16, b = rgb & 0xFF;
                    (officer ? blueOfficer : blueGang) += b > r + 60;
                    (officer ? redOfficer : redGang) += r > b + 60 && r > 150;
                }
            SDL_FreeSurface(sprite);
        }
        SCOPED_TRACE(suffix);
        EXPECT_GT(blueOfficer, 30);
        EXPECT_GT(redGang, 30);
        EXPECT_LT(blueGang, 5);
    }
}

TEST(Assets, BothFontsCoverEveryCharacterTheGameDrawsWithinTheirStrips) {
    openDummyScreen();
    struct FontCase {
        const char *directory;
        int minCell, maxCell, maxInkHeight;
    };
    const FontCase fonts[] = {{"data/font1", 28, 40, 32}, {"data/font2", 16, 16, 14}};
    for (const FontCase &fontCase : fonts) {
        SCOPED_TRACE(fontCase.directory);
        BitmapFont *font = loadWhiteFont(fontCase.directory);
        ASSERT_NE(font, nullptr);
        ASSERT_EQ(font->textureSize % 16, 0);
        int s = font->cellSize;
        EXPECT_GE(s, fontCase.minCell);
        EXPECT_LE(s, fontCase.maxCell);
        int inkTop = s, inkBottom = -1;
        for (const char *text : gameTexts)
            for (const char *p = text; *p; p++) {
                int c = static_cast<unsigned char>(*p);
                int w = font->widths[c];
                EXPECT_GT(w, 0) << "'" << *p << "'";
                // All of the glyph's ink lies in the strip that drawText copies for it.
                int stripLeft = s / 2 - w / 2;
                int covered = 0, outside = 0;
                for (int y = 0; y < s; y++)
                    for (int x = 0; x < s; x++) {
                        int texel = ((c / 16) * s + y) * font->textureSize + (c % 16) * s + x;
                        bool ink = font->pixels[4 * texel + 3] != 0;
                        covered += ink;
                        outside += ink && (x < stripLeft || x >= stripLeft + w + 2);
                        if (ink && y < inkTop) inkTop = y;
                        if (ink && y > inkBottom) inkBottom = y;
                    }
                if (c != ' ') EXPECT_GT(covered, 0) << "'" << *p << "'";
                EXPECT_EQ(outside, 0) << "'" << *p << "'";
            }
        EXPECT_LE(inkBottom - inkTop + 1, fontCase.maxInkHeight);
        freeFont(font);
    }
}

TEST(Assets, TitleScreenIsTheBackgroundWithBothLinesInTheGamesFonts) {
    openDummyScreen();
    SDL_Surface *background = load("Graphics/bg.bmp");
    ASSERT_NE(background, nullptr);

    // Draw each line onto a black screen: wherever a glyph covers fully, the picture must hold
    // exactly the tint there, white for the title and yellow for the menu line.
    struct Line {
        const char *directory;
        Uint32 tint;
        int x, y;
        const char *text;
    };
    const Line lines[] = {{"data/font1", 0xFFFFFF, 30, 80, "Grimvale"}, {"data/font2", 0xFFFF00, 30, 130, "1- Deathmatch"}};
    for (const Line &line : lines) {
        SCOPED_TRACE(line.text);
        BitmapFont *font = loadFont(line.directory, (line.tint >> 16) / 255.0f, ((line.tint >> 8) & 0xFF) / 255.0f,
                                    (line.tint & 0xFF) / 255.0f, 1.0f);
        ASSERT_NE(font, nullptr);
        fillScreen(0x000000);
        drawText(match.screen, font, line.x, line.y, "%s", line.text);
        int full = 0, mismatched = 0;
        for (int y = line.y; y < line.y + font->cellSize; y++)
            for (int x = line.x; x < line.x + textWidth(font, "%s", line.text) + 2; x++)
                if (rgbAt(match.screen, x, y) == line.tint) {
                    full++;
                    mismatched += rgbAt(background, x, y) != line.tint;
                }
        EXPECT_GT(full, 40);
        EXPECT_EQ(mismatched, 0);
        freeFont(font);
    }
    SDL_FreeSurface(background);
}

TEST(Assets, ReplayTitleScreenShowsTheBackgroundAloneBeforeAndAfterTheFirstFrame) {
    openDummyScreen();
    std::string dir = freshDir("title-shots");
    std::string command = std::string("printf '\\n' | ") + GRIMVALE_REPLAY + " --screenshot 0:" + dir +
                          "/start.bmp --screenshot 1:" + dir + "/first.bmp > /dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    SDL_Surface *background = load("Graphics/bg.bmp");
    ASSERT_NE(background, nullptr);
    for (const char *name : {"/start.bmp", "/first.bmp"}) {
        SCOPED_TRACE(name);
        SDL_Surface *saved = load((dir + name).c_str());
        ASSERT_NE(saved, nullptr);
        SDL_Surface *shot = SDL_ConvertSurface(saved, match.screen->format, SDL_SWSURFACE);
        SDL_FreeSurface(saved);
        ASSERT_NE(shot, nullptr);
        int differing = 0;
        for (int y = 0; y < 500; y++)
            for (int x = 0; x < 600; x++) differing += rgbAt(shot, x, y) != rgbAt(background, x, y);
        EXPECT_EQ(differing, 0);
        SDL_FreeSurface(shot);
    }
    SDL_FreeSurface(background);
}
