// The heads-up line, the opening hints, the ammo box and the medkit.
#include "rules/pickups_hud.h"

#include "shell/match_state.h"
