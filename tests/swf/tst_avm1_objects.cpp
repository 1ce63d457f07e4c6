// Objects and classes: prototypes and `__proto__`, members a script
// cannot find, what `this` is, primitives boxed into objects, instanceof
// and interfaces, super and constructors.

#include "swf/avm1/vm.h"

#include "scriptrun.h"

#include <QTest>

using namespace sky::swf::avm1;
using swftest::Actions;
using swftest::run;
using swftest::TraceHost;
using namespace Qt::StringLiterals;

namespace {

// function () { trace("boxing " + arguments[0]); }, a class that says what
// it boxes.
Actions boxing()
{
    Actions body;
    body.push("boxing ").push("arguments").op(0x1C).push("0").op(0x4E).op(0x47).op(0x26);
    return body;
}

} // namespace

class TestAvm1Objects : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void protoIsAPropertyOfItsOwn();
    void missingMembersAskResolve();
    void callsWithoutAnObjectSeeTheirThis();
    void thisIsAKeywordOfItsOwnCase();
    void scriptMethodsSeePrimitivesBoxed();
    void primitivesAreBoxedByTheClassesTheGlobalObjectHolds();
    void stringObjectsAreTheirOwnText();
    void instanceofTakesBothOperandsWhateverTheyAre();
    void interfacesAreSetOnceAndNestButDoNotInherit();
    void superOfAnOwnMethodStartsAboveThePrototype();
    void superCallReadsTheConstructorAsItIsCalled();
    void superCallsMakeObjectsOfBuiltInClasses();
    void constructedObjectsOwnTheirConstructorBeforeVersion7();
    void newObjectsTakeWhateverThePrototypeHolds();
    void registeredClassesAreFunctionsOrNone();
};

void TestAvm1Objects::protoIsAPropertyOfItsOwn()
{
    TraceHost host;
    Vm vm(8, &host);
    Object *base = vm.newPlain();
    vm.put(base, QStringLiteral("inherited"), 1, dontEnum);
    Object *o = vm.newObject(base);
    // Any value may be stored; one that is no object cuts the chain.
    vm.set(o, QStringLiteral("__proto__"), 5);
    QCOMPARE(vm.get(o, QStringLiteral("__proto__")).number, 5.0);
    QVERIFY(vm.get(o, QStringLiteral("inherited")).isUndefined());
    vm.set(o, QStringLiteral("__proto__"), base);
    QCOMPARE(vm.get(o, QStringLiteral("inherited")).number, 1.0);
    // Hidden and undeletable until ASSetPropFlags clears that.
    QVERIFY(vm.enumerate(o).empty());
    QVERIFY(!vm.remove(o, QStringLiteral("__proto__")));
    const Value args[] = {o, Value::null(), 0, dontEnum | dontDelete};
    vm.call(vm.get(vm.global, QStringLiteral("ASSetPropFlags")), Value(), args);
    QCOMPARE(vm.enumerate(o), std::vector<QString>{QStringLiteral("__proto__")});
    QVERIFY(vm.remove(o, QStringLiteral("__proto__")));
    QVERIFY(vm.get(o, QStringLiteral("inherited")).isUndefined());
}

void TestAvm1Objects::missingMembersAskResolve()
{
    // o = {}; o.__resolve = function () { trace(arguments[0]);
    //     return function () { trace("called"); }; };
    Actions resolve;
    resolve.push("arguments").op(0x1C).push("0").op(0x4E).op(0x26);
    resolve.function(Actions().push("called").op(0x26)).op(0x3E);
    Actions code;
    code.push("o").push(0).op(0x43).op(0x1D);
    code.push("o").op(0x1C).push("__resolve").function(resolve).op(0x4F);
    // trace(o.x); o.m(); o.y = 5; trace(o.y);
    code.push("o").op(0x1C).push("x").op(0x4E).op(0x26);
    code.push(0).push("o").op(0x1C).push("m").op(0x52).op(0x17);
    code.push("o").op(0x1C).push("y").push(5).op(0x4F);
    code.push("o").op(0x1C).push("y").op(0x4E).op(0x26);
    // c = {}; c.__proto__ = o; c.__resolve = 42; trace(c.z): a primitive
    // __resolve is passed over.
    code.push("c").push(0).op(0x43).op(0x1D);
    code.push("c").op(0x1C).push("__proto__").push("o").op(0x1C).op(0x4F);
    code.push("c").op(0x1C).push("__resolve").push(42).op(0x4F);
    code.push("c").op(0x1C).push("z").op(0x4E).op(0x26);
    // c.__resolve = {}; trace(c.z): an object that is no function gives
    // nothing.
    code.push("c").op(0x1C).push("__resolve").push(0).op(0x43).op(0x4F);
    code.push("c").op(0x1C).push("z").op(0x4E).op(0x26);
    QCOMPARE(run(7, code), (QStringList{u"x"_s, u"[type Function]"_s, u"m"_s, u"called"_s, u"5"_s, u"z"_s,
                                        u"[type Function]"_s, u"undefined"_s}));
}

