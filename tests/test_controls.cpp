// The player's keys: moves and facing, the fire key, weapon keys gated by the match-frame count, damage,
// and the desktop player's controls file that chooses the keys and the speed.
#include "platform/controls_file.h"
#include "platform/key_bindings.h"
#include "rules/controls.h"
#include "support.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

TEST(Controls, EveryHeldArrowActsAndTheLastInOrderSetsTheFacing) {
    struct Case {
        std::vector<SDLKey> keys;
        int32_t dx, dy, dir;
    };
    const Case cases[] = {
        {{SDLK_UP, SDLK_LEFT}, -2, -2, DirLeft},
        {{SDLK_UP, SDLK_DOWN}, 0, 0, DirDown},
        {{SDLK_LEFT, SDLK_RIGHT}, 0, 0, DirRight},
        {{SDLK_DOWN, SDLK_LEFT}, -2, 2, DirLeft},
        {{SDLK_UP}, 0, -2, DirUp},
        {{SDLK_UP, SDLK_DOWN, SDLK_LEFT, SDLK_RIGHT}, 0, 0, DirRight},
    };
    for (const Case &c : cases) {
        resetToStart();
        for (SDLKey k : c.keys) testKeys[k] = 1;
        movePlayer();
        EXPECT_EQ(match.playerX, 100 + c.dx);
        EXPECT_EQ(match.playerY, 300 + c.dy);
        EXPECT_EQ(match.playerDir, c.dir);
        EXPECT_EQ(match.playerFiring, 0);
    }
}

TEST(Controls, FireKeyOnlyMarksTheShotAndADeadPlayerDoesNothing) {
    resetToStart();
    match.ammo = 0;
    match.weapon = 1;
    testKeys[SDLK_SPACE] = 1;
    movePlayer();
    EXPECT_EQ(match.playerFiring, 1);  // whatever the ammunition or the weapon

    resetToStart();
    match.playerDead = 1;
    match.matchFrames = 51;
    for (SDLKey k : {SDLK_UP, SDLK_LEFT, SDLK_SPACE, SDLK_3}) testKeys[k] = 1;
    movePlayer();
    selectWeapon();
    EXPECT_EQ(match.playerX, 100);
    EXPECT_EQ(match.playerY, 300);
    EXPECT_EQ(match.playerDir, DirRight);
    EXPECT_EQ(match.playerFiring, 0);
    EXPECT_EQ(match.weapon, 3);  // the number keys still act
}

TEST(Controls, WeaponKeysActFromThe51stMatchFrameAndTheHighestWins) {
    resetToStart();
    testKeys[SDLK_4] = 1;
    match.matchFrames = 50;
    selectWeapon();
    EXPECT_EQ(match.weapon, 2);
    match.matchFrames = 51;
    selectWeapon();
    EXPECT_EQ(match.weapon, 4);

    testKeys[SDLK_2] = testKeys[SDLK_3] = 1;
    selectWeapon();
    EXPECT_EQ(match.weapon, 4);
    testKeys[SDLK_4] = 0;
    selectWeapon();
    EXPECT_EQ(match.weapon, 3);

    testKeys[SDLK_KP1] = 1;  // keypad digits are other keys
    testKeys[SDLK_2] = testKeys[SDLK_3] = 0;
    selectWeapon();
    EXPECT_EQ(match.weapon, 3);
}

TEST(Controls, WeaponTableGivesDamageChargeAndName) {
    const char *names[] = {"Knife", "Colt", "Thompson SMG", "M1 Garand"};
    const int32_t damage[] = {100, 2, 3, 5};
    const int32_t charge[] = {0, 1, 3, 1};
    for (int32_t w = 1; w <= 4; w++) {
        resetToStart();
        match.weapon = w;
        setWeaponDamage();
        EXPECT_EQ(match.weaponDamage, damage[w - 1]);
        EXPECT_EQ(weaponCharge(w), charge[w - 1]);
        EXPECT_STREQ(weaponName(w), names[w - 1]);
    }
    EXPECT_EQ(weaponName(0), nullptr);
    EXPECT_EQ(weaponName(5), nullptr);
    EXPECT_EQ(weaponCharge(5), 0);
}

namespace {

std::vector<int32_t> keysOf(Action action) {
    int32_t count = 0;
    const int32_t *keys = actionKeys(action, count);
    return std::vector<int32_t>(keys, keys + count);
}

std::string readAndTell(const std::string &path) {
    testing::internal::CaptureStderr();
    readControlsFile(path.c_str());
    return testing::internal::GetCapturedStderr();
}

}  // namespace

