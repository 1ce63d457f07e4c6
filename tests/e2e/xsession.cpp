#include "xsession.h"

#include <QDir>
#include <QProcessEnvironment>
#include <QRandomGenerator>
#include <QtTest>
#include <cstdlib>

namespace e2e {

namespace {

constexpr int kToolTimeoutMs = 10000;
constexpr int kServerStartMs = 15000;
constexpr int kServerAttempts = 10;
constexpr int kFirstDisplay = 100;
constexpr int kDisplayCount = 900;
// Long enough for the player to take two presses as a double-click, and
// keys as separate presses.
constexpr int kClickDelayMs = 120;
constexpr int kKeyDelayMs = 60;
constexpr int kTypeDelayMs = 20;
constexpr int kPollMs = 50;

} // namespace

XSession::XSession()
{
    // A display number of its own, away from the low numbers that servers
    // looking for a free display try one after the other (a server trying a
    // number in use can take the socket file from the server holding it).
    // A number in use makes the server end at once, and another is tried.
    for (int attempt = 0; attempt < kServerAttempts && m_display.isEmpty(); ++attempt) {
        const QString display
            = QLatin1Char(':') + QString::number(kFirstDisplay + QRandomGenerator::global()->bounded(kDisplayCount));
        // The server says when it is ready by writing its number on its
        // standard output; it is not reset when its last client leaves.
        m_server.start(QStringLiteral("Xvfb"),
            { display, QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-noreset"),
                QStringLiteral("-screen"), QStringLiteral("0"), QStringLiteral("1280x1024x24"),
                QStringLiteral("-nolisten"), QStringLiteral("tcp") });
        if (!m_server.waitForStarted()) {
            m_error = QStringLiteral("Xvfb cannot be started (scripts/install-deps.sh installs it)");
            return;
        }
        QByteArray ready;
        QElapsedTimer waited;
        waited.start();
        while (!ready.contains('\n') && waited.elapsed() < kServerStartMs && m_server.state() == QProcess::Running) {
            m_server.waitForReadyRead(200);
            ready += m_server.readAllStandardOutput();
        }
        if (ready.contains('\n') && m_server.state() == QProcess::Running) {
            m_display = display;
        } else {
            m_error
                = QStringLiteral("Xvfb did not come up: ") + QString::fromLocal8Bit(m_server.readAllStandardError());
            m_server.kill();
            m_server.waitForFinished();
        }
    }
    if (m_display.isEmpty())
        return;
    m_error.clear();
    if (!run(QStringLiteral("xdotool"), { QStringLiteral("getdisplaygeometry") }, nullptr))
        m_error = QStringLiteral("xdotool cannot reach the display (scripts/install-deps.sh installs it)");
}

XSession::~XSession()
{
    if (m_server.state() != QProcess::NotRunning) {
        m_server.terminate();
        if (!m_server.waitForFinished(5000))
            m_server.kill();
        m_server.waitForFinished();
    }
}

QString XSession::serverEnd()
{
    if (m_server.state() == QProcess::Running)
        return {};
    return QStringLiteral("the X server has ended: ") + QString::fromLocal8Bit(m_server.readAllStandardError());
}

QRect XSession::screen() const
{
    QByteArray out;
    run(QStringLiteral("xdotool"), { QStringLiteral("getdisplaygeometry") }, &out);
    const QStringList size = QString::fromUtf8(out).simplified().split(QLatin1Char(' '));
    return size.size() == 2 ? QRect(0, 0, size.at(0).toInt(), size.at(1).toInt()) : QRect();
}

QList<XWindow> XSession::windowsOf(qint64 pid) const
{
    QByteArray ids;
    run(QStringLiteral("xdotool"),
        { QStringLiteral("search"), QStringLiteral("--maxdepth"), QStringLiteral("1"), QStringLiteral("--onlyvisible"),
            QStringLiteral("--pid"), QString::number(pid) },
        &ids);
    QList<XWindow> windows;
    for (const QString &id : QString::fromUtf8(ids).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const XWindow window = refreshed(XWindow { id, {}, {} });
        if (!window.id.isEmpty())
            windows.append(window);
    }
    return windows;
}

XWindow XSession::refreshed(const XWindow &window) const
{
    QByteArray nameBytes;
    QByteArray shell;
    if (!run(QStringLiteral("xdotool"), { QStringLiteral("getwindowname"), window.id }, &nameBytes)
        || !run(QStringLiteral("xdotool"),
            { QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), window.id }, &shell))
        return {};
    // The name is kept exactly, blanks included; only the line end goes.
    QString name = QString::fromUtf8(nameBytes);
    if (name.endsWith(QLatin1Char('\n')))
        name.chop(1);
    int x = 0, y = 0, width = 0, height = 0;
    for (const QString &line : QString::fromUtf8(shell).split(QLatin1Char('\n'))) {
        const QString key = line.section(QLatin1Char('='), 0, 0);
        const int value = line.section(QLatin1Char('='), 1).toInt();
        if (key == QStringLiteral("X"))
            x = value;
        else if (key == QStringLiteral("Y"))
            y = value;
        else if (key == QStringLiteral("WIDTH"))
            width = value;
        else if (key == QStringLiteral("HEIGHT"))
            height = value;
    }
    return XWindow { window.id, name, QRect(x, y, width, height) };
}

