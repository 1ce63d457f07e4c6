// A clip's drawing methods: fills close where they began, clear takes
// everything back, and what a clip draws lies below its children; what
// scripts set of how clips are drawn: masks, scroll rects and backgrounds;
// and scripts' bitmaps shown in clips and drawn from them.

#include "swf/framecanvas.h"
#include "swf/movieplayer.h"
#include "swfwriter.h"

#include <QTest>

#include <functional>

using namespace sky::swf;
using namespace Qt::StringLiterals;
using swftest::Actions;

namespace {

const QColor red(255, 0, 0);
const QColor blue(0, 0, 255);

// What a 100 x 100 movie (SWF 8 unless told) running `a` on its first
// frame traces.
QStringList tracedBy(const Actions &a, int version = 8)
{
    swftest::Movie m(version, 100, 100, 12);
    m.doAction(a.code()).showFrame();
    MoviePlayer player;
    QStringList lines;
    player.setTraceSink([&lines](const QString &line) { lines << line; });
    return player.loadData(m.fws()) ? lines : QStringList{QStringLiteral("(not loaded)")};
}

// A red square over the whole stage in clip "c", a blue one in "m" from
// (20, 20) to (40, 40) above it.
Actions redUnderBlue()
{
    Actions a;
    a.makeClip("_root", "c", 1);
    a.makeClip("_root", "m", 2);
    a.fillSquare("c", 0xFF0000, 0, 0, 100);
    a.fillSquare("m", 0x0000FF, 20, 20, 20);
    return a;
}

// Pushes the arguments of a two-colour gradient call (type, colors,
// alphas, ratios, a box over the stage) and then `extra` strings, last
// first, with their count.
Actions &pushGradient(Actions &a, const QByteArray &type, int ratio0, int ratio1, const QList<QByteArray> &extra = {},
                      int alpha0 = 100)
{
    for (auto it = extra.rbegin(); it != extra.rend(); ++it)
        a.push(*it);
    a.push("matrixType").push("box").push("x").push(0).push("y").push(0).push("w").push(100).push("h").push(100);
    a.push("r").push(0).push(6).op(0x43);
    a.push(ratio1).push(ratio0).push(2).op(0x42);
    a.push(100).push(alpha0).push(2).op(0x42);
    a.push(0x0000FF).push(0xFF0000).push(2).op(0x42);
    a.push(type);
    return a.push(5 + int(extra.size()));
}

QImage drawn(const Actions &script, const RenderOptions &options = {})
{
    swftest::Movie m(8, 100, 100, 12);
    m.background(Qt::white);
    m.doAction(script.code()).showFrame();
    MoviePlayer player;
    if (!player.loadData(m.fws()))
        return {};
    return player.renderFrame(options);
}

// `name` = new flash.display.BitmapData(width, height, false, colour).
void newBitmap(Actions &a, const QByteArray &name, int width, int height, int colour)
{
    a.push(name).push(colour).push(0).push(height).push(width).push(4);
    a.push("flash").op(0x1C).push("display").op(0x4E).push("BitmapData").op(0x53).op(0x1D);
}

// Calls `method` of the object in variable `object` with the values pushed
// by `args`, which pushes `count` of them; the result is dropped.
template<typename Args>
void callOn(Actions &a, const QByteArray &object, const QByteArray &method, int count, Args args)
{
    args(a);
    a.push(count).push(object).op(0x1C).push(method).op(0x52).op(0x17);
}

} // namespace

