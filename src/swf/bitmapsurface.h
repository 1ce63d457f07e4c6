#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>

#include <QTransform>

#include <array>
#include <memory>
#include <optional>

namespace sky::swf {

// A colour transform as bitmaps apply it: per red, green, blue and alpha a
// multiplier and an offset in 0..255 units.
struct PixelTransform {
    std::array<double, 4> mul{1, 1, 1, 1};
    std::array<double, 4> add{0, 0, 0, 0};
};

// The pixels of a script's bitmap (BitmapData): premultiplied ARGB, as the
// player keeps them, so a colour set on a partly transparent pixel reads
// back rounded. An opaque bitmap keeps every alpha at 255. Bitmaps draw
// from a budget of pixels shared by all the movies of the process; a
// bitmap that does not fit is not made.
class BitmapSurface {
public:
    // Pixels all bitmaps alive may hold together.
    static constexpr qint64 pixelBudget = qint64(1) << 25;

    // A bitmap filled with `argb`; null when the size is not positive or
    // the budget has no room.
    static std::shared_ptr<BitmapSurface> create(int width, int height, bool transparent, quint32 argb);
    // A bitmap holding `image` (any format); null when it does not fit.
    static std::shared_ptr<BitmapSurface> fromImage(const QImage &image, bool transparent);
    ~BitmapSurface();
    BitmapSurface(const BitmapSurface &) = delete;
    BitmapSurface &operator=(const BitmapSurface &) = delete;

    int width() const { return image_.width(); }
    int height() const { return image_.height(); }
    bool transparent() const { return transparent_; }
    QRect rect() const { return image_.rect(); }
    // Premultiplied ARGB32; null once disposed.
    const QImage &image() const { return image_; }
    // Changes with every change of the pixels, never repeating.
    quint64 serial() const { return serial_; }
    // Gives the pixels back to the budget; the bitmap then draws nothing.
    void dispose();
    std::shared_ptr<BitmapSurface> clone() const;

    // Unmultiplied ARGB; 0 outside the bitmap.
    quint32 pixel32(int x, int y) const;
    // Stores an unmultiplied ARGB colour (alpha 255 on opaque bitmaps);
    // setPixel keeps the pixel's alpha.
    void setPixel32(int x, int y, quint32 argb);
    void setPixel(int x, int y, quint32 rgb);
    void fillRect(const QRect &area, quint32 argb);

    // Copies `from` (within `source`) to `to`. With a transparent alpha
    // bitmap only what it covers is copied, the source's alpha multiplied by its alpha
    // there (`alphaAt` lies under the source's top left corner). With
    // `merge`, and always on an opaque bitmap, the copy is laid over what
    // is there, else it replaces it.
    void copyPixels(const BitmapSurface &source, const QRect &from, QPoint to, const BitmapSurface *alpha,
                    QPoint alphaAt, bool merge);
    // Applies `transform` to the unmultiplied colours of `area`.
    void colorTransform(const QRect &area, const PixelTransform &transform);
    // Replaces `count` pixels of `from`'s area, placed at `to`, by the
    // source's (or by `fill` when the source is this bitmap), in an order
    // `seed` picks; returns the seed that carries on where this stopped.
    qint32 pixelDissolve(const BitmapSurface &source, const QRect &from, QPoint to, qint32 seed, qint64 count,
                         quint32 fill);
    // Lays `image` (premultiplied) over the bitmap through `matrix`, its
    // colours transformed, inside `clip` when given.
    void drawImage(const QImage &image, const QTransform &matrix, const PixelTransform &color,
                   const std::optional<QRect> &clip, bool smoothing);
    // Pixels drawn onto the bitmap from outside, which then calls drawn();
    // null when disposed.
    QImage *drawTarget();
    void drawn();

    // Stored form of an unmultiplied colour and back.
    static quint32 premultiplied(quint32 argb);
    static quint32 unmultiplied(quint32 stored);

private:
    BitmapSurface(QImage image, bool transparent);
    quint32 *row(int y) { return reinterpret_cast<quint32 *>(image_.scanLine(y)); }
    const quint32 *row(int y) const { return reinterpret_cast<const quint32 *>(image_.constScanLine(y)); }
    void changed();

    QImage image_;
    bool transparent_;
    quint64 serial_;
};

} // namespace sky::swf
