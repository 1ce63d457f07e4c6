#pragma once

#include <QElapsedTimer>

#include <algorithm>
#include <ctime>

// Nanoseconds the fastest of `runs` runs of `work` took.
template<typename Work>
double bestOf(int runs, Work &&work)
{
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        best = std::min(best, static_cast<double>(timer.nsecsElapsed()));
    }
    return best;
}

// Nanoseconds of processor time, over all threads of the process, that the
// cheapest of `runs` runs of `work` took.
template<typename Work>
double bestOfCpu(int runs, Work &&work)
{
    const auto now = [] {
        timespec t {};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
        return static_cast<double>(t.tv_sec) * 1e9 + static_cast<double>(t.tv_nsec);
    };
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        const double start = now();
        work();
        best = std::min(best, now() - start);
    }
    return best;
}
