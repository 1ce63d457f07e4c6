#include "moviefiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

namespace sky::swf {

std::optional<QByteArray> readMovieFile(const QString &folder, const QString &url, qint64 maxBytes)
{
    const QUrl address(url);
    if (folder.isEmpty() || (!address.scheme().isEmpty() && address.scheme() != u"file") || url.contains(u".."))
        return std::nullopt;
    QString name = address.isLocalFile() ? address.toLocalFile() : url;
    if (!address.isLocalFile() && name.contains(u'?'))
        name.truncate(name.indexOf(u'?'));
    const QString path = QDir(folder).filePath(name);
    QFile file(path);
    if (name.isEmpty() || QDir::isAbsolutePath(name) || !QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.read(maxBytes);
}

} // namespace sky::swf
