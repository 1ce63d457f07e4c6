#include "platform/local_socket.h"

#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>
#include <utility>

namespace sky {

namespace {

// The address of the socket file `path`; false when the path is too long
// for one.
bool socketAddress(const QByteArray &path, sockaddr_un &address)
{
    address = {};
    address.sun_family = AF_UNIX;
    if (path.isEmpty() || path.size() >= qsizetype(sizeof address.sun_path))
        return false;
    std::memcpy(address.sun_path, path.constData(), std::size_t(path.size()));
    return true;
}

// Closes the descriptor it holds when it goes.
class Descriptor
{
public:
    explicit Descriptor(int fd) : m_fd(fd) { }
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    int get() const { return m_fd; }
    int release() { return std::exchange(m_fd, -1); }

private:
    int m_fd;
};

// A connection to `path` whose every step (the connection itself while the
// listener's queue is full, each write, each read) waits at most
// `timeoutMs`; -1 when none is made.
int connectTo(const QString &path, int timeoutMs)
{
    sockaddr_un address;
    if (!socketAddress(QFile::encodeName(path), address))
        return -1;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    const timeval limit { timeoutMs / 1000, (timeoutMs % 1000) * 1000 };
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    if (::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

} // namespace

bool localSocketAnswers(const QString &path, int timeoutMs)
{
    const Descriptor connection(connectTo(path, timeoutMs));
    return connection.get() >= 0;
}

bool sendOverLocalSocket(const QString &path, const QByteArray &message, int timeoutMs)
{
    const Descriptor connection(connectTo(path, timeoutMs));
    if (connection.get() < 0)
        return false;
    for (qsizetype sent = 0; sent < message.size();) {
        // A listener that went away meanwhile is an error here, not a signal
        // that ends the program.
        const ssize_t n = ::send(
            connection.get(), message.constData() + sent, std::size_t(message.size() - sent), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        sent += n;
    }
    ::shutdown(connection.get(), SHUT_WR);
    // Taken once the listener has read it all and closed its side.
    char byte = 0;
    while (::recv(connection.get(), &byte, 1, 0) < 0 && errno == EINTR) { }
    return true;
}

struct LocalListener::Connection
{
    int fd = -1;
    QByteArray message;
    QSocketNotifier *notifier = nullptr;
};

LocalListener::LocalListener(QObject *parent) : QObject(parent) { }

LocalListener::~LocalListener()
{
    for (const auto &connection : m_connections)
        ::close(connection->fd);
    if (m_fd < 0)
        return;
    ::close(m_fd);
    ::unlink(QFile::encodeName(m_path).constData());
}

bool LocalListener::fail(const char *step)
{
    m_error = QString::fromLatin1(step) + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno));
    return false;
}

bool LocalListener::listen(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    sockaddr_un address;
    if (m_fd >= 0 || !socketAddress(name, address)) {
        m_error = QStringLiteral("cannot listen at this path");
        return false;
    }
    ::unlink(name.constData());
    // Bound in a folder of this user's alone and then moved into place, so
    // that nobody else can connect to it in between.
    QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath()) + "/.skyvantrix-XXXXXX";
    if (!::mkdtemp(folder.data()))
        return fail("private folder");
    const QByteArray bound = folder + "/socket";
    sockaddr_un boundAddress;
    Descriptor fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    const bool made = socketAddress(bound, boundAddress) && fd.get() >= 0
        && ::bind(fd.get(), reinterpret_cast<const sockaddr *>(&boundAddress), sizeof boundAddress) == 0
        && ::chmod(bound.constData(), S_IRUSR | S_IWUSR) == 0 && ::listen(fd.get(), SOMAXCONN) == 0
        && ::rename(bound.constData(), name.constData()) == 0;
    const int error = errno;
    ::unlink(bound.constData());
    ::rmdir(folder.constData());
    if (!made) {
        errno = error;
        return fail("socket");
    }
    m_fd = fd.release();
    m_path = path;
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &LocalListener::acceptConnections);
    return true;
}

void LocalListener::acceptConnections()
{
    for (;;) {
        const int fd = ::accept4(m_fd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        auto connection = std::make_unique<Connection>();
        Connection *raw = connection.get();
        raw->fd = fd;
        raw->notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
        connect(raw->notifier, &QSocketNotifier::activated, this, [this, raw] { readFrom(raw); });
        m_connections.push_back(std::move(connection));
    }
}

void LocalListener::readFrom(Connection *connection)
{
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(connection->fd, buffer, sizeof buffer);
        if (n > 0) {
            connection->message.append(buffer, n);
            if (connection->message.size() > kMaxMessage) {
                drop(connection);
                return;
            }
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return; // the rest is still on its way
        // The peer's end of writing, or an error.
        const bool complete = n == 0;
        const QByteArray message = std::move(connection->message);
        // Closing this side ends the sender's wait.
        drop(connection);
        if (complete)
            Q_EMIT received(message);
        return;
    }
}

void LocalListener::drop(Connection *connection)
{
    // The notifier may be the one whose signal is being handled.
    connection->notifier->setEnabled(false);
    connection->notifier->deleteLater();
    ::close(connection->fd);
    std::erase_if(m_connections, [connection](const auto &kept) { return kept.get() == connection; });
}

} // namespace sky
