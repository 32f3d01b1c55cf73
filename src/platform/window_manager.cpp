// Whether the X display has a window manager to grant full screen; asked before the switch.
#include "platform/window_manager.h"

#include <SDL.h>

#include <dlfcn.h>

#include <cstring>

namespace {

// The few X library calls needed, reached through the copy SDL has already loaded, so the game needs
// neither X's headers to build nor its library where SDL does not show the window through X. The
// types are X's own as the library defines them on Linux: a display is opaque, windows and atoms
// are unsigned long, Bool is int.
using OpenDisplay = void *(*)(const char *name);
using CloseDisplay = int (*)(void *display);
using RootWindow = unsigned long (*)(void *display);
using InternAtom = unsigned long (*)(void *display, const char *name, int onlyIfExists);
using GetWindowProperty = int (*)(void *display, unsigned long window, unsigned long property, long offset, long length,
                                  int remove, unsigned long wantedType, unsigned long *type, int *format,
                                  unsigned long *items, unsigned long *bytesAfter, unsigned char **value);
using Free = int (*)(void *data);

constexpr unsigned long anyPropertyType = 0;

// Whether the root window holds _NET_SUPPORTING_WM_CHECK, through a connection of the game's own.
bool rootMarked(void *x) {
    auto openDisplay = reinterpret_cast<OpenDisplay>(dlsym(x, "XOpenDisplay"));
    auto closeDisplay = reinterpret_cast<CloseDisplay>(dlsym(x, "XCloseDisplay"));
    auto rootWindow = reinterpret_cast<RootWindow>(dlsym(x, "XDefaultRootWindow"));
    auto internAtom = reinterpret_cast<InternAtom>(dlsym(x, "XInternAtom"));
    auto getWindowProperty = reinterpret_cast<GetWindowProperty>(dlsym(x, "XGetWindowProperty"));
    auto xFree = reinterpret_cast<Free>(dlsym(x, "XFree"));
    bool found = openDisplay && closeDisplay && rootWindow && internAtom && getWindowProperty && xFree;
    void *display = found ? openDisplay(nullptr) : nullptr;
    if (!display) return true;
    unsigned long type = 0, items = 0, bytesAfter = 0;
    int format = 0;
    unsigned char *value = nullptr;
    unsigned long mark = internAtom(display, "_NET_SUPPORTING_WM_CHECK", 0);
    getWindowProperty(display, rootWindow(display), mark, 0, 1, 0, anyPropertyType, &type, &format, &items, &bytesAfter, &value);
    if (value) xFree(value);
    closeDisplay(display);
    return items > 0;
}

}  // namespace

bool windowManagerRuns() {
    char driver[32];
    bool x11 = SDL_VideoDriverName(driver, sizeof driver) && std::strcmp(driver, "x11") == 0;
    void *x = x11 ? dlopen("libX11.so.6", RTLD_LAZY | RTLD_NOLOAD) : nullptr;
    bool runs = x ? rootMarked(x) : true;
    if (x) dlclose(x);
    return runs;
}
