// The shell's screens and hands: the window's scale, the scaled and paused picture, full screen, and
// the game controller and the player's chosen keys driving the record through the real event drain.
#include "draw/font.h"
#include "platform/controls_file.h"
#include "platform/key_bindings.h"
#include "platform/pad.h"
#include "platform/platform.h"
#include "platform/view.h"
#include "shell/main_loop.h"
#include "support.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <algorithm>
#include <initializer_list>
#include <string>

namespace {

bool refuseFullScreen = false;

SDL_Event ev(Uint8 type) {
    SDL_Event event = {};
    event.type = type;
    return event;
}
SDL_Event button(Uint8 number, bool down) {
    SDL_Event event = ev(down ? SDL_JOYBUTTONDOWN : SDL_JOYBUTTONUP);
    event.jbutton.button = number;
    return event;
}
SDL_Event axis(Uint8 number, Sint16 value) {
    SDL_Event event = ev(SDL_JOYAXISMOTION);
    event.jaxis.axis = number;
    event.jaxis.value = value;
    return event;
}
SDL_Event key(SDLKey sym, SDLMod mod = KMOD_NONE) {
    SDL_Event event = ev(SDL_KEYDOWN);
    event.key.keysym.sym = sym;
    event.key.keysym.mod = mod;
    return event;
}
SDL_Event focus(Uint8 gain, Uint8 state) {
    SDL_Event event = ev(SDL_ACTIVEEVENT);
    event.active.gain = gain;
    event.active.state = state;
    return event;
}

// The events through the game's own drain; whether they asked to quit.
int32_t drain(std::initializer_list<SDL_Event> events) {
    for (SDL_Event event : events) EXPECT_EQ(SDL_PushEvent(&event), 0);
    int32_t quit = 0;
    drainEvents(quit);
    return quit;
}

// One pass as the game runs it: the drain, the held keys, the steps.
void pass(std::initializer_list<SDL_Event> events = {}) {
    drain(events);
    refreshKeys();
    runPassSteps();
}

// A picture in which no two pixels of a row or a column are alike, and its colour at (x, y).
Uint32 patternAt(int x, int y) { return Uint32(x & 0xFF) << 16 | Uint32(y & 0xFF) << 8 | ((x + y) & 0xFF); }
void paintPattern(SDL_Surface *s) {
    for (int y = 0; y < s->h; y++)
        for (int x = 0; x < s->w; x++) reinterpret_cast<Uint32 *>(static_cast<Uint8 *>(s->pixels) + y * s->pitch)[x] = patternAt(x, y);
}
Uint32 halved(Uint32 rgb) { return (rgb >> 1) & 0x7F7F7F; }

// The pure yellow of the heads-up font's ink on a surface, and on black with just the pause line.
int yellowIn(SDL_Surface *s) {
    int yellow = 0;
    for (int y = 0; y < s->h; y++)
        for (int x = 0; x < s->w; x++) yellow += rgbAt(s, x, y) == 0xFFFF00;
    return yellow;
}
int inkOfLine(const char *line) {
    SDL_Surface *black = SDL_CreateRGBSurface(SDL_SWSURFACE, 600, 500, 32, 0xFF0000, 0xFF00, 0xFF, 0);
    drawText(black, match.hudFont, (600 - textWidth(match.hudFont, "%s", line)) / 2, (500 - match.hudFont->cellSize) / 2, "%s", line);
    int ink = yellowIn(black);
    SDL_FreeSurface(black);
    return ink;
}

// Calls a function of SDL 2 itself, the library under the 1.2 layer, by its name.
template <typename Result, typename... Args>
Result sdl2(const char *name, Args... args) {
    static void *library = dlopen("libSDL2-2.0.so.0", RTLD_NOW | RTLD_NOLOAD);
    return reinterpret_cast<Result (*)(Args...)>(dlsym(library, name))(args...);
}

// Back to the plain 600x500 screen the other tests expect.
void closeView() {
    SDL_FreeSurface(match.view.canvas);
    SDL_FreeSurface(match.view.held);
    match.view = ViewState{};
    match.screen = SDL_SetVideoMode(600, 500, 32, SDL_HWSURFACE | SDL_DOUBLEBUF);
    resetMatch();
}

}  // namespace

