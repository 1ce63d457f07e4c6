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

// Calls `method` of the clip at `path` with number arguments.
Actions &call(Actions &a, const QByteArray &path, const QByteArray &method, std::initializer_list<int> args)
{
    for (auto it = std::rbegin(args); it != std::rend(args); ++it)
        a.push(*it);
    a.push(int(args.size())).push(path).op(0x1C).push(method).op(0x52).op(0x17);
    return a;
}

// Makes an empty clip `name` at `depth` inside the clip at `path`.
Actions &makeClip(Actions &a, const QByteArray &path, const QByteArray &name, int depth)
{
    a.push(depth).push(name).push(2).push(path).op(0x1C).push("createEmptyMovieClip").op(0x52).op(0x17);
    return a;
}

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
    makeClip(script, "_root", "c", 1);
    call(script, "c", "lineStyle", {6, 0x000000, 100});
    call(script, "c", "moveTo", {10, 10});
    call(script, "c", "beginFill", {0xFF0000, 100});
    call(script, "c", "lineTo", {90, 10});
    call(script, "c", "lineTo", {90, 90});
    call(script, "c", "endFill", {});
    const QImage frame = drawn(script);
    QCOMPARE(frame.pixelColor(75, 25), red);
    QCOMPARE(frame.pixelColor(25, 75), QColor(Qt::white));
    QCOMPARE(frame.pixelColor(90, 50), QColor(Qt::black)); // a line drawn
    QVERIFY(frame.pixelColor(45, 55) != QColor(Qt::black)); // the closing edge is not
}

void TestSwfDrawingApi::clearTakesBackDrawingAndLineStyle()
{
    Actions script;
    makeClip(script, "_root", "c", 1);
    call(script, "c", "lineStyle", {10, 0x0000FF, 100});
    call(script, "c", "moveTo", {0, 50});
    call(script, "c", "lineTo", {100, 50});
    call(script, "c", "clear", {});
    call(script, "c", "moveTo", {50, 0});
    call(script, "c", "lineTo", {50, 100});
    const QImage frame = drawn(script);
    QCOMPARE(frame.pixelColor(20, 50), QColor(Qt::white));
    QCOMPARE(frame.pixelColor(50, 20), QColor(Qt::white));
}

void TestSwfDrawingApi::drawingLiesBelowTheClipsChildren()
{
    Actions script;
    makeClip(script, "_root", "c", 1);
    makeClip(script, "c", "k", 1);
    for (const auto &[path, colour] : {std::pair<QByteArray, int>{"c.k", 0x0000FF}, {"c", 0xFF0000}}) {
        call(script, path, "beginFill", {colour, 100});
        call(script, path, "moveTo", {20, 20});
        call(script, path, "lineTo", {80, 20});
        call(script, path, "lineTo", {80, 80});
        call(script, path, "lineTo", {20, 80});
        call(script, path, "endFill", {});
    }
    QCOMPARE(drawn(script).pixelColor(50, 50), blue);
}

QTEST_GUILESS_MAIN(TestSwfDrawingApi)
#include "tst_swfdrawingapi.moc"
