// The match frame: its sixteen steps in the order that decides what each test sees and what is drawn over what.
#include "rules/combat.h"
#include "rules/pickups_hud.h"

void runMatchFrame() {
    drawMap();
    drawPlayer();
    drawPlayerHealth();
    drawEnemy();
    flyPlayerShot();
    flyEnemyShot();
    stabWithKnife();
    drawHeadsUpLine();
    showHints();
    enemyDeathAndReturn();
    playerDeathAndReturn();
    chasePlayer();
    restPlayerShot();
    restEnemyShot();
    runAmmoBox();
    runMedkit();
}
