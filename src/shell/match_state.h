// The one record of game state: screen, keys, fonts, sprites, both actors, both shots, pickups, counters.
#pragma once

#include <SDL.h>
#include <cstdint>

struct BitmapFont;

// Facing of an actor and of its shot.
enum Direction : int32_t { DirUp = 1, DirDown = 2, DirLeft = 3, DirRight = 4 };

struct MatchState {
    // display and input
    SDL_Surface *screen;            // the display surface; every draw targets it
    Uint8 *keys;                    // key-state array, one byte per SDL key code; nonzero = held

    // fonts, owned from start-up until shutdown
    BitmapFont *titleFont;          // white, the title line only
    BitmapFont *hudFont;            // yellow, the menu line and every in-match text

    // sprites, loaded once and never freed; null when the file failed to load
    SDL_Surface *backgroundSprite;  // title picture; its top-left corner is redrawn every frame
    SDL_Surface *mapSprite;         // the arena
    SDL_Surface *playerSpriteUp;
    SDL_Surface *playerSpriteDown;
    SDL_Surface *playerSpriteLeft;
    SDL_Surface *playerSpriteRight;
    SDL_Surface *playerDeadSprite;
    SDL_Surface *playerShotSprite;
    SDL_Surface *muzzleFlashSprite; // drawn at the barrel of either actor while its shot flies
    SDL_Surface *enemySpriteUp;
    SDL_Surface *enemySpriteDown;
    SDL_Surface *enemySpriteLeft;
    SDL_Surface *enemySpriteRight;
    SDL_Surface *enemyDeadSprite;
    SDL_Surface *enemyShotSprite;   // same picture as playerShotSprite, separate surface
    SDL_Surface *ammoBoxSprite;
    SDL_Surface *medkitSprite;

    // match flow
    int32_t matchStarted;           // 0 on the title screen, 1 once the key 1 started the match
    int32_t matchFrames;            // match frames run; gates the hints and the weapon keys

    // the player
    int32_t playerX, playerY;       // top-left corner of the sprite; also the respawn point
    int32_t playerDir;              // Direction faced
    int32_t playerHealth;           // hit points; counts up to the return while dead
    int32_t playerDead;             // 1 while lying dead
    int32_t playerFiring;           // 1 while the shot flies or waits to fly
    int32_t playerShotX, playerShotY; // the shot; pinned to the resting point while not firing
    int32_t weapon;                 // 1 Knife, 2 Colt, 3 Thompson SMG, 4 M1 Garand
    int32_t weaponDamage;           // hit points one hit of the selected weapon takes
    int32_t ammo;                   // rounds left; may go below zero
    int32_t score;                  // +20 each time the enemy comes back

    // the enemy
    int32_t enemyX, enemyY;         // top-left corner of the sprite; also the respawn point
    int32_t enemyDir;               // Direction faced; also decides when it opens fire
    int32_t enemyHealth;            // hit points; counts up to the return while dead
    int32_t enemyDead;              // 1 while lying dead
    int32_t enemyFiring;            // 1 while the shot flies
    int32_t enemyShotX, enemyShotY; // the shot; pinned to the resting point while not firing

    // pickups
    int32_t ammoBoxX, ammoBoxY;     // where the ammo box lies
    int32_t ammoBoxShown;           // 1 while it lies on the map
    int32_t ammoBoxTimer;           // match frames since it was last taken
    int32_t medkitX, medkitY;       // where the medkit lies
    int32_t medkitShown;            // 1 while it lies on the map
    int32_t medkitTimer;            // match frames since it was last taken
};

extern MatchState match;

// Gives the record the values a new game opens with; touches no other field.
void setStartValues();

// Adds to a counter that must never overflow: stops at the largest int32 instead.
inline void addCapped(int32_t &counter, int32_t amount) {
    counter = (amount > 0 && counter > INT32_MAX - amount) ? INT32_MAX : counter + amount;
}
