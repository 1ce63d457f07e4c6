// Built-in classes that reach the player: intervals on its clock, dates in
// local time and UTC, the Stage, Color on a clip's colour transform, what
// System.capabilities says, and bitmaps (BitmapData) with their pixels;
// and the broadcasters that Stage, Mouse and Key are.

#include "swf/avm1/builtins.h"
#include "swf/avm1/vm.h"

#include <QTest>

#include <cmath>
#include <map>

using namespace sky::swf::avm1;

namespace {

// A player whose clock, window and clips' colours the test sets.
class ClassesHost : public Host {
public:
    QStringList lines;
    double now = 0;
    double date = 0;
    QSizeF stage{550, 400};
    QSizeF view{550, 400};
    std::map<int, ClipColor> colors;

    void trace(const QString &text) override { lines << text; }
    void fsCommand(const QString &, const QString &) override { }
    double time() override { return now; }
    double dateNow() override { return date; }
    QSizeF stageSize() override { return stage; }
    QSizeF viewSize() override { return view; }
    ClipColor clipColor(int clip) override { return colors[clip]; }
    void setClipColor(int clip, const ClipColor &color) override { colors[clip] = color; }
};

// Traces its arguments, and `this`'s name when it has one.
Value record(Vm &vm, CallInfo &c)
{
    QStringList parts;
    if (c.self.isObject())
        parts << vm.toString(vm.get(c.self.object, QStringLiteral("name")));
    for (const Value &v : c.args)
        parts << vm.toString(v);
    vm.host()->trace(parts.join(u','));
    return {};
}

Value callGlobal(Vm &vm, const char *name, std::initializer_list<Value> args)
{
    const std::vector<Value> list(args);
    return vm.call(vm.get(vm.global, QString::fromLatin1(name)), Value(), list);
}

Value callMethod(Vm &vm, const Value &self, const char *name, std::initializer_list<Value> args = {})
{
    const std::vector<Value> list(args);
    return vm.call(vm.getMember(self, QString::fromLatin1(name)), self, list);
}

Value construct(Vm &vm, const char *name, std::initializer_list<Value> args = {})
{
    const std::vector<Value> list(args);
    return vm.construct(vm.get(vm.global, QString::fromLatin1(name)), list);
}

// A new flash.<package>.<name>.
Value newFlash(Vm &vm, const char *package, const char *name, std::initializer_list<Value> args)
{
    const std::vector<Value> list(args);
    const Value in = vm.getMember(vm.get(vm.global, QStringLiteral("flash")), QString::fromLatin1(package));
    return vm.construct(vm.getMember(in, QString::fromLatin1(name)), list);
}

Value newBitmap(Vm &vm, std::initializer_list<Value> args) { return newFlash(vm, "display", "BitmapData", args); }

quint32 pixel32(Vm &vm, const Value &bitmap, int x, int y)
{
    return quint32(vm.toInt32(callMethod(vm, bitmap, "getPixel32", {x, y})));
}

double widthOf(Vm &vm, const Value &bitmap) { return vm.toNumber(vm.getMember(bitmap, QStringLiteral("width"))); }

// Runs what is due before `to`, as the end of a frame does, and moves the
// clock there; each call is followed by an "after" line.
void advance(Vm &vm, ClassesHost &host, double to)
{
    vm.beginFrame();
    runIntervals(vm, to, [&host] { host.lines << QStringLiteral("after"); });
    host.now = to;
}

QStringList calls(const ClassesHost &host)
{
    QStringList made = host.lines;
    made.removeAll(QStringLiteral("after"));
    return made;
}

} // namespace

class TestAvm1Classes : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void intervalsRunOnThePlayersClock();
    void intervalsRunInTheOrderTheyFallDue();
    void intervalsCallObjectMethodsAndStopWhenCleared();
    void datesReadAndSetLocalTimeAndUtc();
    void datesFromTheConstructorsArguments();
    void invalidDatesStayInvalid();
    void stageFollowsTheWindowOnlyWithoutScaling();
    void colorActsOnTheClipsTransform();
    void capabilitiesNameThisPlayer();
    void broadcastersHoldEachListenerOnceByEquality();
    void geometryFieldsComeFromTheArgumentsGiven();
    void bitmapsKeepColoursUnderTheirAlpha();
    void bitmapsCopyLayingOverOrReplacing();
    void bitmapsRefusedOrOverBudgetHaveNoPixels();
    void pixelDissolveReachesEachPixelOnce();
};

