#include "platform/help_browser_process.h"

#include "platform/local_socket.h"

#include <QCryptographicHash>
#include <QProcess>
#include <QStandardPaths>

namespace sky {

namespace {

constexpr int kConnectMilliseconds = 1000;

} // namespace

QString helpBrowserAddress(const QString &applicationFolder)
{
    const QByteArray folderHash = QCryptographicHash::hash(applicationFolder.toUtf8(), QCryptographicHash::Sha1);
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) + QStringLiteral("/skyvantrix-help-")
        + QString::fromLatin1(folderHash.toHex().left(16));
}

HelpBrowserProcess::HelpBrowserProcess(const QString &executable) : m_executable(executable) {}

bool HelpBrowserProcess::bringToFront(const QString &applicationFolder)
{
    // The connection itself is the request. A local connection is made or
    // refused at once; the wait only bounds a help browser that is stuck.
    return localSocketAnswers(helpBrowserAddress(applicationFolder), kConnectMilliseconds);
}

bool HelpBrowserProcess::start(const QString &applicationFolder)
{
    // It outlives the player, so it holds none of the player's output open
    // (a terminal or a pipe whose reader waits for its end).
    QProcess process;
    process.setProgram(m_executable);
    process.setArguments({applicationFolder});
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    return process.startDetached();
}

} // namespace sky
