// The shell's screens and hands: the window's scale, the scaled and paused picture, full screen, and
// the game controller driving the record through the real event drain.
#include "draw/font.h"
#include "shell/main_loop.h"
#include "shell/pad.h"
#include "shell/platform.h"
#include "shell/view.h"
#include "support.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <algorithm>
#include <cstdlib>
#include <string>

namespace {

bool refuseFullScreen = false;

void push(const SDL_Event &event) { ASSERT_EQ(SDL_PushEvent(const_cast<SDL_Event *>(&event)), 0); }

void pushButton(Uint8 button, bool down) {
    SDL_Event event = {};
    event.type = down ? SDL_JOYBUTTONDOWN : SDL_JOYBUTTONUP;
    event.jbutton.type = event.type;
    event.jbutton.button = button;
    push(event);
}

void pushAxis(Uint8 axis, Sint16 value) {
    SDL_Event event = {};
    event.type = event.jaxis.type = SDL_JOYAXISMOTION;
    event.jaxis.axis = axis;
    event.jaxis.value = value;
    push(event);
}

void pushKey(SDLKey key, SDLMod mod = KMOD_NONE) {
    SDL_Event event = {};
    event.type = event.key.type = SDL_KEYDOWN;
    event.key.keysym.sym = key;
    event.key.keysym.mod = mod;
    push(event);
}

void pushFocus(Uint8 gain, Uint8 state) {
    SDL_Event event = {};
    event.type = event.active.type = SDL_ACTIVEEVENT;
    event.active.gain = gain;
    event.active.state = state;
    push(event);
}

// One pass as the game runs it: the drain, the held keys, the steps.
void pass() {
    int32_t quit = 0;
    drainEvents(quit);
    refreshKeys();
    runPassSteps();
}

// The game's window as start-up opens it, at the scale GRIMVALE_SCALE asks for, with a clean record.
void openWindowAt(const char *scale) {
    resetToStart();
    setenv("GRIMVALE_SCALE", scale, 1);
    ASSERT_TRUE(openGameWindow());
    unsetenv("GRIMVALE_SCALE");
}

// Back to the plain 600x500 screen the other tests expect.
void closeView() {
    SDL_FreeSurface(match.view.canvas);
    SDL_FreeSurface(match.view.held);
    match.view = ViewState{};
    match.screen = SDL_SetVideoMode(600, 500, 32, SDL_HWSURFACE | SDL_DOUBLEBUF);
    resetMatch();
}

// A picture no two pixels of a row or column alike in: 0xRRGGBB from the position.
void paintPattern(SDL_Surface *s) {
    SDL_LockSurface(s);
    for (int y = 0; y < s->h; y++)
        for (int x = 0; x < s->w; x++)
            reinterpret_cast<Uint32 *>(static_cast<Uint8 *>(s->pixels) + y * s->pitch)[x] = (x & 0xFF) << 16 | (y & 0xFF) << 8 | ((x + y) & 0xFF);
    SDL_UnlockSurface(s);
}

Uint32 patternAt(int x, int y) { return (x & 0xFF) << 16 | (y & 0xFF) << 8 | ((x + y) & 0xFF); }

}  // namespace

// Full screen refused: the game's own SDL_SetVideoMode calls land here first, and a test can refuse
// the full-screen ones.
extern "C" SDL_Surface *SDL_SetVideoMode(int w, int h, int bpp, Uint32 flags) {
    using SetVideoMode = SDL_Surface *(*)(int, int, int, Uint32);
    static SetVideoMode real = reinterpret_cast<SetVideoMode>(dlsym(RTLD_NEXT, "SDL_SetVideoMode"));
    if (refuseFullScreen && (flags & SDL_FULLSCREEN)) {
        SDL_SetError("no full-screen mode on this test display");
        return nullptr;
    }
    return real(w, h, bpp, flags);
}

