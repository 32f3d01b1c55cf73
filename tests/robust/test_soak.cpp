// Endless play: a million passes of random keys through the game's own pass, with the real files.
// After every pass the record must still make sense, and no pass may allocate heap memory.
#include "alloc_counter.h"
#include "shell/main_loop.h"
#include "shell/match_state.h"
#include "shell/startup.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

namespace {

// Columns: weapon number, damage of one hit. Rows 1 to 4.
const int32_t weaponDamages[][2] = {{1, 100}, {2, 2}, {3, 3}, {4, 5}};
static_assert(sizeof weaponDamages / sizeof weaponDamages[0] == 4, "four weapons");

// SDL's one-time set-up while the first frames are drawn: the frame buffer, and a blit mapping for
// each of the 17 sprites and 2 font textures, a couple of blocks each at most.
constexpr uint64_t maxFirstUseAllocations = 64;

// Actors are pushed back onto the 600x500 screen 2 pixels a pass, so they never stray far past it.
constexpr int32_t edgeSlack = 10;

const SDLKey playKeys[] = {SDLK_UP, SDLK_DOWN, SDLK_LEFT, SDLK_RIGHT, SDLK_SPACE, SDLK_1, SDLK_2, SDLK_3, SDLK_4};

bool isFlag(int32_t v) { return v == 0 || v == 1; }
bool isDirection(int32_t v) { return v >= DirUp && v <= DirRight; }
bool onScreen(int32_t x, int32_t y) {
    return x >= -edgeSlack && x <= 600 + edgeSlack && y >= -edgeSlack && y <= 500 + edgeSlack;
}

// Empty when the record is sane; otherwise what is wrong. Builds a string only on failure, so a sane
// pass allocates nothing here either.
std::string insanity() {
    const MatchState &m = match;
    std::string wrong;
    if (!isFlag(m.matchStarted)) wrong += " matchStarted=" + std::to_string(m.matchStarted);
    if (!isFlag(m.playerDead)) wrong += " playerDead=" + std::to_string(m.playerDead);
    if (!isFlag(m.playerFiring)) wrong += " playerFiring=" + std::to_string(m.playerFiring);
    if (!isFlag(m.enemyDead)) wrong += " enemyDead=" + std::to_string(m.enemyDead);
    if (!isFlag(m.enemyFiring)) wrong += " enemyFiring=" + std::to_string(m.enemyFiring);
    if (!isFlag(m.ammoBoxShown)) wrong += " ammoBoxShown=" + std::to_string(m.ammoBoxShown);
    if (!isFlag(m.medkitShown)) wrong += " medkitShown=" + std::to_string(m.medkitShown);
    bool weaponKnown = m.weapon >= 1 && m.weapon <= 4;
    if (!weaponKnown) wrong += " weapon=" + std::to_string(m.weapon);
    if (weaponKnown && m.weaponDamage != weaponDamages[m.weapon - 1][1])
        wrong += " weaponDamage=" + std::to_string(m.weaponDamage) + " for weapon " + std::to_string(m.weapon);
    if (!isDirection(m.playerDir)) wrong += " playerDir=" + std::to_string(m.playerDir);
    if (!isDirection(m.enemyDir)) wrong += " enemyDir=" + std::to_string(m.enemyDir);
    if (!onScreen(m.playerX, m.playerY))
        wrong += " player at " + std::to_string(m.playerX) + "," + std::to_string(m.playerY);
    if (!onScreen(m.enemyX, m.enemyY))
        wrong += " enemy at " + std::to_string(m.enemyX) + "," + std::to_string(m.enemyY);
    if (m.score < 0 || m.score % 20 != 0) wrong += " score=" + std::to_string(m.score);
    if (m.matchFrames < 0) wrong += " matchFrames=" + std::to_string(m.matchFrames);
    return wrong;
}

long soakPasses() {
    const char *text = std::getenv("GRIMVALE_SOAK_PASSES");
    long passes = text ? std::strtol(text, nullptr, 10) : 0;
    return passes > 0 ? passes : 1000000;
}

}  // namespace

TEST(Soak, RandomKeysKeepTheRecordSaneAndAllocateNothing) {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    startUp();
    static Uint8 held[SDLK_LAST];
    match.keys = held;
    std::mt19937 random(20240611u);
    std::uniform_int_distribution<int> toggle(0, 15);  // a key changes state in one pass out of 16

    const long passes = soakPasses();
    const long settlePasses = passes / 10;
    constexpr long maxListed = 20;
    long allocatingPassList[maxListed] = {};
    long allocatingPasses = 0;
    uint64_t settledAllocations = 0;
    long matchStartPass = 0;
    long playerDeaths = 0;
    long enemyDeaths = 0;
    int32_t playerWasDead = 0;
    int32_t enemyWasDead = 0;
    std::string firstInsanity;
    long insanePass = 0;
    int32_t quit = 0;

    startCountingAllocations();
    for (long pass = 1; pass <= passes && insanePass == 0; pass++) {
        if (pass == settlePasses + 1) traceNextAllocation(true);  // shows where a late allocation comes from
        uint64_t before = allocationsCounted();
        for (SDLKey key : playKeys)
            if (toggle(random) == 0) held[key] = !held[key];
        drainEvents(quit);
        runPassSteps();
        uint64_t made = allocationsCounted() - before;
        if (made != 0) {
            if (allocatingPasses < maxListed) allocatingPassList[allocatingPasses] = pass;
            allocatingPasses++;
        }
        if (pass > settlePasses) settledAllocations += made;
        if (matchStartPass == 0 && match.matchStarted == 1) matchStartPass = pass;
        playerDeaths += match.playerDead == 1 && playerWasDead == 0;
        enemyDeaths += match.enemyDead == 1 && enemyWasDead == 0;
        playerWasDead = match.playerDead;
        enemyWasDead = match.enemyDead;
        std::string wrong = insanity();
        if (!wrong.empty()) {
            firstInsanity = wrong;
            insanePass = pass;
        }
    }
    traceNextAllocation(false);
    uint64_t allocations = allocationsCounted();

    std::string listed;
    for (long i = 0; i < allocatingPasses && i < maxListed; i++) listed += " " + std::to_string(allocatingPassList[i]);
    if (allocatingPasses > maxListed) listed += " ...";
    std::printf("soak: %ld passes; match started at pass %ld; %ld player deaths, %ld enemy deaths, score %d, "
                "matchFrames %d; %llu allocations after start-up, in passes%s\n",
                insanePass ? insanePass : passes, matchStartPass, playerDeaths, enemyDeaths, match.score,
                match.matchFrames, static_cast<unsigned long long>(allocations), listed.empty() ? " (none)" : listed.c_str());
    EXPECT_EQ(insanePass, 0) << "record not sane after pass " << insanePass << ":" << firstInsanity;
    // SDL sets a few things up on first use: the window's frame buffer on the first flip, and a blit
    // mapping for each picture the first time it is drawn onto the screen (a dead actor's picture
    // only once someone dies). That happens once per picture, early on; after it no pass may
    // allocate anything, or a match running for days would grow without end.
    EXPECT_LE(allocations, maxFirstUseAllocations) << "allocating passes:" << listed;
    EXPECT_EQ(settledAllocations, 0u) << "passes after " << settlePasses << " still allocate; allocating passes:" << listed;
    EXPECT_NE(matchStartPass, 0) << "the random keys never started the match";
    shutDown();
}
