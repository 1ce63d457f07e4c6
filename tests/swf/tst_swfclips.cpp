// The picture of a scripted movie is the stage's tree of clips as scripts
// left it: clips moved, stopped or duplicated inside sprites are drawn so,
// by the reference drawing and by the window's repainting alike, however
// many of them moved at once. Clips made and removed by the thousand are
// still found by scripts.

#include "swf/framecanvas.h"
#include "rendercheck.h"

#include <QTest>

using namespace sky::swf;
using swftest::Actions;
using swftest::Edges;
using swftest::drawnWhole;
using swftest::windowQuality;

namespace {

const QColor red(255, 0, 0);
const QColor blue(0, 0, 255);

// Shape 1 a red and shape 5 a blue 20-pixel square at the origin; sprite 4
// shows the red one on its first frame and the blue one on its second; sprite 2 holds the red one; sprite 3 holds sprite 2 as
// "inner" (or sprite 4 when `stopping`); the stage holds sprite 3 as
// "outer". `script` runs on the stage's frame `scriptFrame`.
QByteArray nestedMovie(const Actions &script, bool stopping = false, int scriptFrame = 1, int version = 6)
{
    swftest::Movie m(version, 200, 100, 12);
    m.background(Qt::white);
    const QRect box(0, 0, 400, 400);
    m.shape(1, 1, box, {swftest::solidFill(red, false)}, {}, Edges().rect(box, 1).end());
    m.shape(5, 1, box, {swftest::solidFill(blue, false)}, {}, Edges().rect(box, 1).end());
    swftest::Movie square(6, 1, 1), stopper(6, 1, 1), holder(6, 1, 1);
    square.place(1, 1).showFrame();
    stopper.place(1, 1).showFrame().remove(1).place(1, 5).showFrame();
    holder.placeNamed(1, stopping ? 4 : 2, "inner").showFrame();
    m.sprite(2, square).sprite(4, stopper).sprite(3, holder);
    m.placeNamed(1, 3, "outer");
    for (int frame = 1; frame < scriptFrame; ++frame)
        m.showFrame();
    return m.doAction(script.code()).showFrame().fws();
}

// Sets property `index` of the clip at `path`.
Actions &setClipProperty(Actions &a, const QByteArray &path, int index, int value)
{
    return a.push(path).push(index).push(value).op(0x23);
}

// for (i = 0; i < count; ++i) body, where `body` reads i.
QByteArray loop(int count, const Actions &body)
{
    const auto jump = [](int op, int offset) {
        return Actions().op(op, QByteArray(1, char(offset & 0xff)) + char((offset >> 8) & 0xff)).code();
    };
    const QByteArray step = body.code() + Actions().push("i").push("i").op(0x1C).op(0x50).op(0x1D).code();
    const QByteArray test = Actions().push("i").op(0x1C).push(count).op(0x48).op(0x12).code();
    const int size = int(test.size()) + 5 + int(step.size()) + 5;
    return Actions().push("i").push(0).op(0x1D).code() + test + jump(0x9D, int(step.size()) + 5) + step
           + jump(0x99, -size);
}

QColor colourAt(const QImage &image, int x, int y) { return image.pixelColor(x, y); }

} // namespace

class TestSwfClips : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void nestedClipMovedByScriptIsDrawnWhereItWent();
    void nestedSpriteShowsTheFrameItsPlayheadIsOn();
    void duplicatedClipInsideSpriteIsDrawn();
    void hiddenNestedClipIsNotDrawn();
    void matrixGivenThroughTransformPlacesTheClip();
    void windowRepaintsWhatScriptsChanged();
    void windowRepaintsHundredsOfMovedClips();
    void thousandsOfClipsMadeAndRemovedAreFound();
};

void TestSwfClips::nestedClipMovedByScriptIsDrawnWhereItWent()
{
    Actions script;
    setClipProperty(script, "outer.inner", 0, 50);
    MoviePlayer player;
    QVERIFY(player.loadData(nestedMovie(script)));
    const QImage frame = player.renderFrame();
    QCOMPARE(colourAt(frame, 60, 10), red);
    QCOMPARE(colourAt(frame, 10, 10), QColor(Qt::white));
}

void TestSwfClips::nestedSpriteShowsTheFrameItsPlayheadIsOn()
{
    Actions script;
    script.op(0x8B, "outer.inner" + QByteArray(1, 0)).op(0x07).op(0x8B, QByteArray(1, 0));
    MoviePlayer player;
    QVERIFY(player.loadData(nestedMovie(script, true)));
    for (int tick = 0; tick < 3; ++tick)
        player.tick();
    QCOMPARE(colourAt(player.renderFrame(), 10, 10), red);
}

void TestSwfClips::duplicatedClipInsideSpriteIsDrawn()
{
    Actions script;
    script.push("outer.inner").push("copy").push(16385).op(0x24);
    setClipProperty(script, "outer.copy", 0, 100);
    MoviePlayer player;
    QVERIFY(player.loadData(nestedMovie(script)));
    const QImage frame = player.renderFrame();
    QCOMPARE(colourAt(frame, 10, 10), red);
    QCOMPARE(colourAt(frame, 110, 10), red);
    QCOMPARE(colourAt(frame, 60, 10), QColor(Qt::white));
}

