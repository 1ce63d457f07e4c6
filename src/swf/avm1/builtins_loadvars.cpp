// LoadVars and loadVariables: variables as a form sends them,
// "name=value&name=value" with escapes, read from a file beside the movie
// into an object or a clip, and written back by toString.

#include "builtins.h"
#include "dataloads.h"

namespace sky::swf::avm1 {
namespace {

// Sets the variables of `text` on `target`.
void decodeInto(Vm &vm, Object *target, const QString &text)
{
    for (const QString &pair : text.split(u'&', Qt::SkipEmptyParts)) {
        vm.charge();
        const qsizetype equals = pair.indexOf(u'=');
        const QString name = unescapeText(vm, equals < 0 ? pair : pair.left(equals));
        vm.set(target, name, equals < 0 ? QString() : unescapeText(vm, pair.mid(equals + 1)));
    }
}

Value construct(Vm &, CallInfo &c)
{
    if (c.self.isObject() && !c.self.object->state)
        c.self.object->state = std::make_unique<LoadingState>();
    return {};
}

Value decode(Vm &vm, CallInfo &c)
{
    if (c.self.isObject())
        decodeInto(vm, c.self.object, vm.toString(c.arg(0)));
    return {};
}

// The default onData: sets the variables and tells onLoad.
Value onData(Vm &vm, CallInfo &c) { return defaultOnData(vm, c, decodeInto); }

// Every variable but the methods, escaped.
Value toStringMethod(Vm &vm, CallInfo &c)
{
    if (!c.self.isObject())
        return QString();
    QStringList pairs;
    for (const QString &name : vm.enumerate(c.self.object)) {
        const Value v = vm.get(c.self.object, name);
        if (!v.isObject() || !v.object->isFunction())
            pairs << escapeText(vm, name) + QLatin1Char('=') + escapeText(vm, vm.toString(v));
    }
    return vm.checkedString(pairs.join(u'&'));
}

void deliverVariables(Vm &vm, DataLoad &load)
{
    Object *clip = vm.liveClip(load.target);
    if (!load.bytes || !clip || vm.host()->clipGone(clip->clip))
        return;
    decodeInto(vm, clip, fileText(vm, *load.bytes));
    vm.host()->variablesLoaded(clip->clip);
}

} // namespace

void loadVariables(Vm &vm, Object *clip, const QString &url) { startDataLoad(vm, clip, url, deliverVariables); }

Value loadClipVariables(Vm &vm, CallInfo &c)
{
    if (c.self.isObject() && c.self.object->kind == ObjectKind::Clip && !c.arg(0).isUndefined())
        loadVariables(vm, c.self.object, vm.toString(c.arg(0)));
    return {};
}

void installLoadVars(Vm &vm)
{
    Object *proto = vm.newPlain();
    defineClass(vm, QStringLiteral("LoadVars"), proto, construct);
    defineMethods(vm, proto,
                  {{u"addRequestHeader", nothing},
                   {u"decode", decode},
                   {u"getBytesLoaded", getBytesLoaded},
                   {u"getBytesTotal", getBytesTotal},
                   {u"load", loadMethod},
                   {u"onData", onData},
                   {u"onLoad", nothing},
                   {u"send", sendMethod},
                   {u"sendAndLoad", sendAndLoadMethod},
                   {u"toString", toStringMethod}});
    vm.defineHidden(proto, QStringLiteral("contentType"), QStringLiteral("application/x-www-form-urlencoded"));
}

} // namespace sky::swf::avm1
