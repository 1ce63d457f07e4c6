#pragma once

#include "core/module1.h"
#include "media/mediaplayer_control.h"
#include "platform/paths.h"
#include "platform/services.h"

#include <memory>

namespace sky {

class Form1;
class Form2;
class Form3;
class Form4;
class Form5;
class frmTip;
class frmSplash;

// The application object: it owns the shared state and the one instance of
// each window, creating a window on first use, and hands the services to
// them.
class Program
{
public:
    Program(Services &services, MediaEngineFactory mediaFactory, HelpBrowserLauncher &helpBrowser);
    ~Program();
    Program(const Program &) = delete;
    Program &operator=(const Program &) = delete;

    Module1 &module() { return m_module; }
    Services &services() { return m_services; }
    const MediaEngineFactory &mediaFactory() const { return m_mediaFactory; }
    const PathRules &paths() const { return PathRules::native(); }
    // Where "save.ata" is read and written.
    QString settingsPath();

    Form1 &form1();
    Form2 &form2();
    Form3 &form3();
    Form4 &form4();
    Form5 &form5();
    frmTip &tip();
    frmSplash &splash();

    // The start of the program: the main window is loaded and shown, unless
    // the program was asked to end while it loaded.
    void start();
    // A logout or Ctrl+C asks the program to end; it then closes the main
    // window as the user does.
    void requestShutdown();
    bool shutdownRequested() const { return m_shutdownRequested; }
    void closeMainWindow();
    // The main window's termination, once, when the program ends.
    void terminate();

    // The skin manager is loaded and unloaded once at start-up so that it
    // applies the skin settings just read.
    void loadAndUnloadSkinManager();
    void hideAndUnloadSkinManager();
    void showSkinManager();
    void showPasswordPrompt();
    void showTipOfTheDayModal();
    // Starts the help browser, or brings it to the front when it runs;
    // tells the user when it cannot be started.
    void showHelpBrowser();
    // Shows the Flash window modally, with a movie opened in it when one is
    // named; false when the window cannot be created.
    bool showFlashWindowModal(const QString &movie = QString());
    // A later start of the player handed its arguments over: the main
    // window comes forward and acts on them.
    void handOver(const QStringList &arguments);

private:
    // The one instance of a window, created on first use.
    template<typename Window>
    Window &instance(std::unique_ptr<Window> &slot)
    {
        if (!slot)
            slot = std::make_unique<Window>(*this);
        return *slot;
    }

    Services &m_services;
    MediaEngineFactory m_mediaFactory;
    HelpBrowserLauncher &m_helpBrowser;
    Module1 m_module;
    std::unique_ptr<Form1> m_form1;
    std::unique_ptr<Form2> m_form2;
    std::unique_ptr<Form3> m_form3;
    std::unique_ptr<Form4> m_form4;
    std::unique_ptr<Form5> m_form5;
    std::unique_ptr<frmTip> m_tip;
    std::unique_ptr<frmSplash> m_splash;
    bool m_terminated = false;
    bool m_shutdownRequested = false;
};

} // namespace sky
