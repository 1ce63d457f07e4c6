// Sound tags and decoding: every sound format of a movie, written here from
// a known sine wave, comes back as that sine within its codec's error.

#include "soundwriter.h"
#include "swfwriter.h"

#include "swf/audio/id3tag.h"
#include "swf/audio/resample.h"
#include "swf/audio/sounddecoder.h"
#include "swf/bitreader.h"

#include <QTest>

#include <cmath>

using namespace sky::swf;
using namespace sky::swf::audio;

namespace {

MovieSounds soundsOf(const swftest::Movie &m)
{
    return readMovieSounds(decodeSwf(m.fws()));
}

// Packets of an ffmpeg encoder joined as a sound's data; skips the test
// when ffmpeg lacks the encoder.
QByteArray encoded(const std::vector<qint16> &wave, int rate, const QString &encoder)
{
    const auto packets = swftest::ffmpegPackets(wave, rate, encoder);
    if (!packets || packets->empty())
        return {};
    QByteArray data;
    for (const QByteArray &p : *packets)
        data += p;
    return data;
}

} // namespace

class TestSwfAudio : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everyFormatDecodesToItsSine_data();
    void everyFormatDecodesToItsSine();
    void mp3SeekSamplesAreSkipped();
    void streamBlocksJoinIntoOneSound();
    void soundInfoIsReadWhole();
    void streamHeadWithoutBlocksIsIgnored();
    void claimsOfHugeSoundsAllocateNothing();
    void id3TextFramesAndCommentsAreRead();
    void resamplingToTheOutputRateKeepsTheSine_data();
    void resamplingToTheOutputRateKeepsTheSine();
};

void TestSwfAudio::everyFormatDecodesToItsSine_data()
{
    QTest::addColumn<int>("codec");
    QTest::addColumn<int>("rateCode");
    QTest::addColumn<QString>("encoder");
    QTest::addColumn<int>("frames");
    QTest::addColumn<int>("maxLag");
    QTest::addColumn<double>("maxError");
    QTest::newRow("pcm 16-bit") << 0 << 2 << QString() << 11025 << 0 << 0.0001;
    QTest::newRow("pcm 8-bit") << 0 << 1 << QStringLiteral("u8") << 11025 << 0 << 0.006;
    QTest::newRow("pcm little-endian") << 3 << 3 << QString() << 11025 << 0 << 0.0001;
    QTest::newRow("a-law") << 7 << 1 << QString() << 11025 << 0 << 0.01;
    QTest::newRow("mu-law") << 8 << 1 << QString() << 11025 << 0 << 0.01;
    // One ADPCM packet of ffmpeg's is one whole SWF sound of 4096 samples.
    QTest::newRow("adpcm") << 1 << 2 << QStringLiteral("adpcm_swf") << 4096 << 0 << 0.02;
    QTest::newRow("mp3") << 2 << 2 << QStringLiteral("libmp3lame") << 22050 << 2000 << 0.02;
    QTest::newRow("nellymoser") << 6 << 2 << QStringLiteral("nellymoser") << 22050 << 2000 << 0.05;
    QTest::newRow("nellymoser 16 kHz") << 4 << 0 << QStringLiteral("nellymoser") << 16000 << 2000 << 0.05;
    QTest::newRow("nellymoser 8 kHz") << 5 << 0 << QStringLiteral("nellymoser") << 8000 << 2000 << 0.05;
}

