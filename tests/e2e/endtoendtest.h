#pragma once

#include "playerrun.h"
#include "test_rig.h"
#include "xsession.h"

#include <QObject>
#include <memory>

namespace e2e {

// The base of each end-to-end test: one X server for all its functions, and
// for each function a fresh player and the program's windows as designed,
// which tell where their controls lie on the screen. After each function a
// player still running must end cleanly on SIGTERM, as at a logout.
class EndToEndTest : public QObject
{
    Q_OBJECT
protected:
    XSession &x() { return m_x; }
    PlayerRun &player() { return *m_player; }
    // The windows as designed: the main window is loaded; load another
    // before asking where its controls lie.
    sky::Program &designs() { return *m_rig->program; }
    const sky::Form1 &mainDesign() { return designs().form1(); }

    // Starts the player over a settings file of these values and waits for
    // its main window; an empty id when it does not show.
    XWindow startPlayer(const QStringList &arguments = {}, const sky::Module1 &settings = {});
    // Types the text into the dialog of that title and presses Enter; true
    // when the dialog showed and then closed.
    bool typeIntoDialog(const QString &title, const QString &text);

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

private:
    XSession m_x;
    std::unique_ptr<sky::test::TestRig> m_rig;
    std::unique_ptr<PlayerRun> m_player;
};

} // namespace e2e
