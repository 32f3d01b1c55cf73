// Loading the sprite set and the blit operations all drawing goes through.
#pragma once

#include <SDL.h>

void loadSprites();
void drawBackground();
void drawSprite(SDL_Surface *surface, int x, int y);
void drawSpriteRegion(SDL_Surface *surface, int dstX, int dstY, int w, int h, int srcX, int srcY);
void blitRegion(SDL_Surface *dst, SDL_Surface *src, int dstX, int dstY, int w, int h, int srcX, int srcY);
