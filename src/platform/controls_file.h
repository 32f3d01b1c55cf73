// The desktop player's controls file: the keys of each action and the game's speed, read at start-up.
#pragma once

// Reads the file at path into match.controls: lines "action = key, key, ..." with keys named as
// SDL_GetKeyName spells them, "speed = N", # comments and blank lines. A line that cannot be used
// gets one line on standard error naming the file and the line, and changes nothing (a bad speed
// gives full speed); the rest of the file still counts. A UTF-8 byte-order mark at the start is
// skipped. Two actions sharing a key are told, one line per pair, and both keep it. A missing file is
// no error; anything but a plain file (a FIFO, a device, a directory) is refused in one line and
// never waited on. Never writes.
void readControlsFile(const char *path);

// Reads $XDG_CONFIG_HOME/grimvale/controls.conf, or ~/.config/grimvale/controls.conf where that
// variable is unset (or not an absolute path).
void readPlayerControls();
