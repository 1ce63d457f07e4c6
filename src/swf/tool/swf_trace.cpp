// swf-trace [--ticks N] [--input FILE.json] MOVIE.swf
// Runs a movie for N ticks (default 1) and prints every trace() line.

#include "swf/tracerun.h"

#include "toolargs.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

using namespace sky::swf;

namespace {

int usage()
{
    std::fputs("usage: swf-trace [--ticks N] [--input FILE.json] MOVIE.swf\n", stderr);
    return 1;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    ToolArgs args;
    if (!parseToolArgs(QCoreApplication::arguments().mid(1), {QStringLiteral("--input")}, args)
        || args.files.size() != 1)
        return usage();
    const QString inputPath = args.options.value(QStringLiteral("--input"));

    std::vector<InputEvent> events;
    QString error;
    if (!inputPath.isEmpty() && !readInputFile(inputPath, events, &error)) {
        std::fprintf(stderr, "swf-trace: %s: %s\n", qPrintable(inputPath), qPrintable(error));
        return 1;
    }
    const TraceResult result = traceMovie(args.files[0], args.ticks, events);
    if (!result.loaded) {
        std::fprintf(stderr, "swf-trace: %s\n", qPrintable(result.error));
        return 1;
    }
    for (const QString &line : result.lines)
        std::printf("%s\n", line.toUtf8().constData());
    return 0;
}
