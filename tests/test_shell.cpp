// The main-loop pass: event drain, the match-start key, the frame's corner redraw, and frame pacing.
#include "platform/frame_pacer.h"
#include "shell/main_loop.h"
#include "shell/startup.h"
#include "support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
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

// A virtual display: frames at hz for the given seconds, each late by up to lateMs (a fixed
// pseudo-random pattern), handed to the browser's pacer at speed percent. Counts the passes, the
// frames with none and with two or more, and the fewest and most frames between two passes.
namespace {

struct DisplayRun {
    uint64_t passes = 0, framesWithNone = 0, framesWithTwo = 0, most = 0;
    uint32_t closest = 1000000, farthest = 0;
};

DisplayRun runDisplay(double hz, int32_t speed, double seconds, double lateMs) {
    DisplayRun run;
    const double startMs = 5000.25;
    DisplayPacer pacer = startDisplayPacer(startMs, speed);
    uint32_t lastPass = 0;
    for (uint32_t frame = 0; frame < seconds * hz; frame++) {
        double late = lateMs * static_cast<double>((frame * 7919u) % 101u) / 100;
        uint32_t due = passesDue(pacer, startMs + frame * 1000.0 / hz + late);
        run.passes += due;
        run.most = std::max<uint64_t>(run.most, due);
        run.framesWithNone += due == 0 ? 1 : 0;
        run.framesWithTwo += due >= 2 ? 1 : 0;
        if (due > 0 && frame > 0) run.closest = std::min(run.closest, frame - lastPass);
        if (due > 0 && frame > 0) run.farthest = std::max(run.farthest, frame - lastPass);
        if (due > 0) lastPass = frame;
    }
    return run;
}

}  // namespace

// The browser's loop: at every speed and at 59.94, 60, 120 and 144 Hz, with frames up to a
// millisecond late, each frame runs the whole or next whole number of the passes a frame it should
// have, and the passes come as evenly spaced as the frames allow.
TEST(FramePacer, HandsDisplayFramesTheirPassesEvenly) {
    const double rates[] = {59.94, 60, 120, 144};
    for (double hz : rates) {
        for (int32_t speed = 1; speed <= 100; speed++) {
            double perFrame = 60.0 * speed / 100 / hz;
            DisplayRun run = runDisplay(hz, speed, 20, 1.0);
            SCOPED_TRACE(testing::Message() << hz << " Hz, speed " << speed);
            EXPECT_NEAR(static_cast<double>(run.passes), 20 * 60.0 * speed / 100, 1.0);
            EXPECT_LE(run.most, static_cast<uint64_t>(std::ceil(perFrame)));
            if (perFrame < 1) EXPECT_GE(run.closest, static_cast<uint32_t>(std::floor(1 / perFrame)));
            if (perFrame < 1) EXPECT_LE(run.farthest, static_cast<uint32_t>(std::ceil(1 / perFrame)));
        }
    }

    DisplayRun half = runDisplay(60, 50, 10, 1.0);
    EXPECT_EQ(half.closest, 2u) << "half speed on a 60 Hz display: always two frames apart";
    EXPECT_EQ(half.farthest, 2u);
    EXPECT_EQ(half.framesWithTwo, 0u);

    DisplayRun ntsc = runDisplay(59.94, 100, 50, 1.0);
    EXPECT_EQ(ntsc.passes, 3000u) << "passes keep their exact rate on a display a little slower";
    EXPECT_EQ(ntsc.framesWithNone, 0u);
    EXPECT_LE(ntsc.framesWithTwo, 4u) << "the three passes the display falls behind, and no more";

    DisplayPacer pacer = startDisplayPacer(1000.5);
    EXPECT_EQ(passesDue(pacer, 1000.5), 1u) << "the first frame runs a pass at once";
    EXPECT_EQ(passesDue(pacer, 1004.5), 0u) << "the next is due half a pass before its 16.7 ms";
    EXPECT_EQ(passesDue(pacer, 1017.2), 1u);
    EXPECT_EQ(passesDue(pacer, 1050.5), 2u) << "a frame dropped: the late pass runs with the next";
    EXPECT_EQ(passesDue(pacer, 5000.0), 1u) << "a long stall restarts the schedule, no race to catch up";
    EXPECT_EQ(passesDue(pacer, 5016.7), 1u);
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