class TestSwfDrawingApi : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void endFillClosesTheOutlineWithALine();
    void clearTakesBackDrawingAndLineStyle();
    void aDuplicateStartsFromTheDrawingAndDrawsOnByItself();
    void drawingLiesBelowTheClipsChildren();
    void drawingOnTheMainMovieLiesBelowItsClips();
    void aFillLeftOpenIsDrawnClosedWithItsLine();
    void miterJoinsReachTheirLimitTimesTheWidth();
    void gradientCallsThePlayerRefusesChangeNothing();
    void theWindowShadesGradientsAsTheReferenceDrawingDoes();
    void pointsAreCutToWholeTwips();
    void sizingAClipWithNothingInItShrinksItToNothing();
    void boundsOfAClipWithNothingInItLieFarOut();

    void aMaskShowsTheClipOnlyUnderItAndNotItself();
    void setMaskTakesAPathOrNull();
    void removingTheMaskUnmasksTheClip();
    void aScrollRectShowsPartOfTheClipAtItsOrigin();
    void aMasksScrollRectMovesItWithoutCuttingIt();
    void anOpaqueBackgroundFillsTheClipsBounds();

    void anAttachedBitmapShowsItsLaterChanges();
    void aClipDrawnIntoABitmap();
};

void TestSwfDrawingApi::endFillClosesTheOutlineWithALine()
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
    QCOMPARE(frame.pixelColor(50, 50), QColor(Qt::black)); // and the closing edge
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

void TestSwfDrawingApi::aDuplicateStartsFromTheDrawingAndDrawsOnByItself()
{
    // c draws a red square; d = c.duplicateMovieClip("d", 2) moves 50
    // pixels right and adds a blue square below.
    Actions script;
    script.makeClip("_root", "c", 1);
    script.fillSquare("c", 0xFF0000, 0, 0, 40);
    script.push(2).push("d").push(2).push("c").op(0x1C).push("duplicateMovieClip").op(0x52).op(0x17);
    script.push("d").op(0x1C).push("_x").push(50).op(0x4F);
    script.fillSquare("d", 0x0000FF, 0, 60, 20);
    const QImage frame = drawn(script);
    QCOMPARE(frame.pixelColor(20, 20), red);
    QCOMPARE(frame.pixelColor(70, 20), red);
    QCOMPARE(frame.pixelColor(60, 70), blue);
    QCOMPARE(frame.pixelColor(10, 70), QColor(Qt::white));
}

void TestSwfDrawingApi::drawingLiesBelowTheClipsChildren()
{
    Actions script;
    script.makeClip("_root", "c", 1);
    script.makeClip("c", "k", 1);
    for (const auto &[path, colour] : {std::pair<QByteArray, int>{"c.k", 0x0000FF}, {"c", 0xFF0000}})
        script.fillSquare(path, colour, 20, 20, 60);
    QCOMPARE(drawn(script).pixelColor(50, 50), blue);
}

void TestSwfDrawingApi::drawingOnTheMainMovieLiesBelowItsClips()
{
    Actions script;
    script.makeClip("_root", "c", 1);
    script.fillSquare("c", 0x0000FF, 20, 20, 20);
    script.fillSquare("_root", 0xFF0000, 0, 0, 100);
    const QImage frame = drawn(script);
    QCOMPARE(frame.pixelColor(70, 70), red);
    QCOMPARE(frame.pixelColor(30, 30), blue);
}

void TestSwfDrawingApi::aFillLeftOpenIsDrawnClosedWithItsLine()
{
    Actions script;
    script.makeClip("_root", "c", 1);
    script.call("c", "beginFill", {0xFF0000, 100});
    script.call("c", "lineStyle", {4, 0x000000, 100});
    script.call("c", "moveTo", {10, 10});
    script.call("c", "lineTo", {90, 10});
    script.call("c", "lineTo", {90, 90});
    const QImage frame = drawn(script);
    QCOMPARE(frame.pixelColor(75, 25), red);
    QCOMPARE(frame.pixelColor(50, 50), QColor(Qt::black));
}

