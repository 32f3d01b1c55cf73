// Default sanitizer settings compiled into every program of the sanitized build, so that the game,
// the replay tool, the tests and the fuzzer behave the same wherever they are started from.
// Settings given in ASAN_OPTIONS, LSAN_OPTIONS or UBSAN_OPTIONS still take precedence.

extern "C" {

const char *__asan_default_options() {
    return "detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1";
}

// Leaks of system libraries (SDL's drivers keep a few blocks until the process ends) are not the
// game's; the file names only those libraries, never the game's own code.
const char *__lsan_default_options() { return "suppressions=" GRIMVALE_LSAN_SUPPRESSIONS ":print_suppressions=0"; }

const char *__ubsan_default_options() { return "print_stacktrace=1"; }

}