void TestAvm1Classes::initTestCase()
{
    // Local time is the system's: a zone without summer time, half an hour
    // off the hour.
    qputenv("TZ", "Asia/Kolkata");
}

void TestAvm1Classes::intervalsRunOnThePlayersClock()
{
    ClassesHost host;
    Vm vm(8, &host);
    const Value f = vm.newNative(record);
    QCOMPARE(callGlobal(vm, "setInterval", {f, 100, QStringLiteral("a"), 1}).number, 1.0);
    // Due at 100: not yet by a frame ending at 100, by one just past it.
    advance(vm, host, 100);
    QVERIFY(host.lines.isEmpty());
    advance(vm, host, 101);
    QCOMPARE(host.lines, (QStringList{QStringLiteral("a,1"), QStringLiteral("after")}));
    // Two periods went by since: two calls.
    advance(vm, host, 320);
    QCOMPARE(calls(host).size(), 3);
    // A movie that fell far behind does not call it endlessly.
    QCOMPARE(callGlobal(vm, "setInterval", {f, 1}).number, 2.0);
    host.lines.clear();
    advance(vm, host, 100000);
    QVERIFY(calls(host).size() <= 20);
    host.lines.clear();
    advance(vm, host, 100011);
    QCOMPARE(calls(host), QStringList{QString()});
    // Without a period, or with no function, there is no interval.
    QVERIFY(callGlobal(vm, "setInterval", {f}).isUndefined());
    QVERIFY(callGlobal(vm, "setInterval", {f, Value(), QStringLiteral("b")}).isUndefined());
    QVERIFY(callGlobal(vm, "setTimeout", {QStringLiteral("tick"), 30}).isUndefined());
}

void TestAvm1Classes::intervalsRunInTheOrderTheyFallDue()
{
    ClassesHost host;
    Vm vm(8, &host);
    const Value f = vm.newNative(record);
    // Set in the opposite order to when they fall due; a period of a
    // fraction is cut to whole milliseconds.
    callGlobal(vm, "setInterval", {f, 30.9, QStringLiteral("slow")});
    callGlobal(vm, "setTimeout", {f, 20, QStringLiteral("once")});
    callGlobal(vm, "setInterval", {f, 10, QStringLiteral("fast")});
    advance(vm, host, 65);
    QCOMPARE(calls(host), (QStringList{QStringLiteral("fast"), QStringLiteral("once"), QStringLiteral("fast"),
                                       QStringLiteral("slow"), QStringLiteral("fast"), QStringLiteral("fast"),
                                       QStringLiteral("fast"), QStringLiteral("slow"), QStringLiteral("fast")}));
    QCOMPARE(host.lines.count(QStringLiteral("after")), 9);
}

void TestAvm1Classes::intervalsCallObjectMethodsAndStopWhenCleared()
{
    ClassesHost host;
    Vm vm(8, &host);
    Object *o = vm.newPlain();
    vm.set(o, QStringLiteral("name"), QStringLiteral("o"));
    vm.set(o, QStringLiteral("tick"), vm.newNative(record));
    const Value id = callGlobal(vm, "setInterval", {o, QStringLiteral("tick"), 30, QStringLiteral("x")});
    QVERIFY(callGlobal(vm, "setInterval", {o, QStringLiteral("tick")}).isUndefined());
    advance(vm, host, 31);
    QCOMPARE(calls(host), QStringList{QStringLiteral("o,x")});
    // The method is looked up at every call.
    vm.set(o, QStringLiteral("tick"), Value());
    advance(vm, host, 61);
    QCOMPARE(calls(host).size(), 1);
    vm.set(o, QStringLiteral("tick"), vm.newNative(record));
    callGlobal(vm, "clearInterval", {id});
    advance(vm, host, 1000);
    QCOMPARE(calls(host).size(), 1);
    // A timeout is called once, when its time has come; one cleared first
    // never is.
    callGlobal(vm, "setTimeout", {o, QStringLiteral("tick"), 50, QStringLiteral("y")});
    const Value cleared = callGlobal(vm, "setTimeout", {o, QStringLiteral("tick"), 50, QStringLiteral("z")});
    callGlobal(vm, "clearTimeout", {cleared});
    advance(vm, host, 1050);
    QCOMPARE(calls(host).size(), 1);
    advance(vm, host, 1051);
    QCOMPARE(calls(host), (QStringList{QStringLiteral("o,x"), QStringLiteral("o,y")}));
    advance(vm, host, 5000);
    QCOMPARE(calls(host).size(), 2);
}

