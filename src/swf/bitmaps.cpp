#include "bitmaps.h"

#include "bitreader.h"
#include "compression.h"

#include <QBuffer>
#include <QImageReader>

namespace sky::swf {
namespace {

constexpr int tagDefineBits = 6;
constexpr int tagDefineBitsJpeg3 = 35;
constexpr int tagDefineBitsJpeg4 = 90;

// Old encoders wrote an end-of-image and start-of-image marker pair between
// the tables and the image; decoders want one stream.
QByteArray joinJpegStreams(const QByteArray &data)
{
    static const QByteArray pair("\xFF\xD9\xFF\xD8", 4);
    QByteArray out;
    out.reserve(data.size());
    qsizetype from = 0;
    for (qsizetype at = data.indexOf(pair); at >= 0; at = data.indexOf(pair, from)) {
        out.append(data.constData() + from, at - from);
        from = at + pair.size();
    }
    out.append(data.constData() + from, data.size() - from);
    return out;
}

QImage readImage(const QByteArray &data)
{
    QBuffer buffer;
    buffer.setData(data);
    QImageReader reader(&buffer);
    const QSize size = reader.size();
    if (size.isValid() && qint64(size.width()) * size.height() > maxBitmapPixels)
        return {};
    QImage image = reader.read();
    if (image.isNull())
        return image;
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// Lossless2 colours, and those of a JPEG with an alpha plane, are stored
// premultiplied; clamp bad ones to valid values.
QRgb premultiplied(int a, int r, int g, int b)
{
    return qRgba(qMin(r, a), qMin(g, a), qMin(b, a), a);
}

void applyAlpha(QImage &image, const QByteArray &alpha)
{
    if (alpha.size() < qsizetype(image.width()) * image.height())
        return;
    const uchar *a = reinterpret_cast<const uchar *>(alpha.constData());
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int alphaValue = *a++;
            const QRgb p = line[x];
            line[x] = premultiplied(alphaValue, qRed(p), qGreen(p), qBlue(p));
        }
    }
}

} // namespace

QImage decodeBitsJpeg(int tagCode, const QByteArray &body, const QByteArray &jpegTables)
{
    try {
        BitReader r(body);
        if (tagCode == tagDefineBits)
            return readImage(joinJpegStreams(jpegTables + body));
        if (tagCode != tagDefineBitsJpeg3 && tagCode != tagDefineBitsJpeg4)
            return readImage(joinJpegStreams(body));
        const qsizetype imageLength = qsizetype(r.u32());
        if (tagCode == tagDefineBitsJpeg4)
            r.u16(); // deblocking
        const QByteArray imageData = r.bytes(qMin(imageLength, r.remaining()));
        QImage image = readImage(joinJpegStreams(imageData));
        if (!image.isNull() && r.remaining() > 0 && !imageData.startsWith("\x89PNG")) {
            const qsizetype pixels = qsizetype(image.width()) * image.height();
            applyAlpha(image, inflateZlib(body.constData() + r.pos(), r.remaining(), pixels));
        }
        return image;
    } catch (const ParseError &) {
        return {};
    }
}

QImage decodeBitsLossless(const QByteArray &body, bool withAlpha)
{
    try {
        BitReader r(body);
        const int format = r.u8();
        const int width = r.u16();
        const int height = r.u16();
        if (width == 0 || height == 0 || qint64(width) * height > maxBitmapPixels)
            return {};
        const int paletteSize = format == 3 ? r.u8() + 1 : 0;
        const int bytesPerEntry = withAlpha ? 4 : 3;
        const int pixelBytes = format == 3 ? 1 : format == 4 ? 2 : 4;
        const qsizetype stride = (qsizetype(width) * pixelBytes + 3) & ~qsizetype(3);
        const qsizetype needed = qsizetype(paletteSize) * bytesPerEntry + stride * height;
        const QByteArray raw = inflateZlib(body.constData() + r.pos(), r.remaining(), needed);
        const auto *data = reinterpret_cast<const uchar *>(raw.constData());
        if (format != 3 && format != 4 && format != 5)
            return {};

        std::vector<QRgb> palette(paletteSize);
        for (int i = 0; i < paletteSize && qsizetype(i + 1) * bytesPerEntry <= raw.size(); ++i) {
            const uchar *e = data + i * bytesPerEntry;
            palette[i] = withAlpha ? premultiplied(e[3], e[0], e[1], e[2]) : qRgb(e[0], e[1], e[2]);
        }
        const qsizetype base = qsizetype(paletteSize) * bytesPerEntry;
        QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
        if (image.isNull())
            return {};
        image.fill(Qt::transparent);
        for (int y = 0; y < height; ++y) {
            const qsizetype row = base + stride * y;
            if (row + qsizetype(width) * pixelBytes > raw.size())
                break; // the rest of a cut-off image stays transparent
            const uchar *p = data + row;
            auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
            for (int x = 0; x < width; ++x) {
                if (format == 3) {
                    line[x] = p[x] < paletteSize ? palette[p[x]] : qRgba(0, 0, 0, 0);
                } else if (format == 4) {
                    const int v = (p[2 * x] << 8) | p[2 * x + 1];
                    line[x] = qRgb(((v >> 10) & 31) * 255 / 31, ((v >> 5) & 31) * 255 / 31, (v & 31) * 255 / 31);
                } else {
                    const uchar *q = p + 4 * x;
                    line[x] = withAlpha ? premultiplied(q[0], q[1], q[2], q[3]) : qRgb(q[1], q[2], q[3]);
                }
            }
        }
        return image;
    } catch (const ParseError &) {
        return {};
    }
}

} // namespace sky::swf
