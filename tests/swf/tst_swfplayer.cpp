// Playing: the display list across frames, ticks, frame actions, sprites
// and stepping in both directions.

#include "scriptactions.h"
#include "swfwriter.h"

#include "swf/movieplayer.h"

#include <QDir>
#include <QtEndian>
#include <QRandomGenerator>
#include <QTest>

using namespace sky::swf;
using swftest::Edges;
using namespace Qt::StringLiterals;

namespace {

// A 10 x 10 pixel square of the given colour at the origin.
void square(swftest::Movie &m, int id, const QColor &c)
{
    m.shape(id, 1, QRect(0, 0, 200, 200), {swftest::solidFill(c, false)}, {}, Edges().rect(QRect(0, 0, 200, 200), 1).end());
}

QImage frameImage(const MoviePlayer &player) { return player.renderFrame(RenderOptions{false}); }

// A sprite of one frame whose script traces `text`.
swftest::Movie tracingSprite(const QByteArray &text)
{
    return swftest::Movie(7, 1, 1).doAction(swftest::Actions().push(text).op(0x26).code()).showFrame();
}

// What a movie traces as it loads and over `ticks` ticks.
QStringList tracesOf(const QByteArray &file, int ticks)
{
    MoviePlayer player;
    QStringList lines;
    player.setTraceSink([&lines](const QString &line) { lines << line; });
    if (!player.loadData(file))
        return {QStringLiteral("(not loaded)")};
    for (int t = 0; t < ticks; ++t)
        player.tick();
    return lines;
}

// Frame 1: red square at (0,0); frame 2: moved to (50,0); frame 3: removed,
// green square at depth 2; frame 4: nothing changes.
swftest::Movie fourFrames()
{
    swftest::Movie m(8, 100, 100);
    m.background(Qt::white);
    square(m, 1, Qt::red);
    square(m, 2, Qt::green);
    m.place(1, 1).showFrame();
    m.move(1, 1000, 0).showFrame();
    m.remove(1).place(2, 2, 0, 1000).showFrame();
    m.showFrame();
    return m;
}

// Root of three frames; a sprite of four frames, placed on frame 2, moves
// a blue square 10 pixels right each frame.
swftest::Movie withSprite()
{
    swftest::Movie inner(8, 0, 0);
    inner.place(1, 3).showFrame();
    for (int i = 1; i < 4; ++i)
        inner.move(1, 200 * i, 0).showFrame();
    swftest::Movie m(8, 100, 100);
    m.background(Qt::white);
    square(m, 1, Qt::red);
    square(m, 3, Qt::blue);
    m.sprite(4, inner);
    m.place(1, 1).showFrame();
    m.place(2, 4, 0, 1000).showFrame();
    m.move(1, 1000, 0).showFrame();
    return m;
}

} // namespace

class TestSwfPlayer : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void displayListFollowsTheFrames();
    void ticksAdvanceAndLoop();
    void frameActionsStopAndJump();
    void functionsCalledUnderATellTargetRunOnItsTimeline();
    void spritesRunInStepWithTheirParent();
    void gotoMakesSpritesInTheOrderPlayingWould();
    void loopingKeepsSpritesAScriptSwapped();
    void loopingKeepsSpritesPlacedAgainWithTheSameRatio();
    void loopingRemovesWhatScriptsPutAtTimelineDepths();
    void movingTagReplacesShapesButNotSprites();
    void placedClipsAreInitializedWithTheirChildrenThenConstructed();
    void frameScriptsCalledLeaveWhatTheyPushToTheCaller();
    void movingTagLeavesSwappedSpritesWhereTheyAre();
    void timelinesWithoutEndTagStayOnTheirLastFrame();
    void newObjectFindsNoRoomAtAnOccupiedDepth();
    void steppingShowsWhatPlayingShows();
    void realMoviesStepBothWays();
    void hugeStagesAreDrawnScaledDown();
    void clipsCountTheBytesOfTheirOwnTags();
};