TEST(WindowScale, LargestWholeScaleWithinNinetyPercentOrThePlayersChoice) {
    EXPECT_EQ(chooseWindowScale(nullptr, 1280, 1024), 1);
    EXPECT_EQ(chooseWindowScale(nullptr, 1920, 1080), 1);
    EXPECT_EQ(chooseWindowScale(nullptr, 2560, 1440), 2);
    EXPECT_EQ(chooseWindowScale(nullptr, 3840, 2160), 3);
    EXPECT_EQ(chooseWindowScale(nullptr, 0, 0), 1) << "an unknown desktop gets the game's own size";
    EXPECT_EQ(chooseWindowScale("1", 3840, 2160), 1);
    EXPECT_EQ(chooseWindowScale("2", 1920, 1080), 2) << "the player may go past the 90%";

    for (const char *bad : {"0", "9", "-2", "2x", "x", "", " 3", "99999999999"}) {
        testing::internal::CaptureStderr();
        EXPECT_EQ(chooseWindowScale(bad, 2560, 1440), 2) << "GRIMVALE_SCALE=\"" << bad << "\" is ignored";
        std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
        EXPECT_NE(said.find("GRIMVALE_SCALE"), std::string::npos) << said;
    }
    testing::internal::CaptureStderr();
    EXPECT_EQ(chooseWindowScale("8", 1920, 1080), 2) << "too large for the desktop: the largest that fits it";
    std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("too large"), std::string::npos) << said;
}

TEST(View, ScaledPictureIsExactBlocksAndPauseDimsWithoutTouchingTheGamesPicture) {
    resetToStart();
    useWindow(SDL_SetVideoMode(1800, 1500, 32, SDL_HWSURFACE | SDL_DOUBLEBUF), 3, 0);  // the dummy desktop is too small to ask
    ASSERT_EQ(match.view.window->w, 1800);
    ASSERT_EQ(match.view.window->h, 1500);
    ASSERT_NE(match.screen, match.view.window) << "the game draws into its own 600x500 picture";
    ASSERT_EQ(match.screen->w, 600);
    paintPattern(match.screen);
    presentFrame();
    for (int y : {0, 1, 250, 499})
        for (int x : {0, 1, 333, 599})
            for (int k = 0; k < 9; k++)
                ASSERT_EQ(rgbAt(match.view.window, x * 3 + k % 3, y * 3 + k / 3), patternAt(x, y)) << x << "," << y;

    pauseGame();
    EXPECT_EQ(rgbAt(match.screen, 200, 100), patternAt(200, 100)) << "the game's picture is never dimmed";
    EXPECT_EQ(rgbAt(match.view.window, 600, 300), (patternAt(200, 100) >> 1) & 0x7F7F7F);
    resumeGame();
    closeView();
}

TEST(View, PauseAtScaleOneDimsTheWindowShowsTheLineAndResumingRestoresIt) {
    openWindowAt("1");
    ASSERT_EQ(match.screen, match.view.window) << "at scale 1 the game draws straight into the window";
    match.hudFont = loadTintedFont("data/font2", 1.0f, 1.0f, 0.0f);
    paintPattern(match.screen);
    pushKey(SDLK_p);
    int32_t quit = 0;
    drainEvents(quit);
    ASSERT_EQ(match.view.paused, 1);
    EXPECT_EQ(rgbAt(match.screen, 10, 10), (patternAt(10, 10) >> 1) & 0x7F7F7F);
    int yellow = 0;
    for (int y = 230; y < 270; y++)
        for (int x = 200; x < 400; x++) yellow += (rgbAt(match.screen, x, y) & 0xFFFF00) > 0xC0C000 && (rgbAt(match.screen, x, y) & 0xFF) < 0x60;
    EXPECT_GT(yellow, 50) << "the pause line in the heads-up font, in the middle";

    pushKey(SDLK_p);
    drainEvents(quit);
    EXPECT_EQ(match.view.paused, 0);
    for (int y : {10, 250, 499}) EXPECT_EQ(rgbAt(match.screen, 300, y), patternAt(300, y)) << "the frame comes back undimmed";

    pushFocus(0, SDL_APPINPUTFOCUS);
    pushFocus(1, SDL_APPINPUTFOCUS);
    drainEvents(quit);
    EXPECT_EQ(match.view.paused, 0) << "the keyboard taken and given back at once (a full-screen switch)";
    pushFocus(0, SDL_APPINPUTFOCUS);
    drainEvents(quit);
    EXPECT_EQ(match.view.paused, 1) << "losing the keyboard pauses";
    pushKey(SDLK_p);
    drainEvents(quit);
    pushFocus(0, SDL_APPACTIVE);
    drainEvents(quit);
    EXPECT_EQ(match.view.paused, 1) << "minimised";
    pushKey(SDLK_ESCAPE);
    drainEvents(quit);
    EXPECT_EQ(quit, 1) << "Escape still quits while paused";
    resumeGame();
    freeFont(match.hudFont);
    closeView();
}

