#include "helpbrowser/local_files.h"

#include <QDir>
#include <QFileInfo>

namespace sky {

namespace {

const QStringList kHelpFileSuffixes{QStringLiteral("htm"), QStringLiteral("html"), QStringLiteral("css"),
                                    QStringLiteral("png"), QStringLiteral("jpg"),  QStringLiteral("jpeg"),
                                    QStringLiteral("gif"), QStringLiteral("svg"),  QStringLiteral("ico")};

bool inFolder(const QString &path, const QString &folder)
{
    return path == folder || path.startsWith(folder.endsWith(u'/') ? folder : folder + u'/');
}

QString localPath(const QUrl &url)
{
    return QDir::cleanPath(url.toLocalFile());
}

} // namespace

QUrl addressUrl(const QString &text)
{
    const QString address = text.trimmed();
    // A path may name a place in its page: "/help/MediaPlayer.htm#files".
    const qsizetype hash = address.lastIndexOf(u'#');
    if (QDir::isAbsolutePath(address) && hash > 0 && QFileInfo(address.left(hash)).isFile()) {
        QUrl page = QUrl::fromLocalFile(address.left(hash));
        page.setFragment(address.mid(hash + 1));
        return page;
    }
    return QUrl::fromUserInput(address, QDir::currentPath());
}

LocalFileAccess::LocalFileAccess(const QString &applicationFolder)
    : m_applicationFolder(QDir::cleanPath(applicationFolder))
{
}

void LocalFileAccess::allowOpened(const QUrl &address)
{
    if (!address.isLocalFile() || allows(address))
        return;
    const QFileInfo opened(localPath(address));
    m_openedFolders.append(opened.isDir() ? opened.filePath() : opened.path());
}

bool LocalFileAccess::allows(const QUrl &url) const
{
    if (!url.isLocalFile())
        return true;
    const QString path = localPath(url);
    if (inFolder(path, m_applicationFolder)
        && kHelpFileSuffixes.contains(QFileInfo(path).suffix(), Qt::CaseInsensitive))
        return true;
    return std::any_of(m_openedFolders.cbegin(), m_openedFolders.cend(),
                       [&path](const QString &folder) { return inFolder(path, folder); });
}

} // namespace sky