void TestSwfPlayer::displayListFollowsTheFrames()
{
    const auto movie = Movie::fromData(fourFrames().fws());
    QVERIFY(movie);
    const Timeline &timeline = movie->timeline();
    QCOMPARE(timeline.frameCount(), 4);
    QCOMPARE(timeline.displayListAt(1)->size(), std::size_t(1));
    QCOMPARE(timeline.displayListAt(2)->at(1).matrix.tx, 1000.0);
    QCOMPARE(timeline.displayListAt(2)->at(1).placedFrame, 1); // moved, not placed again
    QVERIFY(!timeline.displayListAt(3)->count(1));
    QCOMPARE(timeline.displayListAt(4)->at(2).characterId, quint16(2));
    // Going back rebuilds from the start: frame 1 shows the square at 0.
    QCOMPARE(timeline.displayListAt(1)->at(1).matrix.tx, 0.0);

    MoviePlayer player;
    QVERIFY(player.loadData(fourFrames().fws()));
    QCOMPARE(frameImage(player).pixel(5, 5), qRgb(255, 0, 0));
    player.gotoFrame(2);
    QCOMPARE(frameImage(player).pixel(5, 5), qRgb(255, 255, 255));
    QCOMPARE(frameImage(player).pixel(55, 5), qRgb(255, 0, 0));
    player.gotoFrame(3);
    QCOMPARE(frameImage(player).pixel(55, 5), qRgb(255, 255, 255));
    QCOMPARE(frameImage(player).pixel(5, 55), qRgb(0, 255, 0));

    // PlaceObject3 carries a class name only when its own flag says so;
    // the image flag (placing a bitmap) brings none.
    swftest::Movie third(8, 100, 100);
    square(third, 1, Qt::red);
    third.tag(70, swftest::Bits().u8(0x02).u8(0x10).u16(1).u16(1).data());
    third.tag(70, swftest::Bits().u8(0x02).u8(0x08).u16(2).bytes(QByteArray("Box", 4)).u16(1).data());
    third.showFrame();
    const auto placed = Movie::fromData(third.fws());
    QVERIFY(placed);
    QCOMPARE(placed->timeline().displayListAt(1)->at(1).characterId, quint16(1));
    QCOMPARE(placed->timeline().displayListAt(1)->at(2).characterId, quint16(1));

    // A new object placed at a depth something holds is not placed: the
    // red square stays, whether played to or gone to.
    swftest::Movie occupied(8, 100, 100);
    square(occupied, 1, Qt::red);
    square(occupied, 2, Qt::green);
    occupied.place(1, 1).showFrame().place(1, 2).showFrame().showFrame();
    QVERIFY(player.loadData(occupied.fws()));
    player.tick();
    QCOMPARE(frameImage(player).pixel(5, 5), qRgb(255, 0, 0));
    player.gotoFrame(3);
    player.gotoFrame(2);
    QCOMPARE(frameImage(player).pixel(5, 5), qRgb(255, 0, 0));
}

void TestSwfPlayer::ticksAdvanceAndLoop()
{
    MoviePlayer player;
    QCOMPARE(player.totalFrames(), 0);
    player.tick(); // nothing loaded: nothing happens
    QVERIFY(player.loadData(fourFrames().cws()));
    QCOMPARE(player.currentFrame(), 1);
    QVERIFY(player.isPlaying());
    const int expected[] = {2, 3, 4, 1, 2};
    for (int frame : expected) {
        player.tick();
        QCOMPARE(player.currentFrame(), frame);
    }
    // Looping back rebuilds frame 2 from frame 1.
    QCOMPARE(frameImage(player).pixel(55, 5), qRgb(255, 0, 0));
    QCOMPARE(frameImage(player).pixel(5, 55), qRgb(255, 255, 255));

    player.stop();
    player.tick();
    QCOMPARE(player.currentFrame(), 2);
    player.forward();
    QCOMPARE(player.currentFrame(), 3);
    player.back();
    player.back();
    player.back();
    QCOMPARE(player.currentFrame(), 1);
    QVERIFY(!player.isPlaying());
    player.gotoFrame(99);
    QCOMPARE(player.currentFrame(), 4);
    player.gotoFrame(0);
    QCOMPARE(player.currentFrame(), 1);
    player.gotoFrame(3);
    player.rewind();
    QCOMPARE(player.currentFrame(), 1);
}

