#pragma once

#include <QString>
#include <QStringList>

namespace sky {

// What an address given to the player turns into.
struct MediaSource
{
    enum class Kind {
        None, // opens nothing: no such file, no CD drive, an empty metafile
        Player, // handed to libmpv as `url` with the per-file `options`
        Midi, // a MIDI file at `url`, synthesised before it can play
    };
    Kind kind = Kind::None;
    QString url;
    QStringList options;

    // CD tracks and files of the formats that hold sound alone.
    bool soundOnly() const;
};

// The CD drive audio tracks are read from, or "" when the machine has none.
QString cdromDevice();

// Resolves a full path, a "file://" or network URL, or "wmpcd://D/NN" (track
// NN of the audio CD in `cdDevice`). Metafiles (".wmp", ".wmx", ".asx")
// resolve to the first entry they name (or, naming none, go to the player as
// they are) and ".cda" files to their CD track.
// Paths written with "\" are tried with "/" when they do not exist as given.
MediaSource resolveMediaAddress(const QString &address, const QString &cdDevice);

} // namespace sky
