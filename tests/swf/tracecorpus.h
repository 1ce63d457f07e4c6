#pragma once

// The movies of a trace corpus (a folder of <name>/test.swf with the
// output.txt the original player printed, listed in INDEX.tsv) and how one
// is run and compared.

#include "swf/tracerun.h"

#include <QString>

#include <vector>

struct TraceCorpusMovie {
    QString name;
    QString kind;   // the index's third column
    int ticks = 1;
    QString notes;  // the index's last column
};

// The movies an INDEX.tsv lists (name, source, kind, version, ticks, ...).
std::vector<TraceCorpusMovie> readTraceCorpus(const QString &dir);

// Runs the movie for its ticks with its recorded input, if any.
sky::swf::TraceResult runTraceCorpusMovie(const QString &dir, const TraceCorpusMovie &movie);

// Whether what the movie traced is what the original player printed.
bool traceMatches(const QString &dir, const TraceCorpusMovie &movie, const sky::swf::TraceResult &result);
