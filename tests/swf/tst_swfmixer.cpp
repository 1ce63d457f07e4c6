// The mixer of a movie's sounds: the stream in step with the timeline on a
// simulated clock, event sounds with their in and out points, loops and
// envelopes to the sample, and the corpus movies' sound.

#include "soundwriter.h"
#include "swfwriter.h"

#include "swf/audio/soundmixer.h"
#include "swf/bitreader.h"
#include "swf/movieplayer.h"

#include <QFile>
#include <QTest>

#include <cmath>

using namespace sky::swf;
using namespace sky::swf::audio;

namespace {

constexpr int outputRate = 44100;

std::shared_ptr<const MovieSounds> soundsOf(const QByteArray &swf)
{
    return std::make_shared<const MovieSounds>(readMovieSounds(decodeSwf(swf)));
}

// A movie of `seconds` at 12 frames a second whose stream is a 440 Hz sine
// in 16-bit PCM at 22050 Hz, in blocks of 1837 and 1838 samples by turns.
QByteArray streamMovie(int seconds)
{
    const int rate = 22050;
    swftest::Movie m(8, 10, 10, 12);
    swftest::addPcmStream(m, swftest::sine(rate, rate * seconds, 440), rate, 12);
    return m.fws();
}

// Plays a movie the way the Flash window does, on a clock that ticks every
// `tickMs`: the sound output takes the samples due by each tick, then the
// timeline moves to the frame due.
struct ClockedPlay {
    SoundMixer mixer;
    int shown = 1;
    bool playing = true;
    qint64 pulled = 0;
    std::vector<float> last; // the samples of the last tick

    explicit ClockedPlay(std::shared_ptr<const MovieSounds> sounds)
        : mixer(std::move(sounds), outputRate)
    {
        mixer.frameEntered(1);
    }

    void tickAt(qint64 ms, int frameCount)
    {
        const qint64 due = ms * outputRate / 1000;
        last.assign(size_t(due - pulled) * 2, 0.0f);
        mixer.mix(last.data(), due - pulled);
        pulled = due;
        if (!playing)
            return;
        const int next = mixer.frameDue(shown);
        for (int f = shown + 1; f <= next; ++f)
            mixer.frameEntered(f > frameCount ? f - frameCount : f);
        shown = next > frameCount ? next - frameCount : next;
    }

    float peak() const
    {
        float p = 0;
        for (float s : last)
            p = std::max(p, std::abs(s));
        return p;
    }
};

} // namespace

class TestSwfMixer : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void streamStaysInStepForAMinute();
    void slowDrawingSkipsFramesAndKeepsTheSound();
    void pictureWaitsForTheSoundTheOutputHolds();
    void pauseJumpsAndReversePlayMoveTheStream();
    void mp3StreamLatencyIsSkipped();
    void streamTakesTheTransformsOfItsClips();
    void inOutPointsLoopsAndEnvelopesAreSampleExact();
    void stopNoMultipleAndStopAll();
    void scriptSoundsLoopFromTheirOffsetUnderTheTransformsOfTheirClips();
    void buttonsSoundOnTheChangesTheyHaveSoundsFor();
    void pointingAtAndPressingAButtonIsHeard();
    void decodingStopsAtTheBudget();
    void corpusSpriteStreamPlaysWithItsFrames();
    void corpusG711EventSoundsAreHeard();
};

void TestSwfMixer::streamStaysInStepForAMinute()
{
    ClockedPlay play(soundsOf(streamMovie(60)));
    QVERIFY(play.mixer.hasStream());
    double worst = 0;
    for (int tick = 1; tick < 60 * 12; ++tick) {
        const qint64 ms = (tick * 1000 + 11) / 12; // the clock's whole milliseconds
        play.tickAt(ms, 720);
        // The frame on screen and the sound, each against the clock.
        const double clockFrame = 1 + ms * 12 / 1000.0;
        const double heard = 1 + double(play.mixer.streamPosition()) * 12 / outputRate;
        worst = std::max({worst, std::abs(clockFrame - play.shown), std::abs(clockFrame - heard)});
    }
    qInfo("largest drift of frame or sound from the clock: %.4f frames", worst);
    QVERIFY(worst < 1.0);
    QCOMPARE(play.shown, 720);
}

