// The one record of game state: screen, keys, fonts, sprites, both actors, both shots, pickups, counters,
// and the shell's own parts the rules never read: the picture's way to the window, pause, pad, controls.
#pragma once

#include <SDL.h>
#include <cstdint>

struct BitmapFont;

// How the 600x500 picture reaches the window. Where the window is exactly the picture (scale 1 in a
// window) the game draws straight into the window's surface; otherwise it draws into the canvas,
// which the present step puts on the window. Zeroed (as the tests leave it) it means the first case.
struct ViewState {
    SDL_Surface *window;            // the display surface; null until the window is open
    SDL_Surface *canvas;            // 600x500 in the window's format: the picture when drawn apart; null until needed
    SDL_Surface *held;              // 600x500: the frame as it was when the game paused; null until then
    bool drawsOnCanvas;             // while match.screen is the canvas, not the window
    int32_t scale;                  // whole-number scale of the picture now
    int32_t offsetX, offsetY;       // where the picture's top-left corner sits in the window
    int32_t windowScale;            // the scale the window opens at, kept through full screen
    int32_t windowW, windowH;       // the size the desktop last gave the window (a tile, a maximise); 0 until it does
    int32_t layerScale;             // how many times the SDL layer itself enlarges the window's surface; 0 or 1 none
    bool fullScreen;
    int32_t desktopW, desktopH;     // the desktop's size before the game opened its window; 0 unknown
    bool paused;                    // no pass runs, the frame shows dimmed
};

// The first game controller, as SDL's joystick events leave it. Its held buttons, hat and stick
// become held keys once a pass, merged with the keyboard's. Zeroed it is a controller in the
// standard button order.
struct PadState {
    SDL_Joystick *stick;            // opened at start-up; null without a controller
    Uint8 buttons[32];              // 1 while held, by button number
    Uint8 hat;                      // SDL_HAT_* bits of the first hat
    Sint16 stickX, stickY;          // the left stick's axes 0 and 1
    bool plainJoystick;             // a pad of no known layout: only its first button plays, and fires
    bool walksByHatAlone;           // a plain joystick with a hat: its axes 0 and 1 walk nowhere
};

// The keys the player chose for each action and the game's speed (src/platform/key_bindings.h).
// Zeroed, as at process start and in the tests, every action has its default keys at full speed.
constexpr int32_t actionCount = 11;     // up, down, left, right, fire, weapon1 to weapon4, pause, fullscreen
constexpr int32_t keysPerAction = 8;
struct ControlsState {
    int32_t keys[actionCount][keysPerAction]; // SDL key constants, as the platform's SDL numbers them
    int32_t keyCount[actionCount];  // keys listed for each action; 0: its default keys
    int32_t speed;                  // percent of full speed, 50 to 100; 0 is full speed
};

// Facing of an actor and of its shot.
enum Direction : int32_t { DirUp = 1, DirDown = 2, DirLeft = 3, DirRight = 4 };

struct MatchState {
    // display and input
    SDL_Surface *screen;            // the 600x500 picture every draw targets: the window or view.canvas
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

    // the shell's own, never read by the rules
    ViewState view;
    PadState pad;
    ControlsState controls;
};

extern MatchState match;

// Whether the key named by its SDL key constant is held in match.keys. The rules read keys only
// through this; each platform file makes sure the key constants are positions in that array.
inline bool keyHeld(SDLKey key) { return match.keys[key] != 0; }

// Gives the record the values a new game opens with; touches no other field.
void setStartValues();

// Adds to a counter that must never overflow: stops at the largest int32 instead.
inline void addCapped(int32_t &counter, int32_t amount) {
    counter = (amount > 0 && counter > INT32_MAX - amount) ? INT32_MAX : counter + amount;
}
