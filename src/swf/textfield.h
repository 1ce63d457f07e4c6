#pragma once

#include <QRectF>
#include <QRgb>
#include <QString>

#include <optional>
#include <vector>

namespace sky::swf {

// How a run of characters is drawn, and the layout of the paragraph it
// starts. Sizes and distances are in twips.
struct TextFormat {
    enum Align { left, right, center, justify };

    QString font = QStringLiteral("Times New Roman");
    double size = 240;
    QRgb color = 0xFF000000;
    bool bold = false, italic = false, underline = false;
    int align = left;
    double leftMargin = 0, rightMargin = 0, indent = 0, leading = 0;
    double letterSpacing = 0;
    bool kerning = false;
    QString url, target;

    bool operator==(const TextFormat &) const = default;
};

// A text field as it stands: its box, its text with the format of every
// character, and the settings scripts read and change. Created from
// DefineEditText or by a script.
struct TextField {
    enum AutoSize { noAutoSize, autoLeft, autoCenter, autoRight };

    QRectF box; // twips, in the field's own coordinates
    QString text;
    std::vector<TextFormat> formats; // one per character of `text`
    TextFormat newFormat;            // what text set from now on is drawn in
    bool html = false, multiline = false, wordWrap = false, password = false;
    bool border = false, background = false;
    QRgb borderColor = 0xFF000000, backgroundColor = 0xFFFFFFFF;
    bool selectable = true, editable = false, embedFonts = false, condenseWhite = false;
    int autoSize = noAutoSize;
    int maxChars = 0; // 0: no limit
    int scroll = 1;   // the first line shown
    int hscroll = 0;  // pixels the lines are scrolled left by; a field that wraps takes none
    QString variable;
    // A field defined with a font that has outlines draws them even when
    // its embedFonts is off; text in a face it has no outlines of is drawn
    // in that font.
    quint16 definitionFont = 0;
    // The text a script last gave a field that a style sheet styles, which
    // its htmlText reads back as given.
    std::optional<QString> styledSource;

    // Replaces the text with `plain`, all in the new text format; a
    // carriage return or line feed ends a line.
    void setPlainText(const QString &plain);
    // Replaces characters `from` to `to` (clamped to the text) with `with`,
    // which takes the format of the first character it replaces, of the
    // one before where nothing is replaced, else the new text format.
    void replace(qsizetype from, qsizetype to, const QString &with);
};

// What laying a field out measured, in twips.
struct FieldMetrics {
    double textWidth = 0, textHeight = 0;
    int lines = 0;
    int maxHScroll = 0; // pixels: how far the widest line can be scrolled left
};

} // namespace sky::swf
