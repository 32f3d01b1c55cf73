// The first game controller: its d-pad, left stick and buttons held as the keyboard's keys.
#pragma once

#include <SDL.h>

// Has SDL 2's 1.2 layer present controllers in the standard button order, where the player has not
// chosen otherwise; before SDL_Init.
void askForStandardPadLayout();

// Opens the first controller present, if any, and has SDL report it as events.
void openPad();

// Notes a joystick event of the first controller in match.pad; any other event is left alone.
void readPadEvent(const SDL_Event &event);

// Marks in keys (one byte per SDL key code) every key the controller holds down.
void addPadKeys(Uint8 *keys);
