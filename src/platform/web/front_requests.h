#pragma once

#include <QObject>

#include <functional>

class QLocalServer;

namespace sky {

// The local socket on which the help browser hears that the player's
// Browser button was pressed again: each connection asks its window to come
// to the front.
class FrontRequests : public QObject
{
public:
    explicit FrontRequests(QObject *parent = nullptr);

    // Listens at the address. False when another help browser already
    // listens there: it has just been asked to come to the front, and this
    // one is not needed.
    bool listen(const QString &address);

    std::function<void()> Requested;

private:
    QLocalServer *m_server;
};

} // namespace sky
