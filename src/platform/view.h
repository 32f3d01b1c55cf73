// Puts the game's 600x500 picture on the window: at a whole-number scale, centred on black in full
// screen, and dimmed under the pause line while paused. The rules never see any of it.
#pragma once

#include <SDL.h>
#include <cstdint>

constexpr int32_t pictureW = 600;
constexpr int32_t pictureH = 500;
constexpr int32_t largestScale = 8;  // the most GRIMVALE_SCALE may ask for

// The largest whole-number scale at which the picture fits within percent of a w x h area; at least 1.
int32_t fittingScale(int32_t w, int32_t h, int32_t percent);

// The window's scale: GRIMVALE_SCALE's value (setting, null when unset) when it is 1 to 8 and the
// window fits the desktop (1 always), otherwise the largest that fits within 90% of the desktop. An
// unusable setting, or one too large for the desktop, is said in one line on standard error.
int32_t chooseWindowScale(const char *setting, int32_t desktopW, int32_t desktopH);

// Makes window the game's display surface at the given scale, full screen or not: match.screen becomes
// the window itself (scale 1 in a window) or the canvas, which then holds the picture the switch
// left; borders are black. The canvas is made when first needed, as is the held frame (at the first
// pause), so a game that stays at scale 1 in its window keeps no more pictures than before.
void useWindow(SDL_Surface *window, int32_t scale, bool fullScreen);

// Before the window's surface is replaced: moves the picture onto the canvas, makes the canvas
// match.screen, and forgets the window until useWindow gives the new one.
void releaseWindow();

// Scales a 600x500 picture by a whole number into dst with its corner at (x, y): each pixel becomes
// a scale x scale block. Both surfaces 32 bits per pixel in the same format. Only what falls inside
// dst is drawn, whatever the sizes and the corner.
void scalePicture(SDL_Surface *picture, SDL_Surface *dst, int32_t scale, int32_t x, int32_t y);

// The last step of every frame: the picture onto the window, and the flip.
void presentFrame();

// The line the paused picture shows, naming the first key of pause as the player knows it: "Paused -
// press P" with the default key.
void pauseLine(char *line, int32_t size);

// Pausing keeps the frame as it is and shows it dimmed with the pause line; resuming puts it back.
void pauseGame();
void resumeGame();

// While paused: puts the dimmed frame with its line on the window again, as pausing left it, for a
// window whose picture was lost (uncovered, restored). Nothing is drawn anew.
void showPauseAgain();
