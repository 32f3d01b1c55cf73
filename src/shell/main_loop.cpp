// One pass of the main loop, in its steps, and the frame that closes it.
#include "shell/main_loop.h"

#include "draw/sprites.h"
#include "platform/key_bindings.h"
#include "platform/pad.h"
#include "platform/platform.h"
#include "platform/view.h"
#include "rules/combat.h"
#include "rules/controls.h"
#include "rules/walls.h"
#include "shell/match_state.h"

#include <cstring>

namespace {

bool keyDown(const SDL_Event &event, SDLKey key) { return event.type == SDL_KEYDOWN && event.key.keysym.sym == key; }

// The window losing the keyboard or being minimised, and the keyboard coming back.
bool lostFocus(const SDL_Event &event) {
    return event.type == SDL_ACTIVEEVENT && event.active.gain == 0 &&
           (event.active.state & (SDL_APPINPUTFOCUS | SDL_APPACTIVE)) != 0;
}
bool gotFocus(const SDL_Event &event) {
    return event.type == SDL_ACTIVEEVENT && event.active.gain == 1 && (event.active.state & SDL_APPINPUTFOCUS) != 0;
}

// The window uncovered or back from being minimised: what it showed may be gone.
bool shownAgain(const SDL_Event &event) {
    return event.type == SDL_VIDEOEXPOSE ||
           (event.type == SDL_ACTIVEEVENT && event.active.gain == 1 && (event.active.state & SDL_APPACTIVE) != 0);
}

}  // namespace

// Takes every waiting event; a window close or the key-down of Escape asks to quit. The pause keys
// (P unless the player chose others) pause and resume, the full-screen keys (F11) and Alt+Enter
// switch full screen: Alt+Enter only that and only once, whatever Return is bound to (a held action
// still reads Return from the keyboard). The controller's events go to its state; a paused window
// shown again gets its paused picture back, without a pass, as does one the desktop resizes (the
// window takes the size). A window that has lost the keyboard by the end of the drain pauses the
// game: switching full screen takes the keyboard away and gives it back at once, which must not
// pause.
// The pass still runs to its end: quit is only tested at the top of the next one.
void drainEvents(int32_t &quit) {
    SDL_Event event;
    int32_t unfocused = 0;
    while (SDL_PollEvent(&event)) {
        bool paused = match.view.paused;
        if (event.type == SDL_QUIT) quit = 1;
        if (keyDown(event, SDLK_ESCAPE)) quit = 1;
        bool altEnter = keyDown(event, SDLK_RETURN) && (event.key.keysym.mod & KMOD_ALT) != 0;
        bool pauseKey = boundKeyDown(event, ActionPause) && !altEnter;
        if (pauseKey && !paused) pauseGame();
        if (pauseKey && paused) resumeGame();
        if (boundKeyDown(event, ActionFullScreen) || altEnter) toggleFullScreen();
        if (lostFocus(event)) unfocused = 1;
        if (gotFocus(event)) unfocused = 0;
        if (shownAgain(event) && paused) showPauseAgain();
        if (event.type == SDL_VIDEORESIZE) resizeWindow(event.resize.w, event.resize.h);
        readPadEvent(event);
    }
    if (unfocused == 1) pauseGame();
}

// The held keys the rules read: the game's own keys (arrows, space, 1 to 4) held by whichever keys
// the player bound to them, with the controller's added and, in the browser, the page's (its touch
// controls and gamepads). An array the game owns, so SDL's own key array is never written.
void refreshKeys() {
    static Uint8 held[SDLK_LAST];
    int count = 0;
    Uint8 *keyboard = keyboardState(count);
    std::memset(held, 0, sizeof held);
    holdBoundKeys(held, keyboard, count);
    addPadKeys(held);
    addPlatformKeys(held);
    match.keys = held;
}

// The key 1 starts the match; nothing ever ends it.
void checkMatchStartKey() {
    if (keyHeld(SDLK_1) && match.matchStarted == 0) match.matchStarted = 1;
}

void runFrame() {
    drawSpriteRegion(match.backgroundSprite, -2, -2, 132, 132, -2, -2);  // top-left 130x130 of the title picture
    if (match.matchStarted == 1) runMatchFrame();
    presentFrame();
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