void TestAvm1Classes::datesReadAndSetLocalTimeAndUtc()
{
    ClassesHost host;
    Vm vm(8, &host);
    const Value d = construct(vm, "Date", {2000, 0, 1});
    QCOMPARE(callMethod(vm, d, "getTime").number, 946665000000.0);
    QCOMPARE(callMethod(vm, d, "getHours").number, 0.0);
    QCOMPARE(callMethod(vm, d, "getDay").number, 6.0);
    QCOMPARE(callMethod(vm, d, "getUTCDate").number, 31.0);
    QCOMPARE(callMethod(vm, d, "getUTCHours").number, 18.0);
    QCOMPARE(callMethod(vm, d, "getUTCMinutes").number, 30.0);
    QCOMPARE(callMethod(vm, d, "getUTCDay").number, 5.0);
    QCOMPARE(callMethod(vm, d, "getYear").number, 100.0);
    QCOMPARE(callMethod(vm, d, "getTimezoneOffset").number, -330.0);
    QCOMPARE(vm.toString(d), QStringLiteral("Sat Jan 1 00:00:00 GMT+0530 2000"));
    // Fields past their range carry over; the others stay.
    callMethod(vm, d, "setMonth", {13});
    callMethod(vm, d, "setHours", {25, 5});
    QCOMPARE(vm.toString(d), QStringLiteral("Fri Feb 2 01:05:00 GMT+0530 2001"));
    // 19:35 UTC the day before, now 0:35 UTC.
    callMethod(vm, d, "setUTCHours", {0});
    QCOMPARE(callMethod(vm, d, "getHours").number, 6.0);
    QCOMPARE(callMethod(vm, d, "getMinutes").number, 5.0);
    callMethod(vm, d, "setYear", {99});
    QCOMPARE(callMethod(vm, d, "getFullYear").number, 1999.0);
    QCOMPARE(callMethod(vm, d, "setTime", {0.5}).number, 0.0);
    QCOMPARE(vm.toNumber(d), 0.0);
}

void TestAvm1Classes::datesFromTheConstructorsArguments()
{
    ClassesHost host;
    host.date = 1234567890123.7;
    Vm vm(8, &host);
    QCOMPARE(callMethod(vm, construct(vm, "Date"), "getTime").number, 1234567890123.0);
    QCOMPARE(callMethod(vm, construct(vm, "Date", {86400000}), "getUTCDate").number, 2.0);
    // Two-digit years are the 1900s; a month past December is next year's.
    QCOMPARE(callMethod(vm, construct(vm, "Date", {99, 12, 1}), "getFullYear").number, 2000.0);
    const Value utc = vm.call(vm.get(vm.get(vm.global, QStringLiteral("Date")).object, QStringLiteral("UTC")), Value(),
                              std::vector<Value>{99, 11, 31, 23, 59, 59, 999});
    QCOMPARE(utc.number, 946684799999.0);
    // Called as a function: the date now as text.
    QCOMPARE(vm.toString(callGlobal(vm, "Date", {})), QStringLiteral("Sat Feb 14 05:01:30 GMT+0530 2009"));
}