void TestSwfPlayer::frameActionsStopAndJump()
{
    swftest::Movie stops(8, 100, 100);
    stops.showFrame().showFrame().stopAction().showFrame();
    MoviePlayer player;
    QVERIFY(player.loadData(stops.fws()));
    for (int t = 0; t < 5; ++t)
        player.tick();
    QCOMPARE(player.currentFrame(), 3);
    QVERIFY(!player.isPlaying());
    player.play();
    player.tick();
    QCOMPARE(player.currentFrame(), 1);

    // Frame 2 jumps back to frame 1 and plays on: 1, 2 -> 1, 2 -> 1 ...
    swftest::Movie jumps(8, 100, 100);
    jumps.showFrame().gotoAction(1).showFrame().showFrame();
    QVERIFY(player.loadData(jumps.fws()));
    for (int t = 0; t < 6; ++t) {
        player.tick();
        QCOMPARE(player.currentFrame(), 1);
    }
    // Showing a frame does not run its actions; stepping onto it does.
    player.gotoFrame(2);
    QCOMPARE(player.currentFrame(), 2);
    player.forward();
    QCOMPARE(player.currentFrame(), 3);
    player.back();
    QCOMPARE(player.currentFrame(), 1);

    // GotoFrame past the last frame, as far as its 16 bits reach, stops
    // on the last one.
    for (const int past : {10, 65536}) {
        swftest::Movie far(8, 100, 100);
        far.doAction(swftest::Actions().op(0x81, swftest::Bits().u16(past - 1).data()).op(0x07).code());
        far.showFrame().showFrame().showFrame();
        QVERIFY(player.loadData(far.fws()));
        player.tick();
        QCOMPARE(player.currentFrame(), 3);
    }

    // A preloader on frame 2 plays frames 1 and 2 until every byte is
    // there: if (_root.getBytesLoaded() / _root.getBytesTotal() != 1)
    // gotoAndPlay(1); frame 3 stops. A movie read from a file is all there.
    swftest::Actions share;
    for (const char *method : {"getBytesLoaded", "getBytesTotal"})
        share.push(0).push("_root").op(0x1C).push(method).op(0x52);
    share.op(0x0D).push(1).op(0x49).op(0x9D, QByteArray("\x06\x00", 2)); // If loaded: over the next 6 bytes
    share.op(0x81, QByteArray(2, '\0')).op(0x06);                       // GotoFrame 1, Play
    swftest::Movie preloader(8, 100, 100);
    preloader.showFrame().doAction(share.code()).showFrame().stopAction().showFrame();
    QVERIFY(player.loadData(preloader.fws()));
    for (int t = 0; t < 4; ++t)
        player.tick();
    QCOMPARE(player.currentFrame(), 3);

    // A stop on frame 1 holds the movie as loaded.
    swftest::Movie held(8, 100, 100);
    held.stopAction().showFrame().showFrame();
    QVERIFY(player.loadData(held.fws()));
    player.tick();
    QCOMPARE(player.currentFrame(), 1);
}

void TestSwfPlayer::functionsCalledUnderATellTargetRunOnItsTimeline()
{
    // A sprite's frame: tellTarget("/") { gotoAndStop(3); }, the global
    // function form, which finds the method on no object of its own.
    swftest::Actions jump;
    jump.op(0x8B, "/" + QByteArray(1, 0)).push(3).push(1).push("gotoAndStop").op(0x3D).op(0x17).op(0x8B, QByteArray(1, 0));
    swftest::Movie m(7, 100, 100);
    m.sprite(1, swftest::Movie(7, 1, 1).doAction(jump.code()).showFrame());
    m.place(1, 1).showFrame();
    m.doAction(swftest::Actions().push("two").op(0x26).code()).showFrame();
    m.doAction(swftest::Actions().push("three").op(0x26).code()).showFrame();
    QCOMPARE(tracesOf(m.fws(), 3), QStringList{u"three"_s});
}

