// Preloaded into a program to time its start-up: once its first SDL_Flip has put the first picture
// on the window, it writes the monotonic clock in nanoseconds, as one line, to the file descriptor
// named by GRIMVALE_FIRST_FLIP_FD and ends the process on the spot. Without that variable every flip
// passes through untouched.
#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <dlfcn.h>
#include <unistd.h>

extern "C" int SDL_Flip(SDL_Surface *screen) {
    auto realFlip = reinterpret_cast<int (*)(SDL_Surface *)>(dlsym(RTLD_NEXT, "SDL_Flip"));
    int result = realFlip(screen);
    const char *fd = std::getenv("GRIMVALE_FIRST_FLIP_FD");
    if (fd) {
        timespec now;
        clock_gettime(CLOCK_MONOTONIC, &now);
        char line[32];
        int length = std::snprintf(line, sizeof line, "%lld\n",
                                   static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
        if (write(std::atoi(fd), line, static_cast<size_t>(length)) != length) _exit(3);
        _exit(0);
    }
    return result;
}
