#include "media/metafile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>

namespace sky {

namespace {

// Metafiles in the wild are often not well-formed XML (tags closed in other
// case, bare "&" in URLs), so the reference is found by pattern instead of
// by an XML parser.
const QRegularExpression kComment(QStringLiteral("<!--.*?-->"), QRegularExpression::DotMatchesEverythingOption);
const QRegularExpression kReference(QStringLiteral(R"re(<\s*(?:ref|entryref|media)\b[^>]*?\b(?:href|src)\s*=\s*)re"
                                                   R"re((?:"([^"]*)"|'([^']*)'|([^\s>]+)))re"),
    QRegularExpression::CaseInsensitiveOption);

// Metafiles are a few hundred bytes; more than this is no metafile.
constexpr qint64 kMaxMetafileBytes = 1 << 20;

QString decodeEntities(QString text)
{
    text.replace(QLatin1String("&lt;"), QLatin1String("<"));
    text.replace(QLatin1String("&gt;"), QLatin1String(">"));
    text.replace(QLatin1String("&quot;"), QLatin1String("\""));
    text.replace(QLatin1String("&apos;"), QLatin1String("'"));
    text.replace(QLatin1String("&amp;"), QLatin1String("&"));
    return text;
}

QString decodedText(const QByteArray &bytes)
{
    if (auto encoding = QStringConverter::encodingForData(bytes)) {
        QStringDecoder decoder(*encoding);
        return decoder.decode(bytes);
    }
    return QString::fromUtf8(bytes);
}

bool isLocalRelative(const QString &reference)
{
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:"));
    static const QRegularExpression drive(QStringLiteral(R"(^[A-Za-z]:[\\/])"));
    return !reference.startsWith(u'/') && !reference.startsWith(u'\\') && !scheme.match(reference).hasMatch()
        && !drive.match(reference).hasMatch();
}

} // namespace

QString firstMetafileEntry(const QString &metafilePath)
{
    // A pipe or a device named like a metafile is not read: it might never
    // answer.
    QFile file(metafilePath);
    if (!QFileInfo(metafilePath).isFile() || !file.open(QIODevice::ReadOnly))
        return {};
    // What the file holds, up to the limit: a read of the limit itself would
    // set aside that much for every file.
    const QByteArray content = file.read(qBound(qint64(0), file.size(), kMaxMetafileBytes));
    return firstMetafileEntry(content, QFileInfo(metafilePath).absolutePath());
}

QString firstMetafileEntry(const QByteArray &content, const QString &folder)
{
    QString text = decodedText(content);
    text.remove(kComment);

    const QRegularExpressionMatch match = kReference.match(text);
    if (!match.hasMatch())
        return {};
    QString reference;
    for (int group = 1; group <= 3 && reference.isEmpty(); ++group)
        reference = match.captured(group);
    reference = decodeEntities(reference).trimmed();
    if (reference.isEmpty() || !isLocalRelative(reference))
        return reference;
    reference.replace(u'\\', u'/');
    return QDir::cleanPath(QDir(folder).filePath(reference));
}

} // namespace sky
