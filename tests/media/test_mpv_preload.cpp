#include "media/mpvengine.h"
#include "mediafixtures.h"

#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QTemporaryDir>
#include <QtTest>

using sky::MediaEngine;
using sky::MpvEngine;

namespace {

using fixtures::kLoadTimeoutMs;

// The milestones the engine logs, in order.
QStringList g_milestones;

void keepMilestone(QtMsgType, const QMessageLogContext &context, const QString &message)
{
    if (qstrcmp(context.category, "sky.media") == 0)
        g_milestones << message;
}

bool ended(const MediaEngine &engine)
{
    return engine.playState() == MediaEngine::Stopped || engine.playState() == MediaEngine::Closed;
}

const QString kOpenedAhead = QStringLiteral("item opened ahead, paused");
const QString kStarted = QStringLiteral("playback started");

} // namespace

// An item the engine is told to expect is opened ahead, paused and unseen:
// until it is assigned, the engine reports what it reported before, and
// nothing plays; assigned, it plays from its start; anything else assigned
// instead plays as if nothing had been expected.
class MpvPreloadTest : public QObject
{
    Q_OBJECT

private:
    QString path(const QString &name) const { return m_dir.filePath(name); }

    // An engine that plays as fast as it decodes: an item left playing by
    // mistake would be over at once.
    std::unique_ptr<MpvEngine> makeEngine()
    {
        g_milestones.clear();
        return std::make_unique<MpvEngine>(nullptr, fixtures::silentOptions(true));
    }

    // Waits until libmpv has the expected item ready, and then long enough
    // for an item left playing to have played to its end.
    void waitUntilOpenedAhead(const MediaEngine &engine)
    {
        QTRY_VERIFY_WITH_TIMEOUT(g_milestones.contains(kOpenedAhead), kLoadTimeoutMs);
        QElapsedTimer since;
        since.start();
        QTRY_VERIFY(since.elapsed() > 500);
        QCOMPARE(engine.playState(), MediaEngine::Closed);
        QCOMPARE(engine.fileName(), QString());
        QCOMPARE(engine.duration(), 0.0);
        QCOMPARE(engine.currentPosition(), 0.0);
        QVERIFY(!g_milestones.contains(kStarted));
    }

    QTemporaryDir m_dir;
    QtMessageHandler m_previousHandler = nullptr;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(fixtures::writeFile(path(QStringLiteral("long.wav")), fixtures::wavBytes(30.0)));
        QVERIFY(fixtures::writeFile(path(QStringLiteral("short.wav")), fixtures::wavBytes(2.0)));
        // A sound file's name on something no decoder reads.
        QVERIFY(fixtures::writeFile(path(QStringLiteral("broken.mp3")), QByteArray(4096, 'x')));
        QVERIFY(fixtures::ffmpegMake(path(QStringLiteral("clip.avi")), 2, true,
            { QStringLiteral("-c:v"), QStringLiteral("mpeg4"), QStringLiteral("-c:a"), QStringLiteral("mp2") }));
        QLoggingCategory::setFilterRules(QStringLiteral("sky.media.info=true"));
        m_previousHandler = qInstallMessageHandler(keepMilestone);
    }

    void cleanupTestCase()
    {
        qInstallMessageHandler(m_previousHandler);
        QLoggingCategory::setFilterRules(QString());
    }

    void expectedItemStartsOnlyWhenAssigned()
    {
        auto engine = makeEngine();
        const QString song = path(QStringLiteral("long.wav"));
        engine->prepare(song);
        waitUntilOpenedAhead(*engine);

        engine->setFileName(song);
        QCOMPARE(engine->playState(), MediaEngine::Playing);
        QCOMPARE(engine->fileName(), song);
        QTRY_VERIFY_WITH_TIMEOUT(g_milestones.contains(kStarted), kLoadTimeoutMs);
        QVERIFY(g_milestones.indexOf(kOpenedAhead) < g_milestones.indexOf(kStarted));
        // All of it plays, from its start.
        QTRY_VERIFY_WITH_TIMEOUT(ended(*engine), kLoadTimeoutMs);
        QCOMPARE(engine->playState(), MediaEngine::Stopped);
        QVERIFY(qAbs(engine->duration() - 30.0) < 0.3);
        QVERIFY2(engine->currentPosition() > 29.0, qPrintable(QString::number(engine->currentPosition())));
    }

    void otherAssignmentsPlayAsWithoutIt_data()
    {
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("assigned");
        QTest::addColumn<bool>("afterItOpened");
        QTest::addColumn<double>("seconds"); // 0: the item closes
        // Whether the expected file, assigned after all, is then played.
        QTest::addColumn<bool>("thenExpected");
        const QString longSong = path(QStringLiteral("long.wav"));
        const QString shortSong = path(QStringLiteral("short.wav"));
        for (const bool after : { false, true }) {
            const QByteArray when = after ? " once opened" : " while the player starts";
            QTest::newRow(("another file" + when).constData()) << longSong << shortSong << after << 2.0 << false;
            QTest::newRow(("nothing (stop)" + when).constData()) << longSong << QStringLiteral(".mp3") << after << 0.0 << true;
        }
        const QString missing = path(QStringLiteral("missing.wav"));
        const QString broken = path(QStringLiteral("broken.mp3"));
        const QString video = path(QStringLiteral("clip.avi"));
        QTest::newRow("expected file missing") << missing << missing << false << 0.0 << false;
        QTest::newRow("expected file unreadable") << broken << broken << false << 0.0 << false;
        QTest::newRow("video is not opened ahead") << video << video << false << 2.0 << false;
    }

    void otherAssignmentsPlayAsWithoutIt()
    {
        QFETCH(QString, expected);
        QFETCH(QString, assigned);
        QFETCH(bool, afterItOpened);
        QFETCH(double, seconds);
        QFETCH(bool, thenExpected);
        auto engine = makeEngine();
        engine->prepare(expected);
        if (afterItOpened)
            waitUntilOpenedAhead(*engine);

        engine->setFileName(assigned);
        QTRY_VERIFY_WITH_TIMEOUT(ended(*engine), kLoadTimeoutMs);
        QCOMPARE(engine->playState(), seconds > 0 ? MediaEngine::Stopped : MediaEngine::Closed);
        QVERIFY2(qAbs(engine->duration() - seconds) < 0.3, qPrintable(QString::number(engine->duration())));

        if (thenExpected) {
            engine->setFileName(expected);
            QTRY_VERIFY_WITH_TIMEOUT(ended(*engine) && engine->duration() > 0, kLoadTimeoutMs);
            QCOMPARE(engine->playState(), MediaEngine::Stopped);
            QVERIFY(qAbs(engine->duration() - 30.0) < 0.3);
        }
    }
};

QTEST_MAIN(MpvPreloadTest)
#include "test_mpv_preload.moc"