// The game's own SDL_SetVideoMode calls land here first, so a test can refuse full screen.
extern "C" SDL_Surface *SDL_SetVideoMode(int w, int h, int bpp, Uint32 flags) {
    using SetVideoMode = SDL_Surface *(*)(int, int, int, Uint32);
    static SetVideoMode real = reinterpret_cast<SetVideoMode>(dlsym(RTLD_NEXT, "SDL_SetVideoMode"));
    if (refuseFullScreen && (flags & SDL_FULLSCREEN)) SDL_SetError("no full-screen mode on this test display");
    return refuseFullScreen && (flags & SDL_FULLSCREEN) ? nullptr : real(w, h, bpp, flags);
}

TEST(WindowScale, LargestWholeScaleWithinNinetyPercentOrThePlayersChoice) {
    const int desktops[][3] = {{1280, 1024, 1}, {1920, 1080, 1}, {2560, 1440, 2}, {3840, 2160, 3}, {0, 0, 1}};
    for (const auto &d : desktops) EXPECT_EQ(chooseWindowScale(nullptr, d[0], d[1]), d[2]) << d[0] << "x" << d[1];
    EXPECT_EQ(chooseWindowScale("2", 1920, 1080), 2) << "the player may go past the 90%";
    for (const char *bad : {"0", "9", "-2", "2x", "", " 1", "+1", "99999999999", "8"}) {
        testing::internal::CaptureStderr();
        EXPECT_EQ(chooseWindowScale(bad, 2560, 1440), 2) << "GRIMVALE_SCALE=\"" << bad << "\"";
        std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(said.find("GRIMVALE_SCALE"), 0u) << said;
        EXPECT_EQ(said.find('\n'), said.size() - 1) << "one line: " << said;
    }
}

TEST(View, ScaledPictureIsExactBlocksAndPauseDimsOnlyTheWindowAndIsShownAgainWhenExposed) {
    resetToStart();
    useWindow(SDL_SetVideoMode(1800, 1500, 32, SDL_HWSURFACE | SDL_DOUBLEBUF), 3, false);  // too large to ask the dummy desktop for
    ASSERT_EQ(match.screen, match.view.canvas) << "the game draws into its own 600x500 picture";
    paintPattern(match.screen);
    presentFrame();
    for (int y : {0, 1, 250, 499})
        for (int x : {0, 1, 333, 599})
            for (int k = 0; k < 9; k++) ASSERT_EQ(rgbAt(match.view.window, x * 3 + k % 3, y * 3 + k / 3), patternAt(x, y));
    pauseGame();
    EXPECT_EQ(rgbAt(match.screen, 200, 100), patternAt(200, 100)) << "the game's picture is never dimmed";
    EXPECT_EQ(rgbAt(match.view.window, 600, 300), halved(patternAt(200, 100)));
    for (SDL_Event shown : {ev(SDL_VIDEOEXPOSE), focus(1, SDL_APPACTIVE)}) {
        SDL_FillRect(match.view.window, nullptr, 0);
        drain({shown});
        EXPECT_EQ(rgbAt(match.view.window, 600, 300), halved(patternAt(200, 100))) << "shown again after event " << int(shown.type);
    }
    closeView();
}

