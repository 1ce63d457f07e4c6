#pragma once

#include "platform/local_socket.h"

#include <QObject>
#include <QStringList>

namespace sky {

// One player per settings file. The first start listens on a local socket
// named after the settings file; a later start with the same settings file
// hands its arguments to it and ends, so that only one process ever reads
// and writes that file.
class SingleInstance : public QObject
{
    Q_OBJECT

public:
    explicit SingleInstance(const QString &settingsPath);

    // Hands the arguments (relative paths made absolute) to the player
    // already running, and returns true; or, when none answers, starts
    // listening for later starts and returns false. A socket left behind by
    // a player that crashed is removed.
    bool handOverOrListen(const QStringList &arguments);

    const QString &socketPath() const { return m_socketPath; }

Q_SIGNALS:
    // A later start handed these arguments over.
    void handedOver(const QStringList &arguments);

private:
    void takeOver(const QByteArray &message);

    QString m_socketPath;
    LocalListener m_listener;
};

// Where the player for a settings file listens: a socket in the user's
// runtime folder whose name is derived from the file's absolute path.
QString instanceSocketPath(const QString &settingsPath);

} // namespace sky
