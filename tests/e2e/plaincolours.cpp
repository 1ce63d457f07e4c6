#include "plaincolours.h"

#include "mediafixtures.h"
#include "playerrun.h"

#include <QImage>

namespace e2e {

bool writeColourClip(const QString &path, double seconds, const QColor &colour)
{
    // The test picture painted over in one colour.
    return fixtures::ffmpegMake(path, seconds, true,
        { QStringLiteral("-vf"), QStringLiteral("drawbox=x=0:y=0:w=iw:h=ih:t=fill:color=") + colour.name(),
            QStringLiteral("-c:v"), QStringLiteral("mpeg4"), QStringLiteral("-q:v"), QStringLiteral("2"),
            QStringLiteral("-c:a"), QStringLiteral("pcm_s16le") });
}

bool writeColourPicture(const QString &path, const QColor &colour)
{
    QImage picture(320, 240, QImage::Format_RGB32);
    picture.fill(colour);
    return picture.save(path, "BMP");
}

QRect pictureArea(const XWindow &window, const sky::Control &media)
{
    const QRect area = PlayerRun::areaOf(window, media);
    return QRect(area.left(), area.top(), area.width(), area.height() * 3 / 5);
}

} // namespace e2e
