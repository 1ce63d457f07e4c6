// The Sound object of a movie's scripts against the simulated clock of a
// trace run: what it starts is heard at its volume, its position follows
// the clock, and onSoundComplete comes once the sound has played out.

#include "soundwriter.h"
#include "swfwriter.h"

#include "swf/tracerun.h"

#include <QTemporaryDir>
#include <QTest>

using namespace sky::swf;

namespace {

// ActionScript bytecode, written one action at a time.
class Script {
public:
    Script &op(quint8 code)
    {
        code_ += char(code);
        return *this;
    }
    Script &push(const QString &text)
    {
        return withData(0x96, QByteArray(1, 0) + text.toUtf8() + QByteArray(1, 0));
    }
    Script &push(qint32 n)
    {
        QByteArray data(1, 7);
        for (int i = 0; i < 4; ++i)
            data += char((quint32(n) >> (8 * i)) & 0xff);
        return withData(0x96, data);
    }
    Script &get(const QString &variable) { return push(variable).op(0x1C); }
    Script &trace() { return op(0x26); }
    // object.method(args) with the arguments already pushed, last first.
    Script &callMethod(const QString &object, const QString &method, int argCount)
    {
        return push(argCount).get(object).push(method).op(0x52).op(0x17);
    }
    // An anonymous function without parameters around `body`.
    Script &function(const Script &body)
    {
        const QByteArray code = body.code_;
        QByteArray data(1, 0); // no name
        data += QByteArray(2, 0); // no parameters
        data += char(code.size() & 0xff);
        data += char(code.size() >> 8);
        return withData(0x9B, data).raw(code);
    }
    QByteArray doAction() const { return code_ + QByteArray(1, 0); }
    Script &raw(const QByteArray &code)
    {
        code_ += code;
        return *this;
    }

private:
    Script &withData(quint8 code, const QByteArray &data)
    {
        code_ += char(code);
        code_ += char(data.size() & 0xff);
        code_ += char(data.size() >> 8);
        code_ += data;
        return *this;
    }
    QByteArray code_;
};

constexpr int rate = 44100;

// Ten frames at 12 a second. Frame 1 starts the exported sound "tone" (a
// 440 Hz sine of half a second, in 16-bit PCM at 44.1 kHz) at half volume
// and traces "complete" with its position when it ends; frame 4 traces its
// position.
QByteArray toneMovie(int tickOfStop = 0)
{
    const std::vector<qint16> tone = swftest::sine(rate, rate / 2, 440, 16000);
    swftest::Movie m(8, 10, 10, 12);
    m.tag(14, swftest::defineSound(1, swftest::soundFormat(3, 3, true, false), quint32(tone.size()),
                                   swftest::littleEndian16(tone)));                  // DefineSound
    m.tag(56, swftest::Bits().u16(1).u16(1).bytes(QByteArray("tone", 5)).data()); // ExportAssets
    Script onComplete;
    onComplete.push(QStringLiteral("complete ")).get(QStringLiteral("s")).push(QStringLiteral("position"))
        .op(0x4E).op(0x47).trace();
    Script first;
    first.push(QStringLiteral("s")).push(0).push(QStringLiteral("Sound")).op(0x40).op(0x1D);
    first.push(QStringLiteral("tone")).callMethod(QStringLiteral("s"), QStringLiteral("attachSound"), 1);
    first.push(50).callMethod(QStringLiteral("s"), QStringLiteral("setVolume"), 1);
    first.get(QStringLiteral("s")).push(QStringLiteral("onSoundComplete")).function(onComplete).op(0x4F);
    first.callMethod(QStringLiteral("s"), QStringLiteral("start"), 0);
    m.tag(12, first.doAction()).showFrame();
    for (int frame = 2; frame <= 10; ++frame) {
        Script script;
        if (frame == 4)
            script.get(QStringLiteral("s")).push(QStringLiteral("position")).op(0x4E).trace();
        if (frame == tickOfStop)
            script.callMethod(QStringLiteral("s"), QStringLiteral("stop"), 0);
        m.tag(12, script.doAction()).showFrame();
    }
    return m.fws();
}

// A sprite "inner" inside a sprite "outer" on the stage starts the tone of
// toneMovie() from its own first frame (a StartSound on its timeline). The
// main timeline's first frame gives each a Sound at the volume asked, 0
// for none.
QByteArray nestedSpriteMovie(int outerVolume, int innerVolume)
{
    const std::vector<qint16> tone = swftest::sine(rate, rate / 2, 440, 16000);
    swftest::Movie inner(8, 10, 10, 12);
    inner.tag(15, swftest::startSound(1)).showFrame(); // StartSound
    swftest::Movie outer(8, 10, 10, 12);
    outer.placeNamed(1, 20, "inner").showFrame();
    swftest::Movie m(8, 10, 10, 12);
    m.tag(14, swftest::defineSound(1, swftest::soundFormat(3, 3, true, false), quint32(tone.size()),
                                   swftest::littleEndian16(tone)));
    m.sprite(20, inner).sprite(30, outer).placeNamed(1, 30, "outer");
    Script script;
    const auto soundOf = [&script](const QString &name, int volume, const Script &clip) {
        if (volume == 0)
            return;
        script.push(name).raw(clip.doAction().chopped(1)).push(1).push(QStringLiteral("Sound")).op(0x40).op(0x1D);
        script.push(volume).callMethod(name, QStringLiteral("setVolume"), 1);
    };
    soundOf(QStringLiteral("a"), outerVolume, Script().get(QStringLiteral("outer")));
    soundOf(QStringLiteral("b"), innerVolume,
            Script().get(QStringLiteral("outer")).push(QStringLiteral("inner")).op(0x4E));
    m.tag(12, script.doAction()).showFrame().showFrame().showFrame();
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
    const TraceResult result = run(toneMovie(3), 8);
    QCOMPARE(result.lines, QStringList{QStringLiteral("167")}); // where it stood when stopped, at 2/12 s
    QVERIFY(result.peaks[1] > 0.2f);
    QCOMPARE(result.peaks[2], 0.0f);
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
