// What the match frame draws where, and over what: flashes and shots, dead sprites, hit points,
// the heads-up line, the hints and the pickups, on the dummy screen with solid test sprites and fonts.
#include "draw/font.h"
#include "rules/combat.h"
#include "rules/controls.h"
#include "rules/pickups_hud.h"
#include "support.h"

#include <gtest/gtest.h>

#include <cctype>
#include <functional>

namespace {

constexpr Uint32 black = 0x000000;
constexpr Uint32 yellow = 0xFFFF00;

SDL_Surface *solid(int w, int h, Uint32 rgb) {
    SDL_Surface *s = SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 32, 0xFF0000, 0xFF00, 0xFF, 0);
    SDL_FillRect(s, nullptr, SDL_MapRGB(s->format, rgb >> 16, (rgb >> 8) & 0xFF, rgb & 0xFF));
    return s;
}

// A yellow 256-side font, glyphs 8 px wide, whose cells are covered only for the codes chosen:
// texts then show only where those characters are drawn.
BitmapFont *fontCovering(const std::string &name, const std::function<bool(int)> &covered) {
    std::vector<uint8_t> raw(256 * 256, 0);
    for (int y = 0; y < 256; y++)
        for (int x = 0; x < 256; x++) raw[y * 256 + x] = covered((y / 16) * 16 + x / 16) ? 255 : 0;
    std::string dir = makeFontDir(name, 256, raw, std::vector<uint8_t>(256, 8));
    return loadFont(dir.c_str(), 1.0f, 1.0f, 0.0f, 1.0f);
}

BitmapFont *digitFont() {
    static BitmapFont *font = fontCovering("digits", [](int c) { return std::isdigit(c) != 0; });
    return font;
}

BitmapFont *letterFont() {
    static BitmapFont *font = fontCovering("letters", [](int c) { return std::isalpha(c) != 0; });
    return font;
}

// Start values, a match on, a black screen and every sprite a solid colour of its own.
void resetWithSprites() {
    resetToStart();
    setWeaponDamage();
    match.matchStarted = 1;
    fillScreen(black);
    match.playerSpriteUp = match.playerSpriteDown = match.playerSpriteLeft = match.playerSpriteRight =
        solid(20, 20, 0x0000FF);
    match.enemySpriteUp = match.enemySpriteDown = match.enemySpriteLeft = match.enemySpriteRight =
        solid(20, 20, 0xFF0000);
    match.playerDeadSprite = solid(15, 30, 0x00FF00);
    match.enemyDeadSprite = solid(15, 30, 0x00FFFF);
    match.playerShotSprite = match.enemyShotSprite = solid(10, 10, 0xFFFFFF);
    match.muzzleFlashSprite = solid(10, 10, 0xFF8000);
    match.ammoBoxSprite = solid(20, 15, 0x808080);
    match.medkitSprite = solid(20, 15, 0xFF00FF);
}

}  // namespace

TEST(MatchDrawing, FlashGoesOverTheShotFacingUpAndUnderItOtherwise) {
    struct Case {
        int32_t dir, flashX, flashY;
        Uint32 want;
    };
    const Case cases[] = {
        {DirUp, 215, 300, 0xFF8000},
        {DirDown, 200, 320, 0xFFFFFF},
        {DirLeft, 195, 310, 0xFFFFFF},
        {DirRight, 220, 310, 0xFFFFFF},
    };
    for (const Case &c : cases) {
        resetWithSprites();
        match.playerX = 200;
        match.playerY = 300;
        match.playerDir = c.dir;
        match.playerFiring = 1;
        match.playerShotX = c.flashX;  // the shot stands where the flash is drawn
        match.playerShotY = c.flashY;
        flyPlayerShot();
        EXPECT_EQ(rgbAt(match.screen, c.flashX + 5, c.flashY + 5), c.want) << "facing " << c.dir;
    }
}

TEST(MatchDrawing, DeadSpritesGoOverLiveOnesAndOverTheHitPoints) {
    resetWithSprites();
    match.hudFont = digitFont();
    match.playerX = 200;
    match.playerY = 300;
    match.enemyX = 400;
    match.enemyY = 200;
    runMatchFrame();
    EXPECT_EQ(rgbAt(match.screen, 201, 301), 0x0000FFu);
    EXPECT_EQ(rgbAt(match.screen, 211, 326), yellow) << "hit points at (x + 10, y + 25)";
    EXPECT_NE(rgbAt(match.screen, 209, 326), yellow);
    EXPECT_NE(rgbAt(match.screen, 211, 324), yellow);
    EXPECT_EQ(rgbAt(match.screen, 400, 200), 0xFF0000u);

    fillScreen(black);
    match.playerHealth = 0;
    match.enemyHealth = 0;
    runMatchFrame();
    EXPECT_EQ(rgbAt(match.screen, 201, 301), 0x00FF00u);
    EXPECT_EQ(rgbAt(match.screen, 211, 326), 0x00FF00u) << "the dead player lies over the hit points";
    EXPECT_EQ(rgbAt(match.screen, 217, 301), 0x0000FFu) << "the live sprite of a dead player is drawn too";
    EXPECT_EQ(rgbAt(match.screen, 401, 201), 0x00FFFFu);
    EXPECT_EQ(rgbAt(match.screen, 417, 201), 0xFF0000u);
    match.hudFont = nullptr;
}

