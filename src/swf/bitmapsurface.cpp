#include "bitmapsurface.h"

#include <QPainter>

#include <atomic>
#include <cmath>

namespace sky::swf {
namespace {

std::atomic<qint64> pixelsInUse{0};

bool reserve(qint64 pixels)
{
    qint64 used = pixelsInUse.load();
    do {
        if (used + pixels > BitmapSurface::pixelBudget)
            return false;
    } while (!pixelsInUse.compare_exchange_weak(used, used + pixels));
    return true;
}

quint32 channel(quint32 argb, int shift) { return argb >> shift & 0xFF; }

// Where red, green and blue lie in an ARGB pixel.
constexpr std::array<int, 3> colourShift{16, 8, 0};

quint32 packed(quint32 a, quint32 r, quint32 g, quint32 b) { return a << 24 | r << 16 | g << 8 | b; }

// Lays a premultiplied pixel over another; the part of the lower one that
// shows through is cut to a whole level, as the player cuts it.
quint32 over(quint32 top, quint32 below)
{
    const quint32 keep = 255 - channel(top, 24);
    quint32 out = 0;
    for (int shift = 0; shift <= 24; shift += 8)
        out |= std::min<quint32>(channel(top, shift) + channel(below, shift) * keep / 255, 255) << shift;
    return out;
}

// A stored pixel of a bitmap whose alpha is scaled by `alpha` (0..255):
// the player takes the new alpha as the product over 256, cut (an opaque
// bitmap has no alpha of its own: there `alpha` is the new alpha), and
// puts the pixel's straight colour back under it.
quint32 faded(quint32 stored, quint32 alpha, bool opaqueSource)
{
    const quint32 newAlpha = opaqueSource ? alpha : channel(stored, 24) * alpha >> 8;
    return BitmapSurface::premultiplied((BitmapSurface::unmultiplied(stored) & 0xFFFFFF) | newAlpha << 24);
}

// The area of `from` inside `source` and its place in a bitmap of `bounds`
// when its corner goes to `to`; both empty when nothing is left.
std::pair<QRect, QPoint> clipped(QRect from, QPoint to, const QRect &source, const QRect &bounds)
{
    const QRect inSource = from & source;
    to += inSource.topLeft() - from.topLeft();
    const QRect placed = QRect(to, inSource.size()) & bounds;
    if (placed.isEmpty())
        return {};
    return {QRect(inSource.topLeft() + (placed.topLeft() - to), placed.size()), placed.topLeft()};
}

// Whether `transform` changes nothing the player changes: its colour part
// is the identity and its alpha part multiplies by 1 or more (which the
// player leaves out even where pixels are partly transparent).
bool leavesPixels(const PixelTransform &transform)
{
    for (std::size_t i = 0; i < 3; ++i)
        if (transform.mul[i] != 1 || transform.add[i] != 0)
            return false;
    return transform.mul[3] >= 1 && transform.add[3] == 0;
}

// Applies `transform` to the colours of `area` as the player does: each
// colour is taken out of its alpha (x 256 / alpha, cut), multiplied and
// rounded, moved by the whole part of its offset, and put back under the
// new alpha (x alpha / 256, cut), never above it. An opaque pixel's
// colours thus lose a level.
void transformPixels(QImage &image, const QRect &area, const PixelTransform &transform, bool transparent)
{
    if (leavesPixels(transform))
        return;
    std::array<double, 4> add{};
    for (std::size_t i = 0; i < 4; ++i)
        add[i] = std::trunc(std::clamp(transform.add[i], -65536.0, 65536.0));
    const auto scaled = [&](quint32 c, std::size_t i) {
        return std::max(0.0, std::floor(c * std::clamp(transform.mul[i], -65536.0, 65536.0) + 0.5) + add[i]);
    };
    for (int y = area.top(); y <= area.bottom(); ++y) {
        auto *line = reinterpret_cast<quint32 *>(image.scanLine(y));
        for (quint32 *p = line + area.left(), *end = line + area.right() + 1; p != end; ++p) {
            const quint32 alpha = channel(*p, 24);
            const quint32 newAlpha = transparent ? quint32(std::min(scaled(alpha, 3), 255.0)) : 255;
            quint32 out = newAlpha << 24;
            for (std::size_t i = 0; i < 3; ++i) {
                const quint32 colour = alpha ? std::min<quint32>(channel(*p, colourShift[i]) * 256 / alpha, 255) : 0;
                const double premultiplied = std::floor(scaled(colour, i) * newAlpha / 256);
                out |= quint32(std::min(premultiplied, double(newAlpha))) << colourShift[i];
            }
            *p = out;
        }
    }
}

} // namespace

BitmapSurface::BitmapSurface(QImage image, bool transparent)
    : image_(std::move(image)), transparent_(transparent)
{
    changed();
}

BitmapSurface::~BitmapSurface() { dispose(); }

std::shared_ptr<BitmapSurface> BitmapSurface::create(int width, int height, bool transparent, quint32 argb)
{
    if (width <= 0 || height <= 0 || !reserve(qint64(width) * height))
        return nullptr;
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) {
        pixelsInUse -= qint64(width) * height;
        return nullptr;
    }
    std::shared_ptr<BitmapSurface> made(new BitmapSurface(std::move(image), transparent));
    made->image_.fill(premultiplied(transparent ? argb : argb | 0xFF000000));
    return made;
}

