// The main-loop pass: event drain, the match-start key, the frame's corner redraw, and frame pacing.
#include "platform/frame_pacer.h"
#include "shell/main_loop.h"
#include "shell/startup.h"
#include "support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

void pushEvent(Uint8 type, SDLKey sym = SDLK_UNKNOWN) {
    SDL_Event event = {};
    event.type = type;
    event.key.type = type;
    event.key.keysym.sym = sym;
    ASSERT_EQ(SDL_PushEvent(&event), 0);
}

void emptyQueue() {
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
    }
}

}  // namespace

TEST(EventDrain, QuitRequestsAmongOtherEvents) {
    resetToStart();
    emptyQueue();
    int32_t quit = 0;
    pushEvent(SDL_KEYUP, SDLK_ESCAPE);
    pushEvent(SDL_KEYDOWN, SDLK_a);
    pushEvent(SDL_KEYDOWN, SDLK_1);
    drainEvents(quit);
    EXPECT_EQ(quit, 0) << "Escape's key-up and other keys' key-down change nothing";

    pushEvent(SDL_KEYDOWN, SDLK_a);
    pushEvent(SDL_QUIT);
    pushEvent(SDL_KEYDOWN, SDLK_b);
    drainEvents(quit);
    EXPECT_EQ(quit, 1);
    SDL_Event left;
    EXPECT_EQ(SDL_PollEvent(&left), 0) << "every event is drained in the same pass";

    quit = 0;
    pushEvent(SDL_KEYDOWN, SDLK_ESCAPE);
    drainEvents(quit);
    EXPECT_EQ(quit, 1);
}

TEST(Pass, MatchStartsOnKeyOneAndTitleFramesOnlyRedrawTheCorner) {
    resetToStart();
    SDL_Surface *background = SDL_CreateRGBSurface(SDL_SWSURFACE, 600, 500, 32, 0xFF0000, 0xFF00, 0xFF, 0);
    SDL_FillRect(background, nullptr, SDL_MapRGB(background->format, 200, 0, 0));
    match.backgroundSprite = background;
    fillScreen(0x000000);

    runPassSteps();
    EXPECT_EQ(match.matchStarted, 0);
    EXPECT_EQ(rgbAt(match.screen, 0, 0), 0xC80000u);
    EXPECT_EQ(rgbAt(match.screen, 129, 129), 0xC80000u);
    EXPECT_EQ(rgbAt(match.screen, 130, 130), 0x000000u);

    testKeys[SDLK_KP1] = 1;
    runPassSteps();
    EXPECT_EQ(match.matchStarted, 0) << "the keypad 1 is another key";
    testKeys[SDLK_1] = 1;
    runPassSteps();
    EXPECT_EQ(match.matchStarted, 1);
    EXPECT_EQ(match.weapon, 2) << "the key that starts the match selects no weapon";
    testKeys[SDLK_1] = 0;
    runPassSteps();
    EXPECT_EQ(match.matchStarted, 1) << "nothing ends the match";
    match.backgroundSprite = nullptr;
    SDL_FreeSurface(background);
}

TEST(FramePacer, KeepsSixtyFramesASecondWithoutDrift) {
    FramePacer pacer = startPacer(1000);
    uint32_t now = 1000;
    uint32_t slept = 0;
    for (int frame = 0; frame < 600; frame++) {
        now += 3;  // each pass takes 3 ms of work
        uint32_t wait = frameWaitMs(pacer, now);
        slept += wait;
        now += wait;
    }
    EXPECT_EQ(now, 11000u) << "600 frames take exactly ten seconds, rounding does not pile up";
    EXPECT_EQ(slept, 10000u - 1800u);
}

TEST(FramePacer, NeverSleepsWhenLateAndRestartsAfterAStall) {
    FramePacer pacer = startPacer(0);
    EXPECT_EQ(frameWaitMs(pacer, 16), 0u) << "frame 1 is due at 16 ms";
    EXPECT_EQ(frameWaitMs(pacer, 20), 13u) << "frame 2 is due at 33 ms";
    EXPECT_EQ(frameWaitMs(pacer, 60), 0u) << "a little late: no sleep, schedule kept";
    EXPECT_EQ(frameWaitMs(pacer, 61), 5u) << "frame 4 still due at 66 ms";

    EXPECT_EQ(frameWaitMs(pacer, 1000), 0u) << "a long stall";
    EXPECT_EQ(frameWaitMs(pacer, 1001), 15u) << "the schedule restarts from the stall, no race to catch up";

    FramePacer wrapping = startPacer(0xFFFFFFF0u);
    EXPECT_EQ(frameWaitMs(wrapping, 0xFFFFFFF5u), 11u);
    EXPECT_EQ(frameWaitMs(wrapping, 0x00000010u), 1u) << "SDL's tick counter wrapping around changes nothing";
}

