// Preloaded into a program to count its passes, one flip each: from the first SDL_Flip on, counts
// the flips within GRIMVALE_COUNT_SECONDS seconds of it, and at the first flip after them writes the
// count, as one line, to the file descriptor GRIMVALE_COUNT_FD and ends the process on the spot.
// Without those variables every flip passes through untouched.
#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <dlfcn.h>
#include <unistd.h>

namespace {

long long nowNs() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

long long firstFlipNs = -1;
long long flips = 0;

}  // namespace

extern "C" int SDL_Flip(SDL_Surface *screen) {
    auto realFlip = reinterpret_cast<int (*)(SDL_Surface *)>(dlsym(RTLD_NEXT, "SDL_Flip"));
    int result = realFlip(screen);
    const char *fd = std::getenv("GRIMVALE_COUNT_FD");
    const char *seconds = std::getenv("GRIMVALE_COUNT_SECONDS");
    if (!fd || !seconds) return result;
    long long now = nowNs();
    firstFlipNs = firstFlipNs < 0 ? now : firstFlipNs;
    if (now - firstFlipNs >= std::atoll(seconds) * 1000000000LL) {
        char line[32];
        int length = std::snprintf(line, sizeof line, "%lld\n", flips);
        if (write(std::atoi(fd), line, static_cast<size_t>(length)) != length) _exit(3);
        _exit(0);
    }
    flips += 1;
    return result;
}
