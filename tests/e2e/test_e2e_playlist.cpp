#include "core/module1.h"
#include "mediafixtures.h"
#include "plaincolours.h"
#include "playerrun.h"
#include "test_rig.h"
#include "xsession.h"

#include <QElapsedTimer>
#include <QFile>
#include <QtTest>
#include <csignal>

using namespace e2e;
using namespace Qt::StringLiterals;

namespace {

constexpr int kEndTimeoutMs = 15000;
constexpr int kFileTimeoutMs = 10000;
constexpr double kClipSeconds = 2;
// Three clips, end to end, with room for a slow start.
constexpr int kPlaylistTimeoutMs = 30000;
// The bar of squares grows every 100 ms while an item plays; standing still
// this long means nothing plays.
constexpr int kStillMs = 1500;

const QString kProductTitle = u"SKYVANTRIX Media Player v 1.0.0"_s;

struct Clip
{
    QString name;
    QRgb colour;
};

const Clip kClips[]
    = { { u"red.avi"_s, qRgb(255, 0, 0) }, { u"green.avi"_s, qRgb(0, 255, 0) }, { u"blue.avi"_s, qRgb(0, 0, 255) } };

// The title without the time of day ("HH:mm:ss") in front.
QString titleText(const XWindow &window)
{
    return window.name.mid(8).trimmed();
}

bool hasLines(const QImage &shot, const QRect &list)
{
    // Black text on the list's pale back colour.
    return colourShare(shot, list, qRgb(0, 0, 0), 90) > 0.001;
}

} // namespace

// The playlist on the real program: a playlist file chosen and saved through
// the file dialogs, and a playlist played to its end.
class TestE2ePlaylist : public EndToEndTest
{
    Q_OBJECT
private Q_SLOTS:
    void m3uTypedIntoTheOpenDialogIsSavedAsPla();
    void playlistOnTheCommandLinePlaysToItsEnd();
};

void TestE2ePlaylist::m3uTypedIntoTheOpenDialogIsSavedAsPla()
{
    sky::test::TestRig rig;
    const sky::Form1 &design = rig.startMainWindow();
    PlayerRun player(x());
    QVERIFY(player.writeSettings());
    const QString one = player.mediaPath(u"one.wav"_s);
    const QString two = player.mediaPath(u"two.wav"_s);
    QVERIFY(fixtures::writeFile(one, fixtures::wavBytes(1)));
    QVERIFY(fixtures::writeFile(two, fixtures::wavBytes(1)));
    const QString m3u = player.mediaPath(u"list.m3u"_s);
    QVERIFY(fixtures::writeFile(
        m3u, "#EXTM3U\r\n#EXTINF:1,One\r\n" + one.toUtf8() + "\r\n\r\n#EXTINF:1,Two\r\n" + two.toUtf8() + "\r\n"));
    const XWindow main = player.startToMainWindow();
    QVERIFY2(!main.id.isEmpty(), qPrintable(player.describe()));
    const QRect list = PlayerRun::areaOf(main, design.List1);
    QVERIFY(!hasLines(x().screenshot(), list));

    // "Load": the playlist's name typed into the open dialog.
    player.click(main, design.Command18);
    const XWindow open = player.waitForWindow(u" Open Playlist "_s);
    QVERIFY2(!open.id.isEmpty(), qPrintable(player.describe()));
    x().focus(open);
    x().type(m3u);
    x().keys({ u"Return"_s });
    QVERIFY(player.waitUntilGone(u" Open Playlist "_s));
    QImage loaded;
    const bool shown = waitFor([&] { return hasLines(loaded = x().screenshot(), list); }, kFileTimeoutMs);
    XSession::keep(loaded, u"loaded"_s);
    QVERIFY(shown);

    // "Save": a new name typed into the save dialog.
    player.click(main, design.Command17);
    const XWindow save = player.waitForWindow(u" Save Playlist "_s);
    QVERIFY2(!save.id.isEmpty(), qPrintable(player.describe()));
    const QString pla = player.mediaPath(u"saved.pla"_s);
    x().focus(save);
    x().type(pla);
    x().keys({ u"Return"_s });
    QVERIFY(player.waitUntilGone(u" Save Playlist "_s));

    // The entries, without the information lines, one a line.
    QByteArray content;
    QVERIFY(waitFor(
        [&] {
            QFile saved(pla);
            return saved.open(QIODevice::ReadOnly) && !(content = saved.readAll()).isEmpty();
        },
        kFileTimeoutMs));
    QCOMPARE(content, one.toUtf8() + "\r\n" + two.toUtf8() + "\r\n");
    QVERIFY(player.endsAfter(SIGTERM, kEndTimeoutMs));
}

