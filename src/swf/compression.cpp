#include "compression.h"

#include <lzma.h>
#include <zlib.h>

namespace sky::swf {
namespace {

// LZMA properties choose the dictionary size; refuse absurd ones.
constexpr uint64_t maxDecoderMemory = 128 * 1024 * 1024;

} // namespace

QByteArray inflateZlib(const char *data, qsizetype size, qsizetype limit)
{
    QByteArray out;
    z_stream zs{};
    if (size <= 0 || inflateInit(&zs) != Z_OK)
        return out;
    zs.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data));
    zs.avail_in = uInt(size);
    char chunk[65536];
    int rc = Z_OK;
    while (rc == Z_OK && out.size() < limit) {
        zs.next_out = reinterpret_cast<Bytef *>(chunk);
        zs.avail_out = sizeof chunk;
        rc = inflate(&zs, Z_NO_FLUSH);
        out.append(chunk, qsizetype(sizeof chunk - zs.avail_out));
        if (rc == Z_OK && zs.avail_in == 0 && zs.avail_out != 0)
            break;
    }
    inflateEnd(&zs);
    out.truncate(qMin(out.size(), limit));
    return out;
}

QByteArray decodeLzma(const char *data, qsizetype size, qsizetype limit)
{
    QByteArray out;
    if (size < 5)
        return out;
    // The stand-alone .lzma header: the properties, then "size unknown".
    QByteArray input(data, 5);
    input.append(QByteArray(8, char(0xFF)));
    input.append(data + 5, size - 5);

    lzma_stream ls = LZMA_STREAM_INIT;
    if (lzma_alone_decoder(&ls, maxDecoderMemory) != LZMA_OK)
        return out;
    ls.next_in = reinterpret_cast<const uint8_t *>(input.constData());
    ls.avail_in = size_t(input.size());
    uint8_t chunk[65536];
    lzma_ret rc = LZMA_OK;
    while (rc == LZMA_OK && out.size() < limit) {
        ls.next_out = chunk;
        ls.avail_out = sizeof chunk;
        rc = lzma_code(&ls, LZMA_RUN);
        out.append(reinterpret_cast<const char *>(chunk), qsizetype(sizeof chunk - ls.avail_out));
        if (rc == LZMA_OK && ls.avail_in == 0 && ls.avail_out != 0)
            break;
    }
    lzma_end(&ls);
    out.truncate(qMin(out.size(), limit));
    return out;
}

} // namespace sky::swf