TEST(ControlsFile, GoodLinesCountAndEachBadLineIsToldOnceAndLeavesItsActionAlone) {
    resetMatch();
    std::string dir = freshDir("controls");
    std::string path = dir + "/controls.conf";
    writeFile(path, "# keys for one hand\n"
                    "\n"
                    "  up = w, UP  \r\n"
                    "fire = left ctrl, [4], ,\n"
                    "left = a\n"
                    "left = a, nokey\n"               // 6: unknown key
                    "jump = space\n"                  // 7: unknown action
                    "right = escape\n"                // 8: cannot be bound
                    "down = 1, 2, 3, 4, 5, 6, 7, 8, 9\n"  // 9: too many keys
                    "weapon2 d\n"                     // 10: no '='
                    + std::string(5000, 'x') + "\n"   // 11: too long
                    "weapon3 = \x01\xff\x1b[2J" + std::string(1, '\0') + "\n"  // 12: odd bytes
                    "weapon1 = 9\n"
                    "speed = 75\n"
                    "pause = ;\n"
                    "weapon1 =\n");                   // its defaults again
    std::string said = readAndTell(path);
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 7) << said;
    for (int line = 6; line <= 12; line++) EXPECT_NE(said.find(path + ":" + std::to_string(line) + ":"), std::string::npos) << line;
    EXPECT_EQ(said.find('\x1b'), std::string::npos) << "odd bytes are not repeated to the terminal";
    EXPECT_EQ(keysOf(ActionUp), (std::vector<int32_t>{SDLK_w, SDLK_UP}));
    EXPECT_EQ(keysOf(ActionFire), (std::vector<int32_t>{SDLK_LCTRL, SDLK_KP4, SDLK_COMMA}));
    EXPECT_EQ(keysOf(ActionLeft), (std::vector<int32_t>{SDLK_a}));
    EXPECT_EQ(keysOf(ActionPause), (std::vector<int32_t>{SDLK_SEMICOLON}));
    for (Action kept : {ActionRight, ActionDown, ActionWeapon1, ActionWeapon2, ActionWeapon3})
        EXPECT_EQ(keysOf(kept).size(), 1u) << actionName(kept) << " keeps its default key";
    EXPECT_EQ(keysOf(ActionWeapon1), (std::vector<int32_t>{SDLK_1}));
    EXPECT_EQ(gameSpeed(), 75);

    for (const char *speed : {"speed = 49", "speed = 101", "speed = 7.5", "speed = -60", "speed = 99999999999999999999"}) {
        setGameSpeed(75);
        writeFile(path, std::string(speed) + "\n");
        said = readAndTell(path);
        EXPECT_NE(said.find(path + ":1:"), std::string::npos) << speed;
        EXPECT_EQ(gameSpeed(), 100) << speed;
    }
    EXPECT_EQ(readAndTell(dir + "/missing.conf"), "") << "a missing file is no error";
    EXPECT_EQ(keysOf(ActionUp), (std::vector<int32_t>{SDLK_w, SDLK_UP}));

    // A byte-order mark before the first line; keys that two actions share are told at the line that
    // made them shared, once per pair, and both actions keep them; a clash undone later is no clash.
    resetMatch();
    writeFile(path, "\xEF\xBB\xBFup = w\nfire = p\nweapon2 = 1\nleft = f11, a\nleft = a\nright = d, f11\ndown = ;\nweapon4 = ;\n");
    said = readAndTell(path);
    EXPECT_EQ(keysOf(ActionUp), (std::vector<int32_t>{SDLK_w})) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 4) << said;
    for (const char *told : {":2: \"p\" is a key of both fire and pause", ":3: \"1\" is a key of both weapon1 and weapon2",
                             ":6: \"f11\" is a key of both right and fullscreen", ":8: \";\" is a key of both down and weapon4"})
        EXPECT_NE(said.find(path + told), std::string::npos) << told << " in " << said;
    EXPECT_EQ(keysOf(ActionFire), (std::vector<int32_t>{SDLK_p}));
    EXPECT_EQ(keysOf(ActionPause), (std::vector<int32_t>{SDLK_p}));

    // Anything but a plain file is refused in one line and never waited on: a FIFO with no writer
    // (where opening it waits) or with a silent one (where reading waits), a directory. A hang ends
    // the test program.
    resetMatch();
    std::string fifo = dir + "/fifo.conf";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    alarm(20);
    for (bool writer : {false, true}) {
        int fd = writer ? open(fifo.c_str(), O_RDWR) : -1;
        said = readAndTell(fifo);
        EXPECT_EQ(said, "grimvale: " + fifo + ": not a plain file: not read\n") << (writer ? "a silent writer" : "no writer");
        if (fd >= 0) close(fd);
    }
    alarm(0);
    said = readAndTell(dir);
    EXPECT_EQ(said, "grimvale: " + dir + ": not a plain file: not read\n");
    EXPECT_EQ(keysOf(ActionUp), (std::vector<int32_t>{SDLK_UP}));

    resetMatch();
    EXPECT_EQ(readAndTell("packaging/controls.conf"), "") << "the installed example reads cleanly";
    for (int32_t a = 0; a < actionCount; a++) EXPECT_EQ(match.controls.keyCount[a], 1) << actionName(a);
    EXPECT_EQ(keysOf(ActionFullScreen), (std::vector<int32_t>{SDLK_F11})) << "and holds the defaults";
    EXPECT_EQ(match.controls.speed, 100);
    resetMatch();
}
