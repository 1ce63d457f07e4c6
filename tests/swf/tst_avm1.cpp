// The interpreter's rules that movies rely on: how numbers print, how
// values convert under each SWF version, equality, and the limits that
// stop a hostile script.

#include "swf/avm1/numberformat.h"
#include "swf/avm1/operators.h"
#include "swf/avm1/vm.h"

#include "scriptrun.h"

#include <QTest>

#include <cmath>
#include <limits>

using namespace sky::swf::avm1;
using swftest::Actions;
using swftest::run;
using swftest::TraceHost;
using namespace Qt::StringLiterals;

namespace {

// A native function that returns a new object.
Value newPlainObject(Vm &vm, CallInfo &) { return vm.newPlain(); }

} // namespace

class TestAvm1 : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void numbersPrintAsThePlayerPrintsThem_data();
    void numbersPrintAsThePlayerPrintsThem();
    void textReadsAsNumbers();
    void undefinedAndBooleansFollowTheVersion();
    void namesIgnoreCaseUpToVersion6();
    void equalityRules();
    void datesJoinTextAsTextFromVersion6();
    void objectsGivenByValueOfLeaveTheObjectItself();
    void prototypesCannotBeDeleted();
    void deletingAPathRemovesItsLastName();
    void unescapeDecodesByTheMoviesVersion();
    void propertiesHideFromOlderVersions();
    void intWrapsToThirtyTwoBits();
    void unsignedShiftIsSignedInVersions8And9();
    void localsDefinedInWithGoWhereTheVariableIs();
    void localsWithPathsAreAssignmentsOutsideFunctions();
    void methodNamesAreTheirText();
    void namesKeptInRegistersAreNoVariables();
    void objectsOfACountOutOfRangeAreUndefined();
    void swf4ArithmeticReadsNumberPrefixes();
    void actionsConvertOperandsInThePlayersOrder();
    void functionsInSwf4MoviesFollowVersion5Rules();
    void framesScriptsShareTheirOperandStack();
    void scriptsStartWithTheLastConstantPoolAndFunctionsWithTheirs();
    void thrownValuesReachTheCatchBlock();
    void throwsCaughtFromBuiltInConstructorsLeaveNoDepth();
    void endlessLoopIsAbandonedOnItsBudget();
    void endlessRecursionIsStopped();
    void accessorsOfAPropertyNestSixtyFiveDeep();
    void endlessPrototypeChainEndsTheScript();
    void highestArrayIndexWrapsTheLength();
    void frameBeyondAnyIntIsNotLoaded();
};

void TestAvm1::numbersPrintAsThePlayerPrintsThem_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("integer") << 12345.0 << QStringLiteral("12345");
    QTest::newRow("negative zero") << -0.0 << QStringLiteral("0");
    QTest::newRow("fifteen digits") << 12.34 / 3 << QStringLiteral("4.11333333333333");
    QTest::newRow("rounded sum") << 0.1 + 0.2 << QStringLiteral("0.3");
    QTest::newRow("pi") << M_PI << QStringLiteral("3.14159265358979");
    QTest::newRow("plain below 1e15") << 111111111111111.0 << QStringLiteral("111111111111111");
    QTest::newRow("exponent from 1e15") << 1111111111111111.0 << QStringLiteral("1.11111111111111e+15");
    QTest::newRow("round exponent") << 2e19 << QStringLiteral("2e+19");
    QTest::newRow("large negative") << -22222222222222222.0 << QStringLiteral("-2.22222222222222e+16");
    QTest::newRow("min") << std::numeric_limits<double>::denorm_min() << QStringLiteral("4.94065645841247e-324");
    QTest::newRow("small plain") << 0.000054 << QStringLiteral("0.000054");
    QTest::newRow("small exponent") << 5.4e-6 << QStringLiteral("5.4e-6");
    QTest::newRow("tiny") << 5e-25 << QStringLiteral("5e-25");
    QTest::newRow("nan") << std::nan("") << QStringLiteral("NaN");
    QTest::newRow("infinity") << -std::numeric_limits<double>::infinity() << QStringLiteral("-Infinity");
}

void TestAvm1::numbersPrintAsThePlayerPrintsThem()
{
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(numberToString(value), text);
}

