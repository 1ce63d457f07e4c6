#pragma once

#include "characters.h"
#include "edittext.h"
#include "pixelcache.h"
#include "timeline.h"

#include <QColor>
#include <QImage>
#include <QRectF>
#include <QSize>
#include <QString>

#include <map>
#include <memory>
#include <tuple>

namespace sky::swf {

struct Tag;
namespace audio {
struct MovieSounds;
}

// A loaded SWF movie: header, character dictionary and main timeline.
// Read-only once loaded (bitmaps and morph shapes are decoded on first use).
class Movie {
public:
    // Reads a movie from memory or a file. Returns null and describes the
    // problem in `error` when nothing of it can be used; damaged tags
    // further in are skipped, so a damaged movie still shows what it can.
    static std::shared_ptr<const Movie> fromData(const QByteArray &data, QString *error = nullptr);
    static std::shared_ptr<const Movie> fromFile(const QString &path, QString *error = nullptr);

    int version() const { return version_; }
    QRectF stageRect() const { return stage_; } // twips
    QSize stageSize() const;                    // whole pixels
    double frameRate() const { return frameRate_; }
    int headerFrameCount() const { return headerFrames_; }
    // The uncompressed length of the file, header included.
    qint64 byteLength() const { return byteLength_; }
    QColor backgroundColor() const { return background_; }
    int damagedTags() const { return damagedTags_; }
    // How deep script calls may nest (ScriptLimits, at most 256).
    int recursionLimit() const { return recursionLimit_; }

    const Timeline &timeline() const { return root_; }
    // The sound tags, as read from the file.
    std::shared_ptr<const audio::MovieSounds> sounds() const { return sounds_; }
    const Character *character(quint16 id) const;
    QImage bitmap(quint16 id) const;
    // The character exported under `name` (ExportAssets, any case), 0 when none.
    quint16 exportedId(const QString &name) const;
    // The movie's fonts, by id and by name and style (those defined so
    // far while it loads).
    FontLookup fonts() const;
    // Pixels drawn in one frame kept for the next ones.
    PixelCache &pixelCache() const { return *pixelCache_; }

private:
    Movie() = default;
    void readTimeline(const QByteArray &buffer, const std::vector<Tag> &tags, Timeline &timeline, bool root);
    void readDefinition(const Tag &tag, const QByteArray &buffer);

    int version_ = 0;
    QRectF stage_;
    double frameRate_ = 0;
    int headerFrames_ = 0;
    qint64 byteLength_ = 0;
    QColor background_ = QColor(255, 255, 255);
    bool backgroundSet_ = false;
    int damagedTags_ = 0;
    int recursionLimit_ = 256;
    qint64 edgeBudget_ = 0;
    qint64 opBudget_ = 0;
    QByteArray jpegTables_;
    Timeline root_;
    std::shared_ptr<const audio::MovieSounds> sounds_;
    std::map<quint16, Character> dictionary_;
    std::map<QString, quint16> exports_;
    std::unique_ptr<PixelCache> pixelCache_ = std::make_unique<PixelCache>();
    std::map<std::tuple<QString, bool, bool>, quint16> fontNames_; // first font of each name and style
};

} // namespace sky::swf
