// The player's keys: walking, facing and the fire key; weapon selection and the weapon table.
#include "rules/controls.h"

#include "shell/match_state.h"

void movePlayer() {}

void selectWeapon() {}

void setWeaponDamage() {}
