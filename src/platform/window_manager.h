// Whether the X display has a window manager to grant full screen; asked before the switch.
#pragma once

// False only where the game surely knows none runs: SDL shows the window through X, and the X
// display's root window lacks the mark that a window manager following the desktop conventions puts
// on it, or the mark names a window that is gone or does not carry the same mark naming itself.
// Elsewhere (another video driver, X not to be asked) true: the switch is tried.
bool windowManagerRuns();
