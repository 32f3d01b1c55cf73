// The first game controller: its d-pad, left stick and buttons held as the keyboard's keys; a pad of
// no known layout plays as a plain joystick.
#pragma once

#include <SDL.h>

// Has SDL 2's 1.2 layer present controllers in the standard button order, where the player has not
// chosen otherwise; before SDL_Init.
void askForStandardPadLayout();

// Opens the first controller present, if any, and has SDL report it as events. Where SDL knows no
// controller's layout, the first joystick plays as a plain one: button 0 fires, its hat walks, or
// without a hat its axes 0 and 1 do.
void openPad();

// Notes a joystick event of the first controller in match.pad; any other event is left alone.
void readPadEvent(const SDL_Event &event);

// Marks in keys (one byte per SDL key code) every key the controller holds down.
void addPadKeys(Uint8 *keys);
