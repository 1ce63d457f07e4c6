#include "builtins.h"

namespace sky::swf::avm1 {
namespace {

Object *selfObject(CallInfo &c) { return c.self.isObject() ? c.self.object : nullptr; }

// Object() with nothing, undefined or null makes an object without
// prototype.
Value objectCall(Vm &vm, CallInfo &c)
{
    const Value v = c.arg(0);
    if (v.isNullish())
        return vm.newObject(nullptr);
    return vm.toObject(v);
}

Value objectConstruct(Vm &vm, CallInfo &c)
{
    const Value v = c.arg(0);
    if (v.isNullish())
        return vm.newPlain();
    return vm.toObject(v);
}

Value toStringMethod(Vm &, CallInfo &c)
{
    Object *o = selfObject(c);
    return o && o->isFunction() ? QStringLiteral("[type Function]") : QStringLiteral("[object Object]");
}

Value valueOfMethod(Vm &, CallInfo &c) { return c.self; }

Value hasOwnProperty(Vm &vm, CallInfo &c)
{
    Object *o = selfObject(c);
    if (!o || c.args.empty())
        return false;
    const QString name = vm.toString(c.arg(0));
    if (name.isEmpty())
        return false;
    if (vm.isProtoName(name))
        return vm.has(o, name);
    if (o->kind == ObjectKind::Array && vm.key(name) == u"length")
        return true;
    return o->find(vm.key(name)) != nullptr;
}

Value isPropertyEnumerable(Vm &vm, CallInfo &c)
{
    Object *o = selfObject(c);
    const Property *p = o ? o->find(vm.key(vm.toString(c.arg(0)))) : nullptr;
    return p && !(p->flags & dontEnum);
}

Value isPrototypeOf(Vm &, CallInfo &c)
{
    Object *o = selfObject(c);
    const Value v = c.arg(0);
    if (!o || !v.isObject())
        return false;
    int hops = 0;
    for (Object *p = v.object->proto; p && hops < 256; p = p->proto, ++hops)
        if (p == o)
            return true;
    return false;
}

bool isCallable(const Value &v) { return v.isObject() && v.object->isFunction(); }

Value addProperty(Vm &vm, CallInfo &c)
{
    Object *o = selfObject(c);
    const QString name = vm.toString(c.arg(0));
    const Value getter = c.arg(1);
    const Value setter = c.arg(2);
    if (!o || name.isEmpty() || !isCallable(getter) || !(setter.isNull() || isCallable(setter)))
        return false;
    const QString k = vm.key(name);
    Property *p = o->find(k);
    if (!p)
        p = &o->add(k, name, Value());
    p->getter = getter.object;
    p->setter = setter.isObject() ? setter.object : nullptr;
    if (!p->setter)
        p->flags |= readOnly;
    return true;
}

Value watch(Vm &vm, CallInfo &c)
{
    Object *o = selfObject(c);
    const Value fn = c.arg(1);
    if (!o || c.args.empty() || !isCallable(fn))
        return false;
    const QString k = vm.key(vm.toString(c.arg(0)));
    std::erase_if(o->watches, [&](const auto &w) { return w.first == k; });
    o->watches.push_back({k, {fn.object, c.arg(2)}});
    return true;
}

Value unwatch(Vm &vm, CallInfo &c)
{
    Object *o = selfObject(c);
    if (!o)
        return false;
    const QString k = vm.key(vm.toString(c.arg(0)));
    return std::erase_if(o->watches, [&](const auto &w) { return w.first == k; }) > 0;
}

Value registerClass(Vm &vm, CallInfo &c)
{
    // A class is a function, or none (null, undefined) to take one back.
    const Value ctor = c.arg(1);
    if (c.args.size() < 2 || !(ctor.isNullish() || (ctor.isObject() && ctor.object->isFunction())))
        return false;
    Object *registry = vm.get(vm.global, QStringLiteral("Object")).object;
    Value classes = vm.get(registry, QStringLiteral("__classes"));
    if (!classes.isObject()) {
        classes = vm.newObject(nullptr);
        vm.defineHidden(registry, QStringLiteral("__classes"), classes);
    }
    vm.put(classes.object, vm.toString(c.arg(0)), c.arg(1));
    return true;
}

// ASSetPropFlags(object, names, set, clear): names as "a,b" text, an array,
// or null for every property.
Value setPropFlags(Vm &vm, CallInfo &c)
{
    const Value target = c.arg(0);
    if (!target.isObject())
        return {};
    Object *o = target.object;
    const int set = vm.toInt32(c.arg(2));
    const int clear = vm.toInt32(c.arg(3));
    auto flags = [&](int old) { return (old & ~clear) | set; };
    auto apply = [&](Property &p) { p.flags = flags(p.flags); };
    const Value names = c.arg(1);
    if (names.isNull()) {
        o->protoFlags = flags(o->protoFlags);
        for (Property &p : o->properties())
            apply(p);
        return {};
    }
    QStringList list;
    if (names.isObject() && names.object->kind == ObjectKind::Array)
        for (const Value &v : vm.arrayElements(names.object))
            list << vm.toString(v);
    else
        list = vm.toString(names).split(u',');
    for (const QString &name : list) {
        if (vm.isProtoName(name))
            o->protoFlags = flags(o->protoFlags);
        else if (Property *p = o->find(vm.key(name)))
            apply(*p);
    }
    return {};
}

} // namespace

void installObject(Vm &vm)
{
    Object *proto = vm.objectProto;
    Object *ctor = defineClass(vm, QStringLiteral("Object"), proto, objectCall, objectConstruct);
    vm.method(proto, QStringLiteral("toString"), toStringMethod);
    vm.method(proto, QStringLiteral("toLocaleString"), toStringMethod);
    vm.method(proto, QStringLiteral("valueOf"), valueOfMethod);
    // The rest came with Flash 6: SWF 5 movies do not see them.
    constexpr int fromSwf6 = 0x80;
    const MethodEntry later[] = {{u"hasOwnProperty", hasOwnProperty}, {u"isPropertyEnumerable", isPropertyEnumerable},
                                 {u"isPrototypeOf", isPrototypeOf},   {u"addProperty", addProperty},
                                 {u"watch", watch},                   {u"unwatch", unwatch}};
    for (const MethodEntry &m : later)
        vm.put(proto, QString::fromUtf16(m.name), vm.newNative(m.fn), dontEnum | dontDelete | fromSwf6);
    vm.method(ctor, QStringLiteral("registerClass"), registerClass);
    vm.method(vm.global, QStringLiteral("ASSetPropFlags"), setPropFlags);
}

} // namespace sky::swf::avm1
