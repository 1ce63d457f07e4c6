// Text fields in device fonts are drawn in the system's fonts, which need
// a GUI application's font database.

#include "rendercheck.h"

#include "swf/devicefonts.h"
#include "swf/textlayout.h"

#include <QTest>

using namespace sky::swf;

namespace {

// Black pixels of `image` within `area`.
int inkIn(const QImage &image, const QRect &area)
{
    int ink = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            ink += qRed(image.pixel(x, y)) < 128;
    return ink;
}

// "K,I" in 29-pixel device text, laid out from a field's top left corner.
TextCharacter laidOutLabel()
{
    TextField field;
    field.box = QRectF(0, 0, 2000, 800);
    field.newFormat.font = QStringLiteral("_sans");
    field.newFormat.size = 580;
    field.setPlainText(QStringLiteral("K,I"));
    return layoutTextField(field, FontLookup{[](quint16) { return nullptr; }, [](const QString &, bool, bool) { return 0; }});
}

} // namespace

class TestSwfDeviceText : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void fieldsWithoutEmbeddedGlyphsUseTheSystemsFont();
    void aFontTagWithNoGlyphsNamesTheDeviceFont();
    void deviceGlyphsStandWholePixelsApart();
};

void TestSwfDeviceText::fieldsWithoutEmbeddedGlyphsUseTheSystemsFont()
{
    // A field 80 x 30 pixels at (10, 10) naming no font, its text "HH" in
    // 12-pixel black glyphs from its top left corner.
    swftest::Movie m(8, 100, 100);
    m.background(Qt::white);
    m.tag(37, swftest::Bits().u16(1).rect(QRect(0, 0, 1600, 600)).u8(0x80).u8(0x00).u8(0).bytes("HH").u8(0).data());
    m.place(1, 1, 200, 200).showFrame();
    const QImage image = swftest::render(m);
    QVERIFY(inkIn(image, QRect(10, 10, 30, 20)) > 10);
    QCOMPARE(inkIn(image, QRect(50, 10, 40, 30)), 0); // two letters end well before
    QCOMPARE(inkIn(image, QRect(10, 40, 80, 50)), 0);
}

void TestSwfDeviceText::aFontTagWithNoGlyphsNamesTheDeviceFont()
{
    // Font 1 is "_typewriter" and nothing more: its tag ends after the
    // glyph count. "iiii" in 20-pixel letters of the system's monospace
    // font runs well past where four serif i's end.
    swftest::Movie m(8, 100, 60);
    m.background(Qt::white);
    m.tag(48, swftest::Bits().u16(1).u8(0).u8(0).u8(11).bytes("_typewriter").u16(0).data());
    m.tag(37, swftest::Bits().u16(2).rect(QRect(0, 0, 1900, 800)).u8(0x81).u8(0x00).u16(1).u16(400).u8(0)
                  .bytes("iiii").u8(0).data());
    m.place(1, 2, 0, 0).showFrame();
    const QImage image = swftest::render(m);
    QVERIFY(inkIn(image, QRect(38, 0, 20, 40)) > 5);
}

// The system's glyphs stand whole pixels apart, on a baseline its ascent
// in whole pixels, rounded up, below the gutter; a font the player carries
// keeps its own ascent: Noto Sans's 1.069 em is 620.02 twips at 29 pixels,
// its glyphs' advances 359.0 and 155.4 twips.
void TestSwfDeviceText::deviceGlyphsStandWholePixelsApart()
{
    const TextCharacter system = laidOutLabel();
    QCOMPARE(system.glyphs.size(), 3u);
    for (const TextGlyph &glyph : system.glyphs) {
        QCOMPARE(std::fmod(glyph.origin.x() - 40, 20), 0.0);
        QCOMPARE(std::fmod(glyph.origin.y() - 40, 20), 0.0);
    }
    setCarriedDeviceFont(QStringLiteral(SKY_SWF_TEST_FONT));
    const TextCharacter carried = laidOutLabel();
    setCarriedDeviceFont({});
    QCOMPARE(carried.glyphs.size(), 3u);
    QCOMPARE(carried.glyphs[0].origin, QPointF(40, 660));
    QCOMPARE(carried.glyphs[1].origin, QPointF(400, 660));
    QCOMPARE(carried.glyphs[2].origin, QPointF(560, 660));
}

QTEST_MAIN(TestSwfDeviceText)
#include "tst_swfdevicetext.moc"
