#include "pixelwriter.h"

#include "raster.h"

#include <QPainter>
#include <QRegion>

#include <algorithm>

namespace sky::swf {
namespace {

// x * a / 255 for each channel of x, rounded as the painter rounds it.
inline QRgb byteMul(QRgb x, uint a)
{
    uint t = (x & 0xff00ff) * a;
    t = ((t + ((t >> 8) & 0xff00ff) + 0x800080) >> 8) & 0xff00ff;
    x = ((x >> 8) & 0xff00ff) * a;
    x = (x + ((x >> 8) & 0xff00ff) + 0x800080) & 0xff00ff00;
    return x | t;
}

// `source` (premultiplied) laid over `dest`.
inline QRgb over(QRgb source, QRgb dest)
{
    const uint alpha = qAlpha(source);
    return alpha == 255 ? source : alpha == 0 ? dest : source + byteMul(dest, 255 - alpha);
}

} // namespace

PixelWriter::PixelWriter(QImage &image, std::vector<QRect> clip, const QRect &bounds)
    : image_(&image), clip_(std::move(clip)), bounds_(bounds)
{
}

std::optional<PixelWriter> PixelWriter::onto(QPainter &painter)
{
    QPaintDevice *device = painter.device();
    if (!device || device->devType() != QInternal::Image || painter.opacity() < 1
        || painter.compositionMode() != QPainter::CompositionMode_SourceOver)
        return std::nullopt;
    auto *image = static_cast<QImage *>(device);
    if (image->format() != QImage::Format_ARGB32_Premultiplied || image->isNull())
        return std::nullopt;
    QRegion clip(image->rect());
    if (painter.hasClipping()) {
        if (painter.transform().type() > QTransform::TxScale)
            return std::nullopt;
        clip &= painter.clipRegion() * painter.transform();
    }
    return PixelWriter(*image, std::vector<QRect>(clip.begin(), clip.end()), clip.boundingRect());
}

QRect PixelWriter::reach(const QPainterPath &outline) const
{
    return outline.boundingRect().toAlignedRect().adjusted(-1, -1, 1, 1) & bounds_;
}

// Runs `blend(line, count, alpha, x, y)` over each run of the fill's
// coverage that the clip lets through: `line` is the image's first pixel
// of it, `x` and `y` where that pixel lies.
template<typename Blend>
void PixelWriter::write(const QPainterPath &outline, int samples, int subsamples, const QRect &within, Blend &&blend)
{
    if (within.isEmpty())
        return;
    // The clip's rectangles come in bands of equal top and bottom, top to
    // bottom, as the rows do.
    auto band = clip_.begin();
    QRgb *line = nullptr;
    int lineY = within.top() - 1;
    coverageRuns(outline, within, samples, subsamples, [&](int y, int x, int count, quint8 alpha) {
        if (y != lineY) {
            while (band != clip_.end() && band->bottom() < y)
                ++band;
            line = reinterpret_cast<QRgb *>(image_->scanLine(y));
            lineY = y;
        }
        for (auto r = band; r != clip_.end() && r->top() <= y; ++r) {
            const int from = qMax(x, r->left());
            const int to = qMin(x + count, r->right() + 1);
            if (from < to)
                blend(line + from, to - from, alpha, from, y);
        }
    });
}

void PixelWriter::fill(const QPainterPath &outline, int samples, int subsamples, QRgb color)
{
    if (qAlpha(color) == 0)
        return;
    write(outline, samples, subsamples, reach(outline), [color](QRgb *line, int count, uint alpha, int, int) {
        const QRgb source = alpha == 255 ? color : byteMul(color, alpha);
        if (qAlpha(source) == 255) {
            std::fill(line, line + count, source);
            return;
        }
        const uint rest = 255 - qAlpha(source);
        for (int i = 0; i < count; ++i)
            line[i] = source + byteMul(line[i], rest);
    });
}

void PixelWriter::fill(const QPainterPath &outline, int samples, int subsamples, const QImage &source, QPoint origin)
{
    if (source.format() != QImage::Format_ARGB32_Premultiplied)
        return;
    const QRect within = reach(outline) & QRect(origin, source.size());
    write(outline, samples, subsamples, within, [&](QRgb *line, int count, uint alpha, int x, int y) {
        const auto *from = reinterpret_cast<const QRgb *>(source.constScanLine(y - origin.y())) + (x - origin.x());
        if (alpha == 255) {
            for (int i = 0; i < count; ++i)
                line[i] = over(from[i], line[i]);
        } else {
            for (int i = 0; i < count; ++i)
                line[i] = over(byteMul(from[i], alpha), line[i]);
        }
    });
}

} // namespace sky::swf
