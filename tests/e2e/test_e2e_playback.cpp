#include "endtoendtest.h"
#include "mediafixtures.h"
#include "plaincolours.h"

#include <QElapsedTimer>
#include <QFile>
#include <QtTest>

using namespace e2e;
using namespace Qt::StringLiterals;

namespace {

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

// Playing on the real program: a playlist file chosen and saved through the
// file dialogs, a playlist played to its end, and the video over the whole
// screen and back.
class TestE2ePlayback : public EndToEndTest
{
    Q_OBJECT
private Q_SLOTS:
    void m3uTypedIntoTheOpenDialogIsSavedAsPla();
    void playlistOnTheCommandLinePlaysToItsEnd();
    void doubleClickGoesFullScreenAndEscapeComesBack();
};

void TestE2ePlayback::m3uTypedIntoTheOpenDialogIsSavedAsPla()
{
    const QString one = player().mediaPath(u"one.wav"_s);
    const QString two = player().mediaPath(u"two.wav"_s);
    QVERIFY(fixtures::writeFile(one, fixtures::wavBytes(1)));
    QVERIFY(fixtures::writeFile(two, fixtures::wavBytes(1)));
    const QString m3u = player().mediaPath(u"list.m3u"_s);
    QVERIFY(fixtures::writeFile(
        m3u, "#EXTM3U\r\n#EXTINF:1,One\r\n" + one.toUtf8() + "\r\n\r\n#EXTINF:1,Two\r\n" + two.toUtf8() + "\r\n"));
    const XWindow main = startPlayer();
    QVERIFY2(!main.id.isEmpty(), qPrintable(player().describe()));
    const QRect list = PlayerRun::areaOf(main, mainDesign().List1);
    QVERIFY(!hasLines(x().screenshot(), list));

    // "Load": the playlist's name typed into the open dialog.
    player().click(main, mainDesign().Command18);
    QVERIFY2(typeIntoDialog(u" Open Playlist "_s, m3u), qPrintable(player().describe()));
    QImage loaded;
    const bool shown = waitFor([&] { return hasLines(loaded = x().screenshot(), list); });
    XSession::keep(loaded, u"loaded"_s);
    QVERIFY(shown);

    // "Save": a new name typed into the save dialog; the file holds the
    // entries, without the information lines, one a line.
    player().click(main, mainDesign().Command17);
    const QString pla = player().mediaPath(u"saved.pla"_s);
    QVERIFY2(typeIntoDialog(u" Save Playlist "_s, pla), qPrintable(player().describe()));
    QByteArray content;
    QVERIFY(waitFor([&] {
        QFile saved(pla);
        return saved.open(QIODevice::ReadOnly) && !(content = saved.readAll()).isEmpty();
    }));
    QCOMPARE(content, one.toUtf8() + "\r\n" + two.toUtf8() + "\r\n");
}

void TestE2ePlayback::playlistOnTheCommandLinePlaysToItsEnd()
{
    QByteArray playlist;
    for (const Clip &clip : kClips) {
        QVERIFY(writeColourClip(player().mediaPath(clip.name), 2, QColor(clip.colour)));
        playlist += player().mediaPath(clip.name).toUtf8() + "\r\n";
    }
    const QString pla = player().mediaPath(u"list.pla"_s);
    QVERIFY(fixtures::writeFile(pla, playlist));
    // Without scrolling the title shows the name of the file playing.
    sky::Module1 settings;
    settings.ScrollTitle = 0;
    const XWindow main = startPlayer({ pla }, settings);
    QVERIFY2(!main.id.isEmpty(), qPrintable(player().describe()));
    // The list starts without showing its pictures: the fourth group
    // button shows them.
    player().click(main, mainDesign().Command5);

    const QRect picture = pictureArea(main, mainDesign().MediaPlayer1);
    const QRect name = PlayerRun::areaOf(main, mainDesign().Label3);
    const QRect squares = PlayerRun::areaOf(main, mainDesign().Label2);
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
        = u"titles "_s + titles.join(u", "_s) + u"; pictures "_s + colours.join(u", "_s) + u"; "_s + player().describe();
    QVERIFY2(titles == QStringList({ u"red.avi"_s, u"green.avi"_s, u"blue.avi"_s }), qPrintable(seen));
    QVERIFY2(colours == QStringList({ u"red"_s, u"green"_s, u"blue"_s }), qPrintable(seen));
    QVERIFY(nameLabels.at(0) != nameLabels.at(1) && nameLabels.at(1) != nameLabels.at(2));
    // At the end the list stops: the last name stays and nothing plays.
    QVERIFY(still.elapsed() > kStillMs);
    QCOMPARE(titleText(x().refreshed(main)), u"blue.avi"_s);
    const QImage end = x().screenshot();
    XSession::keep(end, u"end"_s);
    QCOMPARE(end.copy(squares), bar);
}

void TestE2ePlayback::doubleClickGoesFullScreenAndEscapeComesBack()
{
    // Long enough to go full screen and back while it plays.
    const QRgb magenta = qRgb(255, 0, 255);
    const QString clip = player().mediaPath(u"magenta.avi"_s);
    QVERIFY(writeColourClip(clip, 30, QColor(magenta)));
    const XWindow main = startPlayer({ clip });
    QVERIFY2(!main.id.isEmpty(), qPrintable(player().describe()));
    const QRect screen = x().screen();
    const QRect picture = pictureArea(main, mainDesign().MediaPlayer1);
    QVERIFY(waitFor([&] { return colourShare(x().screenshot(), picture, magenta) > 0.5; }));

    // A double-click on the picture: the window covers the screen, and the
    // picture fills it (4:3 on a 5:4 screen leaves two thin bars).
    x().click(picture.center(), 2);
    QVERIFY(waitFor([&] { return x().refreshed(main).geometry == screen; }));
    QImage shot;
    QVERIFY(waitFor([&] { return colourShare(shot = x().screenshot(), screen, magenta) > 0.85; }));
    XSession::keep(shot, u"full"_s);

    // Escape: the window is back where it was, the picture in its place
    // and the rest of the screen bare again.
    x().keys({ u"Escape"_s });
    QVERIFY(waitFor([&] { return x().refreshed(main).geometry == main.geometry; }));
    QVERIFY(waitFor([&] {
        shot = x().screenshot();
        return colourShare(shot, picture, magenta) > 0.5 && colourShare(shot, screen, magenta) < 0.1;
    }));
    XSession::keep(shot, u"back"_s);
    const QRect belowWindow(0, main.geometry.bottom() + 1, screen.width(), screen.bottom() - main.geometry.bottom());
    QVERIFY(colourShare(shot, belowWindow, qRgb(0, 0, 0), 8) > 0.99);
}

QTEST_MAIN(TestE2ePlayback)
#include "test_e2e_playback.moc"