void TestAvm1::textReadsAsNumbers()
{
    QCOMPARE(stringToNumber(QStringLiteral(" \t12.5")), 12.5);
    QVERIFY(std::isnan(stringToNumber(QStringLiteral("12.5 ")))); // no trailing white space
    QCOMPARE(stringToNumber(QStringLiteral("0x10")), 16.0);
    QCOMPARE(stringToNumber(QStringLiteral("010")), 8.0); // octal
    QCOMPARE(stringToNumber(QStringLiteral("010"), false), 10.0); // SWF 5: decimal
    // Hexadecimal and octal read as 32-bit ints; a sign may follow the 0x
    // but not come before it.
    QCOMPARE(stringToNumber(QStringLiteral("0x-10")), -16.0);
    QCOMPARE(stringToNumber(QStringLiteral("0xFFFFFFFF")), -1.0);
    QCOMPARE(stringToNumber(QStringLiteral("-037777777777")), 1.0);
    QVERIFY(std::isnan(stringToNumber(QStringLiteral("-0x10"))));
    QVERIFY(std::isnan(stringToNumber(QStringLiteral("0x1g"))));
    // Only text that starts with its 0 is octal or hexadecimal: after
    // white space it is decimal.
    QCOMPARE(stringToNumber(QStringLiteral(" 010")), 10.0);
    QCOMPARE(stringToNumber(QStringLiteral(" -010")), -10.0);
    QVERIFY(std::isnan(stringToNumber(QStringLiteral(" 0x10"))));
    QCOMPARE(stringToNumber(QStringLiteral("0.5")), 0.5);
    QVERIFY(std::isnan(stringToNumber(QStringLiteral("150a"))));
    QVERIFY(std::isnan(stringToNumber(QStringLiteral("Infinity"))));
    QVERIFY(std::isnan(stringToNumber(QString())));
    QCOMPARE(numberToRadixString(255, 16), QStringLiteral("ff"));
    QCOMPARE(numberToRadixString(-5, 2), QStringLiteral("-101"));
}

void TestAvm1::undefinedAndBooleansFollowTheVersion()
{
    TraceHost host;
    Vm v4(4, &host), v6(6, &host), v7(7, &host);
    QCOMPARE(v6.toString(Value()), QString());
    QCOMPARE(v6.toNumber(Value()), 0.0);
    QCOMPARE(v7.toString(Value()), QStringLiteral("undefined"));
    QVERIFY(std::isnan(v7.toNumber(Value())));
    QCOMPARE(v4.toString(Value(true)), QStringLiteral("1"));
    QCOMPARE(v6.toString(Value(true)), QStringLiteral("true"));
    // Text is true when it reads as a non-zero number up to SWF 6, when
    // it is not empty from SWF 7 on.
    QCOMPARE(v6.toBoolean(Value(QStringLiteral("abc"))), false);
    QCOMPARE(v7.toBoolean(Value(QStringLiteral("abc"))), true);
    QCOMPARE(v6.toString(Value(1e21)), QStringLiteral("1e+21"));
}

void TestAvm1::namesIgnoreCaseUpToVersion6()
{
    TraceHost host;
    Vm v6(6, &host), v7(7, &host);
    Object *a = v6.newPlain();
    v6.set(a, QStringLiteral("Name"), 1);
    QCOMPARE(v6.get(a, QStringLiteral("NAME")).number, 1.0);
    Object *b = v7.newPlain();
    v7.set(b, QStringLiteral("Name"), 1);
    QVERIFY(v7.get(b, QStringLiteral("NAME")).isUndefined());
    QCOMPARE(v6.getMember(Value(QStringLiteral("abc")), QStringLiteral("LENGTH")).number, 3.0);
    QVERIFY(v7.getMember(Value(QStringLiteral("abc")), QStringLiteral("LENGTH")).isUndefined());
}

void TestAvm1::equalityRules()
{
    TraceHost host;
    Vm vm(8, &host);
    QVERIFY(looseEquals(vm, Value(), Value::null()));
    QVERIFY(!looseEquals(vm, Value(), Value(0)));
    QVERIFY(looseEquals(vm, Value(QStringLiteral("16")), Value(16)));
    QVERIFY(looseEquals(vm, Value(true), Value(1)));
    // Unlike ECMAScript, the player finds NaN equal to NaN.
    QVERIFY(looseEquals(vm, Value(std::nan("")), Value(std::nan(""))));
    QVERIFY(strictEquals(vm, Value(std::nan("")), Value(std::nan(""))));
    QVERIFY(!strictEquals(vm, Value(1), Value(QStringLiteral("1"))));
    QVERIFY(strictEquals(vm, Value::null(), Value::null()));
    QVERIFY(less2(vm, Value(1), Value(std::nan(""))).isUndefined());
    QCOMPARE(less2(vm, Value(QStringLiteral("10")), Value(QStringLiteral("9"))).boolean, true); // text order
}

