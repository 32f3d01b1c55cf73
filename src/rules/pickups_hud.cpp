// The heads-up line, the opening hints, the ammo box and the medkit.
#include "rules/pickups_hud.h"

#include "draw/font.h"
#include "draw/sprites.h"
#include "rules/controls.h"
#include "shell/match_state.h"

namespace {

constexpr int32_t hudY = 480;
constexpr int32_t ammoBoxDelay = 300;
constexpr int32_t medkitDelay = 500;
constexpr int32_t ammoBoxRounds = 200;
constexpr int32_t medkitHealth = 25;

// One pickup's frame: the timer counts, the pickup shows once the timer passes the delay and is
// drawn before the take test, so it is seen in the frame it is taken. Only the player's corner,
// strictly inside the 20 x 15 box, takes it, dead or alive. Returns true when taken.
bool runPickup(int32_t x, int32_t y, int32_t &shown, int32_t &timer, int32_t delay, SDL_Surface *sprite) {
    addCapped(timer, 1);
    if (timer > delay) shown = 1;
    if (shown == 1) drawSprite(sprite, x, y);
    bool inBox = x < match.playerX && match.playerX < x + 20 && y < match.playerY && match.playerY < y + 15;
    bool taken = inBox && shown == 1;
    if (taken) {
        shown = 0;
        timer = 0;
    }
    return taken;
}

}  // namespace

void drawHeadsUpLine() {
    drawText(match.screen, match.hudFont, 190, hudY, "Points:");
    drawText(match.screen, match.hudFont, 240, hudY, "%d", match.score);
    drawText(match.screen, match.hudFont, 270, hudY, "Weapon:");
    const char *name = weaponName(match.weapon);
    if (name) drawText(match.screen, match.hudFont, 340, hudY, "%s", name);
    drawText(match.screen, match.hudFont, 450, hudY, "Ammo:");
    drawText(match.screen, match.hudFont, 500, hudY, "%d", match.ammo);
}

// matchFrames stops at the largest int32, so the hints never come back and the weapon keys stay open.
void showHints() {
    addCapped(match.matchFrames, 1);
    if (match.matchFrames < 250) drawText(match.screen, match.hudFont, 5, 5, "Press space to fire.");
    if (match.matchFrames > 250 && match.matchFrames < 500)
        drawText(match.screen, match.hudFont, 5, 5, "Press the number keys to change weapons.");
}

void runAmmoBox() {
    bool taken = runPickup(match.ammoBoxX, match.ammoBoxY, match.ammoBoxShown, match.ammoBoxTimer, ammoBoxDelay,
                           match.ammoBoxSprite);
    if (taken) addCapped(match.ammo, ammoBoxRounds);
}

void runMedkit() {
    bool taken = runPickup(match.medkitX, match.medkitY, match.medkitShown, match.medkitTimer, medkitDelay,
                           match.medkitSprite);
    if (taken) addCapped(match.playerHealth, medkitHealth);
}
