// Defines the one game record and its start values.
#include "shell/match_state.h"

MatchState match;

void setStartValues() {
    match.weapon = 2;
    match.playerX = 100;
    match.playerY = 300;
    match.playerDir = DirRight;
    match.playerHealth = 100;
    match.ammo = 200;
    match.enemyHealth = 100;
    match.enemyX = 550;
    match.enemyY = 150;
    match.enemyDir = DirDown;
    match.ammoBoxX = 411;
    match.ammoBoxY = 32;
    match.ammoBoxTimer = 0;
    match.medkitX = 216;
    match.medkitY = 425;
    match.medkitTimer = 0;
}
