#include "platform/application_setup.h"

#include "platform/caption_text.h"
#include "platform/services.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QStyleFactory>

namespace sky {

void prepareDisplayConnection()
{
    // The main window redraws a few small areas ten times a second. Through
    // the X server's shared memory, every redrawing of an area it drew the
    // time before waits for a round trip to the server first (the server
    // might still be reading it); those few kilobytes sent over the
    // connection cost the player and the server less. Video has a window
    // and a drawing path of its own.
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM"))
        qputenv("QT_XCB_NO_MITSHM", "1");
}

void setUpApplication()
{
    QApplication::setOrganizationName(QStringLiteral("SKYVANTRIX"));
    QApplication::setApplicationName(kAppTitle);
    QApplication::setApplicationVersion(QStringLiteral("1.0.0"));
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setFont(programFont());
}

void startDrawingThreads()
{
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return;
    // A blend over a few hundred rows is shared out among those threads.
    QImage rows(1, 512, QImage::Format_ARGB32_Premultiplied);
    rows.fill(Qt::transparent);
    QPainter(&rows).fillRect(rows.rect(), QColor(0, 0, 0, 128));
}

} // namespace sky
