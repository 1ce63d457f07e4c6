#include "filters.h"

#include "bitreader.h"
#include "raster.h"

#include <QPainter>

#include <algorithm>
#include <bit>
#include <cmath>

namespace sky::swf {
namespace {

constexpr double maxBlur = 255;
constexpr int maxPasses = 15;
constexpr int maxKernelSide = 15;

using Plane = std::vector<float>;

// One pass of a box blur `width` pixels wide along rows (`step` 1) or
// columns of a plane of floats, which count as 0 beyond its edges; a width
// with a fraction weighs the two outermost pixels by it. Each pass keeps
// whole levels (`level` is one level in the plane's values), cut toward
// zero, as the player's 8-bit passes do: a wide blur's faint edge comes out
// lighter than exact sums would make it. The work lines hold the plane's
// pixels only, however wide the box (a filter's blur is scaled with the
// picture).
void boxBlur(Plane &plane, int width, int height, double boxWidth, bool alongRows, float level)
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
            // Running sums of floats may fall a hair short of a whole level.
            constexpr float slack = 0.01f;
            start[std::size_t(k) * stride] = std::floor((inside + edge * outer) * scale / level + slack) * level;
        }
    }
}

// The width of a blur's box in picture pixels. A box `blur` stage pixels
// wide reaches (blur - 1) / 2 pixels either side of its middle, and that
// reach grows with the stage's scale: a blur of 1 stays sharp however far
// the stage is enlarged, and one of 2 on a stage drawn twice as large is 3
// pixels wide.
double boxOnPicture(double blur, double stageScale) { return (blur - 1) * stageScale + 1; }

// Blurs a plane whose values step by `level` (1/255 for alpha from 0 to
// 1, 1 for colours from 0 to 255).
void blur(Plane &plane, int width, int height, const Filter &filter, double stageScale, float level)
{
    const double acrossX = boxOnPicture(filter.blurX, stageScale);
    const double acrossY = boxOnPicture(filter.blurY, stageScale);
    for (int pass = 0; pass < filter.passes; ++pass) {
        if (acrossX > 1)
            boxBlur(plane, width, height, acrossX, true, level);
        if (acrossY > 1)
            boxBlur(plane, width, height, acrossY, false, level);
    }
}

Plane alphaOf(const QImage &image)
{
    Plane alpha(std::size_t(image.width()) * image.height());
    for (int y = 0; y < image.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            alpha[std::size_t(y) * image.width() + x] = float(qAlpha(line[x])) / 255.0f;
    }
    return alpha;
}

// The value of `plane` at (x - dx, y - dy), `outside` past its edges.
float shifted(const Plane &plane, int width, int height, int x, int y, int dx, int dy, float outside)
{
    const int sx = x - dx;
    const int sy = y - dy;
    return sx < 0 || sy < 0 || sx >= width || sy >= height ? outside : plane[std::size_t(sy) * width + sx];
}

// 256 premultiplied colours along a gradient's ratios.
std::vector<QRgb> rampOf(const std::vector<std::pair<int, QColor>> &stops)
{
    std::vector<QRgb> ramp(256, 0);
    if (stops.empty())
        return ramp;
    for (int i = 0; i < 256; ++i) {
        std::size_t next = 0;
        while (next < stops.size() && stops[next].first < i)
            ++next;
        QColor c;
        if (next == 0 || next == stops.size()) {
            c = next == 0 ? stops.front().second : stops.back().second;
        } else {
            const auto &[ra, a] = stops[next - 1];
            const auto &[rb, b] = stops[next];
            const double t = rb > ra ? double(i - ra) / (rb - ra) : 1.0;
            const auto mix = [t](int x, int y) { return int(std::lround(x + (y - x) * t)); };
            c = QColor(mix(a.red(), b.red()), mix(a.green(), b.green()), mix(a.blue(), b.blue()), mix(a.alpha(), b.alpha()));
        }
        ramp[std::size_t(i)] = qPremultiply(c.rgba());
    }
    return ramp;
}

QRgb scaled(QRgb premultiplied, double by)
{
    const auto channel = [by](int v) { return qBound(0, int(std::lround(v * by)), 255); };
    return qRgba(channel(qRed(premultiplied)), channel(qGreen(premultiplied)), channel(qBlue(premultiplied)),
                 channel(qAlpha(premultiplied)));
}

QRgb tinted(const QColor &c, double amount)
{
    return scaled(qPremultiply(c.rgba()), qBound(0.0, amount, 1.0));
}