void TestAvm1Classes::invalidDatesStayInvalid()
{
    ClassesHost host;
    Vm vm(8, &host);
    const Value d = construct(vm, "Date", {std::nan("")});
    QCOMPARE(vm.toString(d), QStringLiteral("Invalid Date"));
    QVERIFY(std::isnan(callMethod(vm, d, "getMonth").number));
    QVERIFY(std::isnan(callMethod(vm, d, "setMonth", {1}).number));
    QVERIFY(std::isnan(callMethod(vm, construct(vm, "Date", {1e300}), "getTime").number));
    QVERIFY(std::isnan(callMethod(vm, construct(vm, "Date", {1e300, 0}), "getTime").number));
    QVERIFY(std::isnan(callMethod(vm, construct(vm, "Date", {2000, 1e300}), "getTime").number));
    // Setting the year starts an invalid date at its first local midnight.
    callMethod(vm, d, "setFullYear", {2001});
    QCOMPARE(vm.toString(d), QStringLiteral("Mon Jan 1 00:00:00 GMT+0530 2001"));
}

void TestAvm1Classes::stageFollowsTheWindowOnlyWithoutScaling()
{
    ClassesHost host;
    Vm vm(8, &host);
    Object *stage = vm.get(vm.global, QStringLiteral("Stage")).object;
    Object *listener = vm.newPlain();
    vm.set(listener, QStringLiteral("name"), QStringLiteral("listener"));
    vm.set(listener, QStringLiteral("onResize"), vm.newNative(record));
    callMethod(vm, stage, "addListener", {listener});
    host.view = QSizeF(800, 600);
    stageResized(vm);
    QCOMPARE(vm.get(stage, QStringLiteral("width")).number, 550.0);
    QVERIFY(host.lines.isEmpty());
    vm.set(stage, QStringLiteral("scaleMode"), QStringLiteral("noScale"));
    stageResized(vm);
    QCOMPARE(host.lines, QStringList{QStringLiteral("listener")});
    QCOMPARE(vm.get(stage, QStringLiteral("width")).number, 800.0);
    QCOMPARE(vm.get(stage, QStringLiteral("height")).number, 600.0);
    // The size is the player's to say.
    vm.set(stage, QStringLiteral("width"), 10);
    QCOMPARE(vm.get(stage, QStringLiteral("width")).number, 800.0);
}

void TestAvm1Classes::colorActsOnTheClipsTransform()
{
    ClassesHost host;
    Vm vm(8, &host);
    Object *clip = vm.newObject(vm.clipProto, ObjectKind::Clip);
    clip->clip = 7;
    const Value color = construct(vm, "Color", {clip});
    callMethod(vm, color, "setRGB", {0x336699});
    QCOMPARE(host.colors[7].mul, (std::array<double, 4>{0, 0, 0, 1}));
    QCOMPARE(host.colors[7].add, (std::array<double, 4>{0x33, 0x66, 0x99, 0}));
    QCOMPARE(callMethod(vm, color, "getRGB").number, double(0x336699));
    // Only the fields given change.
    Object *t = vm.newPlain();
    vm.set(t, QStringLiteral("ra"), 50);
    vm.set(t, QStringLiteral("ab"), -20);
    callMethod(vm, color, "setTransform", {t});
    const Value read = callMethod(vm, color, "getTransform");
    QCOMPARE(vm.get(read.object, QStringLiteral("ra")).number, 50.0);
    QCOMPARE(vm.get(read.object, QStringLiteral("gb")).number, double(0x66));
    QCOMPARE(vm.get(read.object, QStringLiteral("aa")).number, 100.0);
    QCOMPARE(vm.get(read.object, QStringLiteral("ab")).number, -20.0);
    // The clip keeps 8.8 multipliers and 16-bit offsets, wrapping round;
    // inherited fields and what is no finite number count for nothing.
    vm.set(vm.objectProto, QStringLiteral("ab"), 99);
    vm.set(t, QStringLiteral("ra"), 1);
    vm.set(t, QStringLiteral("ga"), 12800);
    vm.set(t, QStringLiteral("ba"), QStringLiteral("Infinity"));
    vm.set(t, QStringLiteral("rb"), -40000);
    vm.remove(t, QStringLiteral("ab"));
    callMethod(vm, color, "setTransform", {t});
    QCOMPARE(host.colors[7].mul, (std::array<double, 4>{2 / 256.0, -128, 0, 1}));
    QCOMPARE(host.colors[7].add, (std::array<double, 4>{25536, 0x66, 0x99, -20}));
    // Negative offsets spill into the bits above them.
    vm.set(t, QStringLiteral("rb"), -50);
    vm.set(t, QStringLiteral("gb"), -25);
    vm.set(t, QStringLiteral("bb"), 25);
    callMethod(vm, color, "setTransform", {t});
    QCOMPARE(callMethod(vm, color, "getRGB").number, -6375.0);
    QCOMPARE(vm.get(color.object, QStringLiteral("target")).object, clip);
    // Without a clip there is nothing to colour; an empty path names none.
    QVERIFY(callMethod(vm, construct(vm, "Color", {QStringLiteral("nowhere")}), "getRGB").isUndefined());
    QVERIFY(callMethod(vm, construct(vm, "Color", {QString()}), "getRGB").isUndefined());
}