void TestSwfPlayer::spritesRunInStepWithTheirParent()
{
    MoviePlayer player;
    QVERIFY(player.loadData(withSprite().fws()));
    // Sprite placed on frame 2 shows its frame 1, then 2, then 3, and keeps
    // going while the root loops without it being placed again.
    QCOMPARE(frameImage(player).pixel(5, 55), qRgb(255, 255, 255));
    player.tick();
    QCOMPARE(frameImage(player).pixel(5, 55), qRgb(0, 0, 255));
    player.tick();
    QCOMPARE(frameImage(player).pixel(5, 55), qRgb(255, 255, 255));
    QCOMPARE(frameImage(player).pixel(15, 55), qRgb(0, 0, 255));
    player.tick(); // root back to frame 1: the sprite is gone
    QCOMPARE(player.currentFrame(), 1);
    QCOMPARE(frameImage(player).pixel(15, 55), qRgb(255, 255, 255));
    QCOMPARE(frameImage(player).pixel(25, 55), qRgb(255, 255, 255));
    player.tick();
    QCOMPARE(frameImage(player).pixel(5, 55), qRgb(0, 0, 255));
}

void TestSwfPlayer::gotoMakesSpritesInTheOrderPlayingWould()
{
    // Frame 1 jumps to frame 4. Sprites placed on frames 2 and 3 start (and
    // run their first frame's script) in the order of their tags, whatever
    // their depths, before frame 4's script; one placed on frame 4 after it.
    swftest::Movie m(7, 100, 100);
    m.sprite(1, tracingSprite("made on 2")).sprite(2, tracingSprite("made on 3, deeper")).sprite(3, tracingSprite("made on 3, shallower"));
    m.sprite(4, tracingSprite("made on 4"));
    m.gotoAction(4).showFrame();
    m.place(9, 1).showFrame();
    m.place(5, 2).place(2, 3).showFrame();
    m.doAction(swftest::Actions().push("frame 4").op(0x26).op(0x07).code()).place(1, 4).showFrame();
    QCOMPARE(tracesOf(m.fws(), 0), (QStringList{u"made on 2"_s, u"made on 3, deeper"_s, u"made on 3, shallower"_s, u"frame 4"_s,
                                 u"made on 4"_s}));
}

void TestSwfPlayer::loopingKeepsSpritesAScriptSwapped()
{
    // Frame 1 places sprites a and b; frame 2 swaps their depths and
    // traces a's. Looping back to frame 1 keeps both clips where the swap
    // left them, although each timeline depth now holds the other's
    // character: they are not made again, and the next swap moves them back.
    swftest::Movie m(7, 100, 100);
    m.sprite(1, tracingSprite("a made")).sprite(2, tracingSprite("b made"));
    m.placeNamed(1, 1, "a").placeNamed(2, 2, "b").showFrame();
    swftest::Actions swap = swftest::callOn("a", "swapDepths", {"_root.b"});
    swap.op(0x17).then(swftest::callOn("a", "getDepth")).op(0x26).then(swftest::trace("b._name"));
    m.doAction(swap.code()).showFrame();
    QCOMPARE(tracesOf(m.fws(), 3), (QStringList{u"a made"_s, u"b made"_s, u"-16382"_s, u"b"_s, u"-16383"_s, u"b"_s}));
}

void TestSwfPlayer::loopingKeepsSpritesPlacedAgainWithTheSameRatio()
{
    // Frame 1 places sprites one and two; frame 2 removes them and places
    // them again, one with another ratio. Looping back to frame 1 keeps
    // two, placed by another tag of another frame, and makes one again.
    swftest::Movie m(7, 100, 100);
    m.sprite(1, tracingSprite("one made")).sprite(2, tracingSprite("two made"));
    m.place(1, 1).place(2, 2).showFrame();
    m.remove(1).remove(2).placeRatio(1, 1, 5).placeRatio(2, 2, 0).showFrame();
    QCOMPARE(tracesOf(m.fws(), 2), (QStringList{u"one made"_s, u"two made"_s, u"one made"_s, u"two made"_s, u"one made"_s}));
}

