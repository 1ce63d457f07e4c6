#include "fieldediting.h"

#include "clipstage.h"
#include "movie.h"
#include "text.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace sky::swf {
namespace {

// The shown line holding boundary `caret`.
const TextLine *lineOf(const TextCharacter &layout, qsizetype caret)
{
    for (const TextLine &line : layout.lines)
        if (caret >= line.start && caret <= line.end)
            return &line;
    return nullptr;
}

// Whether `world` keeps lines upright, so that what is drawn through it can
// lie on whole pixels.
bool upright(const QTransform &world) { return world.m12() == 0 && world.m21() == 0; }

} // namespace

const TextCharacter *shownLayout(const StageClip &field)
{
    if (!field.field)
        return nullptr;
    const Character *character =
        field.fieldLayout ? field.fieldLayout.get() : field.library->character(field.placement.characterId);
    return character ? std::get_if<TextCharacter>(character) : nullptr;
}

namespace {

// The shown line under a point of text space: the line a point is on
// reaches down to the next line's top; above the first is the first.
const TextLine &lineUnder(const TextCharacter &layout, const QPointF &at)
{
    auto line = std::find_if(layout.lines.begin() + 1, layout.lines.end(),
                             [&at](const TextLine &l) { return l.top > at.y(); });
    return *--line;
}

// Letters, digits and the underscore make words.
bool inWord(QChar c) { return c.isLetterOrNumber() || c == u'_'; }

} // namespace

qsizetype caretIndexAt(const TextCharacter &layout, const QPointF &point)
{
    if (layout.lines.empty())
        return -1;
    const QPointF at = layout.matrix.toTransform().inverted().map(point);
    const TextLine &line = lineUnder(layout, at);
    const auto nearest = std::min_element(line.edges.begin(), line.edges.end(), [&at](double a, double b) {
        return std::abs(a - at.x()) < std::abs(b - at.x());
    });
    return line.start + (nearest - line.edges.begin());
}

qsizetype characterAt(const TextCharacter &layout, const QPointF &point)
{
    if (layout.lines.empty())
        return -1;
    const QPointF at = layout.matrix.toTransform().inverted().map(point);
    const TextLine &line = lineUnder(layout, at);
    if (line.start == line.end)
        return -1;
    // The first character whose right edge lies past the point; the last
    // one beyond the line's end.
    const auto right = std::find_if(line.edges.begin() + 1, line.edges.end(), [&at](double x) { return x > at.x(); });
    return line.start + std::min<qsizetype>(right - line.edges.begin() - 1, line.end - line.start - 1);
}

std::pair<qsizetype, qsizetype> lineAt(const TextCharacter &layout, const QPointF &point)
{
    if (layout.lines.empty())
        return {-1, -1};
    const TextLine &line = lineUnder(layout, layout.matrix.toTransform().inverted().map(point));
    return {line.start, line.end};
}

std::pair<qsizetype, qsizetype> wordAround(const QString &text, qsizetype index)
{
    if (index < 0 || index >= text.size())
        return {index, index};
    const QChar c = text[index];
    if (!inWord(c) && c != u' ')
        return {index, index + 1};
    const auto same = [&text, word = inWord(c)](qsizetype i) { return word ? inWord(text[i]) : text[i] == u' '; };
    qsizetype from = index, to = index + 1;
    while (from > 0 && same(from - 1))
        --from;
    while (to < text.size() && same(to))
        ++to;
    return {from, to};
}

std::optional<QLineF> caretLine(const TextCharacter &layout, qsizetype caret)
{
    const TextLine *line = lineOf(layout, caret);
    if (!line)
        return std::nullopt;
    const double x = line->edges[std::size_t(caret - line->start)];
    return layout.matrix.toTransform().map(QLineF(x, line->top, x, line->bottom));
}

void drawFieldEditing(QPainter &painter, const Movie &movie, const TextCharacter &layout, const QTransform &world,
                      qsizetype from, qsizetype to, const std::optional<QColor> &caret)
{
    painter.save();
    painter.setPen(Qt::NoPen);
    const QTransform textWorld = layout.matrix.toTransform() * world;
    painter.setClipPath(fieldClip(layout, world), Qt::IntersectClip);
    const qsizetype first = std::min(from, to), last = std::max(from, to);
    if (first < last) {
        painter.setRenderHint(QPainter::Antialiasing, false);
        QPainterPath selected;
        for (const TextLine &line : layout.lines) {
            const qsizetype a = std::max(first, line.start), b = std::min(last, line.end);
            if (a < b)
                selected.addRect(QRectF(QPointF(line.edges[std::size_t(a - line.start)], line.top),
                                        QPointF(line.edges[std::size_t(b - line.start)], line.bottom)));
        }
        painter.fillPath(textWorld.map(selected), Qt::black);
        painter.setRenderHint(QPainter::Antialiasing, true);
        for (const PlacedGlyph &glyph : placedGlyphs(movie, layout))
            if (glyph.character >= first && glyph.character < last)
                painter.fillPath((glyph.transform * world).map(*glyph.outline), Qt::white);
    } else if (caret) {
        if (const std::optional<QLineF> line = caretLine(layout, to)) {
            const QLineF shown = world.map(*line);
            if (upright(world)) {
                // One device pixel wide, on the pixel the boundary falls in.
                painter.setRenderHint(QPainter::Antialiasing, false);
                const double top = std::min(shown.y1(), shown.y2()), bottom = std::max(shown.y1(), shown.y2());
                painter.fillRect(QRectF(std::floor(shown.x1()), std::round(top), 1, std::round(bottom) - std::round(top)),
                                 *caret);
            } else {
                painter.setPen(QPen(*caret, 0));
                painter.drawLine(shown);
            }
        }
    }
    painter.restore();
}

} // namespace sky::swf
