#include "builtins.h"

namespace sky::swf::avm1 {

Value nothing(Vm &, CallInfo &) { return {}; }

Object *defineClass(Vm &vm, const QString &name, Object *prototype, Native call, Native construct, Object *holder)
{
    Object *ctor = vm.newNative(call, construct);
    vm.put(ctor, QStringLiteral("prototype"), prototype, dontEnum | dontDelete);
    vm.put(prototype, QStringLiteral("constructor"), ctor, dontEnum | dontDelete);
    vm.defineHidden(holder ? holder : vm.global, name, ctor);
    return ctor;
}

void defineAccessor(Vm &vm, Object *target, const QString &name, Native get, Native set, int flags)
{
    Property &p = target->add(vm.key(name), name, Value(), flags);
    p.getter = vm.newNative(get);
    p.setter = vm.newNative(set);
}

void defineMethods(Vm &vm, Object *target, std::initializer_list<MethodEntry> methods)
{
    for (const MethodEntry &m : methods)
        vm.method(target, QString::fromUtf16(m.name), m.fn);
}

void installBuiltins(Vm &vm)
{
    // The global object has no prototype: it prints as "[type Object]".
    vm.global = vm.newObject(nullptr);
    installObject(vm);
    installFunction(vm);
    installArray(vm);
    installString(vm);
    installNumberAndBoolean(vm);
    installMath(vm);
    installError(vm);
    installBroadcaster(vm);
    installGlobalFunctions(vm);
    installMovieClip(vm);
    installDrawing(vm);
    installSound(vm);
    installIntervals(vm);
    installDate(vm);
    installStage(vm);
    installColor(vm);
    installGeometry(vm);
    installClipDisplay(vm);
    installTransform(vm);
    installBitmapData(vm);
    installInput(vm);
    installTextField(vm);
    installTextFormat(vm);
    installSelection(vm);
    installStyleSheet(vm);
    installXml(vm);
    installLoadVars(vm);
    installMovieClipLoader(vm);
    installSharedObject(vm);
}

} // namespace sky::swf::avm1
