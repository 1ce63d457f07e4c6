// A clip's drawing methods: fills close where they began, clear takes
// everything back, and what a clip draws lies below its children.

#include "swf/movieplayer.h"
#include "swfwriter.h"

#include <QTest>

using namespace sky::swf;
using swftest::Actions;

namespace {

const QColor red(255, 0, 0);
const QColor blue(0, 0, 255);

QImage drawn(const Actions &script)
{
    swftest::Movie m(8, 100, 100, 12);
    m.background(Qt::white);
    m.doAction(script.code()).showFrame();
    MoviePlayer player;
    if (!player.loadData(m.fws()))
        return {};
    return player.renderFrame();
}

} // namespace

class TestSwfDrawingApi : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void endFillClosesTheOutlineWithoutALine();
    void clearTakesBackDrawingAndLineStyle();
    void drawingLiesBelowTheClipsChildren();
};

void TestSwfDrawingApi::endFillClosesTheOutlineWithoutALine()
{
    Actions script;
    script.makeClip("_root", "c", 1);
    script.call("c", "lineStyle", {6, 0x000000, 100});
    script.call("c", "moveTo", {10, 10});
    script.call("c", "beginFill", {0xFF0000, 100});
    script.call("c", "lineTo", {90, 10});
    script.call("c", "lineTo", {90, 90});
    script.call("c", "endFill", {});
    const QImage frame = drawn(script);
    QCOMPARE(frame.pixelColor(75, 25), red);
    QCOMPARE(frame.pixelColor(25, 75), QColor(Qt::white));
    QCOMPARE(frame.pixelColor(90, 50), QColor(Qt::black)); // a line drawn
    QVERIFY(frame.pixelColor(45, 55) != QColor(Qt::black)); // the closing edge is not
}

void TestSwfDrawingApi::clearTakesBackDrawingAndLineStyle()
{
    Actions script;
    script.makeClip("_root", "c", 1);
    script.call("c", "lineStyle", {10, 0x0000FF, 100});
    script.call("c", "moveTo", {0, 50});
    script.call("c", "lineTo", {100, 50});
    script.call("c", "clear", {});
    script.call("c", "moveTo", {50, 0});
    script.call("c", "lineTo", {50, 100});
    const QImage frame = drawn(script);
    QCOMPARE(frame.pixelColor(20, 50), QColor(Qt::white));
    QCOMPARE(frame.pixelColor(50, 20), QColor(Qt::white));
}

void TestSwfDrawingApi::drawingLiesBelowTheClipsChildren()
{
    Actions script;
    script.makeClip("_root", "c", 1);
    script.makeClip("c", "k", 1);
    for (const auto &[path, colour] : {std::pair<QByteArray, int>{"c.k", 0x0000FF}, {"c", 0xFF0000}}) {
        script.call(path, "beginFill", {colour, 100});
        script.call(path, "moveTo", {20, 20});
        script.call(path, "lineTo", {80, 20});
        script.call(path, "lineTo", {80, 80});
        script.call(path, "lineTo", {20, 80});
        script.call(path, "endFill", {});
    }
    QCOMPARE(drawn(script).pixelColor(50, 50), blue);
}

QTEST_GUILESS_MAIN(TestSwfDrawingApi)
#include "tst_swfdrawingapi.moc"
