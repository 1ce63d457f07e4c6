#include "core/program.h"
#include "media/mpvengine.h"
#include "media/null_media_engine.h"
#include "platform/shutdown_signals.h"
#include "platform/system_services.h"

#include <QApplication>
#include <QFont>
#include <QStyleFactory>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("SKYVANTRIX"));
    QApplication::setApplicationName(sky::kAppTitle);
    QApplication::setApplicationVersion(QStringLiteral("1.0.0"));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.skyvantrix.MediaPlayer"));
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setFont(QFont(QStringLiteral("DejaVu Sans Condensed"), 8));

    sky::QtMessageBox messageBox;
    sky::QtFileDialog fileDialog;
    sky::SystemRandom random;
    sky::SystemClock clock;
    sky::SystemEnvironment environment;
    sky::QtUserSettings userSettings;
    sky::EventLoopModal modal;
    sky::Services services { messageBox, fileDialog, random, clock, environment, userSettings, modal };

    sky::Program program(services, [](QWidget *parent) -> std::unique_ptr<sky::MediaEngine> {
        if (auto engine = sky::createMpvEngine(parent))
            return engine;
        // Without a player the window still works; nothing plays.
        return std::make_unique<sky::NullMediaEngine>();
    });
    sky::installShutdownSignals([&program] {
        program.closeMainWindow();
        QApplication::quit();
    });
    program.start();
    const int status = QApplication::exec();
    program.terminate();
    return status;
}
