#pragma once

#include "media/mediaengine.h"
#include "platform/services.h"

#include <QMap>
#include <QStringList>

#include <deque>
#include <random>
#include <vector>

namespace sky::test {

class FakeMessageBox : public MessageBoxService
{
public:
    void show(const QString &text) override { shown.append(text); }
    QStringList shown;
};

class FakeFileDialog : public FileDialogService
{
public:
    std::optional<QString> choose(const Request &request) override;
    // Answers given in turn; a null string, or none left, is Cancel.
    std::deque<QString> answers;
    std::vector<Request> requests;
};

// Gives the scripted values first, then a fixed-seed sequence.
class ScriptedRandom : public RandomSource
{
public:
    double next() override;
    void reseedFromClock() override { ++reseeds; }
    std::deque<double> values;
    int reseeds = 0;

private:
    std::mt19937 m_engine{12345};
};

class FixedClock : public Clock
{
public:
    QString timeOfDay() override { return time; }
    qint64 msecsSinceEpoch() override { return msecs; }
    QString time = QStringLiteral("12:34:56");
    qint64 msecs = 1'000'000'000'000; // 2001-09-09
};

class FakeEnvironment : public Environment
{
public:
    QString applicationFolder() override { return appFolder; }
    QString userDataFolder() override { return dataFolder; }
    QStringList arguments() override { return args; }
    QStringList volumes() override { return mounted; }
    QString appFolder;
    QString dataFolder;
    QStringList args;
    QStringList mounted{QStringLiteral("/")};
};

class FakeUserSettings : public UserSettings
{
public:
    QVariant value(const QString &section, const QString &key, const QVariant &fallback) override;
    QMap<QString, QVariant> values; // "section/key"
};

class FakeClipboard : public ClipboardService
{
public:
    QString text() override { return held; }
    void setText(const QString &text) override { held = text; }
    QString held;
};

// Shows a modal window without waiting for it.
class RecordingModal : public ModalLoop
{
public:
    void run(Form &form) override;
    QStringList shown;
};

// A help browser that runs once it has been started, unless it is missing.
class FakeHelpBrowser : public HelpBrowserLauncher
{
public:
    bool bringToFront(const QString &applicationFolder) override;
    bool start(const QString &applicationFolder) override;
    bool missing = false;
    bool running = false;
    QStringList started;      // the folder of each start
    QStringList broughtFront; // the folder of each request to come to the front
};

// A sound output the test pulls by hand, as a device would.
class FakeSoundOutput : public SoundOutput
{
public:
    int rate() override { return outputRate; }
    void start(Source s) override;
    void stop() override;
    // Pulls `frames` sample frames from the source, as the device would
    // over their time; returns them (nothing when none is playing).
    std::vector<float> pull(qsizetype frames);

    int outputRate = 44100;
    Source source;
    int starts = 0;
    int stops = 0;
};

// An engine whose state the test sets.
class FakeMediaEngine : public MediaEngine
{
public:
    void setFileName(const QString &address) override;
    QString fileName() const override { return m_fileName; }
    double currentPosition() const override { return position; }
    void setCurrentPosition(double seconds) override;
    void setDisplaySize(long size) override { m_displaySize = size; }
    long displaySize() const override { return m_displaySize; }
    long playState() const override { return state; }
    void stop() override;
    double duration() const override { return length; }
    void togglePause() override;
    double volume() const override { return loudness; }
    void setVolume(double percent) override { loudness = percent; }
    void open(const QString &address) override { opened.append(address); }
    void prepare(const QString &address) override { prepared.append(address); }
    QWidget *view() override { return nullptr; }

    long state = Closed;
    // The state an assignment leaves: an engine still opening the item may
    // report it as ended for a moment.
    long stateAfterAssign = Playing;
    double position = 0;
    double length = 0;
    double loudness = 100;
    QStringList assigned; // every address assigned, in order
    QStringList opened;
    QStringList prepared; // every address the engine was told to expect
    std::vector<double> seeks;
    int stops = 0;

private:
    QString m_fileName;
    long m_displaySize = 4;
};

} // namespace sky::test
