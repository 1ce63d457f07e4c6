#pragma once

#include <QStringList>
#include <QUrl>

namespace sky {

// What the text of the address box names: a path is a local file (with a
// place in it after "#" when the file exists without it), anything else a
// web address ("example.org" is "http://example.org").
QUrl addressUrl(const QString &text);

// Which local files the help browser's pages may read: the help files of
// the application folder (pages, styles and pictures), and what lies in the
// folder of a local address the user opened himself.
class LocalFileAccess
{
public:
    explicit LocalFileAccess(const QString &applicationFolder);

    // The user opened this address from the address box.
    void allowOpened(const QUrl &address);
    bool allows(const QUrl &url) const;

private:
    QString m_applicationFolder;
    QStringList m_openedFolders;
};

} // namespace sky
