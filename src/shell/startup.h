// Bringing the game up (SDL, window, controller, fonts, title lines, sprites, start values) and taking it down.
#pragma once

// Has SDL put the screen on the window by plain copying rather than through OpenGL; before SDL_Init.
void choosePlainFramebuffer();
void startUp();
void shutDown();