TEST(MatchDrawing, HitPointsLabelSitsLeftOfThePlayer) {
    resetWithSprites();
    match.hudFont = letterFont();
    match.playerX = 200;
    match.playerY = 300;
    drawPlayerHealth();
    EXPECT_EQ(rgbAt(match.screen, 190, 325), yellow);
    EXPECT_NE(rgbAt(match.screen, 189, 325), yellow);
    EXPECT_NE(rgbAt(match.screen, 190, 324), yellow);
    match.hudFont = nullptr;
}

// The heads-up line lies over the actors and shows the score from before this frame's return.
TEST(MatchDrawing, HeadsUpLineShowsThePointsOfTheFrameBefore) {
    resetWithSprites();
    match.hudFont = digitFont();
    match.playerX = 240;
    match.playerY = 470;
    match.enemyDead = 1;
    match.enemyHealth = 98;
    runMatchFrame();  // count 99
    EXPECT_EQ(rgbAt(match.screen, 241, 481), yellow) << "score over the player";
    EXPECT_NE(rgbAt(match.screen, 239, 481), yellow);
    fillScreen(black);
    runMatchFrame();  // count 100: returns and scores, but the line was drawn before
    EXPECT_EQ(match.score, 20);
    EXPECT_NE(rgbAt(match.screen, 252, 481), yellow) << "one digit: 0";
    fillScreen(black);
    runMatchFrame();
    EXPECT_EQ(rgbAt(match.screen, 252, 481), yellow) << "two digits: 20";
    EXPECT_EQ(rgbAt(match.screen, 501, 481), yellow) << "ammo at x 500";
    EXPECT_NE(rgbAt(match.screen, 499, 481), yellow);
    match.hudFont = nullptr;
}

TEST(MatchDrawing, HeadsUpLineLabelsAndWeaponName) {
    for (int32_t weapon = 1; weapon <= 5; weapon++) {
        resetWithSprites();
        match.hudFont = letterFont();
        match.weapon = weapon;
        drawHeadsUpLine();
        for (int x : {190, 270, 450}) {
            EXPECT_EQ(rgbAt(match.screen, x, 480), yellow) << x;
            EXPECT_NE(rgbAt(match.screen, x - 1, 480), yellow) << x;
            EXPECT_NE(rgbAt(match.screen, x, 479), yellow) << x;
        }
        EXPECT_EQ(rgbAt(match.screen, 340, 485), weapon <= 4 ? yellow : black) << "weapon " << weapon;
        EXPECT_NE(rgbAt(match.screen, 339, 485), yellow);
    }
    match.hudFont = nullptr;
}

TEST(MatchDrawing, HintsShowInFrames1To249And251To499) {
    resetWithSprites();
    match.hudFont = letterFont();
    // (6, 6) lies in the first letter of either hint; (249, 6) in the 31st character, a letter
    // only in the second, longer hint.
    struct Case {
        int32_t before;
        Uint32 first, longer;
    };
    const Case cases[] = {
        {0, yellow, black},    {248, yellow, black},  {249, black, black},         {250, yellow, yellow},
        {498, yellow, yellow}, {499, black, black},   {INT32_MAX - 1, black, black}, {INT32_MAX, black, black},
    };
    for (const Case &c : cases) {
        fillScreen(black);
        match.matchFrames = c.before;
        showHints();
        EXPECT_EQ(rgbAt(match.screen, 6, 6), c.first) << "frame after " << c.before;
        EXPECT_EQ(rgbAt(match.screen, 249, 6), c.longer) << "frame after " << c.before;
        EXPECT_NE(rgbAt(match.screen, 4, 6), yellow);
        EXPECT_NE(rgbAt(match.screen, 6, 4), yellow);
    }
    match.hudFont = nullptr;
}

// Pickups are drawn last, over the hit points; one taken is drawn in that frame and gone the next.
TEST(MatchDrawing, PickupsLieOverEverythingAndShowInTheFrameTheyAreTaken) {
    resetWithSprites();
    match.hudFont = letterFont();
    match.playerX = 226;  // "HP:" lands on the medkit's corner
    match.playerY = 400;
    runMatchFrame();
    EXPECT_EQ(rgbAt(match.screen, 217, 426), yellow);
    fillScreen(black);
    match.medkitTimer = 500;
    runMatchFrame();
    EXPECT_EQ(rgbAt(match.screen, 217, 426), 0xFF00FFu);

    match.ammoBoxTimer = 300;
    match.playerX = match.ammoBoxX + 5;
    match.playerY = match.ammoBoxY + 5;
    fillScreen(black);
    runMatchFrame();
    EXPECT_EQ(match.ammo, 400);
    EXPECT_EQ(rgbAt(match.screen, match.ammoBoxX + 1, match.ammoBoxY + 14), 0x808080u);
    fillScreen(black);
    runMatchFrame();
    EXPECT_EQ(rgbAt(match.screen, match.ammoBoxX + 1, match.ammoBoxY + 14), black);
    match.hudFont = nullptr;
}
