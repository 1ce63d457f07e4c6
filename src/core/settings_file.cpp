#include "core/settings_file.h"

#include "core/module1.h"
#include "platform/services.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cmath>
#include <limits>

namespace sky {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

// A 16-bit integer line: rounded to the nearest, ties to even; a text that
// is no number or lies out of range keeps the start value.
short toInt16(const QString &line, short startValue)
{
    const std::optional<double> number = parseSettingsNumber(line, kInt16Range);
    return number ? static_cast<short>(std::nearbyint(*number)) : startValue;
}

class LineReader
{
public:
    explicit LineReader(QStringList lines) : m_lines(std::move(lines)) {}
    bool next(QString &line)
    {
        if (m_at >= m_lines.size())
            return false;
        line = m_lines.at(m_at++);
        return true;
    }

private:
    QStringList m_lines;
    qsizetype m_at = 0;
};

} // namespace

QList<QByteArray> splitLines(const QByteArray &content)
{
    QList<QByteArray> lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < content.size(); ++i) {
        const char c = content.at(i);
        if (c != '\r' && c != '\n')
            continue;
        lines.append(content.mid(start, i - start));
        if (c == '\r' && i + 1 < content.size() && content.at(i + 1) == '\n')
            ++i;
        start = i + 1;
    }
    if (start < content.size())
        lines.append(content.mid(start));
    return lines;
}

bool fitsOnTextLine(const QString &text)
{
    return !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r'));
}

QByteArray withoutByteOrderMarks(const QByteArray &line)
{
    constexpr QByteArrayView kMark("\xEF\xBB\xBF");
    qsizetype from = 0;
    while (QByteArrayView(line).sliced(from).startsWith(kMark))
        from += kMark.size();
    return line.sliced(from);
}

QStringList splitTextLines(const QByteArray &content)
{
    QStringList lines;
    for (const QByteArray &line : splitLines(content))
        lines.append(QString::fromUtf8(withoutByteOrderMarks(line)));
    return lines;
}

SettingsRead parseSettings(const QByteArray &content, Module1 &m)
{
    if (content.isEmpty())
        return SettingsRead::Empty;
    const Module1 start;
    LineReader reader(splitTextLines(content));
    QString line;
    const auto text = [&](NumberOrText &value) {
        if (!reader.next(line))
            return false;
        value.loadText(line);
        return true;
    };
    const auto int16 = [&](short &value, short startValue) {
        if (!reader.next(line))
            return false;
        value = toInt16(line, startValue);
        return true;
    };

    bool complete = text(m.ScrollTitle) && text(m.ThemeOption) && text(m.VideoDisplaySize);
    if (complete && (complete = reader.next(line)))
        m.FixedButtonColour = line;
    complete = complete && text(m.TimeInTitle) && text(m.StopColourChange)
        && int16(m.AnimatePreview, start.AnimatePreview) && text(m.AutoSkinChange)
        && int16(m.RandomSkin, start.RandomSkin) && text(m.SkinIntervalChoice);
    if (complete && (complete = reader.next(line)))
        m.SkinListColour = parseSettingsNumber(line, kInt32Range).value_or(start.SkinListColour);
    complete = complete && int16(m.SkinFitMode, start.SkinFitMode) && text(m.SkinInterval) && text(m.SkinTick)
        && text(m.SkinDisplayMode) && text(m.SkinIndex) && text(m.SkinCount) && text(m.SaveSettings);
    for (int i = 0; complete && i < kMaxSkins; ++i)
        if ((complete = reader.next(line)))
            m.SkinPath[static_cast<std::size_t>(i)] = line;
    for (int i = 0; complete && i < kMaxSkins; ++i)
        if ((complete = reader.next(line)))
            m.SkinName[static_cast<std::size_t>(i)] = line;
    complete = complete && text(m.ShowTipsAtStartup);
    return complete ? SettingsRead::Loaded : SettingsRead::Truncated;
}

QByteArray readLeadingLines(QIODevice &device, int count, qint64 maxBytes)
{
    constexpr qint64 kBlock = 4096;
    QByteArray head;
    qint64 read = 0;
    qsizetype lineStart = 0;
    qsizetype lineEnd = 0;
    int lines = 0;
    bool afterCr = false;
    while (read <= maxBytes) {
        const QByteArray block = device.read(qMin(kBlock, maxBytes + 1 - read));
        if (block.isEmpty())
            return head;
        read += block.size();
        for (const char c : block) {
            const bool lfOfCrLf = c == '\n' && afterCr;
            const bool ends = (c == '\r' || c == '\n') && !lfOfCrLf;
            afterCr = c == '\r';
            // What a line holds past the longest line kept is left out.
            if (!ends && !lfOfCrLf && head.size() - lineStart >= kMaxTextLineBytes)
                continue;
            head.append(c);
            if (lfOfCrLf)
                lineStart = head.size();
            if (!ends)
                continue;
            lineStart = lineEnd = head.size();
            if (++lines == count)
                return head;
        }
    }
    // More than the file may hold: the lines ended before the limit are
    // read, and no piece of the one that runs past it.
    head.truncate(lineEnd);
    return head;
}

QByteArray readTextFileLines(QIODevice &device)
{
    return readLeadingLines(device, std::numeric_limits<int>::max(), kMaxTextFileBytes);
}

SettingsRead readSettingsFile(const QString &path, Module1 &module)
{
    // A pipe or a device of that name might never answer: it holds no
    // settings.
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return SettingsRead::Missing;
    // Whatever follows the last line is never read: a file of any size
    // costs no more than its first lines.
    return parseSettings(readLeadingLines(file, kSettingsLineCount, kMaxTextFileBytes), module);
}

QByteArray settingsFileContent(const Module1 &m)
{
    QStringList lines;
    lines.reserve(kSettingsLineCount);
    lines << m.ScrollTitle.settingsLine() << m.ThemeOption.settingsLine() << m.VideoDisplaySize.settingsLine()
          << m.FixedButtonColour << m.TimeInTitle.settingsLine() << m.StopColourChange.settingsLine()
          << formatSettingsNumber(m.AnimatePreview) << m.AutoSkinChange.settingsLine()
          << formatSettingsNumber(m.RandomSkin) << m.SkinIntervalChoice.settingsLine()
          << formatSettingsNumber(m.SkinListColour) << formatSettingsNumber(m.SkinFitMode)
          << m.SkinInterval.settingsLine() << m.SkinTick.settingsLine() << m.SkinDisplayMode.settingsLine()
          << m.SkinIndex.settingsLine() << m.SkinCount.settingsLine() << m.SaveSettings.settingsLine();
    for (int i = 0; i < kMaxSkins; ++i)
        lines << m.SkinPath[static_cast<std::size_t>(i)];
    for (int i = 0; i < kMaxSkins; ++i)
        lines << m.SkinName[static_cast<std::size_t>(i)];
    lines << m.ShowTipsAtStartup.settingsLine();
    return (lines.join(kCrLf) + kCrLf).toUtf8();
}

QString settingsFilePath(Environment &environment)
{
    const QString name = QStringLiteral("save.ata");
    const QString appFolder = environment.applicationFolder();
    const QFileInfo folder(appFolder);
    if (folder.isDir() && folder.isWritable())
        return QDir(appFolder).filePath(name);
    const QString dataFolder = environment.userDataFolder();
    QDir().mkpath(dataFolder);
    return QDir(dataFolder).filePath(name);
}

} // namespace sky
