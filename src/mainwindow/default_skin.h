#pragma once

#include <QImage>

namespace sky {

// The skin the main window shows until the user chooses one: a picture the
// size of the window's design, drawn here rather than shipped as a file,
// once (the first call draws it, any other thread calling meanwhile waits).
QImage defaultSkinPicture();

} // namespace sky