void TestSwfDrawingApi::miterJoinsReachTheirLimitTimesTheWidth()
{
    // Limit 1 on 10-pixel lines: a right-angled join's tip lies 7.1 pixels
    // past the corner, within 10, and is drawn; a 28-degree join's would
    // lie 20.7 pixels past it and is bevelled.
    Actions script;
    script.makeClip("_root", "c", 1);
    callOn(script, "c", "lineStyle", 8, [](Actions &a) {
        a.push(1).push("miter").push("none").push("normal").push(0).push(100).push(0x000000).push(10);
    });
    script.call("c", "moveTo", {20, 70});
    script.call("c", "lineTo", {50, 40});
    script.call("c", "lineTo", {80, 70});
    script.call("c", "moveTo", {75, 95});
    script.call("c", "lineTo", {85, 55});
    script.call("c", "lineTo", {95, 95});
    const QImage frame = drawn(script);
    QCOMPARE(frame.pixelColor(50, 34), QColor(Qt::black));
    QCOMPARE(frame.pixelColor(50, 31), QColor(Qt::white));
    QCOMPARE(frame.pixelColor(85, 51), QColor(Qt::white));
    QCOMPARE(frame.pixelColor(85, 56), QColor(Qt::black));
}

void TestSwfDrawingApi::gradientCallsThePlayerRefusesChangeNothing()
{
    // A green fill begun, then beginGradientFill with what `push` pushes.
    const auto greenThen = [](const std::function<void(Actions &)> &push) {
        Actions script;
        script.makeClip("_root", "c", 1);
        script.call("c", "beginFill", {0x00FF00, 100});
        push(script);
        script.push("c").op(0x1C).push("beginGradientFill").op(0x52).op(0x17);
        for (const auto &[x, y] : {std::pair{0, 0}, {100, 0}, {100, 100}, {0, 100}})
            script.call("c", "lineTo", {x, y});
        return drawn(script);
    };
    const auto gradient = [&](const QByteArray &type, int ratio1, const QList<QByteArray> &extra = {}) {
        return greenThen([&](Actions &a) { pushGradient(a, type, 0, ratio1, extra); });
    };
    const QColor green(0, 255, 0);
    // A gradient replaces the fill: red on the left, blue on the right.
    const QImage linear = gradient("linear", 255);
    QVERIFY(linear.pixelColor(2, 50).red() > 240 && linear.pixelColor(97, 50).blue() > 240);
    // Refused: a ratio past 255, an unknown type, a ninth argument.
    QCOMPARE(gradient("linear", 256).pixelColor(50, 50), green);
    QCOMPARE(gradient("LINEAR", 255).pixelColor(50, 50), green);
    QCOMPARE(gradient("linear", 255, {"pad", "RGB", "0", "x"}).pixelColor(50, 50), green);
    // Without a type the fill ends.
    QCOMPARE(greenThen([](Actions &a) { a.push(0); }).pixelColor(50, 50), QColor(Qt::white));
}

void TestSwfDrawingApi::theWindowShadesGradientsAsTheReferenceDrawingDoes()
{
    // From a transparent red to blue; and a linear-RGB radial one whose
    // two stops share a ratio, red inside and blue outside.
    const auto square = [](const std::function<void(Actions &)> &push) {
        Actions script;
        script.makeClip("_root", "c", 1);
        push(script);
        script.push("c").op(0x1C).push("beginGradientFill").op(0x52).op(0x17);
        script.call("c", "moveTo", {0, 0});
        for (const auto &[x, y] : {std::pair{100, 0}, {100, 100}, {0, 100}, {0, 0}})
            script.call("c", "lineTo", {x, y});
        return script;
    };
    const Actions fading = square([](Actions &a) { pushGradient(a, "linear", 0, 255, {}, 0); });
    const Actions sharp = square([](Actions &a) { pushGradient(a, "radial", 100, 100, {"pad", "linearRGB"}); });
    RenderOptions window;
    window.supersample = false;
    for (const Actions &script : {fading, sharp}) {
        const QImage reference = drawn(script), shown = drawn(script, window);
        for (const QPoint at : {QPoint(25, 50), QPoint(50, 50), QPoint(75, 50), QPoint(5, 5)}) {
            const QColor a = reference.pixelColor(at), b = shown.pixelColor(at);
            QVERIFY2(qAbs(a.red() - b.red()) <= 8 && qAbs(a.blue() - b.blue()) <= 8,
                     qPrintable(u"at %1,%2: %3 against %4"_s.arg(at.x()).arg(at.y()).arg(b.name(), a.name())));
        }
    }
}

