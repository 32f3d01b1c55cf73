// Holds the main loop to its passes a second: a deadline per frame, computed from a start time.
#include "platform/frame_pacer.h"

#include <algorithm>
#include <cmath>

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
// count follows the schedule above in fractional milliseconds, each pass falling due `lead` of a
// pass before its exact time. The first frame runs a pass; the second, the first to tell how far
// apart the display's frames are, sets the lead so that the due times fall midway between those
// two frames' places in the schedule (half a pass early on a 60 Hz display at full speed, a quarter
// at half speed). From then on a frame that lands close to a due time, where a little lateness of
// the display would decide between a pass now and a pass with the next frame, moves the lead so
// that the due time sits a quarter of a frame (at most a quarter of a pass) away from it on the
// side it already lies: later frames, as regular as the display, then fall on the same side and
// the passes keep their spacing (always two frames apart at half speed on a 60 Hz display, one
// pass a frame at 60 Hz). The lead stays within its bounds, so the passes keep their exact number
// a second: a display a little slower than the schedule (59.94 Hz) slides the lead to its bound
// and then hands one frame two passes, once every thousand frames. More than a stall's worth of
// passes due restarts the schedule from now with a single pass instead of racing through the backlog.
DisplayPacer startDisplayPacer(double frameMs, int32_t speed) {
    FramePacer rate = startPacer(0, speed);
    return DisplayPacer{frameMs, frameMs, 0, 0.5, rate.speed};
}

uint32_t passesDue(DisplayPacer &pacer, double frameMs) {
    constexpr double leastLead = 0, mostLead = 0.99;
    double passMs = static_cast<double>(msIn100s) / (framesPerSecond * pacer.speed);
    double interval = std::max(0.0, frameMs - pacer.lastMs);
    double perFrame = interval / passMs;
    bool secondFrame = pacer.passes == 1 && pacer.lastMs == pacer.startMs;
    double halfFrame = perFrame / 2 - std::floor(perFrame / 2);  // half a frame, within a pass
    if (secondFrame) pacer.lead = std::max(leastLead, std::min(halfFrame, mostLead));
    pacer.lastMs = frameMs;
    double dueSoFar = std::max(0.0, frameMs - pacer.startMs) / passMs + pacer.lead;
    double whole = std::floor(dueSoFar);
    uint64_t handedOut = static_cast<uint64_t>(whole) + 1;
    uint64_t due = handedOut > pacer.passes ? handedOut - pacer.passes : 0;
    if (due > stallFrames) {
        pacer = startDisplayPacer(frameMs, pacer.speed);
        pacer.passes = 1;
        return 1;
    }
    pacer.passes += due;
    double margin = std::min(perFrame, 1.0) / 4;
    double phase = dueSoFar - whole;  // 0 just after a due time, near 1 just before the next
    if (phase < margin) pacer.lead += margin - phase;
    if (phase > 1 - margin) pacer.lead -= phase - (1 - margin);
    pacer.lead = std::max(leastLead, std::min(pacer.lead, mostLead));
    return static_cast<uint32_t>(due);
}
