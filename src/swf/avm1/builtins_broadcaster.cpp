#include "builtins.h"
#include "operators.h"

namespace sky::swf::avm1 {
namespace {

Object *listenersOf(Vm &vm, const Value &self)
{
    const Value list = vm.getMember(self, QStringLiteral("_listeners"));
    return list.isObject() ? list.object : nullptr;
}

// Where the list holds a listener equal (==) to `listener`, -1 if nowhere.
int listenerIndex(Vm &vm, const std::vector<Value> &all, const Value &listener)
{
    for (std::size_t i = 0; i < all.size(); ++i)
        if (looseEquals(vm, all[i], listener))
            return int(i);
    return -1;
}

// A listener already there (by ==, so null stands for undefined) is
// replaced in its place, any other added at the end.
Value addListener(Vm &vm, CallInfo &c)
{
    Object *list = listenersOf(vm, c.self);
    if (!list)
        return true;
    const int at = listenerIndex(vm, vm.arrayElements(list), c.arg(0));
    if (at >= 0)
        vm.set(list, QString::number(at), c.arg(0));
    else
        vm.arrayPush(list, c.arg(0));
    return true;
}

Value removeListener(Vm &vm, CallInfo &c)
{
    Object *list = listenersOf(vm, c.self);
    if (!list)
        return false;
    std::vector<Value> all = vm.arrayElements(list);
    const int at = listenerIndex(vm, all, c.arg(0));
    if (at < 0)
        return false;
    all.erase(all.begin() + at);
    vm.setArrayLength(list, 0);
    for (const Value &e : all)
        vm.arrayPush(list, e);
    return true;
}

// Each listener's method of the name is called on it; an empty name calls
// the listener itself.
Value broadcastMessage(Vm &vm, CallInfo &c)
{
    Object *list = listenersOf(vm, c.self);
    if (!list || c.args.empty())
        return {};
    const QString name = vm.toString(c.args[0]);
    const std::span<const Value> rest = c.args.subspan(1);
    const std::vector<Value> all = vm.arrayElements(list);
    for (const Value &listener : all) {
        const Value fn = name.isEmpty() ? listener : vm.getMember(listener, name);
        if (fn.isObject())
            vm.call(fn, listener, rest);
    }
    return !all.empty();
}

// The broadcaster's methods, its own, and an empty list of listeners.
void makeBroadcaster(Vm &vm, Object *target)
{
    Object *b = vm.broadcaster;
    for (const char16_t *name : {u"addListener", u"removeListener", u"broadcastMessage"}) {
        const QString n = QString::fromUtf16(name);
        vm.defineHidden(target, n, vm.get(b, n));
    }
    vm.defineHidden(target, QStringLiteral("_listeners"), vm.newArray());
}

Value initialize(Vm &vm, CallInfo &c)
{
    if (c.arg(0).isObject())
        makeBroadcaster(vm, c.arg(0).object);
    return {};
}

} // namespace

Object *newBroadcaster(Vm &vm, const QString &name, Object *holder)
{
    Object *object = vm.newPlain();
    vm.defineHidden(holder ? holder : vm.global, name, object);
    makeBroadcaster(vm, object);
    return object;
}

void installBroadcaster(Vm &vm)
{
    // A class of its own, though its objects are plain ones: what matters
    // are its methods.
    Object *b = defineClass(vm, QStringLiteral("AsBroadcaster"), vm.newPlain(), nothing);
    vm.broadcaster = b;
    vm.method(b, QStringLiteral("initialize"), initialize);
    vm.method(b, QStringLiteral("addListener"), addListener);
    vm.method(b, QStringLiteral("removeListener"), removeListener);
    vm.method(b, QStringLiteral("broadcastMessage"), broadcastMessage);
}

} // namespace sky::swf::avm1
