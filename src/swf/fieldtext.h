#pragma once

#include "textfield.h"

#include <functional>

namespace sky::swf {

// What a style sheet makes of an element's format: called with the tag's
// name (lower case) and its class attribute for every opening tag.
using StyleRule = std::function<void(const QString &tag, const QString &className, TextFormat &format)>;

// Replaces a field's text with the characters of HTML text, each with the
// format its tags give (font, size, colour, bold, italic, underline, link,
// paragraph alignment and the margins, indent and leading of
// <textformat>), then the style sheet's when given, starting from the field's new
// text format. Paragraphs and <br> end lines; unknown tags are dropped,
// entities are read.
void setHtmlText(TextField &field, const QString &html, const StyleRule &sheet = {});

// A field's text as the player writes it back as HTML: a <P> for every
// line, <FONT> for every run of one font, size, colour and spacing, and
// <TEXTFORMAT> where the margins, indent or leading are set.
QString htmlText(const TextField &field);

} // namespace sky::swf
