#include "core/program.h"

#include "accessories/frm_tip.h"
#include "core/settings_file.h"
#include "core/splash.h"
#include "flash/form3.h"
#include "mainwindow/form1.h"
#include "options/form4.h"
#include "options/form5.h"
#include "skins/form2.h"

namespace sky {

namespace {

const QString kHelpBrowserFailed
    = QStringLiteral("The Web Browser could not be started: the program skyvantrix-help beside the player is missing "
                     "or cannot run.");

} // namespace

Program::Program(Services &services, MediaEngineFactory mediaFactory, HelpBrowserLauncher &helpBrowser)
    : m_services(services), m_mediaFactory(std::move(mediaFactory)), m_helpBrowser(helpBrowser)
{
}

Program::~Program() = default;

QString Program::settingsPath()
{
    return settingsFilePath(m_services.environment);
}

Form1 &Program::form1()
{
    return instance(m_form1);
}

Form2 &Program::form2()
{
    return instance(m_form2);
}

void Program::loadAndUnloadSkinManager()
{
    form2().Load();
    form2().Unload();
}

void Program::hideAndUnloadSkinManager()
{
    form2().Hide();
    form2().Unload();
}

void Program::showSkinManager()
{
    form2().Show();
}

Form3 &Program::form3()
{
    return instance(m_form3);
}

bool Program::showFlashWindowModal(const QString &movie)
{
    try {
        form3().Load();
        if (!movie.isEmpty())
            form3().openMovie(movie);
        form3().Show(true);
    } catch (const std::exception &) {
        return false;
    }
    return true;
}

Form4 &Program::form4()
{
    return instance(m_form4);
}

Form5 &Program::form5()
{
    return instance(m_form5);
}

void Program::showPasswordPrompt()
{
    form4().Show();
}

frmTip &Program::tip()
{
    return instance(m_tip);
}

void Program::showTipOfTheDayModal()
{
    tip().Show(true);
}

void Program::showHelpBrowser()
{
    const QString folder = m_services.environment.applicationFolder();
    if (m_helpBrowser.bringToFront(folder) || m_helpBrowser.start(folder))
        return;
    m_services.messageBox.show(kHelpBrowserFailed);
}

frmSplash &Program::splash()
{
    return instance(m_splash);
}

void Program::start()
{
    Form1 &main = form1();
    main.Load();
    if (!m_shutdownRequested)
        main.Show();
}

void Program::requestShutdown()
{
    m_shutdownRequested = true;
}

void Program::handOver(const QStringList &arguments)
{
    Form1 &main = form1();
    // A main window the user has closed stays closed.
    if (!main.isLoaded())
        return;
    main.bringToFront();
    main.actOnHandOver(arguments);
}

void Program::closeMainWindow()
{
    form1().Unload();
}

void Program::terminate()
{
    if (m_terminated)
        return;
    m_terminated = true;
    form1().Form_Terminate();
}

} // namespace sky
