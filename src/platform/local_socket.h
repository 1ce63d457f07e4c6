#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <memory>
#include <vector>

class QSocketNotifier;

namespace sky {

// Unix-domain stream sockets at a path in the file system, through which
// the player and its helpers find the copy of themselves already running.
// Plain system calls: the toolkit's network module and the dozen libraries
// it brings would otherwise be loaded at every start for this alone.

// Connects to `path`, and closes again: true when something listens there
// and took the connection within `timeoutMs`.
bool localSocketAnswers(const QString &path, int timeoutMs);

// Connects to `path`, writes `message`, ends its side of the connection and
// waits, up to `timeoutMs` for each step, until the listener has closed its
// side too. True once the whole message was written.
bool sendOverLocalSocket(const QString &path, const QByteArray &message, int timeoutMs);

// Listens at a path; each connection's message is everything the peer wrote
// before it ended its side of the connection.
class LocalListener : public QObject
{
    Q_OBJECT

public:
    explicit LocalListener(QObject *parent = nullptr);
    ~LocalListener() override;
    LocalListener(const LocalListener &) = delete;
    LocalListener &operator=(const LocalListener &) = delete;

    // Listens at `path` for connections of this user only, taking the place
    // of whatever was left there. False, with errorString() saying why,
    // when that fails.
    bool listen(const QString &path);
    const QString &errorString() const { return m_error; }

    // A message longer than this is not taken: its connection is closed.
    static constexpr qsizetype kMaxMessage = 1 << 20;

Q_SIGNALS:
    void received(const QByteArray &message);

private:
    struct Connection;
    void acceptConnections();
    void readFrom(Connection *connection);
    void drop(Connection *connection);
    bool fail(const char *step);

    int m_fd = -1;
    QString m_path;
    QString m_error;
    QSocketNotifier *m_notifier = nullptr;
    std::vector<std::unique_ptr<Connection>> m_connections;
};

} // namespace sky
