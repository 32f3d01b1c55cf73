// grimvale-replay: runs the game's passes from a key script on standard input and prints the record after each.
//
// Usage: grimvale-replay [--screenshot N:FILE]...   (run where Graphics/ and data/ resolve)
// Each input line is one pass: the keys held, from "up down left right space 1 2 3 4", separated by
// spaces; an empty line holds none. After pass N each --screenshot saves the screen as a BMP file
// (N = 0: the screen as start-up left it).
#include "shell/main_loop.h"
#include "shell/match_state.h"
#include "shell/startup.h"
#include "shell/trace.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Columns: name on the script line, SDL key code.
struct KeyName {
    const char *name;
    SDLKey key;
};

const KeyName keyNames[] = {
    {"up", SDLK_UP}, {"down", SDLK_DOWN}, {"left", SDLK_LEFT}, {"right", SDLK_RIGHT}, {"space", SDLK_SPACE},
    {"1", SDLK_1},   {"2", SDLK_2},       {"3", SDLK_3},       {"4", SDLK_4},
};

struct Screenshot {
    long pass;
    std::string file;
};

int usage(const char *why) {
    std::fprintf(stderr, "grimvale-replay: %s\nusage: grimvale-replay [--screenshot N:FILE]... < keys\n", why);
    return 2;
}

bool parseScreenshot(const char *arg, std::vector<Screenshot> &shots) {
    char *end = nullptr;
    long pass = std::strtol(arg, &end, 10);
    bool ok = end != arg && *end == ':' && end[1] != '\0' && pass >= 0;
    if (ok) shots.push_back(Screenshot{pass, end + 1});
    return ok;
}

// Fills held from one script line; returns the first unknown key name, or empty when all are known.
std::string holdKeys(const std::string &line, Uint8 *held) {
    std::memset(held, 0, SDLK_LAST);
    std::istringstream words(line);
    std::string word;
    while (words >> word) {
        bool known = false;
        for (const KeyName &k : keyNames) {
            if (word == k.name) {
                held[k.key] = 1;
                known = true;
            }
        }
        if (!known) return word;
    }
    return "";
}

// Pass 0 is the screen as start-up left it, before the first pass.
void saveScreenshots(const std::vector<Screenshot> &shots, long pass) {
    for (const Screenshot &shot : shots) {
        if (shot.pass == pass && SDL_SaveBMP(match.screen, shot.file.c_str()) != 0)
            std::fprintf(stderr, "grimvale-replay: cannot save %s: %s\n", shot.file.c_str(), SDL_GetError());
    }
}

}  // namespace

int main(int argc, char **argv) {
    std::vector<Screenshot> shots;
    for (int i = 1; i < argc; i++) {
        bool isShot = std::strcmp(argv[i], "--screenshot") == 0 && i + 1 < argc;
        if (!isShot) return usage("unknown argument");
        if (!parseScreenshot(argv[++i], shots)) return usage("--screenshot takes N:FILE");
    }

    setenv("SDL_VIDEODRIVER", "dummy", 0);
    startUp();
    static Uint8 held[SDLK_LAST];
    match.keys = held;

    long pass = 0;
    saveScreenshots(shots, pass);
    std::string line;
    static char trace[2048];
    while (std::getline(std::cin, line)) {
        pass++;
        std::string unknown = holdKeys(line, held);
        if (!unknown.empty()) {
            std::fprintf(stderr, "grimvale-replay: line %ld: unknown key \"%s\"\n", pass, unknown.c_str());
            shutDown();
            return 2;
        }
        runPassSteps();
        formatTrace(trace, sizeof trace);
        std::puts(trace);
        saveScreenshots(shots, pass);
    }
    shutDown();
    return 0;
}
