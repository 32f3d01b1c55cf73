// The player's keys: walking, facing and the fire key; weapon selection and the weapon table.
#pragma once

#include <cstdint>

void movePlayer();
void selectWeapon();
void setWeaponDamage();
