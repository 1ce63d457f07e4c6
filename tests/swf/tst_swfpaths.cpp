// How scripts name clips: slash, colon and dot paths, tellTarget, clip
// references that outlive their clips, scripts whose clip goes away
// while they run, the timelines functions run on, the constructor a
// clip of a registered class is made by, and a clip as a prototype.

#include "swf/movieplayer.h"
#include "swfwriter.h"

#include <QTest>

using namespace sky::swf;
using swftest::Actions;
using namespace Qt::StringLiterals;

namespace {

enum : int {
    getVariable = 0x1C,
    setVariable = 0x1D,
    getProperty = 0x22,
    removeSprite = 0x25,
    trace = 0x26,
    pop = 0x17,
    callFunction = 0x3D,
    equals = 0x49,
    strictEquals = 0x66,
    getMember = 0x4E,
    setMember = 0x4F,
    callMethod = 0x52,
    play = 0x06,
    stop = 0x07,
    gotoFrame = 0x81,
    gotoFrame2 = 0x9F,
    enumerate2 = 0x55,
    storeRegister = 0x87,
    jump = 0x99,
    ifTrue = 0x9D,
    setTarget = 0x8B,
    less2 = 0x48,
    logicalNot = 0x12,
    increment = 0x50,
};

QByteArray text(const char *s) { return QByteArray(s) + QByteArray(1, '\0'); }

Actions &say(Actions &a, const char *line) { return a.push(line).op(trace); }
Actions &sayVariable(Actions &a, const char *name) { return a.push(name).op(getVariable).op(trace); }
// trace(_name) of the current target.
Actions &sayTargetName(Actions &a) { return a.push("").push(13).op(getProperty).op(trace); }
// tellTarget(path) { trace(_name); }
Actions &sayNameAt(Actions &a, const char *path)
{
    a.op(setTarget, text(path));
    sayTargetName(a);
    return a.op(setTarget, text(""));
}
Actions &callOn(Actions &a, const char *object, const char *method, int args)
{
    return a.push(args).push(object).op(getVariable).push(method).op(callMethod).op(pop);
}
// A jump's or branch's offset.
QByteArray offset(qsizetype bytes)
{
    const auto value = quint16(qint16(bytes));
    QByteArray out(2, '\0');
    out[0] = char(value & 0xff);
    out[1] = char(value >> 8);
    return out;
}
// while (condition) { body }
Actions &whileLoop(Actions &a, const Actions &condition, const Actions &body)
{
    constexpr int branchSize = 5;
    const qsizetype loopSize = condition.code().size() + 1 + branchSize + body.code().size() + branchSize;
    a.then(condition).op(logicalNot).op(ifTrue, offset(body.code().size() + branchSize));
    return a.then(body).op(jump, offset(-loopSize));
}
// this.createEmptyMovieClip(name, depth)
Actions &makeEmpty(Actions &a, const char *name, int depth)
{
    a.push(depth).push(name);
    return callOn(a, "this", "createEmptyMovieClip", 2);
}

// An empty sprite 1, sprite 2 holding it as "b", and sprite 2 on the root
// as "a".
swftest::Movie nestedClips(int version = 7)
{
    swftest::Movie m(version, 100, 100);
    m.sprite(1, swftest::Movie(version, 1, 1).showFrame());
    m.sprite(2, swftest::Movie(version, 1, 1).placeNamed(1, 1, "b").showFrame());
    m.placeNamed(1, 2, "a");
    return m;
}

// What the movie traces as it loads and then runs `ticks` more ticks.
QStringList traceOf(const swftest::Movie &movie, int ticks = 0)
{
    MoviePlayer player;
    QStringList lines;
    player.setTraceSink([&lines](const QString &line) { lines << line; });
    if (!player.loadData(movie.fws()))
        return {u"not loaded"_s};
    for (int i = 0; i < ticks; ++i)
        player.tick();
    return lines;
}

} // namespace

