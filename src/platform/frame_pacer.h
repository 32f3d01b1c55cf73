// Holds the main loop to 60 frames a second: a deadline per frame, computed from a start time.
#pragma once

#include <cstdint>

struct FramePacer {
    uint32_t startMs;   // when the current schedule began, in SDL ticks
    uint64_t frames;    // frames finished (or, for passesDue, handed out) since then
};

constexpr uint32_t framesPerSecond = 60;
constexpr uint32_t stallFrames = 5;  // a pass this many frames late restarts the schedule

FramePacer startPacer(uint32_t nowMs);
uint32_t frameWaitMs(FramePacer &pacer, uint32_t nowMs);
uint32_t passesDue(FramePacer &pacer, uint32_t nowMs);
