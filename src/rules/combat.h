// The match frame: shots and hits, the knife, deaths and returns, the chase; the enemy's decision to fire.
#pragma once

void triggerEnemyFire();
void runMatchFrame();
