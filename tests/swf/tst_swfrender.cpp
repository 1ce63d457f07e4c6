// Drawing: fills, lines, bitmaps and masks land at the right pixels in the
// right colours, and the stage is scaled to fit.

#include "rendercheck.h"

#include "swf/bitreader.h"
#include "swf/edittext.h"
#include "swf/movieplayer.h"

#include <QBuffer>
#include <QPainter>
#include <QTest>

#include <cmath>
#include <numbers>

using namespace sky::swf;
using swftest::Edges;
using swftest::near;
using swftest::render;

namespace {

const QRect stageTwips(0, 0, 2000, 2000); // 100 x 100 pixels

swftest::Movie stage()
{
    swftest::Movie m(8, 100, 100);
    m.background(Qt::white);
    return m;
}

} // namespace

class TestSwfRender : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void solidFillsTakeTheSideTheirEdgesGive();
    void gradientsRunFromFirstToLastStop();
    void bitmapFillsRepeatAndScale();
    void linesAreDrawnOverFillsWithTheirWidth();
    void enlargedCurvesStayRound();
    void masksClipTheDepthsUpToTheirClipDepth();
    void firstButtonsTakeTheColourOfTheirTransformTag();
    void textDrawsFontGlyphsAtTheirHeight();
    void fieldBordersFrameThePixelsTheirBoxCovers();
    void morphShapesFollowTheirRatio();
    void stageIsScaledToShowAll();
};

void TestSwfRender::solidFillsTakeTheSideTheirEdgesGive()
{
    // Left half red, right half blue; the shared edge runs downwards with
    // blue on its left (fill0) and red on its right (fill1).
    const QByteArray edges = Edges()
                                 .style(0, 1, 0).moveTo(0, 0).line(1000, 0)
                                 .style(0, 2, 0).line(1000, 0).line(0, 1000).line(-1000, 0)
                                 .style(0, 1, 0).line(-1000, 0).line(0, -1000)
                                 .style(2, 1, 0).moveTo(1000, 0).line(0, 1000)
                                 .end();
    swftest::Movie m = stage();
    m.shape(1, 1, QRect(0, 0, 2000, 1000), {swftest::solidFill(Qt::red, false), swftest::solidFill(Qt::blue, false)},
            {}, edges);
    m.place(1, 1, 0, 400).showFrame();
    const QImage image = render(m);
    QCOMPARE(image.size(), QSize(100, 100));
    QCOMPARE(image.pixel(10, 40), qRgb(255, 0, 0));
    QCOMPARE(image.pixel(49, 40), qRgb(255, 0, 0));
    QCOMPARE(image.pixel(50, 40), qRgb(0, 0, 255));
    QCOMPARE(image.pixel(90, 60), qRgb(0, 0, 255));
    // The matrix moved it 20 pixels down: above and below stay white.
    QCOMPARE(image.pixel(10, 19), qRgb(255, 255, 255));
    QCOMPARE(image.pixel(10, 20), qRgb(255, 0, 0));
    QCOMPARE(image.pixel(10, 70), qRgb(255, 255, 255));

    // A square as some converters write it: every side has the fill on
    // its fill0 side, but the right one runs down while the others run
    // round. An even-odd fill is where its edges are crossed an odd number
    // of times, whichever way they run.
    swftest::Movie sides = stage();
    sides.shape(1, 1, stageTwips, {swftest::solidFill(Qt::green, false)}, {},
                Edges().style(1, 0, 0).moveTo(2000, 0).line(-2000, 0).line(0, 2000)
                    .moveTo(2000, 0).line(0, 2000).moveTo(0, 2000).line(2000, 0).end());
    sides.place(1, 1).showFrame();
    const QImage square = render(sides);
    for (const QPoint p : {QPoint(10, 10), QPoint(90, 10), QPoint(10, 90), QPoint(90, 90)})
        QCOMPARE(square.pixel(p), qRgb(0, 255, 0));

    // DefineShape3 colours carry alpha.
    swftest::Movie half = stage();
    half.shape(1, 3, stageTwips, {swftest::solidFill(QColor(0, 0, 0, 128), true)}, {},
               Edges().rect(stageTwips, 1).end());
    half.place(1, 1).showFrame();
    QVERIFY(near(render(half).pixel(50, 50), qRgb(127, 127, 127), 1));
}

