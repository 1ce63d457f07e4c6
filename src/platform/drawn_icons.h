#pragma once

#include <QIcon>

namespace sky {

// The few small pictures the controls show, drawn rather than read from
// the style's picture files: reading one of those loads every picture
// format plug-in (and the JPEG library) at start-up, because the reader
// asks each plug-in whether it knows the file before its own PNG reader.
enum class DrawnIcon { FolderOpen, FolderClosed, Play, Pause, Stop, Volume, Muted };

// The icon at 16 pixels, and the transport's at 32 too, in `ink` where it
// is drawn in one colour (the transport's); folders have colours of their
// own.
QIcon drawnIcon(DrawnIcon icon, const QColor &ink = Qt::black);

} // namespace sky