void TestSwfAudio::everyFormatDecodesToItsSine()
{
    QFETCH(int, codec);
    QFETCH(int, rateCode);
    QFETCH(QString, encoder);
    QFETCH(int, frames);
    QFETCH(int, maxLag);
    QFETCH(double, maxError);
    const int rate = readSoundFormat(quint8(swftest::soundFormat(codec, rateCode, true, false))).rate;
    const std::vector<qint16> wave = swftest::sine(rate, frames, 440);
    QByteArray data;
    bool sixteenBit = true;
    switch (codec) {
    case 0:
    case 3:
        if (encoder.isEmpty()) {
            data = swftest::littleEndian16(wave);
        } else {
            sixteenBit = false;
            for (qint16 s : wave)
                data.append(char((s >> 8) + 128));
        }
        break;
    case 7:
        data = swftest::alaw(wave);
        break;
    case 8:
        data = swftest::mulaw(wave);
        break;
    default:
        if (!canDecode(SoundCodec(codec)))
            QSKIP("libavcodec has no decoder for this format");
        data = encoded(wave, rate, encoder);
        if (data.isEmpty())
            QSKIP("ffmpeg has no encoder for this format");
        if (codec == 1)
            data = data.left(2051); // the first packet: 4096 samples
        if (codec == 2)
            data = swftest::Bits().u16(0).data() + data;
        break;
    }
    swftest::Movie m(8, 10, 10);
    m.tag(tagDefineSound,
          swftest::defineSound(1, swftest::soundFormat(codec, rateCode, sixteenBit, false), 0, data));
    m.tag(tagStartSound, swftest::startSound(1)).showFrame();
    const MovieSounds sounds = soundsOf(m);
    QCOMPARE(sounds.sounds.size(), size_t(1));
    QCOMPARE(sounds.root.starts.at(1).size(), size_t(1));
    const Pcm pcm = decodeSound(sounds.sounds.at(1));
    QCOMPARE(pcm.rate, rate);
    QCOMPARE(pcm.channels, 1);
    QVERIFY2(pcm.frames() >= frames * 9 / 10, qPrintable(QString::number(pcm.frames())));
    const auto [lag, error] = swftest::bestMatch(wave, pcm.samples, maxLag);
    qInfo("%s: delay %d samples, rms error %.5f of full scale", QTest::currentDataTag(), lag, error);
    QVERIFY2(error <= maxError, qPrintable(QString::number(error)));
}

void TestSwfAudio::mp3SeekSamplesAreSkipped()
{
    const std::vector<qint16> wave = swftest::sine(22050, 22050, 440);
    const QByteArray mp3 = encoded(wave, 22050, QStringLiteral("libmp3lame"));
    if (mp3.isEmpty())
        QSKIP("ffmpeg has no MP3 encoder");
    const auto decodeWithSeek = [&](int seek) {
        SoundDefinition d;
        d.format = readSoundFormat(quint8(swftest::soundFormat(2, 2, true, false)));
        d.data = swftest::Bits().u16(seek).data() + mp3;
        return decodeSound(d);
    };
    const int delay = swftest::bestMatch(wave, decodeWithSeek(0).samples, 3000).first;
    QVERIFY(delay > 0);
    const Pcm skipped = decodeWithSeek(delay);
    QCOMPARE(swftest::bestMatch(wave, skipped.samples, 3000).first, 0);
}

void TestSwfAudio::streamBlocksJoinIntoOneSound()
{
    // MP3 frames lean on the bit reservoir of the frames before them, so a
    // stream decodes as one piece even though it comes in blocks (of one
    // 576-sample frame each here).
    const int rate = 22050;
    const std::vector<qint16> wave = swftest::sine(rate, rate * 2, 440);
    const auto packets = swftest::ffmpegPackets(wave, rate, QStringLiteral("libmp3lame"));
    if (!packets || packets->empty())
        QSKIP("ffmpeg has no MP3 encoder");
    swftest::Movie m(8, 10, 10, double(rate) / 576);
    const int format = swftest::soundFormat(2, 2, true, false);
    m.tag(tagSoundStreamHead2, swftest::streamHead(format, 576));
    for (const QByteArray &p : *packets)
        m.tag(tagSoundStreamBlock, swftest::Bits().u16(576).u16(0).data() + p).showFrame();
    const MovieSounds sounds = soundsOf(m);
    QVERIFY(sounds.root.streamHead);
    QCOMPARE(sounds.root.streamHead->samplesPerBlock, quint16(576));
    QCOMPARE(sounds.root.streamBlocks.size(), packets->size());
    StreamDecoder decoder(*sounds.root.streamHead);
    Pcm pcm;
    for (const auto &[frame, block] : sounds.root.streamBlocks)
        decoder.decodeBlock(block, pcm);
    QCOMPARE(pcm.rate, rate);
    QVERIFY(std::abs(pcm.frames() - qsizetype(packets->size()) * 576) <= 576);
    const double error = swftest::bestMatch(wave, pcm.samples, 3000).second;
    qInfo("mp3 stream: rms error %.5f", error);
    QVERIFY(error < 0.02);
}

