// The player's keys: walking, facing and the fire key; weapon selection and the weapon table.
#pragma once

#include <cstdint>

// One weapon: the name the heads-up line shows, hit points one hit takes, rounds one ended shot costs.
struct WeaponRow {
    const char *name;
    int32_t damage;
    int32_t charge;
};

constexpr int weaponCount = 4;

// Rows for weapon 1 to 4, in order.
extern const WeaponRow weaponTable[weaponCount];

// Arrows walk 2 px and turn, the space bar marks the shot; a dead player does none of it.
void movePlayer();

// Keys 1 to 4 choose the weapon once more than 50 match frames have run; the highest held wins.
void selectWeapon();

// weaponDamage from the selected weapon.
void setWeaponDamage();

// Rounds charged when the player's shot ends with this weapon selected; 0 for the Knife and any other value.
int32_t weaponCharge(int32_t weapon);

// The name of a weapon, or null for a value outside 1 to 4.
const char *weaponName(int32_t weapon);
