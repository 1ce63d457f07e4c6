#pragma once

#include "geometry.h"
#include "shape.h"
#include "shapepaths.h"
#include "timeline.h"

#include <QByteArray>
#include <QImage>
#include <QPainterPath>

#include <map>
#include <memory>
#include <variant>
#include <vector>

namespace sky::swf {

struct ShapeCharacter {
    CompiledShape shape;
};

// A shape between two key shapes; placed with a ratio 0..65535.
struct MorphCharacter {
    ShapeData start;
    ShapeData end;
    mutable std::map<int, CompiledShape> byRatio; // small cache
    const CompiledShape &at(int ratio) const;
};

// Image data is decoded the first time it is drawn.
struct BitmapCharacter {
    int tagCode = 0;
    // DefineBitsJPEG3, DefineBitsLossless2 and DefineBitsJPEG4 hold alpha.
    bool hasAlpha() const { return tagCode == 35 || tagCode == 36 || tagCode == 90; }
    QByteArray body;
    mutable QImage image;
    mutable bool decoded = false;
};

struct FontCharacter {
    std::vector<QPainterPath> glyphs; // in font units
    double emSize = 1024;             // units per em
    std::vector<quint16> codes;       // character of each glyph, when given
    std::vector<double> advances;     // font units, when the font has a layout
    double ascent = 0, descent = 0;   // font units
    // The system gives a device font's ascent and descent in whole pixels,
    // rounded up; a font the player carries keeps its own.
    bool wholePixelHeights = false;
    std::map<std::pair<quint16, quint16>, double> kerning; // font units, by pair of characters
    QString name;
    bool bold = false, italic = false;
};

struct TextGlyph {
    quint16 fontId = 0;
    int glyph = 0;
    double height = 0; // twips
    QPointF origin;    // twips, text space
    QColor color;
    int deviceFont = -1; // the text's device font the glyph is of, -1 for fontId's
    int character = -1;  // a text field's: the character of its text drawn
};

// A line a text field shows: its characters (a line break left out), the
// edges between them from the first one's left to the last one's right,
// and the line's top and bottom; twips, text space.
struct TextLine {
    qsizetype start = 0, end = 0;
    std::vector<double> edges; // end - start + 1 of them
    double top = 0, bottom = 0;
};

struct EditTextSource;

struct TextCharacter {
    Matrix matrix;
    std::vector<TextGlyph> glyphs;
    // The box of an edit text field (text space, twips), its background
    // and its border one pixel wide, each drawn when set.
    QRectF box;
    bool background = false, border = false;
    QColor backgroundColor = Qt::white, borderColor = Qt::black;
    // The system's glyphs for text in device fonts.
    std::vector<std::shared_ptr<const FontCharacter>> deviceFonts;
    // An edit text field's definition, to show another text.
    std::shared_ptr<const EditTextSource> edit;
    // A text field's lines in view, from the first one scrolled to.
    std::vector<TextLine> lines;
    // A text field's, whose glyphs show within its box.
    bool field = false;

    bool framed() const { return background || border; }
};

// The states a button part shows in, as DefineButton records flag them.
enum ButtonState : quint8 { buttonUp = 1, buttonOver = 2, buttonDown = 4, buttonHit = 8 };

struct ButtonPart {
    quint16 characterId = 0;
    int depth = 0;
    int states = 0; // ButtonState bits
    Matrix matrix;
    ColorTransform color;
    int blend = 0;
    std::vector<Filter> filters;
};

// The changes of a button's state its actions run on, as DefineButton2
// flags them (DefineButton's actions run on a release).
enum ButtonCondition : quint16 {
    idleToOverUp = 0x1,
    overUpToIdle = 0x2,
    overUpToOverDown = 0x4,
    overDownToOverUp = 0x8,
    overDownToOutDown = 0x10,
    outDownToOverDown = 0x20,
    outDownToIdle = 0x40,
    idleToOverDown = 0x80,
    overDownToIdle = 0x100,
};

struct ButtonAction {
    quint16 conditions = 0; // ButtonCondition bits
    int key = 0;            // the key of a key press condition, 0 for none
    std::shared_ptr<const QByteArray> code;
};

struct ButtonCharacter {
    std::vector<ButtonPart> parts;
    std::vector<ButtonAction> actions;
    bool trackAsMenu = false;

    // The parts of `state` as a display list.
    DisplayList stateList(int state) const
    {
        DisplayList list;
        for (const ButtonPart &part : parts) {
            if (!(part.states & state))
                continue;
            Placement p;
            p.characterId = part.characterId;
            p.matrix = part.matrix;
            p.color = part.color;
            p.blend = part.blend;
            p.filters = part.filters;
            list.emplace(part.depth, p);
        }
        return list;
    }
    DisplayList upList() const { return stateList(buttonUp); }
};

struct SpriteCharacter {
    Timeline timeline;
};

using Character = std::variant<ShapeCharacter, MorphCharacter, BitmapCharacter, FontCharacter, TextCharacter,
                               ButtonCharacter, SpriteCharacter>;

// What a tag moving an object may turn it into: a shape, morph shape or
// static text becomes another character of the same kind (the same
// non-zero number); sprites, buttons and edit fields stay what they are (0).
inline int replaceableKind(const Character *c)
{
    if (!c)
        return 0;
    if (const auto *text = std::get_if<TextCharacter>(c))
        return text->edit ? 0 : int(c->index()) + 1;
    const bool drawn = std::holds_alternative<ShapeCharacter>(*c) || std::holds_alternative<MorphCharacter>(*c);
    return drawn ? int(c->index()) + 1 : 0;
}

} // namespace sky::swf