void TestSwfClips::hiddenNestedClipIsNotDrawn()
{
    Actions script;
    setClipProperty(script, "outer.inner", 7, 0);
    MoviePlayer player;
    QVERIFY(player.loadData(nestedMovie(script)));
    QCOMPARE(colourAt(player.renderFrame(), 10, 10), QColor(Qt::white));
}

void TestSwfClips::matrixGivenThroughTransformPlacesTheClip()
{
    // outer.inner.transform.matrix = new flash.geom.Matrix(2, 0, 0, 1, 50, 0)
    Actions script;
    script.push("outer.inner").op(0x1C).push("transform").op(0x4E).push("matrix");
    script.push(0).push(50).push(1).push(0).push(0).push(2).push(6);
    script.push("flash").op(0x1C).push("geom").op(0x4E).push("Matrix").op(0x53).op(0x4F);
    MoviePlayer player;
    QVERIFY(player.loadData(nestedMovie(script, false, 1, 8)));
    const QImage frame = player.renderFrame();
    QCOMPARE(colourAt(frame, 85, 10), red);
    QCOMPARE(colourAt(frame, 10, 10), QColor(Qt::white));
}

void TestSwfClips::windowRepaintsWhatScriptsChanged()
{
    // The main movie moves too, and everything on it with it.
    Actions script;
    setClipProperty(script, "outer.inner", 0, 50);
    setClipProperty(script, "outer.inner", 6, 50);
    setClipProperty(script, "_root", 0, 20);
    MoviePlayer player;
    QVERIFY(player.loadData(nestedMovie(script, false, 2)));
    const QSize size(200, 100);
    FrameCanvas canvas;
    canvas.paint(player, size, 1, windowQuality());
    player.tick();
    const QImage painted = canvas.paint(player, size, 1, windowQuality());
    QCOMPARE(painted, drawnWhole(player, size, windowQuality()));
    QCOMPARE(colourAt(painted, 10, 10), QColor(Qt::white));
    QCOMPARE(colourAt(painted, 60, 10), QColor(Qt::white));
    const QColor halfRed = colourAt(painted, 80, 10); // red at half alpha on white
    QCOMPARE(halfRed.red(), 255);
    QVERIFY(qAbs(halfRed.green() - 128) <= 1 && qAbs(halfRed.blue() - 128) <= 1);
}

void TestSwfClips::windowRepaintsHundredsOfMovedClips()
{
    // Red 5-pixel squares on a grid, each moved a little on frame 2.
    swftest::Movie m(6, 300, 200, 12);
    m.background(Qt::white);
    const QRect box(0, 0, 100, 100);
    m.shape(1, 1, box, {swftest::solidFill(red, false)}, {}, Edges().rect(box, 1).end());
    constexpr int clips = 300;
    for (int i = 0; i < clips; ++i)
        m.place(i + 1, 1, (i % 30) * 200, (i / 30) * 400);
    m.showFrame();
    for (int i = 0; i < clips; ++i)
        m.move(i + 1, (i % 30) * 200 + 60 + i % 7, (i / 30) * 400 + 130);
    m.showFrame();
    MoviePlayer player;
    QVERIFY(player.loadData(m.fws()));
    const QSize size(300, 200);
    FrameCanvas canvas;
    canvas.paint(player, size, 1, windowQuality());
    player.tick();
    QCOMPARE(canvas.paint(player, size, 1, windowQuality()), drawnWhole(player, size, windowQuality()));
    QVERIFY(canvas.repainted().rectCount() > 1); // not the whole picture
}

void TestSwfClips::thousandsOfClipsMadeAndRemovedAreFound()
{
    // 2,100 copies of "outer" (each a clip and its square), the first
    // 2,000 removed but one renamed before, then one more.
    Actions copy, removal;
    copy.push("outer").push("c").push("i").op(0x1C).op(0x21).push("i").op(0x1C).push(16385).op(0x47).op(0x24);
    removal.push("c").push("i").op(0x1C).op(0x21).op(0x25);
    swftest::Movie m(6, 200, 100, 12);
    const QRect box(0, 0, 400, 400);
    m.shape(1, 1, box, {swftest::solidFill(red, false)}, {}, Edges().rect(box, 1).end());
    swftest::Movie square(6, 1, 1);
    square.place(1, 1).showFrame();
    m.sprite(2, square).placeNamed(1, 2, "outer");
    m.doAction(loop(2100, copy) + Actions().push("c1000").push(13).push("kept").op(0x23).code() + loop(2000, removal)
               + Actions().push("outer").push("last").push(16384 + 5000).op(0x24).code());
    m.showFrame();
    Actions check;
    for (const QByteArray name : {"c1999", "kept", "c2000", "c2099", "last"})
        check.push(name).op(0x1C).op(0x26);
    m.doAction(check.code()).stopAction().showFrame();
    MoviePlayer player;
    QStringList lines;
    player.setTraceSink([&lines](const QString &text) { lines << text; });
    QVERIFY(player.loadData(m.fws()));
    player.tick();
    QCOMPARE(lines, (QStringList{QStringLiteral("undefined"), QStringLiteral("_level0.kept"),
                                 QStringLiteral("_level0.c2000"), QStringLiteral("_level0.c2099"),
                                 QStringLiteral("_level0.last")}));
}

QTEST_GUILESS_MAIN(TestSwfClips)
#include "tst_swfclips.moc"
