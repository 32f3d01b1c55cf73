// The browser: keys in the emulated SDL's key-state array and the keys the page holds (its touch
// controls and gamepads), a canvas at scale 1 that the page enlarges and takes full screen, passes
// run from the page's display frames, the pause when the canvas loses the keyboard or the page asks,
// the page told when the game ends, and each pass's time kept for the page to read.
#include "platform/platform.h"

#include "platform/frame_pacer.h"
#include "platform/key_bindings.h"
#include "platform/pad.h"
#include "platform/view.h"
#include "shell/main_loop.h"
#include "shell/match_state.h"
#include "shell/startup.h"

#include <emscripten.h>

// The emulated SDL has this function but its headers, written for a later SDL, do not declare it.
extern "C" Uint8 *SDL_GetKeyState(int *numkeys);

namespace {

// The emulated SDL keeps keys without a character (the arrows among them) in its key-state array
// at 1024 plus their scancode, and its headers give those keys exactly that value as key constant,
// so the constants index the array as on the desktop. Checked here for the keys the game reads.
static_assert(SDLK_UP == 1024 + SDL_SCANCODE_UP && SDLK_DOWN == 1024 + SDL_SCANCODE_DOWN &&
                  SDLK_LEFT == 1024 + SDL_SCANCODE_LEFT && SDLK_RIGHT == 1024 + SDL_SCANCODE_RIGHT,
              "arrow key constants are positions in the emulated key-state array");
static_assert(SDLK_SPACE == ' ' && SDLK_1 == '1' && SDLK_4 == '4', "character keys sit at their character");

// Columns: a key the page may hold, by its key constant. The page's own controls and the gamepads it
// reads hold these keys; each sits in pageHeld at its row's position.
const SDLKey pageKeys[] = {
    SDLK_UP, SDLK_DOWN, SDLK_LEFT, SDLK_RIGHT, SDLK_SPACE, SDLK_1, SDLK_2, SDLK_3, SDLK_4,
};
constexpr size_t pageKeyCount = sizeof pageKeys / sizeof pageKeys[0];
static_assert(pageKeyCount == 9, "the arrows, Space and the keys 1 to 4");
static_assert(SDLK_UP == 1106 && SDLK_DOWN == 1105 && SDLK_LEFT == 1104 && SDLK_RIGHT == 1103,
              "the page names the arrows by these numbers");
Uint8 pageHeld[pageKeyCount];  // 1 while the page holds the key

// The last passes' times in milliseconds, rules and drawing: a ring the page reads for the bench.
constexpr uint32_t keptPassTimes = 1024;
double passTimesMs[keptPassTimes];
uint32_t passesRun = 0;

DisplayPacer pacer;
bool paced = false;  // once the first display frame has started the schedule
int32_t quit = 0;

// The display frame's time in fractional milliseconds: the document timeline's, which is the time
// the frame's requestAnimationFrame callbacks receive, as regular as the display; the page's own
// monotonic clock, taken later in the frame and less evenly, where a browser has no timeline. SDL's
// ticks are whole milliseconds and follow the wall clock, which may jump.
double displayFrameMs() {
    return EM_ASM_DOUBLE({
        var time = document.timeline ? document.timeline.currentTime : null;
        return typeof time === 'number' ? time : performance.now();
    });
}

// The emulated SDL reports the page losing the keyboard as no event the game knows, so the frame
// asks the page itself: the game pauses, as on the desktop, once the canvas no longer has the keys,
// or has lost them since the last pass (the page notes that: a tab hidden at once stops the frames,
// and when it shows again the canvas has the keys back).
bool canvasHasKeyboard() {
    return EM_ASM_INT({
        var lost = Module['keyboardLost'] === true;
        Module['keyboardLost'] = false;
        return !lost && document.hasFocus() && document.activeElement === Module['canvas'] ? 1 : 0;
    }) != 0;
}

// Runs once per display frame: the 60 Hz passes due by now, usually one, none on a faster
// display's in-between frames; while paused the events are still taken but no pass runs. Once a
// pass has seen the quit, the game shuts down and the runtime exits, which tells the page (its onExit).
// A speed chosen on the page starts a new schedule at that speed.
void runDuePasses() {
    double frameMs = displayFrameMs();
    if (!paced || pacer.speed != gameSpeed()) pacer = startDisplayPacer(frameMs, gameSpeed());
    paced = true;
    uint32_t due = passesDue(pacer, frameMs);
    for (uint32_t n = 0; n < due && quit == 0; n++) {
        double startMs = emscripten_get_now();
        drainEvents(quit);
        if (!canvasHasKeyboard()) pauseGame();
        if (match.view.paused) break;
        refreshKeys();
        runPassSteps();
        passTimesMs[passesRun % keptPassTimes] = emscripten_get_now() - startMs;
        passesRun += 1;
    }
    if (quit != 0) {
        emscripten_cancel_main_loop();
        shutDown();
        emscripten_force_exit(0);
    }
}

}  // namespace

