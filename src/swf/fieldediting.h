#pragma once

#include "characters.h"

#include <QLineF>

#include <optional>
#include <utility>

class QPainter;

namespace sky::swf {

class Movie;
struct StageClip;

// The layout a text field shows: its own once changed, else its
// definition's; null for a clip that is no text field.
const TextCharacter *shownLayout(const StageClip &field);

// The character boundary nearest `point` (twips, the field's text space):
// on the line under it, the nearest shown line above or below it; -1 when
// no line is shown.
qsizetype caretIndexAt(const TextCharacter &layout, const QPointF &point);

// The character under `point` (twips, the field's text space) on the line
// under it, the line's last one past its end; -1 when that line is empty
// or no line is shown.
qsizetype characterAt(const TextCharacter &layout, const QPointF &point);

// The first and the end boundary of the shown line under `point`, its line
// break left out; -1 for both when no line is shown.
std::pair<qsizetype, qsizetype> lineAt(const TextCharacter &layout, const QPointF &point);

// The word of `text` around character `index`: a run of letters, digits
// and underscores, or of spaces, or the one character else.
std::pair<qsizetype, qsizetype> wordAround(const QString &text, qsizetype index);

// The caret before character `caret` (the end of the text for its length):
// from the top of its line to the bottom at the boundary, twips of text
// space; none when that line is not in view.
std::optional<QLineF> caretLine(const TextCharacter &layout, qsizetype caret);

// What a field with the keyboard's focus shows of its editing: the
// characters from `from` to `to` (either order) white on black, and, when
// nothing is selected and `caret` is set, the caret at `to` in `color`.
// `world` takes the field's twips to the painter's coordinates; both show
// where its text does (fieldClip()).
void drawFieldEditing(QPainter &painter, const Movie &movie, const TextCharacter &layout, const QTransform &world,
                      qsizetype from, qsizetype to, const std::optional<QColor> &caret);

} // namespace sky::swf