void TestAvm1Classes::capabilitiesNameThisPlayer()
{
    ClassesHost host;
    Vm vm(8, &host);
    const Value caps = vm.getMember(vm.get(vm.global, QStringLiteral("System")), QStringLiteral("capabilities"));
    QCOMPARE(vm.toString(vm.getMember(caps, QStringLiteral("os"))), QStringLiteral("Linux"));
    const QString version = vm.toString(vm.getMember(caps, QStringLiteral("version")));
    QVERIFY(version.startsWith(QStringLiteral("LNX ")));
    QCOMPARE(vm.toString(vm.get(vm.global, QStringLiteral("$version"))), version);
    QCOMPARE(vm.toString(callGlobal(vm, "getVersion", {})), version);
    host.view = QSizeF(1024, 768);
    QCOMPARE(vm.toNumber(vm.getMember(caps, QStringLiteral("screenResolutionX"))), 1024.0);
    // Its input method editor, though there is none, takes listeners.
    const Value ime = vm.getMember(vm.get(vm.global, QStringLiteral("System")), QStringLiteral("IME"));
    const Value add = vm.getMember(vm.get(vm.global, QStringLiteral("AsBroadcaster")), QStringLiteral("addListener"));
    QVERIFY(add.isObject());
    QCOMPARE(vm.getMember(ime, QStringLiteral("addListener")).object, add.object);
}

void TestAvm1Classes::broadcastersHoldEachListenerOnceByEquality()
{
    ClassesHost host;
    Vm vm(8, &host);
    const Value b = vm.newPlain();
    callMethod(vm, vm.get(vm.global, QStringLiteral("AsBroadcaster")), "initialize", {b});
    const auto listeners = [&] { return vm.toString(vm.getMember(b, QStringLiteral("_listeners"))); };
    // null == undefined: adding one replaces the other in its place.
    callMethod(vm, b, "addListener", {Value()});
    callMethod(vm, b, "addListener", {Value::null()});
    callMethod(vm, b, "addListener", {false});
    QCOMPARE(listeners(), QStringLiteral("null,false"));
    QVERIFY(vm.toBoolean(callMethod(vm, b, "removeListener", {Value()})));
    QCOMPARE(listeners(), QStringLiteral("false"));
    QVERIFY(!vm.toBoolean(callMethod(vm, b, "removeListener", {Value::null()})));
    // An empty message calls each listener itself.
    Object *f = vm.newNative(record);
    vm.set(f, QStringLiteral("name"), QStringLiteral("f"));
    callMethod(vm, b, "addListener", {f});
    callMethod(vm, b, "broadcastMessage", {QString(), 1});
    QCOMPARE(host.lines, QStringList{QStringLiteral("f,1")});
}

void TestAvm1Classes::geometryFieldsComeFromTheArgumentsGiven()
{
    ClassesHost host;
    Vm vm(8, &host);
    auto field = [&](const Value &o, const char *name) { return vm.toString(vm.getMember(o, QString::fromLatin1(name))); };
    // A missing argument leaves its field undefined; a Matrix sets only
    // the fields given; no arguments at all give the defaults.
    const Value point = newFlash(vm, "geom", "Point", {1});
    QCOMPARE(field(point, "y"), QStringLiteral("undefined"));
    const Value matrix = newFlash(vm, "geom", "Matrix", {2, 3});
    QCOMPARE(field(matrix, "b"), QStringLiteral("3"));
    QVERIFY(!vm.has(matrix.object, QStringLiteral("c")));
    QCOMPARE(field(newFlash(vm, "geom", "Matrix", {}), "d"), QStringLiteral("1"));
    // Matrix.call(m, 2, 3) fills in m as `new` would; ColorTransform,
    // built natively, does nothing unless constructing.
    const Value geom = vm.getMember(vm.get(vm.global, QStringLiteral("flash")), QStringLiteral("geom"));
    const Value m = vm.newPlain();
    const Value args[] = {2, 3};
    vm.call(vm.getMember(geom, QStringLiteral("Matrix")), m, args);
    QCOMPARE(field(m, "a") + field(m, "b"), QStringLiteral("23"));
    vm.call(vm.getMember(geom, QStringLiteral("ColorTransform")), m, args);
    QCOMPARE(field(m, "redMultiplier"), QStringLiteral("undefined"));
    QCOMPARE(field(newFlash(vm, "geom", "ColorTransform", {2}), "redMultiplier"), QStringLiteral("1"));
}