void TestAvm1::datesJoinTextAsTextFromVersion6()
{
    // new Date(0) + "": its valueOf in SWF 5, its toString from SWF 6.
    TraceHost host;
    for (const int version : {5, 6}) {
        Vm vm(version, &host);
        const Value zero(0);
        const Value date = vm.construct(vm.get(vm.global, QStringLiteral("Date")), {&zero, 1});
        const QString joined = vm.toString(add2(vm, date, Value(QString())));
        QCOMPARE(joined, version == 5 ? QStringLiteral("0") : vm.toString(date));
        QCOMPARE(vm.toNumber(date), 0.0);
    }
}

void TestAvm1::objectsGivenByValueOfLeaveTheObjectItself()
{
    // o.valueOf = function () { return {}; }; o.toString = function () { return "text"; };
    // "" + o reads o's own text, not that of what valueOf gave.
    TraceHost host;
    Vm vm(7, &host);
    Object *o = vm.newPlain();
    vm.set(o, QStringLiteral("valueOf"), vm.newNative(newPlainObject));
    vm.set(o, QStringLiteral("toString"), vm.newNative([](Vm &, CallInfo &) -> Value { return QStringLiteral("text"); }));
    QCOMPARE(vm.toString(add2(vm, QString(), o)), QStringLiteral("text"));
    QVERIFY(std::isnan(vm.toNumber(o)));
    // A Date's toString that gives an object leaves the date; one taken
    // away leaves nothing to join.
    const Value date = vm.construct(vm.get(vm.global, QStringLiteral("Date")), {});
    vm.setMember(date, QStringLiteral("toString"), vm.newNative(newPlainObject));
    QCOMPARE(vm.toString(add2(vm, QString(), date)), QStringLiteral("[type Object]"));
    vm.setMember(date, QStringLiteral("toString"), Value());
    QCOMPARE(vm.toString(add2(vm, QString(), date)), QStringLiteral("undefined"));
}

void TestAvm1::prototypesCannotBeDeleted()
{
    // delete Object.prototype; delete f.prototype;
    Actions code;
    code.function(Actions(), "f");
    for (const char *owner : {"Object", "f"}) {
        code.push(owner).op(0x1C).push("prototype").op(0x3A).op(0x26);
        code.push(owner).op(0x1C).push("prototype").op(0x4E).op(0x44).op(0x26);
    }
    const QString no = QStringLiteral("false"), object = QStringLiteral("object");
    QCOMPARE(run(8, code), (QStringList{no, object, no, object}));
}

void TestAvm1::deletingAPathRemovesItsLastName()
{
    // o = {}; o.a = 1; o.c = {}; o.c.d = 2; o.t = 3; then Delete2 of
    // "o.a", "o:c.d" and "o.t.y", each result traced, then o.a and o.c.d.
    Actions code;
    code.push("o").push(0).op(0x43).op(0x1D);
    code.push("o").op(0x1C).push("a").push(1).op(0x4F);
    code.push("o").op(0x1C).push("c").push(0).op(0x43).op(0x4F);
    code.push("o").op(0x1C).push("c").op(0x4E).push("d").push(2).op(0x4F);
    code.push("o").op(0x1C).push("t").push(3).op(0x4F);
    for (const char *path : {"o.a", "o:c.d", "o.t.y"})
        code.push(path).op(0x3B).op(0x26);
    code.push("o").op(0x1C).push("a").op(0x4E).op(0x26);
    code.push("o.c.d").op(0x1C).op(0x26);
    QCOMPARE(run(7, code),
             (QStringList{u"true"_s, u"true"_s,
                          u"Parameters of primitive types are no longer coerced into the required type - Object."_s,
                          u"false"_s, u"undefined"_s, u"undefined"_s}));
}

