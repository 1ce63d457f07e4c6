#pragma once

#include <QString>

namespace sky {

// Captions drawn in a symbol font are shown as the matching Unicode symbols.
enum class SymbolFont { None, Wingdings, Webdings };
QString symbolText(SymbolFont font, const QString &text);

} // namespace sky