TEST(View, PauseByPOrLostFocusDimsUnderTheLineAndResumingRestoresTheFrame) {
    resetToStart();
    ASSERT_TRUE(openGameWindow());
    ASSERT_EQ(match.screen, match.view.window) << "at scale 1 the game draws straight into the window";
    match.hudFont = loadTintedFont("data/font2", 1.0f, 1.0f, 0.0f);
    paintPattern(match.screen);
    drain({key(SDLK_p)});
    ASSERT_TRUE(match.view.paused);
    EXPECT_EQ(rgbAt(match.screen, 10, 10), halved(patternAt(10, 10)));
    int yellow = 0;
    for (int y = 230; y < 270; y++)
        for (int x = 200; x < 400; x++) yellow += rgbAt(match.screen, x, y) == 0xFFFF00;
    EXPECT_GT(yellow, 20) << "the pause line in the heads-up font, in the middle";
    EXPECT_EQ(yellowIn(match.screen), inkOfLine("Paused - press P"));

    drain({key(SDLK_p)});
    EXPECT_FALSE(match.view.paused);
    for (int y : {10, 250, 499}) EXPECT_EQ(rgbAt(match.screen, 300, y), patternAt(300, y)) << "back undimmed";
    drain({focus(0, SDL_APPINPUTFOCUS), focus(1, SDL_APPINPUTFOCUS)});
    EXPECT_FALSE(match.view.paused) << "the keyboard taken and given back at once, as a full-screen switch does";
    drain({focus(0, SDL_APPINPUTFOCUS)});
    EXPECT_TRUE(match.view.paused) << "losing the keyboard";
    drain({key(SDLK_p), focus(0, SDL_APPACTIVE)});
    EXPECT_TRUE(match.view.paused) << "minimised";
    EXPECT_EQ(drain({key(SDLK_ESCAPE)}), 1) << "Escape still quits while paused";
    resumeGame();
    freeFont(match.hudFont);
    closeView();
}

TEST(View, FullScreenCentresTheWholeScaleOnBlackAndGoesBackOrStaysInTheWindowWhenRefused) {
    resetToStart();
    ASSERT_TRUE(openGameWindow());
    paintPattern(match.screen);
    drain({key(SDLK_F11)});
    ASSERT_TRUE(match.view.fullScreen);
    SDL_Surface *full = match.view.window;
    ASSERT_EQ(full->w, match.view.desktopW);
    int scale = fittingScale(full->w, full->h, 100), left = (full->w - 600 * scale) / 2, top = (full->h - 500 * scale) / 2;
    presentFrame();
    EXPECT_EQ(rgbAt(full, left + scale * 77, top + scale * 55), patternAt(77, 55)) << "the title picture survives the switch";
    EXPECT_EQ(rgbAt(full, 0, 0), 0u);
    EXPECT_EQ(rgbAt(full, full->w - 1, full->h - 1), 0u);

    drain({key(SDLK_RETURN, KMOD_LALT)});
    EXPECT_FALSE(match.view.fullScreen);
    EXPECT_EQ(match.screen, match.view.window);
    EXPECT_EQ(match.screen->w, 600);
    EXPECT_EQ(rgbAt(match.screen, 77, 55), patternAt(77, 55));

    // Alt+Enter is full screen once and only that, whatever Return is bound to; a plain Return does
    // what it is bound to.
    addActionKey(ActionFullScreen, SDLK_RETURN);
    drain({key(SDLK_RETURN, KMOD_RALT)});
    EXPECT_TRUE(match.view.fullScreen) << "fullscreen = return: Alt+Enter switches once, not twice";
    drain({key(SDLK_RETURN)});
    EXPECT_FALSE(match.view.fullScreen) << "Return alone, bound to full screen";
    restoreDefaultKeys();
    addActionKey(ActionPause, SDLK_RETURN);
    drain({key(SDLK_RETURN, KMOD_LALT)});
    EXPECT_TRUE(match.view.fullScreen);
    EXPECT_FALSE(match.view.paused) << "pause = return: Alt+Enter does not pause";
    drain({key(SDLK_RETURN, KMOD_LALT), key(SDLK_RETURN)});
    EXPECT_FALSE(match.view.fullScreen);
    EXPECT_TRUE(match.view.paused) << "Return alone, bound to pause";
    resumeGame();
    restoreDefaultKeys();

    refuseFullScreen = true;
    testing::internal::CaptureStderr();
    drain({key(SDLK_F11)});
    std::string said = testing::internal::GetCapturedStderr();
    refuseFullScreen = false;
    EXPECT_FALSE(match.view.fullScreen);
    EXPECT_EQ(match.view.window->w, 600);
    EXPECT_EQ(rgbAt(match.screen, 77, 55), patternAt(77, 55)) << "the game goes on in its window";
    EXPECT_NE(said.find("full screen refused"), std::string::npos) << said;
    closeView();
}