void TestAvm1::unescapeDecodesByTheMoviesVersion()
{
    // SWF 5 text is Latin-1 byte for byte, escaped or not; SWF 6 text is
    // UTF-8.
    TraceHost host;
    Vm v5(5, &host), v6(6, &host);
    const auto unescape = [](Vm &vm, const QString &text) {
        const Value arg(text);
        return vm.toString(vm.call(vm.get(vm.global, QStringLiteral("unescape")), Value(), {&arg, 1}));
    };
    QCOMPARE(unescape(v5, QStringLiteral("\u00e9%E9+%41")), QStringLiteral("\u00e9\u00e9 A"));
    QCOMPARE(unescape(v6, QStringLiteral("\u00e9%C3%A9")), QStringLiteral("\u00e9\u00e9"));
}

void TestAvm1::propertiesHideFromOlderVersions()
{
    // ASSetPropFlags(o, "a", 0x1000) keeps a from SWF 7 movies until they set it.
    TraceHost host;
    for (const int version : {7, 8}) {
        Vm vm(version, &host);
        Object *o = vm.newPlain();
        vm.set(o, QStringLiteral("a"), 1);
        const Value args[] = {o, QStringLiteral("a"), 0x1000, 0};
        vm.call(vm.get(vm.global, QStringLiteral("ASSetPropFlags")), Value(), args);
        QCOMPARE(vm.get(o, QStringLiteral("a")).isUndefined(), version == 7);
        vm.set(o, QStringLiteral("a"), 2);
        QCOMPARE(vm.get(o, QStringLiteral("a")).number, 2.0);
        QCOMPARE(o->properties().size(), std::size_t(1));
    }
    // Bit 8 hides from SWF 6 only, bit 7 from SWF 5 only.
    for (const int version : {5, 6, 7}) {
        Vm vm(version, &host);
        Object *o = vm.newPlain();
        vm.set(o, QStringLiteral("a"), 1);
        vm.set(o, QStringLiteral("b"), 1);
        const Value a[] = {o, QStringLiteral("a"), 0x100, 0}, b[] = {o, QStringLiteral("b"), 0x80, 0};
        vm.call(vm.get(vm.global, QStringLiteral("ASSetPropFlags")), Value(), a);
        vm.call(vm.get(vm.global, QStringLiteral("ASSetPropFlags")), Value(), b);
        QCOMPARE(vm.get(o, QStringLiteral("a")).isUndefined(), version == 6);
        QCOMPARE(vm.get(o, QStringLiteral("b")).isUndefined(), version == 5);
    }
}

void TestAvm1::intWrapsToThirtyTwoBits()
{
    // int("abc"), int(4294967297), int(-2.5)
    Actions code;
    for (const char *text : {"abc", "4294967297", "-2.5"})
        code.push(text).op(0x18).op(0x26);
    QCOMPARE(run(7, code), QStringList({QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("-2")}));
}

void TestAvm1::unsignedShiftIsSignedInVersions8And9()
{
    // trace(-3 >>> 0); trace(-3 >>> 1);
    Actions code;
    code.push(0).push(3).op(0x0B).push(0).op(0x65).op(0x26);
    code.push(0).push(3).op(0x0B).push(1).op(0x65).op(0x26);
    const QStringList unsigned_{QStringLiteral("4294967293"), QStringLiteral("2147483646")};
    const QStringList signed_{QStringLiteral("-3"), QStringLiteral("2147483646")};
    QCOMPARE(run(7, code), unsigned_);
    QCOMPARE(run(8, code), signed_);
    QCOMPARE(run(9, code), signed_);
    QCOMPARE(run(10, code), unsigned_);
}

void TestAvm1::localsDefinedInWithGoWhereTheVariableIs()
{
    // m = {b: 20}; with (m) { var b = 10; var c = 10; } trace(m.b); trace(c); trace(m.c);
    Actions block;
    block.push("b").push(10).op(0x3C).push("c").push(10).op(0x3C);
    Actions code;
    code.push("m").push("b").push(20).push(1).op(0x43).op(0x1D);
    code.push("m").op(0x1C).op(0x94, swftest::Bits().u16(int(block.code().size())).data()).then(block);
    code.push("m").op(0x1C).push("b").op(0x4E).op(0x26).push("c").op(0x1C).op(0x26);
    code.push("m").op(0x1C).push("c").op(0x4E).op(0x26);
    QCOMPARE(run(7, code), (QStringList{QStringLiteral("10"), QStringLiteral("10"), QStringLiteral("undefined")}));
}