void TestSwfMixer::slowDrawingSkipsFramesAndKeepsTheSound()
{
    // Drawing manages 4 frames a second of the movie's 12: the timeline
    // jumps 3 frames a tick, the sound plays on at its own speed.
    ClockedPlay play(soundsOf(streamMovie(60)));
    for (int tick = 1; tick <= 4 * 50; ++tick) {
        play.tickAt(tick * 250, 720);
        QCOMPARE(play.mixer.streamPosition(), qint64(tick) * outputRate / 4);
        QCOMPARE(play.shown, 1 + tick * 3);
    }
}

void TestSwfMixer::pictureWaitsForTheSoundTheOutputHolds()
{
    // The output holds 60 ms (two thirds of a frame) and then a whole
    // frame and a half: the frame shown is never ahead of the one heard
    // by more than the one coming next, nor behind it.
    for (const qsizetype held : {qsizetype(2646), qsizetype(5512)}) {
        ClockedPlay play(soundsOf(streamMovie(10)));
        play.mixer.setOutputLatency(held);
        for (int tick = 1; tick < 10 * 12; ++tick) {
            play.tickAt((tick * 1000 + 11) / 12, 120);
            const qsizetype heardAt = play.pulled - held;
            const int heard = heardAt < 0 ? 1 : 1 + int(heardAt * 12 / outputRate);
            QVERIFY2(play.shown >= heard && play.shown <= heard + 1,
                     qPrintable(QStringLiteral("tick %1: shown %2, heard %3").arg(tick).arg(play.shown).arg(heard)));
        }
    }
}

void TestSwfMixer::pauseJumpsAndReversePlayMoveTheStream()
{
    ClockedPlay play(soundsOf(streamMovie(60)));
    play.tickAt(1000, 720);
    QVERIFY(play.peak() > 0.4f);
    play.playing = false; // paused
    play.mixer.silenceStream();
    play.tickAt(2000, 720);
    QCOMPARE(play.peak(), 0.0f);
    QCOMPARE(play.mixer.streamFrame(), 0);
    play.playing = true; // a go-to that plays on
    play.shown = 300;
    play.mixer.jumpedTo(300, true);
    QCOMPARE(play.mixer.streamFrame(), 300);
    QCOMPARE(play.mixer.streamPosition(), qsizetype(299) * 22050 / 12 * 2); // where its block starts
    play.tickAt(2500, 720);
    QVERIFY(play.peak() > 0.4f);
    play.playing = false; // a step back, which stops the movie
    play.shown = 100;
    play.mixer.jumpedTo(100, false);
    play.tickAt(3000, 720);
    QCOMPARE(play.peak(), 0.0f);
}

void TestSwfMixer::mp3StreamLatencyIsSkipped()
{
    // One MP3 frame a block at 44.1 kHz; the head gives the encoder's delay
    // (1105 samples for LAME), so the stream starts on the sine's first
    // sample.
    const std::vector<qint16> wave = swftest::sine(outputRate, outputRate, 440);
    const auto packets = swftest::ffmpegPackets(wave, outputRate, QStringLiteral("libmp3lame"));
    if (!packets || packets->empty())
        QSKIP("ffmpeg has no MP3 encoder");
    swftest::Movie m(8, 10, 10, outputRate / 1152.0);
    m.tag(tagSoundStreamHead2, swftest::streamHead(swftest::soundFormat(2, 3, true, false), 1152, 1105));
    for (const QByteArray &p : *packets)
        m.tag(tagSoundStreamBlock, swftest::Bits().u16(1152).u16(0).data() + p).showFrame();
    SoundMixer mixer(soundsOf(m.fws()), outputRate);
    mixer.frameEntered(1);
    std::vector<float> out(size_t(outputRate) * 2, 0.0f);
    mixer.mix(out.data(), outputRate);
    std::vector<qint16> left(static_cast<size_t>(outputRate));
    for (size_t i = 0; i < left.size(); ++i)
        left[i] = qint16(std::lround(out[2 * i] * 32768));
    const auto [lag, error] = swftest::bestMatch(wave, left, 2000);
    QCOMPARE(lag, 0);
    QVERIFY(error < 0.02);
}