void TestSwfPlayer::loopingRemovesWhatScriptsPutAtTimelineDepths()
{
    // Frame 1 places sprite a; frame 2 duplicates it onto its own depth,
    // replacing it. Looping back to frame 1 takes the copy away and makes a
    // again, as the timeline placed it.
    swftest::Movie m(7, 100, 100);
    m.sprite(1, swftest::Movie(7, 1, 1).doAction(swftest::Actions().push("a made").op(0x26).code()).showFrame());
    m.placeNamed(1, 1, "a").showFrame();
    m.doAction(swftest::Actions().push("a").push("d").push(1).op(0x24).code()).showFrame();
    QCOMPARE(tracesOf(m.fws(), 2), (QStringList{u"a made"_s, u"a made"_s, u"a made"_s}));
}

void TestSwfPlayer::movingTagReplacesShapesButNotSprites()
{
    // Frame 2's tags move what frame 1 placed, naming other characters and,
    // for the sprite, another name: the red square becomes the green one,
    // while sprite a (blue) stays the clip it was, under its name, whether
    // played to or shown from the start.
    const auto drawing = [](int shape, const QByteArray &text) {
        return swftest::Movie(7, 1, 1).place(1, shape).doAction(swftest::Actions().push(text).op(0x26).code()).showFrame();
    };
    swftest::Movie m(7, 100, 100);
    m.background(Qt::white);
    square(m, 1, Qt::red);
    square(m, 2, Qt::green);
    square(m, 5, Qt::blue);
    square(m, 6, Qt::yellow);
    m.sprite(3, drawing(5, "a made")).sprite(4, drawing(6, "b made"));
    m.place(1, 1).placeNamed(2, 3, "a", 1000, 0).showFrame();
    m.tag(26, swftest::Bits().u8(0x03).u16(1).u16(2).data());
    m.tag(26, swftest::Bits().u8(0x23).u16(2).u16(4).bytes("b").u8(0).data());
    m.doAction(swftest::Actions(swftest::trace("a._name")).then(swftest::trace("b._name")).code()).showFrame();
    MoviePlayer player;
    QStringList lines;
    player.setTraceSink([&lines](const QString &line) { lines << line; });
    QVERIFY(player.loadData(m.fws()));
    player.tick();
    QCOMPARE(lines, (QStringList{u"a made"_s, u"a"_s, u"undefined"_s}));
    MoviePlayer shown;
    QVERIFY(shown.loadData(m.fws()));
    shown.gotoFrame(2);
    for (const MoviePlayer *p : {&player, &shown}) {
        QCOMPARE(frameImage(*p).pixelColor(5, 5), QColor(Qt::green));
        QCOMPARE(frameImage(*p).pixelColor(55, 5), QColor(Qt::blue));
    }
}

void TestSwfPlayer::movingTagLeavesSwappedSpritesWhereTheyAre()
{
    // Frame 1 swaps the depths of sprites a and b; frame 2's tag moves
    // what lies at a's first depth, now b, 50 pixels right. Both clips'
    // transforms belong to scripts since the swap: b stays at 0.
    swftest::Movie m(7, 100, 100);
    m.sprite(1, swftest::Movie(7, 1, 1).showFrame());
    m.placeNamed(1, 1, "a").placeNamed(2, 1, "b");
    m.doAction(swftest::Actions(swftest::callOn("a", "swapDepths", {"_root.b"})).op(0x17).code()).showFrame();
    m.move(1, 1000, 0).doAction(swftest::Actions(swftest::trace("b._x")).then(swftest::trace("a._x")).code());
    m.showFrame();
    QCOMPARE(tracesOf(m.fws(), 1), (QStringList{u"0"_s, u"0"_s}));
}