void TestAvm1::localsWithPathsAreAssignmentsOutsideFunctions()
{
    // o = {}; var o.a = 1; trace(o.a); var o.b; trace(o.hasOwnProperty("b"));
    Actions code;
    code.push("o").push(0).op(0x43).op(0x1D);
    code.push("o.a").push(1).op(0x3C);
    code.push("o").op(0x1C).push("a").op(0x4E).op(0x26);
    code.push("o.b").op(0x41);
    code.push("b").push(1).push("o").op(0x1C).push("hasOwnProperty").op(0x52).op(0x26);
    // function f() { var o.c = 3; var g = function () { trace(this["o.c"]); }; g(); }
    // f(); trace(o.c): inside a function the path is a local's name, and
    // a function called by a local's name runs on the function's variables.
    Actions g;
    g.push("this").op(0x1C).push("o.c").op(0x4E).op(0x26);
    Actions f;
    f.push("o.c").push(3).op(0x3C);
    f.push("g").function(g).op(0x3C);
    f.push(0).push("g").op(0x3D).op(0x17);
    code.function(f, "f").push(0).push("f").op(0x3D).op(0x17);
    code.push("o").op(0x1C).push("c").op(0x4E).op(0x26);
    QCOMPARE(run(7, code), (QStringList{u"1"_s, u"true"_s, u"3"_s, u"undefined"_s}));
}

void TestAvm1::methodNamesAreTheirText()
{
    // o = {}; o["null"] = function () { trace("null"); }; o[null]();
    // function f() { trace("f"); } f[""](); f[undefined]();
    Actions code;
    code.push("o").push(0).op(0x43).op(0x1D);
    code.push("o").op(0x1C).push("null").function(Actions().push("null").op(0x26)).op(0x4F);
    code.push(0).push("o").op(0x1C).pushNull().op(0x52).op(0x17);
    code.function(Actions().push("f").op(0x26), "f");
    code.push(0).push("f").op(0x1C).push("").op(0x52).op(0x17);
    code.push(0).push("f").op(0x1C).op(0x96, QByteArray(1, 3)).op(0x52).op(0x17);
    QCOMPARE(run(7, code), QStringList({QStringLiteral("null"), QStringLiteral("f"), QStringLiteral("f")}));
}

void TestAvm1::namesKeptInRegistersAreNoVariables()
{
    // function k() { trace(typeof arguments); trace(typeof super); trace(r1); trace(typeof r2); }
    // with arguments kept in register 1 and super in 2, then with both also
    // suppressed; o = {}; o.k = k; o.k(1, 2);
    Actions k;
    k.push("arguments").op(0x1C).op(0x44).op(0x26).push("super").op(0x1C).op(0x44).op(0x26);
    k.pushRegister(1).op(0x26).pushRegister(2).op(0x44).op(0x26);
    const auto calledWith = [&k](int flags) {
        Actions code;
        code.op(0x8E, swftest::Bits().bytes("k").u8(0).u16(0).u8(3).u16(flags).u16(int(k.code().size())).data());
        code.then(k);
        code.push("o").push(0).op(0x43).op(0x1D).push("o").op(0x1C).push("k").push("k").op(0x1C).op(0x4F);
        code.push(2).push(1).push(2).push("o").op(0x1C).push("k").op(0x52).op(0x17);
        return run(7, code);
    };
    const QString none = QStringLiteral("undefined");
    QCOMPARE(calledWith(0x14), (QStringList{none, none, u"1,2"_s, u"object"_s}));
    // Suppressed as well, the arguments are still kept; super is not.
    QCOMPARE(calledWith(0x3C), (QStringList{none, none, u"1,2"_s, none}));
}

void TestAvm1::objectsOfACountOutOfRangeAreUndefined()
{
    // An InitObject of 4294967297 or -1 pairs takes none of them.
    for (const char *count : {"4294967297", "-1"}) {
        Actions code;
        code.push("kept").push(count).op(0x43).op(0x26).op(0x26);
        QCOMPARE(run(8, code), QStringList({QStringLiteral("undefined"), QStringLiteral("kept")}));
    }
}

