#pragma once

#include "platform/services.h"

namespace sky {

// Where a running help browser listens for requests to come to the front:
// a local socket in the user's runtime folder, one for each application
// folder.
QString helpBrowserAddress(const QString &applicationFolder);

// The help browser as a program of its own, started detached so that it
// stays open after the player (an open window keeps it running), and asked
// to come to the front over its local socket.
class HelpBrowserProcess : public HelpBrowserLauncher
{
public:
    explicit HelpBrowserProcess(const QString &executable);

    bool bringToFront(const QString &applicationFolder) override;
    bool start(const QString &applicationFolder) override;

private:
    QString m_executable;
};

} // namespace sky
