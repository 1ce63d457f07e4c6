#pragma once

#include <QString>

namespace sky::swf::avm1 {

// String.toUpperCase and toLowerCase: one UTF-16 unit for one, by the
// player's case table (the simple mappings of the Unicode of its day).
QString upperCase(const QString &text);
QString lowerCase(const QString &text);

} // namespace sky::swf::avm1