void TestSwfMixer::streamTakesTheTransformsOfItsClips()
{
    // The main timeline's clip (3) sends the stream to the right only, and
    // every sound of the movie is at half volume.
    SoundMixer mixer(soundsOf(streamMovie(1)), outputRate);
    mixer.frameEntered(1, SoundMixer::mainTimeline, {3});
    mixer.setTransform(3, SoundTransform{0, 0, 100, 0, 100});
    mixer.setTransform(0, SoundTransform{100, 0, 100, 0, 50});
    std::vector<float> out(2 * 3675, 0.0f);
    mixer.mix(out.data(), 3675);
    float left = 0, right = 0;
    for (size_t i = 0; i < out.size(); i += 2) {
        left = std::max(left, std::abs(out[i]));
        right = std::max(right, std::abs(out[i + 1]));
    }
    QCOMPARE(left, 0.0f);
    QVERIFY2(std::abs(right - 0.5f * 16000 / 32768) < 0.005f, qPrintable(QString::number(right)));
}

void TestSwfMixer::inOutPointsLoopsAndEnvelopesAreSampleExact()
{
    // A ramp: sample i holds 16 * i, so each output sample tells which
    // sample of the sound it came from.
    std::vector<qint16> ramp(1000);
    for (int i = 0; i < 1000; ++i)
        ramp[size_t(i)] = qint16(16 * i);
    swftest::SoundInfoFields info;
    info.in = 100;
    info.out = 600;
    info.loops = 2;
    info.envelope = {{0, 0, 32768}, {400, 32768, 0}};
    swftest::Movie m(8, 10, 10);
    m.tag(tagDefineSound, swftest::defineSound(1, swftest::soundFormat(3, 3, true, false), 1000,
                                               swftest::littleEndian16(ramp)));
    m.tag(tagStartSound, swftest::startSound(1, info)).showFrame();
    SoundMixer mixer(soundsOf(m.fws()), outputRate);
    mixer.frameEntered(1);
    std::vector<float> out(2 * 1200, 0.0f);
    mixer.mix(out.data(), 1200);
    for (int i = 0; i < 1200; ++i) {
        const double source = i < 1000 ? 16.0 * (100 + i % 500) / 32768 : 0;
        const double rise = std::min(i, 400) / 400.0;
        QVERIFY2(std::abs(out[size_t(2 * i)] - source * rise) < 1e-6, qPrintable(QString::number(i)));
        QVERIFY2(std::abs(out[size_t(2 * i + 1)] - source * (1 - rise)) < 1e-6, qPrintable(QString::number(i)));
    }
    QCOMPARE(mixer.activeSounds(), 0);
}

void TestSwfMixer::stopNoMultipleAndStopAll()
{
    swftest::Movie m(8, 10, 10);
    m.tag(tagDefineSound, swftest::defineSound(1, swftest::soundFormat(3, 3, true, false), 44100,
                                               swftest::littleEndian16(swftest::sine(44100, 44100, 440))));
    m.tag(tagStartSound, swftest::startSound(1)).showFrame();
    swftest::SoundInfoFields once;
    once.noMultiple = true;
    m.tag(tagStartSound, swftest::startSound(1, once)).showFrame();
    swftest::SoundInfoFields stop;
    stop.stop = true;
    m.tag(tagStartSound, swftest::startSound(1, stop)).showFrame();
    SoundMixer mixer(soundsOf(m.fws()), outputRate);
    mixer.frameEntered(1);
    mixer.frameEntered(1);
    QCOMPARE(mixer.activeSounds(), 2); // event sounds overlap
    mixer.frameEntered(2);
    QCOMPARE(mixer.activeSounds(), 2); // not while one plays
    mixer.frameEntered(3);
    QCOMPARE(mixer.activeSounds(), 0);
    mixer.frameEntered(1);
    mixer.stopAll();
    QCOMPARE(mixer.activeSounds(), 0);
}

