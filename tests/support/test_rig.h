#pragma once

#include "core/program.h"
#include "mainwindow/form1.h"
#include "fakes.h"

#include <QMap>
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

    // Loads the main window over a settings file with this content.
    Form1 &startMainWindow(const QByteArray &settings = {});
    // Fills the playlist through its Load button.
    void loadPlaylist(const QStringList &addresses);
    QStringList playlistLines();
    // A settings file of start values with some lines, numbered from 1,
    // edited by hand.
    static QByteArray editedSettings(const QMap<int, QString> &lines);
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
    FakeSoundOutput soundOutput;
    FakeClipboard clipboard;
    Services services{messageBox, fileDialog, random, clock, environment, userSettings, modal, soundOutput, clipboard};
    FakeHelpBrowser helpBrowser;
    FakeMediaEngine *media = nullptr; // owned by the main window's media control
    std::unique_ptr<Program> program;
};

} // namespace sky::test
