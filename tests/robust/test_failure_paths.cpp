// The game's two start-up failures, run as a real process: one line on standard output, status 1.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <string>

namespace {

struct RunResult {
    std::string out;
    int status;  // exit status, or -1 when the process did not exit normally
};

RunResult runGame(const std::string &environment) {
    std::string command = "env " + environment + " " GRIMVALE_BINARY " 2>/dev/null </dev/null";
    RunResult result{"", -1};
    FILE *pipe = popen(command.c_str(), "r");
    if (!pipe) return result;
    char buffer[512];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.out.append(buffer, got);
    int wait = pclose(pipe);
    result.status = WIFEXITED(wait) ? WEXITSTATUS(wait) : -1;
    return result;
}

size_t lineCount(const std::string &text) {
    size_t lines = 0;
    for (char c : text) lines += c == '\n';
    return lines;
}

bool endsWith(const std::string &text, const std::string &tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

TEST(FailurePaths, VideoModeRefusedPrintsSdlErrorAndExitsOne) {
    RunResult run = runGame("SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy LD_PRELOAD=" GRIMVALE_FAIL_VIDEO_LIB);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(lineCount(run.out), 1u) << run.out;
    EXPECT_TRUE(endsWith(run.out, ": no 600x500x32 mode on this test display\n")) << run.out;
    EXPECT_NE(run.out.find("video mode"), std::string::npos) << run.out;
}

TEST(FailurePaths, SdlInitRefusedPrintsSdlErrorAndExitsOne) {
    RunResult run = runGame("SDL_VIDEODRIVER=nonexistent SDL_AUDIODRIVER=dummy");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(lineCount(run.out), 1u) << run.out;
    const std::string prefix = "Unable to init SDL: ";
    ASSERT_EQ(run.out.compare(0, prefix.size(), prefix), 0) << run.out;
    EXPECT_GT(run.out.size(), prefix.size() + 1) << "SDL's error text is missing: " << run.out;
}

TEST(FailurePaths, GameStartsNormallyWithoutThePreload) {
    // The same environment without the preloaded failure gets past start-up: the window opens and the
    // game waits in its loop. Closing it from outside is left to the shell tests; here a short
    // timeout ends it, and neither failure line may have been printed.
    RunResult run = runGame("SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy timeout -s TERM 1");
    EXPECT_EQ(run.out, "");
}
