#include "filters.h"

#include "bitreader.h"
#include "raster.h"

#include <QPainter>
#include <cmath>

namespace sky::swf {
namespace {

constexpr double maxBlur = 255;
constexpr int maxPasses = 15;

// One pass of a box blur `width` pixels wide along rows (`step` 1) or
// columns of a plane of floats, which count as 0 beyond its edges; a width
// with a fraction weighs the two outermost pixels by it. The work lines hold
// the plane's pixels only, however wide the box (a filter's blur is scaled
// with the picture).
void boxBlur(std::vector<float> &plane, int width, int height, double boxWidth, bool alongRows)
{
    const double half = (boxWidth - 1) / 2;
    const auto whole = qint64(std::floor(half));
    const float edge = float(half - double(whole));
    const float scale = float(1 / boxWidth);
    const int count = alongRows ? height : width;
    const qint64 length = alongRows ? width : height;
    const int stride = alongRows ? 1 : width;
    std::vector<float> line(std::size_t(length), 0.0f);
    std::vector<float> sums(line.size() + 1, 0.0f);
    const auto sumTo = [&](qint64 k) { return sums[std::size_t(qBound(qint64(0), k, length))]; };
    const auto at = [&](qint64 k) { return k >= 0 && k < length ? line[std::size_t(k)] : 0.0f; };
    for (int i = 0; i < count; ++i) {
        float *start = plane.data() + (alongRows ? std::size_t(i) * width : std::size_t(i));
        for (qint64 k = 0; k < length; ++k)
            line[std::size_t(k)] = start[std::size_t(k) * stride];
        for (std::size_t k = 0; k < line.size(); ++k)
            sums[k + 1] = sums[k] + line[k];
        for (qint64 k = 0; k < length; ++k) {
            const float inside = sumTo(k + whole + 1) - sumTo(k - whole);
            const float outer = at(k - whole - 1) + at(k + whole + 1);
            start[std::size_t(k) * stride] = (inside + edge * outer) * scale;
        }
    }
}

void blur(std::vector<float> &plane, int width, int height, double blurX, double blurY, int passes)
{
    for (int pass = 0; pass < passes; ++pass) {
        if (blurX > 1)
            boxBlur(plane, width, height, blurX, true);
        if (blurY > 1)
            boxBlur(plane, width, height, blurY, false);
    }
}

// The glow or shadow of `small` (the picture's pixels): its alpha blurred,
// strengthened and moved, in the filter's colour.
QImage effectOf(const QImage &small, const Filter &filter, double stageScale)
{
    const int width = small.width();
    const int height = small.height();
    std::vector<float> alpha(std::size_t(width) * height);
    for (int y = 0; y < height; ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(small.constScanLine(y));
        for (int x = 0; x < width; ++x)
            alpha[std::size_t(y) * width + x] = float(qAlpha(line[x])) / 255.0f;
    }
    blur(alpha, width, height, filter.blurX * stageScale, filter.blurY * stageScale, filter.passes);
    const int dx = filter.kind == Filter::Kind::DropShadow
        ? int(std::lround(std::cos(filter.angle) * filter.distance * stageScale))
        : 0;
    const int dy = filter.kind == Filter::Kind::DropShadow
        ? int(std::lround(std::sin(filter.angle) * filter.distance * stageScale))
        : 0;
    QImage effect(width, height, QImage::Format_ARGB32_Premultiplied);
    effect.fill(Qt::transparent);
    const QColor c = filter.color;
    for (int y = 0; y < height; ++y) {
        auto *line = reinterpret_cast<QRgb *>(effect.scanLine(y));
        const int sy = y - dy;
        if (sy < 0 || sy >= height)
            continue;
        for (int x = 0; x < width; ++x) {
            const int sx = x - dx;
            if (sx < 0 || sx >= width)
                continue;
            const double a = qMin(1.0, double(alpha[std::size_t(sy) * width + sx]) * filter.strength) * c.alphaF();
            line[x] = qRgba(int(std::lround(c.red() * a)), int(std::lround(c.green() * a)),
                int(std::lround(c.blue() * a)), int(std::lround(255 * a)));
        }
    }
    return effect;
}

// A blurred copy of `small`, every channel.
QImage blurred(const QImage &small, const Filter &filter, double stageScale)
{
    const int width = small.width();
    const int height = small.height();
    QImage out(small.size(), QImage::Format_ARGB32_Premultiplied);
    std::vector<float> plane(std::size_t(width) * height);
    for (int shift = 0; shift < 32; shift += 8) {
        for (int y = 0; y < height; ++y) {
            const auto *line = reinterpret_cast<const QRgb *>(small.constScanLine(y));
            for (int x = 0; x < width; ++x)
                plane[std::size_t(y) * width + x] = float((line[x] >> shift) & 0xFF);
        }
        blur(plane, width, height, filter.blurX * stageScale, filter.blurY * stageScale, filter.passes);
        for (int y = 0; y < height; ++y) {
            auto *line = reinterpret_cast<QRgb *>(out.scanLine(y));
            for (int x = 0; x < width; ++x) {
                const auto v = quint32(qBound(0L, std::lround(plane[std::size_t(y) * width + x]), 255L));
                line[x] = (shift ? line[x] : 0) | (v << shift);
            }
        }
    }
    // Rounding must not leave a colour above its alpha.
    for (int y = 0; y < height; ++y) {
        auto *line = reinterpret_cast<QRgb *>(out.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const int a = qAlpha(line[x]);
            line[x] = qRgba(qMin(qRed(line[x]), a), qMin(qGreen(line[x]), a), qMin(qBlue(line[x]), a), a);
        }
    }
    return out;
}

} // namespace

std::vector<Filter> readFilterList(BitReader &r)
{
    std::vector<Filter> filters;
    const int count = r.u8();
    for (int i = 0; i < count; ++i) {
        Filter f;
        const int kind = r.u8();
        switch (kind) {
        case 0:
        case 2:
            f.kind = kind == 0 ? Filter::Kind::DropShadow : Filter::Kind::Glow;
            f.color = r.rgba();
            f.blurX = qMin(r.fixed16(), maxBlur);
            f.blurY = qMin(r.fixed16(), maxBlur);
            if (kind == 0) {
                f.angle = r.fixed16();
                f.distance = qBound(-maxBlur, r.fixed16(), maxBlur);
            }
            f.strength = r.fixed8();
            break;
        case 1:
            f.kind = Filter::Kind::Blur;
            f.blurX = qMin(r.fixed16(), maxBlur);
            f.blurY = qMin(r.fixed16(), maxBlur);
            f.passes = qBound(1, int(r.u8() >> 3), maxPasses);
            filters.push_back(f);
            continue;
        case 3:
            r.skip(27);
            continue; // bevel
        case 4:
        case 7:
            r.skip(qsizetype(r.u8()) * 5 + 19);
            continue; // gradient glow, gradient bevel
        case 5: { // convolution
            const int columns = r.u8();
            const int rows = r.u8();
            r.skip(8 + qsizetype(columns) * rows * 4 + 5);
            continue;
        }
        case 6:
            r.skip(80);
            continue; // colour matrix
        default:
            throw ParseError("unknown filter");
        }
        const int flags = r.u8();
        f.inner = flags & 0x80;
        f.knockout = flags & 0x40;
        f.onlyEffect = !(flags & 0x20); // the object itself is left out
        f.passes = qBound(1, flags & 0x1F, maxPasses);
        filters.push_back(f);
    }
    return filters;
}

QImage applyFilters(const QImage &layer, const std::vector<Filter> &filters, int samples, double stageScale)
{
    QImage picture = layer;
    for (const Filter &filter : filters) {
        const QImage small = samples > 1 ? downsample(picture, samples) : picture;
        if (small.isNull())
            return layer;
        const auto upscaled = [&](const QImage &image) {
            return samples > 1 ? image.scaled(picture.size(), Qt::IgnoreAspectRatio, Qt::FastTransformation) : image;
        };
        if (filter.kind == Filter::Kind::Blur) {
            picture = upscaled(blurred(small, filter, stageScale));
            continue;
        }
        if (filter.inner)
            continue; // inner glows and shadows are not drawn
        QImage result = upscaled(effectOf(small, filter, stageScale));
        QPainter painter(&result);
        painter.setCompositionMode(
            filter.knockout ? QPainter::CompositionMode_DestinationOut : QPainter::CompositionMode_SourceOver);
        if (filter.knockout || !filter.onlyEffect)
            painter.drawImage(0, 0, picture);
        painter.end();
        picture = result;
    }
    return picture;
}

} // namespace sky::swf
