#pragma once

#include <QByteArray>

namespace sky::swf {

// Inflates a zlib stream, stopping after `limit` bytes of output. A broken
// or cut-off stream yields the bytes decoded before the fault.
QByteArray inflateZlib(const char *data, qsizetype size, qsizetype limit);
inline QByteArray inflateZlib(const QByteArray &data, qsizetype limit)
{
    return inflateZlib(data.constData(), data.size(), limit);
}

// Decodes raw LZMA data preceded by its five property bytes, stopping
// after `limit` bytes of output.
QByteArray decodeLzma(const char *data, qsizetype size, qsizetype limit);

} // namespace sky::swf
