#include "platform/web/front_requests.h"

#include <QLocalServer>
#include <QLocalSocket>

namespace sky {

namespace {

constexpr int kConnectMilliseconds = 1000;

} // namespace

FrontRequests::FrontRequests(QObject *parent) : QObject(parent), m_server(new QLocalServer(this))
{
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    QObject::connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *connection = m_server->nextPendingConnection()) {
            connection->deleteLater();
            if (Requested)
                Requested();
        }
    });
}

bool FrontRequests::listen(const QString &address)
{
    QLocalSocket running;
    running.connectToServer(address);
    if (running.waitForConnected(kConnectMilliseconds))
        return false;
    // What is left there belongs to a help browser that has ended.
    QLocalServer::removeServer(address);
    m_server->listen(address);
    return true;
}

} // namespace sky