void XSession::focus(const XWindow &window) const
{
    run(QStringLiteral("xdotool"), { QStringLiteral("windowfocus"), QStringLiteral("--sync"), window.id }, nullptr);
    movePointer(window.geometry.center());
}

void XSession::click(QPoint at, int count) const
{
    run(QStringLiteral("xdotool"),
        { QStringLiteral("mousemove"), QStringLiteral("--sync"), QString::number(at.x()), QString::number(at.y()),
            QStringLiteral("click"), QStringLiteral("--repeat"), QString::number(count), QStringLiteral("--delay"),
            QString::number(kClickDelayMs), QStringLiteral("1") },
        nullptr);
}

void XSession::movePointer(QPoint at) const
{
    run(QStringLiteral("xdotool"),
        { QStringLiteral("mousemove"), QStringLiteral("--sync"), QString::number(at.x()), QString::number(at.y()) },
        nullptr);
}

void XSession::keys(const QStringList &names) const
{
    run(QStringLiteral("xdotool"),
        QStringList { QStringLiteral("key"), QStringLiteral("--delay"), QString::number(kKeyDelayMs) } + names,
        nullptr);
}

void XSession::type(const QString &text) const
{
    run(QStringLiteral("xdotool"),
        { QStringLiteral("type"), QStringLiteral("--delay"), QString::number(kTypeDelayMs), text }, nullptr);
}

QImage XSession::screenshot() const
{
    QByteArray ppm;
    if (!run(QStringLiteral("import"), { QStringLiteral("-window"), QStringLiteral("root"), QStringLiteral("ppm:-") },
            &ppm))
        return {};
    return QImage::fromData(ppm, "PPM").convertToFormat(QImage::Format_RGB32);
}

void XSession::keep(const QImage &shot, const QString &name)
{
    const QString folder = qEnvironmentVariable("SKY_E2E_SCREENSHOTS");
    if (folder.isEmpty() || shot.isNull())
        return;
    QDir().mkpath(folder);
    shot.save(QDir(folder).filePath(
        QString::fromLatin1(QTest::currentTestFunction()) + QLatin1Char('-') + name + QStringLiteral(".png")));
}

bool XSession::run(const QString &program, const QStringList &arguments, QByteArray *out) const
{
    QProcess tool;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), m_display);
    tool.setProcessEnvironment(environment);
    tool.start(program, arguments);
    if (!tool.waitForFinished(kToolTimeoutMs)) {
        tool.kill();
        tool.waitForFinished();
        return false;
    }
    if (out)
        *out = tool.readAllStandardOutput();
    return tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0;
}

bool waitFor(const std::function<bool()> &condition, int timeoutMs)
{
    QElapsedTimer waited;
    waited.start();
    while (!condition()) {
        if (waited.elapsed() > timeoutMs)
            return false;
        QTest::qWait(kPollMs);
    }
    return true;
}

double colourShare(const QImage &image, const QRect &area, QRgb colour, int tolerance)
{
    const QRect inside = area & image.rect();
    if (inside.isEmpty())
        return 0;
    qint64 near = 0;
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (std::abs(qRed(pixel) - qRed(colour)) <= tolerance
                && std::abs(qGreen(pixel) - qGreen(colour)) <= tolerance
                && std::abs(qBlue(pixel) - qBlue(colour)) <= tolerance)
                ++near;
        }
    }
    return double(near) / (double(inside.width()) * inside.height());
}

} // namespace e2e
