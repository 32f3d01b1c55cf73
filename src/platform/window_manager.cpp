// Whether the X display has a window manager to grant full screen; asked before the switch.
#include "platform/window_manager.h"

#include <SDL.h>

#include <dlfcn.h>

#include <cstring>

namespace {

// The few X library calls needed, reached through the copy SDL has already loaded, so the game needs
// neither X's headers to build nor its library where SDL does not show the window through X. The
// types are X's own as the library defines them on Linux: a display and an error event are opaque,
// windows and atoms are unsigned long, Bool is int.
using OpenDisplay = void *(*)(const char *name);
using CloseDisplay = int (*)(void *display);
using RootWindow = unsigned long (*)(void *display);
using InternAtom = unsigned long (*)(void *display, const char *name, int onlyIfExists);
using GetWindowProperty = int (*)(void *display, unsigned long window, unsigned long property, long offset, long length,
                                  int remove, unsigned long wantedType, unsigned long *type, int *format,
                                  unsigned long *items, unsigned long *bytesAfter, unsigned char **value);
using Free = int (*)(void *data);
using Sync = int (*)(void *display, int discard);
using ErrorHandler = int (*)(void *display, void *error);
using SetErrorHandler = ErrorHandler (*)(ErrorHandler handler);

constexpr unsigned long anyPropertyType = 0;
constexpr int success = 0;

struct XCalls {
    OpenDisplay openDisplay;
    CloseDisplay closeDisplay;
    RootWindow rootWindow;
    InternAtom internAtom;
    GetWindowProperty getWindowProperty;
    Free xFree;
    Sync sync;
    SetErrorHandler setErrorHandler;
};

// X's default handler ends the process on any error; asking about a window that is gone gives one,
// which the failed request itself reports to the game.
int ignoreError(void *, void *) { return 0; }

// The window named by the window's _NET_SUPPORTING_WM_CHECK, or 0: none, not one 32-bit value, or
// no such window.
unsigned long checkWindowOf(const XCalls &x, void *display, unsigned long window, unsigned long mark) {
    unsigned long type = 0, items = 0, bytesAfter = 0;
    int format = 0;
    unsigned char *value = nullptr;
    int status = x.getWindowProperty(display, window, mark, 0, 1, 0, anyPropertyType, &type, &format, &items,
                                     &bytesAfter, &value);
    bool named = status == success && value && format == 32 && items == 1;
    unsigned long namedWindow = named ? *reinterpret_cast<unsigned long *>(value) : 0;
    if (value) x.xFree(value);
    return namedWindow;
}

// A window manager following the desktop conventions names on the root window a child window of its
// own, which names itself the same way. One that died leaves the root naming a window that is gone:
// no window manager, as is a root naming nothing or naming itself. Asked through a connection of the
// game's own, with X's errors taken as answers while it asks.
bool convention(const XCalls &x) {
    void *display = x.openDisplay(nullptr);
    if (!display) return true;
    ErrorHandler before = x.setErrorHandler(ignoreError);
    unsigned long mark = x.internAtom(display, "_NET_SUPPORTING_WM_CHECK", 0);
    unsigned long root = x.rootWindow(display);
    unsigned long named = checkWindowOf(x, display, root, mark);
    bool runs = named != 0 && named != root && checkWindowOf(x, display, named, mark) == named;
    x.sync(display, 1);
    x.setErrorHandler(before);
    x.closeDisplay(display);
    return runs;
}

bool runsOn(void *library) {
    XCalls x{reinterpret_cast<OpenDisplay>(dlsym(library, "XOpenDisplay")),
        reinterpret_cast<CloseDisplay>(dlsym(library, "XCloseDisplay")),
        reinterpret_cast<RootWindow>(dlsym(library, "XDefaultRootWindow")),
        reinterpret_cast<InternAtom>(dlsym(library, "XInternAtom")),
        reinterpret_cast<GetWindowProperty>(dlsym(library, "XGetWindowProperty")),
        reinterpret_cast<Free>(dlsym(library, "XFree")),
        reinterpret_cast<Sync>(dlsym(library, "XSync")),
        reinterpret_cast<SetErrorHandler>(dlsym(library, "XSetErrorHandler"))};
    bool found = x.openDisplay && x.closeDisplay && x.rootWindow && x.internAtom && x.getWindowProperty && x.xFree &&
                 x.sync && x.setErrorHandler;
    return found ? convention(x) : true;
}

}  // namespace

bool windowManagerRuns() {
    char driver[32];
    bool x11 = SDL_VideoDriverName(driver, sizeof driver) && std::strcmp(driver, "x11") == 0;
    void *x = x11 ? dlopen("libX11.so.6", RTLD_LAZY | RTLD_NOLOAD) : nullptr;
    bool runs = x ? runsOn(x) : true;
    if (x) dlclose(x);
    return runs;
}
