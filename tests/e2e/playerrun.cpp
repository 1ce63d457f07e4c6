#include "playerrun.h"

#include "core/module1.h"
#include "core/settings_file.h"
#include "mediafixtures.h"
#include "platform/control.h"
#include "platform/sound_module.h"
#include "platform/units.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QtTest>
#include <csignal>

namespace e2e {

namespace {

const QString kAppFolder = QStringLiteral("app");
const QString kMediaFolder = QStringLiteral("media");
const QString kHomeFolder = QStringLiteral("home");
const QString kRuntimeFolder = QStringLiteral("run");

// The title of the main window: the time of day ("HH:mm:ss" in the C
// locale the player runs in), then the scrolling text.
const QString kMainWindowTitle = QStringLiteral("\\d\\d:\\d\\d:\\d\\d( .*)?");

} // namespace

PlayerRun::PlayerRun(XSession &x) : m_x(x)
{
    const QDir root(m_root.path());
    for (const QString &folder : { kAppFolder, kMediaFolder, kHomeFolder, kRuntimeFolder })
        root.mkpath(folder);
    QFile::setPermissions(root.filePath(kRuntimeFolder), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    // The player and its sound module, which it opens beside itself.
    const QFileInfo executable(QString::fromUtf8(SKY_PLAYER_EXECUTABLE));
    for (const QString &name : { executable.fileName(), QString::fromLatin1(sky::kSoundModule) })
        if (!QFile::copy(executable.dir().filePath(name), appPath(name)))
            m_error = QStringLiteral("cannot copy the player's ") + name;
    const QDir resources(QString::fromUtf8(SKY_RESOURCES_DIR));
    for (const QString &name : resources.entryList(QDir::Files))
        if (!QFile::copy(resources.filePath(name), appPath(name)))
            m_error = QStringLiteral("cannot copy the resource ") + name;
}

PlayerRun::~PlayerRun()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished();
    }
}

QString PlayerRun::appPath(const QString &name) const
{
    return QDir(m_root.filePath(kAppFolder)).filePath(name);
}

QString PlayerRun::mediaPath(const QString &name) const
{
    return QDir(m_root.filePath(kMediaFolder)).filePath(name);
}

bool PlayerRun::writeSettings(const sky::Module1 &settings) const
{
    return fixtures::writeFile(appPath(QStringLiteral("save.ata")), sky::settingsFileContent(settings));
}

bool PlayerRun::start(const QStringList &arguments)
{
    if (!m_error.isEmpty())
        return false;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString &name : { QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("SESSION_MANAGER"),
             QStringLiteral("WAYLAND_DISPLAY"), QStringLiteral("XAUTHORITY"), QStringLiteral("QT_SCALE_FACTOR"),
             QStringLiteral("QT_SCREEN_SCALE_FACTORS"), QStringLiteral("QT_FONT_DPI") })
        environment.remove(name);
    const QString home = m_root.filePath(kHomeFolder);
    environment.insert(QStringLiteral("DISPLAY"), m_x.display());
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.insert(QStringLiteral("HOME"), home);
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), QDir(home).filePath(QStringLiteral(".config")));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), QDir(home).filePath(QStringLiteral(".local/share")));
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), QDir(home).filePath(QStringLiteral(".cache")));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_root.filePath(kRuntimeFolder));
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    m_process.setProcessEnvironment(environment);
    m_process.setWorkingDirectory(m_root.filePath(kMediaFolder));
    m_process.setProcessChannelMode(QProcess::ForwardedChannels);
    m_process.start(appPath(QFileInfo(QString::fromUtf8(SKY_PLAYER_EXECUTABLE)).fileName()), arguments);
    if (m_process.waitForStarted())
        return true;
    m_error = QStringLiteral("the player cannot be started: ") + m_process.errorString();
    return false;
}

XWindow PlayerRun::startToMainWindow(const QStringList &arguments)
{
    return start(arguments) ? waitForMainWindow() : XWindow();
}

bool PlayerRun::isRunning() const
{
    return m_process.state() == QProcess::Running;
}

bool PlayerRun::endsOnSigterm()
{
    ::kill(static_cast<pid_t>(m_process.processId()), SIGTERM);
    return m_process.waitForFinished(kWaitMs) && m_process.exitStatus() == QProcess::NormalExit
        && m_process.exitCode() == 0;
}

QList<XWindow> PlayerRun::windows() const
{
    return isRunning() ? m_x.windowsOf(m_process.processId()) : QList<XWindow>();
}

XWindow PlayerRun::window(const QString &pattern) const
{
    const QRegularExpression whole(QRegularExpression::anchoredPattern(pattern));
    for (const XWindow &window : windows())
        if (whole.match(window.name).hasMatch())
            return window;
    return {};
}

XWindow PlayerRun::mainWindow() const
{
    return window(kMainWindowTitle);
}

XWindow PlayerRun::waitForWindow(const QString &pattern) const
{
    XWindow found;
    waitFor([&] { return !(found = window(pattern)).id.isEmpty(); });
    return found;
}

XWindow PlayerRun::waitForMainWindow() const
{
    return waitForWindow(kMainWindowTitle);
}

bool PlayerRun::waitUntilGone(const QString &pattern) const
{
    return waitFor([&] { return window(pattern).id.isEmpty(); });
}

QString PlayerRun::describe() const
{
    if (!m_error.isEmpty())
        return m_error;
    if (const QString serverEnd = m_x.serverEnd(); !serverEnd.isEmpty())
        return serverEnd;
    if (!isRunning())
        return QStringLiteral("the player has ended, status %1").arg(m_process.exitCode());
    QStringList windows;
    for (const XWindow &window : m_x.windowsOf(m_process.processId()))
        windows.append(QStringLiteral("\"%1\" at %2,%3 %4x%5")
                           .arg(window.name)
                           .arg(window.geometry.x())
                           .arg(window.geometry.y())
                           .arg(window.geometry.width())
                           .arg(window.geometry.height()));
    return QStringLiteral("the player shows ")
        + (windows.isEmpty() ? QStringLiteral("no window") : windows.join(u", "));
}

QRect PlayerRun::areaOf(const XWindow &window, const sky::Control &control)
{
    return QRect(
        window.geometry.topLeft() + QPoint(sky::twipsToPixels(control.Left()), sky::twipsToPixels(control.Top())),
        QSize(sky::twipsToPixels(control.Width()), sky::twipsToPixels(control.Height())));
}

void PlayerRun::click(const XWindow &window, const sky::Control &control, int count) const
{
    m_x.click(areaOf(window, control).center(), count);
}

} // namespace e2e
