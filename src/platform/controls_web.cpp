// The browser page's say over the player's keys and the game's speed: what its controls panel calls.
// Keys are the emulated SDL's key constants: a key that types a character is that character's code
// ('a' is 97, the space bar 32, Enter 13), any other is 1024 plus its scancode (the right arrow 1103).
// Actions are numbered 0 up, 1 down, 2 left, 3 right, 4 fire, 5 to 8 weapon1 to weapon4, 9 pause,
// 10 fullscreen.
#include "platform/key_bindings.h"
#include "shell/match_state.h"

#include <emscripten.h>

extern "C" {

// The key the action uses at n, counting from 0: its own keys, or its defaults while it has none;
// -1 past the last or for no such action.
EMSCRIPTEN_KEEPALIVE int32_t grimvaleActionKey(int32_t action, int32_t n) {
    int32_t count = 0;
    const int32_t *keys = actionName(action) ? actionKeys(action, count) : nullptr;
    return n >= 0 && n < count ? keys[n] : -1;
}

// Adds a key to the action: 1 when done (or already there), 0 for Escape, a key out of range,
// no such action, or an action that already has 8 keys.
EMSCRIPTEN_KEEPALIVE int32_t grimvaleAddActionKey(int32_t action, int32_t key) { return addActionKey(action, key) ? 1 : 0; }

// Takes every key from the action, which then answers to its default keys again.
EMSCRIPTEN_KEEPALIVE void grimvaleClearAction(int32_t action) { clearActionKeys(action); }

EMSCRIPTEN_KEEPALIVE void grimvaleDefaultKeys() { restoreDefaultKeys(); }

// Sets the game's speed in percent (50 to 100; anything else gives 100) from the next display frame
// on, and returns the speed now in effect.
EMSCRIPTEN_KEEPALIVE int32_t grimvaleSetSpeed(int32_t percent) {
    setGameSpeed(percent);
    return gameSpeed();
}
}