void TestAvm1::swf4ArithmeticReadsNumberPrefixes()
{
    // '300' + '150a' with the SWF 4 Add, then 4 / 0, then !'5a'.
    Actions code;
    code.push("300").push("150a").op(0x0A).op(0x26).push(4).push(0).op(0x0D).op(0x26).push("5a").op(0x12).op(0x26);
    QCOMPARE(run(4, code), QStringList({QStringLiteral("450"), QStringLiteral("#ERROR#"), QStringLiteral("0")}));
    QCOMPARE(run(5, code), QStringList({QStringLiteral("NaN"), QStringLiteral("Infinity"), QStringLiteral("true")}));
}

void TestAvm1::actionsConvertOperandsInThePlayersOrder()
{
    // name = {method: function () { trace(name); return result; }}
    const auto noisy = [](Actions &code, const char *name, const char *method, const char *result) {
        code.push(name).push(method).function(Actions().push(name).op(0x26).push(result).op(0x3E));
        code.push(1).op(0x43).op(0x1D);
    };
    Actions code;
    noisy(code, "one", "valueOf", "1");
    noisy(code, "two", "valueOf", "2");
    noisy(code, "path", "toString", "nowhere");
    // trace(one - two); trace(one / two); trace(one + two) with the
    // Add2 of version 5: the right operand first.
    code.push("one").op(0x1C).push("two").op(0x1C).op(0x0B).op(0x26);
    code.push("one").op(0x1C).push("two").op(0x1C).op(0x0D).op(0x26);
    code.push("one").op(0x1C).push("two").op(0x1C).op(0x47).op(0x26);
    // setProperty(path, _x, one) with no clip there still reads one.
    code.push("path").op(0x1C).push(0).push("one").op(0x1C).op(0x23);
    // startDrag(path, one, two): the target first, then the flags, each
    // on only as the int 1 (so no bounds are taken).
    code.push("two").op(0x1C).push("one").op(0x1C).push("path").op(0x1C).op(0x27);
    QCOMPARE(run(5, code), (QStringList{u"two"_s, u"one"_s, u"-1"_s, u"two"_s, u"one"_s, u"0.5"_s, u"two"_s, u"one"_s, u"12"_s, u"path"_s,
                                        u"one"_s, u"path"_s, u"one"_s, u"two"_s}));
}

void TestAvm1::functionsInSwf4MoviesFollowVersion5Rules()
{
    Actions body;
    body.push(4).push(0).op(0x0D).op(0x26);
    Actions code;
    code.function(body, "f").push(0).push("f").op(0x3D).op(0x17).then(body);
    QCOMPARE(run(4, code), QStringList({QStringLiteral("Infinity"), QStringLiteral("#ERROR#")}));
}

void TestAvm1::framesScriptsShareTheirOperandStack()
{
    // One script leaves "left" pushed; the next of the frame traces it
    // with its own pushed first; after the frame the stack is empty again.
    TraceHost host;
    Vm vm(8, &host);
    Object *timeline = vm.newPlain();
    Actions leave, takeTwo;
    leave.push("left");
    takeTwo.push("own").op(0x26).op(0x26);
    const auto script = [](const Actions &a) { return std::make_shared<const QByteArray>(a.code()); };
    vm.beginFrame();
    vm.runScript(script(leave), timeline);
    vm.runScript(script(takeTwo), timeline);
    vm.runScript(script(leave), timeline);
    vm.beginFrame();
    vm.runScript(script(takeTwo), timeline);
    QCOMPARE(host.lines, (QStringList{u"own"_s, u"left"_s, u"own"_s, u"undefined"_s}));
}

void TestAvm1::scriptsStartWithTheLastConstantPoolAndFunctionsWithTheirs()
{
    // Script 1: constants ["first"]; function f() { trace(constant 0); }
    // Script 2: trace(constant 0); constants ["second"]; f(); trace(constant 0);
    TraceHost host;
    Vm vm(6, &host);
    Object *timeline = vm.newPlain();
    const auto pool = [](const QByteArray &text) { return swftest::Bits().u16(1).bytes(text).u8(0).data(); };
    const QByteArray constant0("\x08\x00", 2);
    Actions traceFirst;
    traceFirst.op(0x96, constant0).op(0x26);
    Actions first, second;
    first.op(0x88, pool("first")).function(traceFirst, "f");
    second.op(0x96, constant0).op(0x26).op(0x88, pool("second"));
    second.push(0).push("f").op(0x3D).op(0x17).op(0x96, constant0).op(0x26);
    vm.beginFrame();
    for (const Actions *a : {&first, &second})
        vm.runScript(std::make_shared<const QByteArray>(a->code()), timeline);
    QCOMPARE(host.lines, (QStringList{u"first"_s, u"first"_s, u"second"_s}));
}

