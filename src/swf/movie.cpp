#include "movie.h"

#include "audio/soundtags.h"
#include "bitmaps.h"
#include "bitreader.h"
#include "displaytags.h"
#include "edittext.h"
#include "morph.h"
#include "swffile.h"
#include "text.h"

#include <QFile>
#include <QFileInfo>

namespace sky::swf {
namespace {

// Bounds on what a movie may make the engine hold, whatever its size claims.
constexpr qint64 maxEdges = 2'000'000;
constexpr qint64 maxDisplayOps = 1'000'000;
constexpr int maxFrames = 65535;

enum TagCode : int {
    tagShowFrame = 1,
    tagDefineShape = 2,
    tagPlaceObject = 4,
    tagRemoveObject = 5,
    tagDefineBits = 6,
    tagDefineButton = 7,
    tagDefineButtonCxform = 23,
    tagJpegTables = 8,
    tagSetBackgroundColor = 9,
    tagDefineFont = 10,
    tagDefineText = 11,
    tagDoAction = 12,
    tagDefineBitsLossless = 20,
    tagDefineBitsJpeg2 = 21,
    tagDefineShape2 = 22,
    tagPlaceObject2 = 26,
    tagRemoveObject2 = 28,
    tagDefineShape3 = 32,
    tagDefineText2 = 33,
    tagDefineButton2 = 34,
    tagDefineBitsJpeg3 = 35,
    tagDefineBitsLossless2 = 36,
    tagDefineEditText = 37,
    tagDefineSprite = 39,
    tagExportAssets = 56,
    tagDoInitAction = 59,
    tagScriptLimits = 65,
    tagFrameLabel = 43,
    tagDefineMorphShape = 46,
    tagDefineFont2 = 48,
    tagPlaceObject3 = 70,
    tagDefineFont3 = 75,
    tagDefineShape4 = 83,
    tagDefineMorphShape2 = 84,
    tagDefineBitsJpeg4 = 90,
};

} // namespace

std::shared_ptr<const Movie> Movie::fromFile(const QString &path, QString *error)
{
    QFile file(path);
    // A pipe or a device might never answer or never end: movies are files.
    if (!QFileInfo(path).isFile()) {
        if (error)
            *error = QStringLiteral("not a file: %1").arg(path);
        return nullptr;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("cannot open %1: %2").arg(path, file.errorString());
        return nullptr;
    }
    return fromData(file.read(maxMovieBytes), error);
}

std::shared_ptr<const Movie> Movie::fromData(const QByteArray &data, QString *error)
{
    SwfData swf;
    try {
        swf = decodeSwf(data);
    } catch (const ParseError &e) {
        if (error)
            *error = QString::fromUtf8(e.what());
        return nullptr;
    }
    std::shared_ptr<Movie> movie(new Movie);
    movie->version_ = swf.version;
    movie->stage_ = swf.stage;
    movie->frameRate_ = swf.frameRate;
    movie->headerFrames_ = swf.frameCount;
    movie->byteLength_ = swf.body.size();
    movie->edgeBudget_ = maxEdges;
    movie->opBudget_ = maxDisplayOps;
    const auto tags = readTags(swf.body, swf.tagsStart, swf.body.size(), &movie->root_.ended);
    movie->readTimeline(swf.body, tags, movie->root_, true);
    movie->sounds_ = std::make_shared<const audio::MovieSounds>(audio::readMovieSounds(swf));
    return movie;
}

void Movie::readTimeline(const QByteArray &buffer, const std::vector<Tag> &tags, Timeline &timeline, bool root)
{
    Frame pending;
    for (const Tag &tag : tags) {
        if (int(timeline.frames.size()) >= maxFrames)
            break;
        BitReader r(buffer.constData() + tag.offset, tag.length);
        try {
            switch (tag.code) {
            case tagShowFrame:
                timeline.frames.push_back(std::move(pending));
                pending = Frame();
                break;
            case tagPlaceObject:
            case tagPlaceObject2:
            case tagPlaceObject3:
            case tagRemoveObject:
            case tagRemoveObject2:
                if (opBudget_-- <= 0)
                    break;
                pending.ops.push_back(tag.code == tagRemoveObject || tag.code == tagRemoveObject2
                                          ? readRemoveObject(r, tag.code == tagRemoveObject ? 1 : 2)
                                          : readPlaceObject(r, tag.code == tagPlaceObject    ? 1
                                                               : tag.code == tagPlaceObject2 ? 2
                                                                                             : 3,
                                                               version_));
                break;
            case tagDoAction: {
                auto body = std::make_shared<const QByteArray>(r.bytes(r.remaining()));
                for (FrameAction &action : readFrameActions(*body))
                    pending.actions.push_back(std::move(action));
                pending.scripts.push_back(std::move(body));
                pending.scriptPlaces.push_back(int(pending.ops.size()));
                break;
            }
            case tagDoInitAction:
                r.u16(); // the sprite it sets up; run before the frame's other scripts
                pending.initScripts.push_back(std::make_shared<const QByteArray>(r.bytes(r.remaining())));
                break;
            case tagScriptLimits:
                if (root)
                    recursionLimit_ = qBound(1, int(r.u16()), 256);
                break;
            case tagFrameLabel:
                pending.label = r.string();
                break;
            case tagSetBackgroundColor:
                if (root && !backgroundSet_) {
                    background_ = r.rgb();
                    backgroundSet_ = true;
                }
                break;
            case tagDefineSprite:
                if (root) {
                    const quint16 id = r.u16();
                    r.u16(); // frame count; the ShowFrame tags decide
                    SpriteCharacter sprite;
                    sprite.timeline.tagBytes = tag.length - 4;
                    const auto inner =
                        readTags(buffer, tag.offset + 4, tag.offset + tag.length, &sprite.timeline.ended);
                    readTimeline(buffer, inner, sprite.timeline, false);
                    dictionary_.insert_or_assign(id, std::move(sprite));
                }
                break;
            default:
                if (root)
                    readDefinition(tag, buffer);
                break;
            }
        } catch (const ParseError &) {
            ++damagedTags_;
        }
    }
    if (timeline.frames.empty())
        timeline.frames.push_back(std::move(pending));
    timeline.finish([this](quint16 id) { return replaceableKind(character(id)); });
}

void Movie::readDefinition(const Tag &tag, const QByteArray &buffer)
{
    BitReader r(buffer.constData() + tag.offset, tag.length);
    if (tag.code == tagExportAssets) {
        for (int n = r.u16(); n > 0; --n) {
            const quint16 id = r.u16();
            exports_.insert_or_assign(r.string().toLower(), id); // the last export of a name wins
        }
        return;
    }
    if (tag.code == tagJpegTables) {
        jpegTables_ = r.bytes(r.remaining());
        return;
    }
    switch (tag.code) {
    case tagDefineShape:
    case tagDefineShape2:
    case tagDefineShape3:
    case tagDefineShape4: {
        const quint16 id = r.u16();
        const int version = tag.code == tagDefineShape ? 1 : tag.code == tagDefineShape2 ? 2
                          : tag.code == tagDefineShape3 ? 3 : 4;
        dictionary_.insert_or_assign(id, ShapeCharacter{compileShape(readDefineShape(r, version, edgeBudget_))});
        break;
    }
    case tagDefineMorphShape:
    case tagDefineMorphShape2: {
        const quint16 id = r.u16();
        dictionary_.insert_or_assign(id, readDefineMorphShape(r, tag.code == tagDefineMorphShape ? 1 : 2, edgeBudget_));
        break;
    }
    case tagDefineBits:
    case tagDefineBitsJpeg2:
    case tagDefineBitsJpeg3:
    case tagDefineBitsJpeg4:
    case tagDefineBitsLossless:
    case tagDefineBitsLossless2: {
        const quint16 id = r.u16();
        BitmapCharacter bitmap;
        bitmap.tagCode = tag.code;
        bitmap.body = r.bytes(r.remaining());
        dictionary_.insert_or_assign(id, std::move(bitmap));
        break;
    }
    case tagDefineFont:
    case tagDefineFont2:
    case tagDefineFont3: {
        const quint16 id = r.u16();
        FontCharacter font = readDefineFont(r, tag.code, edgeBudget_);
        fontNames_.try_emplace(std::make_tuple(font.name, font.bold, font.italic), id);
        dictionary_.insert_or_assign(id, std::move(font));
        break;
    }
    case tagDefineText:
    case tagDefineText2: {
        const quint16 id = r.u16();
        dictionary_.insert_or_assign(id, readDefineText(r, tag.code == tagDefineText ? 1 : 2));
        break;
    }
    case tagDefineEditText: {
        const quint16 id = r.u16();
        dictionary_.insert_or_assign(id, readDefineEditText(r, fonts()));
        break;
    }
    case tagDefineButton:
    case tagDefineButton2: {
        const quint16 id = r.u16();
        dictionary_.insert_or_assign(id, readDefineButton(r, tag.code == tagDefineButton ? 1 : 2));
        break;
    }
    case tagDefineButtonCxform: {
        // The colour transform of every part of a button of the first kind.
        const auto found = dictionary_.find(r.u16());
        auto *button = found == dictionary_.end() ? nullptr : std::get_if<ButtonCharacter>(&found->second);
        if (!button)
            break;
        const ColorTransform color = r.colorTransform(false);
        for (ButtonPart &part : button->parts)
            part.color = color;
        break;
    }
    default: break;
    }
}

QSize Movie::stageSize() const
{
    return QSize(qMax(1, int(stage_.width() / 20)), qMax(1, int(stage_.height() / 20)));
}

FontLookup Movie::fonts() const
{
    FontLookup fonts;
    fonts.byId = [this](quint16 font) { return std::get_if<FontCharacter>(character(font)); };
    fonts.byName = [this](const QString &name, bool bold, bool italic) -> quint16 {
        const auto found = fontNames_.find(std::make_tuple(name, bold, italic));
        return found == fontNames_.end() ? 0 : found->second;
    };
    return fonts;
}

const Character *Movie::character(quint16 id) const
{
    const auto found = dictionary_.find(id);
    return found == dictionary_.end() ? nullptr : &found->second;
}

quint16 Movie::exportedId(const QString &name) const
{
    const auto found = exports_.find(name.toLower());
    return found == exports_.end() ? 0 : found->second;
}

QImage Movie::bitmap(quint16 id) const
{
    const auto *bitmap = std::get_if<BitmapCharacter>(character(id));
    if (!bitmap)
        return {};
    if (!bitmap->decoded) {
        bitmap->decoded = true;
        if (bitmap->tagCode == tagDefineBitsLossless || bitmap->tagCode == tagDefineBitsLossless2)
            bitmap->image = decodeBitsLossless(bitmap->body, bitmap->tagCode == tagDefineBitsLossless2);
        else
            bitmap->image = decodeBitsJpeg(bitmap->tagCode, bitmap->body, jpegTables_);
    }
    return bitmap->image;
}

} // namespace sky::swf
