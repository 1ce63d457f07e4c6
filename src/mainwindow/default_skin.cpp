#include "mainwindow/default_skin.h"

namespace sky {

QImage defaultSkinPicture()
{
    // An image over constant pixels never writes them: a change would copy
    // them first.
    return QImage(reinterpret_cast<const uchar *>(kDefaultSkinPixels), kDefaultSkinWidth, kDefaultSkinHeight,
        kDefaultSkinWidth * int(sizeof(quint32)), QImage::Format_RGB32);
}

} // namespace sky
