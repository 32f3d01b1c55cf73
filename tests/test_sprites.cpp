// Sprite loading with files missing or shared, and the blit operations' rectangles and clipping.
#include "draw/sprites.h"
#include "support.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

SDL_Surface *solidSurface(int w, int h, Uint32 rgb) {
    SDL_Surface *s = SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 32, 0xFF0000, 0xFF00, 0xFF, 0);
    SDL_FillRect(s, nullptr, SDL_MapRGB(s->format, rgb >> 16, (rgb >> 8) & 0xFF, rgb & 0xFF));
    return s;
}

// Runs loadSprites with the working directory at dir, then goes back.
void loadSpritesIn(const std::string &dir) {
    std::filesystem::path back = std::filesystem::current_path();
    std::filesystem::current_path(dir);
    loadSprites();
    std::filesystem::current_path(back);
}

}  // namespace

TEST(Sprites, AllMissingLoadsNullAndDrawsNothing) {
    resetMatch();
    match.mapSprite = solidSurface(1, 1, 0x123456);  // a stale value must be overwritten with null
    loadSpritesIn(freshDir("no-graphics"));
    for (auto field : allSprites) EXPECT_EQ(match.*field, nullptr);

    fillScreen(0x336699);
    drawBackground();
    drawSprite(nullptr, 10, 10);
    drawSpriteRegion(nullptr, -2, -2, 132, 132, -2, -2);
    blitRegion(match.screen, nullptr, 0, 0, 50, 50, 0, 0);
    EXPECT_EQ(rgbAt(match.screen, 0, 0), 0x336699u);
    EXPECT_EQ(rgbAt(match.screen, 15, 15), 0x336699u);
}

TEST(Sprites, BulletFileGivesTwoDistinctShotSurfaces) {
    resetMatch();
    std::string dir = freshDir("bullet-only");
    std::filesystem::create_directories(dir + "/Graphics");
    SDL_Surface *bullet = solidSurface(4, 4, 0xFFEE00);
    ASSERT_EQ(SDL_SaveBMP(bullet, (dir + "/Graphics/bullet.bmp").c_str()), 0);
    SDL_FreeSurface(bullet);
    loadSpritesIn(dir);
    ASSERT_NE(match.playerShotSprite, nullptr);
    ASSERT_NE(match.enemyShotSprite, nullptr);
    EXPECT_NE(match.playerShotSprite, match.enemyShotSprite);
    EXPECT_EQ(match.mapSprite, nullptr);
}

TEST(Sprites, CornerRedrawCopiesTheTopLeft130Pixels) {
    resetMatch();
    SDL_Surface *background = solidSurface(600, 500, 0x00FF00);
    fillScreen(0x0000FF);
    drawSpriteRegion(background, -2, -2, 132, 132, -2, -2);
    EXPECT_EQ(rgbAt(match.screen, 0, 0), 0x00FF00u);
    EXPECT_EQ(rgbAt(match.screen, 129, 129), 0x00FF00u);
    EXPECT_EQ(rgbAt(match.screen, 130, 0), 0x0000FFu) << "the negative source takes 2 pixels off the width";
    EXPECT_EQ(rgbAt(match.screen, 0, 130), 0x0000FFu);
    SDL_FreeSurface(background);
}

TEST(Sprites, RegionsAndEdgesClipLikeTheBlit) {
    resetMatch();
    SDL_Surface *sprite = SDL_CreateRGBSurface(SDL_SWSURFACE, 20, 20, 32, 0xFF0000, 0xFF00, 0xFF, 0);
    SDL_Rect left = {0, 0, 10, 20}, right = {10, 0, 10, 20};
    SDL_FillRect(sprite, &left, SDL_MapRGB(sprite->format, 255, 0, 0));
    SDL_FillRect(sprite, &right, SDL_MapRGB(sprite->format, 0, 0, 255));

    fillScreen(0x000000);
    drawSpriteRegion(sprite, 50, 60, 5, 5, 12, 3);  // a 5x5 piece of the blue half
    EXPECT_EQ(rgbAt(match.screen, 50, 60), 0x0000FFu);
    EXPECT_EQ(rgbAt(match.screen, 54, 64), 0x0000FFu);
    EXPECT_EQ(rgbAt(match.screen, 55, 60), 0x000000u);
    EXPECT_EQ(rgbAt(match.screen, 50, 65), 0x000000u);

    fillScreen(0x000000);
    drawSpriteRegion(sprite, 100, 100, 0, 20, 0, 0);
    drawSpriteRegion(sprite, 100, 100, 10, 10, 30, 30);  // wholly outside the sprite
    EXPECT_EQ(rgbAt(match.screen, 100, 100), 0x000000u);

    drawSprite(sprite, 590, 490);  // cut at the screen's corner
    EXPECT_EQ(rgbAt(match.screen, 590, 490), 0xFF0000u);
    EXPECT_EQ(rgbAt(match.screen, 599, 499), 0xFF0000u);
    drawSprite(sprite, -15, 0);  // only the right 5 columns land, blue
    EXPECT_EQ(rgbAt(match.screen, 0, 0), 0x0000FFu);
    EXPECT_EQ(rgbAt(match.screen, 4, 19), 0x0000FFu);
    EXPECT_EQ(rgbAt(match.screen, 5, 0), 0x000000u);
    SDL_FreeSurface(sprite);
}