TEST(View, ANewSizeFromTheDesktopTakesTheWholeScaleCentredAndKeepsThePausedPictureAndFullScreenGoesBackToIt) {
    resetToStart();
    ASSERT_TRUE(openGameWindow());
    match.hudFont = loadTintedFont("data/font2", 1.0f, 1.0f, 0.0f);
    paintPattern(match.screen);
    drain({key(SDLK_p)});
    SDL_Event tile = ev(SDL_VIDEORESIZE);
    tile.resize.w = 1916;
    tile.resize.h = 1053;
    drain({tile});
    SDL_Surface *window = match.view.window;
    ASSERT_EQ(window->w * 10000 + window->h, 1916 * 10000 + 1053) << "the window takes the size";
    EXPECT_EQ(match.view.scale, 2);
    EXPECT_EQ(match.view.offsetX, 358);
    EXPECT_EQ(match.view.offsetY, 26);
    EXPECT_TRUE(match.view.paused) << "still paused: no pass ran";
    EXPECT_EQ(rgbAt(window, 358 + 2 * 10 + 1, 26 + 2 * 10 + 1), halved(patternAt(10, 10))) << "the paused picture, at 2x";
    EXPECT_EQ(rgbAt(window, 357, 100) | rgbAt(window, 358 + 1200, 1052), 0u) << "black beside it";

    reinterpret_cast<Uint32 *>(window->pixels)[0] = 0x123456;
    drain({tile});
    EXPECT_EQ(rgbAt(match.view.window, 0, 0), 0x123456u) << "the size it already has changes nothing";
    drain({key(SDLK_p)});
    presentFrame();
    EXPECT_EQ(rgbAt(match.view.window, 358 + 2 * 77, 26 + 2 * 55), patternAt(77, 55)) << "resumed, undimmed";

    drain({key(SDLK_F11)});
    ASSERT_TRUE(match.view.fullScreen);
    drain({key(SDLK_F11)});
    EXPECT_EQ(match.view.window->w * 10000 + match.view.window->h, 1916 * 10000 + 1053) << "back to the size it had";
    EXPECT_EQ(match.view.scale, 2);
    presentFrame();
    EXPECT_EQ(rgbAt(match.view.window, 358 + 2 * 77 + 1, 26 + 2 * 55 + 1), patternAt(77, 55));
    freeFont(match.hudFont);
    closeView();
}

TEST(View, ADesktopSmallerThanThePictureKeepsTheWindowAndSmallerSurfacesShowTheirMiddle) {
    resetToStart();
    ASSERT_TRUE(openGameWindow());
    match.hudFont = loadTintedFont("data/font2", 1.0f, 1.0f, 0.0f);
    paintPattern(match.screen);
    match.view.desktopW = 640;
    match.view.desktopH = 480;
    testing::internal::CaptureStderr();
    drain({key(SDLK_F11)});
    std::string said = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(match.view.fullScreen);
    EXPECT_EQ(match.screen, match.view.window) << "the window stays as it is";
    EXPECT_EQ(said.find("full screen refused"), 0u) << said;
    EXPECT_EQ(said.find('\n'), said.size() - 1) << "one line: " << said;

    // Such surfaces reach the present step all the same: only their part of the picture is drawn.
    for (auto [w, h] : {std::pair{640, 480}, std::pair{480, 800}}) {
        releaseWindow();
        useWindow(SDL_SetVideoMode(w, h, 32, SDL_HWSURFACE | SDL_DOUBLEBUF | SDL_FULLSCREEN), 1, true);
        SDL_Surface *full = match.view.window;
        ASSERT_EQ(full->w * 10000 + full->h, w * 10000 + h);
        int left = (w - 600) / 2, top = (h - 500) / 2, x0 = std::max(left, 0), y0 = std::max(top, 0);
        presentFrame();
        EXPECT_EQ(rgbAt(full, x0, y0), patternAt(x0 - left, y0 - top)) << w << "x" << h;
        EXPECT_EQ(rgbAt(full, std::min(left + 599, w - 1), std::min(top + 499, h - 1)),
                  patternAt(std::min(599, w - 1 - left), std::min(499, h - 1 - top)));
        EXPECT_EQ(rgbAt(full, 0, 0) | rgbAt(full, w - 1, h - 1), 0u) << "black beside the picture";
        pauseGame();
        EXPECT_EQ(rgbAt(full, x0, y0), halved(patternAt(x0 - left, y0 - top))) << "paused";
        resumeGame();
        scalePicture(match.screen, full, 3, -900, -750);
        EXPECT_EQ(rgbAt(full, 0, 0), patternAt(300, 250)) << "a scale far too large for the surface";
    }
    freeFont(match.hudFont);
    closeView();
}

