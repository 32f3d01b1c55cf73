// Counts the heap allocations the process makes (malloc, calloc, realloc, and operator new through them).
#pragma once

#include <cstdint>

// Starts counting from here on; allocations before the first call are not counted.
void startCountingAllocations();

// Allocations made since counting started.
uint64_t allocationsCounted();

// Under AddressSanitizer: prints the call stack of the next allocation to standard error, once, so
// that an allocation where none belongs can be traced to its caller. Does nothing in a plain build.
void traceNextAllocation();