void TestSwfDrawingApi::pointsAreCutToWholeTwips()
{
    // c fills a square 10.06 pixels wide, 201.2 twips, d one 0.04 pixels
    // wide, under a twip; each traces its _width.
    Actions a;
    for (const auto &[name, side] : {std::pair<QByteArray, QByteArray>{"c", "10.06"}, {"d", "0.04"}}) {
        a.makeClip("_root", name, name == "c" ? 1 : 2);
        a.call(name, "beginFill", {0xFF0000, 100});
        const std::pair<QByteArray, QByteArray> corners[] = {{"0", "0"}, {side, "0"}, {side, side}, {"0", side}};
        for (const auto &corner : corners)
            callOn(a, name, &corner == &corners[0] ? "moveTo" : "lineTo", 2,
                   [&corner](Actions &args) { args.push(corner.second).push(corner.first); });
        a.call(name, "endFill", {});
        a.push(name).op(0x1C).push("_width").op(0x4E).op(0x26);
    }
    QCOMPARE(tracedBy(a), (QStringList{u"10.05"_s, u"0"_s}));
}

void TestSwfDrawingApi::boundsOfAClipWithNothingInItLieFarOut()
{
    // Empty clip c traces getBounds().xMin, getBounds(_root).yMax and
    // getRect("nothing"), a clip that is not there.
    Actions a;
    a.makeClip("_root", "c", 1);
    const auto traceEdge = [&a](const QByteArray &space, const QByteArray &edge) {
        if (!space.isEmpty())
            a.push(space).op(0x1C);
        a.push(space.isEmpty() ? 0 : 1).push("c").op(0x1C).push("getBounds").op(0x52).push(edge).op(0x4E).op(0x26);
    };
    traceEdge({}, "xMin");
    traceEdge("_root", "yMax");
    a.push("nothing").push(1).push("c").op(0x1C).push("getRect").op(0x52).op(0x26);
    // The largest twips value; from SWF 8 on, in another clip's space one
    // twip more.
    QCOMPARE(tracedBy(a, 7), (QStringList{u"6710886.35"_s, u"6710886.35"_s, u"undefined"_s}));
    QCOMPARE(tracedBy(a), (QStringList{u"6710886.35"_s, u"6710886.4"_s, u"undefined"_s}));
}

void TestSwfDrawingApi::sizingAClipWithNothingInItShrinksItToNothing()
{
    // c._width = 50 while c is empty; c then fills a 20 x 10 rectangle and
    // traces its size, is given a _width of 40 and traces it, then a
    // _height of 30.
    Actions a;
    a.makeClip("_root", "c", 1);
    a.push("c").op(0x1C).push("_width").push(50).op(0x4F);
    a.call("c", "beginFill", {0xFF0000, 100});
    for (const auto &[x, y] : {std::pair{0, 0}, {20, 0}, {20, 10}, {0, 10}})
        a.call("c", x == 0 && y == 0 ? "moveTo" : "lineTo", {x, y});
    a.call("c", "endFill", {});
    const auto traceSize = [&a] {
        for (const char *size : {"_width", "_height"})
            a.push("c").op(0x1C).push(size).op(0x4E).op(0x26);
    };
    traceSize();
    a.push("c").op(0x1C).push("_width").push(40).op(0x4F);
    traceSize();
    a.push("c").op(0x1C).push("_height").push(30).op(0x4F);
    traceSize();
    QCOMPARE(tracedBy(a), (QStringList{u"0"_s, u"0"_s, u"40"_s, u"0"_s, u"40"_s, u"30"_s}));
}

void TestSwfDrawingApi::aMaskShowsTheClipOnlyUnderItAndNotItself()
{
    Actions script = redUnderBlue();
    script.push("m").op(0x1C);
    script.callWithPushed("c", "setMask");
    const QImage frame = drawn(script);
    QCOMPARE(frame.pixelColor(30, 30), red);
    QCOMPARE(frame.pixelColor(70, 70), QColor(Qt::white));
    QCOMPARE(frame.pixelColor(10, 10), QColor(Qt::white));
}

