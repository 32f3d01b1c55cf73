// Preloaded into a program to count its passes, one flip each: from the first SDL_Flip on, counts
// the flips within GRIMVALE_COUNT_SECONDS seconds of it, and at the first flip after them writes the
// count, as one line, to the file descriptor GRIMVALE_COUNT_FD and ends the process on the spot.
// With GRIMVALE_COUNT_AFTER set the stretch begins that many seconds after the first flip instead,
// and the line also gives the process's CPU time over the stretch, all its threads (SDL's renderer
// and the software rasteriser's included): "flips=N cpu_s=X wall_s=Y".
// Without those variables every flip passes through untouched.
#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <dlfcn.h>
#include <unistd.h>

namespace {

long long clockNs(clockid_t clock) {
    timespec now;
    clock_gettime(clock, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

long long firstFlipNs = -1;
long long startNs = -1;
long long startCpuNs = 0;
long long flips = 0;

}  // namespace

extern "C" int SDL_Flip(SDL_Surface *screen) {
    auto realFlip = reinterpret_cast<int (*)(SDL_Surface *)>(dlsym(RTLD_NEXT, "SDL_Flip"));
    int result = realFlip(screen);
    const char *fd = std::getenv("GRIMVALE_COUNT_FD");
    const char *seconds = std::getenv("GRIMVALE_COUNT_SECONDS");
    const char *after = std::getenv("GRIMVALE_COUNT_AFTER");
    if (!fd || !seconds) return result;
    long long now = clockNs(CLOCK_MONOTONIC);
    firstFlipNs = firstFlipNs < 0 ? now : firstFlipNs;
    long long delayNs = after ? std::atoll(after) * 1000000000LL : 0;
    if (startNs < 0 && now - firstFlipNs >= delayNs) {
        startNs = now;
        startCpuNs = clockNs(CLOCK_PROCESS_CPUTIME_ID);
    }
    if (startNs < 0) return result;
    if (now - startNs >= std::atoll(seconds) * 1000000000LL) {
        char line[96];
        double cpuS = (clockNs(CLOCK_PROCESS_CPUTIME_ID) - startCpuNs) / 1e9, wallS = (now - startNs) / 1e9;
        int length = after ? std::snprintf(line, sizeof line, "flips=%lld cpu_s=%.4f wall_s=%.4f\n", flips, cpuS, wallS)
                           : std::snprintf(line, sizeof line, "%lld\n", flips);
        if (write(std::atoi(fd), line, static_cast<size_t>(length)) != length) _exit(3);
        _exit(0);
    }
    flips += 1;
    return result;
}