void addPlatformKeys(Uint8 *keys) {
    for (size_t i = 0; i < pageKeyCount; i++) keys[pageKeys[i]] |= pageHeld[i];
}

// Gamepads are the page's (it reads them at every display frame and holds their keys as above), so
// the emulated SDL's joystick, which numbers a pad's buttons in the browser's order and not the
// desktop controller's, is never opened.
void askForStandardPadLayout() {}
void openPad() {}
void readPadEvent(const SDL_Event &) {}
void addPadKeys(Uint8 *) {}

// The emulated array has room for 64K keys but its SDL_GetKeyState leaves the count unset: every
// key the game's key constants can name lies below SDLK_LAST.
Uint8 *keyboardState(int &count) {
    count = SDLK_LAST;
    return SDL_GetKeyState(nullptr);
}

// The emulated SDL names no key, so the page does, as its panel shows them (web/site/controls.js);
// before the page's scripts are there, a character's key by its character.
void keyLabel(int32_t key, char *label, int32_t size) {
    EM_ASM({
        var controls = window['Grimvale'] && window['Grimvale']['controls'];
        var name = controls && controls['keyName'] ? String(controls['keyName']($0))
                                                   : $0 > 32 && $0 < 127 ? String.fromCharCode($0).toUpperCase() : 'Key ' + $0;
        stringToUTF8(name.replace(/[^ -~]/g, '?'), $1, $2);
    }, key, label, size);
}

bool openGameWindow() {
    SDL_Surface *window = SDL_SetVideoMode(pictureW, pictureH, 32, SDL_HWSURFACE);
    if (!window) return false;
    match.view.windowScale = 1;
    useWindow(window, 1, false);
    return true;
}

// Full screen is the page's: the same as its button, the canvas enlarged by whole numbers on black.
void toggleFullScreen() {
    EM_ASM({ if (Module['toggleFullScreen']) Module['toggleFullScreen'](); });
}

void resizeWindow(int32_t, int32_t) {}

// Frames come from the browser (a rate of 0 asks for its display frames); the call unwinds main's
// stack and the page's frames take over. The schedule starts at the first frame, and its second
// sets the due times midway between the display's frames.
void runMainLoop() { emscripten_set_main_loop(runDuePasses, 0, 1); }

// For the page: holds (held 1) or releases (0) a key, named by its key constant: the arrows are 1024
// plus their scancode (up 1106, down 1105, left 1104, right 1103), Space and the keys 1 to 4 their
// character. Other keys are ignored. The next pass reads it, as it reads the keyboard.
extern "C" EMSCRIPTEN_KEEPALIVE void grimvaleHoldKey(int32_t key, int32_t held) {
    for (size_t i = 0; i < pageKeyCount; i++) {
        if (pageKeys[i] == key) pageHeld[i] = held != 0 ? 1 : 0;
    }
}

// For the page's pause button: pauses or resumes, as the key P does.
extern "C" EMSCRIPTEN_KEEPALIVE void grimvaleTogglePause() {
    bool paused = match.view.paused;
    if (!paused) pauseGame();
    if (paused) resumeGame();
}

// For the page's controls panel: 1 while the game is paused, 0 while its passes run.
extern "C" EMSCRIPTEN_KEEPALIVE int32_t grimvalePaused() { return match.view.paused ? 1 : 0; }

// For the page: 1 once the match has started, 0 on the title screen.
extern "C" EMSCRIPTEN_KEEPALIVE int32_t grimvaleMatchStarted() { return match.matchStarted; }

// For the page and the bench: passes run so far, and the time of one of the last 1024 (-1 otherwise).
extern "C" EMSCRIPTEN_KEEPALIVE uint32_t grimvalePassesRun() { return passesRun; }

extern "C" EMSCRIPTEN_KEEPALIVE double grimvalePassMs(uint32_t pass) {
    bool kept = pass < passesRun && passesRun - pass <= keptPassTimes;
    return kept ? passTimesMs[pass % keptPassTimes] : -1.0;
}