std::shared_ptr<BitmapSurface> BitmapSurface::fromImage(const QImage &image, bool transparent)
{
    std::shared_ptr<BitmapSurface> made = create(image.width(), image.height(), transparent, 0);
    if (!made)
        return nullptr;
    QPainter painter(&made->image_);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(0, 0, image);
    painter.end();
    if (!transparent)
        for (int y = 0; y < made->height(); ++y)
            for (quint32 *p = made->row(y), *end = p + made->width(); p != end; ++p)
                *p |= 0xFF000000;
    return made;
}

void BitmapSurface::dispose()
{
    if (image_.isNull())
        return;
    pixelsInUse -= qint64(image_.width()) * image_.height();
    image_ = QImage();
    changed();
}

std::shared_ptr<BitmapSurface> BitmapSurface::clone() const
{
    if (image_.isNull() || !reserve(qint64(width()) * height()))
        return nullptr;
    QImage copy = image_.copy();
    if (copy.isNull()) {
        pixelsInUse -= qint64(width()) * height();
        return nullptr;
    }
    return std::shared_ptr<BitmapSurface>(new BitmapSurface(std::move(copy), transparent_));
}

void BitmapSurface::changed()
{
    static std::atomic<quint64> serials{0};
    serial_ = ++serials;
}

quint32 BitmapSurface::premultiplied(quint32 argb)
{
    const quint32 a = channel(argb, 24);
    if (a == 255)
        return argb;
    auto scaled = [a](quint32 c) { return (c * a + 127) / 255; };
    return packed(a, scaled(channel(argb, 16)), scaled(channel(argb, 8)), scaled(channel(argb, 0)));
}

quint32 BitmapSurface::unmultiplied(quint32 stored)
{
    const quint32 a = channel(stored, 24);
    if (a == 255 || a == 0)
        return a ? stored : 0;
    auto scaled = [a](quint32 c) { return std::min<quint32>((c * 255 + a / 2) / a, 255); };
    return packed(a, scaled(channel(stored, 16)), scaled(channel(stored, 8)), scaled(channel(stored, 0)));
}

quint32 BitmapSurface::pixel32(int x, int y) const
{
    if (!image_.rect().contains(x, y))
        return 0;
    return unmultiplied(row(y)[x]);
}

void BitmapSurface::setPixel32(int x, int y, quint32 argb)
{
    if (!image_.rect().contains(x, y))
        return;
    row(y)[x] = premultiplied(transparent_ ? argb : argb | 0xFF000000);
    changed();
}

void BitmapSurface::setPixel(int x, int y, quint32 rgb)
{
    if (image_.rect().contains(x, y))
        setPixel32(x, y, (pixel32(x, y) & 0xFF000000) | (rgb & 0xFFFFFF));
}

void BitmapSurface::fillRect(const QRect &area, quint32 argb)
{
    const QRect inside = area & image_.rect();
    if (inside.isEmpty())
        return;
    const quint32 stored = premultiplied(transparent_ ? argb : argb | 0xFF000000);
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        std::fill(row(y) + inside.left(), row(y) + inside.right() + 1, stored);
    changed();
}

