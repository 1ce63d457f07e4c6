#include "platform/single_instance.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>

namespace sky {

namespace {

// A local connection is made or refused at once; these only bound a player
// that is stuck.
constexpr int kConnectMs = 2000;
constexpr int kWriteMs = 5000;
constexpr int kLockMs = 10000;

QStringList absoluteArguments(const QStringList &arguments)
{
    QStringList absolute;
    for (const QString &argument : arguments)
        absolute.append(
            !argument.isEmpty() && QFileInfo::exists(argument) ? QFileInfo(argument).absoluteFilePath() : argument);
    return absolute;
}

} // namespace

QString instanceSocketPath(const QString &settingsPath)
{
    // The user's runtime folder, where the session provides one.
    const QString folder = qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")
        ? QDir::tempPath()
        : QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    const QByteArray key = QFileInfo(settingsPath).absoluteFilePath().toUtf8();
    const QString hash = QString::fromLatin1(QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex().left(16));
    return QDir(folder).filePath(QStringLiteral("skyvantrix-") + hash);
}

SingleInstance::SingleInstance(const QString &settingsPath) : m_socketPath(instanceSocketPath(settingsPath))
{
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&m_server, &QLocalServer::newConnection, this, &SingleInstance::acceptConnection);
}

bool SingleInstance::handOverOrListen(const QStringList &arguments)
{
    // Two players started together must not both find no one and both
    // listen: the look and the listen happen under a lock. A lock left by a
    // crashed player is taken over.
    QLockFile lock(m_socketPath + QStringLiteral(".lock"));
    const bool locked = lock.tryLock(kLockMs);
    if (handOver(arguments))
        return true;
    // Nobody answered: whatever is left at the path is a dead player's.
    QLocalServer::removeServer(m_socketPath);
    if (!m_server.listen(m_socketPath))
        qWarning(
            "single instance: cannot listen on %s: %s", qPrintable(m_socketPath), qPrintable(m_server.errorString()));
    if (locked)
        lock.unlock();
    return false;
}

bool SingleInstance::handOver(const QStringList &arguments)
{
    QLocalSocket socket;
    socket.connectToServer(m_socketPath);
    if (!socket.waitForConnected(kConnectMs))
        return false;
    QByteArray message;
    QDataStream stream(&message, QIODevice::WriteOnly);
    stream << absoluteArguments(arguments);
    socket.write(message);
    // Taken once the player has read it all and closed its side.
    while (socket.bytesToWrite() > 0)
        if (!socket.waitForBytesWritten(kWriteMs))
            return false;
    socket.waitForDisconnected(kWriteMs);
    return true;
}

void SingleInstance::acceptConnection()
{
    while (QLocalSocket *socket = m_server.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            QDataStream stream(socket);
            stream.startTransaction();
            QStringList arguments;
            stream >> arguments;
            if (!stream.commitTransaction())
                return; // the rest is still on its way
            socket->disconnectFromServer();
            Q_EMIT handedOver(arguments);
        });
    }
}

} // namespace sky
