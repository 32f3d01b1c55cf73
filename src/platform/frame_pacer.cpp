// Holds the main loop to its passes a second: a deadline per frame, computed from a start time.
#include "platform/frame_pacer.h"

namespace {

// The rate is counted in frames per 100 seconds (6000 at full speed, 4560 at 76%), so that every
// speed keeps an exact schedule in whole numbers.
constexpr uint64_t msIn100s = 100000;

uint64_t framesIn100s(const FramePacer &pacer) { return framesPerSecond * static_cast<uint64_t>(pacer.speed); }

}  // namespace

FramePacer startPacer(uint32_t nowMs, int32_t speed) {
    return FramePacer{nowMs, 0, speed > 0 && speed <= 100 ? speed : 100};
}

// Called once a frame is done: how long to sleep until the next frame is due. Deadlines come from
// the frame count, not from the previous wait, so rounding never accumulates into drift. A frame
// that ends far behind its deadline (a stall: the window dragged, the machine busy) starts a new
// schedule from now, so the game does not race through the missed frames to catch up.
uint32_t frameWaitMs(FramePacer &pacer, uint32_t nowMs) {
    pacer.frames += 1;
    uint32_t deadline = pacer.startMs + static_cast<uint32_t>(pacer.frames * msIn100s / framesIn100s(pacer));
    int32_t ahead = static_cast<int32_t>(deadline - nowMs);  // tick difference, safe across wrap-around
    int32_t stallMs = static_cast<int32_t>(stallFrames * msIn100s / framesIn100s(pacer));
    if (ahead < -stallMs) pacer = startPacer(nowMs, pacer.speed);
    uint32_t wait = ahead > 0 ? static_cast<uint32_t>(ahead) : 0;
    return wait;
}

// For a loop woken by the display's frames instead of sleeping: how many passes to run now. The
// count follows the same schedule, with each pass falling due half a pass before its deadline, so
// that frames arriving at 60 Hz with a few milliseconds of jitter get exactly one pass each, and
// faster displays (120, 144 Hz) get one or none. More than a stall's worth of passes due restarts
// the schedule from now with a single pass instead of racing through the backlog.
uint32_t passesDue(FramePacer &pacer, uint32_t nowMs) {
    uint64_t elapsedMs = static_cast<uint32_t>(nowMs - pacer.startMs);  // safe across wrap-around
    uint64_t dueSoFar = (elapsedMs * framesIn100s(pacer) + msIn100s / 2) / msIn100s + 1;
    uint64_t due = dueSoFar > pacer.frames ? dueSoFar - pacer.frames : 0;
    if (due > stallFrames) {
        pacer = startPacer(nowMs, pacer.speed);
        due = 1;
    }
    pacer.frames += due;
    return static_cast<uint32_t>(due);
}
