#pragma once

#include <QByteArray>
#include <QString>

namespace sky {

// The first media reference in a Windows Media metafile (".wmp", ".wmx",
// ".asx"): the href of its first <ref>/<entryref>, or the src of a
// playlist's first <media>. Relative references are resolved against the
// metafile's folder; "" when the file names nothing or cannot be read.
QString firstMetafileEntry(const QString &metafilePath);
// The same for the content of a metafile in folder.
QString firstMetafileEntry(const QByteArray &content, const QString &folder);

} // namespace sky
