#pragma once

#include "geometry.h"

#include <QByteArray>
#include <QColor>
#include <QRectF>
#include <QString>

#include <cstdint>
#include <stdexcept>

namespace sky::swf {

// Thrown when a record runs past the end of its data or is malformed.
class ParseError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads the little-endian bytes and most-significant-first bit fields of
// SWF records. Every read is bounds-checked and throws ParseError.
class BitReader {
public:
    BitReader(const char *data, qsizetype size);
    explicit BitReader(const QByteArray &bytes);

    quint8 u8();
    quint16 u16();
    quint32 u32();
    qint16 s16();
    double fixed8();  // 8.8 fixed point
    double fixed16(); // 16.16 fixed point
    quint32 ubits(int n);
    qint32 sbits(int n);
    double fbits(int n); // signed 16.16 bit field
    bool flag() { return ubits(1) != 0; }
    void align() { bitCount_ = 0; }

    QRectF rect(); // in twips
    Matrix matrix();
    ColorTransform colorTransform(bool withAlpha);
    QColor rgb();
    QColor rgba();
    QColor argb();
    QString string(); // NUL-terminated
    QByteArray bytes(qsizetype n);
    void skip(qsizetype n);

    qsizetype pos() const { return pos_; }
    qsizetype remaining() const { return size_ - pos_; }
    bool atEnd() const { return pos_ >= size_; }

private:
    void need(qsizetype n) const;

    const char *data_;
    qsizetype size_;
    qsizetype pos_ = 0;
    quint8 bitBuffer_ = 0;
    int bitCount_ = 0;
};

} // namespace sky::swf
