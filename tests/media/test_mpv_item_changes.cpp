#include "media/mpvengine.h"
#include "mediafixtures.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <memory>

using sky::MediaEngine;
using sky::MpvEngine;

namespace {

// How long one short item may take from its assignment to its end before
// the playlist counts as stalled.
constexpr qint64 kStallMs = 10000;

// How the next item is assigned.
enum class Driver {
    AtEnd, // in the same call that reports the end of the one before
    OnTick, // on the next tick of a timer that polls the state
    Replaced, // on a tick, right after another item that it replaces
    PausedOnce, // on a tick, after the item was paused and resumed
};

struct Clip
{
    QString path;
    double seconds; // 0 for a length decided by the player (MIDI)
};

bool ended(long state)
{
    return state == MediaEngine::Stopped || state == MediaEngine::Closed;
}

} // namespace

Q_DECLARE_METATYPE(Driver)

// A long playlist of short items on the real libmpv engine, each next item
// assigned the way the main window's timer and a person do it: every item
// must open and play to its end, and the list must never stall.
class MpvItemChangesTest : public QObject
{
    Q_OBJECT

private:
    QString path(const QString &name) const { return m_dir.filePath(name); }

    QTemporaryDir m_dir;
    QList<Clip> m_clips;
    QStringList m_decoys; // items replaced before they could start

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        for (int i = 0; i < 3; ++i) {
            const double seconds = 0.1 + 0.1 * i;
            const QString wav = path(QStringLiteral("tone%1.wav").arg(i));
            QVERIFY(fixtures::writeFile(wav, fixtures::wavBytes(seconds)));
            const QString avi = path(QStringLiteral("clip%1.avi").arg(i));
            QVERIFY(fixtures::ffmpegMake(avi, seconds, true,
                { QStringLiteral("-c:v"), QStringLiteral("mpeg4"), QStringLiteral("-c:a"), QStringLiteral("mp2") }));
            m_clips << Clip { wav, seconds } << Clip { avi, seconds };
        }
        const QString midi = path(QStringLiteral("note.mid"));
        QVERIFY(fixtures::writeFile(midi, fixtures::midiBytes(1, 0.2)));
        const QString metafile = path(QStringLiteral("one.wmx"));
        QVERIFY(fixtures::writeFile(metafile, "<ASX><Entry><Ref href=\"tone1.wav\"/></Entry></ASX>"));
        m_clips << Clip { midi, 0 } << Clip { metafile, 0.2 };

        const QString longTone = path(QStringLiteral("long.wav"));
        QVERIFY(fixtures::writeFile(longTone, fixtures::wavBytes(30)));
        const QString longMidi = path(QStringLiteral("long.mid"));
        QVERIFY(fixtures::writeFile(longMidi, fixtures::midiBytes(60, 0.5)));
        m_decoys << longTone << longMidi << path(QStringLiteral("missing.wav"));
    }

    void everyItemStartsAndEnds_data()
    {
        QTest::addColumn<Driver>("driver");
        QTest::addColumn<int>("items");
        QTest::newRow("next assigned as the last ends") << Driver::AtEnd << 300;
        QTest::newRow("next assigned on a timer tick") << Driver::OnTick << 200;
        QTest::newRow("newer assignment wins") << Driver::Replaced << 100;
        QTest::newRow("paused and resumed") << Driver::PausedOnce << 100;
    }

    void everyItemStartsAndEnds()
    {
        QFETCH(Driver, driver);
        QFETCH(int, items);
        MpvEngine engine(nullptr, fixtures::silentOptions(true));

        int assigned = 0;
        int finished = 0;
        Clip current;
        bool pausedOnce = false;
        QStringList faults;
        QElapsedTimer sinceAssigned;

        const auto assignNext = [&] {
            current = m_clips.at(assigned % m_clips.size());
            if (driver == Driver::Replaced)
                engine.setFileName(m_decoys.at(assigned % m_decoys.size()));
            ++assigned;
            pausedOnce = false;
            engine.setFileName(current.path);
            sinceAssigned.start();
            if (engine.playState() != MediaEngine::Playing)
                faults << QStringLiteral("item %1 was not playing once assigned").arg(assigned);
        };
        const auto itemEnded = [&] {
            ++finished;
            const QString what = QStringLiteral("item %1 (%2)").arg(assigned).arg(current.path);
            if (engine.playState() != MediaEngine::Stopped || engine.fileName() != current.path)
                faults << what + QStringLiteral(" closed instead of ending");
            // At the moment of the end the player may not have told the
            // length yet; on a later tick it has.
            else if (driver != Driver::AtEnd
                && (engine.duration() <= 0 || (current.seconds > 0 && qAbs(engine.duration() - current.seconds) > 0.1)))
                faults << what + QStringLiteral(" ended with length %1").arg(engine.duration());
            if (finished < items)
                assignNext();
        };

        connect(&engine, &MpvEngine::playStateChanged, this, [&](long state) {
            if (ended(state) && driver == Driver::AtEnd)
                itemEnded();
        });
        QTimer tick;
        tick.setInterval(10);
        connect(&tick, &QTimer::timeout, this, [&] {
            const long state = engine.playState();
            if (ended(state)) {
                itemEnded();
            } else if (driver == Driver::PausedOnce && engine.duration() > 0 && !pausedOnce) {
                engine.togglePause();
                pausedOnce = engine.playState() == MediaEngine::Paused;
            } else if (state == MediaEngine::Paused) {
                engine.togglePause();
            }
        });
        if (driver != Driver::AtEnd)
            tick.start();

        assignNext();
        int lastFinished = 0;
        while (finished < items) {
            QTest::qWait(10);
            if (finished != lastFinished) {
                lastFinished = finished;
            } else if (sinceAssigned.elapsed() > kStallMs) {
                QFAIL(qPrintable(QStringLiteral("stalled at item %1 (%2): state %3 at %4 s of %5 s")
                                     .arg(assigned)
                                     .arg(current.path)
                                     .arg(engine.playState())
                                     .arg(engine.currentPosition())
                                     .arg(engine.duration())));
            }
        }
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u'\n')));
        QCOMPARE(assigned, items);
    }
};

QTEST_MAIN(MpvItemChangesTest)
#include "test_mpv_item_changes.moc"
