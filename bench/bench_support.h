#pragma once

// What the benchmarks that run whole programs share: starting a process
// with an environment of its own, reading what it has used, an X server of
// their own, and the figures of the table every benchmark prints.

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

#include <sys/types.h>
#include <vector>

class QProcess;

namespace bench {

// Variables to set for a child process, or to remove when the value is empty.
using Environment = QMap<QString, QString>;

// Starts `argv` with the environment changed by `changes`; its standard
// output and error go to `outputFd` unless that is negative. 0 when the
// program could not be started.
pid_t spawn(const QStringList &argv, const Environment &changes, int outputFd = -1);

// User plus system time the process `pid` (all of its threads) has used so
// far, with that of the children it has waited for when `withChildren`
// (as the parent's rusage counts it once the process has ended); 0 without
// one.
double processCpuSeconds(qint64 pid, bool withChildren = false);

// Processor time the main thread of the process `pid` has used so far, in
// seconds, to the nanosecond; 0 without one.
double mainThreadCpuSeconds(qint64 pid);

// Processor time the threads the process `pid` runs now have used so far,
// in seconds, to the nanosecond (the X server's, which keeps its threads;
// the ticks of processCpuSeconds() come in hundredths of a second); 0
// without one.
double threadsCpuSeconds(qint64 pid);

// Resident memory of the process `pid` in MiB, 0 without one.
double residentMiB(qint64 pid);

// An X server of the bench's own on the first free display from `first` on,
// with a screen of `size` ("1280x1024"); its display name, or "" when none
// came up. It keeps running as it is when its last program leaves, as a
// desktop's server does: by itself it would start over, reading its fonts
// and keyboard anew, and that work fell to whichever program was measured
// then.
QString startXvfb(QProcess &xvfb, int first, const QString &size);
void stopXvfb(QProcess &xvfb);

double minimum(std::vector<double> values);
double median(std::vector<double> values);

// Each round's two runs follow each other, so the median of their ratios is
// the figure least touched by a machine that is slower at some times than
// at others.
double medianOfRatios(const std::vector<double> &measured, const std::vector<double> &baseline);

// One line of the table that bench/run gathers from every benchmark:
// what was measured, its value and the baseline's in `unit`, and their ratio
// (`ratio` when given, else measured / baseline, none for a baseline of 0).
void tableRow(const QString &figureName, const QString &baseline, double measured, double base, const char *unit,
    double ratio = 0);

} // namespace bench