void TestAvm1Objects::callsWithoutAnObjectSeeTheirThis()
{
    // function t() { trace(typeof this); trace(this === _global); } t.apply(); t.call(null); t[""]();
    Actions body;
    body.push("this").op(0x1C).op(0x44).op(0x26).push("this").op(0x1C).push("_global").op(0x1C).op(0x66).op(0x26);
    Actions code;
    code.function(body, "t");
    code.push(0).push("t").op(0x1C).push("apply").op(0x52).op(0x17);
    code.pushNull().push(1).push("t").op(0x1C).push("call").op(0x52).op(0x17);
    code.push(0).push("t").op(0x1C).push("").op(0x52).op(0x17);
    const QString object = QStringLiteral("object"), yes = QStringLiteral("true");
    QCOMPARE(run(7, code), (QStringList{object, yes, object, yes, QStringLiteral("undefined"), QStringLiteral("false")}));
}

void TestAvm1Objects::thisIsAKeywordOfItsOwnCase()
{
    // mark = "timeline";
    // function f() { trace(typeof tHiS); trace(tHiS.mark); }  -- `this` kept in register 1
    // function g() { trace(typeof THIS); this = 5; trace(typeof this); }
    // new f(); o = {}; o.g = g; o.g();
    Actions f;
    f.push("tHiS").op(0x1C).op(0x44).op(0x26).push("tHiS").op(0x1C).push("mark").op(0x4E).op(0x26);
    Actions g;
    g.push("THIS").op(0x1C).op(0x44).op(0x26).push("this").push(5).op(0x1D).push("this").op(0x1C).op(0x44).op(0x26);
    Actions code;
    code.push("mark").push("timeline").op(0x1D);
    code.op(0x8E, swftest::Bits().bytes("f").u8(0).u16(0).u8(2).u16(0x01).u16(int(f.code().size())).data());
    code.then(f);
    code.function(g, "g");
    code.push(0).push("f").op(0x40).op(0x17);
    code.push("o").push(0).op(0x43).op(0x1D).push("o").op(0x1C).push("g").push("g").op(0x1C).op(0x4F);
    code.push(0).push("o").op(0x1C).push("g").op(0x52).op(0x17);
    // Version 5 functions know `this` by its own case alone; version 6
    // ignores case, and a function that keeps `this` in a register leaves
    // the name to its caller's `this`, the timeline.
    QCOMPARE(run(5, code), (QStringList{u"undefined"_s, u"undefined"_s, u"undefined"_s, u"number"_s}));
    QCOMPARE(run(6, code), (QStringList{u"object"_s, u"timeline"_s, u"object"_s, u"number"_s}));

    // function h() { trace(typeof r1); } -- `this` both kept in register 1
    // and suppressed leaves the register empty; new h();
    Actions h;
    h.pushRegister(1).op(0x44).op(0x26);
    Actions both;
    both.op(0x8E, swftest::Bits().bytes("h").u8(0).u16(0).u8(2).u16(0x03).u16(int(h.code().size())).data());
    both.then(h).push(0).push("h").op(0x40).op(0x17);
    QCOMPARE(run(7, both), QStringList{u"undefined"_s});
}