// Values the original player reads back from the same calls.
void TestAvm1Classes::bitmapsKeepColoursUnderTheirAlpha()
{
    ClassesHost host;
    Vm vm(8, &host);
    const Value translucent = newBitmap(vm, {5, 5, true, 0x45112233});
    QCOMPARE(pixel32(vm, translucent, 2, 2), 0x45122134u);
    QCOMPARE(pixel32(vm, translucent, 5, 0), 0u); // outside
    callMethod(vm, translucent, "setPixel32", {1, 1, qint32(0x80AABBCCu)});
    QCOMPARE(pixel32(vm, translucent, 1, 1), 0x80A9BBCBu);
    // setPixel keeps the pixel's alpha; an opaque bitmap has no other.
    callMethod(vm, translucent, "setPixel", {1, 1, 0x0000FF});
    QCOMPARE(pixel32(vm, translucent, 1, 1), 0x800000FFu);
    const Value opaque = newBitmap(vm, {2, 2, false, qint32(0x80020406u)});
    QCOMPARE(pixel32(vm, opaque, 0, 0), 0xFF020406u);
    QCOMPARE(vm.toBoolean(vm.getMember(opaque, QStringLiteral("transparent"))), false);

    // A colour transform takes each colour out of its alpha and puts it
    // back: an opaque pixel loses a level; raising alpha alone is left out.
    const Value grey = newBitmap(vm, {1, 1, true, qint32(0xFF808080u)});
    const Value area = vm.getMember(grey, QStringLiteral("rectangle"));
    callMethod(vm, grey, "colorTransform", {area, newFlash(vm, "geom", "ColorTransform", {0.5, 1, 1, 1, 0, 0, 0, 0})});
    QCOMPARE(pixel32(vm, grey, 0, 0), 0xFF3F7F7Fu);
    const Value faint = newBitmap(vm, {1, 1, true, 0x20FF0000});
    const quint32 before = pixel32(vm, faint, 0, 0);
    callMethod(vm, faint, "colorTransform", {area, newFlash(vm, "geom", "ColorTransform", {1, 1, 1, 2, 0, 0, 0, 0})});
    QCOMPARE(pixel32(vm, faint, 0, 0), before);
}