void TestSwfMixer::scriptSoundsLoopFromTheirOffsetUnderTheTransformsOfTheirClips()
{
    std::vector<qint16> ramp(1000);
    for (int i = 0; i < 1000; ++i)
        ramp[size_t(i)] = qint16(16 * i);
    swftest::Movie m(8, 10, 10);
    m.tag(tagDefineSound, swftest::defineSound(1, swftest::soundFormat(3, 3, true, false), 1000,
                                               swftest::littleEndian16(ramp)))
        .showFrame();
    SoundMixer mixer(soundsOf(m.fws()), outputRate);
    QCOMPARE(mixer.playSound(1, 1000, 1, {7}), 0u); // an offset past the end plays nothing
    const quint64 voice = mixer.playSound(1, 600, 2, {7, 3});
    QVERIFY(voice != 0);
    // Clip 7's sounds are heard on the right only; clip 3, which holds it,
    // and every sound of the movie are at half volume.
    mixer.setTransform(7, SoundTransform{0, 0, 100, 0, 100});
    mixer.setTransform(3, SoundTransform{100, 0, 100, 0, 50});
    mixer.setTransform(0, SoundTransform{100, 0, 100, 0, 50});
    std::vector<float> out(2 * 1000, 0.0f);
    mixer.mix(out.data(), 500);
    QCOMPARE(mixer.voicePosition(voice), 700); // second time round from 600
    mixer.mix(out.data() + 1000, 500);
    for (int i = 0; i < 1000; ++i) {
        const double source = i < 800 ? 16.0 * (600 + i % 400) / 32768 : 0;
        QCOMPARE(out[size_t(2 * i)], 0.0f);
        QVERIFY2(std::abs(out[size_t(2 * i + 1)] - source * 0.25) < 1e-6, qPrintable(QString::number(i)));
    }
    QCOMPARE(mixer.voicePosition(voice), -1);
    QCOMPARE(mixer.takeFinished(), std::vector<quint64>{voice});
    QVERIFY(mixer.takeFinished().empty());
}

void TestSwfMixer::buttonsSoundOnTheChangesTheyHaveSoundsFor()
{
    swftest::Movie m(8, 10, 10);
    m.tag(tagDefineSound, swftest::defineSound(1, swftest::soundFormat(3, 3, true, false), 4410,
                                               swftest::littleEndian16(swftest::sine(44100, 4410, 440))));
    // Button 5: nothing on the first two changes, sound 1 (twice) on a press.
    swftest::SoundInfoFields twice;
    twice.loops = 2;
    m.tag(17, swftest::Bits().u16(5).u16(0).u16(0).data() + swftest::startSound(1, twice) + swftest::Bits().u16(0).data())
        .showFrame();
    SoundMixer mixer(soundsOf(m.fws()), outputRate);
    mixer.buttonChanged(5, ButtonTransition::UpToOver);
    mixer.buttonChanged(6, ButtonTransition::OverToDown);
    QCOMPARE(mixer.activeSounds(), 0);
    mixer.buttonChanged(5, ButtonTransition::OverToDown);
    QCOMPARE(mixer.activeSounds(), 1);
    std::vector<float> out(2 * 8820, 0.0f);
    mixer.mix(out.data(), 8819);
    QCOMPARE(mixer.activeSounds(), 1); // the second time round
    mixer.mix(out.data(), 1);
    QCOMPARE(mixer.activeSounds(), 0);
}