void BitmapSurface::copyPixels(const BitmapSurface &source, const QRect &from, QPoint to, const BitmapSurface *alpha,
                               QPoint alphaAt, bool merge)
{
    // Only what an alpha bitmap covers is copied; an opaque one is left out.
    if (alpha && !alpha->transparent())
        alpha = nullptr;
    const QPoint alphaOffset = alphaAt - from.topLeft();
    const QRect within = alpha ? from & alpha->rect().translated(-alphaOffset) : from;
    const auto [area, at] = clipped(within, to + (within.topLeft() - from.topLeft()), source.rect(), image_.rect());
    if (area.isEmpty())
        return;
    // Rows are copied through a buffer: source and destination may be one.
    std::vector<quint32> line(std::size_t(area.width()));
    for (int y = 0; y < area.height(); ++y) {
        const quint32 *in = source.row(area.top() + y) + area.left();
        std::copy(in, in + area.width(), line.begin());
        if (alpha) {
            const int ay = area.top() + y + alphaOffset.y();
            for (int x = 0; x < area.width(); ++x) {
                const int ax = area.left() + x + alphaOffset.x();
                const quint32 a = alpha->rect().contains(ax, ay) ? channel(alpha->row(ay)[ax], 24) : 0;
                line[std::size_t(x)] = faded(line[std::size_t(x)], a, !source.transparent());
            }
        }
        quint32 *out = row(at.y() + y) + at.x();
        for (int x = 0; x < area.width(); ++x) {
            const quint32 pixel = line[std::size_t(x)];
            // An opaque bitmap has no alpha to take the copy's: it is laid over.
            out[x] = merge || !transparent_ ? over(pixel, out[x]) : pixel;
        }
    }
    changed();
}

void BitmapSurface::colorTransform(const QRect &area, const PixelTransform &transform)
{
    const QRect inside = area & image_.rect();
    if (inside.isEmpty())
        return;
    transformPixels(image_, inside, transform, transparent_);
    changed();
}

void BitmapSurface::drawImage(const QImage &image, const QTransform &matrix, const PixelTransform &color,
                              const std::optional<QRect> &clip, bool smoothing)
{
    if (image_.isNull() || image.isNull())
        return;
    QImage source = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    transformPixels(source, source.rect(), color, true);
    QPainter painter(&image_);
    if (clip)
        painter.setClipRect(*clip);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, smoothing);
    painter.setTransform(matrix);
    painter.drawImage(0, 0, source);
    painter.end();
    drawn();
}

// The pixels of the area are visited in an order that looks random but
// reaches each exactly once: a full-period counter modulo the next power
// of two (x -> 5x + 1), scrambled by an
// invertible mix of its bits, passing over indices beyond the area. The
// seed names the first pixel; the player replaces that one and `count`
// more (9999 pixels of a 100 x 100 area leave none unchanged).
qint32 BitmapSurface::pixelDissolve(const BitmapSurface &source, const QRect &from, QPoint to, qint32 seed,
                                    qint64 count, quint32 fill)
{
    const auto [area, at] = clipped(from, to, source.rect(), image_.rect());
    if (area.isEmpty() || count < 0)
        return seed;
    const quint64 pixels = quint64(area.width()) * quint64(area.height());
    int bits = 1;
    while ((quint64(1) << bits) < pixels)
        ++bits;
    const quint64 mask = (quint64(1) << bits) - 1;
    auto scrambled = [&](quint64 state) {
        quint64 v = state;
        v = (v * 0x9E3779B1u) & mask; // odd multiplier: a bijection modulo 2^bits
        v ^= v >> ((bits + 1) / 2);
        return (v * 0x85EBCA77u) & mask;
    };
    const quint32 stored = premultiplied(transparent_ ? fill : fill | 0xFF000000);
    const bool filling = &source == this;
    quint64 state = quint64(quint32(seed)) & mask;
    const quint64 total = std::min<quint64>(quint64(count) + 1, pixels);
    for (quint64 done = 0; done < total;) {
        const quint64 index = scrambled(state);
        state = (state * 5 + 1) & mask;
        if (index >= pixels)
            continue;
        const int x = int(index % quint64(area.width())), y = int(index / quint64(area.width()));
        quint32 pixel = filling ? stored : source.row(area.top() + y)[area.left() + x];
        if (!transparent_)
            pixel |= 0xFF000000;
        row(at.y() + y)[at.x() + x] = pixel;
        ++done;
    }
    changed();
    return qint32(quint32(state));
}

QImage *BitmapSurface::drawTarget() { return image_.isNull() ? nullptr : &image_; }

void BitmapSurface::drawn()
{
    if (!transparent_)
        for (int y = 0; y < height(); ++y)
            for (quint32 *p = row(y), *end = p + width(); p != end; ++p)
                *p |= 0xFF000000;
    changed();
}

} // namespace sky::swf
