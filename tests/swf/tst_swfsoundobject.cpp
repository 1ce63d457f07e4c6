// The Sound object of a movie's scripts against the simulated clock of a
// trace run: what it starts is heard at its volume, its position follows
// the clock, and onSoundComplete comes once the sound has played out.

#include "soundwriter.h"
#include "swfwriter.h"

#include "swf/tracerun.h"

#include <QTemporaryDir>
#include <QTest>

using namespace sky::swf;
using swftest::Actions;

namespace {

constexpr int rate = 44100;

// Sound 1: a 440 Hz sine of half a second, in 16-bit PCM at 44.1 kHz.
void defineTone(swftest::Movie &m)
{
    const std::vector<qint16> tone = swftest::sine(rate, rate / 2, 440, 16000);
    m.tag(14, swftest::defineSound(1, swftest::soundFormat(3, 3, true, false), quint32(tone.size()),
                                   swftest::littleEndian16(tone))); // DefineSound
}

// Ten frames at 12 a second. Frame 1 starts sound 1, exported as "tone", at
// half volume and traces "complete" with its position when it ends; frame 4
// traces its position. Frame `tickOfStop` stops it by s.stop(), or by
// stopAllSounds() when `stopAll`.
QByteArray toneMovie(int tickOfStop = 0, bool stopAll = false)
{
    swftest::Movie m(8, 10, 10, 12);
    defineTone(m);
    m.tag(56, swftest::Bits().u16(1).u16(1).bytes(QByteArray("tone", 5)).data()); // ExportAssets
    Actions onComplete;
    onComplete.push("complete ").push("s").op(0x1C).push("position").op(0x4E).op(0x47).op(0x26);
    Actions first;
    first.push("s").push(0).push("Sound").op(0x40).op(0x1D);
    first.push("tone").callWithPushed("s", "attachSound");
    first.call("s", "setVolume", {50});
    first.push("s").op(0x1C).push("onSoundComplete").function(onComplete).op(0x4F);
    first.call("s", "start", {});
    m.doAction(first.code()).showFrame();
    for (int frame = 2; frame <= 10; ++frame) {
        Actions script;
        if (frame == 4)
            script.push("s").op(0x1C).push("position").op(0x4E).op(0x26);
        if (frame == tickOfStop && stopAll)
            script.op(0x09); // StopSounds
        else if (frame == tickOfStop)
            script.call("s", "stop", {});
        m.doAction(script.code()).showFrame();
    }
    return m.fws();
}

// A sprite "inner" inside a sprite "outer" on the stage starts the tone of
// toneMovie() from its own first frame (a StartSound on its timeline). The
// main timeline's first frame gives each a Sound at the volume asked, 0
// for none.
QByteArray nestedSpriteMovie(int outerVolume, int innerVolume)
{
    swftest::Movie inner(8, 10, 10, 12);
    inner.tag(15, swftest::startSound(1)).showFrame(); // StartSound
    swftest::Movie outer(8, 10, 10, 12);
    outer.placeNamed(1, 20, "inner").showFrame();
    swftest::Movie m(8, 10, 10, 12);
    defineTone(m);
    m.sprite(20, inner).sprite(30, outer).placeNamed(1, 30, "outer");
    Actions script;
    // new Sound(outer) as "a", new Sound(outer.inner) as "b".
    const auto soundOf = [&script](const QByteArray &name, int volume, const QByteArray &child) {
        if (volume == 0)
            return;
        script.push(name).push("outer").op(0x1C);
        if (!child.isEmpty())
            script.push(child).op(0x4E);
        script.push(1).push("Sound").op(0x40).op(0x1D);
        script.call(name, "setVolume", {volume});
    };
    soundOf("a", outerVolume, {});
    soundOf("b", innerVolume, "inner");
    m.doAction(script.code()).showFrame().showFrame().showFrame();
    return m.fws();
}

} // namespace

class TestSwfSoundObject : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void startedSoundPlaysAtItsVolumeAndReportsItsEnd();
    void stoppedSoundFallsSilentAndNeverCompletes();
    void spriteTimelineSoundsTakeTheirClipsVolumes();

private:
    TraceResult run(const QByteArray &movie, int ticks);
    QTemporaryDir dir;
};

TraceResult TestSwfSoundObject::run(const QByteArray &movie, int ticks)
{
    const QString path = dir.filePath(QStringLiteral("tone.swf"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(movie) != movie.size())
        qFatal("cannot write the test movie");
    file.close();
    return traceMovie(path, ticks);
}

void TestSwfSoundObject::startedSoundPlaysAtItsVolumeAndReportsItsEnd()
{
    // Each tick hears a twelfth of a second: the half-second tone ends with
    // tick 6, and the movie learns of it at the start of tick 7.
    const TraceResult six = run(toneMovie(), 6);
    QCOMPARE(six.lines, QStringList{QStringLiteral("250")});
    const TraceResult seven = run(toneMovie(), 7);
    QCOMPARE(seven.lines, (QStringList{QStringLiteral("250"), QStringLiteral("complete 500")}));
    const float half = 0.5f * 16000 / 32768;
    for (int tick = 0; tick < 6; ++tick)
        QVERIFY2(std::abs(seven.peaks[size_t(tick)] - half) < 0.01f, qPrintable(QString::number(tick)));
    QCOMPARE(seven.peaks[6], 0.0f);
}

void TestSwfSoundObject::stoppedSoundFallsSilentAndNeverCompletes()
{
    for (const bool stopAll : {false, true}) {
        const TraceResult result = run(toneMovie(3, stopAll), 8);
        QCOMPARE(result.lines, QStringList{QStringLiteral("167")}); // where it stood when stopped, at 2/12 s
        QVERIFY(result.peaks[1] > 0.2f);
        QCOMPARE(result.peaks[2], 0.0f);
    }
}

void TestSwfSoundObject::spriteTimelineSoundsTakeTheirClipsVolumes()
{
    const float full = 16000.0f / 32768;
    const struct {
        int outer, inner;
        float level;
    } cases[] = {{0, 0, full}, {50, 0, full / 2}, {0, 20, full / 5}, {50, 50, full / 4}};
    for (const auto &c : cases) {
        const TraceResult result = run(nestedSpriteMovie(c.outer, c.inner), 4);
        const QString name = QStringLiteral("outer %1, inner %2").arg(c.outer).arg(c.inner);
        QVERIFY2(result.lines.isEmpty(), qPrintable(result.lines.join(u'\n')));
        for (int tick = 0; tick < 4; ++tick)
            QVERIFY2(std::abs(result.peaks[size_t(tick)] - c.level) < 0.01f,
                     qPrintable(name + QStringLiteral(": %1").arg(result.peaks[size_t(tick)])));
    }
}

QTEST_GUILESS_MAIN(TestSwfSoundObject)
#include "tst_swfsoundobject.moc"