TEST(Gamepad, ControllerEventsWalkFireStartAndPickWeaponsAsTheKeysDo) {
    resetToStart();
    pass({button(6, true)});
    EXPECT_EQ(match.matchStarted, 1) << "Start is the key 1";
    pass({button(6, false), button(14, true)});
    EXPECT_EQ(match.playerX, 102) << "d-pad right";
    EXPECT_EQ(SDL_GetKeyState(nullptr)[SDLK_RIGHT], 0) << "SDL's own key array is never written";
    pass({button(14, false), axis(1, -20000)});
    EXPECT_EQ(match.playerX, 102) << "released";
    EXPECT_EQ(match.playerY, 298) << "left stick up";
    pass({axis(1, -7000), axis(0, 5000)});
    EXPECT_EQ(match.playerY, 298) << "a stick resting near the centre walks nowhere";
    EXPECT_EQ(match.playerX, 102);
    SDL_Event hat = ev(SDL_JOYHATMOTION);
    hat.jhat.value = SDL_HAT_LEFTDOWN;
    pass({axis(1, 0), axis(0, 0), hat});
    EXPECT_EQ(match.playerX, 100) << "a d-pad reported as a hat";
    EXPECT_EQ(match.playerY, 300);
    hat.jhat.value = SDL_HAT_CENTERED;
    match.playerFiring = 0;
    pass({hat, button(0, true)});
    EXPECT_EQ(match.playerFiring, 1) << "the south button fires";

    pass({button(0, false)});
    while (match.matchFrames <= 50) pass();
    const int picks[][2] = {{3, 4}, {2, 3}, {1, 2}, {9, 1}};  // button: north, west, east, left shoulder; weapon
    for (const auto &pick : picks) {
        pass({button(static_cast<Uint8>(pick[0]), true)});
        EXPECT_EQ(match.weapon, pick[1]) << "button " << pick[0];
        pass({button(static_cast<Uint8>(pick[0]), false)});
    }
    SDL_Event second = button(14, true);
    second.jbutton.which = 1;
    pass({second});
    EXPECT_EQ(match.playerX, 100) << "only the first controller plays";
    match.pad = PadState{};
    resetMatch();
}

// A joystick SDL knows no layout for, plugged in before the game starts: SDL 2's own virtual one,
// reached through the SDL 2 library the 1.2 layer runs on.
TEST(Gamepad, JoystickOfNoKnownLayoutWalksByItsHatAndFiresByItsFirstButton) {
    // Our own hold on SDL 2's joysticks keeps the virtual one while the game starts them again; the
    // dummy window never has the keyboard, without which SDL 2 drops joystick events.
    sdl2<int>("SDL_SetHint", "SDL_JOYSTICK_ALLOW_BACKGROUND_EVENTS", "1");
    ASSERT_EQ(sdl2<int>("SDL_InitSubSystem", Uint32{SDL_INIT_JOYSTICK}), 0);
    int index = sdl2<int>("SDL_JoystickAttachVirtual", 0, 0, 7, 1);  // unknown type, no axes, 7 buttons, a hat
    void *stick = sdl2<void *>("SDL_JoystickOpen", index);
    auto hold = [stick](const char *what, int number, Uint8 value) {
        sdl2<int>(what, stick, number, value);
        pass();
    };
    resetToStart();
    setenv("SDL12COMPAT_USE_GAME_CONTROLLERS", "1", 1);
    openPad();
    hold("SDL_JoystickSetVirtualHat", 0, SDL_HAT_LEFTUP);
    EXPECT_EQ(match.playerX, 98) << "the hat walks";
    EXPECT_EQ(match.playerY, 298);
    hold("SDL_JoystickSetVirtualHat", 0, SDL_HAT_CENTERED);
    hold("SDL_JoystickSetVirtualButton", 6, 1);
    EXPECT_EQ(match.matchStarted, 0) << "its buttons are in no known order: 6 is not Start";
    hold("SDL_JoystickSetVirtualButton", 0, 1);
    EXPECT_EQ(match.playerFiring, 1) << "the first button fires";
    SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    sdl2<void>("SDL_JoystickClose", stick);
    sdl2<int>("SDL_JoystickDetachVirtual", index);
    sdl2<void>("SDL_QuitSubSystem", Uint32{SDL_INIT_JOYSTICK});
    match.pad = PadState{};
    resetMatch();
}

