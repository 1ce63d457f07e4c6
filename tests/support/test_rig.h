#pragma once

#include "core/program.h"
#include "mainwindow/form1.h"
#include "fakes.h"

#include <QTemporaryDir>

#include <memory>

namespace sky::test {

// A program with fake services and a fake media engine, whose application
// folder is a fresh temporary folder.
class TestRig
{
public:
    TestRig();
    ~TestRig();

    // Loads the main window over an empty settings file.
    Form1 &startMainWindow();
    // Fills the playlist through its Load button.
    void loadPlaylist(const QStringList &addresses);
    QStringList playlistLines();
    // Creates empty files in a folder.
    static void createFiles(const QString &folder, const QStringList &names);

    QString appPath(const QString &name) const;
    void writeAppFile(const QString &name, const QByteArray &content) const;
    QByteArray readAppFile(const QString &name) const;

    QTemporaryDir folder;
    FakeMessageBox messageBox;
    FakeFileDialog fileDialog;
    ScriptedRandom random;
    FixedClock clock;
    FakeEnvironment environment;
    FakeUserSettings userSettings;
    RecordingModal modal;
    Services services{messageBox, fileDialog, random, clock, environment, userSettings, modal};
    FakeMediaEngine *media = nullptr; // owned by the main window's media control
    std::unique_ptr<Program> program;
};

} // namespace sky::test