void TestSwfRender::gradientsRunFromFirstToLastStop()
{
    // The gradient square scaled to the 100-pixel stage, centred.
    const double scale = 2000.0 / 32768;
    for (int type : {0x10, 0x12}) {
        swftest::Movie m = stage();
        m.shape(1, 2, stageTwips,
                {swftest::gradientFill(type, scale, 1000, 1000, {{0, Qt::black}, {255, QColor(0, 255, 0)}})}, {},
                Edges().rect(stageTwips, 1).end());
        m.place(1, 1).showFrame();
        const QImage image = render(m);
        if (type == 0x10) {
            QVERIFY(near(image.pixel(0, 50), qRgb(0, 0, 0), 4));
            QVERIFY(near(image.pixel(50, 10), qRgb(0, 128, 0), 4));
            QVERIFY(near(image.pixel(99, 90), qRgb(0, 255, 0), 4));
        } else {
            QVERIFY(near(image.pixel(50, 50), qRgb(0, 0, 0), 4));
            QVERIFY(near(image.pixel(75, 50), qRgb(0, 128, 0), 4));
            QVERIFY(near(image.pixel(1, 1), qRgb(0, 255, 0), 1)); // padded past the end
        }
    }

    // Stops out of order: a position takes its colour from the first stop,
    // in the order given, at or past it. Past green at 128 the blue stop at
    // 64 only starts the way to red at 192, already three quarters gone at
    // ratio 160, in the reference drawing and in the window alike.
    swftest::Movie m = stage();
    m.shape(1, 2, stageTwips,
            {swftest::gradientFill(0x10, scale, 1000, 1000,
                                   {{0, Qt::black}, {128, QColor(0, 255, 0)}, {64, Qt::blue}, {192, Qt::red}})},
            {}, Edges().rect(stageTwips, 1).end());
    m.place(1, 1).showFrame();
    MoviePlayer player;
    QVERIFY(player.loadData(m.fws()));
    for (const QImage &image : {render(m), swftest::drawnWhole(player, QSize(100, 100), swftest::windowQuality())}) {
        QVERIFY(near(image.pixel(40, 50), qRgb(0, 204, 0), 8));
        QVERIFY(near(image.pixel(62, 50), qRgb(190, 0, 65), 8));
        QVERIFY(near(image.pixel(90, 50), qRgb(255, 0, 0), 1));
    }
}

