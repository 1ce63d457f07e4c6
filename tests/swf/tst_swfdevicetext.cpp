// Text fields in device fonts are drawn in the system's fonts, which need
// a GUI application's font database.

#include "rendercheck.h"

#include <QTest>

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

} // namespace

class TestSwfDeviceText : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void fieldsWithoutEmbeddedGlyphsUseTheSystemsFont();
    void aFontTagWithNoGlyphsNamesTheDeviceFont();
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

QTEST_MAIN(TestSwfDeviceText)
#include "tst_swfdevicetext.moc"