// The browser's loop: display frames at 60, 120 and 144 Hz, each arriving up to 3 ms late.
TEST(FramePacer, HandsDisplayFramesSixtyPassesASecond) {
    const uint32_t rates[] = {60, 120, 144};
    for (uint32_t hz : rates) {
        FramePacer pacer = startPacer(5000);
        uint32_t total = 0;
        uint32_t most = 0;
        uint32_t framesWithout = 0;
        for (uint32_t frame = 0; frame < 10 * hz; frame++) {
            uint32_t now = 5000 + frame * 1000 / hz + (frame * 7919) % 4;
            uint32_t due = passesDue(pacer, now);
            total += due;
            most = due > most ? due : most;
            framesWithout += due == 0 ? 1 : 0;
        }
        EXPECT_NEAR(total, 600u, 1u) << hz << " Hz";
        EXPECT_EQ(most, 1u) << hz << " Hz: never two passes in one frame";
        EXPECT_EQ(framesWithout, 10 * hz - total) << hz << " Hz";
    }

    FramePacer pacer = startPacer(0xFFFFFFF0u);
    EXPECT_EQ(passesDue(pacer, 0xFFFFFFF0u), 1u) << "the first frame runs a pass at once";
    EXPECT_EQ(passesDue(pacer, 0xFFFFFFF4u), 0u) << "the next is due 8 ms before its 16 ms slot";
    EXPECT_EQ(passesDue(pacer, 0x00000000u), 1u) << "SDL's tick counter wrapping around changes nothing";
    EXPECT_EQ(passesDue(pacer, 0x00000020u), 2u) << "a frame dropped: the late pass runs with the next";
    EXPECT_EQ(passesDue(pacer, 0x00001000u), 1u) << "a long stall restarts the schedule, no race to catch up";
    EXPECT_EQ(passesDue(pacer, 0x00001011u), 1u);
}

TEST(StartUp, PlainFramebufferAndNearestScalingUnlessThePlayerChoseOtherwise) {
    const char *names[] = {"SDL_RENDER_DRIVER", "SDL_FRAMEBUFFER_ACCELERATION", "SDL12COMPAT_SCALE_METHOD"};
    std::string saved[3];
    bool wasSet[3];
    for (int i = 0; i < 3; i++) {
        const char *value = std::getenv(names[i]);
        wasSet[i] = value != nullptr;
        saved[i] = value ? value : "";
    }

    for (const char *name : names) unsetenv(name);
    choosePlainFramebuffer();
    EXPECT_STREQ(std::getenv("SDL_RENDER_DRIVER"), "software");
    EXPECT_STREQ(std::getenv("SDL_FRAMEBUFFER_ACCELERATION"), "0");
    EXPECT_STREQ(std::getenv("SDL12COMPAT_SCALE_METHOD"), "nearest") << "the layer enlarges in sharp blocks";

    setenv("SDL_RENDER_DRIVER", "opengl", 1);
    setenv("SDL_FRAMEBUFFER_ACCELERATION", "1", 1);
    setenv("SDL12COMPAT_SCALE_METHOD", "linear", 1);
    choosePlainFramebuffer();
    EXPECT_STREQ(std::getenv("SDL_RENDER_DRIVER"), "opengl") << "the player's own choice stands";
    EXPECT_STREQ(std::getenv("SDL_FRAMEBUFFER_ACCELERATION"), "1");
    EXPECT_STREQ(std::getenv("SDL12COMPAT_SCALE_METHOD"), "linear");

    for (int i = 0; i < 3; i++) {
        if (wasSet[i]) setenv(names[i], saved[i].c_str(), 1);
        if (!wasSet[i]) unsetenv(names[i]);
    }
}
