#include "platform/system_services.h"

#include "platform/form.h"

#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QDateTime>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QLocale>
#include <QMessageBox>
#include <QSettings>
#include <QStandardPaths>
#include <QStorageInfo>

#include <chrono>

namespace sky {

void QtMessageBox::show(const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, kAppTitle, text, QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

QString qtFileFilter(const QString &filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString &text = parts.at(i);
        const QString patterns = parts.at(i + 1);
        const QString spaced = QString(patterns).replace(QLatin1Char(';'), QLatin1Char(' '));
        if (text.contains(QLatin1Char('(') + spaced + QLatin1Char(')')))
            filters.append(text);
        else
            filters.append(text + QStringLiteral(" (") + spaced + QLatin1Char(')'));
    }
    return filters.join(QStringLiteral(";;"));
}

std::optional<QString> QtFileDialog::choose(const Request &request)
{
    QFileDialog dialog(QApplication::activeWindow(), request.title, request.initialDir, qtFileFilter(request.filter));
    dialog.setAcceptMode(request.mode == Mode::Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.mode == Mode::Save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

SystemRandom::SystemRandom()
{
    reseedFromClock();
}

double SystemRandom::next()
{
    return std::uniform_real_distribution<double>(0.0, 1.0)(m_engine);
}

void SystemRandom::reseedFromClock()
{
    m_engine.seed(static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count()));
}

qint64 SystemClock::msecsSinceEpoch() { return QDateTime::currentMSecsSinceEpoch(); }

QString SystemClock::timeOfDay()
{
    const qint64 second = QDateTime::currentSecsSinceEpoch();
    if (second == m_shownSecond)
        return m_shown;
    if (m_format.isNull()) {
        m_format = QLocale::system().timeFormat(QLocale::LongFormat);
        // The time of day without the time zone.
        m_format.remove(QLatin1Char('t'));
        m_format = m_format.trimmed();
    }
    m_shownSecond = second;
    m_shown = QLocale::system().toString(QTime::currentTime(), m_format);
    return m_shown;
}

QString SystemEnvironment::applicationFolder()
{
    return QCoreApplication::applicationDirPath();
}

QString SystemEnvironment::userDataFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

QStringList SystemEnvironment::arguments()
{
    QStringList arguments = QCoreApplication::arguments();
    if (!arguments.isEmpty())
        arguments.removeFirst();
    return arguments;
}

QStringList SystemEnvironment::volumes()
{
    QStringList volumes{QStringLiteral("/")};
    for (const QStorageInfo &volume : QStorageInfo::mountedVolumes()) {
        const QString root = volume.rootPath();
        // Real devices only: no pseudo file systems, no snap or system mounts.
        if (root == QStringLiteral("/") || !volume.isValid() || !volume.device().startsWith("/dev/")
            || root.startsWith(QStringLiteral("/boot")) || root.startsWith(QStringLiteral("/snap"))
            || root.startsWith(QStringLiteral("/sys")) || root.startsWith(QStringLiteral("/proc")))
            continue;
        if (!volumes.contains(root))
            volumes.append(root);
    }
    return volumes;
}

QVariant QtUserSettings::value(const QString &section, const QString &key, const QVariant &fallback)
{
    QSettings settings(QStringLiteral("SKYVANTRIX"), QFileInfo(QCoreApplication::applicationFilePath()).fileName());
    return settings.value(section + QLatin1Char('/') + key, fallback);
}

QString QtClipboard::text() { return QGuiApplication::clipboard()->text(); }

void QtClipboard::setText(const QString &text) { QGuiApplication::clipboard()->setText(text); }

void EventLoopModal::run(Form &form)
{
    if (!form.Visible())
        return;
    QEventLoop loop;
    QObject::connect(static_cast<FormWindow *>(form.window()), &FormWindow::hiddenOrClosed, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace sky
