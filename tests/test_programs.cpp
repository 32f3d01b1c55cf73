// The built programs as a user runs them: start-up failure, and the replay tool's script, trace and errors.
#include "support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <sys/wait.h>

namespace {

struct CommandResult {
    int status;
    std::string out;
};

// Runs a shell command from the repository root, capturing standard output.
CommandResult runCommand(const std::string &command) {
    std::string line = "cd '" GRIMVALE_ROOT "' && " + command;
    FILE *pipe = popen(line.c_str(), "r");
    CommandResult run{-1, ""};
    char buffer[4096];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, got);
    int raw = pclose(pipe);
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return run;
}

std::vector<std::string> lines(const std::string &text) {
    std::vector<std::string> result;
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        result.push_back(text.substr(start, end - start));
    return result;
}

}  // namespace

TEST(Programs, GameReportsSdlStartFailureWithStatusOne) {
    CommandResult run = runCommand("SDL_VIDEODRIVER=no-such-driver " GRIMVALE_BINARY);
    EXPECT_EQ(run.status, 1);
    ASSERT_EQ(lines(run.out).size(), 1u) << run.out;
    EXPECT_EQ(run.out.rfind("Unable to init SDL: ", 0), 0u) << run.out;
    EXPECT_GT(run.out.size(), std::string("Unable to init SDL: \n").size()) << "SDL's error text follows";

    // No display at all: the game must not run on invisibly.
    run = runCommand("env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER timeout 10 " GRIMVALE_BINARY " 2>/dev/null");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out.rfind("Unable to init SDL: ", 0), 0u) << run.out;
}

TEST(Programs, ReplayTraceOfTitleScreenPassesHoldsTheStartValues) {
    CommandResult run = runCommand("printf '\\n\\n' | " GRIMVALE_REPLAY);
    ASSERT_EQ(run.status, 0);
    std::vector<std::string> trace = lines(run.out);
    ASSERT_EQ(trace.size(), 2u);
    const std::string expected[] = {
        "matchStarted=0", "matchFrames=0", "playerX=100", "playerY=300", "playerDir=4", "playerHealth=100",
        "playerDead=0", "weapon=2", "ammo=200", "score=0", "enemyX=550", "enemyY=150", "enemyDir=2",
        "enemyHealth=100", "enemyDead=0", "ammoBoxX=411", "ammoBoxY=32", "ammoBoxShown=0", "ammoBoxTimer=0",
        "medkitX=216", "medkitY=425", "medkitShown=0", "medkitTimer=0",
    };
    for (const std::string &pair : expected)
        EXPECT_NE((" " + trace[0] + " ").find(" " + pair + " "), std::string::npos) << pair << " in " << trace[0];
    EXPECT_EQ(trace[0].rfind("matchStarted=", 0), 0u);
    EXPECT_EQ(std::count(trace[0].begin(), trace[0].end(), '='), 30);
    EXPECT_EQ(trace[0].substr(trace[0].rfind(' ') + 1, 12), "medkitTimer=");
}

TEST(Programs, ReplayStartsTheMatchAndSavesScreenshots) {
    std::string dir = freshDir("replay-shots");
    CommandResult run = runCommand("printf '\\n1\\n\\n' | " GRIMVALE_REPLAY " --screenshot 0:" + dir + "/title.bmp --screenshot 2:" +
                         dir + "/match.bmp");
    ASSERT_EQ(run.status, 0);
    std::vector<std::string> trace = lines(run.out);
    ASSERT_EQ(trace.size(), 3u);
    EXPECT_EQ(trace[0].rfind("matchStarted=0", 0), 0u);
    EXPECT_EQ(trace[1].rfind("matchStarted=1", 0), 0u);
    for (const char *name : {"/title.bmp", "/match.bmp"}) {
        SDL_Surface *shot = SDL_LoadBMP((dir + name).c_str());
        ASSERT_NE(shot, nullptr) << name;
        EXPECT_EQ(shot->w, 600);
        EXPECT_EQ(shot->h, 500);
        SDL_FreeSurface(shot);
    }
}

TEST(Programs, ReplayRejectsUnknownKeysAndArguments) {
    CommandResult run = runCommand("printf 'up\\nleft jump\\n' | " GRIMVALE_REPLAY " 2>&1");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.out.find("line 2"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("jump"), std::string::npos) << run.out;

    EXPECT_EQ(runCommand(GRIMVALE_REPLAY " --fast </dev/null 2>/dev/null").status, 2);
    EXPECT_EQ(runCommand(GRIMVALE_REPLAY " --screenshot nonsense </dev/null 2>/dev/null").status, 2);
}
