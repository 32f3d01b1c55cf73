// Bringing the game up (SDL, window, fonts, title lines, sprites, start values) and taking it down.
#pragma once

void startUp();
void shutDown();
