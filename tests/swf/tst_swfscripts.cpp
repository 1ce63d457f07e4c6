// Runs the ActionScript movies of the shared corpus and compares what they
// trace with what the original player printed.

#include "swf/tracerun.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <map>

using namespace sky::swf;

namespace {

// Movies whose output matches so far; raise it when the engine gets better.
constexpr int minimumMatches = SKY_SWF_SCRIPT_MINIMUM;

QString corpusDir() { return QStringLiteral(SKY_SWF_CORPUS_DIR) + QStringLiteral("/avm1"); }

struct CorpusMovie {
    QString name;
    QString layer;
    int ticks = 1;
};

std::vector<CorpusMovie> readIndex()
{
    std::vector<CorpusMovie> movies;
    QFile index(corpusDir() + QStringLiteral("/INDEX.tsv"));
    if (!index.open(QIODevice::ReadOnly))
        return movies;
    const QStringList rows = QString::fromUtf8(index.readAll()).split(u'\n', Qt::SkipEmptyParts);
    for (qsizetype i = 1; i < rows.size(); ++i) {
        const QStringList cells = rows[i].split(u'\t');
        if (cells.size() < 5)
            continue;
        movies.push_back({cells[0], cells[2], qMax(1, cells[4].toInt())});
    }
    return movies;
}

QString normalised(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    return text;
}

TraceResult runMovie(const CorpusMovie &movie)
{
    const QDir dir(corpusDir() + u'/' + movie.name);
    std::vector<InputEvent> events;
    QFile input(dir.filePath(QStringLiteral("input.json")));
    if (input.open(QIODevice::ReadOnly))
        readInputEvents(input.readAll(), events, nullptr);
    return traceMovie(dir.filePath(QStringLiteral("test.swf")), movie.ticks, events);
}

} // namespace

class TestSwfScripts : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void tracesMatchTheOriginalPlayer();
    void everyMovieRunsItsTicks();
};

void TestSwfScripts::tracesMatchTheOriginalPlayer()
{
    const std::vector<CorpusMovie> movies = readIndex();
    if (movies.empty())
        QSKIP("the ActionScript corpus is not beside the sources");
    const QString only = qEnvironmentVariable("SKY_SWF_CORPUS_ONLY");
    std::map<QString, std::pair<int, int>> byLayer; // matched, total
    int matched = 0;
    for (const CorpusMovie &movie : movies) {
        if (!only.isEmpty() && !movie.name.contains(only))
            continue;
        const TraceResult result = runMovie(movie);
        QFile expectedFile(corpusDir() + u'/' + movie.name + QStringLiteral("/output.txt"));
        QVERIFY(expectedFile.open(QIODevice::ReadOnly));
        const QString expected = normalised(QString::fromUtf8(expectedFile.readAll()));
        const QString actual = result.lines.isEmpty() ? QString() : result.lines.join(u'\n') + u'\n';
        const bool ok = result.loaded && actual == expected;
        matched += ok;
        auto &[layerMatched, layerTotal] = byLayer[movie.layer];
        layerMatched += ok;
        ++layerTotal;
        qInfo("%s %s %s", ok ? "match   " : "MISMATCH", qPrintable(movie.layer), qPrintable(movie.name));
    }
    int total = 0;
    for (const auto &[layer, counts] : byLayer) {
        qInfo("%s: %d of %d", qPrintable(layer), counts.first, counts.second);
        total += counts.second;
    }
    qInfo("%d of %d movies trace as the original player did", matched, total);
    if (only.isEmpty())
        QVERIFY2(matched >= minimumMatches, "fewer movies match than before");
}

void TestSwfScripts::everyMovieRunsItsTicks()
{
    const std::vector<CorpusMovie> movies = readIndex();
    if (movies.empty())
        QSKIP("the ActionScript corpus is not beside the sources");
    for (const CorpusMovie &movie : movies) {
        const TraceResult result = runMovie(movie);
        QVERIFY2(result.loaded, qPrintable(movie.name));
        QVERIFY2(result.abandoned == 0, qPrintable(movie.name + QStringLiteral(": a script was abandoned")));
    }
}

QTEST_GUILESS_MAIN(TestSwfScripts)
#include "tst_swfscripts.moc"