class TestSwfPaths : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void slashColonAndDotPathsNameClipsAndTheirVariables()
    {
        swftest::Movie m = nestedClips();
        Actions a;
        sayVariable(a, "a/b");
        a.push("a/b:v").push(5).op(setVariable);
        sayVariable(a, "a.b.v");
        a.push("a:w").push("up").op(setVariable);
        sayVariable(a, "a/b/..:w");
        sayVariable(a, "/a/b:v");
        sayNameAt(a, "::a:b");
        sayNameAt(a, "a/b/..");
        sayNameAt(a, "a.b");
        // After a slash a dot is part of the name: there is no clip "a.b".
        sayNameAt(a, "/a.b");
        m.doAction(a.code()).showFrame();
        QCOMPARE(traceOf(m), (QStringList{u"_level0.a.b"_s, u"5"_s, u"up"_s, u"5"_s, u"b"_s, u"a"_s, u"b"_s,
                                        u"undefined"_s}));
    }

    void aNamedShapeStandsForTheClipHoldingIt()
    {
        // Shapes have no object of their own: a dot or colon path naming
        // one reaches the clip it lies in.
        swftest::Movie m = nestedClips();
        const QRect square(0, 0, 200, 200);
        m.shape(3, 1, square, {swftest::solidFill(Qt::red, false)}, {}, swftest::Edges().rect(square, 1).end());
        m.placeNamed(2, 3, "s");
        Actions a;
        a.push("v").push("on the root").op(setVariable);
        sayVariable(a, "s");
        sayVariable(a, "s.v");
        sayVariable(a, "s:v");
        a.push("s").op(getVariable).push("_xscale").push(50).op(setMember);
        a.push("").push(2).op(getProperty).op(trace);
        m.doAction(a.code()).showFrame();
        QCOMPARE(traceOf(m), (QStringList{u"_level0"_s, u"on the root"_s, u"on the root"_s, u"50"_s}));
    }

    void swf4PathsAreSlashPathsWithVariablesAfterAColon()
    {
        swftest::Movie m = nestedClips(4);
        Actions a;
        // Clips are no values in SWF 4.
        sayVariable(a, "a/b");
        a.push("a/b:v").push("set").op(setVariable);
        sayVariable(a, "/a/b/:v");
        sayVariable(a, "a/b.v");
        sayNameAt(a, "_level0/a/b");
        sayNameAt(a, "a:b");
        // A first step naming level 0 ends at the next slash.
        sayNameAt(a, "_level0:anything/a");
        sayNameAt(a, "_root/a");
        m.doAction(a.code()).showFrame();
        QCOMPARE(traceOf(m), (QStringList{u"undefined"_s, u"set"_s, u"undefined"_s, u"b"_s, u"undefined"_s, u"a"_s,
                                          u"undefined"_s}));
    }

    void pathStepsFindChildClipsBeforeVariablesOfTheSameName()
    {
        swftest::Movie m = nestedClips();
        Actions a;
        a.push("a").push("a variable").op(setVariable);
        sayVariable(a, "a");
        sayNameAt(a, "a");
        m.doAction(a.code()).showFrame();
        QCOMPARE(traceOf(m), (QStringList{u"a variable"_s, u"a"_s}));
    }

    void variablesOfATimelineHideItsPathNames()
    {
        // _root = "fake"; _global = "fake"; trace(_root); trace(_global); trace(a._root);
        swftest::Movie m = nestedClips();
        Actions a;
        a.push("_root").push("fake").op(setVariable).push("_global").push("fake").op(setVariable);
        sayVariable(a, "_root");
        sayVariable(a, "_global");
        a.push("a").op(getVariable).push("_root").op(getMember).op(trace);
        m.doAction(a.code()).showFrame();
        QCOMPARE(traceOf(m), (QStringList{u"fake"_s, u"fake"_s, u"_level0"_s}));
    }

    void pathNamesOfAPrototypeAreNotTheTimelines()
    {
        // MovieClip.prototype._parent = "bad"; the same for _root and
        // _global; then trace(_parent); trace(_root); trace(a._parent);
        // trace(_global == "bad");
        swftest::Movie m = nestedClips();
        Actions a;
        for (const char *name : {"_parent", "_root", "_global"})
            a.push("MovieClip").op(getVariable).push("prototype").op(getMember).push(name).push("bad").op(setMember);
        sayVariable(a, "_parent");
        sayVariable(a, "_root");
        a.push("a").op(getVariable).push("_parent").op(getMember).op(trace);
        a.push("_global").op(getVariable).push("bad").op(equals).op(trace);
        m.doAction(a.code()).showFrame();
        QCOMPARE(traceOf(m), (QStringList{u"undefined"_s, u"_level0"_s, u"_level0"_s, u"false"_s}));
    }

    void aClipsChildrenComeBeforeItsPropertiesAndPrototypes()
    {
        // A child named "_x" beside "a"; MovieClip.prototype.a = 2; then
        // trace(_root["_x"]); trace(_root.a); _root["_x"] = 42; trace(getProperty("", _x));
        swftest::Movie m = nestedClips();
        m.placeNamed(2, 1, "_x");
        Actions a;
        a.push("MovieClip").op(getVariable).push("prototype").op(getMember).push("a").push(2).op(setMember);
        a.push("_root").op(getVariable).push("_x").op(getMember).op(trace);
        a.push("_root").op(getVariable).push("a").op(getMember).op(trace);
        a.push("_root").op(getVariable).push("_x").push(42).op(setMember);
        a.push("").push(0).op(getProperty).op(trace);
        m.doAction(a.code()).showFrame();
        QCOMPARE(traceOf(m), (QStringList{u"_level0._x"_s, u"_level0.a"_s, u"42"_s}));
    }

    void anyNameOfALevelReadsItsLeadingDigits()
    {
        // _flash0, _level, _level0abc, _level4294967296 (wrapped to 0),
        // _level1 (none loaded), _root["_level-1"]; then a.getSWFVersion().
        swftest::Movie m = nestedClips();
        Actions a;
        for (const char *name : {"_flash0", "_level", "_level0abc", "_level4294967296", "_level1"})
            sayVariable(a, name);
        a.push("_root").op(getVariable).push("_level-1").op(getMember).op(trace);
        a.push(0).push("a").op(getVariable).push("getSWFVersion").op(callMethod).op(trace);
        m.doAction(a.code()).showFrame();
        QCOMPARE(traceOf(m), (QStringList{u"_level0"_s, u"_level0"_s, u"_level0"_s, u"_level0"_s, u"undefined"_s,
                                          u"undefined"_s, u"7"_s}));
    }

    void clipWithLockRootIsTheRootOfTheClipsInIt()
    {
        swftest::Movie m(7, 100, 100);
        m.sprite(1, swftest::Movie(7, 1, 1).showFrame());
        Actions second;
        second.push("_root").op(getVariable).push("_target").op(getMember).op(trace).op(stop);
        m.sprite(2, swftest::Movie(7, 1, 1).placeNamed(1, 1, "b").showFrame().doAction(second.code()).showFrame());
        m.placeNamed(1, 2, "a");
        Actions a;
        a.push("a").op(getVariable).push("_lockroot").push(1).op(setMember);
        a.push("a").op(getVariable).push("b").op(getMember).push("_root").op(getMember).push("_target").op(getMember);
        a.op(trace);
        a.push("_root").op(getVariable).push("_target").op(getMember).op(trace);
        m.doAction(a.code()).showFrame();
        QCOMPARE(traceOf(m, 1), (QStringList{u"/a"_s, u"/"_s, u"/a"_s}));
    }

    void tellTargetOfNoClipLeavesNoNameAndNoTimelineButTheRootsForAGotoByValue()
    {
        swftest::Movie m = nestedClips();
        Actions first;
        first.op(stop).op(setTarget, text("a/nothing"));
        sayTargetName(first);
        first.op(gotoFrame, QByteArray("\x02\x00", 2)).op(play);
        first.push(2).op(gotoFrame2, QByteArray(1, '\0')).op(setTarget, text(""));
        Actions second, third;
        say(second, "root frame 2").op(stop);
        say(third, "root frame 3").op(stop);
        m.doAction(first.code()).showFrame().doAction(second.code()).showFrame().doAction(third.code()).showFrame();
        QCOMPARE(traceOf(m, 2), (QStringList{u"undefined"_s, u"root frame 2"_s}));
    }

    void tellTargetOfAVariableHoldingARemovedClipLeavesPathsToTheRoot()
    {
        // gone = this.gone (a clip made, then removed); other._x = 30;
        // tellTarget("/gone") { trace(_name); trace(getProperty("other", _x));
        // setProperty("other", _y, 40); } trace(other._y);
        swftest::Movie m(7, 100, 100);
        Actions a;
        makeEmpty(a, "gone", 1);
        makeEmpty(a, "other", 2);
        a.push("gone").push("gone").op(getVariable).op(setVariable);
        a.push("other").op(getVariable).push("_x").push(30).op(setMember);
        callOn(a, "gone", "removeMovieClip", 0);
        a.op(setTarget, text("/gone"));
        sayTargetName(a);
        a.push("other").push(0).op(getProperty).op(trace);
        a.push("other").push(1).push(40).op(0x23);
        a.op(setTarget, text(""));
        a.push("other").op(getVariable).push("_y").op(getMember).op(trace);
        m.doAction(a.code()).showFrame();
        QCOMPARE(traceOf(m), (QStringList{u"undefined"_s, u"30"_s, u"40"_s}));
    }

    void tellTargetFromAScriptWhoseClipWasRemovedNamesNothing()
    {
        // Clip "a" sends the root to frame 2, which removes it, then to frame 3.
        swftest::Movie m(7, 100, 100);
        Actions inside;
        inside.op(setTarget, text("/")).op(gotoFrame, QByteArray("\x01\x00", 2)).op(setTarget, text(""));
        inside.op(setTarget, text("/")).op(gotoFrame, QByteArray("\x02\x00", 2)).op(setTarget, text(""));
        m.sprite(1, swftest::Movie(7, 1, 1).doAction(inside.code()).showFrame());
        Actions second, third;
        say(second, "root frame 2").op(stop);
        say(third, "root frame 3").op(stop);
        m.placeNamed(1, 1, "a").stopAction().showFrame();
        m.remove(1).doAction(second.code()).showFrame().doAction(third.code()).showFrame();
        QCOMPARE(traceOf(m, 2), QStringList{u"root frame 2"_s});
    }

    void scriptWhoseClipIsRemovedGoesOnUntilItsNextCall()
    {
        swftest::Movie m(7, 100, 100);
        Actions inside;
        say(inside, "start");
        inside.push("this").op(getVariable).op(removeSprite);
        say(inside, "still running");
        // Its variables now go to the root.
        inside.push("v").push("set after").op(setVariable);
        inside.push(0).push("noSuchFunction").op(callFunction).op(pop);
        say(inside, "never");
        m.sprite(3, swftest::Movie(7, 1, 1).doAction(inside.code()).showFrame());
        m.tag(56, swftest::Bits().u16(1).u16(3).bytes(text("s")).data());
        Actions first;
        first.push(1).push("c").push("s");
        callOn(first, "this", "attachMovie", 3);
        Actions second;
        sayVariable(second, "v").op(stop);
        m.doAction(first.code()).showFrame().doAction(second.code()).showFrame();
        QCOMPARE(traceOf(m, 1), (QStringList{u"start"_s, u"still running"_s, u"set after"_s}));
    }

    void clipOfARegisteredClassKnowsItsConstructor()
    {
        // function C() { trace(this.__constructor__ === C); }
        // Object.registerClass("s", C); attachMovie("s", "c", 1);
        // trace(c.__constructor__ === C);
        swftest::Movie m(7, 100, 100);
        m.sprite(3, swftest::Movie(7, 1, 1).showFrame());
        m.tag(56, swftest::Bits().u16(1).u16(3).bytes(text("s")).data());
        const auto isC = [](Actions &a, const char *object) {
            a.push(object).op(getVariable).push("__constructor__").op(getMember);
            return a.push("C").op(getVariable).op(strictEquals).op(trace);
        };
        Actions body;
        isC(body, "this");
        Actions a;
        a.function(body, "C");
        a.push("C").op(getVariable).push("s");
        callOn(a, "Object", "registerClass", 2);
        a.push(1).push("c").push("s");
        callOn(a, "this", "attachMovie", 3);
        isC(a, "c");
        m.doAction(a.code()).showFrame();
        QCOMPARE(traceOf(m), (QStringList{u"true"_s, u"true"_s}));
    }

    void superFindsNothingThroughAClip()
    {
        // o = {}; o.__proto__ = this; this.__constructor__ = function () {
        // trace("constructor"); }; this.m = ...; o.f = function () {
        // super(); super.m(); trace("after"); }; o.f();
        swftest::Movie m(7, 100, 100);
        Actions a;
        a.push("o").push(0).op(0x43).op(setVariable);
        a.push("o").op(getVariable).push("__proto__").push("this").op(getVariable).op(setMember);
        a.push("this").op(getVariable).push("__constructor__");
        a.function(Actions().push("constructor").op(trace)).op(setMember);
        a.push("this").op(getVariable).push("m").function(Actions().push("m").op(trace)).op(setMember);
        Actions f;
        f.push(0).push("super").op(callFunction).op(pop);
        f.push(0).push("super").op(getVariable).push("m").op(callMethod).op(pop);
        f.push("after").op(trace);
        a.push("o").op(getVariable).push("f").function(f).op(setMember);
        callOn(a, "o", "f", 0);
        m.doAction(a.code()).showFrame();
        QCOMPARE(traceOf(m), QStringList{u"after"_s});
    }

    void referenceToRemovedClipNamesTheClipMadeAtItsPath()
    {
        swftest::Movie m(7, 100, 100);
        Actions a;
        makeEmpty(a, "m", 1);
        a.push("kept").push("m").op(getVariable).op(setVariable);
        callOn(a, "m", "removeMovieClip", 0);
        makeEmpty(a, "m", 2);
        a.push("m").op(getVariable).push("k").push("new clip").op(setMember);
        a.push("kept").op(getVariable).push("k").op(getMember).op(trace);
        a.push("kept").op(getVariable).push("m").op(getVariable).op(equals).op(trace);
        makeEmpty(a, "other", 3);
        a.push("kept").op(getVariable).push("other").op(getVariable).op(equals).op(trace);
        m.doAction(a.code()).showFrame();
        QCOMPARE(traceOf(m), (QStringList{u"new clip"_s, u"true"_s, u"false"_s}));
    }

    void functionsRunOnTheTimelineTheirMoviesVersionGivesThem()
    {
        // MovieClip.prototype.where = function () { trace(_target); }; a.where();
        // A version 5 function runs on the clip it is called on, a later one
        // on the timeline that defined it.
        for (const int version : {5, 6}) {
            swftest::Movie m = nestedClips(version);
            Actions body;
            body.push("").push(11).op(getProperty).op(trace);
            Actions a;
            a.push("MovieClip").op(getVariable).push("prototype").op(getMember).push("where");
            a.function(body).op(setMember);
            callOn(a, "a", "where", 0);
            m.doAction(a.code()).showFrame();
            QCOMPARE(traceOf(m), QStringList{version == 5 ? u"/a"_s : u"/"_s});
        }
    }

    void functionOfARemovedClipRunsOnTheClipNowAtItsPath()
    {
        // Clip "a" defines _root.f = function () { trace(_target); }.
        swftest::Movie m(7, 100, 100);
        Actions body;
        body.push("").push(11).op(getProperty).op(trace);
        Actions define;
        define.push("_root").op(getVariable).push("f").function(body).op(setMember);
        m.sprite(1, swftest::Movie(7, 1, 1).doAction(define.code()).showFrame());
        m.placeNamed(1, 1, "a").showFrame();
        Actions call;
        callOn(call, "_root", "f", 0);
        m.doAction(call.code()).showFrame();
        // Gone with nothing at its path: on the timeline of `this`.
        Actions again = call;
        makeEmpty(again, "a", 5);
        again.then(call);
        m.remove(1).doAction(again.code()).stopAction().showFrame();
        QCOMPARE(traceOf(m, 2), (QStringList{u"/a"_s, u"/"_s, u"/a"_s}));
    }

    void scriptsRemoveOnlyClipsAtTheDepthsTheyMay()
    {
        // Timeline clips sit below script depths; script depths end a little
        // short of the deepest a clip can be made at.
        swftest::Movie m = nestedClips();
        Actions a;
        makeEmpty(a, "deepest", 2130690031);
        makeEmpty(a, "tooDeep", 2130690032);
        for (const char *name : {"a", "deepest", "tooDeep"}) {
            callOn(a, name, "removeMovieClip", 0);
            sayVariable(a, name);
        }
        m.doAction(a.code()).showFrame();
        QCOMPARE(traceOf(m), (QStringList{u"_level0.a"_s, u"undefined"_s, u"_level0.tooDeep"_s}));
    }

    void forInOverAClipNamesItsPropertiesThenItsObjectsFromTheTop()
    {
        // a.v = 1; makes "c" at depth 5 in a, beside "b" at depth 1, then
        // for (k in a) trace(k);
        swftest::Movie m = nestedClips();
        Actions a;
        a.push("a").op(getVariable).push("v").push(1).op(setMember);
        a.push(5).push("c").push(2).push("a").op(getVariable).push("createEmptyMovieClip").op(callMethod).op(pop);
        a.push("a").op(getVariable).op(enumerate2);
        Actions loop;
        // r0 = next name; if (r0 == null) leave (over 11 bytes); trace(r0);
        // back 25 bytes to the loop's start.
        loop.op(storeRegister, QByteArray(1, '\0')).pushNull().op(equals).op(ifTrue, QByteArray("\x0b\x00", 2));
        loop.pushRegister(0).op(trace).op(jump, QByteArray("\xe7\xff", 2));
        m.doAction(a.then(loop).code()).showFrame();
        QCOMPARE(traceOf(m), (QStringList{u"v"_s, u"c"_s, u"b"_s}));
    }

    void clipsStandForTheirPathWhateverTheirToStringSays()
    {
        // trace(a.toString()); MovieClip.prototype.toString = function ()
        // { return "custom"; }; trace(a); trace(a.toString()); trace("" + a);
        swftest::Movie m = nestedClips();
        Actions a;
        a.push(0).push("a").op(getVariable).push("toString").op(callMethod).op(trace);
        a.push("MovieClip").op(getVariable).push("prototype").op(getMember).push("toString");
        a.function(Actions().push("custom").op(0x3E)).op(setMember);
        sayVariable(a, "a");
        a.push(0).push("a").op(getVariable).push("toString").op(callMethod).op(trace);
        a.push("").push("a").op(getVariable).op(0x47).op(trace);
        m.doAction(a.code()).showFrame();
        QCOMPARE(traceOf(m), (QStringList{u"[object Object]"_s, u"_level0.a"_s, u"custom"_s, u"_level0.a"_s}));
    }

    void objectAtADepthIsItsOwnOrTheClipHoldingIt()
    {
        // Clip "a" at depth 1, a shape at 2, nothing at 3, an unnamed text
        // field at 4: _root.getInstanceAtDepth(depth - 16384) for each.
        swftest::Movie m = nestedClips();
        const QRect square(0, 0, 200, 200);
        m.shape(3, 1, square, {swftest::solidFill(Qt::red, false)}, {}, swftest::Edges().rect(square, 1).end());
        m.place(2, 3);
        m.tag(37, swftest::Bits().u16(4).rect(QRect(0, 0, 400, 200)).u8(0).u8(0).u8(0).data());
        m.place(4, 4);
        Actions a;
        for (const int depth : {1, 2, 3, 4})
            a.push(depth - 16384).push(1).push("_root").op(getVariable).push("getInstanceAtDepth").op(callMethod).op(trace);
        m.doAction(a.code()).showFrame();
        QCOMPARE(traceOf(m), (QStringList{u"_level0.a"_s, u"_level0"_s, u"undefined"_s, u"_level0.instance1"_s}));
    }

    void clipsPlacedWithoutANameAreNumberedButAnEmptyNameIsOne()
    {
        // Sprites at depths 1 to 3, placed with no name, an empty name and
        // no name: trace(_root.getInstanceAtDepth(depth - 16384)._name).
        swftest::Movie m(7, 100, 100);
        m.sprite(1, swftest::Movie(7, 1, 1).showFrame());
        m.place(1, 1).placeNamed(2, 1, "").place(3, 1);
        Actions a;
        for (const int depth : {1, 2, 3}) {
            a.push(depth - 16384).push(1).push("_root").op(getVariable).push("getInstanceAtDepth").op(callMethod);
            a.push("_name").op(getMember).op(trace);
        }
        m.doAction(a.code()).showFrame();
        QCOMPARE(traceOf(m), (QStringList{u"instance1"_s, u""_s, u"instance2"_s}));
    }

    void aClipMadeEmptyRunsItsOnConstructAtOnce()
    {
        // MovieClip.prototype.onConstruct = function () { trace(this); throw "inside"; };
        // this.createEmptyMovieClip("e", 1); trace("after");
        swftest::Movie m(7, 100, 100);
        Actions body;
        body.push("this").op(getVariable).op(trace).push("inside").op(0x2A);
        Actions a;
        a.push("MovieClip").op(getVariable).push("prototype").op(getMember).push("onConstruct");
        a.function(body).op(setMember);
        makeEmpty(a, "e", 1);
        say(a, "after");
        m.doAction(a.code()).showFrame();
        QCOMPARE(traceOf(m), (QStringList{u"_level0.e"_s, u"Warning: Uncaught exception, inside"_s, u"after"_s}));
    }

    void theLastExportOfANameIsTheOneAttached()
    {
        // Sprite 1 of one frame exported as "Twin", sprite 2 of two frames
        // then as "twin"; attachMovie("twin", "t", 1); trace(t._totalframes);
        swftest::Movie m(7, 100, 100);
        m.sprite(1, swftest::Movie(7, 1, 1).showFrame());
        m.tag(56, swftest::Bits().u16(1).u16(1).bytes(text("Twin")).data());
        m.sprite(2, swftest::Movie(7, 1, 1).showFrame().showFrame());
        m.tag(56, swftest::Bits().u16(1).u16(2).bytes(text("twin")).data());
        Actions a;
        a.push(1).push("t").push("twin");
        callOn(a, "this", "attachMovie", 3);
        a.push("t").op(getVariable).push("_totalframes").op(getMember).op(trace);
        m.doAction(a.code()).showFrame();
        QCOMPARE(traceOf(m), QStringList{u"2"_s});
    }

    void twoClipsOfOnePathAreTheSameClipToScripts()
    {
        swftest::Movie m(7, 100, 100);
        Actions a;
        makeEmpty(a, "twin", 1);
        makeEmpty(a, "twin", 2);
        for (const int depth : {1, 2})
            a.push(depth).push(1).push("this").op(getVariable).push("getInstanceAtDepth").op(callMethod);
        a.op(strictEquals).op(trace);
        m.doAction(a.code()).showFrame();
        QCOMPARE(traceOf(m), QStringList{u"true"_s});
    }

    void clipsNestAQuarterOfAThousandDeepAtMost()
    {
        // mc = this; i = 0; while (i < 1000) { mc = mc.createEmptyMovieClip("a", 1); i++; }
        // n = 0; c = a; while (c != null) { n++; c = c.a; } trace(n);
        // On its second run the frame makes the chain again in place of the
        // first, which goes as a whole.
        Actions a;
        a.push("mc").push("this").op(getVariable).op(setVariable).push("i").push(0).op(setVariable);
        Actions below;
        below.push(1).push("a").push(2).push("mc").op(getVariable).push("createEmptyMovieClip").op(callMethod);
        Actions nest;
        nest.push("mc").then(below).op(setVariable).push("i").push("i").op(getVariable).op(increment).op(setVariable);
        Actions fewer;
        fewer.push("i").op(getVariable).push(1000).op(less2);
        whileLoop(a, fewer, nest);
        a.push("n").push(0).op(setVariable).push("c").push("a").op(getVariable).op(setVariable);
        Actions more;
        more.push("c").op(getVariable).pushNull().op(equals).op(logicalNot);
        Actions count;
        count.push("n").push("n").op(getVariable).op(increment).op(setVariable);
        count.push("c").push("c").op(getVariable).push("a").op(getMember).op(setVariable);
        whileLoop(a, more, count);
        a.push("n").op(getVariable).op(trace);
        swftest::Movie m(7, 100, 100);
        m.doAction(a.code()).showFrame().showFrame();
        QCOMPARE(traceOf(m, 2), (QStringList{u"256"_s, u"256"_s}));
    }
};

QTEST_GUILESS_MAIN(TestSwfPaths)
#include "tst_swfpaths.moc"
