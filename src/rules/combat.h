// The match frame: shots and hits, the knife, deaths and returns, the chase; the enemy's decision to fire.
#pragma once

#include <SDL.h>
#include <cstdint>

// A step of every pass: the enemy marks its shot when the player lies strictly ahead of it.
void triggerEnemyFire();

// The sixteen steps of one match frame, in order (match_frame.cpp).
void runMatchFrame();

// Steps of the match frame owned here, in the order the frame runs them.
void drawMap();
void drawPlayer();
void drawPlayerHealth();
void drawEnemy();
void flyPlayerShot();
void flyEnemyShot();
void stabWithKnife();
void enemyDeathAndReturn();
void playerDeathAndReturn();
void chasePlayer();
void restPlayerShot();
void restEnemyShot();

// One shot of an owner at (x, y) facing dir, at a target at (tx, ty): draws the shot and the flash,
// moves the shot 50 px along dir and returns true when the moved shot hits the target.
bool flyShot(int32_t x, int32_t y, int32_t dir, int32_t tx, int32_t ty, int32_t &shotX, int32_t &shotY,
             SDL_Surface *shotSprite);
