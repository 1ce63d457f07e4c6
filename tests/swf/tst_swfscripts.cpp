// Runs the ActionScript movies of the shared corpus and compares what they
// trace with what the original player printed; every movie must load and
// run its ticks without a script abandoned.

#include "tracecorpus.h"

#include <QTest>

#include <map>

using namespace sky::swf;

namespace {

// Movies whose output matches so far; raise it when the engine gets better.
constexpr int minimumMatches = SKY_SWF_SCRIPT_MINIMUM;

QString corpusDir() { return QStringLiteral(SKY_SWF_CORPUS_DIR) + QStringLiteral("/avm1"); }

} // namespace

class TestSwfScripts : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void tracesMatchTheOriginalPlayer();
};

void TestSwfScripts::tracesMatchTheOriginalPlayer()
{
    const std::vector<TraceCorpusMovie> movies = readTraceCorpus(corpusDir());
    if (movies.empty())
        QSKIP("the ActionScript corpus is not beside the sources");
    const QString only = qEnvironmentVariable("SKY_SWF_CORPUS_ONLY");
    std::map<QString, std::pair<int, int>> byLayer; // matched, total
    int matched = 0;
    QStringList broken; // not loaded, or a script abandoned
    for (const TraceCorpusMovie &movie : movies) {
        if (!only.isEmpty() && !movie.name.contains(only))
            continue;
        const TraceResult result = runTraceCorpusMovie(corpusDir(), movie);
        if (!result.loaded || result.abandoned != 0)
            broken << movie.name;
        const bool ok = traceMatches(corpusDir(), movie, result);
        matched += ok;
        auto &[layerMatched, layerTotal] = byLayer[movie.kind];
        layerMatched += ok;
        ++layerTotal;
        qInfo("%s %s %s", ok ? "match   " : "MISMATCH", qPrintable(movie.kind), qPrintable(movie.name));
    }
    int total = 0;
    for (const auto &[layer, counts] : byLayer) {
        qInfo("%s: %d of %d", qPrintable(layer), counts.first, counts.second);
        total += counts.second;
    }
    qInfo("%d of %d movies trace as the original player did", matched, total);
    QVERIFY2(broken.isEmpty(), qPrintable(broken.join(u", ")));
    if (only.isEmpty())
        QVERIFY2(matched >= minimumMatches, "fewer movies match than before");
}

QTEST_GUILESS_MAIN(TestSwfScripts)
#include "tst_swfscripts.moc"