TEST(KeyBindings, ChosenKeysWalkFireStartAndPauseThroughTheDrainAndTheOldKeysNoLonger) {
    resetToStart();
    ASSERT_TRUE(openGameWindow());
    std::string path = freshDir("bindings") + "/controls.conf";
    writeFile(path, "right = d\nfire = return\nweapon1 = 9\npause = [0]\n");
    readControlsFile(path.c_str());
    Uint8 *keyboard = SDL_GetKeyState(nullptr);
    keyboard[SDLK_1] = 1;
    pass();
    EXPECT_EQ(match.matchStarted, 0) << "1 no longer starts the match";
    keyboard[SDLK_1] = 0;
    keyboard[SDLK_9] = 1;
    pass();
    EXPECT_EQ(match.matchStarted, 1) << "the key chosen for weapon1 does";
    keyboard[SDLK_9] = 0;
    keyboard[SDLK_d] = keyboard[SDLK_UP] = 1;
    pass();
    EXPECT_EQ(match.playerX, 102) << "d walks right";
    EXPECT_EQ(match.playerY, 298) << "up kept its default key";
    keyboard[SDLK_d] = keyboard[SDLK_UP] = 0;
    keyboard[SDLK_RIGHT] = keyboard[SDLK_SPACE] = 1;
    match.playerFiring = 0;
    pass();
    EXPECT_EQ(match.playerX, 102) << "the right arrow no longer walks";
    EXPECT_EQ(match.playerFiring, 0) << "nor does the space bar fire";
    keyboard[SDLK_RIGHT] = keyboard[SDLK_SPACE] = 0;
    keyboard[SDLK_RETURN] = 1;
    pass();
    EXPECT_EQ(match.playerFiring, 1) << "Enter fires";
    keyboard[SDLK_RETURN] = 0;
    drain({key(SDLK_p)});
    EXPECT_FALSE(match.view.paused) << "P no longer pauses";
    match.hudFont = loadTintedFont("data/font2", 1.0f, 1.0f, 0.0f);
    drain({key(SDLK_KP0)});
    EXPECT_TRUE(match.view.paused) << "the keypad's 0 does";
    EXPECT_EQ(yellowIn(match.screen), inkOfLine("Paused - press [0]")) << "and the pause line names it";
    EXPECT_NE(inkOfLine("Paused - press [0]"), inkOfLine("Paused - press P"));
    drain({key(SDLK_KP0)});
    EXPECT_FALSE(match.view.paused) << "and resumes";
    char line[64];
    for (auto [key, named] : {std::pair{SDLK_F1, "Paused - press F1"}, std::pair{SDLK_LCTRL, "Paused - press Left Ctrl"},
                              std::pair{SDLK_SEMICOLON, "Paused - press ;"}}) {
        clearActionKeys(ActionPause);
        addActionKey(ActionPause, key);
        addActionKey(ActionPause, SDLK_p);
        pauseLine(line, sizeof line);
        EXPECT_STREQ(line, named) << "the first of its keys";
    }
    freeFont(match.hudFont);
    closeView();
}
