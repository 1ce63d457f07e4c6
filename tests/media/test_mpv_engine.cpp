#include "media/controlbar.h"
#include "media/mediaaddress.h"
#include "media/mpvengine.h"
#include "mediafixtures.h"

#include <QDir>
#include <QElapsedTimer>
#include <QLayout>
#include <QLineEdit>
#include <QProcess>
#include <QSignalSpy>
#include <QSlider>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include <cmath>
#include <clocale>
#include <memory>

using sky::MediaEngine;
using sky::MpvEngine;

namespace {

using fixtures::kLoadTimeoutMs;

std::unique_ptr<MpvEngine> makeEngine(bool untimed, QWidget *parent = nullptr)
{
    return std::make_unique<MpvEngine>(parent, fixtures::silentOptions(untimed));
}

bool ended(const MediaEngine &engine)
{
    return engine.playState() == MediaEngine::Stopped || engine.playState() == MediaEngine::Closed;
}

int threadCount()
{
    return int(QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size());
}

} // namespace

class MpvEngineTest : public QObject
{
    Q_OBJECT

private:
    QString path(const QString &name) const { return m_dir.filePath(name); }
    void write(const QString &name, const QByteArray &bytes)
    {
        QVERIFY2(fixtures::writeFile(path(name), bytes), qPrintable(name));
    }
    void ffmpeg(const QString &name, double seconds, bool video, const QStringList &args)
    {
        QVERIFY2(fixtures::ffmpegMake(path(name), seconds, video, args), qPrintable(name));
    }

    // Plays a short file to its end.
    void playOnce()
    {
        auto engine = makeEngine(true);
        engine->setFileName(path(QStringLiteral("short.wav")));
        QTRY_VERIFY_WITH_TIMEOUT(engine->duration() > 0 && ended(*engine), kLoadTimeoutMs);
    }

    QTemporaryDir m_dir;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        write(QStringLiteral("short.wav"), fixtures::wavBytes(2.0));
        write(QStringLiteral("long.wav"), fixtures::wavBytes(30.0));
        write(QStringLiteral("Müsik – 日本.wav"), fixtures::wavBytes(2.0));
        write(QStringLiteral("tune.mid"), fixtures::midiBytes(4, 0.5));
        write(QStringLiteral("list.wmx"), "<ASX><Entry><Ref href=\"short.wav\"/></Entry></ASX>");
        write(QStringLiteral("list.wmp"), "<smil><body><seq><media src=\"clip.avi\"/></seq></body></smil>");

