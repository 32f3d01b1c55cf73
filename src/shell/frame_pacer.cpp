// Holds the main loop to 60 frames a second: a deadline per frame, computed from a start time.
#include "shell/frame_pacer.h"

FramePacer startPacer(uint32_t nowMs) { return FramePacer{nowMs, 0}; }

// Called once a frame is done: how long to sleep until the next frame is due. Deadlines come from
// the frame count, not from the previous wait, so rounding never accumulates into drift. A frame
// that ends far behind its deadline (a stall: the window dragged, the machine busy) starts a new
// schedule from now, so the game does not race through the missed frames to catch up.
uint32_t frameWaitMs(FramePacer &pacer, uint32_t nowMs) {
    pacer.frames += 1;
    uint32_t deadline = pacer.startMs + static_cast<uint32_t>(pacer.frames * 1000 / framesPerSecond);
    int32_t ahead = static_cast<int32_t>(deadline - nowMs);  // tick difference, safe across wrap-around
    int32_t stallMs = static_cast<int32_t>(stallFrames * 1000 / framesPerSecond);
    if (ahead < -stallMs) pacer = startPacer(nowMs);
    uint32_t wait = ahead > 0 ? static_cast<uint32_t>(ahead) : 0;
    return wait;
}
