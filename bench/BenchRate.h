#pragma once

#include <ctime>
#include <functional>

// CPU seconds of this thread: a rate in CPU time holds on a machine that other processes keep
// busy, and compares with `openssl speed`, which counts its own that way.
inline double cpuSeconds()
{
    timespec ts {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

// Runs `body` for at least `seconds` of CPU time and gives the rate per CPU second.
inline double rate(double seconds, const std::function<void()> &body)
{
    const double start = cpuSeconds();
    long long count = 0;
    double elapsed = 0;
    while (elapsed < seconds) {
        for (int i = 0; i < 50; ++i)
            body();
        count += 50;
        elapsed = cpuSeconds() - start;
    }
    return double(count) / elapsed;
}
