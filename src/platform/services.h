#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <optional>

namespace sky {

class Form;

inline const QString kAppTitle = QStringLiteral("SKYVANTRIX Media Player");

// A message box with an OK button only and the application's title.
class MessageBoxService
{
public:
    virtual ~MessageBoxService() = default;
    virtual void show(const QString &text) = 0;
};

// The common file dialog. Returns the chosen path, or nothing on Cancel.
class FileDialogService
{
public:
    enum class Mode { Open, Save };
    struct Request
    {
        Mode mode = Mode::Open;
        QString filter;      // "Text|*.pla|Other|*.m3u"
        QString title;
        QString initialDir;
        QString fileName;
    };

    virtual ~FileDialogService() = default;
    virtual std::optional<QString> choose(const Request &request) = 0;
};

// Uniform random numbers in [0, 1).
class RandomSource
{
public:
    virtual ~RandomSource() = default;
    virtual double next() = 0;
    virtual void reseedFromClock() = 0;
};

// The time of day as text in the system's time format.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual QString timeOfDay() = 0;
    // The date and time now, in milliseconds since 1970 UTC.
    virtual qint64 msecsSinceEpoch() = 0;
};

// What the program learns about the machine it runs on.
class Environment
{
public:
    virtual ~Environment() = default;
    // The folder of the executable.
    virtual QString applicationFolder() = 0;
    // The per-user data folder, used when the application folder is not
    // writable.
    virtual QString userDataFolder() = 0;
    // The program's arguments (the shell has removed any quotes).
    virtual QStringList arguments() = 0;
    // Mounted volumes, "/" first.
    virtual QStringList volumes() = 0;
};

// A per-user key-value store, keyed by section and key.
class UserSettings
{
public:
    virtual ~UserSettings() = default;
    virtual QVariant value(const QString &section, const QString &key, const QVariant &fallback) = 0;
};

// Runs a window modally: returns when the window is hidden or unloaded.
class ModalLoop
{
public:
    virtual ~ModalLoop() = default;
    virtual void run(Form &form) = 0;
};

// The help browser, a program of its own installed beside the player: a web
// engine in the player's process would slow its start and double its memory.
class HelpBrowserLauncher
{
public:
    virtual ~HelpBrowserLauncher() = default;
    // Asks the help browser running on this application folder to come to
    // the front; false when none runs.
    virtual bool bringToFront(const QString &applicationFolder) = 0;
    // Starts it on the folder's help page; false when it cannot be started.
    virtual bool start(const QString &applicationFolder) = 0;
};

// Where a movie's sound goes: one source at a time, pulled as the sound is
// played. With no sound device the source is still pulled at the pace of
// the clock, so what depends on the sound's timing keeps it.
class SoundOutput
{
public:
    // Adds `frames` sample frames of interleaved stereo, full scale 1, to a
    // zeroed buffer.
    using Source = std::function<void(float *stereo, qsizetype frames)>;

    virtual ~SoundOutput() = default;
    // Sample frames a second of the output.
    virtual int rate() = 0;
    // Plays the source from now on, in place of any other.
    virtual void start(Source source) = 0;
    // Stops at once, dropping what was given to the device but not heard.
    virtual void stop() = 0;
    // Sample frames the source gave that are not heard yet.
    virtual qsizetype queuedFrames() { return 0; }
};

// The desktop's clipboard, holding text.
class ClipboardService
{
public:
    virtual ~ClipboardService() = default;
    virtual QString text() = 0;
    virtual void setText(const QString &text) = 0;
};

// The services a window reaches the outside world through.
struct Services
{
    MessageBoxService &messageBox;
    FileDialogService &fileDialog;
    RandomSource &random;
    Clock &clock;
    Environment &environment;
    UserSettings &userSettings;
    ModalLoop &modal;
    SoundOutput &soundOutput;
    ClipboardService &clipboard;
};

} // namespace sky
