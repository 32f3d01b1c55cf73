// Counts heap allocations. SDL allocates through malloc and operator new ends in malloc, so counting
// malloc, calloc and realloc sees every allocation of the game, SDL's included.
// Under AddressSanitizer the sanitizer owns malloc, and its allocation hook does the counting; in a
// plain build this file replaces malloc and its kin with counting wrappers around glibc's own.
#include "alloc_counter.h"

#include <atomic>
#include <cstddef>

namespace {

// Only the thread that started counting is counted: the game's passes all run on it, while SDL's own
// background threads (audio device detection, for one) allocate on their own schedule.
thread_local bool countingThread = false;
std::atomic<bool> counting{false};
std::atomic<uint64_t> counted{0};
std::atomic<bool> tracing{false};

bool countsHere() { return countingThread && counting.load(std::memory_order_relaxed); }

void noteAllocation() {
    if (countsHere()) counted.fetch_add(1, std::memory_order_relaxed);
}

}  // namespace

#if defined(__SANITIZE_ADDRESS__)
#define GRIMVALE_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define GRIMVALE_ASAN 1
#endif
#endif

#ifdef GRIMVALE_ASAN
#include <sanitizer/allocator_interface.h>
#include <sanitizer/common_interface_defs.h>

namespace {
void onMalloc(const volatile void *, size_t) {
    noteAllocation();
    if (countsHere() && tracing.exchange(false)) __sanitizer_print_stack_trace();
}
void onFree(const volatile void *) {}
}  // namespace

void startCountingAllocations() {
    static bool hooked = __sanitizer_install_malloc_and_free_hooks(onMalloc, onFree) != 0;
    (void)hooked;
    counted = 0;
    countingThread = true;
    counting = true;
}

void traceNextAllocation(bool on) { tracing = on; }

#else

extern "C" {
void *__libc_malloc(size_t size);
void *__libc_calloc(size_t count, size_t size);
void *__libc_realloc(void *block, size_t size);

void *malloc(size_t size) {
    noteAllocation();
    return __libc_malloc(size);
}

void *calloc(size_t count, size_t size) {
    noteAllocation();
    return __libc_calloc(count, size);
}

void *realloc(void *block, size_t size) {
    noteAllocation();
    return __libc_realloc(block, size);
}
}

void startCountingAllocations() {
    counted = 0;
    countingThread = true;
    counting = true;
}

void traceNextAllocation(bool) {}

#endif

uint64_t allocationsCounted() { return counted.load(); }
