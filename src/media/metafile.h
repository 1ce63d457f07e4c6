#pragma once

#include <QString>

namespace sky {

// The first media reference in a Windows Media metafile (".wmp", ".wmx",
// ".asx"): the href of its first <ref>/<entryref>, or the src of a
// playlist's first <media>. Relative references are resolved against the
// metafile's folder; "" when the file names nothing or cannot be read.
QString firstMetafileEntry(const QString &metafilePath);

} // namespace sky