void TestAvm1Classes::bitmapsCopyLayingOverOrReplacing()
{
    ClassesHost host;
    Vm vm(8, &host);
    const Value origin = newFlash(vm, "geom", "Point", {0, 0});
    const Value one = newFlash(vm, "geom", "Rectangle", {0, 0, 1, 1});
    // Laid over a translucent pixel with mergeAlpha; replacing it without.
    const Value target = newBitmap(vm, {2, 1, true, 0x45112233});
    const Value source = newBitmap(vm, {1, 1, true, 0x22445566});
    callMethod(vm, target, "copyPixels", {source, one, origin, Value(), Value(), true});
    QCOMPARE(pixel32(vm, target, 0, 0), 0x5D243147u);
    callMethod(vm, target, "copyPixels", {source, one, newFlash(vm, "geom", "Point", {1, 0}), Value(), Value(), false});
    QCOMPARE(pixel32(vm, target, 1, 0), pixel32(vm, source, 0, 0));
    // An opaque bitmap has no alpha to take: the copy is laid over it.
    const Value black = newBitmap(vm, {1, 1, false, 0});
    callMethod(vm, black, "copyPixels", {newBitmap(vm, {1, 1, true, qint32(0xF00E0E0Eu)}), one, origin});
    QCOMPARE(pixel32(vm, black, 0, 0), 0xFF0D0D0Du);
    // A transparent alpha bitmap copies only where it lies, faded by it.
    const Value white = newBitmap(vm, {2, 1, true, 0});
    const Value half = newBitmap(vm, {1, 1, true, qint32(0x80000000u)});
    const Value box = newFlash(vm, "geom", "Rectangle", {0, 0, 2, 1});
    callMethod(vm, white, "copyPixels", {newBitmap(vm, {2, 1, false, 0xFFFFFF}), box, origin, half, origin, false});
    QCOMPARE(pixel32(vm, white, 0, 0), 0x80FFFFFFu);
    QCOMPARE(pixel32(vm, white, 1, 0), 0u);
    // A translucent source's alpha is multiplied over 256 and cut (170 x
    // 102 gives 67, not 68); its colour is put back under the new alpha.
    callMethod(vm, white, "copyPixels", {newBitmap(vm, {1, 1, true, qint32(0xAA2288DDu)}), one, origin,
                                         newBitmap(vm, {1, 1, true, 0x66000000}), origin, false});
    QCOMPARE(pixel32(vm, white, 0, 0), 0x432289DDu);
    // A rectangle reaching back from its corner still covers its area.
    callMethod(vm, white, "fillRect", {newFlash(vm, "geom", "Rectangle", {2, 1, -1, -1}), qint32(0xFF00FF00u)});
    QCOMPARE(pixel32(vm, white, 1, 0), 0xFF00FF00u);
}

void TestAvm1Classes::bitmapsRefusedOrOverBudgetHaveNoPixels()
{
    ClassesHost host;
    Vm vm(8, &host);
    // Flash 8 takes 1 to 2880 pixels a side.
    QCOMPARE(widthOf(vm, newBitmap(vm, {0, 10})), -1.0);
    QCOMPARE(widthOf(vm, newBitmap(vm, {2881, 10})), -1.0);
    QCOMPARE(widthOf(vm, newBitmap(vm, {2880, 1})), 2880.0);
    // Bitmaps alive share one budget of pixels: past it a bitmap is not
    // made, and a disposed one gives its pixels back.
    std::vector<Value> kept;
    Value refused;
    for (int i = 0; i < 8 && refused.isUndefined(); ++i) {
        const Value big = newBitmap(vm, {2880, 2880});
        if (widthOf(vm, big) < 0)
            refused = big;
        else
            kept.push_back(big);
    }
    QVERIFY(!refused.isUndefined());
    QCOMPARE(vm.toInt32(callMethod(vm, refused, "getPixel", {0, 0})), -1);
    callMethod(vm, refused, "fillRect", {newFlash(vm, "geom", "Rectangle", {0, 0, 5, 5}), 0});
    callMethod(vm, kept.front(), "dispose");
    QCOMPARE(widthOf(vm, kept.front()), -1.0);
    QCOMPARE(widthOf(vm, newBitmap(vm, {2880, 2880})), 2880.0);
}

// The order pixels dissolve in covers the area without repeating itself,
// across calls that hand on the seed; the seed's own pixel comes first.
void TestAvm1Classes::pixelDissolveReachesEachPixelOnce()
{
    ClassesHost host;
    Vm vm(8, &host);
    const Value bitmap = newBitmap(vm, {10, 10, false, 0});
    const Value area = vm.getMember(bitmap, QStringLiteral("rectangle"));
    const Value origin = newFlash(vm, "geom", "Point", {0, 0});
    auto changed = [&] {
        int count = 0;
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 10; ++x)
                count += pixel32(vm, bitmap, x, y) != 0xFF000000u;
        return count;
    };
    const Value seed = callMethod(vm, bitmap, "pixelDissolve", {bitmap, area, origin, 7, 49, 0xFFFFFF});
    QCOMPARE(changed(), 50);
    callMethod(vm, bitmap, "pixelDissolve", {bitmap, area, origin, seed, 49, 0xFFFFFF});
    QCOMPARE(changed(), 100);
}

QTEST_GUILESS_MAIN(TestAvm1Classes)
#include "tst_avm1_classes.moc"