void TestSwfPlayer::placedClipsAreInitializedWithTheirChildrenThenConstructed()
{
    // Sprite "o" holds sprite "kid"; each traces on its initialize event,
    // "o" also on its construct event: onClipEvent(initialize)
    // { trace(this.kid); } and onClipEvent(construct) { trace("o made"); }.
    const auto says = [](const QByteArray &text) { return swftest::Actions().push(text).op(0x26).code(); };
    swftest::Movie inner(7, 1, 1);
    inner.placeWithEvents(1, 1, "kid", {{0x200, says("kid initialized")}}).showFrame();
    swftest::Movie m(7, 100, 100);
    m.sprite(1, swftest::Movie(7, 1, 1).showFrame()).sprite(2, inner);
    const QByteArray sayKid = swftest::Actions().push("this").op(0x1C).push("kid").op(0x4E).op(0x26).code();
    m.placeWithEvents(1, 2, "o", {{0x200, sayKid}, {0x40000, says("o made")}}).showFrame();
    QCOMPARE(tracesOf(m.fws(), 0), (QStringList{u"_level0.o.kid"_s, u"kid initialized"_s, u"o made"_s}));
}

void TestSwfPlayer::frameScriptsCalledLeaveWhatTheyPushToTheCaller()
{
    // Frame 1 pushes "left"; frame 2: call("1"); trace(what is left); stop();
    swftest::Movie m(7, 100, 100);
    m.doAction(swftest::Actions().push("left").code()).showFrame();
    m.doAction(swftest::Actions().push("1").op(0x9E).op(0x26).op(0x07).code()).showFrame();
    QCOMPARE(tracesOf(m.fws(), 1), QStringList{u"left"_s});
}

void TestSwfPlayer::timelinesWithoutEndTagStayOnTheirLastFrame()
{
    // A sprite of two frames tracing "s1", "s2" on a root of two frames
    // tracing "r1", "r2": five frames played. A timeline whose End tag is
    // missing waits on its last frame instead of looping.
    const auto says = [](const QByteArray &text) { return swftest::Actions().push(text).op(0x26).code(); };
    const auto played = [&](bool spriteEnded, bool rootEnded) {
        swftest::Movie inner(7, 1, 1);
        inner.doAction(says("s1")).showFrame().doAction(says("s2")).showFrame();
        swftest::Movie m(7, 100, 100);
        m.sprite(1, inner, spriteEnded).place(1, 1).doAction(says("r1")).showFrame();
        m.doAction(says("r2")).showFrame();
        QByteArray file = m.fws();
        if (!rootEnded) {
            file.chop(2);
            qToLittleEndian(quint32(file.size()), file.data() + 4);
        }
        return tracesOf(file, 4);
    };
    QCOMPARE(played(true, true), (QStringList{u"s1"_s, u"r1"_s, u"s2"_s, u"r2"_s, u"s1"_s, u"r1"_s, u"s2"_s,
                                              u"r2"_s, u"s1"_s, u"r1"_s}));
    QCOMPARE(played(false, true),
             (QStringList{u"s1"_s, u"r1"_s, u"s2"_s, u"r2"_s, u"r1"_s, u"r2"_s, u"r1"_s}));
    QCOMPARE(played(true, false), (QStringList{u"s1"_s, u"r1"_s, u"s2"_s, u"r2"_s, u"s1"_s, u"s2"_s, u"s1"_s}));
}

void TestSwfPlayer::newObjectFindsNoRoomAtAnOccupiedDepth()
{
    // Placing at a depth something holds leaves it there, and the player
    // logs the refusal among the traces; a tag that moves what is there,
    // naming its character again, is no new object.
    swftest::Movie m(7, 100, 100);
    m.sprite(1, tracingSprite("first")).sprite(2, tracingSprite("second"));
    m.place(1, 1).place(1, 2).showFrame();
    m.tag(26, swftest::Bits().u8(0x03).u16(1).u16(1).data()).showFrame();
    m.stopAction().showFrame();
    QCOMPARE(tracesOf(m.fws(), 1), (QStringList{u"Warning: Failed to place object at depth 1."_s, u"first"_s}));
}

