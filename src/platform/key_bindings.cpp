// The player's keys for each action and the game's speed: their defaults, and how they turn the
// keyboard into the game's own held keys and edges.
#include "platform/key_bindings.h"

#include "shell/match_state.h"


namespace {

// Columns: name in the controls file, the game's own key the rules read (none for the two actions
// that act on a key-down edge), the default key: the key that did the action before keys could be
// chosen.
struct ActionRow {
    const char *name;
    int32_t gameKey;
    int32_t defaultKey;
};
const ActionRow actionRows[] = {
    {"up", SDLK_UP, SDLK_UP},
    {"down", SDLK_DOWN, SDLK_DOWN},
    {"left", SDLK_LEFT, SDLK_LEFT},
    {"right", SDLK_RIGHT, SDLK_RIGHT},
    {"fire", SDLK_SPACE, SDLK_SPACE},
    {"weapon1", SDLK_1, SDLK_1},
    {"weapon2", SDLK_2, SDLK_2},
    {"weapon3", SDLK_3, SDLK_3},
    {"weapon4", SDLK_4, SDLK_4},
    {"pause", SDLK_UNKNOWN, SDLK_p},
    {"fullscreen", SDLK_UNKNOWN, SDLK_F11},
};
static_assert(sizeof actionRows / sizeof actionRows[0] == actionCount, "one row per action");
static_assert(ActionFullScreen == actionCount - 1, "the enum and the table list the same actions");

constexpr int32_t heldActions = ActionWeapon4 + 1;  // the actions before pause hold a key the rules read

bool isAction(int32_t action) { return action >= 0 && action < actionCount; }

}  // namespace

const char *actionName(int32_t action) { return isAction(action) ? actionRows[action].name : nullptr; }

bool bindableKey(int32_t key) { return key > SDLK_UNKNOWN && key < SDLK_LAST && key != SDLK_ESCAPE; }

const int32_t *actionKeys(int32_t action, int32_t &count) {
    const ControlsState &c = match.controls;
    count = c.keyCount[action] > 0 ? c.keyCount[action] : 1;
    return c.keyCount[action] > 0 ? c.keys[action] : &actionRows[action].defaultKey;
}

void holdBoundKeys(Uint8 *held, const Uint8 *keyboard, int count) {
    for (int32_t a = 0; a < heldActions; a++) {
        int32_t n = 0;
        const int32_t *keys = actionKeys(a, n);
        for (int32_t i = 0; i < n; i++)
            if (keys[i] < count) held[actionRows[a].gameKey] |= keyboard[keys[i]];
    }
}

bool boundKeyDown(const SDL_Event &event, int32_t action) {
    int32_t n = 0;
    const int32_t *keys = actionKeys(action, n);
    bool down = false;
    for (int32_t i = 0; i < n; i++) down = down || (event.type == SDL_KEYDOWN && event.key.keysym.sym == keys[i]);
    return down;
}

int32_t sharedKey(int32_t a, int32_t b) {
    int32_t countA = 0, countB = 0;
    const int32_t *keysA = actionKeys(a, countA);
    const int32_t *keysB = actionKeys(b, countB);
    int32_t shared = SDLK_UNKNOWN;
    for (int32_t i = 0; i < countA; i++)
        for (int32_t j = 0; j < countB; j++) shared = shared == SDLK_UNKNOWN && keysA[i] == keysB[j] ? keysA[i] : shared;
    return shared;
}

void clearActionKeys(int32_t action) {
    if (isAction(action)) match.controls.keyCount[action] = 0;
}

bool addActionKey(int32_t action, int32_t key) {
    if (!isAction(action) || !bindableKey(key)) return false;
    int32_t &count = match.controls.keyCount[action];
    int32_t *keys = match.controls.keys[action];
    bool listed = false;
    for (int32_t i = 0; i < count; i++) listed = listed || keys[i] == key;
    if (!listed && count == keysPerAction) return false;
    if (!listed) keys[count++] = key;
    return true;
}

void restoreDefaultKeys() {
    for (int32_t &count : match.controls.keyCount) count = 0;
}

bool setGameSpeed(int32_t percent) {
    bool valid = percent >= slowestSpeed && percent <= fullSpeed;
    match.controls.speed = valid ? percent : fullSpeed;
    return valid;
}

int32_t gameSpeed() { return match.controls.speed == 0 ? fullSpeed : match.controls.speed; }
