#include "core/program.h"
#include "core/remote_control.h"
#include "core/settings_file.h"
#include "mainwindow/form1.h"
#include "media/mpvengine.h"
#include "mpris/mpris_desktop.h"
#include "mpris/mpris_service.h"
#include "platform/application_setup.h"
#include "platform/first_drawing.h"
#include "platform/font_configuration.h"
#include "platform/help_browser_process.h"
#include "platform/shutdown_signals.h"
#include "platform/single_instance.h"
#include "platform/sound_module.h"
#include "platform/system_services.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>

// The sanitizer build checks for leaks as the player ends.
#ifdef __has_feature
#if __has_feature(address_sanitizer)
#include <sanitizer/lsan_interface.h>
#define SKY_CHECK_LEAKS_AT_END
#endif
#endif

namespace {

int run(int argc, char *argv[])
{
    // The player has a look of its own (its style, font and skins); the
    // desktop's palette, fonts and icon theme are left out, which also
    // spares start-up reading the icon theme for the few standard icons.
    QApplication::setDesktopSettingsAware(false);
    sky::prepareDisplayConnection();
    sky::FontConfigurationReader fonts;
    QApplication app(argc, argv);
    sky::setUpApplication();
    fonts.applicationMade();
    QGuiApplication::setDesktopFileName(sky::kDesktopEntry);

    sky::QtMessageBox messageBox;
    sky::QtFileDialog fileDialog;
    sky::SystemRandom random;
    sky::SystemClock clock;
    sky::SystemEnvironment environment;
    sky::QtUserSettings userSettings;
    sky::EventLoopModal modal;
    sky::ModuleSoundOutput soundOutput(QApplication::applicationDirPath());
    sky::QtClipboard clipboard;
    sky::Services services{messageBox, fileDialog, random, clock, environment, userSettings, modal, soundOutput,
                           clipboard};
    sky::HelpBrowserProcess helpBrowser(QApplication::applicationDirPath() + QStringLiteral("/skyvantrix-help"));

    // One player per settings file: a player already running with the same
    // "save.ata" takes this start's argument over, and this one ends before
    // it reads or writes anything.
    sky::SingleInstance instance(sky::settingsFilePath(environment));
    if (instance.handOverOrListen(environment.arguments())) {
        // The application object frees the font configuration as it goes:
        // the reader must be done with it by then.
        fonts.wait();
        return 0;
    }

    // Without a usable libmpv the window still works; nothing plays.
    sky::Program program(
        services, [](QWidget *parent) { return sky::createMpvEngine(parent); }, helpBrowser);
    sky::installShutdownSignals([&program] { program.requestShutdown(); });
    // Queued, so that a modal window it opens runs outside the socket's
    // own handling.
    QObject::connect(
        &instance, &sky::SingleInstance::handedOver, &instance,
        [&program](const QStringList &arguments) { program.handOver(arguments); }, Qt::QueuedConnection);
    fonts.wait();
    program.start();

    // The desktop's media panel and media keys reach the player on the
    // session bus; without a bus it runs as before. The bus is joined once
    // the main window is on screen: connecting (where no session bus runs,
    // the attempt to start one for the display) is no reason for the window
    // to wait.
    sky::RemoteControl remote(program, [&program] {
        program.requestShutdown();
        QCoreApplication::exit(0);
    });
    sky::MprisService mpris(remote);
    sky::afterFirstDrawing(program.form1().window(), [&mpris] { mpris.registerOn(QDBusConnection::sessionBus()); });
    // The bus learns what changed on every third tick of the main window's
    // timer: a timer of its own woke the player four more times a second,
    // between the ticks.
    sky::Timer &mainTimer = program.form1().Timer1;
    mainTimer.Tick = [tick = mainTimer.Tick, &mpris, count = 0]() mutable {
        tick();
        if (++count == 3) {
            count = 0;
            mpris.refresh();
        }
    };

    const int status = program.shutdownRequested() ? 0 : QApplication::exec();
    // A logout or Ctrl+C, under any modal window, ends here as a close of
    // the main window does.
    program.closeMainWindow();
    program.terminate();
    return status;
}

} // namespace

int main(int argc, char *argv[])
{
    const int status = run(argc, argv);
    // Everything the player keeps has been written and its windows closed.
    // The libraries' own clean-up at exit is skipped: the hundred or so that
    // the media player brings each ran code of theirs, paged in again for
    // it, to free memory that goes with the process anyway; that took a
    // third of the player's quitting.
#ifdef SKY_CHECK_LEAKS_AT_END
    __lsan_do_leak_check();
#endif
    std::fflush(nullptr);
    std::_Exit(status);
}
