// draw_default_skin OUTPUT.cpp
// Draws the main window's default skin and writes it as the source of
// `kDefaultSkinPixels` (mainwindow/default_skin.h), which the player is built
// with: the picture costs the player nothing to make at start.

#include "mainwindow/default_skin.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QSaveFile>

#include <cmath>
#include <cstdio>

namespace {

// The picture is drawn at the window's design size and then stretched to
// the size it is carried at, as the window used to stretch it at every
// start.
constexpr int kDesignWidth = 587;
constexpr int kDesignHeight = 446;

void glow(QPainter &painter, QPointF centre, qreal radius, QColor colour)
{
    QRadialGradient gradient(centre, radius);
    gradient.setColorAt(0, colour);
    colour.setAlpha(0);
    gradient.setColorAt(1, colour);
    painter.fillRect(QRectF(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius), gradient);
}

// White at an opacity of 10 in 255 over `pixel`.
QRgb lightened(QRgb pixel)
{
    const auto over = [](int channel) { return channel + ((255 - channel) * 10 + 127) / 255; };
    return qRgb(over(qRed(pixel)), over(qGreen(pixel)), over(qBlue(pixel)));
}

QImage drawDefaultSkin()
{
    QImage image(kDesignWidth, kDesignHeight, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);

    QLinearGradient sky(0, 0, kDesignWidth, kDesignHeight);
    sky.setColorAt(0.0, QColor(8, 14, 46));
    sky.setColorAt(0.5, QColor(38, 16, 74));
    sky.setColorAt(1.0, QColor(6, 44, 78));
    painter.fillRect(image.rect(), sky);

    glow(painter, QPointF(470, 110), 230, QColor(0, 190, 255, 90));
    glow(painter, QPointF(90, 380), 260, QColor(255, 40, 160, 70));
    glow(painter, QPointF(320, 250), 160, QColor(120, 80, 255, 60));

    // Rings like the grooves of a record, off to the right.
    painter.setBrush(Qt::NoBrush);
    for (int ring = 0; ring < 14; ++ring) {
        const qreal r = 40 + ring * 17;
        painter.setPen(QPen(QColor(255, 255, 255, 14 + (ring % 3) * 6), ring % 4 == 0 ? 2.0 : 1.0));
        painter.drawEllipse(QPointF(470, 110), r, r);
    }

    // Fine diagonal lines over everything: every pixel whose column and row
    // add up to a multiple of 6, lightened straight in the rows, which takes
    // a hundredth of what the painter's line drawing took.
    painter.end();
    for (int y = 0; y < kDesignHeight; ++y) {
        auto *row = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = (6 - y % 6) % 6; x < kDesignWidth; x += 6)
            row[x] = lightened(row[x]);
    }
    painter.begin(&image);
    painter.setRenderHint(QPainter::Antialiasing);

    // A sound wave across the lower part.
    QPainterPath wave;
    for (int x = 0; x <= kDesignWidth; x += 2) {
        const qreal t = x / static_cast<qreal>(kDesignWidth);
        const qreal y = 392 + std::sin(t * 19.0) * 14 * std::sin(t * 3.14159) + std::sin(t * 53.0) * 4;
        if (x == 0)
            wave.moveTo(x, y);
        else
            wave.lineTo(x, y);
    }
    QLinearGradient waveColour(0, 0, kDesignWidth, 0);
    waveColour.setColorAt(0, QColor(255, 60, 180, 160));
    waveColour.setColorAt(0.5, QColor(140, 120, 255, 200));
    waveColour.setColorAt(1, QColor(0, 210, 255, 160));
    painter.setPen(QPen(QBrush(waveColour), 2));
    painter.drawPath(wave);

    // Bars of a level meter along the bottom edge.
    for (int i = 0; i < 48; ++i) {
        const qreal level = 10 + 26 * std::fabs(std::sin(i * 0.61) * std::cos(i * 0.23));
        QColor bar = QColor::fromHsv((200 + i * 3) % 360, 180, 255, 70);
        painter.fillRect(QRectF(4 + i * 12.1, kDesignHeight - level, 8, level), bar);
    }
    return image;
}

// The pixels as the source of an array, eight to a line.
QByteArray pixelSource(const QImage &image)
{
    QByteArray source = "// Drawn by draw_default_skin as the player was built.\n"
                        "#include \"mainwindow/default_skin.h\"\n\n"
                        "namespace sky {\n\n"
                        "alignas(16) const quint32 kDefaultSkinPixels[kDefaultSkinWidth * kDefaultSkinHeight] = {\n";
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        const auto *row = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            char text[16];
            std::snprintf(text, sizeof text, "0x%08x,", unsigned(row[x]));
            source += text;
            source += ++count % 8 == 0 ? '\n' : ' ';
        }
    }
    source += "\n};\n\n} // namespace sky\n";
    return source;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 2) {
        std::fputs("usage: draw_default_skin OUTPUT.cpp\n", stderr);
        return 2;
    }
    const QImage skin = drawDefaultSkin().scaled(
        sky::kDefaultSkinWidth, sky::kDefaultSkinHeight, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QSaveFile out(QString::fromLocal8Bit(argv[1]));
    if (!out.open(QIODevice::WriteOnly) || out.write(pixelSource(skin)) < 0 || !out.commit()) {
        std::fprintf(stderr, "draw_default_skin: cannot write %s: %s\n", argv[1], qPrintable(out.errorString()));
        return 1;
    }
    return 0;
}