void TestAvm1Objects::scriptMethodsSeePrimitivesBoxed()
{
    // String.prototype.kind = function () { trace(typeof this); }; "x".kind(); trace("x".charAt(0));
    Actions body;
    body.push("this").op(0x1C).op(0x44).op(0x26);
    Actions code;
    code.push("String").op(0x1C).push("prototype").op(0x4E).push("kind").function(body).op(0x4F);
    code.push(0).push("x").push("kind").op(0x52).op(0x17);
    code.push(0).push(1).push("x").push("charAt").op(0x52).op(0x26);
    QCOMPARE(run(7, code), QStringList({QStringLiteral("object"), QStringLiteral("x")}));
}

void TestAvm1Objects::primitivesAreBoxedByTheClassesTheGlobalObjectHolds()
{
    // function f() { trace(typeof this); trace(this === _global); } f.call(5);
    Actions f;
    f.push("this").op(0x1C).op(0x44).op(0x26).push("this").op(0x1C).push("_global").op(0x1C).op(0x66).op(0x26);
    Actions code;
    code.function(f, "f");
    const auto callOnFive = [&code] { code.push(5).push(1).push("f").op(0x1C).push("call").op(0x52).op(0x17); };
    callOnFive();
    // _global.String = function () { trace("boxing " + arguments[0]); };
    // String.prototype.kind = "own"; trace("ab".kind); trace("ab".charAt(0));
    code.push("_global").op(0x1C).push("String").function(boxing()).op(0x4F);
    code.push("String").op(0x1C).push("prototype").op(0x4E).push("kind").push("own").op(0x4F);
    code.push("ab").push("kind").op(0x4E).op(0x26);
    code.push(0).push(1).push("ab").push("charAt").op(0x52).op(0x26);
    // _global.Number = 7; f.call(5): what cannot be boxed leaves the
    // global object as `this`.
    code.push("_global").op(0x1C).push("Number").push(7).op(0x4F);
    callOnFive();
    QCOMPARE(run(7, code), (QStringList{u"object"_s, u"false"_s, u"boxing ab"_s, u"own"_s, u"boxing ab"_s,
                                        u"undefined"_s, u"object"_s, u"true"_s}));
}

void TestAvm1Objects::stringObjectsAreTheirOwnText()
{
    // String.prototype.toString and Number.prototype.toString give "other":
    // new String("text") still reads as its text, new Number(3) as "other".
    TraceHost host;
    Vm vm(7, &host);
    const auto other = [](Vm &, CallInfo &) -> Value { return QStringLiteral("other"); };
    for (const char *type : {"String", "Number"}) {
        const Value proto = vm.getMember(vm.get(vm.global, QString::fromLatin1(type)), QStringLiteral("prototype"));
        vm.setMember(proto, QStringLiteral("toString"), vm.newNative(other));
    }
    const Value textArgs[] = {QStringLiteral("text")}, threeArgs[] = {3};
    const Value text = vm.construct(vm.get(vm.global, QStringLiteral("String")), textArgs);
    const Value three = vm.construct(vm.get(vm.global, QStringLiteral("Number")), threeArgs);
    QCOMPARE(vm.toString(text), QStringLiteral("text"));
    QCOMPARE(vm.toString(three), QStringLiteral("other"));
}

