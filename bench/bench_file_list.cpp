// How fast the main window's file list fills a folder of 10,000 files and
// loads a 50-entry playlist, each against a baseline measured in the same
// run: a bare listing of the same folder, and a bare read of the same file.

#include "bench_support.h"
#include "best_of.h"
#include "core/module1.h"
#include "test_rig.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

using namespace sky;

namespace {

void report(const char *what, const char *baselineName, double baseline, double measured)
{
    std::printf("%-40s baseline %9.3f ms  measured %9.3f ms  ratio %.2f\n", what, baseline / 1e6, measured / 1e6,
                measured / baseline);
    bench::tableRow(QString::fromLatin1(what), QString::fromLatin1(baselineName), measured / 1e6, baseline / 1e6, "ms");
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    test::TestRig rig;
    Form1 &main = rig.startMainWindow();
    // On screen, as a person sees it: a list out of sight reads its folder
    // only when it is next read or shown.
    main.Show();

    QTemporaryDir folder;
    const QDir dir(folder.path());
    const char *extensions[] = {".mp3", ".wav", ".avi", ".txt", ".jpg"};
    for (int i = 0; i < 10000; ++i) {
        QFile file(dir.filePath(QStringLiteral("Track %1%2").arg(i, 5, 10, QLatin1Char('0')).arg(QLatin1String(extensions[i % 5]))));
        file.open(QIODevice::WriteOnly);
    }

    const double listing = bestOf(5, [&] {
        volatile qsizetype count = QDir(folder.path()).entryList(QDir::Files).size();
        (void)count;
    });
    const double filling = bestOf(5, [&] {
        main.File1.setPath(QDir::rootPath());
        main.File1.setPath(folder.path());
    });
    report("file list, 10,000 files (6,000 shown)", "QDir listing", listing, filling);

    QStringList addresses;
    for (int i = 0; i < 50; ++i)
        addresses.append(dir.filePath(QStringLiteral("Track %1.mp3").arg(i, 5, 10, QLatin1Char('0'))));
    QByteArray content;
    for (const QString &address : addresses)
        content += address.toUtf8() + "\r\n";
    rig.writeAppFile(QStringLiteral("bench.pla"), content);
    const QString playlist = rig.appPath(QStringLiteral("bench.pla"));
    const double reading = bestOf(20, [&] {
        QFile file(playlist);
        file.open(QIODevice::ReadOnly);
        volatile qsizetype lines = file.readAll().split('\n').size();
        (void)lines;
    });
    const double loading = bestOf(20, [&] {
        rig.fileDialog.answers.push_back(playlist);
        main.Command18_Click();
    });
    report("playlist load, 50 entries", "reading the file", reading, loading);
    return rig.program->module().PlaylistCount == 50 ? 0 : 1;
}
