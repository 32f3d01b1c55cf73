// The player's keys: walking, facing and the fire key; weapon selection and the weapon table.
#include "rules/controls.h"

#include "shell/match_state.h"

// Columns: name, damage of one hit, rounds charged when its shot ends. Rows: weapon 1 to 4.
const WeaponRow weaponTable[weaponCount] = {
    {"Knife", 100, 0},
    {"Colt", 2, 1},
    {"Thompson SMG", 3, 3},
    {"M1 Garand", 5, 1},
};
static_assert(sizeof weaponTable / sizeof weaponTable[0] == 4, "weapons 1 to 4");

namespace {

bool isWeapon(int32_t weapon) { return weapon >= 1 && weapon <= weaponCount; }

// Keys 1 to 4 of the main keyboard; the keypad digits have other codes and do nothing.
const SDLKey weaponKeys[weaponCount] = {SDLK_1, SDLK_2, SDLK_3, SDLK_4};

}  // namespace

// Every held arrow acts, so the facing is the last held in the order up, down, left, right, and
// opposite arrows cancel their moves. The walls push back later in the pass.
void movePlayer() {
    if (keyHeld(SDLK_UP) && match.playerDead != 1) {
        match.playerY -= 2;
        match.playerDir = DirUp;
    }
    if (keyHeld(SDLK_DOWN) && match.playerDead != 1) {
        match.playerY += 2;
        match.playerDir = DirDown;
    }
    if (keyHeld(SDLK_LEFT) && match.playerDead != 1) {
        match.playerX -= 2;
        match.playerDir = DirLeft;
    }
    if (keyHeld(SDLK_RIGHT) && match.playerDead != 1) {
        match.playerX += 2;
        match.playerDir = DirRight;
    }
    // Only marks the shot: whether it flies depends on ammo and weapon, in the match frame.
    if (keyHeld(SDLK_SPACE) && match.playerDead != 1) match.playerFiring = 1;
}

void selectWeapon() {
    for (int32_t n = 1; n <= weaponCount; n++) {
        if (keyHeld(weaponKeys[n - 1]) && match.matchFrames > 50) match.weapon = n;
    }
}

void setWeaponDamage() {
    if (isWeapon(match.weapon)) match.weaponDamage = weaponTable[match.weapon - 1].damage;
}

int32_t weaponCharge(int32_t weapon) { return isWeapon(weapon) ? weaponTable[weapon - 1].charge : 0; }

const char *weaponName(int32_t weapon) { return isWeapon(weapon) ? weaponTable[weapon - 1].name : nullptr; }
