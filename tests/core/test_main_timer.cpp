#include "core/module1.h"
#include "main_window_test.h"

#include <QtTest>

#include <set>

using namespace sky;
using namespace Qt::StringLiterals;

namespace {

const QStringList kFour = {u"/m/a.mp3"_s, u"/m/b.mp3"_s, u"/m/c.mp3"_s, u"/m/d.mp3"_s};

} // namespace

// The main timer's playback: repeat, the playlist in order, repeated and
// shuffled, and A to B.
class TestMainTimer : public test::MainWindowTest
{
    Q_OBJECT
private Q_SLOTS:
    void singleFileRepeatWaitsForStopped();
    void playlistInOrderThenStops();
    void repeatStartsOverAfterAResetTick();
    void emptySlotEndsTheList();
    void oneItemPerTick();
    void shuffleWithoutRepeatPlaysEachOnce();
    void shuffleWithRepeatStartsNewCycles();
    void everyPlaylistTickDrawsTheDirection();
    void namesAndCount();

private:
    // Lets the playing item end and runs one tick.
    void endAndTick();

    QTemporaryDir media;
};

void TestMainTimer::endAndTick()
{
    rig->media->state = MediaEngine::Stopped;
    main->Timer1_Timer();
}

void TestMainTimer::singleFileRepeatWaitsForStopped()
{
    test::TestRig::createFiles(media.path(), {u"a.mp3"_s});
    main->File1.setPath(media.path());
    main->File1.setListIndex(0);
    main->Check1.setValue(1);
    main->Command1_Click();
    QCOMPARE(rig->media->assigned.size(), 1);
    main->Timer1_Timer(); // still playing
    rig->media->state = MediaEngine::Closed;
    main->Timer1_Timer(); // closed is no end to repeat from
    QCOMPARE(rig->media->assigned.size(), 1);
    endAndTick();
    QCOMPARE(rig->media->assigned, QStringList(2, media.filePath(u"a.mp3"_s)));
    // Without Repeat an ended item stays ended; the name labels keep it.
    main->Check1.setValue(0);
    endAndTick();
    QCOMPARE(rig->media->assigned.size(), 2);
    QCOMPARE(main->Label3.Caption(), u"a.mp3"_s);
}

void TestMainTimer::playlistInOrderThenStops()
{
    rig->loadPlaylist(kFour.mid(0, 3));
    main->Check2.setValue(1);
    main->Timer1_Timer();
    QCOMPARE(rig->media->assigned, QStringList({kFour[0]}));
    QCOMPARE(main->List1.ListIndex(), 0);
    QCOMPARE(m->PlaylistIndex, short(1));
    QVERIFY(!main->Command1.Enabled());
    main->Timer1_Timer(); // still playing: nothing new
    endAndTick();
    endAndTick();
    endAndTick();
    endAndTick();
    QCOMPARE(rig->media->assigned, kFour.mid(0, 3));
    QCOMPARE(m->PlaylistIndex, short(3));

    // STOP ends playlist play: nothing starts again.
    main->Command10_Click();
    QCOMPARE(rig->media->assigned.constLast(), u".mp3"_s);
    QCOMPARE(rig->media->stops, 1);
    QCOMPARE(main->Check2.Value(), 0);
    QVERIFY(main->Command1.Enabled());
    QVERIFY(!main->List1.Enabled());
    m->PlaylistIndex = 0;
    endAndTick();
    QCOMPARE(rig->media->assigned.size(), 4);
}

void TestMainTimer::repeatStartsOverAfterAResetTick()
{
    rig->loadPlaylist(kFour.mid(0, 3));
    main->Check1.setValue(1);
    main->Check2.setValue(1);
    main->Timer1_Timer();
    endAndTick();
    endAndTick();
    QCOMPARE(rig->media->assigned, kFour.mid(0, 3));
    endAndTick(); // only resets the index
    QCOMPARE(rig->media->assigned.size(), 3);
    QCOMPARE(m->PlaylistIndex, short(0));
    main->Timer1_Timer();
    QCOMPARE(rig->media->assigned.constLast(), kFour[0]);
}

void TestMainTimer::emptySlotEndsTheList()
{
    rig->loadPlaylist(kFour);
    m->PlaylistPath[2] = QString();
    main->Check2.setValue(1);
    for (int tick = 0; tick < 6; ++tick)
        endAndTick();
    QCOMPARE(rig->media->assigned, kFour.mid(0, 2));
}

void TestMainTimer::oneItemPerTick()
{
    // An engine that reports the new item as ended until it has opened it:
    // the restart block and the in-order block must not both start one.
    rig->media->stateAfterAssign = MediaEngine::Closed;
    rig->loadPlaylist(kFour);
    main->Check2.setValue(1);
    main->Check3.setValue(1);
    main->Check3.setValue(0); // leaves a restart pending
    QCOMPARE(m->PlaylistRestart, 1);
    main->Timer1_Timer();
    QCOMPARE(rig->media->assigned, QStringList({kFour[0]}));
    main->Timer1_Timer();
    QCOMPARE(rig->media->assigned, kFour.mid(0, 2));
}

