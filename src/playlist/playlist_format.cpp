#include "playlist/playlist_format.h"

#include "core/settings_file.h"

#include <QStringDecoder>

#include <array>

namespace sky {

namespace {

// What the bytes 0x80 to 0x9F stand for in Windows-1252. The five it leaves
// undefined keep their own values, as Windows itself reads them.
constexpr std::array<char16_t, 32> kWindows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString fromWindows1252(const QByteArray &bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes.at(i));
        text[i] = QChar(byte >= 0x80 && byte < 0xA0 ? kWindows1252High[byte - 0x80] : char16_t(byte));
    }
    return text;
}

// Playlists written on Windows hold their names in the ANSI code page: a
// line that is not UTF-8 is read as Windows-1252, the code page of Western
// European systems and the usual one of such files.
QString decodeLine(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    return utf8.hasError() ? fromWindows1252(bytes) : text;
}

// Notepad's "Unicode" playlists are UTF-16 with a byte order mark: they are
// read whole into UTF-8 first. A byte order mark at the start of a line
// names no file and is left out (withoutByteOrderMarks()).
QByteArray asUtf8(const QByteArray &content)
{
    const std::optional<QStringConverter::Encoding> encoding = QStringConverter::encodingForData(content);
    if (!encoding || *encoding == QStringConverter::Utf8)
        return content;
    QStringDecoder decoder(*encoding);
    return QString(decoder(content)).toUtf8();
}

} // namespace

QString shownName(const QString &source, qsizetype lineLength, const PathRules &paths)
{
    return rightChars(paths.bareName(source), lineLength + 1);
}

ParsedPlaylist parsePlaylist(const QByteArray &content, PlaylistRules rules, const QString &drivePrefix,
                             const PathRules &paths, int limit)
{
    ParsedPlaylist parsed;
    for (const QByteArray &bytes : splitLines(asUtf8(content))) {
        const QString line = decodeLine(withoutByteOrderMarks(bytes));
        if (line.isEmpty() || (rules == PlaylistRules::M3u && line.startsWith(QLatin1Char('#'))))
            continue;
        QString source = line;
        if (rules == PlaylistRules::Pla && (line.startsWith(QLatin1Char('\\')) || line.startsWith(QLatin1Char('/'))))
            source = drivePrefix + line;
        QString name = shownName(source, line.size(), paths);
        if (name.isEmpty())
            continue;
        if (static_cast<int>(parsed.entries.size()) == limit) {
            parsed.overLimit = true;
            break;
        }
        parsed.entries.push_back(PlaylistEntry{line, std::move(name)});
    }
    return parsed;
}

QByteArray playlistFileContent(const QStringList &addresses)
{
    QByteArray content;
    for (const QString &address : addresses)
        content += address.toUtf8() + "\r\n";
    return content;
}

} // namespace sky
