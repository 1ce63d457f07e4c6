#include "edittext.h"

#include "bitreader.h"
#include "fieldtext.h"
#include "textlayout.h"

namespace sky::swf {

TextCharacter readDefineEditText(BitReader &r, const FontLookup &fonts)
{
    auto source = std::make_shared<EditTextSource>();
    source->fonts = fonts;
    TextField &field = source->field;
    field.box = r.rect();
    const int high = r.u8(); // the flags are bit fields, first byte first
    const quint16 flags = quint16((high << 8) | r.u8());
    const bool hasText = flags & 0x8000, hasColor = flags & 0x0400, hasMaxLength = flags & 0x0200;
    const bool hasFont = flags & 0x0100, hasFontClass = flags & 0x0080, hasLayout = flags & 0x0020;
    field.wordWrap = flags & 0x4000;
    field.multiline = flags & 0x2000;
    field.password = flags & 0x1000;
    field.editable = !(flags & 0x0800);
    field.autoSize = (flags & 0x0040) ? TextField::autoLeft : TextField::noAutoSize;
    field.selectable = !(flags & 0x0010);
    // The border flag gives a field both its border and its background.
    field.border = field.background = flags & 0x0008;
    field.html = flags & 0x0002;
    field.embedFonts = flags & 0x0001;
    TextFormat &format = field.newFormat;
    quint16 fontId = 0;
    if (hasFont)
        fontId = r.u16();
    if (hasFontClass)
        format.font = r.string();
    if (hasFont || hasFontClass)
        format.size = r.u16();
    if (hasColor)
        format.color = r.rgba().rgba();
    if (hasMaxLength)
        field.maxChars = r.u16();
    if (hasLayout) {
        format.align = r.u8();
        format.leftMargin = r.u16();
        format.rightMargin = r.u16();
        format.indent = r.u16();
        format.leading = r.s16();
    }
    field.variable = r.string();
    if (const FontCharacter *font = fonts.byId(fontId)) {
        format.font = font->name;
        // HTML text is plain until its tags say otherwise.
        format.bold = font->bold && !field.html;
        format.italic = font->italic && !field.html;
        // A font with outlines draws them; the first font of its name and
        // style stands for the others.
        if (!font->codes.empty()) {
            const quint16 first = fonts.byName(font->name, font->bold, font->italic);
            field.definitionFont = first && fonts.byId(first) ? first : fontId;
        }
    } else if (!hasFontClass) {
        format.font = QStringLiteral("_serif");
    }
    if (hasText)
        source->initialText = r.string();
    if (field.html)
        setHtmlText(field, source->initialText);
    else
        field.setPlainText(source->initialText);
    TextCharacter text = layoutTextField(field, fonts);
    text.edit = std::move(source);
    return text;
}

} // namespace sky::swf
