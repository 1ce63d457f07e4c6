#include "text.h"

#include "bitreader.h"
#include "movie.h"

#include <cmath>

namespace sky::swf {
namespace {

constexpr int tagDefineFont = 10;
constexpr int tagDefineFont3 = 75;

QPainterPath readGlyph(const QByteArray &data, qsizetype from, qsizetype to, qint64 &edgeBudget)
{
    if (from < 0 || to > data.size() || from >= to)
        return {};
    BitReader r(data.constData() + from, to - from);
    ShapeData shape;
    shape.layers.emplace_back();
    shape.layers.back().fills.emplace_back(); // glyphs fill with style 1
    try {
        readShapeRecords(r, 1, shape, edgeBudget);
    } catch (const ParseError &) {
        // keep the outline read so far
    }
    for (Edge &e : shape.layers.back().edges) {
        if (e.fill0 == 0 && e.fill1 == 0)
            e.fill1 = 1; // some encoders leave the style out
    }
    QPainterPath path = outlineOf(compileShape(shape));
    path.setFillRule(Qt::WindingFill);
    return path;
}

// The code table after the glyphs, then ascent, descent, leading, the
// advances and the kerning pairs when the font carries its layout. Missing
// parts stay empty.
void readCodesAndLayout(FontCharacter &font, const QByteArray &table, qsizetype at, int count, quint8 flags)
{
    if (at < 0 || at > table.size())
        return;
    BitReader r(table.constData() + at, table.size() - at);
    try {
        for (int i = 0; i < count; ++i)
            font.codes.push_back((flags & 0x04) ? r.u16() : r.u8());
        if (flags & 0x80) {
            font.ascent = r.u16();
            font.descent = r.u16();
            r.s16(); // leading
            // Advances are read unsigned, as the player reads them.
            for (int i = 0; i < count; ++i)
                font.advances.push_back(r.u16());
            for (int i = 0; i < count; ++i)
                r.rect(); // glyph bounds
            const int pairs = r.u16();
            for (int i = 0; i < pairs; ++i) {
                const quint16 first = (flags & 0x04) ? r.u16() : r.u8();
                const quint16 second = (flags & 0x04) ? r.u16() : r.u8();
                font.kerning[{first, second}] = r.s16();
            }
        }
    } catch (const ParseError &) {
        // a font without codes or layout
    }
}

} // namespace

FontCharacter readDefineFont(BitReader &r, int tagCode, qint64 &edgeBudget)
{
    FontCharacter font;
    font.emSize = tagCode == tagDefineFont3 ? 20480 : 1024;
    std::vector<qsizetype> offsets;
    QByteArray table;
    if (tagCode == tagDefineFont) {
        // Offsets count from the start of the offset table, which is as
        // long as the first offset says.
        table = r.bytes(r.remaining());
        BitReader t(table);
        const int first = t.u16();
        offsets.push_back(first);
        for (int i = 1; i < first / 2; ++i)
            offsets.push_back(t.u16());
        offsets.push_back(table.size());
    } else {
        const quint8 flags = r.u8();
        font.bold = flags & 0x01;
        font.italic = flags & 0x02;
        r.u8(); // language
        font.name = QString::fromUtf8(r.bytes(r.u8())).remove(QChar(0));
        const int count = r.u16();
        if (count == 0 && r.remaining() == 0)
            return font; // a device font's name, nothing more
        const bool wide = (flags & 0x08) != 0;
        BitReader tableStart = r;
        for (int i = 0; i <= count; ++i)
            offsets.push_back(qsizetype(wide ? r.u32() : r.u16()));
        table = tableStart.bytes(tableStart.remaining());
        readCodesAndLayout(font, table, offsets.back(), count, flags);
    }
    for (std::size_t i = 0; i + 1 < offsets.size(); ++i)
        font.glyphs.push_back(readGlyph(table, offsets[i], offsets[i + 1], edgeBudget));
    return font;
}

TextCharacter readDefineText(BitReader &r, int version)
{
    TextCharacter text;
    r.rect();
    text.matrix = r.matrix();
    const int glyphBits = r.u8();
    const int advanceBits = r.u8();
    quint16 font = 0;
    double height = 0;
    QColor color(0, 0, 0);
    QPointF pen;
    try {
        for (;;) {
            const quint8 flags = r.u8();
            if (flags == 0)
                break;
            if (flags & 0x08)
                font = r.u16();
            if (flags & 0x04)
                color = version >= 2 ? r.rgba() : r.rgb();
            if (flags & 0x01)
                pen.setX(r.s16());
            if (flags & 0x02)
                pen.setY(r.s16());
            if (flags & 0x08)
                height = r.u16();
            const int count = r.u8();
            for (int i = 0; i < count; ++i) {
                TextGlyph glyph;
                glyph.fontId = font;
                glyph.glyph = int(r.ubits(glyphBits));
                glyph.height = height;
                glyph.origin = pen;
                glyph.color = color;
                pen.rx() += r.sbits(advanceBits);
                text.glyphs.push_back(glyph);
            }
            r.align();
        }
    } catch (const ParseError &) {
        // draw the glyphs read so far
    }
    return text;
}

std::optional<QRect> fieldPixels(const QRectF &box, const QTransform &toPicture)
{
    QTransform upright = toPicture;
    if (std::abs(upright.m12()) * box.width() < 0.5 && std::abs(upright.m21()) * box.height() < 0.5)
        upright.setMatrix(upright.m11(), 0, 0, 0, upright.m22(), 0, upright.dx(), upright.dy(), 1);
    if (upright.isRotating())
        return std::nullopt;
    const QRectF r = upright.mapRect(box);
    const auto nearest = [](double v) { return int(std::ceil(v - 0.5)); };
    return QRect(nearest(r.left()), nearest(r.top()), nearest(r.width()), nearest(r.height()));
}

QPainterPath fieldClip(const TextCharacter &text, const QTransform &toPicture)
{
    QPainterPath area;
    if (const std::optional<QRect> pixels = fieldPixels(text.box, toPicture)) {
        // The border takes the top and left rows of the box's pixels.
        area.addRect(pixels->adjusted(text.border ? 1 : 0, text.border ? 1 : 0, 0, 0));
    } else {
        area.addRect(text.box);
        area = toPicture.map(area);
    }
    return area;
}

std::vector<PlacedGlyph> placedGlyphs(const Movie &movie, const TextCharacter &text)
{
    std::vector<PlacedGlyph> out;
    const QTransform textMatrix = text.matrix.toTransform();
    for (const TextGlyph &glyph : text.glyphs) {
        const auto *font = glyph.deviceFont >= 0 && std::size_t(glyph.deviceFont) < text.deviceFonts.size()
                             ? text.deviceFonts[std::size_t(glyph.deviceFont)].get()
                             : std::get_if<FontCharacter>(movie.character(glyph.fontId));
        if (!font || glyph.glyph < 0 || glyph.glyph >= int(font->glyphs.size()))
            continue;
        const double scale = glyph.height / font->emSize;
        out.push_back({&font->glyphs[std::size_t(glyph.glyph)],
                       QTransform::fromScale(scale, scale) * QTransform::fromTranslate(glyph.origin.x(), glyph.origin.y())
                           * textMatrix,
                       glyph.color, glyph.character});
    }
    return out;
}

} // namespace sky::swf
