#include "media/mpvengine.h"
#include "mediafixtures.h"

#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <algorithm>
#include <memory>

using sky::MediaEngine;
using sky::MpvEngine;

namespace {

using fixtures::kLoadTimeoutMs;

// Three audio tracks of 2, 3 and 2 seconds on one disc image; a track starts
// where the one before it ends, so its place on the disc tells which it is.
const double kTrackStarts[] = { 0.0, 2.0, 5.0 };
constexpr double kDiscSeconds = 7.0;

// Positions a CUE sheet gives as minutes:seconds:frames, 75 frames a second.
QString cueTime(double seconds)
{
    const int frames = int(seconds * 75 + 0.5);
    return QStringLiteral("%1:%2:%3")
        .arg(frames / (75 * 60), 2, 10, QLatin1Char('0'))
        .arg(frames / 75 % 60, 2, 10, QLatin1Char('0'))
        .arg(frames % 75, 2, 10, QLatin1Char('0'));
}

QByteArray cueSheet(const QString &binName)
{
    QByteArray cue = "FILE \"" + binName.toUtf8() + "\" BINARY\n";
    for (int i = 0; i < 3; ++i) {
        cue += QStringLiteral("  TRACK %1 AUDIO\n").arg(i + 1, 2, 10, QLatin1Char('0')).toUtf8();
        cue += "    INDEX 01 " + cueTime(kTrackStarts[i]).toUtf8() + "\n";
    }
    return cue;
}

} // namespace

// CD addresses played from a disc image, through the same cdda:// path a
// drive is read with, so that track selection is checked without a drive.
class CdImageTest : public QObject
{
    Q_OBJECT

private:
    QString path(const QString &name) const { return m_dir.filePath(name); }

    QTemporaryDir m_dir;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        // Audio CD sectors hold 16-bit little-endian stereo at 44.1 kHz.
        QVERIFY(fixtures::ffmpegMake(path(QStringLiteral("disc.bin")), kDiscSeconds, false,
            { QStringLiteral("-ac"), QStringLiteral("2"), QStringLiteral("-f"), QStringLiteral("s16le") }));
        QVERIFY(fixtures::writeFile(path(QStringLiteral("disc.cue")), cueSheet(QStringLiteral("disc.bin"))));
        QVERIFY(fixtures::writeFile(path(QStringLiteral("Track02.cda")), "x"));
    }

    void playsTheAddressedTrackOnly_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<double>("from");
        QTest::addColumn<double>("to");
        QTest::newRow("first track") << QStringLiteral("wmpcd://0/01") << 0.0 << 2.0;
        QTest::newRow("middle track") << QStringLiteral("wmpcd://0/02") << 2.0 << 5.0;
        QTest::newRow("last track") << QStringLiteral("wmpcd://0/03") << 5.0 << kDiscSeconds;
        QTest::newRow(".cda file") << path(QStringLiteral("Track02.cda")) << 2.0 << 5.0;
    }

    void playsTheAddressedTrackOnly()
    {
        QFETCH(QString, address);
        QFETCH(double, from);
        QFETCH(double, to);

        sky::MpvEngineOptions options = fixtures::silentOptions(false);
        options.cdDevice = path(QStringLiteral("disc.cue"));
        MpvEngine engine(nullptr, options);
        QVERIFY(engine.isValid());

        // The lowest and highest position reported while the track plays.
        double lowest = kDiscSeconds;
        double highest = -1;
        QTimer sampler;
        sampler.setInterval(20);
        connect(&sampler, &QTimer::timeout, &engine, [&] {
            if (engine.playState() == MediaEngine::Playing && engine.duration() > 0) {
                lowest = std::min(lowest, engine.currentPosition());
                highest = std::max(highest, engine.currentPosition());
            }
        });
        sampler.start();

        engine.setFileName(address);
        QCOMPARE(engine.playState(), MediaEngine::Playing);
        QTRY_VERIFY_WITH_TIMEOUT(engine.playState() != MediaEngine::Playing, kLoadTimeoutMs);
        QCOMPARE(engine.playState(), MediaEngine::Stopped);
        const QByteArray seen = QByteArray::number(lowest) + " to " + QByteArray::number(highest);
        QVERIFY2(qAbs(lowest - from) < 0.5, seen.constData());
        QVERIFY2(highest < to + 0.15, seen.constData());
        // The last position may be reported after the end.
        QTRY_VERIFY2(
            qAbs(engine.currentPosition() - to) < 0.15, QByteArray::number(engine.currentPosition()).constData());
    }

    void missingImageOpensNothing()
    {
        sky::MpvEngineOptions options = fixtures::silentOptions(false);
        options.cdDevice = path(QStringLiteral("nothere.cue"));
        MpvEngine engine(nullptr, options);
        engine.setFileName(QStringLiteral("wmpcd://0/02"));
        QTRY_VERIFY_WITH_TIMEOUT(engine.playState() == MediaEngine::Closed, kLoadTimeoutMs);
    }
};

QTEST_MAIN(CdImageTest)
#include "test_cd_image.moc"