void TestSwfRender::bitmapFillsRepeatAndScale()
{
    // 2 x 2 bitmap, each of its pixels 10 stage pixels, repeated; clipped,
    // past its edges it goes on in its edge pixels.
    for (const bool clipped : {false, true}) {
        swftest::Movie m = stage();
        m.bitmap(5, 2, 2, {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255), qRgb(255, 255, 0)});
        m.shape(1, 2, stageTwips, {swftest::bitmapFill(5, clipped, 200, 0, 0)}, {}, Edges().rect(stageTwips, 1).end());
        m.place(1, 1).showFrame();
        const QImage image = render(m);
        QCOMPARE(image.pixel(5, 5), qRgb(255, 0, 0));
        QCOMPARE(image.pixel(15, 5), qRgb(0, 255, 0));
        QCOMPARE(image.pixel(5, 15), qRgb(0, 0, 255));
        QCOMPARE(image.pixel(15, 15), qRgb(255, 255, 0));
        QCOMPARE(image.pixel(25, 25), clipped ? qRgb(255, 255, 0) : qRgb(255, 0, 0));
        QCOMPARE(image.pixel(95, 85), clipped ? qRgb(255, 255, 0) : qRgb(0, 255, 0));
        QCOMPARE(image.pixel(60, 5), clipped ? qRgb(0, 255, 0) : qRgb(255, 0, 0));
    }

    // A bitmap at its own size lands on whole pixels wherever it is put:
    // a 4 x 4 one moved 2.25 pixels shows its pixels whole.
    swftest::Movie shifted = stage();
    std::vector<QRgb> checks;
    for (int i = 0; i < 16; ++i)
        checks.push_back((i + i / 4) % 2 ? qRgb(0, 0, 0) : qRgb(255, 0, 0));
    shifted.bitmap(5, 4, 4, checks);
    shifted.shape(1, 2, stageTwips, {swftest::bitmapFill(5, false, 20, 45, 45)}, {}, Edges().rect(stageTwips, 1).end());
    shifted.place(1, 1).showFrame();
    for (const bool smooth : {false, true}) {
        const QImage moved = render(shifted, smooth);
        QCOMPARE(moved.pixel(2, 2), qRgb(255, 0, 0));
        QCOMPARE(moved.pixel(3, 2), qRgb(0, 0, 0));
        QCOMPARE(moved.pixel(3, 3), qRgb(255, 0, 0));
    }

    // The colours of a JPEG with an alpha plane are already multiplied by
    // it: grey 200 at alpha 100 over black shows as 100.
    QImage grey(8, 8, QImage::Format_RGB32);
    grey.fill(qRgb(200, 200, 200));
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    QVERIFY(grey.save(&buffer, "JPG", 100));
    swftest::Movie faded(8, 100, 100);
    faded.background(Qt::black);
    faded.jpegWithAlpha(5, jpeg, QByteArray(64, char(100)));
    faded.shape(1, 2, stageTwips, {swftest::bitmapFill(5, false, 200, 0, 0)}, {}, Edges().rect(stageTwips, 1).end());
    faded.place(1, 1).showFrame();
    QVERIFY(near(render(faded).pixel(40, 40), qRgb(100, 100, 100), 3));
}

