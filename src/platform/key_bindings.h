// The player's keys for each action and the game's speed: their defaults, and how they turn the
// keyboard into the game's own held keys and edges.
#pragma once

#include <SDL.h>
#include <cstdint>

// The actions, in the order the controls file's example and the page list them. The first nine are
// held keys the rules read; pause and full screen act on the key-down edge.
enum Action : int32_t {
    ActionUp, ActionDown, ActionLeft, ActionRight, ActionFire,
    ActionWeapon1, ActionWeapon2, ActionWeapon3, ActionWeapon4, ActionPause, ActionFullScreen,
};

constexpr int32_t fullSpeed = 100;     // percent: 60 passes a second
constexpr int32_t slowestSpeed = 50;   // percent: 30 passes a second

// The action's name in the controls file ("up", "weapon1", "fullscreen"); null for no action.
const char *actionName(int32_t action);

// Whether a key may be bound: a key constant of the platform's SDL other than Escape, which quits.
bool bindableKey(int32_t key);

// The action's keys in use: its own list, or its defaults when the list is empty; sets count.
const int32_t *actionKeys(int32_t action, int32_t &count);

// Sets in held (one byte per key constant, cleared by the caller) the game's own key of each held
// action whose bound key is down in keyboard (count bytes). Rules then read the arrows, the space
// bar and 1 to 4 whatever keys the player chose.
void holdBoundKeys(Uint8 *held, const Uint8 *keyboard, int count);

// Whether the event is the key-down of one of the action's keys.
bool boundKeyDown(const SDL_Event &event, int32_t action);

// The first key in use by both actions, or SDLK_UNKNOWN when they share none.
int32_t sharedKey(int32_t a, int32_t b);

// Empties the action's list, which gives it back its default keys.
void clearActionKeys(int32_t action);

// Adds a key to the action's list (a key already there is kept once). False, with nothing changed,
// for no such action, a key that cannot be bound, or a full list.
bool addActionKey(int32_t action, int32_t key);

// Every action back to its default keys.
void restoreDefaultKeys();

// The game's speed in percent: passes a second are 60 x speed / 100. A speed outside 50 to 100
// gives full speed, and false.
bool setGameSpeed(int32_t percent);
int32_t gameSpeed();
