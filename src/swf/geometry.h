#pragma once

#include <QColor>
#include <QTransform>

#include <array>

namespace sky::swf {

// An affine matrix in SWF terms: x' = x*a + y*c + tx, y' = x*b + y*d + ty.
struct Matrix {
    double a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;

    QTransform toTransform() const { return QTransform(a, b, c, d, tx, ty); }
    static Matrix lerp(const Matrix &from, const Matrix &to, double t);
    bool operator==(const Matrix &) const = default;
};

// Multiplies then adds per channel (R, G, B, A); adds are in 0..255 units.
struct ColorTransform {
    std::array<double, 4> mul{1, 1, 1, 1};
    std::array<double, 4> add{0, 0, 0, 0};

    QColor apply(const QColor &c) const;
    bool isIdentity() const { return mul == std::array<double, 4>{1, 1, 1, 1} && add == std::array<double, 4>{}; }
    bool changesColour() const;
    // The transform that applies `inner` first, then this one.
    ColorTransform after(const ColorTransform &inner) const;
    bool operator==(const ColorTransform &) const = default;
};

} // namespace sky::swf
