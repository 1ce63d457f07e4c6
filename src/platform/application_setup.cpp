#include "platform/application_setup.h"

#include "platform/caption_text.h"
#include "platform/services.h"

#include <QApplication>
#include <QStyleFactory>

namespace sky {

void setUpApplication()
{
    QApplication::setOrganizationName(QStringLiteral("SKYVANTRIX"));
    QApplication::setApplicationName(kAppTitle);
    QApplication::setApplicationVersion(QStringLiteral("1.0.0"));
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setFont(programFont());
}

} // namespace sky
