#include "geometry.h"

#include <cmath>

namespace sky::swf {

Matrix Matrix::lerp(const Matrix &from, const Matrix &to, double t)
{
    auto mix = [t](double x, double y) { return x + (y - x) * t; };
    return Matrix{mix(from.a, to.a), mix(from.b, to.b), mix(from.c, to.c),
                  mix(from.d, to.d), mix(from.tx, to.tx), mix(from.ty, to.ty)};
}

QColor ColorTransform::apply(const QColor &c) const
{
    const int in[4] = {c.red(), c.green(), c.blue(), c.alpha()};
    int out[4];
    // Multipliers are 8.8 fixed point; the product lands on the nearest
    // whole level, so a script's _alpha of 30 (76/256) covers as 76 of 255.
    for (int i = 0; i < 4; ++i)
        out[i] = qBound(0, int(std::floor(in[i] * mul[i] + add[i] + 0.5)), 255);
    return QColor(out[0], out[1], out[2], out[3]);
}

bool ColorTransform::changesColour() const
{
    for (int i = 0; i < 3; ++i)
        if (mul[i] != 1 || add[i] != 0)
            return true;
    return false;
}

ColorTransform ColorTransform::after(const ColorTransform &inner) const
{
    ColorTransform out;
    for (int i = 0; i < 4; ++i) {
        out.mul[i] = inner.mul[i] * mul[i];
        out.add[i] = inner.add[i] * mul[i] + add[i];
    }
    return out;
}

} // namespace sky::swf
