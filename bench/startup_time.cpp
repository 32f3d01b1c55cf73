// grimvale-startup-time: how long a program takes from its start to its first flip.
//
// Usage: grimvale-startup-time RUNS PROGRAM [ARGS...]   (run where the program finds its files)
// Starts PROGRAM RUNS times with the first-flip library preloaded. Each run is timed on the
// monotonic clock from just before the fork to the moment its first flip returned, so exec, the
// dynamic loader, SDL's start-up, the window, the loads and the first pass all count. Prints the
// median, the fastest and the slowest run in milliseconds, and the median CPU time (user + system)
// the program took up to that flip, which a busy machine stretches far less than the wall time.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

long long nowNs() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

double msOf(const timeval &t) { return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_usec) / 1e3; }

// One run; returns the milliseconds to the first flip, or a negative number when there was none,
// and sets cpuMs to the CPU time the program took.
double timeOneRun(char **program, double &cpuMs) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return -1;
    long long start = nowNs();
    pid_t child = fork();
    if (child == 0) {
        close(pipeFds[0]);
        setenv("GRIMVALE_FIRST_FLIP_FD", std::to_string(pipeFds[1]).c_str(), 1);
        setenv("LD_PRELOAD", GRIMVALE_FIRST_FLIP_LIB, 1);
        execvp(program[0], program);
        _exit(127);
    }
    close(pipeFds[1]);
    char line[32] = {};
    ssize_t got = read(pipeFds[0], line, sizeof line - 1);
    close(pipeFds[0]);
    int status = 0;
    rusage usage = {};
    wait4(child, &status, 0, &usage);
    cpuMs = msOf(usage.ru_utime) + msOf(usage.ru_stime);
    if (got <= 0) return -1;
    return static_cast<double>(std::atoll(line) - start) / 1e6;
}

}  // namespace

int main(int argc, char **argv) {
    int runs = argc > 2 ? std::atoi(argv[1]) : 0;
    if (runs < 1) {
        std::fprintf(stderr, "usage: grimvale-startup-time RUNS PROGRAM [ARGS...]\n");
        return 2;
    }
    std::vector<double> times;
    std::vector<double> cpuTimes;
    for (int i = 0; i < runs; i++) {
        double cpuMs = 0;
        double ms = timeOneRun(argv + 2, cpuMs);
        if (ms < 0) {
            std::fprintf(stderr, "grimvale-startup-time: %s never flipped\n", argv[2]);
            return 1;
        }
        times.push_back(ms);
        cpuTimes.push_back(cpuMs);
    }
    std::sort(times.begin(), times.end());
    std::sort(cpuTimes.begin(), cpuTimes.end());
    std::printf("median_ms=%.1f min_ms=%.1f max_ms=%.1f cpu_median_ms=%.1f runs=%d\n", times[times.size() / 2],
                times.front(), times.back(), cpuTimes[cpuTimes.size() / 2], runs);
    return 0;
}
