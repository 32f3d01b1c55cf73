// One pass of the main loop, in its steps, and the frame that closes it.
#include "shell/main_loop.h"

#include "draw/sprites.h"
#include "rules/combat.h"
#include "rules/controls.h"
#include "rules/walls.h"
#include "shell/match_state.h"
#include "shell/platform.h"

// Takes every waiting event; a window close or the key-down of Escape asks to quit.
// The pass still runs to its end: quit is only tested at the top of the next one.
void drainEvents(int32_t &quit) {
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (event.type == SDL_QUIT) quit = 1;
        if (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_ESCAPE) quit = 1;
    }
}

void refreshKeys() { match.keys = SDL_GetKeyState(nullptr); }

// The key 1 starts the match; nothing ever ends it.
void checkMatchStartKey() {
    if (keyHeld(SDLK_1) && match.matchStarted == 0) match.matchStarted = 1;
}

void runFrame() {
    drawSpriteRegion(match.backgroundSprite, -2, -2, 132, 132, -2, -2);  // top-left 130x130 of the title picture
    if (match.matchStarted == 1) runMatchFrame();
    SDL_Flip(match.screen);
}

// Steps 3 to 12 of a pass, after the keys are read: the same for the game and the replay tool.
void runPassSteps() {
    movePlayer();
    triggerEnemyFire();
    checkMatchStartKey();
    selectWeapon();
    setWeaponDamage();
    applyArenaWalls();
    runFrame();
}