void TestSwfDrawingApi::setMaskTakesAPathOrNull()
{
    // c.setMask(<first>), then c.setMask(<second>) when given.
    const auto masked = [](const std::function<void(Actions &)> &first,
                           const std::function<void(Actions &)> &second = {}) {
        Actions script = redUnderBlue();
        first(script);
        script.callWithPushed("c", "setMask");
        if (second) {
            second(script);
            script.callWithPushed("c", "setMask");
        }
        return drawn(script);
    };
    const auto clipM = [](Actions &a) { a.push("m").op(0x1C); };
    // A target path masks as the clip does.
    QImage frame = masked([](Actions &a) { a.push("_root.m"); });
    QCOMPARE(frame.pixelColor(30, 30), red);
    QCOMPARE(frame.pixelColor(70, 70), QColor(Qt::white));
    // A path naming no clip keeps the mask.
    frame = masked(clipM, [](Actions &a) { a.push("nothing"); });
    QCOMPARE(frame.pixelColor(30, 30), red);
    QCOMPARE(frame.pixelColor(70, 70), QColor(Qt::white));
    // null takes it away.
    frame = masked(clipM, [](Actions &a) { a.pushNull(); });
    QCOMPARE(frame.pixelColor(30, 30), blue);
    QCOMPARE(frame.pixelColor(70, 70), red);
}

void TestSwfDrawingApi::removingTheMaskUnmasksTheClip()
{
    Actions script = redUnderBlue();
    script.push("m").op(0x1C);
    script.callWithPushed("c", "setMask");
    script.call("m", "removeMovieClip", {});
    const QImage frame = drawn(script);
    QCOMPARE(frame.pixelColor(30, 30), red);
    QCOMPARE(frame.pixelColor(70, 70), red);
}

void TestSwfDrawingApi::aScrollRectShowsPartOfTheClipAtItsOrigin()
{
    Actions script;
    script.makeClip("_root", "c", 1);
    script.fillSquare("c", 0xFF0000, 50, 50, 40);
    // c.scrollRect = new flash.geom.Rectangle(40, 40, 30, 30)
    script.push("c").op(0x1C).push("scrollRect");
    script.push(30).push(30).push(40).push(40).push(4);
    script.push("flash").op(0x1C).push("geom").op(0x4E).push("Rectangle").op(0x53).op(0x4F);
    const QImage frame = drawn(script);
    QCOMPARE(frame.pixelColor(5, 5), QColor(Qt::white)); // (45, 45) of the clip
    QCOMPARE(frame.pixelColor(20, 20), red);
    QCOMPARE(frame.pixelColor(35, 35), QColor(Qt::white)); // past the rectangle
    QCOMPARE(frame.pixelColor(60, 60), QColor(Qt::white));
}

void TestSwfDrawingApi::aMasksScrollRectMovesItWithoutCuttingIt()
{
    // m.k is a blue square from (20, 20) to (40, 40), scrolled by (10, 10)
    // through a 5 x 5 rectangle; m masks the red square of c.
    Actions script;
    script.makeClip("_root", "c", 1);
    script.makeClip("_root", "m", 2);
    script.makeClip("m", "k", 1);
    script.fillSquare("c", 0xFF0000, 0, 0, 100);
    script.fillSquare("m.k", 0x0000FF, 20, 20, 20);
    script.push("m").op(0x1C).push("k").op(0x4E).push("scrollRect");
    script.push(5).push(5).push(10).push(10).push(4);
    script.push("flash").op(0x1C).push("geom").op(0x4E).push("Rectangle").op(0x53).op(0x4F);
    script.push("m").op(0x1C);
    script.callWithPushed("c", "setMask");
    const QImage frame = drawn(script);
    QCOMPARE(frame.pixelColor(12, 12), red);
    QCOMPARE(frame.pixelColor(28, 28), red); // past the scroll rect
    QCOMPARE(frame.pixelColor(32, 32), QColor(Qt::white));
}