// Where the shadows, glows and bevels land: the object's own area for
// inner ones, around it for outer ones, both for full bevels.
enum class Side { Inner, Outer, Both };

// Puts `effect` together with the object `picture` as the filter asks:
// an inner effect kept inside the object's edge, an outer one cut out of
// the object only when knocked out. An outer effect lies under the object;
// an inner one is laid on it without adding to its alpha (the object shows
// only where the effect lets it through, so a translucent object stays as
// translucent); either may be knocked out or left out.
QImage composed(const QImage &picture, QImage effect, const Plane &objectAlpha, Side side, const Filter &filter)
{
    const bool onObject = side == Side::Inner && !filter.knockout && !filter.onlyEffect;
    if (side == Side::Inner || (side == Side::Outer && filter.knockout)) {
        for (int y = 0; y < effect.height(); ++y) {
            auto *line = reinterpret_cast<QRgb *>(effect.scanLine(y));
            const auto *object = reinterpret_cast<const QRgb *>(picture.constScanLine(y));
            for (int x = 0; x < effect.width(); ++x) {
                const float a = objectAlpha[std::size_t(y) * effect.width() + x];
                const QRgb e = line[x];
                line[x] = scaled(e, side == Side::Inner ? a : 1 - a);
                if (onObject) {
                    const QRgb shown = scaled(object[x], 1 - qAlpha(e) / 255.0);
                    line[x] = qRgba(qMin(qRed(line[x]) + qRed(shown), 255), qMin(qGreen(line[x]) + qGreen(shown), 255),
                                    qMin(qBlue(line[x]) + qBlue(shown), 255), qMin(qAlpha(line[x]) + qAlpha(shown), 255));
                }
            }
        }
    }
    if (onObject || filter.knockout || filter.onlyEffect)
        return effect;
    QImage out = side == Side::Outer ? effect : picture;
    QPainter painter(&out);
    painter.drawImage(0, 0, side == Side::Outer ? picture : effect);
    return out;
}

// The offset of a shadow or bevel, in picture pixels.
QPoint offsetOf(const Filter &filter, double stageScale)
{
    return QPoint(int(std::lround(std::cos(filter.angle) * filter.distance * stageScale)),
                  int(std::lround(std::sin(filter.angle) * filter.distance * stageScale)));
}

// The colours of a drop shadow or glow, plain or in a gradient's colours,
// before it is put with the object.
QImage glowOf(const QImage &small, const Filter &filter, double stageScale)
{
    const int width = small.width();
    const int height = small.height();
    Plane spread = alphaOf(small);
    if (filter.inner)
        for (float &a : spread)
            a = 1 - a;
    blur(spread, width, height, filter, stageScale, 1.0f / 255);
    const QPoint offset = filter.kind == Filter::Kind::Glow ? QPoint() : offsetOf(filter, stageScale);
    const bool graded = filter.kind == Filter::Kind::GradientGlow;
    const std::vector<QRgb> ramp = graded ? rampOf(filter.gradient) : std::vector<QRgb>();
    QImage effect(width, height, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < height; ++y) {
        auto *line = reinterpret_cast<QRgb *>(effect.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const float a = shifted(spread, width, height, x, y, offset.x(), offset.y(), filter.inner ? 1.0f : 0.0f);
            const double amount = qBound(0.0, a * filter.strength, 1.0);
            line[x] = graded ? ramp[std::size_t(std::lround(amount * 255))] : tinted(filter.color, amount);
        }
    }
    return effect;
}

