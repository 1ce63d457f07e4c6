#include "tracecorpus.h"

#include <QDir>
#include <QFile>

using namespace sky::swf;

std::vector<TraceCorpusMovie> readTraceCorpus(const QString &dir)
{
    std::vector<TraceCorpusMovie> movies;
    QFile index(dir + QStringLiteral("/INDEX.tsv"));
    if (!index.open(QIODevice::ReadOnly))
        return movies;
    const QStringList rows = QString::fromUtf8(index.readAll()).split(u'\n', Qt::SkipEmptyParts);
    for (qsizetype i = 1; i < rows.size(); ++i) {
        const QStringList cells = rows[i].split(u'\t');
        if (cells.size() < 5)
            continue;
        movies.push_back({cells[0], cells[2], qMax(1, cells[4].toInt()), cells.last()});
    }
    return movies;
}

TraceResult runTraceCorpusMovie(const QString &dir, const TraceCorpusMovie &movie)
{
    const QDir folder(dir + u'/' + movie.name);
    std::vector<InputEvent> events;
    readInputFile(folder.filePath(QStringLiteral("input.json")), events, nullptr);
    return traceMovie(folder.filePath(QStringLiteral("test.swf")), movie.ticks, events);
}

bool traceMatches(const QString &dir, const TraceCorpusMovie &movie, const TraceResult &result)
{
    QFile expectedFile(dir + u'/' + movie.name + QStringLiteral("/output.txt"));
    if (!expectedFile.open(QIODevice::ReadOnly))
        return false;
    QString expected = QString::fromUtf8(expectedFile.readAll());
    expected.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    expected.replace(u'\r', u'\n');
    const QString actual = result.lines.isEmpty() ? QString() : result.lines.join(u'\n') + u'\n';
    return result.loaded && actual == expected;
}
