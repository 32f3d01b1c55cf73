// The first game controller: its d-pad, left stick and buttons held as the keyboard's keys; a pad of
// no known layout plays as a plain joystick.
#include "platform/pad.h"

#include "shell/match_state.h"

#include <cstdlib>

namespace {

// Button numbers in the standard order the layer gives game controllers.
enum PadButton : Uint8 {
    PadSouth = 0, PadEast = 1, PadWest = 2, PadNorth = 3, PadStart = 6, PadLeftShoulder = 9,
    PadUp = 11, PadDown = 12, PadLeft = 13, PadRight = 14,
};

// Columns: button number, the key it holds. Face buttons fire and pick the guns, Start and the left
// shoulder are the key 1 (start the match, the Knife), the d-pad is the arrows.
struct ButtonKey {
    Uint8 button;
    SDLKey key;
};
const ButtonKey buttonKeys[] = {
    {PadSouth, SDLK_SPACE}, {PadEast, SDLK_2},    {PadWest, SDLK_3},     {PadNorth, SDLK_4},
    {PadStart, SDLK_1},     {PadLeftShoulder, SDLK_1},
    {PadUp, SDLK_UP},       {PadDown, SDLK_DOWN}, {PadLeft, SDLK_LEFT},  {PadRight, SDLK_RIGHT},
};
static_assert(sizeof buttonKeys / sizeof buttonKeys[0] == 10, "four face buttons, Start, a shoulder, the d-pad");

// The same columns for a plain joystick, whose buttons are in no known order: the first one fires.
const ButtonKey plainButtonKeys[] = {{0, SDLK_SPACE}};
static_assert(sizeof plainButtonKeys / sizeof plainButtonKeys[0] == 1, "the fire button");

// Columns: hat bit, the arrow it holds. A controller without the standard layout reports its d-pad as a hat.
struct HatKey {
    Uint8 bit;
    SDLKey key;
};
const HatKey hatKeys[] = {
    {SDL_HAT_UP, SDLK_UP}, {SDL_HAT_DOWN, SDLK_DOWN}, {SDL_HAT_LEFT, SDLK_LEFT}, {SDL_HAT_RIGHT, SDLK_RIGHT},
};
static_assert(sizeof hatKeys / sizeof hatKeys[0] == 4, "four directions");

// A stick at rest seldom reads zero: within this much of the centre (of 32767) it holds nothing.
constexpr Sint16 stickDeadZone = 8000;

constexpr Uint8 firstPad = 0;

// While this is nonzero, SDL 2's 1.2 layer lists only the joysticks SDL knows a controller layout
// for, in the standard button order; at 0 it lists every joystick as it reports itself. The layer
// reads it each time the joystick subsystem starts.
const char *const standardLayoutVariable = "SDL12COMPAT_USE_GAME_CONTROLLERS";

bool standardLayoutAsked() {
    const char *value = std::getenv(standardLayoutVariable);
    return value != nullptr && std::atoi(value) != 0;
}

// Starts the joystick subsystem again with every joystick listed. The variable stays at 0: it is
// read nowhere else.
void listEveryJoystick() {
    SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    setenv(standardLayoutVariable, "0", 1);
    SDL_InitSubSystem(SDL_INIT_JOYSTICK);
}

}  // namespace

void askForStandardPadLayout() { setenv(standardLayoutVariable, "1", 0); }

// A controller of known layout comes first; where there is none, the first plain joystick plays.
void openPad() {
    match.pad = PadState{};
    if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) < 0) return;
    if (SDL_NumJoysticks() < 1 && standardLayoutAsked()) listEveryJoystick();
    if (SDL_NumJoysticks() < 1) return;
    match.pad.stick = SDL_JoystickOpen(0);
    match.pad.plainJoystick = !standardLayoutAsked();
    match.pad.walksByHatAlone = match.pad.plainJoystick && SDL_JoystickNumHats(match.pad.stick) > 0;
    SDL_JoystickEventState(SDL_ENABLE);
}

void readPadEvent(const SDL_Event &event) {
    PadState &pad = match.pad;
    if (event.type == SDL_JOYBUTTONDOWN && event.jbutton.which == firstPad && event.jbutton.button < sizeof pad.buttons)
        pad.buttons[event.jbutton.button] = 1;
    if (event.type == SDL_JOYBUTTONUP && event.jbutton.which == firstPad && event.jbutton.button < sizeof pad.buttons)
        pad.buttons[event.jbutton.button] = 0;
    if (event.type == SDL_JOYHATMOTION && event.jhat.which == firstPad && event.jhat.hat == 0) pad.hat = event.jhat.value;
    if (event.type == SDL_JOYAXISMOTION && event.jaxis.which == firstPad && event.jaxis.axis == 0) pad.stickX = event.jaxis.value;
    if (event.type == SDL_JOYAXISMOTION && event.jaxis.which == firstPad && event.jaxis.axis == 1) pad.stickY = event.jaxis.value;
}

void addPadKeys(Uint8 *keys) {
    const PadState &pad = match.pad;
    Uint8 stickWalks = pad.walksByHatAlone ? 0 : 1;
    if (!pad.plainJoystick) for (const ButtonKey &b : buttonKeys) keys[b.key] |= pad.buttons[b.button];
    if (pad.plainJoystick) for (const ButtonKey &b : plainButtonKeys) keys[b.key] |= pad.buttons[b.button];
    for (const HatKey &h : hatKeys) keys[h.key] |= (pad.hat & h.bit) ? 1 : 0;
    keys[SDLK_LEFT] |= pad.stickX < -stickDeadZone ? stickWalks : 0;
    keys[SDLK_RIGHT] |= pad.stickX > stickDeadZone ? stickWalks : 0;
    keys[SDLK_UP] |= pad.stickY < -stickDeadZone ? stickWalks : 0;
    keys[SDLK_DOWN] |= pad.stickY > stickDeadZone ? stickWalks : 0;
}
