#include "bitreader.h"

namespace sky::swf {

BitReader::BitReader(const char *data, qsizetype size) : data_(data), size_(size < 0 ? 0 : size) {}

BitReader::BitReader(const QByteArray &bytes) : BitReader(bytes.constData(), bytes.size()) {}

void BitReader::need(qsizetype n) const
{
    if (n < 0 || n > size_ - pos_)
        throw ParseError("record runs past the end of its data");
}

quint8 BitReader::u8()
{
    align();
    need(1);
    return quint8(data_[pos_++]);
}

quint16 BitReader::u16()
{
    const quint16 lo = u8();
    return quint16(lo | (quint16(u8()) << 8));
}

quint32 BitReader::u32()
{
    const quint32 lo = u16();
    return lo | (quint32(u16()) << 16);
}

qint16 BitReader::s16() { return qint16(u16()); }

double BitReader::fixed8() { return s16() / 256.0; }

double BitReader::fixed16() { return qint32(u32()) / 65536.0; }

quint32 BitReader::ubits(int n)
{
    if (n < 0 || n > 32)
        throw ParseError("bit field wider than 32 bits");
    quint32 value = 0;
    for (int i = 0; i < n; ++i) {
        if (bitCount_ == 0) {
            need(1);
            bitBuffer_ = quint8(data_[pos_++]);
            bitCount_ = 8;
        }
        --bitCount_;
        value = (value << 1) | ((bitBuffer_ >> bitCount_) & 1u);
    }
    return value;
}

qint32 BitReader::sbits(int n)
{
    if (n == 0)
        return 0;
    const quint32 raw = ubits(n);
    if (n < 32 && (raw & (1u << (n - 1))))
        return qint32(raw | ~((1u << n) - 1));
    return qint32(raw);
}

double BitReader::fbits(int n) { return sbits(n) / 65536.0; }

QRectF BitReader::rect()
{
    align();
    const int n = int(ubits(5));
    const double xmin = sbits(n);
    const double xmax = sbits(n);
    const double ymin = sbits(n);
    const double ymax = sbits(n);
    align();
    return QRectF(QPointF(xmin, ymin), QPointF(xmax, ymax));
}

Matrix BitReader::matrix()
{
    align();
    Matrix m;
    if (flag()) {
        const int n = int(ubits(5));
        m.a = fbits(n);
        m.d = fbits(n);
    }
    if (flag()) {
        const int n = int(ubits(5));
        m.b = fbits(n);
        m.c = fbits(n);
    }
    const int n = int(ubits(5));
    m.tx = sbits(n);
    m.ty = sbits(n);
    align();
    return m;
}

ColorTransform BitReader::colorTransform(bool withAlpha)
{
    align();
    ColorTransform cx;
    const bool hasAdd = flag();
    const bool hasMul = flag();
    const int n = int(ubits(4));
    const int channels = withAlpha ? 4 : 3;
    if (hasMul)
        for (int i = 0; i < channels; ++i)
            cx.mul[i] = sbits(n) / 256.0;
    if (hasAdd)
        for (int i = 0; i < channels; ++i)
            cx.add[i] = sbits(n);
    align();
    return cx;
}

QColor BitReader::rgb()
{
    const int r = u8();
    const int g = u8();
    return QColor(r, g, u8());
}

QColor BitReader::rgba()
{
    const int r = u8();
    const int g = u8();
    const int b = u8();
    return QColor(r, g, b, u8());
}

QColor BitReader::argb()
{
    const int a = u8();
    const int r = u8();
    const int g = u8();
    return QColor(r, g, u8(), a);
}

QString BitReader::string()
{
    align();
    qsizetype end = pos_;
    while (end < size_ && data_[end] != 0)
        ++end;
    const QString s = QString::fromUtf8(data_ + pos_, end - pos_);
    pos_ = end < size_ ? end + 1 : end;
    return s;
}

QByteArray BitReader::bytes(qsizetype n)
{
    align();
    need(n);
    QByteArray out(data_ + pos_, n);
    pos_ += n;
    return out;
}

void BitReader::skip(qsizetype n)
{
    align();
    need(n);
    pos_ += n;
}

} // namespace sky::swf
