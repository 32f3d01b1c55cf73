// What differs between the desktop and the browser: where a key sits in the key-state array, how the
// window is opened and sized, and how the main loop gets its frames. Each build compiles exactly one
// platform file behind this header.
#pragma once

#include <SDL.h>

// Whether the key named by its SDL key constant is held in match.keys. The rules read keys only
// through this, since the key constants are not array positions everywhere.
bool keyHeld(SDLKey key);

// Opens the game's window and sets match.screen and match.view: on the desktop at the scale chosen
// by GRIMVALE_SCALE or the desktop's size. False when SDL refuses the mode, with SDL's error set.
bool openGameWindow();

// Switches full screen on or off: the picture at the largest whole-number scale that fits, centred
// on black, and back to the window at its scale. Where full screen is refused the game goes on in
// its window.
void toggleFullScreen();

// Runs passes of the main loop at 60 a second until the player quits; while paused, no pass runs
// and the loop waits for events.
void runMainLoop();