void TestAvm1Objects::instanceofTakesBothOperandsWhateverTheyAre()
{
    // "kept" stays below; then ({} instanceof undefined), (1 instanceof
    // Object) and ({} instanceof Object).
    Actions code;
    code.push("kept");
    code.push(0).op(0x43).push("nothing").op(0x1C).op(0x54).op(0x26);
    code.push(1).push("Object").op(0x1C).op(0x54).op(0x26);
    code.push(0).op(0x43).push("Object").op(0x1C).op(0x54).op(0x26);
    code.op(0x26);
    QCOMPARE(run(6, code), (QStringList{u"false"_s, u"false"_s, u"true"_s, u"kept"_s}));

    // function C() {} o = new C();
    // C.addProperty("prototype", function () { trace("getter"); return {}; }, null);
    // trace(o instanceof C); D = {}; D.__proto__ = C; trace(o instanceof D);
    // instanceof reads the prototype stored on the constructor itself,
    // calling no getter and inheriting none.
    Actions stored;
    stored.function(Actions(), "C").push("o").push(0).push("C").op(0x40).op(0x1D);
    stored.function(Actions().push("getter").op(0x26).push(0).op(0x43).op(0x3E), "g");
    stored.pushNull().push("g").op(0x1C).push("prototype").push(3).push("C").op(0x1C).push("addProperty").op(0x52).op(0x17);
    stored.push("o").op(0x1C).push("C").op(0x1C).op(0x54).op(0x26);
    stored.push("D").push(0).op(0x43).op(0x1D).push("D").op(0x1C).push("__proto__").push("C").op(0x1C).op(0x4F);
    stored.push("o").op(0x1C).push("D").op(0x1C).op(0x54).op(0x26);
    QCOMPARE(run(7, stored), (QStringList{u"true"_s, u"false"_s}));

    // _global.String = function () { trace("boxing " + arguments[0]); };
    // trace("s" instanceof Object); trace({} instanceof "t"): a primitive
    // object is no instance of anything, and is asked nothing; a primitive
    // class is boxed.
    Actions boxed;
    boxed.push("_global").op(0x1C).push("String").function(boxing()).op(0x4F);
    boxed.push("s").push("Object").op(0x1C).op(0x54).op(0x26);
    boxed.push(0).op(0x43).push("t").op(0x54).op(0x26);
    QCOMPARE(run(7, boxed), (QStringList{u"false"_s, u"boxing t"_s, u"false"_s}));
}

void TestAvm1Objects::interfacesAreSetOnceAndNestButDoNotInherit()
{
    // function C() {} ... function X() {}; C implements I; C implements J
    // (too late: a class's interfaces are set once); I implements K;
    // K.prototype.__proto__ = X.prototype; o = new C();
    Actions code;
    for (const char *name : {"C", "I", "J", "K", "X"})
        code.function(Actions(), name);
    const auto implements = [&code](const char *ctor, const char *interface) {
        code.push(interface).op(0x1C).push(1).push(ctor).op(0x1C).op(0x2C);
    };
    implements("C", "I");
    implements("C", "J");
    implements("I", "K");
    code.push("K").op(0x1C).push("prototype").op(0x4E).push("__proto__");
    code.push("X").op(0x1C).push("prototype").op(0x4E).op(0x4F);
    code.push("o").push(0).push("C").op(0x40).op(0x1D);
    // trace(o instanceof I), then J, K and X.
    for (const char *name : {"I", "J", "K", "X"})
        code.push("o").op(0x1C).push(name).op(0x1C).op(0x54).op(0x26);
    QCOMPARE(run(7, code), (QStringList{u"true"_s, u"false"_s, u"true"_s, u"false"_s}));
}

void TestAvm1Objects::superOfAnOwnMethodStartsAboveThePrototype()
{
    // o = {}; o.f = function () { trace(super); }; o.f(); the method counts
    // as found on Object.prototype, above which there is no toString.
    Actions code;
    code.push("o").push(0).op(0x43).op(0x1D);
    code.push("o").op(0x1C).push("f").function(Actions().push("super").op(0x1C).op(0x26)).op(0x4F);
    code.push(0).push("o").op(0x1C).push("f").op(0x52).op(0x17);
    QCOMPARE(run(7, code), QStringList{QStringLiteral("[type Object]")});
}

void TestAvm1Objects::superCallReadsTheConstructorAsItIsCalled()
{
    // p = {}; p.addProperty("__constructor__", function () { trace("read");
    //     return function () { trace("constructor"); }; }, null);
    // o = {__proto__: p}; o.f = function () { trace("in f"); super(); }; o.f();
    Actions getter;
    getter.push("read").op(0x26).function(Actions().push("constructor").op(0x26)).op(0x3E);
    Actions code;
    code.push("p").push(0).op(0x43).op(0x1D);
    code.pushNull().function(getter).push("__constructor__").push(3).push("p").op(0x1C);
    code.push("addProperty").op(0x52).op(0x17);
    code.push("o").push(0).op(0x43).op(0x1D);
    code.push("o").op(0x1C).push("__proto__").push("p").op(0x1C).op(0x4F);
    Actions f;
    f.push("in f").op(0x26).push(0).push("super").op(0x3D).op(0x17);
    code.push("o").op(0x1C).push("f").function(f).op(0x4F);
    code.push(0).push("o").op(0x1C).push("f").op(0x52).op(0x17);
    QCOMPARE(run(7, code), (QStringList{u"in f"_s, u"read"_s, u"constructor"_s}));
}