void TestSwfAudio::soundInfoIsReadWhole()
{
    swftest::SoundInfoFields fields;
    fields.noMultiple = true;
    fields.in = 100;
    fields.out = 70000;
    fields.loops = 3;
    fields.envelope = {{0, 0, 32768}, {44100, 32768, 0}};
    swftest::SoundInfoFields stop;
    stop.stop = true;
    swftest::Movie m(8, 10, 10);
    m.tag(tagDefineSound, swftest::defineSound(7, 0x3f, 4, QByteArray(16, 0)));
    m.showFrame().tag(tagStartSound, swftest::startSound(7, fields)).showFrame();
    m.tag(tagStartSound, swftest::startSound(7, stop));
    m.tag(tagStartSound2, QByteArray("Tune") + '\0' + '\0').showFrame();
    m.tag(tagStartSound, QByteArray(1, '\7')).showFrame(); // cut short: skipped
    const MovieSounds sounds = soundsOf(m);
    const SoundDefinition &d = sounds.sounds.at(7);
    QCOMPARE(d.format.codec, SoundCodec::LittlePcm);
    QCOMPARE(d.format.rate, 44100);
    QCOMPARE(d.format.channels, 2);
    QCOMPARE(d.sampleCount, 4u);
    QVERIFY(!sounds.root.starts.contains(1));
    const SoundInfo &info = sounds.root.starts.at(2).at(0).info;
    QVERIFY(!info.stop);
    QVERIFY(info.noMultiple);
    QCOMPARE(info.inPoint, std::optional<quint32>(100));
    QCOMPARE(info.outPoint, std::optional<quint32>(70000));
    QCOMPARE(info.loops, 3);
    QCOMPARE(info.envelope.size(), size_t(2));
    QCOMPARE(info.envelope[1].position44, 44100u);
    QCOMPARE(info.envelope[1].left, quint16(32768));
    QCOMPARE(info.envelope[1].right, quint16(0));
    QCOMPARE(sounds.root.starts.at(3).size(), size_t(2));
    QVERIFY(sounds.root.starts.at(3)[0].info.stop);
    QCOMPARE(sounds.root.starts.at(3)[1].className, QStringLiteral("Tune"));
    QVERIFY(!sounds.root.starts.contains(4));
}

void TestSwfAudio::streamHeadWithoutBlocksIsIgnored()
{
    swftest::Movie m(8, 10, 10);
    m.tag(tagSoundStreamHead2, swftest::streamHead(swftest::soundFormat(0, 0, false, false), 0));
    m.showFrame().showFrame();
    const MovieSounds sounds = soundsOf(m);
    QVERIFY(!sounds.root.streamHead);
    QVERIFY(sounds.root.streamBlocks.empty());
}

void TestSwfAudio::claimsOfHugeSoundsAllocateNothing()
{
    // Four billion samples claimed, a few bytes held: only what the bytes
    // hold is decoded, for every codec.
    for (int codec : {0, 1, 2, 3, 4, 5, 6, 7, 8}) {
        SoundDefinition d;
        d.format = readSoundFormat(quint8(swftest::soundFormat(codec, 3, true, true)));
        d.sampleCount = 0xffffffffu;
        d.data = QByteArray(64, '\xff');
        const Pcm pcm = decodeSound(d);
        QVERIFY2(pcm.frames() <= 64 * 8, qPrintable(QString::number(codec)));
    }
}

