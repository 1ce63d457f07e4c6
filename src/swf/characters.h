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
};

struct EditTextSource;

struct TextCharacter {
    Matrix matrix;
    std::vector<TextGlyph> glyphs;
    // The box of an edit text field (text space, twips), drawn when framed:
    // a white background and a black border one pixel wide.
    QRectF box;
    bool framed = false;
    // The system's glyphs for text in a device font, whose glyphs name
    // font 0.
    std::shared_ptr<const FontCharacter> deviceFont;
    // An edit text field's definition, to show another text.
    std::shared_ptr<const EditTextSource> edit;
};

struct ButtonPart {
    quint16 characterId = 0;
    int depth = 0;
    Matrix matrix;
    ColorTransform color;
    int blend = 0;
    std::vector<Filter> filters;
};

// A button shows the parts of its up state.
struct ButtonCharacter {
    std::vector<ButtonPart> upState;

    // The up state as a display list.
    DisplayList upList() const
    {
        DisplayList parts;
        for (const ButtonPart &part : upState) {
            Placement p;
            p.characterId = part.characterId;
            p.matrix = part.matrix;
            p.color = part.color;
            p.blend = part.blend;
            p.filters = part.filters;
            parts.emplace(part.depth, p);
        }
        return parts;
    }
};

struct SpriteCharacter {
    Timeline timeline;
};

using Character = std::variant<ShapeCharacter, MorphCharacter, BitmapCharacter, FontCharacter, TextCharacter,
                               ButtonCharacter, SpriteCharacter>;

} // namespace sky::swf
