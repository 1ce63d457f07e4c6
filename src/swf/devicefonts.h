#pragma once

#include "characters.h"

#include <QString>
#include <QStringList>

namespace sky::swf {

// A font of the system standing in for a device font of a movie: `name` as
// the movie gives it ("_sans", "_serif", "_typewriter" or a family name),
// holding the glyphs of `characters` in a 1024-unit em, with their advances,
// its ascent and descent. Without a font database (a program with no GUI
// application) it holds no glyphs, and device text is not drawn.
FontCharacter deviceFont(const QString &name, bool bold, bool italic, const QString &characters);

// Has device text of every name drawn in the font of `file`, a font the
// player carries, instead of the system's fonts; none (an empty name) goes
// back to the system's. The whole process draws with it.
void setCarriedDeviceFont(const QString &file);

// The families of the system's fonts; none without a font database.
QStringList deviceFontFamilies();

} // namespace sky::swf
