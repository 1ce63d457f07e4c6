// swf-render [--ticks N] [--quality low|high|window] INPUT.swf OUTPUT.png
// Loads a movie, runs N ticks from the start (tick 1 shows frame 1, frame
// actions applied) and writes the frame then shown at the stage's size;
// "window" draws it as the Flash window does, its edges smoothed by the
// painter.

#include "swf/movieplayer.h"

#include "toolargs.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

using sky::swf::MoviePlayer;
using sky::swf::RenderOptions;

namespace {

int usage()
{
    std::fputs("usage: swf-render [--ticks N] [--quality low|high|window] INPUT.swf OUTPUT.png\n", stderr);
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    ToolArgs args;
    if (!parseToolArgs(QCoreApplication::arguments().mid(1), {QStringLiteral("--quality")}, args)
        || args.files.size() != 2)
        return usage();
    RenderOptions options;
    const QString quality = args.options.value(QStringLiteral("--quality"));
    options.antialias = quality != u"low";
    options.supersample = quality != u"window";
    const int ticks = args.ticks;
    const QStringList &files = args.files;

    MoviePlayer player;
    if (!player.load(files[0])) {
        std::fprintf(stderr, "swf-render: %s\n", qPrintable(player.errorString()));
        return 1;
    }
    for (int t = 1; t < ticks; ++t)
        player.tick();
    if (!player.renderFrame(options).save(files[1], "PNG")) {
        std::fprintf(stderr, "swf-render: cannot write %s\n", qPrintable(files[1]));
        return 1;
    }
    return 0;
}
