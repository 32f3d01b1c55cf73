// Counts heap allocations. SDL allocates through malloc and operator new ends in malloc, so counting
// malloc, calloc and realloc sees every allocation of the game, SDL's included.
// Under AddressSanitizer the sanitizer owns malloc, and its allocation hook does the counting; in a
// plain build this file replaces malloc and its kin with counting wrappers around glibc's own.
#include "alloc_counter.h"

#include <atomic>
#include <cstddef>

namespace {

std::atomic<bool> counting{false};
std::atomic<uint64_t> counted{0};
std::atomic<bool> tracing{false};

void noteAllocation() {
    if (counting.load(std::memory_order_relaxed)) counted.fetch_add(1, std::memory_order_relaxed);
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
    if (counting.load() && tracing.exchange(false)) __sanitizer_print_stack_trace();
}
void onFree(const volatile void *) {}
}  // namespace

void startCountingAllocations() {
    static bool hooked = __sanitizer_install_malloc_and_free_hooks(onMalloc, onFree) != 0;
    (void)hooked;
    counted = 0;
    counting = true;
}

void traceNextAllocation() { tracing = true; }

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
    counting = true;
}

void traceNextAllocation() {}

#endif

uint64_t allocationsCounted() { return counted.load(); }
