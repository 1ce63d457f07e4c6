#include "platform/single_instance.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QThread>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <optional>

namespace sky {

namespace {

// A local connection is made or refused at once; these only bound a player
// that is stuck.
constexpr int kHandOverMs = 5000;
constexpr int kLockMs = 10000;

// An exclusive lock on a file, held until it goes. The system lets go of it
// when the process ends, however it ends, so a crashed player leaves no lock
// behind; and taking it writes nothing (a lock file with its holder written
// and synced to disk kept a start waiting for the disk). The file stays:
// removed, a later start could lock a new file while another held the old.
class FileLock
{
public:
    FileLock(const QString &path, int timeoutMs)
        : m_fd(::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600))
    {
        constexpr int kRetryMs = 20;
        for (int waited = 0; m_fd >= 0; waited += kRetryMs) {
            if (::flock(m_fd, LOCK_EX | LOCK_NB) == 0)
                return;
            if ((errno != EWOULDBLOCK && errno != EINTR) || waited >= timeoutMs)
                return;
            QThread::msleep(kRetryMs);
        }
    }
    ~FileLock()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileLock(const FileLock &) = delete;
    FileLock &operator=(const FileLock &) = delete;

private:
    int m_fd;
};

QStringList absoluteArguments(const QStringList &arguments)
{
    QStringList absolute;
    for (const QString &argument : arguments)
        absolute.append(
            !argument.isEmpty() && QFileInfo::exists(argument) ? QFileInfo(argument).absoluteFilePath() : argument);
    return absolute;
}

// Any program of the user may write to the socket, so the message is read
// with care: the stream would set aside room for as many arguments as the
// count claims before reading one, so a count the message cannot hold (each
// argument takes at least its four-byte length) is refused first.
std::optional<QStringList> handedOverArguments(const QByteArray &message)
{
    QDataStream stream(message);
    quint32 count = 0;
    stream >> count;
    if (stream.status() != QDataStream::Ok || count > quint32((message.size() - sizeof count) / sizeof count))
        return std::nullopt;
    QStringList arguments;
    arguments.reserve(count);
    for (quint32 i = 0; i < count; ++i) {
        QString argument;
        stream >> argument;
        if (stream.status() != QDataStream::Ok)
            return std::nullopt;
        arguments.append(argument);
    }
    return arguments;
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
    connect(&m_listener, &LocalListener::received, this, &SingleInstance::takeOver);
}

bool SingleInstance::handOverOrListen(const QStringList &arguments)
{
    // Two players started together must not both find no one and both
    // listen: the look and the listen happen under a lock. A lock left by a
    // crashed player is let go of by the system.
    const FileLock lock(m_socketPath + QStringLiteral(".lock"), kLockMs);
    QByteArray message;
    QDataStream stream(&message, QIODevice::WriteOnly);
    stream << absoluteArguments(arguments);
    if (sendOverLocalSocket(m_socketPath, message, kHandOverMs))
        return true;
    // Nobody answered: whatever is left at the path is a dead player's, and
    // the listener takes its place.
    if (!m_listener.listen(m_socketPath))
        qWarning("single instance: cannot listen on %s: %s", qPrintable(m_socketPath),
            qPrintable(m_listener.errorString()));
    return false;
}

void SingleInstance::takeOver(const QByteArray &message)
{
    if (const std::optional<QStringList> arguments = handedOverArguments(message))
        Q_EMIT handedOver(*arguments);
}

} // namespace sky