void TestSwfPlayer::steppingShowsWhatPlayingShows()
{
    const QByteArray data = withSprite().fws();
    MoviePlayer played;
    QVERIFY(played.loadData(data));
    std::vector<QImage> byFrame;
    for (int frame = 1; frame <= played.totalFrames(); ++frame) {
        byFrame.push_back(frameImage(played));
        played.tick();
    }
    MoviePlayer stepped;
    QVERIFY(stepped.loadData(data));
    QRandomGenerator random(11);
    for (int i = 0; i < 20; ++i) {
        const int frame = random.bounded(1, stepped.totalFrames() + 1);
        stepped.gotoFrame(frame);
        QCOMPARE(frameImage(stepped), byFrame[std::size_t(frame - 1)]);
    }
    // A step back goes as the movie's own goto does: the red square is
    // back where frame 2 has it, and the sprite both frames hold stays on
    // the frame its own timeline reached.
    stepped.gotoFrame(3);
    stepped.back();
    QCOMPARE(stepped.currentFrame(), 2);
    QCOMPARE(frameImage(stepped).pixel(5, 5), qRgb(255, 0, 0));
    QCOMPARE(frameImage(stepped).pixel(15, 55), qRgb(0, 0, 255));
    QCOMPARE(frameImage(stepped).pixel(5, 55), qRgb(255, 255, 255));
}

void TestSwfPlayer::realMoviesStepBothWays()
{
    const QString path = QStringLiteral(SKY_SWF_CORPUS_DIR "/other/shumway__timeline_Simple.swf");
    MoviePlayer player;
    if (!player.load(path))
        QSKIP("the SWF corpus is not beside the sources");
    QCOMPARE(player.totalFrames(), 121);
    QCOMPARE(player.movie()->frameRate(), 60.0);
    std::vector<QImage> played;
    for (int frame = 1; frame <= 40; ++frame) {
        played.push_back(frameImage(player));
        player.tick();
    }
    QVERIFY(played[0] != played[39]);
    for (int frame = 40; frame >= 1; frame -= 3) {
        player.gotoFrame(frame);
        QCOMPARE(frameImage(player), played[std::size_t(frame - 1)]);
    }
}

void TestSwfPlayer::hugeStagesAreDrawnScaledDown()
{
    // A movie of a few hundred bytes whose header asks for a picture of
    // 88000 x 88000 pixels (29 GiB).
    swftest::Movie m(8, 88000, 88000);
    m.background(Qt::yellow);
    square(m, 1, Qt::red);
    m.place(1, 1).showFrame();
    QVERIFY(m.fws().size() < 200);
    MoviePlayer player;
    QVERIFY(player.loadData(m.fws()));
    const QImage frame = frameImage(player);
    QCOMPARE(frame.size(), QSize(8192, 8192));
    QCOMPARE(frame.pixelColor(0, 0), QColor(Qt::red)); // 10 pixels of the stage are one here
    QCOMPARE(frame.pixelColor(8000, 8000), QColor(Qt::yellow));

    // A stage as thin as a line keeps its shape as far as whole pixels let it.
    QCOMPARE(boundedFrameSize(QSize(1, 50'000'000)), QSize(1, maxFrameSide));
    QCOMPARE(boundedFrameSize(QSize(40'000, 20'000)), QSize(11585, 5792));
    QCOMPARE(boundedFrameSize(QSize(550, 400)), QSize(550, 400));
}

void TestSwfPlayer::clipsCountTheBytesOfTheirOwnTags()
{
    // Sprite 1 holds only its ShowFrame and End tags, two bytes each. Traced:
    // s.getBytesTotal(), then that of a clip a script makes and of the root.
    swftest::Movie m(7, 100, 100);
    m.sprite(1, swftest::Movie(7, 1, 1).showFrame()).placeNamed(1, 1, "s");
    swftest::Actions a;
    a.push(1).push("e").push(2).push("this").op(0x1C).push("createEmptyMovieClip").op(0x52).op(0x17);
    for (const char *clip : {"s", "e", "_root"})
        a.push(0).push(clip).op(0x1C).push("getBytesTotal").op(0x52).op(0x26);
    m.doAction(a.code()).showFrame();
    const QByteArray file = m.fws();
    QCOMPARE(tracesOf(file, 0), (QStringList{u"4"_s, u"0"_s, QString::number(file.size())}));
}

QTEST_GUILESS_MAIN(TestSwfPlayer)
#include "tst_swfplayer.moc"