void TestSwfDrawingApi::anOpaqueBackgroundFillsTheClipsBounds()
{
    Actions script;
    script.makeClip("_root", "c", 1);
    script.call("c", "lineStyle", {2, 0xFF0000, 100});
    script.call("c", "moveTo", {20, 20});
    script.call("c", "lineTo", {80, 80});
    script.push("c").op(0x1C).push("opaqueBackground").push(0x00FF00).op(0x4F);
    const QImage frame = drawn(script);
    QCOMPARE(frame.pixelColor(70, 30), QColor(0, 255, 0));
    QCOMPARE(frame.pixelColor(50, 50), red);
    QCOMPARE(frame.pixelColor(90, 90), QColor(Qt::white));
    // Half a pixel further, the bounds (19.5 to 81.5) hold the centres of
    // pixels 19 to 80, as a fill's edges would.
    script.push("c").op(0x1C).push("_x").push("0.5").op(0x4F);
    const QImage moved = drawn(script);
    QCOMPARE(moved.pixelColor(19, 50), QColor(0, 255, 0));
    QCOMPARE(moved.pixelColor(81, 50), QColor(Qt::white));
}

// The window repaints what changed: a bitmap changed after it was
// attached is a change.
void TestSwfDrawingApi::anAttachedBitmapShowsItsLaterChanges()
{
    Actions first;
    first.makeClip("_root", "c", 1);
    newBitmap(first, "b", 20, 20, 0xFF0000);
    callOn(first, "c", "attachBitmap", 2, [](Actions &a) { a.push(1).push("b").op(0x1C); });
    first.push("c").op(0x1C).push("_x").push(30).op(0x4F);
    Actions second;
    callOn(second, "b", "setPixel", 3, [](Actions &a) { a.push(0x0000FF).push(5).push(5); });
    swftest::Movie m(8, 100, 100, 12);
    m.background(Qt::white);
    m.doAction(first.code()).showFrame().doAction(second.code()).stopAction().showFrame();
    MoviePlayer player;
    QVERIFY(player.loadData(m.fws()));
    FrameCanvas canvas;
    const RenderOptions exact{false};
    QCOMPARE(canvas.paint(player, QSize(100, 100), 1, exact).pixelColor(35, 15), red);
    QCOMPARE(canvas.paint(player, QSize(100, 100), 1, exact).pixelColor(55, 5), QColor(Qt::white));
    player.play();
    player.tick();
    const QImage &after = canvas.paint(player, QSize(100, 100), 1, exact);
    QCOMPARE(after.pixelColor(35, 5), blue);
    QCOMPARE(after.pixelColor(36, 5), red);
    QVERIFY(canvas.repainted().contains(QPoint(35, 5)));
}

// draw() puts a clip's drawing into a bitmap through a matrix, without the
// clip's own position.
void TestSwfDrawingApi::aClipDrawnIntoABitmap()
{
    Actions script;
    script.makeClip("_root", "c", 1);
    script.fillSquare("c", 0x0000FF, 0, 0, 10);
    script.push("c").op(0x1C).push("_x").push(80).op(0x4F);
    script.makeClip("_root", "shown", 2);
    newBitmap(script, "b", 40, 40, 0xFF0000);
    // b.draw(c, new flash.geom.Matrix(2, 0, 0, 2, 5, 5))
    callOn(script, "b", "draw", 2, [](Actions &a) {
        a.push(5).push(5).push(2).push(0).push(0).push(2).push(6);
        a.push("flash").op(0x1C).push("geom").op(0x4E).push("Matrix").op(0x53);
        a.push("c").op(0x1C);
    });
    callOn(script, "shown", "attachBitmap", 2, [](Actions &a) { a.push(1).push("b").op(0x1C); });
    const QImage frame = drawn(script);
    QCOMPARE(frame.pixelColor(2, 2), red);
    QCOMPARE(frame.pixelColor(10, 10), blue);
    QCOMPARE(frame.pixelColor(24, 24), blue);
    QCOMPARE(frame.pixelColor(26, 26), red);
    QCOMPARE(frame.pixelColor(85, 5), blue); // the clip itself
}

QTEST_GUILESS_MAIN(TestSwfDrawingApi)
#include "tst_swfdrawingapi.moc"
