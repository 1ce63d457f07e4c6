#pragma once

#include <QByteArray>
#include <QImage>

namespace sky::swf {

// Largest bitmap decoded, in pixels; bigger ones are left out.
inline constexpr qint64 maxBitmapPixels = 16 * 1024 * 1024;

// Decodes the image data of DefineBits (with the movie's JPEGTables),
// DefineBitsJPEG2/3/4 and DefineBitsLossless/Lossless2. `body` is the tag
// body after the character id. Returns a null image when the data is
// unusable. Results are premultiplied ARGB.
QImage decodeBitsJpeg(int tagCode, const QByteArray &body, const QByteArray &jpegTables);
QImage decodeBitsLossless(const QByteArray &body, bool withAlpha);

} // namespace sky::swf
