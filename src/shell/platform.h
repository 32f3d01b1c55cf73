// What differs between the desktop and the browser: where a key sits in the key-state array and how
// the main loop gets its frames. Each build compiles exactly one platform file behind this header.
#pragma once

#include <SDL.h>

// Whether the key named by its SDL key constant is held in match.keys. The rules read keys only
// through this, since the key constants are not array positions everywhere.
bool keyHeld(SDLKey key);

// Runs passes of the main loop at 60 a second until the player quits.
void runMainLoop();