void TestSwfAudio::id3TextFramesAndCommentsAreRead()
{
    const auto bigEndian = [](quint32 n) {
        return swftest::Bits().u8(int(n >> 24)).u8(int(n >> 16 & 0xff)).u8(int(n >> 8 & 0xff)).u8(int(n & 0xff)).data();
    };
    const auto sevenBits = [](quint32 n) { return (n & 0x7f) | (n >> 7 & 0x7f) << 8; };
    const auto frame = [&](const char *id, const QByteArray &body, bool v4) {
        const quint32 n = quint32(body.size());
        return QByteArray(id) + bigEndian(v4 ? sevenBits(n) : n) + QByteArray(2, 0) + body;
    };
    const auto tag = [&](int version, const QByteArray &frames) {
        return QByteArray("ID3") + swftest::Bits().u8(version).u8(0).u8(0).data()
               + bigEndian(sevenBits(quint32(frames.size()))) + frames + QByteArray(8, 0); // padding
    };
    const QByteArray utf16Title = QByteArray("\x01\xff\xfe", 3) + QByteArray("T\0i\0t\0l\0e\0", 10);
    const std::vector<Id3Frame> v3 =
        readId3Frames(tag(3, frame("TPE1", QByteArray("\0Art\xe9st", 7), false) + frame("TIT2", utf16Title, false)
                                 + frame("WOAR", "http://example.com", false)
                                 + frame("COMM", QByteArray("\0engshort\0Said", 14), false)));
    QCOMPARE(v3.size(), size_t(3));
    QCOMPARE(v3[0].id, u"TPE1"_qs);
    QCOMPARE(v3[0].text, u"Art\u00e9st"_qs);
    QCOMPARE(v3[1].text, u"Title"_qs);
    QCOMPARE(v3[2].id, u"COMM"_qs);
    QCOMPARE(v3[2].text, u"Said"_qs);
    // Version 2.4 counts frame sizes in seven-bit bytes.
    const QByteArray longText = "\x03" + QByteArray(200, 'x');
    const std::vector<Id3Frame> v4 = readId3Frames(tag(4, frame("TALB", longText, true)));
    QCOMPARE(v4.size(), size_t(1));
    QCOMPARE(v4[0].text, QString(200, u'x'));
    QVERIFY(readId3Frames(tag(2, frame("TALB", longText, true))).empty());
}

void TestSwfAudio::resamplingToTheOutputRateKeepsTheSine_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<double>("hz");
    QTest::addColumn<double>("error"); // root-mean-square, on the sine's amplitude
    QTest::newRow("22.05 to 44.1 kHz, 5 kHz") << 22050 << 44100 << 5000.0 << 1e-3;
    QTest::newRow("44.1 to 48 kHz, 1 kHz") << 44100 << 48000 << 1000.0 << 1e-3;
    QTest::newRow("44.1 to 48 kHz, 8 kHz") << 44100 << 48000 << 8000.0 << 1e-3;
    QTest::newRow("44.1 to 48 kHz, 15 kHz") << 44100 << 48000 << 15000.0 << 2e-3;
    QTest::newRow("48 to 44.1 kHz, 15 kHz") << 48000 << 44100 << 15000.0 << 1e-3;
}

void TestSwfAudio::resamplingToTheOutputRateKeepsTheSine()
{
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(double, hz);
    QFETCH(double, error);
    constexpr double amplitude = 16000;
    Pcm pcm;
    pcm.rate = from;
    pcm.samples = swftest::sine(from, from / 2, hz, amplitude);
    const StereoBuffer out = toStereo(pcm, to);
    QCOMPARE(qsizetype(out.size()), qsizetype(2 * (to / 2)));
    // Output sample n is the sine at n / to seconds; the ends, where the
    // filter runs out of input, are left out.
    double sum = 0;
    const qsizetype first = to / 20, last = to / 2 - to / 20;
    for (qsizetype n = first; n < last; ++n) {
        const double expected = amplitude / 32768 * std::sin(2 * M_PI * hz * double(n) / to);
        const double d = (out[size_t(2 * n)] - expected) / (amplitude / 32768);
        sum += d * d;
        QCOMPARE(out[size_t(2 * n + 1)], out[size_t(2 * n)]);
    }
    const double rms = std::sqrt(sum / double(last - first));
    qInfo("%d to %d Hz, %g Hz: error %.2g", from, to, hz, rms);
    QVERIFY2(rms < error, qPrintable(QString::number(rms)));
}

QTEST_GUILESS_MAIN(TestSwfAudio)
#include "tst_swfaudio.moc"
