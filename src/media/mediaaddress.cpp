#include "media/mediaaddress.h"

#include "media/metafile.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>

namespace sky {

namespace {

// Metafiles may name other metafiles; a cycle ends here.
constexpr int kMaxMetafileDepth = 4;

MediaSource cdTrack(int track, const QString &cdDevice)
{
    if (track < 1 || cdDevice.isEmpty())
        return {};
    // mpv reads the whole disc with one chapter per track.
    return { MediaSource::Kind::Player, QStringLiteral("cdda://"),
        { QStringLiteral("cdrom-device=") + cdDevice, QStringLiteral("start=#%1").arg(track),
            QStringLiteral("end=#%1").arg(track + 1) } };
}

// "wmpcd://0/08" names track 8 of the first CD drive.
MediaSource cdAddress(const QString &address, const QString &cdDevice)
{
    static const QRegularExpression pattern(
        QStringLiteral(R"(^wmpcd://\d+/(\d+)$)"), QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = pattern.match(address);
    return match.hasMatch() ? cdTrack(match.captured(1).toInt(), cdDevice) : MediaSource {};
}

// "Track05.cda" stands for track 5 of the disc it was listed from.
MediaSource cdaFile(const QFileInfo &file, const QString &cdDevice)
{
    static const QRegularExpression digits(QStringLiteral(R"((\d+)$)"));
    const QRegularExpressionMatch match = digits.match(file.completeBaseName());
    return match.hasMatch() ? cdTrack(match.captured(1).toInt(), cdDevice) : MediaSource {};
}

QFileInfo existingFile(const QString &path)
{
    QFileInfo file(path);
    if (!file.exists() && path.contains(u'\\'))
        file = QFileInfo(QString(path).replace(u'\\', u'/'));
    return file;
}

bool hasNetworkScheme(const QString &address)
{
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+://"));
    return scheme.match(address).hasMatch() && !address.startsWith(QLatin1String("file://"), Qt::CaseInsensitive);
}

MediaSource resolve(const QString &address, const QString &cdDevice, int depth)
{
    const QString trimmed = address.trimmed();
    if (trimmed.isEmpty())
        return {};
    if (trimmed.startsWith(QLatin1String("wmpcd://"), Qt::CaseInsensitive))
        return cdAddress(trimmed, cdDevice);
    if (hasNetworkScheme(trimmed))
        return { MediaSource::Kind::Player, trimmed, {} };

    const QString path
        = trimmed.startsWith(QLatin1String("file://"), Qt::CaseInsensitive) ? QUrl(trimmed).toLocalFile() : trimmed;
    const QFileInfo file = existingFile(path);
    if (!file.isFile())
        return {};

    const QString suffix = file.suffix().toLower();
    if (suffix == QLatin1String("mid") || suffix == QLatin1String("midi"))
        return { MediaSource::Kind::Midi, file.absoluteFilePath(), {} };
    if (suffix == QLatin1String("cda"))
        return cdaFile(file, cdDevice);
    if (suffix == QLatin1String("wmp") || suffix == QLatin1String("wmx") || suffix == QLatin1String("asx")) {
        if (depth >= kMaxMetafileDepth)
            return {};
        // A file that names nothing may still be media under a metafile's
        // name; the player then decides.
        const QString entry = firstMetafileEntry(file.absoluteFilePath());
        if (!entry.isEmpty())
            return resolve(entry, cdDevice, depth + 1);
    }
    return { MediaSource::Kind::Player, file.absoluteFilePath(), {} };
}

} // namespace

bool MediaSource::soundOnly() const
{
    if (url.startsWith(QLatin1String("cdda:")))
        return true;
    const QString suffix = QFileInfo(url).suffix().toLower();
    return suffix == u"wav" || suffix == u"mp3" || suffix == u"mp1" || suffix == u"mp2";
}

QString cdromDevice()
{
    for (const char *candidate : { "/dev/cdrom", "/dev/sr0", "/dev/sr1" }) {
        const QString device = QString::fromLatin1(candidate);
        if (QFileInfo::exists(device))
            return QFileInfo(device).canonicalFilePath();
    }
    return {};
}

MediaSource resolveMediaAddress(const QString &address, const QString &cdDevice)
{
    return resolve(address, cdDevice, 0);
}

} // namespace sky
