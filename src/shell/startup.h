// Bringing the game up (SDL, window, controller, fonts, title lines, sprites, start values) and taking it down.
#pragma once

// Has SDL put the screen on the window by plain copying rather than through OpenGL, and any
// enlargement the SDL layer makes nearest-neighbour; before SDL_Init.
void choosePlainFramebuffer();
void startUp();

// The window's 600x500 mode refused: says so in one line on standard output with SDL's reason and
// ends the process with status 1.
[[noreturn]] void exitWithoutWindow();
void shutDown();