// The colours of a bevel: the blurred shape lit from the filter's angle, a
// highlight where it rises towards the light and a shadow where it falls
// away.
QImage bevelOf(const QImage &small, const Filter &filter, double stageScale)
{
    const int width = small.width();
    const int height = small.height();
    Plane soft = alphaOf(small);
    blur(soft, width, height, filter, stageScale, 1.0f / 255);
    const QPoint offset = offsetOf(filter, stageScale);
    const bool graded = filter.kind == Filter::Kind::GradientBevel;
    const std::vector<QRgb> ramp = graded ? rampOf(filter.gradient) : std::vector<QRgb>();
    QImage effect(width, height, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < height; ++y) {
        auto *line = reinterpret_cast<QRgb *>(effect.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const float towards = shifted(soft, width, height, x, y, -offset.x(), -offset.y(), 0);
            const float away = shifted(soft, width, height, x, y, offset.x(), offset.y(), 0);
            const double lit = qBound(-1.0, (towards - away) * filter.strength, 1.0);
            if (graded) {
                line[x] = ramp[std::size_t(qBound(0L, std::lround(127.5 + lit * 127.5), 255L))];
                continue;
            }
            line[x] = lit >= 0 ? tinted(filter.highlight, lit) : tinted(filter.color, -lit);
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
    Plane plane(std::size_t(width) * height);
    for (int shift = 0; shift < 32; shift += 8) {
        for (int y = 0; y < height; ++y) {
            const auto *line = reinterpret_cast<const QRgb *>(small.constScanLine(y));
            for (int x = 0; x < width; ++x)
                plane[std::size_t(y) * width + x] = float((line[x] >> shift) & 0xFF);
        }
        blur(plane, width, height, filter, stageScale, 1.0f);
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

// The colour matrix worked on each pixel's straight (unpremultiplied)
// colour, rounded to the nearest step.
QImage colourMatrixOf(const QImage &picture, const std::vector<float> &m)
{
    QImage out(picture.size(), QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < picture.height(); ++y) {
        const auto *from = reinterpret_cast<const QRgb *>(picture.constScanLine(y));
        auto *to = reinterpret_cast<QRgb *>(out.scanLine(y));
        for (int x = 0; x < picture.width(); ++x) {
            const QRgb c = qUnpremultiply(from[x]);
            const double in[4] = {double(qRed(c)), double(qGreen(c)), double(qBlue(c)), double(qAlpha(c))};
            int channel[4];
            for (int row = 0; row < 4; ++row) {
                const float *k = m.data() + row * 5;
                const double v = k[0] * in[0] + k[1] * in[1] + k[2] * in[2] + k[3] * in[3] + k[4];
                channel[row] = qBound(0, int(std::lround(v)), 255);
            }
            to[x] = qPremultiply(qRgba(channel[0], channel[1], channel[2], channel[3]));
        }
    }
    return out;
}

// Each pixel the kernel's weighted sum of its neighbours' straight
// colours, divided, with the bias added.
QImage convolutionOf(const QImage &picture, const Filter &filter)
{
    const int width = picture.width();
    const int height = picture.height();
    QImage straight = picture.convertToFormat(QImage::Format_ARGB32);
    QImage out(picture.size(), QImage::Format_ARGB32);
    const QRgb outside = filter.outside.rgba();
    const float divisor = filter.divisor == 0 ? 1 : filter.divisor;
    for (int y = 0; y < height; ++y) {
        auto *to = reinterpret_cast<QRgb *>(out.scanLine(y));
        const QRgb *own = reinterpret_cast<const QRgb *>(straight.constScanLine(y));
        for (int x = 0; x < width; ++x) {
            float sum[4] = {0, 0, 0, 0};
            for (int row = 0; row < filter.rows; ++row) {
                for (int column = 0; column < filter.columns; ++column) {
                    int sx = x + column - filter.columns / 2;
                    int sy = y + row - filter.rows / 2;
                    QRgb c = outside;
                    if (filter.clamp) {
                        sx = qBound(0, sx, width - 1);
                        sy = qBound(0, sy, height - 1);
                    }
                    if (sx >= 0 && sy >= 0 && sx < width && sy < height)
                        c = reinterpret_cast<const QRgb *>(straight.constScanLine(sy))[sx];
                    const float k = filter.matrix[std::size_t(row * filter.columns + column)];
                    sum[0] += k * float(qRed(c));
                    sum[1] += k * float(qGreen(c));
                    sum[2] += k * float(qBlue(c));
                    sum[3] += k * float(qAlpha(c));
                }
            }
            const auto channel = [&](int i) { return qBound(0, int(std::lround(sum[i] / divisor + filter.bias)), 255); };
            to[x] = qRgba(channel(0), channel(1), channel(2), filter.preserveAlpha ? qAlpha(own[x]) : channel(3));
        }
    }
    return out.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

float readFloat(BitReader &r) { return std::bit_cast<float>(r.u32()); }

double readBlur(BitReader &r) { return qBound(0.0, r.fixed16(), maxBlur); }

// The blur, the offset (for all but glows) and the strength of shadows,
// glows and bevels.
void readSpread(BitReader &r, Filter &f, bool offset)
{
    f.blurX = readBlur(r);
    f.blurY = readBlur(r);
    if (offset) {
        f.angle = r.fixed16();
        f.distance = qBound(-maxBlur, r.fixed16(), maxBlur);
    }
    f.strength = r.fixed8();
}

// The flags byte that ends shadows, glows and bevels.
void readEffectFlags(BitReader &r, Filter &f, bool bevel)
{
    const int flags = r.u8();
    f.inner = flags & 0x80;
    f.knockout = flags & 0x40;
    f.onlyEffect = !(flags & 0x20); // the object itself is left out
    f.onTop = bevel && (flags & 0x10);
    f.passes = qBound(1, flags & (bevel ? 0x0F : 0x1F), maxPasses);
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
            f.kind = Filter::Kind::DropShadow;
            f.color = r.rgba();
            readSpread(r, f, true);
            readEffectFlags(r, f, false);
            break;
        case 1:
            f.kind = Filter::Kind::Blur;
            f.blurX = readBlur(r);
            f.blurY = readBlur(r);
            f.passes = qBound(1, int(r.u8() >> 3), maxPasses);
            break;
        case 2:
            f.kind = Filter::Kind::Glow;
            f.color = r.rgba();
            readSpread(r, f, false);
            readEffectFlags(r, f, false);
            break;
        case 3:
            f.kind = Filter::Kind::Bevel;
            f.highlight = r.rgba(); // files hold the highlight first
            f.color = r.rgba();
            readSpread(r, f, true);
            readEffectFlags(r, f, true);
            break;
        case 4:
        case 7: {
            f.kind = kind == 4 ? Filter::Kind::GradientGlow : Filter::Kind::GradientBevel;
            const int colours = r.u8();
            for (int k = 0; k < colours; ++k)
                f.gradient.push_back({0, r.rgba()});
            for (int k = 0; k < colours; ++k)
                f.gradient[std::size_t(k)].first = r.u8();
            readSpread(r, f, true);
            readEffectFlags(r, f, true);
            break;
        }
        case 5: {
            f.kind = Filter::Kind::Convolution;
            f.columns = r.u8();
            f.rows = r.u8();
            f.divisor = readFloat(r);
            f.bias = readFloat(r);
            for (int k = 0; k < f.columns * f.rows; ++k)
                f.matrix.push_back(readFloat(r));
            f.outside = r.rgba();
            const int flags = r.u8();
            f.clamp = flags & 0x02;
            f.preserveAlpha = flags & 0x01;
            break;
        }
        case 6:
            f.kind = Filter::Kind::ColorMatrix;
            for (int k = 0; k < 20; ++k)
                f.matrix.push_back(readFloat(r));
            break;
        default:
            throw ParseError("unknown filter");
        }
        filters.push_back(f);
    }
    return filters;
}

QImage applyFilters(const QImage &layer, const std::vector<Filter> &filters, int samples, double stageScale)
{
    QImage picture = layer;
    for (const Filter &filter : filters) {
        if (filter.kind == Filter::Kind::ColorMatrix) {
            picture = colourMatrixOf(picture, filter.matrix); // pixel by pixel, at any size
            continue;
        }
        if (filter.kind == Filter::Kind::Convolution
            && (filter.columns < 1 || filter.rows < 1 || filter.columns > maxKernelSide || filter.rows > maxKernelSide))
            continue; // larger kernels are not drawn
        const QImage small = samples > 1 ? downsample(picture, samples) : picture;
        if (small.isNull())
            return layer;
        const auto upscaled = [&](const QImage &image) {
            return samples > 1 ? image.scaled(picture.size(), Qt::IgnoreAspectRatio, Qt::FastTransformation) : image;
        };
        switch (filter.kind) {
        case Filter::Kind::Blur: picture = upscaled(blurred(small, filter, stageScale)); break;
        case Filter::Kind::Convolution: picture = upscaled(convolutionOf(small, filter)); break;
        case Filter::Kind::DropShadow:
        case Filter::Kind::Glow:
        case Filter::Kind::GradientGlow:
            picture = composed(picture, upscaled(glowOf(small, filter, stageScale)), alphaOf(picture),
                               filter.inner ? Side::Inner : Side::Outer, filter);
            break;
        case Filter::Kind::Bevel:
        case Filter::Kind::GradientBevel:
            picture = composed(picture, upscaled(bevelOf(small, filter, stageScale)), alphaOf(picture),
                               filter.onTop ? Side::Both : filter.inner ? Side::Inner : Side::Outer, filter);
            break;
        case Filter::Kind::ColorMatrix: break;
        }
    }
    return picture;
}

} // namespace sky::swf
