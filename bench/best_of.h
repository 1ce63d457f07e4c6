#pragma once

#include <QElapsedTimer>

#include <algorithm>
#include <ctime>

// The least that `runs` runs of `work` took by `clock`, in its units.
template<typename Clock, typename Work>
double cheapestOf(int runs, Clock &&clock, Work &&work)
{
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        const double start = clock();
        work();
        best = std::min(best, clock() - start);
    }
    return best;
}

// Nanoseconds the fastest of `runs` runs of `work` took.
template<typename Work>
double bestOf(int runs, Work &&work)
{
    QElapsedTimer timer;
    timer.start();
    return cheapestOf(runs, [&timer] { return static_cast<double>(timer.nsecsElapsed()); }, work);
}

// Nanoseconds of processor time, over all threads of the process, that the
// cheapest of `runs` runs of `work` took.
template<typename Work>
double bestOfCpu(int runs, Work &&work)
{
    const auto processTime = [] {
        timespec t {};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
        return static_cast<double>(t.tv_sec) * 1e9 + static_cast<double>(t.tv_nsec);
    };
    return cheapestOf(runs, processTime, work);
}
