// The heads-up line, the opening hints, the ammo box and the medkit.
#pragma once