void TestAvm1::thrownValuesReachTheCatchBlock()
{
    // function f() { throw "boom"; } try { f(); } catch (e) { trace(e); }
    Actions tryBody;
    tryBody.push(0).push("f").op(0x3D).op(0x17);
    Actions catchBody;
    catchBody.push("e").op(0x1C).op(0x26);
    // A catch block, caught into the variable "e".
    const int trySize = int(tryBody.code().size()), catchSize = int(catchBody.code().size());
    const QByteArray tryData = swftest::Bits().u8(1).u16(trySize).u16(catchSize).u16(0).bytes("e").u8(0).data();
    Actions code;
    code.function(Actions().push("boom").op(0x2A), "f").op(0x8F, tryData).then(tryBody).then(catchBody);
    code.push("after").op(0x26);
    QCOMPARE(run(7, code), QStringList({QStringLiteral("boom"), QStringLiteral("after")}));

    // o = {toString: f}; try { trace(o); } catch (e) { trace(e); }: the
    // trace leaves a line before the throw goes on.
    Actions traceBody;
    traceBody.push("o").op(0x1C).op(0x26);
    const QByteArray traceData =
        swftest::Bits().u8(1).u16(int(traceBody.code().size())).u16(catchSize).u16(0).bytes("e").u8(0).data();
    Actions traced;
    traced.function(Actions().push("boom").op(0x2A), "f");
    traced.push("o").push("toString").push("f").op(0x1C).push(1).op(0x43).op(0x1D);
    traced.op(0x8F, traceData).then(traceBody).then(catchBody);
    QCOMPARE(run(7, traced), QStringList({QStringLiteral("[type Object]"), QStringLiteral("boom")}));

    // try { trace("try"); } catch (e) { trace(e); } finally { trace("finally"); }
    // trace("after"); as compilers write it, the try and catch blocks
    // ending in a jump to the finally block, which runs once.
    Actions caught;
    caught.push("e").op(0x1C).op(0x26).op(0x99, swftest::Bits().u16(0).data());
    Actions tried;
    tried.push("try").op(0x26).op(0x99, swftest::Bits().u16(int(caught.code().size())).data());
    Actions finallyBody;
    finallyBody.push("finally").op(0x26);
    const QByteArray finallyData = swftest::Bits()
                                       .u8(3)
                                       .u16(int(tried.code().size()))
                                       .u16(int(caught.code().size()))
                                       .u16(int(finallyBody.code().size()))
                                       .bytes("e")
                                       .u8(0)
                                       .data();
    Actions withFinally;
    withFinally.op(0x8F, finallyData).then(tried).then(caught).then(finallyBody).push("after").op(0x26);
    QCOMPARE(run(7, withFinally), (QStringList{u"try"_s, u"finally"_s, u"after"_s}));
}

void TestAvm1::throwsCaughtFromBuiltInConstructorsLeaveNoDepth()
{
    // function t() { throw "boom"; } o = {}; o.toString = t;
    // 300 times: try { new String(o); } catch (e) { }
    // function r() { trace("reached"); } r();
    Actions tryBody;
    tryBody.push("o").op(0x1C).push(1).push("String").op(0x40).op(0x17);
    const QByteArray tryData = swftest::Bits().u8(1).u16(int(tryBody.code().size())).u16(0).u16(0).bytes("e").u8(0).data();
    Actions code;
    code.function(Actions().push("boom").op(0x2A), "t");
    code.push("o").push(0).op(0x43).op(0x1D);
    code.push("o").op(0x1C).push("toString").push("t").op(0x1C).op(0x4F);
    for (int i = 0; i < 300; ++i)
        code.op(0x8F, tryData).then(tryBody);
    code.function(Actions().push("reached").op(0x26), "r").push(0).push("r").op(0x3D).op(0x17);
    QCOMPARE(run(7, code), QStringList({QStringLiteral("reached")}));
}

