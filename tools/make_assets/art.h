// The game's pictures, painted by code: actors, shots, pickups, the icon, the arena and the title art.
#pragma once

#include "canvas.h"

// Facing codes as the game numbers them: 1 up, 2 down, 3 left, 4 right.
enum class Look { Officer, Gang };

Canvas paintActor(Look look, int facing);
Canvas paintDeadActor(Look look);
Canvas paintBullet();
Canvas paintMuzzleFlash();
Canvas paintAmmoBox();
Canvas paintMedkit();
Canvas paintIcon();
Canvas paintArena();
// Without the title texts, which the game's fonts draw on it; the rule under the title is titleWidth long.
Canvas paintTitleArt(int titleWidth);