void TestSwfMixer::pointingAtAndPressingAButtonIsHeard()
{
    // The writer's square button: a 100 ms 440 Hz tone as the pointer comes
    // over it, a 50 ms 3 kHz click when it is pressed, nothing on the
    // release or as the pointer leaves.
    swftest::Movie m(8, 200, 200);
    m.tag(tagDefineSound, swftest::defineSound(1, swftest::soundFormat(3, 3, true, false), 4410,
                                               swftest::littleEndian16(swftest::sine(44100, 4410, 440))));
    m.tag(tagDefineSound, swftest::defineSound(2, swftest::soundFormat(3, 3, true, false), 2205,
                                               swftest::littleEndian16(swftest::sine(44100, 2205, 3000))));
    m.squareButton(10, 1, {});
    m.tag(17, swftest::Bits().u16(10).u16(0).data() + swftest::startSound(1) + swftest::startSound(2)
                  + swftest::Bits().u16(0).data());
    m.place(1, 10, 1000, 1000).showFrame();
    MoviePlayer player;
    QVERIFY(player.loadData(m.fws()));
    // The pitch of the next `frames` sample frames, from the crossings of
    // zero on the left, to 50 Hz.
    const auto heard = [&player](qsizetype frames) {
        std::vector<float> out(size_t(frames) * 2, 0.0f);
        player.mixSound(out.data(), frames);
        int crossings = 0;
        for (size_t i = 2; i < out.size(); i += 2)
            crossings += (out[i - 2] < 0) != (out[i] < 0);
        return int(std::lround(double(crossings) * outputRate / double(frames) / 2 / 50)) * 50;
    };
    const auto move = [&player](double x, double y) { player.input([&](ScriptRuntime &s) { s.mouseMove({x, y}); }); };
    const auto press = [&player](bool down) {
        player.input([&](ScriptRuntime &s) { down ? s.mouseDown({60, 60}) : s.mouseUp({60, 60}); });
    };
    move(20, 20);
    QCOMPARE(heard(4410), 0);
    move(60, 60);
    QCOMPARE(heard(4410), 450);
    QCOMPARE(heard(4410), 0);
    press(true);
    QCOMPARE(heard(2205), 3000);
    press(false);
    move(20, 20);
    QCOMPARE(heard(2205), 0);
    QCOMPARE(player.sound()->mixer().activeSounds(), 0);
}

void TestSwfMixer::decodingStopsAtTheBudget()
{
    // Three sounds of 1000 samples against room for 1500: the first two
    // are decoded (the second crosses the line), the third never is.
    swftest::Movie m(8, 10, 10);
    for (int id = 1; id <= 3; ++id)
        m.tag(tagDefineSound, swftest::defineSound(id, swftest::soundFormat(3, 3, true, false), 1000,
                                                   swftest::littleEndian16(swftest::sine(44100, 1000, 440))));
    for (int id = 1; id <= 3; ++id)
        m.tag(tagStartSound, swftest::startSound(id));
    m.showFrame();
    SoundMixer mixer(soundsOf(m.fws()), outputRate, 1500);
    mixer.frameEntered(1);
    QCOMPARE(mixer.activeSounds(), 2);
}

void TestSwfMixer::corpusSpriteStreamPlaysWithItsFrames()
{
    // A sprite of 1361 frames on frame 1 of a 90-frame movie at 24 frames
    // a second holds a stream of 72 frames: loud in frames 1 to 70, silent
    // in 75 to 85, and loud again once the movie comes round to frame 1,
    // though the sprite plays on past its blocks.
    QFile file(QStringLiteral(SKY_SWF_CORPUS_DIR "/audio/audio__stream_incomplete_loop/test.swf"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    MoviePlayer player;
    QVERIFY(player.loadData(file.readAll()));
    qint64 pulled = 0;
    for (int tick = 1; tick <= 120; ++tick) {
        const qint64 due = qint64(tick) * outputRate / 24;
        std::vector<float> out(size_t(due - pulled) * 2, 0.0f);
        player.mixSound(out.data(), due - pulled);
        pulled = due;
        player.tick();
        float peak = 0;
        for (float sample : out)
            peak = std::max(peak, std::abs(sample));
        if (tick <= 70 || (tick >= 95 && tick <= 115))
            QVERIFY2(peak >= 0.75f, qPrintable(QString::number(tick)));
        else if (tick >= 75 && tick <= 85)
            QVERIFY2(peak == 0.0f, qPrintable(QString::number(tick)));
    }
}

void TestSwfMixer::corpusG711EventSoundsAreHeard()
{
    for (const char *name : {"alaw", "mulaw"}) {
        QFile file(QStringLiteral(SKY_SWF_CORPUS_DIR "/audio/audio__g711_event_") + QLatin1String(name)
                   + QStringLiteral("/test.swf"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        ClockedPlay play(soundsOf(file.readAll()));
        play.tickAt(1000 / 24, 2);
        play.tickAt(2000 / 24, 2);
        QVERIFY2(play.peak() > 0.01f, name);
    }
}

QTEST_GUILESS_MAIN(TestSwfMixer)
#include "tst_swfmixer.moc"
