// Movies loaded into levels: each plays above the ones below it as a root
// of its own, answers to its "_levelN" name wherever a path is read, takes
// the pointer before the levels below it, ticks after them, and goes when
// it is unloaded; a movie loaded as level 0 replaces the whole movie.

#include "scriptactions.h"

#include "swf/movieplayer.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace swftest;
using sky::swf::MoviePlayer;

namespace {

// trace(text)
Actions say(const QByteArray &text) { return Actions().push(text).op(0x26); }

// loadMovieNum(url, n) with n a constant: the GetURL action, whose window
// names the level; an empty address unloads it.
Actions loadLevel(const QByteArray &url, int level)
{
    return Actions().op(0x83, url + '\0' + "_level" + QByteArray::number(level) + '\0');
}

// loadMovieNum(url, n) with n worked out as the movie runs: GetURL2 with
// no flags and the level's name pushed.
Actions loadComputedLevel(const QByteArray &url, int level)
{
    return Actions().push(url).push("_level").push(level).op(0x47).op(0x9A, QByteArray(1, '\0'));
}

// A square of `size` pixels at (x, y), in `colour`, as character `id`,
// placed at `depth`.
void square(swftest::Movie &m, int id, int depth, const QColor &colour, int x, int y, int size)
{
    const QRect box(0, 0, size * 20, size * 20);
    m.shape(id, 1, box, {swftest::solidFill(colour, false)}, {}, swftest::Edges().rect(box, 1).end());
    m.place(depth, id, x * 20, y * 20);
}

// this.onEnterFrame = function () { trace(text); }
Actions enterFrameTrace(const QByteArray &text) { return setMember("this", "onEnterFrame", Actions().function(say(text))); }

} // namespace

class TestSwfLevels : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void levelsPlayAboveTheMainMovieAndAnswerToTheirNames();
    void levelsTickInOrderAndTheTopmostTakesThePointer();
    void aMovieLoadedAsLevelZeroReplacesTheWholeMovie();

private:
    void writeFile(const QString &name, const QByteArray &content);
    // Loads `bytes` as test.swf of the test folder into `player`, its
    // traces going to `lines`.
    void start(MoviePlayer &player, const QByteArray &bytes, QStringList &lines);

    QTemporaryDir dir;
};

void TestSwfLevels::writeFile(const QString &name, const QByteArray &content)
{
    QFile file(dir.filePath(name));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size() && file.flush());
}

void TestSwfLevels::start(MoviePlayer &player, const QByteArray &bytes, QStringList &lines)
{
    writeFile(QStringLiteral("test.swf"), bytes);
    player.setTraceSink([&lines](const QString &line) { lines << line; });
    if (!player.load(dir.filePath(QStringLiteral("test.swf"))))
        qFatal("the test movie does not load");
}

void TestSwfLevels::levelsPlayAboveTheMainMovieAndAnswerToTheirNames()
{
    // Level 1 shows a red square at (0, 0), level 2 a green one at (20, 20),
    // each 40 pixels, and they tell who their _root is and read the main
    // movie's variable through _level0.
    swftest::Movie one(8, 100, 100);
    square(one, 1, 1, Qt::red, 0, 0, 40);
    one.doAction(Actions(trace("_root._target")).then(trace("_level0.hostName")).op(0x07).code()).showFrame();
    writeFile(QStringLiteral("one.swf"), one.fws());
    swftest::Movie two(6, 100, 100);
    square(two, 1, 1, Qt::green, 20, 20, 40);
    Actions twoScript = trace("_root._target");
    twoScript.then(setMember("this", "onUnload", Actions().function(say("two unloaded"))));
    two.doAction(twoScript.op(0x07).code()).showFrame();
    writeFile(QStringLiteral("two.swf"), two.fws());

    // The main movie, a blue square at (30, 30), loads level 2 and then
    // level 1; on its second frame it reaches them by name, tells level 1
    // to go 10 pixels right, and on its third unloads level 2.
    swftest::Movie host(8, 100, 100);
    square(host, 1, 1, Qt::blue, 30, 30, 40);
    Actions first;
    first.push("hostName").push("host").op(0x1D).then(loadComputedLevel("two.swf", 2)).then(loadLevel("one.swf", 1));
    host.doAction(first.code()).showFrame();
    Actions second = trace("_level1._target");
    second.then(trace("_level2._name")).then(trace("_level3"));
    // setProperty("_level1", _x, 10); trace(getProperty("_level1", _x))
    second.push("_level1").push(0).push(10).op(0x23).push("_level1").push(0).op(0x22).op(0x26);
    // tellTarget("_level2") { trace(_target); }
    second.op(0x8B, "_level2\0"_ba).push("").push(11).op(0x22).op(0x26).op(0x8B, "\0"_ba);
    host.doAction(second.code()).showFrame();
    host.doAction(Actions(loadLevel("", 2)).then(trace("_level2")).op(0x07).code()).showFrame();

    MoviePlayer player;
    QStringList lines;
    start(player, host.fws(), lines);
    QCOMPARE(lines, (QStringList{u"_level2"_s, u"_level1"_s, u"host"_s}));
    lines.clear();
    player.tick();
    QCOMPARE(lines, (QStringList{u"_level1"_s, QString(), u"undefined"_s, u"10"_s, u"_level2"_s}));
    QImage frame = player.renderFrame();
    QCOMPARE(frame.pixel(5, 5), qRgb(255, 255, 255)); // level 1 moved away
    QCOMPARE(frame.pixel(45, 5), qRgb(255, 0, 0));    // to here
    QCOMPARE(frame.pixel(35, 35), qRgb(0, 255, 0));   // level 2 above level 1 above the main movie
    QCOMPARE(frame.pixel(65, 65), qRgb(0, 0, 255));   // the main movie, where no level draws
    lines.clear();
    player.tick();
    QCOMPARE(lines, (QStringList{u"two unloaded"_s, u"undefined"_s}));
    frame = player.renderFrame();
    QCOMPARE(frame.pixel(35, 35), qRgb(255, 0, 0));
    QCOMPARE(frame.pixel(55, 55), qRgb(0, 0, 255));
}

