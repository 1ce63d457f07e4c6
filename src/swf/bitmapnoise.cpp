#include "bitmapnoise.h"

#include "bitmapsurface.h"

#include <array>
#include <cmath>

namespace sky::swf {
namespace {

// The minimal standard generator (multiplier 16807 modulo 2^31 - 1); a
// seed of 0 or a multiple of the modulus starts from 1.
class ParkMiller {
public:
    explicit ParkMiller(qint32 seed)
    {
        qint64 s = qint64(seed) % 2147483647;
        if (s <= 0)
            s += 2147483646;
        state_ = s;
    }
    qint64 next()
    {
        state_ = state_ * 16807 % 2147483647;
        return state_;
    }

private:
    qint64 state_;
};

constexpr int latticeSize = 256;

// One channel's gradient noise: a shuffled lattice of unit gradients.
class GradientLattice {
public:
    explicit GradientLattice(ParkMiller &random)
    {
        for (int i = 0; i < latticeSize; ++i) {
            const double angle = double(random.next() % 3600) * (M_PI / 1800);
            gradients_[std::size_t(i)] = {std::cos(angle), std::sin(angle)};
            perm_[std::size_t(i)] = i;
        }
        for (int i = latticeSize - 1; i > 0; --i)
            std::swap(perm_[std::size_t(i)], perm_[std::size_t(random.next() % (i + 1))]);
    }

    // Noise in -1..1 at (x, y) in lattice units; with periods above 0 the
    // lattice repeats after that many cells.
    double at(double x, double y, int periodX, int periodY) const
    {
        const double fx = std::floor(x), fy = std::floor(y);
        const double tx = x - fx, ty = y - fy;
        const qint64 ix = qint64(fx), iy = qint64(fy);
        auto corner = [&](int dx, int dy) {
            qint64 cx = ix + dx, cy = iy + dy;
            if (periodX > 0)
                cx = ((cx % periodX) + periodX) % periodX;
            if (periodY > 0)
                cy = ((cy % periodY) + periodY) % periodY;
            const int h = perm_[std::size_t((perm_[std::size_t(cx & 255)] + cy) & 255)];
            const auto &g = gradients_[std::size_t(h)];
            return g[0] * (tx - dx) + g[1] * (ty - dy);
        };
        auto fade = [](double t) { return t * t * (3 - 2 * t); };
        const double sx = fade(tx), sy = fade(ty);
        const double top = corner(0, 0) + (corner(1, 0) - corner(0, 0)) * sx;
        const double bottom = corner(0, 1) + (corner(1, 1) - corner(0, 1)) * sx;
        return (top + (bottom - top) * sy) * M_SQRT2;
    }

private:
    std::array<std::array<double, 2>, latticeSize> gradients_{};
    std::array<int, latticeSize> perm_{};
};

} // namespace

void fillPerlinNoise(BitmapSurface &bitmap, const PerlinNoise &noise)
{
    const int width = bitmap.width(), height = bitmap.height();
    if (width <= 0 || height <= 0)
        return;
    // Red, green, blue, alpha: the lattices of the channels filled, one for
    // all colours in grey.
    std::array<bool, 4> filled{};
    for (std::size_t i = 0; i < 4; ++i)
        filled[i] = noise.channels & (1 << i);
    if (noise.grayScale)
        filled = {true, false, false, filled[3]};
    ParkMiller random(noise.seed);
    std::vector<GradientLattice> lattices;
    std::array<int, 4> latticeOf{-1, -1, -1, -1};
    for (std::size_t i = 0; i < 4; ++i)
        if (filled[i]) {
            latticeOf[i] = int(lattices.size());
            lattices.emplace_back(random);
        }
    // Octaves past the sixteenth add less than a hundredth of a level; and
    // a call makes at most 2^26 lattice look-ups, leaving out the finest
    // octaves of very large bitmaps, so no script stalls the player here.
    const qint64 perOctave = std::max<qint64>(1, qint64(width) * height * qint64(lattices.size()));
    const int octaves = int(std::clamp<qint64>(std::min<qint64>(noise.octaves, (qint64(1) << 26) / perOctave), 0, 16));
    const double baseX = std::abs(noise.baseX), baseY = std::abs(noise.baseY);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            std::array<double, 4> value{0, 0, 0, 0};
            for (std::size_t i = 0; i < 4; ++i) {
                if (latticeOf[i] < 0)
                    continue;
                double sum = 0, amplitude = 1, frequency = 1;
                for (int o = 0; o < octaves; ++o, amplitude /= 2, frequency *= 2) {
                    const QPointF offset = std::size_t(o) < noise.offsets.size() ? noise.offsets[std::size_t(o)] : QPointF();
                    const double fx = baseX > 0 ? frequency / baseX : 0, fy = baseY > 0 ? frequency / baseY : 0;
                    const int periodX = noise.stitch ? std::max(1, int(std::lround(width * fx))) : 0;
                    const int periodY = noise.stitch ? std::max(1, int(std::lround(height * fy))) : 0;
                    const double n = lattices[std::size_t(latticeOf[i])].at((x + offset.x()) * fx, (y + offset.y()) * fy,
                                                                            periodX, periodY);
                    sum += (noise.fractal ? n : std::abs(n)) * amplitude;
                }
                value[i] = noise.fractal ? (sum + 1) * 127.5 : sum * 255;
            }
            auto level = [&](std::size_t i) { return quint32(std::clamp(int(value[i]), 0, 255)); };
            const quint32 red = level(0);
            const quint32 green = noise.grayScale ? red : level(1), blue = noise.grayScale ? red : level(2);
            const quint32 alpha = filled[3] ? level(3) : 255;
            bitmap.setPixel32(x, y, alpha << 24 | red << 16 | green << 8 | blue);
        }
    }
}

} // namespace sky::swf