void TestSwfRender::linesAreDrawnOverFillsWithTheirWidth()
{
    const QRect box(400, 400, 1200, 1200); // 20..80 pixels
    swftest::Movie m = stage();
    m.shape(1, 1, stageTwips, {swftest::solidFill(Qt::yellow, false)}, {swftest::lineStyle(200, Qt::black, false)},
            Edges().rect(box, 1, 1).end());
    m.place(1, 1).showFrame();
    const QImage image = render(m);
    // 10 pixels wide, centred on the outline at 20 and 80.
    QCOMPARE(image.pixel(16, 50), qRgb(0, 0, 0));
    QCOMPARE(image.pixel(24, 50), qRgb(0, 0, 0));
    QCOMPARE(image.pixel(50, 83), qRgb(0, 0, 0));
    QCOMPARE(image.pixel(13, 50), qRgb(255, 255, 255));
    QCOMPARE(image.pixel(27, 50), qRgb(255, 255, 0));
    QCOMPARE(image.pixel(50, 50), qRgb(255, 255, 0));

    // Round caps are discs of quadratic arcs cut into straight pieces as a
    // shape's curves are: the centre of (50, 50) lies 199.1 twips from the
    // end of a line 400 wide, 22.4 degrees off its direction, inside the
    // true circle but outside the pieces of the arc from 0 to 45 degrees.
    const auto oneLine = [](int width, const QColor &colour, const QByteArray &edges) {
        swftest::Movie line = stage();
        line.shape(1, 1, stageTwips, {}, {swftest::lineStyle(width, colour, false)}, edges);
        line.place(1, 1).showFrame();
        return render(line);
    };
    const QImage cap = oneLine(400, Qt::black, Edges().style(0, 0, 1).moveTo(26, 934).line(800, 0).end());
    QCOMPARE(cap.pixel(49, 50), qRgb(0, 0, 0));
    QCOMPARE(cap.pixel(50, 50), qRgb(255, 255, 255));

    // A hairline (width 0) still shows as one pixel.
    const QImage hair = oneLine(0, Qt::red, Edges().style(0, 0, 1).moveTo(0, 1010).line(2000, 0).end());
    QCOMPARE(hair.pixel(50, 50), qRgb(255, 0, 0));
    QCOMPARE(hair.pixel(50, 48), qRgb(255, 255, 255));
    // Its curves are cut into the straight pieces of a line's centre, as
    // wider lines' are: on this arch, whose pieces end on the curve, the
    // band holds the centres of (11, 31) and (88, 31).
    const QImage arch = oneLine(0, Qt::red, Edges().style(0, 0, 1).moveTo(0, 400).curve(1000, 1200, 1000, -1200).end());
    QCOMPARE(arch.pixel(11, 31), qRgb(255, 0, 0));
    QCOMPARE(arch.pixel(88, 31), qRgb(255, 0, 0));
    QCOMPARE(arch.pixel(11, 30), qRgb(255, 255, 255));

    // Lines kept from scaling one way take the object's scale the other
    // way; kept from both, they keep their width. Horizontal 1-pixel lines
    // on an object stretched 3 times across and 6 times down.
    swftest::Movie flags = stage();
    const std::vector<std::pair<bool, bool>> kept{{true, false}, {false, true}, {true, true}};
    for (int i = 0; i < 3; ++i) {
        flags.shape(i + 1, 4, QRect(0, 0, 500, 100),
                    {}, {swftest::lineStyle2(20, Qt::black, kept[i].first, kept[i].second)},
                    Edges().style(0, 0, 1).moveTo(0, 0).line(500, 0).end());
        flags.placeScaled(i + 1, i + 1, 3, 6, 100, 400 + 500 * i);
    }
    flags.showFrame();
    const QImage widths = render(flags);
    const auto thickness = [&widths](int centreY) {
        int rows = 0;
        for (int y = centreY - 10; y <= centreY + 10; ++y)
            rows += widths.pixel(40, y) == qRgb(0, 0, 0);
        return rows;
    };
    QCOMPARE(thickness(20), 6);
    QCOMPARE(thickness(45), 3);
    QCOMPARE(thickness(70), 1);

    // A line that scales is stretched with its object: one pixel wide on an
    // object stretched 3 times across and 6 times down, its horizontal
    // part is 6 rows thick and its vertical part 3 columns wide.
    swftest::Movie stretched = stage();
    stretched.shape(1, 1, QRect(0, 0, 500, 500), {}, {swftest::lineStyle(20, Qt::black, false)},
                    Edges().style(0, 0, 1).moveTo(0, 100).line(500, 0).moveTo(100, 200).line(0, 100).end());
    stretched.placeScaled(1, 1, 3, 6, 0, 0);
    stretched.showFrame();
    const QImage corner = render(stretched);
    int rows = 0;
    int columns = 0;
    for (int k = 0; k < 50; ++k) {
        rows += corner.pixel(40, k) == qRgb(0, 0, 0);
        columns += corner.pixel(k, 75) == qRgb(0, 0, 0);
    }
    QCOMPARE(rows, 6);
    QCOMPARE(columns, 3);
}

