// swf-render [--ticks N] [--quality low|high] INPUT.swf OUTPUT.png
// Loads a movie, runs N ticks from the start (tick 1 shows frame 1, frame
// actions applied) and writes the frame then shown at the stage's size.

#include "swf/movieplayer.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

using sky::swf::MoviePlayer;
using sky::swf::RenderOptions;

namespace {

int usage()
{
    std::fputs("usage: swf-render [--ticks N] [--quality low|high] INPUT.swf OUTPUT.png\n", stderr);
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments().mid(1);
    int ticks = 1;
    RenderOptions options;
    QStringList files;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == u"--ticks" && i + 1 < args.size()) {
            bool ok = false;
            ticks = args[++i].toInt(&ok);
            if (!ok || ticks < 1)
                return usage();
        } else if (args[i] == u"--quality" && i + 1 < args.size()) {
            options.antialias = args[++i] != u"low";
        } else {
            files << args[i];
        }
    }
    if (files.size() != 2)
        return usage();

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
