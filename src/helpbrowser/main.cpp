#include "helpbrowser/frm_browser.h"
#include "platform/application_setup.h"
#include "platform/help_browser_process.h"
#include "platform/sound_module.h"
#include "platform/system_services.h"
#include "platform/web/front_requests.h"

#include <QApplication>
#include <QWebEngineProfile>

namespace {

// The player names the application folder whose help page is shown.
class GivenFolder : public sky::SystemEnvironment
{
public:
    explicit GivenFolder(const QString &folder) : m_folder(folder) {}
    QString applicationFolder() override { return m_folder; }

private:
    QString m_folder;
};

} // namespace

// skyvantrix-help [application folder]: the player's help browser.
int main(int argc, char *argv[])
{
    sky::prepareWebEngine();
    QApplication app(argc, argv);
    sky::setUpApplication();
    const QStringList arguments = QApplication::arguments();
    GivenFolder environment(arguments.size() > 1 ? arguments.at(1) : QApplication::applicationDirPath());

    sky::FrontRequests frontRequests;
    if (!frontRequests.listen(sky::helpBrowserAddress(environment.applicationFolder())))
        return 0;

    sky::QtMessageBox messageBox;
    sky::QtFileDialog fileDialog;
    sky::SystemRandom random;
    sky::SystemClock clock;
    sky::QtUserSettings userSettings;
    sky::EventLoopModal modal;
    sky::ModuleSoundOutput soundOutput(QApplication::applicationDirPath());
    sky::QtClipboard clipboard;
    sky::Services services{messageBox, fileDialog, random, clock, environment, userSettings, modal, soundOutput,
                           clipboard};
    // Cookies and log-ins are kept from one run to the next.
    QWebEngineProfile profile(QStringLiteral("help"));
    int status = 0;
    {
        // The view goes before the profile and the application object.
        sky::frmBrowser browser(services, profile);
        frontRequests.Requested = [&browser] { browser.frontRequested(); };
        browser.Show();
        status = QApplication::exec();
    }
    return status;
}
