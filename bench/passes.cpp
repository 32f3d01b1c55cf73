// Cost of one pass of the main loop, on the title screen and in a busy match, beside the floor:
// the full-screen map blitted once and the screen flipped, which any 600x500 game pays every frame.
// Runs from the repository root on SDL's dummy video driver with the real pictures and fonts.
#include "platform/view.h"
#include "shell/main_loop.h"
#include "shell/match_state.h"
#include "shell/startup.h"

#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

// Every heap allocation made in the process, SDL's included, is counted here, so a benchmark can
// report the allocations one pass makes; the counting forwards to the C library's own allocator.
extern "C" {
void *__libc_malloc(size_t size);
void *__libc_calloc(size_t count, size_t size);
void *__libc_realloc(void *block, size_t size);

static unsigned long allocations = 0;

void *malloc(size_t size) {
    allocations++;
    return __libc_malloc(size);
}
void *calloc(size_t count, size_t size) {
    allocations++;
    return __libc_calloc(count, size);
}
void *realloc(void *block, size_t size) {
    allocations++;
    return __libc_realloc(block, size);
}
}

namespace {

Uint8 benchKeys[SDLK_LAST];
MatchState titleRecord;   // the record as start-up leaves it
MatchState matchRecord;   // a match with everything on the screen at once
SDL_Surface *floorMap;    // the map in the display's own format: a blit of it is a plain copy

// Starts the game as its main function does, then builds the two records the passes start from.
void startGame() {
    if (chdir(GRIMVALE_ROOT) != 0) std::perror(GRIMVALE_ROOT);
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    startUp();
    titleRecord = match;

    // Player walking right and firing at the enemy, who is alive, chasing and firing back; the
    // heads-up line, the player's hit points, both pickups and the muzzle flashes are drawn.
    matchRecord = match;
    matchRecord.matchStarted = 1;
    matchRecord.matchFrames = 600;
    matchRecord.ammoBoxShown = 1;
    matchRecord.ammoBoxTimer = 301;
    matchRecord.medkitShown = 1;
    matchRecord.medkitTimer = 501;
    matchRecord.score = 1240;

    floorMap = match.mapSprite ? SDL_DisplayFormat(match.mapSprite) : nullptr;
}

void holdMatchKeys() {
    for (Uint8 &key : benchKeys) key = 0;
    benchKeys[SDLK_RIGHT] = 1;
    benchKeys[SDLK_SPACE] = 1;
}

// The CSV report wants the same counters in every benchmark.
void countAllocations(benchmark::State &state, unsigned long before) {
    state.counters["allocs/pass"] = static_cast<double>(allocations - before) / state.iterations();
}

// Each iteration starts from the same record, so every pass draws the same picture.
void runPasses(benchmark::State &state, const MatchState &start) {
    unsigned long before = allocations;
    for (auto _ : state) {
        match = start;
        match.keys = benchKeys;
        runPassSteps();
    }
    state.counters["allocs/pass"] = static_cast<double>(allocations - before) / state.iterations();
}

void floorPass(benchmark::State &state) {
    unsigned long before = allocations;
    for (auto _ : state) {
        SDL_Rect at = {0, 0, 0, 0};
        SDL_UpperBlit(floorMap, nullptr, match.screen, &at);
        SDL_Flip(match.screen);
    }
    state.counters["allocs/pass"] = static_cast<double>(allocations - before) / state.iterations();
}

void titlePass(benchmark::State &state) {
    for (Uint8 &key : benchKeys) key = 0;
    runPasses(state, titleRecord);
}

void matchPass(benchmark::State &state) {
    holdMatchKeys();
    runPasses(state, matchRecord);
}

// Gathering the held keys as the game does before each pass (the keyboard's, then the controller's),
// alone and then with the match pass after it; right and fire held on SDL's own keyboard array.
void holdKeyboardKeys() {
    int count = 0;
    Uint8 *keyboard = SDL_GetKeyState(&count);
    for (int key = 0; key < count; key++) keyboard[key] = 0;
    keyboard[SDLK_RIGHT] = 1;
    keyboard[SDLK_SPACE] = 1;
}

void gatherKeys(benchmark::State &state) {
    holdKeyboardKeys();
    unsigned long before = allocations;
    for (auto _ : state) {
        refreshKeys();
        benchmark::DoNotOptimize(match.keys[SDLK_RIGHT]);
    }
    countAllocations(state, before);
}

void matchPassGathered(benchmark::State &state) {
    holdKeyboardKeys();
    unsigned long before = allocations;
    for (auto _ : state) {
        match = matchRecord;
        refreshKeys();
        runPassSteps();
    }
    countAllocations(state, before);
}

// The same match in its first frames, when the longest hint line is drawn on top.
void matchPassWithHint(benchmark::State &state) {
    holdMatchKeys();
    MatchState start = matchRecord;
    start.matchFrames = 300;
    runPasses(state, start);
}

// Putting the 600x500 picture on a window scale times its size, in memory: the game's own
// whole-number scaler, SDL's stretch blit, and the least such a step costs, a copy of a picture
// already at the window's size.
SDL_Surface *windowLike(int scale) {
    const SDL_PixelFormat *f = match.screen->format;
    return SDL_CreateRGBSurface(SDL_SWSURFACE, 600 * scale, 500 * scale, 32, f->Rmask, f->Gmask, f->Bmask, 0);
}

void scaleOwn(benchmark::State &state) {
    int scale = static_cast<int>(state.range(0));
    SDL_Surface *window = windowLike(scale);
    unsigned long before = allocations;
    for (auto _ : state) scalePicture(floorMap, window, scale, 0, 0);
    countAllocations(state, before);
    SDL_FreeSurface(window);
}

void scaleSoftStretch(benchmark::State &state) {
    int scale = static_cast<int>(state.range(0));
    SDL_Surface *window = windowLike(scale);
    unsigned long before = allocations;
    for (auto _ : state) {
        SDL_Rect from = {0, 0, 600, 500};
        SDL_Rect to = {0, 0, static_cast<Uint16>(600 * scale), static_cast<Uint16>(500 * scale)};
        SDL_SoftStretch(floorMap, &from, window, &to);
    }
    countAllocations(state, before);
    SDL_FreeSurface(window);
}

void copyReadyPicture(benchmark::State &state) {
    int scale = static_cast<int>(state.range(0));
    SDL_Surface *window = windowLike(scale);
    SDL_Surface *ready = windowLike(scale);
    scalePicture(floorMap, ready, scale, 0, 0);
    unsigned long before = allocations;
    for (auto _ : state) {
        SDL_Rect at = {0, 0, 0, 0};
        SDL_UpperBlit(ready, nullptr, window, &at);
    }
    countAllocations(state, before);
    SDL_FreeSurface(ready);
    SDL_FreeSurface(window);
}

}  // namespace

BENCHMARK(scaleOwn)->Name("scale_own")->Arg(2)->Arg(3);
BENCHMARK(scaleSoftStretch)->Name("scale_softstretch")->Arg(2)->Arg(3);
BENCHMARK(copyReadyPicture)->Name("copy_ready")->Arg(2)->Arg(3);
BENCHMARK(floorPass)->Name("floor");
BENCHMARK(titlePass)->Name("title_pass");
BENCHMARK(matchPass)->Name("match_pass");
BENCHMARK(matchPassWithHint)->Name("match_pass_hint");
BENCHMARK(gatherKeys)->Name("gather_keys");
BENCHMARK(matchPassGathered)->Name("match_pass_keys");

int main(int argc, char **argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    startGame();
    if (const char *shot = std::getenv("GRIMVALE_BENCH_SCREENSHOT")) {
        holdMatchKeys();
        match = matchRecord;
        match.keys = benchKeys;
        runPassSteps();
        SDL_SaveBMP(match.screen, shot);
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    shutDown();
    return 0;
}
