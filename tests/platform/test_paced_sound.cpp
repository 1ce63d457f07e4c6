// A movie on a machine without a sound device: its sound is pulled at the
// pace of the clock and dropped, so its scripts learn where their sounds
// are and when they end on time, and a movie whose stream sets its pace
// still plays at its frame rate.

#include "platform/paced_sound.h"
#include "soundwriter.h"
#include "swfwriter.h"
#include "swf/movieplayer.h"

#include <QtTest>

using namespace sky;
using namespace Qt::StringLiterals;

namespace {

constexpr int kRate = 44100;

// Ten frames at 12 a second. Frame 1 starts the exported sound "tone", a
// half-second 440 Hz sine, and traces "complete" with its position when it
// ends; frame 4 traces its position.
QByteArray toneMovie()
{
    const std::vector<qint16> tone = swftest::sine(kRate, kRate / 2, 440);
    swftest::Movie m(8, 10, 10, 12);
    m.tag(14, swftest::defineSound(1, swftest::soundFormat(3, 3, true, false), quint32(tone.size()),
                                   swftest::littleEndian16(tone)));              // DefineSound
    m.tag(56, swftest::Bits().u16(1).u16(1).bytes(QByteArray("tone", 5)).data()); // ExportAssets
    using swftest::Actions;
    // s.method(one argument), the result dropped.
    const auto call = [](const char *method, const Actions &argument) {
        return Actions(argument).push(1).push("s").op(0x1C).push(method).op(0x52).op(0x17).code();
    };
    const QByteArray onComplete =
        Actions().push("complete ").push("s").op(0x1C).push("position").op(0x4E).op(0x47).op(0x26).code();
    m.doAction(Actions().push("s").push(0).push("Sound").op(0x40).op(0x1D).code() // s = new Sound()
               + call("attachSound", Actions().push("tone"))
               // s.onSoundComplete = function () { ... }
               + Actions().push("s").op(0x1C).push("onSoundComplete")
                     .op(0x9B, swftest::Bits().u8(0).u16(0).u16(int(onComplete.size())).data()).code()
               + onComplete + Actions().op(0x4F).code()
               + call("start", Actions().push(0)));
    m.showFrame().showFrame().showFrame();
    m.doAction(Actions().push("s").op(0x1C).push("position").op(0x4E).op(0x26).code());
    for (int frame = 4; frame <= 10; ++frame)
        m.showFrame();
    return m.fws();
}

// Two seconds at 12 frames a second whose stream sound is a 440 Hz sine.
QByteArray streamMovie()
{
    swftest::Movie m(8, 10, 10, 12);
    swftest::addPcmStream(m, swftest::sine(kRate, kRate * 2, 440), kRate, 12);
    return m.fws();
}

// A movie played as the Flash window plays it, the output's timer every 10
// ms and the window's every `frameMs`, on a simulated clock.
struct SilentPlay {
    qint64 now = 0;
    PacedSound output{[this] { return now; }};
    swf::MoviePlayer player;
    QStringList traced; // each line with the time it came at

    explicit SilentPlay(const QByteArray &movie)
    {
        player.setTraceSink([this](const QString &line) { traced << u"%1 ms: %2"_s.arg(now).arg(line); });
        player.setSoundRate(kRate);
        if (!player.loadData(movie))
            qFatal("the test movie does not load");
        output.start([this](float *stereo, qsizetype frames) { player.mixSound(stereo, frames); }, kRate);
    }
    void runUntil(qint64 endMs, qint64 frameMs)
    {
        for (qint64 nextFrame = now + frameMs; now < endMs;) {
            now += 10;
            output.pull();
            if (now >= nextFrame) {
                player.tick();
                nextFrame += frameMs;
            }
        }
    }
};

} // namespace

class TestPacedSound : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void scriptsLearnOfTheirSoundsOnTime();
    void streamMovieKeepsItsFrameRate();
};

void TestPacedSound::scriptsLearnOfTheirSoundsOnTime()
{
    // The window's timer runs every 83 ms, on the output's 10 ms steps:
    // frame 4 comes at 250 ms, and the frame that comes at 500 ms learns
    // that the half-second tone has ended.
    SilentPlay play(toneMovie());
    play.runUntil(1000, 83);
    QCOMPARE(play.traced, (QStringList{u"250 ms: 250"_s, u"500 ms: complete 500"_s}));
}

void TestPacedSound::streamMovieKeepsItsFrameRate()
{
    // The stream sets the pace whether the window's timer is on time or
    // late: a second in, the movie shows its thirteenth frame.
    for (const qint64 frameMs : {83, 200}) {
        SilentPlay play(streamMovie());
        play.runUntil(1000, frameMs);
        QCOMPARE(play.player.currentFrame(), 13);
    }
}
QTEST_GUILESS_MAIN(TestPacedSound)
#include "test_paced_sound.moc"
