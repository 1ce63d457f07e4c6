#include "blending.h"

#include <QPainter>

#include <algorithm>

namespace sky::swf {
QRect drawnArea(const QImage &image)
{
    int top = image.height(), bottom = -1, left = image.width(), right = -1;
    for (int y = 0; y < image.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        int first = 0;
        while (first < image.width() && qAlpha(line[first]) == 0)
            ++first;
        if (first == image.width())
            continue;
        int last = image.width() - 1;
        while (qAlpha(line[last]) == 0)
            --last;
        top = std::min(top, y);
        bottom = y;
        left = std::min(left, first);
        right = std::max(right, last);
    }
    return bottom < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

namespace {

// Blends `layer` onto `backdrop` pixel by pixel over `area` of the layer,
// which lies at `at` on the backdrop. Subtracting
// takes the source's premultiplied colour from the backdrop's; inverting
// turns the backdrop's colour over where the source lies, weighed by the
// source's alpha. Alpha is that of the source over the backdrop.
QImage blendedArea(const QImage &backdrop, const QImage &layer, const QRect &area, const QPoint &at, int blend)
{
    QImage out(area.size(), QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < area.height(); ++y) {
        const auto *under = reinterpret_cast<const QRgb *>(backdrop.constScanLine(at.y() + area.y() + y)) + at.x() + area.x();
        const auto *over = reinterpret_cast<const QRgb *>(layer.constScanLine(area.y() + y)) + area.x();
        auto *to = reinterpret_cast<QRgb *>(out.scanLine(y));
        for (int x = 0; x < area.width(); ++x) {
            const QRgb s = over[x];
            const QRgb b = under[x];
            const int as = qAlpha(s);
            const int ab = qAlpha(b);
            if (as == 0) {
                to[x] = b;
                continue;
            }
            const int alpha = as + ab - (as * ab + 127) / 255;
            const auto channel = [&](int cs, int cb) {
                const int value = blend == int(Blend::Subtract)
                    ? std::max(0, cb - cs) + (cs * (255 - ab) + 127) / 255
                    : (cb * (255 - as) + (ab - cb) * as + 127) / 255 + (cs * (255 - ab) + 127) / 255;
                return std::clamp(value, 0, alpha);
            };
            to[x] = qRgba(channel(qRed(s), qRed(b)), channel(qGreen(s), qGreen(b)), channel(qBlue(s), qBlue(b)), alpha);
        }
    }
    return out;
}

// What an alpha-mode layer keeps of the parent's layer: its alpha where it
// has any; where it is fully transparent, as everywhere in the player, it
// changes nothing.
QImage keptByAlpha(const QImage &layer)
{
    QImage kept(layer.size(), QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < layer.height(); ++y) {
        const auto *drawn = reinterpret_cast<const QRgb *>(layer.constScanLine(y));
        auto *to = reinterpret_cast<QRgb *>(kept.scanLine(y));
        for (int x = 0; x < layer.width(); ++x)
            to[x] = qAlpha(drawn[x]) == 0 ? 0xFF000000u : drawn[x] & 0xFF000000u;
    }
    return kept;
}

QPainter::CompositionMode compositionFor(int blend)
{
    switch (Blend(blend)) {
    case Blend::Multiply: return QPainter::CompositionMode_Multiply;
    case Blend::Screen: return QPainter::CompositionMode_Screen;
    case Blend::Lighten: return QPainter::CompositionMode_Lighten;
    case Blend::Darken: return QPainter::CompositionMode_Darken;
    case Blend::Difference: return QPainter::CompositionMode_Difference;
    case Blend::Add: return QPainter::CompositionMode_Plus;
    case Blend::Overlay: return QPainter::CompositionMode_Overlay;
    case Blend::HardLight: return QPainter::CompositionMode_HardLight;
    case Blend::Erase: return QPainter::CompositionMode_DestinationOut;
    case Blend::Alpha: return QPainter::CompositionMode_DestinationIn;
    default: return QPainter::CompositionMode_SourceOver;
    }
}

} // namespace

bool drawnAsLayer(int blend) { return blend >= int(Blend::Layer) && blend <= int(Blend::HardLight); }

bool actsOnParentLayer(int blend) { return blend == int(Blend::Alpha) || blend == int(Blend::Erase); }

void putDown(QPainter &painter, const QImage &layer, int blend, const QPoint &at)
{
    painter.save();
    painter.resetTransform();
    if (blend == int(Blend::Subtract) || blend == int(Blend::Invert)) {
        auto *backdrop = painter.device()->devType() == QInternal::Image ? static_cast<QImage *>(painter.device()) : nullptr;
        if (backdrop && backdrop->format() == QImage::Format_ARGB32_Premultiplied) {
            const QRect area = drawnArea(layer) & backdrop->rect().translated(-at);
            if (!area.isEmpty()) {
                painter.setCompositionMode(QPainter::CompositionMode_Source);
                painter.drawImage(at + area.topLeft(), blendedArea(*backdrop, layer, area, at, blend));
            }
            painter.restore();
            return;
        }
    }
    painter.setCompositionMode(compositionFor(blend));
    painter.drawImage(at, blend == int(Blend::Alpha) ? keptByAlpha(layer) : layer);
    painter.restore();
}

} // namespace sky::swf