void TestMainTimer::shuffleWithoutRepeatPlaysEachOnce()
{
    rig->loadPlaylist(kFour);
    main->Check2.setValue(1);
    main->Check3.setValue(1);
    for (int tick = 0; tick < 8; ++tick)
        endAndTick();
    QCOMPARE(rig->media->assigned.size(), 4);
    const std::set<QString> played(rig->media->assigned.begin(), rig->media->assigned.end());
    QCOMPARE(played.size(), std::size_t(4));
    const QStringList marked = {u" #  a.mp3"_s, u" #  b.mp3"_s, u" #  c.mp3"_s, u" #  d.mp3"_s};
    QCOMPARE(rig->playlistLines(), marked);
    QCOMPARE(m->ShufflePicked, false);
    QCOMPARE(kFour.indexOf(rig->media->assigned.constLast()), int(m->LastShufflePick));
}

void TestMainTimer::shuffleWithRepeatStartsNewCycles()
{
    rig->loadPlaylist(kFour);
    main->Check1.setValue(1);
    main->Check2.setValue(1);
    main->Check3.setValue(1);
    for (int tick = 0; tick < 4; ++tick)
        endAndTick();
    QCOMPARE(rig->media->assigned.size(), 4);
    endAndTick(); // the fifth pick is due: the marks go, nothing plays
    QCOMPARE(rig->media->assigned.size(), 4);
    QCOMPARE(rig->playlistLines(), QStringList({u"a.mp3"_s, u"b.mp3"_s, u"c.mp3"_s, u"d.mp3"_s}));
    QCOMPARE(m->ShufflePicked, true);
    for (int tick = 0; tick < 4; ++tick)
        endAndTick();
    const QStringList second = rig->media->assigned.mid(4);
    QCOMPARE(std::set<QString>(second.begin(), second.end()).size(), std::size_t(4));
}

void TestMainTimer::everyPlaylistTickDrawsTheDirection()
{
    // Each tick of the playlist reseeds and draws a direction, even when
    // it plays nothing; the in-order block's shuffle pick reseeds and draws
    // one again before it draws the entry. An engine that ends every item at
    // once keeps the colour effects from drawing.
    rig->media->stateAfterAssign = MediaEngine::Stopped;
    rig->loadPlaylist(kFour);
    main->Check2.setValue(1);
    main->Check3.setValue(1); // leaves a restart pending
    auto &random = rig->random;
    const auto tick = [&](std::initializer_list<double> draws) {
        random.values.assign(draws);
        random.reseeds = 0;
        main->Timer1_Timer();
        QVERIFY(random.values.empty());
    };
    // The restart block: direction, then entry 1 of 4.
    tick({ 0.9, 0.3 });
    QCOMPARE(random.reseeds, 1);
    // The in-order block: direction, direction again (forwards), entry 1,
    // played already, so entry 2.
    tick({ 0.1, 0.9, 0.3 });
    QCOMPARE(random.reseeds, 2);
    // A paused item: the direction alone.
    rig->media->state = MediaEngine::Paused;
    tick({ 0.6 });
    QCOMPARE(random.reseeds, 1);
    rig->media->state = MediaEngine::Stopped;
    // Backwards from entry 2: entry 0.
    tick({ 0.2, 0.2, 0.55 });
    // Forwards from entry 0: entry 3.
    tick({ 0.5, 0.7, 0.1 });
    QCOMPARE(rig->media->assigned, QStringList({ kFour[1], kFour[2], kFour[0], kFour[3] }));
    // Every entry played: the direction is still drawn twice, then the
    // entry.
    tick({ 0.5, 0.5, 0.5 });
    QCOMPARE(rig->media->assigned.size(), 4);

    // Playing in order draws the direction on every tick too. The first
    // tick after shuffle is turned off finds the list ended, goes back to
    // its start and plays it in order.
    main->Check3.setValue(0);
    tick({ 0.5 });
    tick({ 0.5 });
    QCOMPARE(rig->media->assigned.mid(4), kFour.mid(0, 2));
}

void TestMainTimer::namesAndCount()
{
    rig->loadPlaylist({u"/music/Tränen.mp3"_s, u"wmpcd://0/05"_s});
    main->Check2.setValue(1);
    main->Timer1_Timer();
    main->Timer1_Timer();
    QCOMPARE(main->Label1.Caption(), u"Total file(s) = 2"_s);
    QCOMPARE(main->Label3.Caption(), u"Tränen.mp3"_s);
    QCOMPARE(main->Label4.Caption(), u"Tränen.mp3"_s);
    QCOMPARE(m->CurrentFileName, u"Tränen.mp3"_s);
    // A CD track is shown by its whole address.
    endAndTick();
    main->Timer1_Timer();
    QCOMPARE(rig->media->assigned.constLast(), u"wmpcd://0/05"_s);
    QCOMPARE(main->Label3.Caption(), u"wmpcd://0/05"_s);
    QCOMPARE(main->Label4.Caption(), u"wmpcd://0/05"_s);
    QCOMPARE(m->CurrentFileName, u"wmpcd://0/05"_s);
    // With the picture viewer on, the names stay empty while playing.
    main->Check4.setValue(1);
    main->Timer1_Timer();
    QCOMPARE(main->Label3.Caption(), QString());
    main->List1.setVisible(false);
    main->Timer1_Timer();
    QCOMPARE(main->Label1.Caption(), QString());
}

QTEST_MAIN(TestMainTimer)
#include "test_main_timer.moc"