TEST(View, FullScreenCentresTheWholeScaleAndTogglesBackOrStaysInTheWindowWhenRefused) {
    openWindowAt("1");
    paintPattern(match.screen);
    pushKey(SDLK_F11);
    int32_t quit = 0;
    drainEvents(quit);
    ASSERT_EQ(match.view.fullScreen, 1);
    SDL_Surface *full = match.view.window;
    ASSERT_EQ(full->w, match.view.desktopW);
    int scale = fittingScale(full->w, full->h, 100);
    int left = (full->w - 600 * scale) / 2, top = (full->h - 500 * scale) / 2;
    presentFrame();
    EXPECT_EQ(rgbAt(full, left + scale * 77, top + scale * 55), patternAt(77, 55)) << "the title picture survives the switch";
    EXPECT_EQ(rgbAt(full, 0, 0), 0u) << "black around the picture";
    EXPECT_EQ(rgbAt(full, full->w - 1, full->h - 1), 0u);

    pushKey(SDLK_RETURN, KMOD_LALT);
    drainEvents(quit);
    EXPECT_EQ(match.view.fullScreen, 0);
    EXPECT_EQ(match.screen->w, 600);
    EXPECT_EQ(match.screen, match.view.window);
    EXPECT_EQ(rgbAt(match.screen, 77, 55), patternAt(77, 55));

    refuseFullScreen = true;
    testing::internal::CaptureStderr();
    pushKey(SDLK_F11);
    drainEvents(quit);
    std::string said = testing::internal::GetCapturedStderr();
    refuseFullScreen = false;
    EXPECT_EQ(match.view.fullScreen, 0);
    ASSERT_NE(match.view.window, nullptr);
    EXPECT_EQ(match.view.window->w, 600);
    EXPECT_EQ(rgbAt(match.screen, 77, 55), patternAt(77, 55)) << "the game goes on in its window";
    EXPECT_NE(said.find("full screen refused"), std::string::npos) << said;
    closeView();
}

TEST(Gamepad, ControllerEventsWalkFireStartAndPickWeaponsAsTheKeysDo) {
    resetToStart();
    match.pad = PadState{};
    Uint8 *sdlKeys = SDL_GetKeyState(nullptr);

    pushButton(6, true);  // Start
    pass();
    EXPECT_EQ(match.matchStarted, 1) << "Start is the key 1";
    pushButton(6, false);

    pushButton(14, true);  // d-pad right
    pass();
    EXPECT_EQ(match.playerX, 102);
    EXPECT_EQ(sdlKeys[SDLK_RIGHT], 0) << "SDL's own key array is never written";
    pushButton(14, false);
    pass();
    EXPECT_EQ(match.playerX, 102) << "released";

    pushAxis(1, -20000);  // left stick up
    pass();
    EXPECT_EQ(match.playerY, 298);
    EXPECT_EQ(match.playerDir, DirUp);
    pushAxis(1, -7000);  // within the dead zone
    pushAxis(0, 5000);
    pass();
    EXPECT_EQ(match.playerY, 298) << "a stick resting near the centre walks nowhere";
    EXPECT_EQ(match.playerX, 102);
    pushAxis(1, 0);
    pushAxis(0, 0);

    SDL_Event hat = {};
    hat.type = hat.jhat.type = SDL_JOYHATMOTION;
    hat.jhat.value = SDL_HAT_LEFTDOWN;
    push(hat);
    pass();
    EXPECT_EQ(match.playerX, 100) << "a d-pad reported as a hat";
    EXPECT_EQ(match.playerY, 300);
    hat.jhat.value = SDL_HAT_CENTERED;
    push(hat);

    match.playerFiring = 0;
    pushButton(0, true);  // south
    refreshKeys();
    pass();
    EXPECT_EQ(match.playerFiring, 1) << "the south button fires";
    pushButton(0, false);

    while (match.matchFrames <= 50) pass();
    // Columns: button, weapon it picks: east Colt, west Thompson SMG, north M1 Garand, left shoulder Knife.
    const int picks[][2] = {{3, 4}, {2, 3}, {1, 2}, {9, 1}};
    for (const auto &pick : picks) {
        pushButton(static_cast<Uint8>(pick[0]), true);
        pass();
        EXPECT_EQ(match.weapon, pick[1]) << "button " << pick[0];
        pushButton(static_cast<Uint8>(pick[0]), false);
        pass();
    }

    SDL_Event other = {};
    other.type = other.jbutton.type = SDL_JOYBUTTONDOWN;
    other.jbutton.which = 1;
    other.jbutton.button = 14;
    push(other);
    int32_t x = match.playerX;
    pass();
    EXPECT_EQ(match.playerX, x) << "only the first controller plays";
    match.pad = PadState{};
    resetMatch();
}
