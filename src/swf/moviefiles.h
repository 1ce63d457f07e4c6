#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace sky::swf {

// The files a movie's scripts may read: plain files in the movie's folder
// or below it, named relative to it (a "file:" address too; a query after
// "?" is left off). Never a network address, a path from the root, one
// that climbs out with "..", nor a pipe or a device that might never
// answer. Reads at most `maxBytes`; none when refused or unreadable.
std::optional<QByteArray> readMovieFile(const QString &folder, const QString &url, qint64 maxBytes);

} // namespace sky::swf