void TestAvm1Objects::superCallsMakeObjectsOfBuiltInClasses()
{
    // function A() { super(1, 2); } A extends Array; a = new A();
    // trace(a.length); trace(a.pop());
    Actions a;
    a.push(2).push(1).push(2).push("super").op(0x3D).op(0x17);
    Actions code;
    code.function(a, "A").push("A").op(0x1C).push("Array").op(0x1C).op(0x69);
    code.push("a").push(0).push("A").op(0x40).op(0x1D);
    code.push("a").op(0x1C).push("length").op(0x4E).op(0x26);
    code.push(0).push("a").op(0x1C).push("pop").op(0x52).op(0x26);
    // function N() { trace(super(5)); } N extends Number; trace(new N() + 1);
    Actions n;
    n.push(5).push(1).push("super").op(0x3D).op(0x26);
    code.function(n, "N").push("N").op(0x1C).push("Number").op(0x1C).op(0x69);
    code.push(0).push("N").op(0x40).push(1).op(0x47).op(0x26);
    QCOMPARE(run(7, code), (QStringList{u"2"_s, u"2"_s, u"5"_s, u"6"_s}));
}

void TestAvm1Objects::constructedObjectsOwnTheirConstructorBeforeVersion7()
{
    // function F() {} o = new F(); trace(o.hasOwnProperty("constructor"));
    // trace(o.__constructor__ === F);
    Actions code;
    code.function(Actions(), "F");
    code.push("o").push(0).push("F").op(0x40).op(0x1D);
    code.push("constructor").push(1).push("o").op(0x1C).push("hasOwnProperty").op(0x52).op(0x26);
    code.push("o").op(0x1C).push("__constructor__").op(0x4E).push("F").op(0x1C).op(0x66).op(0x26);
    QCOMPARE(run(6, code), (QStringList{QStringLiteral("true"), QStringLiteral("true")}));
    QCOMPARE(run(7, code), (QStringList{QStringLiteral("false"), QStringLiteral("true")}));
}

void TestAvm1Objects::newObjectsTakeWhateverThePrototypeHolds()
{
    // function F() {} F.prototype = 5; o = new F(); trace(o.__proto__); trace(o.toString);
    Actions code;
    code.function(Actions(), "F").push("F").op(0x1C).push("prototype").push(5).op(0x4F);
    code.push("o").push(0).push("F").op(0x40).op(0x1D);
    code.push("o").op(0x1C).push("__proto__").op(0x4E).op(0x26);
    code.push("o").op(0x1C).push("toString").op(0x4E).op(0x26);
    QCOMPARE(run(7, code), (QStringList{u"5"_s, u"undefined"_s}));
}

void TestAvm1Objects::registeredClassesAreFunctionsOrNone()
{
    TraceHost host;
    Vm vm(7, &host);
    const Value object = vm.get(vm.global, QStringLiteral("Object"));
    const Value registerClass = vm.getMember(object, QStringLiteral("registerClass"));
    auto registers = [&](const Value &ctor) {
        const Value args[] = {QStringLiteral("symbol"), ctor};
        return vm.toBoolean(vm.call(registerClass, object, args));
    };
    QVERIFY(registers(vm.get(vm.global, QStringLiteral("Array"))));
    QVERIFY(registers(Value::null()));
    QVERIFY(registers(Value()));
    QVERIFY(!registers(12));
    QVERIFY(!registers(QStringLiteral("Array")));
    QVERIFY(!registers(vm.newPlain()));
    QVERIFY(!vm.toBoolean(vm.call(registerClass, object, {})));
}

QTEST_GUILESS_MAIN(TestAvm1Objects)
#include "tst_avm1_objects.moc"
