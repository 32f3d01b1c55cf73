// Counts the heap allocations the process makes (malloc, calloc, realloc, and operator new through them).
#pragma once

#include <cstdint>

// Starts counting the calling thread's allocations from here on.
void startCountingAllocations();

// Allocations the counting thread made since counting started.
uint64_t allocationsCounted();

// Under AddressSanitizer, while on: prints the call stack of the next counted allocation to standard
// error, once, so that an allocation where none belongs can be traced to its caller. Does nothing in
// a plain build.
void traceNextAllocation(bool on);