void TestSwfLevels::levelsTickInOrderAndTheTopmostTakesThePointer()
{
    // The main movie and the movie of level 1 each hold a button at (50, 50)
    // that traces its press (level 1's then unloads its movie), and trace
    // their enterFrame events; the main movie loads level 2 before level 1.
    const auto buttonMovie = [](const QByteArray &name) {
        swftest::Movie m(8, 200, 200);
        Actions pressed = say("press " + name);
        if (name == "one")
            pressed.then(loadLevel("", 1));
        m.squareButton(10, 1, {{sky::swf::overUpToOverDown, pressed.code()}});
        m.place(1, 10, 1000, 1000);
        return m;
    };
    swftest::Movie one = buttonMovie("one");
    one.doAction(enterFrameTrace("enter one").code()).showFrame();
    writeFile(QStringLiteral("one.swf"), one.fws());
    swftest::Movie two(8, 200, 200);
    two.doAction(enterFrameTrace("enter two").code()).showFrame();
    writeFile(QStringLiteral("two.swf"), two.fws());
    swftest::Movie host = buttonMovie("main");
    host.doAction(Actions(enterFrameTrace("enter main")).then(loadLevel("two.swf", 2)).then(loadLevel("one.swf", 1))
                      .code())
        .showFrame();

    MoviePlayer player;
    QStringList lines;
    start(player, host.fws(), lines);
    player.tick();
    QCOMPARE(lines, (QStringList{u"enter main"_s, u"enter one"_s, u"enter two"_s}));
    lines.clear();
    player.input([](sky::swf::ScriptRuntime &s) { s.mouseMove({60, 60}); });
    player.input([](sky::swf::ScriptRuntime &s) { s.mouseDown({60, 60}); });
    QCOMPARE(lines, QStringList{u"press one"_s});
    // With level 1 gone, the main movie's button is the one under it.
    player.input([](sky::swf::ScriptRuntime &s) { s.mouseUp({60, 60}); });
    lines.clear();
    player.input([](sky::swf::ScriptRuntime &s) { s.mouseMove({61, 61}); });
    player.input([](sky::swf::ScriptRuntime &s) { s.mouseDown({61, 61}); });
    QCOMPARE(lines, QStringList{u"press main"_s});
}

void TestSwfLevels::aMovieLoadedAsLevelZeroReplacesTheWholeMovie()
{
    // The next movie, at 30 frames a second on a larger stage, shows a
    // green square, and traces its frames and what it finds of the
    // movie before it.
    swftest::Movie next(7, 400, 400, 30);
    square(next, 1, 1, Qt::green, 0, 0, 40);
    Actions nextFirst = say("next 1");
    nextFirst.then(trace("_level0.hostName")).then(trace("_level1")).then(trace("_root._target"));
    next.doAction(nextFirst.code()).showFrame();
    next.doAction(say("next 2").code()).showFrame();
    writeFile(QStringLiteral("next.swf"), next.fws());
    swftest::Movie one(8, 100, 100);
    one.doAction(say("one").code()).showFrame();
    writeFile(QStringLiteral("one.swf"), one.fws());

    // The main movie, at 12 frames a second, shows a red square and keeps
    // a level 1; its second frame loads the next movie as level 0.
    swftest::Movie host(8, 100, 100);
    square(host, 1, 1, Qt::red, 0, 0, 40);
    host.doAction(Actions().push("hostName").push("host").op(0x1D).then(loadLevel("one.swf", 1)).code()).showFrame();
    host.doAction(Actions(loadLevel("next.swf", 0)).then(say("host 2")).code()).showFrame();
    host.doAction(say("host 3").code()).showFrame();

    MoviePlayer player;
    QStringList lines;
    start(player, host.fws(), lines);
    QCOMPARE(player.frameRate(), 12.0);
    player.tick();
    player.tick();
    QCOMPARE(lines, (QStringList{u"one"_s, u"host 2"_s, u"next 1"_s, u"undefined"_s, u"undefined"_s, u"/"_s,
                                 u"next 2"_s}));
    QCOMPARE(player.frameRate(), 30.0);
    QCOMPARE(player.totalFrames(), 2);
    const QImage frame = player.renderFrame();
    QCOMPARE(frame.size(), QSize(100, 100)); // the stage keeps its size
    QCOMPARE(frame.pixel(5, 5), qRgb(0, 255, 0));
}

QTEST_GUILESS_MAIN(TestSwfLevels)
#include "tst_swflevels.moc"
