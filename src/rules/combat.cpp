// The match frame: shots and hits, the knife, deaths and returns, the chase; the enemy's decision to fire.
#include "rules/combat.h"

#include "shell/match_state.h"

void triggerEnemyFire() {}

void runMatchFrame() {}
