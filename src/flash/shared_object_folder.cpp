#include "shared_object_folder.h"

#include "platform/file_saving.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace sky {

QString SharedObjectFolder::fileOf(const QString &name) const
{
    const QStringList parts = name.split(u'/');
    const bool valid = !m_folder.isEmpty() && std::none_of(parts.begin(), parts.end(), [](const QString &part) {
        return part.isEmpty() || part == u"." || part == u"..";
    });
    return valid ? m_folder + QLatin1Char('/') + name + QStringLiteral(".sol") : QString();
}

std::optional<QByteArray> SharedObjectFolder::read(const QString &name, qint64 maxBytes)
{
    const QString path = fileOf(name);
    QFile file(path);
    if (path.isEmpty() || !QFileInfo(path).isFile() || file.size() > maxBytes || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.read(maxBytes);
}

bool SharedObjectFolder::write(const QString &name, const QByteArray &bytes)
{
    const QString path = fileOf(name);
    return !path.isEmpty() && QDir().mkpath(QFileInfo(path).absolutePath()) && !replaceFileContent(path, bytes);
}

bool SharedObjectFolder::remove(const QString &name)
{
    const QString path = fileOf(name);
    return !path.isEmpty() && (!QFileInfo::exists(path) || QFile::remove(path));
}

} // namespace sky