void TestE2ePlaylist::playlistOnTheCommandLinePlaysToItsEnd()
{
    sky::test::TestRig rig;
    const sky::Form1 &design = rig.startMainWindow();
    PlayerRun player(x());
    // Without scrolling the title shows the name of the file playing.
    sky::Module1 settings;
    settings.ScrollTitle = 0;
    QVERIFY(player.writeSettings(settings));
    QByteArray playlist;
    for (const Clip &clip : kClips) {
        QVERIFY(writeColourClip(player.mediaPath(clip.name), kClipSeconds, QColor(clip.colour)));
        playlist += player.mediaPath(clip.name).toUtf8() + "\r\n";
    }
    const QString pla = player.mediaPath(u"list.pla"_s);
    QVERIFY(fixtures::writeFile(pla, playlist));
    const XWindow main = player.startToMainWindow({ pla });
    QVERIFY2(!main.id.isEmpty(), qPrintable(player.describe()));
    // The list starts without showing its pictures: the fourth group
    // button shows them.
    player.click(main, design.Command5);

    const QRect picture = pictureArea(main, design.MediaPlayer1);
    const QRect name = PlayerRun::areaOf(main, design.Label3);
    const QRect squares = PlayerRun::areaOf(main, design.Label2);
    QStringList titles;
    QStringList colours;
    QList<QImage> nameLabels;
    QImage bar;
    QElapsedTimer still;
    still.start();
    QElapsedTimer waited;
    waited.start();
    // Watches the items go by until the last one has played and nothing
    // moves any more.
    while (!(titles.size() == 3 && still.elapsed() > kStillMs) && waited.elapsed() < kPlaylistTimeoutMs) {
        const QString title = titleText(x().refreshed(main));
        const QImage shot = x().screenshot();
        // Before the first item, and for a moment between items, the title
        // shows the product's name.
        if (title != kProductTitle && !title.isEmpty() && (titles.isEmpty() || titles.constLast() != title)) {
            titles.append(title);
            nameLabels.append(shot.copy(name));
            XSession::keep(shot, title);
        }
        for (const Clip &clip : kClips) {
            const QString colour = clip.name.section(QLatin1Char('.'), 0, 0);
            if (colourShare(shot, picture, clip.colour, 60) > 0.4
                && (colours.isEmpty() || colours.constLast() != colour))
                colours.append(colour);
        }
        if (shot.copy(squares) != bar) {
            bar = shot.copy(squares);
            still.restart();
        }
    }
    // Each item in turn, once, shown by its name in the title and the name
    // labels and by its picture.
    const QString seen
        = u"titles "_s + titles.join(u", "_s) + u"; pictures "_s + colours.join(u", "_s) + u"; "_s + player.describe();
    XSession::keep(x().screenshot(), u"watched"_s);
    QVERIFY2(titles == QStringList({ u"red.avi"_s, u"green.avi"_s, u"blue.avi"_s }), qPrintable(seen));
    QVERIFY2(colours == QStringList({ u"red"_s, u"green"_s, u"blue"_s }), qPrintable(seen));
    QVERIFY(nameLabels.at(0) != nameLabels.at(1) && nameLabels.at(1) != nameLabels.at(2));
    // At the end the list stops: the last name stays and nothing plays.
    QVERIFY(still.elapsed() > kStillMs);
    QCOMPARE(titleText(x().refreshed(main)), u"blue.avi"_s);
    const QImage end = x().screenshot();
    XSession::keep(end, u"end"_s);
    QCOMPARE(end.copy(squares), bar);
    QVERIFY(player.endsAfter(SIGTERM, kEndTimeoutMs));
}

QTEST_MAIN(TestE2ePlaylist)
#include "test_e2e_playlist.moc"
