#pragma once

#include <QString>

#include <utility>

namespace sky::swf {

// A key as a movie's scripts know it: the code Key.getCode() gives and the
// character typed (0 for none), from a Qt key and the text it typed.
std::pair<int, int> movieKey(int qtKey, const QString &text);

// The same from a key's name ("Enter", "ArrowLeft", "a"), as recorded
// input names keys.
std::pair<int, int> movieKeyNamed(const QString &name);

} // namespace sky::swf