void TestAvm1::endlessLoopIsAbandonedOnItsBudget()
{
    Limits limits;
    limits.actionsPerFrame = 10'000;
    bool finished = true;
    Actions code;
    code.push("once").op(0x26).op(0x99, swftest::Bits().u16(-5).data());
    const QStringList lines = run(7, code, limits, &finished);
    QVERIFY(!finished);
    QCOMPARE(lines, QStringList({QStringLiteral("once")}));
}

void TestAvm1::endlessRecursionIsStopped()
{
    // function r() { trace("in"); r(); } r(); trace("not reached");
    Actions call;
    call.push(0).push("r").op(0x3D).op(0x17);
    Actions code;
    code.function(Actions().push("in").op(0x26).then(call), "r").then(call).push("no").op(0x26);
    Limits limits;
    limits.callDepth = 5;
    const QStringList lines = run(7, code, limits);
    QCOMPARE(lines.size(), 4); // the frame script counts as the first level
    QVERIFY(!lines.contains(QStringLiteral("no")));
}

void TestAvm1::accessorsOfAPropertyNestSixtyFiveDeep()
{
    // o.addProperty("p", function () { ++n; return o.p; },
    //     function () { ++m; o.p = arguments[0]; });
    // o.p = 1; trace(m); trace(o.p); trace(n);
    const auto count = [](Actions &a, const char *name) { a.push(name).push(name).op(0x1C).op(0x50).op(0x1D); };
    Actions getter;
    count(getter, "n");
    getter.push("o").op(0x1C).push("p").op(0x4E).op(0x3E);
    Actions setter;
    count(setter, "m");
    setter.push("o").op(0x1C).push("p").push("arguments").op(0x1C).push("0").op(0x4E).op(0x4F);
    Actions code;
    code.push("n").push(0).op(0x1D).push("m").push(0).op(0x1D);
    code.push("o").push(0).op(0x43).op(0x1D);
    code.function(setter).function(getter).push("p").push(3).push("o").op(0x1C).push("addProperty").op(0x52).op(0x17);
    code.push("o").op(0x1C).push("p").push(1).op(0x4F);
    code.push("m").op(0x1C).op(0x26);
    // The innermost getter call is not made: the value set stands in.
    code.push("o").op(0x1C).push("p").op(0x4E).op(0x26);
    code.push("n").op(0x1C).op(0x26);
    QCOMPARE(run(7, code), (QStringList{u"65"_s, u"1"_s, u"65"_s}));
}

void TestAvm1::endlessPrototypeChainEndsTheScript()
{
    // o = {}; o.__proto__ = o; trace("before"); o.x; trace("after");
    Actions code;
    code.push("o").push(0).op(0x43).op(0x1D);
    code.push("o").op(0x1C).push("__proto__").push("o").op(0x1C).op(0x4F);
    code.push("before").op(0x26).push("o").op(0x1C).push("x").op(0x4E).op(0x17).push("after").op(0x26);
    bool finished = true;
    QCOMPARE(run(7, code, {}, &finished), QStringList{QStringLiteral("before")});
    QVERIFY(!finished);
}

void TestAvm1::highestArrayIndexWrapsTheLength()
{
    // a = [1, 2]; a[2147483647] = 3: the length wraps as the player's int
    // does, and the elements below it go as with any shorter length.
    TraceHost host;
    Vm vm(8, &host);
    Object *a = vm.newArray({Value(1), Value(2)});
    vm.set(a, QStringLiteral("2147483647"), 3);
    QCOMPARE(a->length, -2147483647 - 1);
    QCOMPARE(vm.get(a, QStringLiteral("2147483647")).number, 3.0);
    QVERIFY(vm.get(a, QStringLiteral("0")).isUndefined());
    vm.set(a, QStringLiteral("4294967295"), 4); // index -1
    QCOMPARE(a->length, 0);
}

void TestAvm1::frameBeyondAnyIntIsNotLoaded()
{
    // ifFrameLoaded(10000000000) { trace("loaded"); } trace("after");
    Actions code;
    code.push("10000000000").op(0x8D, QByteArray(1, 2)).push("loaded").op(0x26).push("after").op(0x26);
    QCOMPARE(run(6, code), QStringList{QStringLiteral("after")});
}

QTEST_GUILESS_MAIN(TestAvm1)
#include "tst_avm1.moc"
