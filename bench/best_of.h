#pragma once

#include <QElapsedTimer>

#include <algorithm>

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
