// Holds the main loop to its passes a second: a deadline per frame, computed from a start time.
#pragma once

#include <cstdint>

struct FramePacer {
    uint32_t startMs;   // when the current schedule began, in SDL ticks
    uint64_t frames;    // frames finished since then
    int32_t speed;      // percent of full speed: 60 x speed / 100 frames a second
};

// The browser's: display frames, each with its time in fractional milliseconds, hand out the passes.
struct DisplayPacer {
    double startMs;     // the display frame that began the current schedule
    double lastMs;      // the latest display frame
    uint64_t passes;    // passes handed out since startMs
    double lead;        // how early passes fall due, in passes (a little above 0 to a little below 1)
    int32_t speed;      // percent of full speed, as above
};

constexpr uint32_t framesPerSecond = 60;  // at full speed
constexpr uint32_t stallFrames = 5;  // a pass this many frames late restarts the schedule

// A schedule from now at speed percent of 60 frames a second (1 to 100; anything else is 100).
FramePacer startPacer(uint32_t nowMs, int32_t speed = 100);
uint32_t frameWaitMs(FramePacer &pacer, uint32_t nowMs);

// A schedule from the display frame at frameMs; its first frame runs a pass at once.
DisplayPacer startDisplayPacer(double frameMs, int32_t speed = 100);
uint32_t passesDue(DisplayPacer &pacer, double frameMs);
