// One pass of the main loop, in its steps, and the frame that closes it.
#pragma once

#include <cstdint>

void drainEvents(int32_t &quit);
void refreshKeys();
void checkMatchStartKey();
void runFrame();
void runPassSteps();
