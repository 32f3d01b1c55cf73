// What differs between the desktop and the browser: SDL's key-state array, how the window is opened
// and sized, and how the main loop gets its frames and ends. Each build compiles exactly one
// platform file behind this header.
#pragma once

#include <SDL.h>
#include <cstdint>

#include <cstdint>

// SDL's own key-state array of the keyboard, and in count how many keys it holds.
Uint8 *keyboardState(int &count);

// Marks in keys (one byte per key constant) the keys held from outside the keyboard and the desktop's
// controller: in the browser those the page holds (its touch controls and gamepads); on the desktop none.
void addPlatformKeys(Uint8 *keys);

// The key's name as the game's own lines show it to the player, in label (printable ASCII, cut to
// size - 1 characters): on the desktop the name the controls file knows it by with each word
// capitalised ("P", "F1", "Left Ctrl", "[0]"), in the browser the name the page's controls panel
// gives it ("P", "F1", "Enter", "Keypad 0").
void keyLabel(int32_t key, char *label, int32_t size);

// Opens the game's window and sets match.screen and match.view: on the desktop at the scale chosen
// by GRIMVALE_SCALE or the desktop's size; in the browser always at scale 1, the page enlarging the
// canvas. False when SDL refuses the mode, with SDL's error set.
bool openGameWindow();

// Switches full screen on or off: the picture at the largest whole-number scale that fits, centred
// on black, and back to the window at its scale. Where full screen is refused the game goes on in
// its window. In the browser the page does it, as with its full-screen button.
void toggleFullScreen();

// The desktop gave the window a new size of w x h (a tile, a maximise, a resize by hand): the window
// takes it, the picture at the largest whole-number scale that fits, centred on black; a paused game
// shows its paused picture again at the new size. In the browser the page sizes the canvas.
void resizeWindow(int32_t w, int32_t h);

// Runs passes of the main loop at the game's speed (60 a second at full speed) until the player
// quits, then shuts the game down; the desktop reads the player's controls file first;
// while paused, no pass runs. On the desktop it returns once that is done and waits for events
// while paused; in the browser the page's frames drive the passes and it never returns to its caller.
void runMainLoop();
