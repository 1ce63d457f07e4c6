#pragma once

#include <QImage>
#include <QPainterPath>
#include <QRect>

#include <optional>
#include <vector>

class QPainter;

namespace sky::swf {

// Fills put straight into the image a painter draws on, a run of coverage
// at a time (coverageRuns()), inside the clip the painter had when the
// writer was made, laid over what is there as the painter would.
class PixelWriter {
public:
    // A writer for `painter`'s image, when it draws on premultiplied pixels
    // with the source over them at full opacity; none otherwise.
    static std::optional<PixelWriter> onto(QPainter &painter);

    // The device pixels a fill of `outline` may change.
    QRect reach(const QPainterPath &outline) const;
    // Lays `color` (premultiplied) over the pixels where `outline` (device
    // pixels, straight edges) covers them, `samples` device pixels to a
    // picture pixel and `subsamples` points a side sampled in each.
    void fill(const QPainterPath &outline, int samples, int subsamples, QRgb color);
    // The same with the pixels of `source` (premultiplied), whose top left
    // pixel lies on device pixel `origin`.
    void fill(const QPainterPath &outline, int samples, int subsamples, const QImage &source, QPoint origin);

private:
    PixelWriter(QImage &image, std::vector<QRect> clip, const QRect &bounds);
    template<typename Blend>
    void write(const QPainterPath &outline, int samples, int subsamples, const QRect &within, Blend &&blend);

    QImage *image_;
    std::vector<QRect> clip_; // banded as a region's rectangles are
    QRect bounds_;
};

} // namespace sky::swf
