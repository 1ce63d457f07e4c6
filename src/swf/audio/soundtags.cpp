#include "soundtags.h"

#include "swf/bitreader.h"

namespace sky::swf::audio {

namespace {

constexpr int tagShowFrame = 1;
constexpr int tagDefineSprite = 39;
constexpr int tagExportAssets = 56;
constexpr int tagDefineButtonSound = 17;

} // namespace

SoundFormat readSoundFormat(quint8 bits)
{
    static constexpr int rates[] = {5512, 11025, 22050, 44100};
    SoundFormat f;
    f.codec = SoundCodec(bits >> 4);
    f.rate = rates[(bits >> 2) & 3];
    f.sixteenBit = (bits & 2) != 0;
    f.channels = (bits & 1) ? 2 : 1;
    if (f.codec == SoundCodec::Nellymoser16k)
        f.rate = 16000;
    else if (f.codec == SoundCodec::Nellymoser8k)
        f.rate = 8000;
    else if (f.codec == SoundCodec::Speex)
        f.rate = 16000;
    if (f.codec == SoundCodec::Nellymoser16k || f.codec == SoundCodec::Nellymoser8k
        || f.codec == SoundCodec::Speex)
        f.channels = 1;
    return f;
}

std::pair<quint16, SoundDefinition> readDefineSound(const QByteArray &body)
{
    BitReader r(body);
    const quint16 id = r.u16();
    SoundDefinition d;
    d.format = readSoundFormat(r.u8());
    d.sampleCount = r.u32();
    d.data = r.bytes(r.remaining());
    return {id, std::move(d)};
}

static SoundInfo readSoundInfo(BitReader &r)
{
    SoundInfo info;
    r.ubits(2); // reserved
    info.stop = r.flag();
    info.noMultiple = r.flag();
    const bool hasEnvelope = r.flag();
    const bool hasLoops = r.flag();
    const bool hasOut = r.flag();
    const bool hasIn = r.flag();
    if (hasIn)
        info.inPoint = r.u32();
    if (hasOut)
        info.outPoint = r.u32();
    if (hasLoops)
        info.loops = r.u16();
    if (hasEnvelope) {
        const int n = r.u8();
        info.envelope.reserve(size_t(n)); // one byte: at most 255
        for (int i = 0; i < n; ++i) {
            EnvelopePoint p;
            p.position44 = r.u32();
            p.left = r.u16();
            p.right = r.u16();
            info.envelope.push_back(p);
        }
    }
    return info;
}

StartSound readStartSound(const QByteArray &body, bool byClassName)
{
    BitReader r(body);
    StartSound s;
    if (byClassName)
        s.className = r.string();
    else
        s.soundId = r.u16();
    s.info = readSoundInfo(r);
    return s;
}

std::pair<quint16, ButtonSounds> readDefineButtonSound(const QByteArray &body)
{
    BitReader r(body);
    const quint16 button = r.u16();
    ButtonSounds sounds;
    for (std::optional<StartSound> &transition : sounds) {
        StartSound s;
        s.soundId = r.u16();
        if (s.soundId == 0)
            continue;
        s.info = readSoundInfo(r);
        transition = std::move(s);
    }
    return {button, std::move(sounds)};
}

StreamHead readStreamHead(const QByteArray &body)
{
    BitReader r(body);
    StreamHead h;
    h.playback = readSoundFormat(r.u8() & 0x0f);
    h.stream = readSoundFormat(r.u8());
    h.samplesPerBlock = r.u16();
    if (h.stream.codec == SoundCodec::Mp3 && r.remaining() >= 2)
        h.latencySeek = r.s16();
    return h;
}

namespace {

// Reads the sound tags of one timeline; definitions and sprites only on the
// main one.
void readTimelineSounds(const QByteArray &buffer, const std::vector<Tag> &tags, TimelineSounds &out,
                        MovieSounds *movie)
{
    std::optional<StreamHead> head;
    int frame = 1;
    for (const Tag &tag : tags) {
        const QByteArray body = QByteArray::fromRawData(buffer.constData() + tag.offset, tag.length);
        try {
            switch (tag.code) {
            case tagShowFrame:
                ++frame;
                break;
            case tagDefineSound:
                if (movie) {
                    auto [id, def] = readDefineSound(body);
                    def.data.detach();
                    movie->sounds.insert_or_assign(id, std::move(def));
                }
                break;
            case tagDefineSprite:
                if (movie && tag.length >= 4) {
                    const quint16 id = BitReader(body).u16();
                    TimelineSounds sprite;
                    readTimelineSounds(buffer, readTags(buffer, tag.offset + 4, tag.offset + tag.length), sprite,
                                       nullptr);
                    if (!sprite.starts.empty() || sprite.streamHead)
                        movie->sprites.insert_or_assign(id, std::move(sprite));
                }
                break;
            case tagDefineButtonSound:
                if (movie) {
                    auto [button, sounds] = readDefineButtonSound(body);
                    movie->buttons.insert_or_assign(button, std::move(sounds));
                }
                break;
            case tagExportAssets:
                if (movie) {
                    BitReader r(body);
                    for (int n = r.u16(); n > 0; --n) {
                        const quint16 id = r.u16();
                        movie->exports.insert_or_assign(r.string(), id);
                    }
                }
                break;
            case tagStartSound:
            case tagStartSound2: {
                StartSound start = readStartSound(body, tag.code == tagStartSound2);
                out.starts[frame].push_back(std::move(start));
                break;
            }
            case tagSoundStreamHead:
            case tagSoundStreamHead2:
                head = readStreamHead(body);
                break;
            case tagSoundStreamBlock:
                if (head)
                    out.streamBlocks.insert_or_assign(frame, QByteArray(body.constData(), body.size()));
                break;
            default:
                break;
            }
        } catch (const ParseError &) {
        }
    }
    if (!out.streamBlocks.empty())
        out.streamHead = head;
}

} // namespace

MovieSounds readMovieSounds(const SwfData &swf)
{
    MovieSounds out;
    out.frameRate = swf.frameRate > 0 ? swf.frameRate : 12;
    readTimelineSounds(swf.body, readTags(swf.body, swf.tagsStart, swf.body.size()), out.root, &out);
    return out;
}

} // namespace sky::swf::audio