// A circle of eight quadratic arcs, 5 pixels across in its own space,
// blown up 16 times: its fill and its line follow the true circle of 80
// pixels to within a pixel all the way round, at either quality.
void TestSwfRender::enlargedCurvesStayRound()
{
    constexpr int radius = 100; // twips
    constexpr double scale = 16;
    constexpr double shown = radius * scale / 20; // pixels
    const double step = std::numbers::pi / 4;
    const auto at = [](double length, double angle) {
        return QPoint(int(std::lround(length * std::cos(angle))), int(std::lround(length * std::sin(angle))));
    };
    // Filled in red, or outlined by a black line 20 twips wide; the centre
    // on the stage's corner, so that a quarter of the circle shows.
    const auto drawn = [&](bool filled, bool smooth) {
        Edges circle;
        circle.style(0, filled ? 1 : 0, filled ? 0 : 1).moveTo(radius, 0);
        for (int k = 0; k < 8; ++k) {
            const QPoint from = at(radius, k * step);
            const QPoint control = at(radius / std::cos(step / 2), (k + 0.5) * step);
            const QPoint to = at(radius, (k + 1) * step);
            circle.curve(control.x() - from.x(), control.y() - from.y(), to.x() - control.x(), to.y() - control.y());
        }
        swftest::Movie m = stage();
        m.shape(1, 1, QRect(-radius, -radius, 2 * radius, 2 * radius), {swftest::solidFill(Qt::red, false)},
                {swftest::lineStyle(20, Qt::black, false)}, circle.end());
        m.placeScaled(1, 1, scale, scale, 0, 0).showFrame();
        return render(m, smooth);
    };
    // Every pixel a pixel's width or more from an edge of the true circle
    // takes one colour whole.
    for (const bool smooth : {false, true}) {
        const QImage fill = drawn(true, smooth);
        const QImage ring = drawn(false, smooth); // 16 pixels wide
        for (int y = 0; y < fill.height(); ++y) {
            for (int x = 0; x < fill.width(); ++x) {
                const double fromEdge = std::hypot(x + 0.5, y + 0.5) - shown;
                if (std::abs(fromEdge) >= 1)
                    QCOMPARE(fill.pixel(x, y), fromEdge < 0 ? qRgb(255, 0, 0) : qRgb(255, 255, 255));
                if (std::abs(std::abs(fromEdge) - 8) >= 1)
                    QCOMPARE(ring.pixel(x, y), std::abs(fromEdge) < 8 ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
            }
        }
    }
}

void TestSwfRender::masksClipTheDepthsUpToTheirClipDepth()
{
    swftest::Movie m = stage();
    m.shape(1, 1, stageTwips, {swftest::solidFill(Qt::black, false)}, {},
            Edges().rect(QRect(0, 0, 1000, 2000), 1).end()); // left half
    m.shape(2, 1, stageTwips, {swftest::solidFill(Qt::red, false)}, {}, Edges().rect(stageTwips, 1).end());
    m.shape(3, 1, stageTwips, {swftest::solidFill(Qt::green, false)}, {},
            Edges().rect(QRect(0, 1500, 2000, 500), 1).end()); // bottom quarter
    m.placeMask(1, 1, 2).place(2, 2).place(3, 3).showFrame();
    const QImage image = render(m);
    QCOMPARE(image.pixel(20, 20), qRgb(255, 0, 0));     // masked content
    QCOMPARE(image.pixel(80, 20), qRgb(255, 255, 255)); // outside the mask
    QCOMPARE(image.pixel(80, 90), qRgb(0, 255, 0));     // above the clip depth
    QCOMPARE(image.pixel(20, 90), qRgb(0, 255, 0));
}

void TestSwfRender::firstButtonsTakeTheColourOfTheirTransformTag()
{
    // A DefineButton whose up state is a red square, and a
    // DefineButtonCxform that takes the red away and adds full blue.
    swftest::Movie m = stage();
    m.shape(1, 1, stageTwips, {swftest::solidFill(Qt::red, false)}, {}, Edges().rect(stageTwips, 1).end());
    m.tag(7, swftest::Bits().u16(2).u8(1).u16(1).u16(1).matrix().flush().u8(0).u8(0).data());
    m.tag(23, swftest::Bits().u16(2).ub(1, 1).ub(1, 1).ub(4, 10).sb(10, 0).sb(10, 256).sb(10, 256)
                  .sb(10, 0).sb(10, 0).sb(10, 255).flush().data());
    m.place(1, 2).showFrame();
    QCOMPARE(render(m).pixel(50, 50), qRgb(0, 0, 255));
}

void TestSwfRender::textDrawsFontGlyphsAtTheirHeight()
{
    // Glyph 0: a box filling the em square's left half; glyph 1: nothing.
    const QByteArray box = Edges().style(0, 1, 0).moveTo(0, -1024).line(512, 0).line(0, 1024).line(-512, 0)
                               .line(0, -1024).end();
    swftest::Movie m = stage();
    m.font(1, {box, Edges().end()});
    // 400-twip (20-pixel) glyphs on the baseline y = 60 px, 20 px apart.
    m.text(2, 1, 400, Qt::blue, 200, 1200, {{0, 400}, {1, 400}, {0, 400}});
    m.place(1, 2).showFrame();
    const QImage image = render(m);
    QCOMPARE(image.pixel(15, 50), qRgb(0, 0, 255));    // first box: x 10..20, y 40..60
    QCOMPARE(image.pixel(25, 50), qRgb(255, 255, 255)); // right half of the em
    QCOMPARE(image.pixel(35, 50), qRgb(255, 255, 255)); // empty glyph
    QCOMPARE(image.pixel(55, 45), qRgb(0, 0, 255));    // third glyph at x 50
    QCOMPARE(image.pixel(55, 62), qRgb(255, 255, 255)); // below the baseline

    // A text field of a real movie: HTML text in an embedded font.
    MoviePlayer player;
    if (!player.load(QStringLiteral(SKY_SWF_CORPUS_DIR "/ruffle/from_shumway__acid__acid-text-escape/test.swf")))
        QSKIP("the SWF corpus is not beside the sources");
    const QImage field = player.renderFrame(RenderOptions{false});
    QCOMPARE(field.pixel(55, 90), qRgb(255, 0, 0)); // the "&" of "&bg;"
    QCOMPARE(field.pixel(30, 90), qRgb(255, 255, 255));
    QCOMPARE(field.pixel(260, 200), qRgb(255, 0, 0)); // the K of the second field

    // A text field's colours, its own and those of its HTML, are kept as
    // multipliers in 1/256 steps, rounded down, which darkens most a little.
    // Its first baseline lies whole twips below the top: 40 twips of
    // gutter and the ascent, 900 / 1024 of 240 twips, rounded down.
    FontCharacter font;
    font.codes = {u'A'};
    font.glyphs = {QPainterPath()};
    font.ascent = 900;
    const FontLookup fonts{[&font](quint16 id) { return id == 1 ? &font : nullptr; },
                           [](const QString &, bool, bool) { return quint16(1); }};
    const QByteArray body = swftest::Bits()
                                .rect(stageTwips)
                                .u8(0x85) // text, colour, font
                                .u8(0x02) // HTML
                                .u16(1)
                                .u16(240)
                                .rgba(QColor(0xff, 0x99, 0xcc))
                                .u8(0) // no variable
                                .bytes("A<font color=\"#336699\">A</font>")
                                .u8(0)
                                .data();
    BitReader reader(body);
    const TextCharacter text = readDefineEditText(reader, fonts);
    QCOMPARE(text.glyphs.size(), 2u);
    QCOMPARE(text.glyphs[0].color, QColor(255, 152, 203));
    QCOMPARE(text.glyphs[1].color, QColor(50, 101, 152));
    QCOMPARE(text.glyphs[0].origin.y(), 250.0);
}

void TestSwfRender::fieldBordersFrameThePixelsTheirBoxCovers()
{
    // An empty bordered field 10 pixels square at 10..20, placed a quarter
    // pixel off: its white background takes the pixels whose centres it
    // holds, 15..24 each way, and the border runs one pixel inside the top
    // and left edges and just past the right and bottom ones, the bottom
    // right corner left out.
    swftest::Movie m(8, 100, 100);
    m.background(Qt::gray);
    m.tag(37, swftest::Bits().u16(1).rect(QRect(200, 200, 200, 200)).u8(0x00).u8(0x08).u8(0).data());
    m.place(1, 1, 105, 105).showFrame();
    const QImage image = render(m);
    const QRgb black = qRgb(0, 0, 0), white = qRgb(255, 255, 255);
    QCOMPARE(image.pixel(15, 15), black);
    QCOMPARE(image.pixel(25, 15), black);
    QCOMPARE(image.pixel(25, 24), black);
    QCOMPARE(image.pixel(15, 25), black);
    QCOMPARE(image.pixel(24, 25), black);
    QCOMPARE(image.pixel(25, 25), QColor(Qt::gray).rgb());
    QCOMPARE(image.pixel(20, 20), white);
    QCOMPARE(image.pixel(14, 20), QColor(Qt::gray).rgb());
    QCOMPARE(image.pixel(26, 20), QColor(Qt::gray).rgb());
}

void TestSwfRender::morphShapesFollowTheirRatio()
{
    // A red square at the left turning into a blue one at the right. Its
    // colour's channels are rounded down: two thirds of the way, red's
    // 84.99 is 84.
    const QByteArray start = Edges().rect(QRect(0, 800, 400, 400), 1).end();
    const QByteArray end = Edges().rect(QRect(1600, 800, 400, 400), 1).end();
    for (const auto &[ratio, inside, colour] : std::vector<std::tuple<int, int, QRgb>>{
             {0, 10, qRgb(255, 0, 0)}, {65535, 90, qRgb(0, 0, 255)}, {32768, 50, qRgb(127, 0, 127)},
             {43691, 63, qRgb(84, 0, 170)}}) {
        swftest::Movie m = stage();
        m.morph(1, Qt::red, Qt::blue, start, end);
        m.placeRatio(1, 1, ratio).showFrame();
        const QImage image = render(m);
        QCOMPARE(QColor(image.pixel(inside, 50)), QColor(colour));
        QCOMPARE(image.pixel(100 - inside, 50), ratio == 32768 ? colour : qRgb(255, 255, 255));
    }
}

void TestSwfRender::stageIsScaledToShowAll()
{
    swftest::Movie m = stage();
    m.shape(1, 1, stageTwips, {swftest::solidFill(Qt::red, false)}, {},
            Edges().rect(QRect(0, 0, 1000, 1000), 1).end()); // top-left quarter
    m.place(1, 1).showFrame();
    MoviePlayer player;
    QVERIFY(player.loadData(m.fws()));
    // A 300 x 100 target: the square stage becomes 100 x 100, centred.
    QImage target(300, 100, QImage::Format_ARGB32);
    target.fill(Qt::black);
    QPainter painter(&target);
    player.draw(painter, target.rect(), RenderOptions{false});
    painter.end();
    QCOMPARE(target.pixel(110, 10), qRgb(255, 0, 0));
    QCOMPARE(target.pixel(160, 10), qRgb(255, 255, 255));
    QCOMPARE(target.pixel(110, 60), qRgb(255, 255, 255));
    // High quality keeps the picture, with smoothed edges.
    const QImage smooth = render(m, true);
    QCOMPARE(smooth.pixel(20, 20), qRgb(255, 0, 0));
    QCOMPARE(smooth.pixel(70, 70), qRgb(255, 255, 255));

    // A stage 100.5 pixels square is a picture of 100, drawn unscaled: a
    // square ending at 99.75 pixels takes pixel 99, whose centre it covers.
    swftest::Movie odd = stage();
    odd.stageRect(QRect(0, 0, 2010, 2010));
    odd.shape(1, 1, stageTwips, {swftest::solidFill(Qt::red, false)}, {}, Edges().rect(QRect(0, 0, 1995, 1000), 1).end());
    odd.place(1, 1).showFrame();
    const QImage whole = render(odd);
    QCOMPARE(whole.size(), QSize(100, 100));
    QCOMPARE(whole.pixel(99, 25), qRgb(255, 0, 0));
    QCOMPARE(whole.pixel(99, 75), qRgb(255, 255, 255));
}

QTEST_GUILESS_MAIN(TestSwfRender)
#include "tst_swfrender.moc"