        const QStringList mpeg { QStringLiteral("-c:v"), QStringLiteral("mpeg1video"), QStringLiteral("-c:a"),
            QStringLiteral("mp2"), QStringLiteral("-f"), QStringLiteral("mpeg") };
        ffmpeg(QStringLiteral("song.mp3"), 3, false, { QStringLiteral("-c:a"), QStringLiteral("libmp3lame") });
        ffmpeg(QStringLiteral("song.mp2"), 3, false, { QStringLiteral("-c:a"), QStringLiteral("mp2") });
        // No encoder writes Layer I; a Layer II stream stands in under the name.
        ffmpeg(QStringLiteral("song.mp1"), 3, false,
            { QStringLiteral("-c:a"), QStringLiteral("mp2"), QStringLiteral("-f"), QStringLiteral("mp2") });
        ffmpeg(QStringLiteral("clip.mpg"), 3, true, mpeg);
        ffmpeg(QStringLiteral("clip.mpeg"), 3, true, mpeg);
        ffmpeg(QStringLiteral("AVSEQ01.DAT"), 3, true, mpeg);
        ffmpeg(QStringLiteral("clip.avi"), 3, true,
            { QStringLiteral("-c:v"), QStringLiteral("mpeg4"), QStringLiteral("-c:a"), QStringLiteral("mp2") });
        ffmpeg(QStringLiteral("clip.wm"), 3, true,
            { QStringLiteral("-c:v"), QStringLiteral("wmv2"), QStringLiteral("-c:a"), QStringLiteral("wmav2"),
                QStringLiteral("-f"), QStringLiteral("asf") });
        ffmpeg(QStringLiteral("seek.mpg"), 10, true, mpeg);
    }

    void everyListedFormatPlaysToItsEnd_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<double>("seconds");
        for (const char *name : { "short.wav", "song.mp3", "song.mp2", "song.mp1", "clip.mpg", "clip.mpeg",
                 "AVSEQ01.DAT", "clip.avi", "clip.wm", "list.wmp" })
            QTest::newRow(name) << QString::fromUtf8(name) << (QByteArray(name).contains("short") ? 2.0 : 3.0);
        QTest::newRow("metafile") << QStringLiteral("list.wmx") << 2.0;
        QTest::newRow("non-ASCII name") << QStringLiteral("Müsik – 日本.wav") << 2.0;
        QTest::newRow("MIDI") << QStringLiteral("tune.mid") << 3.0; // two seconds of notes, one to fade
    }

    void everyListedFormatPlaysToItsEnd()
    {
        QFETCH(QString, name);
        QFETCH(double, seconds);
        auto engine = makeEngine(true);
        engine->setFileName(path(name));
        // Playing from the moment of the assignment, so that the main
        // timer never takes a starting item for an ended one.
        QCOMPARE(engine->playState(), MediaEngine::Playing);
        QCOMPARE(engine->fileName(), path(name));

        QTRY_VERIFY_WITH_TIMEOUT(ended(*engine), kLoadTimeoutMs);
        QCOMPARE(engine->playState(), MediaEngine::Stopped);
        QVERIFY2(qAbs(engine->duration() - seconds) < 0.3, qPrintable(QString::number(engine->duration())));
    }

    void badInputsEndWithoutError_data()
    {
        QTest::addColumn<QString>("address");
        QTest::newRow("missing") << path(QStringLiteral("nothere.mp3"));
        QTest::newRow("stop address") << QStringLiteral(".mp3");
        QTest::newRow("zero bytes") << path(QStringLiteral("empty.mp3"));
        QTest::newRow("random bytes") << path(QStringLiteral("noise.avi"));
        QTest::newRow("text as mp3") << path(QStringLiteral("readme.mp3"));
        QTest::newRow("1 GB of zeros") << path(QStringLiteral("zeros.mpg"));
        QTest::newRow("not MIDI") << path(QStringLiteral("fake.mid"));
        QTest::newRow("empty metafile") << path(QStringLiteral("empty.wmx"));
        if (sky::cdromDevice().isEmpty())
            QTest::newRow("CD without drive") << QStringLiteral("wmpcd://0/8");
    }

    void badInputsEndWithoutError()
    {
        QFETCH(QString, address);
        write(QStringLiteral("empty.mp3"), {});
        write(QStringLiteral("empty.wmx"), {});
        write(QStringLiteral("fake.mid"), "MThd but not really a MIDI file");
        QByteArray noise(200000, '\0');
        for (qsizetype i = 0; i < noise.size(); ++i)
            noise[i] = char((i * 7919 + (i >> 3) * 104729) & 0xff);
        write(QStringLiteral("noise.avi"), noise);
        write(QStringLiteral("readme.mp3"), QByteArray("This is a plain text file.\n").repeated(2000));
        QFile zeros(path(QStringLiteral("zeros.mpg")));
        QVERIFY(zeros.open(QIODevice::WriteOnly) && zeros.resize(qint64(1) << 30));
        zeros.close();

        auto engine = makeEngine(true);
        QElapsedTimer clock;
        clock.start();
        engine->open(address);
        const qint64 callMs = clock.elapsed();
        QTRY_VERIFY_WITH_TIMEOUT(ended(*engine), kLoadTimeoutMs);
        qInfo("%s: open() returned after %lld ms, state %ld after %lld ms", QTest::currentDataTag(), callMs,
            engine->playState(), clock.elapsed());

        // The same engine goes on with the next item.
        engine->setFileName(path(QStringLiteral("short.wav")));
        QTRY_VERIFY_WITH_TIMEOUT(engine->duration() > 0 && ended(*engine), kLoadTimeoutMs);
        QCOMPARE(engine->playState(), MediaEngine::Stopped);
    }

    void laterAssignmentsWin()
    {
        auto engine = makeEngine(true);
        QSignalSpy states(engine.get(), &MpvEngine::playStateChanged);

        // A file that fails in the player, replaced at once: its failure
        // must not be taken for the end of the item that replaced it.
        engine->setFileName(path(QStringLiteral("noise.avi")));
        engine->setFileName(path(QStringLiteral("song.mp3")));
        QTRY_VERIFY_WITH_TIMEOUT(ended(*engine), kLoadTimeoutMs);
        QCOMPARE(engine->playState(), MediaEngine::Stopped);
        QVERIFY(qAbs(engine->duration() - 3.0) < 0.3);
        for (const QList<QVariant> &change : states)
            QVERIFY(change.at(0).toLongLong() != MediaEngine::Closed);

        // The file browser opens a file twice in a row; then a long item is
        // replaced by a short one before it has loaded.
        engine->setFileName(path(QStringLiteral("long.wav")));
        engine->setFileName(path(QStringLiteral("clip.avi")));
        engine->setFileName(path(QStringLiteral("clip.avi")));
        QTRY_VERIFY_WITH_TIMEOUT(ended(*engine), kLoadTimeoutMs);
        QCOMPARE(engine->playState(), MediaEngine::Stopped);
        QVERIFY(qAbs(engine->duration() - 3.0) < 0.3);
    }

    void positionReadWhileHiddenIsExact()
    {
        // Unseen, the position is reported in whole seconds only; whoever
        // reads it gets an exact position, even the first time.
        auto engine = makeEngine(false);
        QVERIFY(!engine->view()->isVisible());
        engine->setFileName(path(QStringLiteral("long.wav")));
        QTRY_VERIFY_WITH_TIMEOUT(engine->duration() > 0, kLoadTimeoutMs);
        const auto betweenSeconds = [&] {
            const double position = engine->currentPosition();
            return position > 0 && position != std::floor(position);
        };
        // Nothing reads the position until playback is past a whole second.
        QElapsedTimer playing;
        playing.start();
        QTRY_VERIFY_WITH_TIMEOUT(playing.elapsed() > 1300, 5000);
        QVERIFY(betweenSeconds());
        // A seek's exact target stays known until playback moves on.
        engine->setCurrentPosition(2.5);
        QVERIFY(engine->currentPosition() >= 2.5);
        QTRY_VERIFY(engine->currentPosition() > 2.5 && betweenSeconds());
    }

    void positionAndControlBar()
    {
        auto engine = makeEngine(false);
        auto *bar = engine->view()->findChild<sky::ControlBar *>();
        QVERIFY(bar);
        const QList<QToolButton *> buttons = bar->findChildren<QToolButton *>();
        QToolButton *playPause = buttons.at(0);
        QToolButton *stop = buttons.at(1);
        auto *seekSlider = bar->findChildren<QSlider *>().at(0);

        engine->setFileName(path(QStringLiteral("long.wav")));
        engine->setCurrentPosition(4.0); // before the file has loaded
        QCOMPARE(engine->currentPosition(), 4.0);
        QTRY_VERIFY_WITH_TIMEOUT(engine->duration() > 0, kLoadTimeoutMs);
        QTRY_VERIFY(engine->currentPosition() >= 4.0 && engine->currentPosition() < 10.0);

        engine->setCurrentPosition(20.0);
        QCOMPARE(engine->currentPosition(), 20.0);
        QTRY_VERIFY(engine->currentPosition() > 20.0);
        QVERIFY(engine->currentPosition() < 26.0);

        playPause->click();
        QCOMPARE(engine->playState(), MediaEngine::Paused);
        playPause->click();
        QCOMPARE(engine->playState(), MediaEngine::Playing);

        seekSlider->setValue(50); // tenths of a second
        QTRY_VERIFY(engine->currentPosition() >= 5.0 && engine->currentPosition() < 11.0);

        stop->click();
        QCOMPARE(engine->playState(), MediaEngine::Stopped);
        QCOMPARE(engine->currentPosition(), 0.0);
        playPause->click();
        QCOMPARE(engine->playState(), MediaEngine::Playing);

        // What STOP does: an address that opens nothing, then Stop.
        engine->setFileName(QStringLiteral(".mp3"));
        QCOMPARE(engine->playState(), MediaEngine::Closed);
        engine->stop();
        QCOMPARE(engine->playState(), MediaEngine::Closed);
        QCOMPARE(engine->fileName(), QStringLiteral(".mp3"));
    }

    void endedItemStaysEndedUntilReplay()
    {
        auto engine = makeEngine(true);
        engine->setFileName(path(QStringLiteral("seek.mpg")));
        QTRY_VERIFY_WITH_TIMEOUT(ended(*engine), kLoadTimeoutMs);
        // Seeking an ended item (as A-to-B repeat may) does not restart it.
        engine->setCurrentPosition(2.0);
        QTRY_COMPARE(engine->currentPosition(), 2.0);
        QCOMPARE(engine->playState(), MediaEngine::Stopped);
        // The play button starts it again from the beginning.
        engine->togglePause();
        QCOMPARE(engine->playState(), MediaEngine::Playing);
        QTRY_VERIFY_WITH_TIMEOUT(ended(*engine), kLoadTimeoutMs);
    }

    void fullScreenFollowsDisplaySize()
    {
        QWidget window;
        window.resize(640, 480);
        auto engine = makeEngine(false, &window);
        QWidget *view = engine->view();
        view->setGeometry(40, 30, 320, 240);
        window.show();
        const Qt::WindowFlags normalFlags = window.windowFlags();

        engine->setDisplaySize(3);
        engine->setFileName(path(QStringLiteral("long.wav")));
        QTRY_VERIFY_WITH_TIMEOUT(engine->duration() > 0, kLoadTimeoutMs);
        QVERIFY(!engine->isFullScreen()); // nothing to show

        engine->setFileName(path(QStringLiteral("seek.mpg")));
        QTRY_VERIFY_WITH_TIMEOUT(engine->isFullScreen(), kLoadTimeoutMs);
        QVERIFY(window.windowFlags().testFlag(Qt::FramelessWindowHint));
        QTRY_COMPARE(view->geometry(), window.rect());
        QVERIFY(!view->findChild<sky::ControlBar *>()->isVisible());

        QTest::keyClick(view, Qt::Key_Escape);
        QTRY_VERIFY(!engine->isFullScreen());
        QCOMPARE(window.windowFlags(), normalFlags);
        QCOMPARE(view->geometry(), QRect(40, 30, 320, 240));
        // Asking again for the size already set changes nothing.
        engine->setDisplaySize(3);
        QVERIFY(!engine->isFullScreen());

        QWidget *videoArea = view->layout()->itemAt(0)->widget();
        QTest::mouseDClick(videoArea, Qt::LeftButton);
        QVERIFY(engine->isFullScreen());
        engine->setDisplaySize(4);
        QVERIFY(!engine->isFullScreen());
        QTest::mouseDClick(videoArea, Qt::LeftButton);
        QVERIFY(engine->isFullScreen());
        engine->stop();
        QVERIFY(!engine->isFullScreen());

        // The window hides the control while it plays full screen.
        engine->togglePause();
        QTest::mouseDClick(videoArea, Qt::LeftButton);
        QVERIFY(engine->isFullScreen());
        view->hide();
        QTRY_VERIFY(!engine->isFullScreen());
        QVERIFY(!window.windowFlags().testFlag(Qt::FramelessWindowHint));
    }

    void clicksLeaveTheKeyboardFocusWhereItWas()
    {
        QWidget window;
        auto *field = new QLineEdit(&window);
        auto engine = makeEngine(true, &window);
        QWidget *view = engine->view();
        view->setGeometry(0, 40, 320, 240);
        window.resize(320, 280);
        window.show();
        QApplication::setActiveWindow(&window);
        field->setFocus();
        QVERIFY(QTest::qWaitForWindowActive(&window));

        QWidget *videoArea = view->layout()->itemAt(0)->widget();
        QTest::mouseClick(videoArea, Qt::LeftButton);
        QTest::mouseClick(view->findChild<sky::ControlBar *>()->findChild<QToolButton *>(), Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), field);
        QTest::keyClick(field, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), field);
    }

    void midiCanBeSoughtWhileItRenders()
    {
        auto engine = makeEngine(false);
        engine->setFileName(path(QStringLiteral("tune.mid")));
        QCOMPARE(engine->playState(), MediaEngine::Playing);
        engine->setCurrentPosition(1.5);
        QCOMPARE(engine->currentPosition(), 1.5);
        QTRY_VERIFY_WITH_TIMEOUT(engine->duration() > 0, kLoadTimeoutMs);
        QVERIFY(engine->currentPosition() >= 1.5);
        QTRY_VERIFY_WITH_TIMEOUT(ended(*engine), kLoadTimeoutMs);
        QCOMPARE(engine->playState(), MediaEngine::Stopped);
    }

    void outlivesItsView()
    {
        // The main window deletes the view with its other children, possibly
        // before the engine goes.
        auto window = std::make_unique<QWidget>();
        auto engine = makeEngine(true, window.get());
        window.reset();
        QVERIFY(!engine->view());
        engine->setDisplaySize(3);
        engine->setFileName(path(QStringLiteral("clip.avi")));
        QTRY_VERIFY_WITH_TIMEOUT(ended(*engine), kLoadTimeoutMs);
        QCOMPARE(engine->playState(), MediaEngine::Stopped);
    }

    void shutdownLeavesNoThreadBehind()
    {
        write(QStringLiteral("long.mid"), fixtures::midiBytes(600, 1.0));
        playOnce(); // whatever the libraries start once stays
        const int before = threadCount();
        {
            auto playing = makeEngine(false);
            playing->setFileName(path(QStringLiteral("long.wav")));
            QTRY_VERIFY_WITH_TIMEOUT(playing->duration() > 0, kLoadTimeoutMs);
            auto rendering = makeEngine(false);
            rendering->setFileName(path(QStringLiteral("long.mid")));
            QVERIFY(threadCount() > before);
        }
        QTRY_VERIFY(threadCount() <= before);
    }

    void closesWhileThePlayerStarts()
    {
        // The player starts on a thread of its own when the first item is
        // asked for; an engine that goes while or just after that happens
        // leaves no thread behind, and the next engine plays.
        playOnce();
        const int before = threadCount();
        for (int turns = 0; turns < 4; ++turns) {
            auto engine = makeEngine(true);
            engine->setFileName(path(QStringLiteral("short.wav")));
            for (int i = 0; i < turns; ++i)
                QCoreApplication::processEvents();
        }
        QTRY_VERIFY(threadCount() <= before);
        playOnce();
    }

    void startsItsPlayerAtTheFirstInput()
    {
        // An engine left alone starts no player (whose libraries hold some
        // 44 MB); the user's first key press or click anywhere starts it,
        // so that it is ready by the time an item has been chosen.
        playOnce();
        const int before = threadCount();
        QWidget window;
        auto engine = makeEngine(true, &window);
        for (int i = 0; i < 20; ++i)
            QCoreApplication::processEvents();
        QCOMPARE(threadCount(), before);
        QTest::keyClick(&window, Qt::Key_Space);
        QTRY_VERIFY_WITH_TIMEOUT(threadCount() > before, kLoadTimeoutMs);
        engine->setFileName(path(QStringLiteral("short.wav")));
        QTRY_VERIFY_WITH_TIMEOUT(engine->duration() > 0 && ended(*engine), kLoadTimeoutMs);
    }

    void startsUnderAnyNumericLocale()
    {
        // A locale whose decimal separator is a comma, built here so that
        // the test does not depend on the locales the machine has.
        const QString locales = path(QStringLiteral("locales"));
        QDir().mkpath(locales);
        QProcess localedef;
        localedef.start(QStringLiteral("localedef"),
            { QStringLiteral("-i"), QStringLiteral("de_DE"), QStringLiteral("-f"), QStringLiteral("UTF-8"),
                locales + QStringLiteral("/de_DE.UTF-8") });
        localedef.waitForFinished(60000);
        qputenv("LOCPATH", QFile::encodeName(locales));
        if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8"))
            QSKIP("localedef could not build a German locale");
        QCOMPARE(std::localeconv()->decimal_point, ",");

        auto engine = makeEngine(true);
        engine->setFileName(path(QStringLiteral("short.wav")));
        QTRY_VERIFY_WITH_TIMEOUT(engine->duration() > 0 && ended(*engine), kLoadTimeoutMs);
        std::setlocale(LC_NUMERIC, "C");
    }
};

QTEST_MAIN(MpvEngineTest)
#include "test_mpv_engine.moc"
