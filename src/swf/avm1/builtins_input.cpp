// The objects scripts reach the mouse and the keyboard through: Mouse and
// Key (broadcasters whose listeners the player tells of every event), and
// Button, the class of a movie's buttons.

#include "builtins.h"

namespace sky::swf::avm1 {
namespace {

Value keyIsDown(Vm &vm, CallInfo &c) { return vm.host()->keyIsDown(vm.toInt32(c.arg(0))); }
Value keyCode(Vm &vm, CallInfo &) { return vm.host()->lastKey(false); }
Value keyAscii(Vm &vm, CallInfo &) { return vm.host()->lastKey(true); }
Value isToggled(Vm &vm, CallInfo &c) { return vm.host()->keyIsToggled(vm.toInt32(c.arg(0))); }
Value showPointer(Vm &, CallInfo &) { return 1; }
Value hidePointer(Vm &, CallInfo &) { return 0; }
Value buttonDepth(Vm &vm, CallInfo &c)
{
    const bool button = c.self.isObject() && c.self.object->kind == ObjectKind::Clip;
    return button ? Value(vm.host()->clipDepth(c.self.object->clip)) : Value();
}

} // namespace

void installInput(Vm &vm)
{
    Object *mouse = newBroadcaster(vm, QStringLiteral("Mouse"));
    defineMethods(vm, mouse, {{u"show", showPointer}, {u"hide", hidePointer}});

    Object *key = newBroadcaster(vm, QStringLiteral("Key"));
    defineMethods(vm, key, {{u"isDown", keyIsDown}, {u"getCode", keyCode}, {u"getAscii", keyAscii},
                            {u"isToggled", isToggled}});
    static const std::pair<const char16_t *, int> codes[] = {
        {u"BACKSPACE", 8}, {u"CAPSLOCK", 20}, {u"CONTROL", 17}, {u"DELETEKEY", 46}, {u"DOWN", 40},
        {u"END", 35},      {u"ENTER", 13},    {u"ESCAPE", 27},  {u"HOME", 36},      {u"INSERT", 45},
        {u"LEFT", 37},     {u"PGDN", 34},     {u"PGUP", 33},    {u"RIGHT", 39},     {u"SHIFT", 16},
        {u"SPACE", 32},    {u"TAB", 9},       {u"UP", 38},
    };
    for (const auto &[name, code] : codes)
        vm.put(key, QString::fromUtf16(name), code, dontEnum | dontDelete | readOnly);

    vm.buttonProto = vm.newPlain();
    defineClass(vm, QStringLiteral("Button"), vm.buttonProto, nothing);
    defineMethods(vm, vm.buttonProto, {{u"getDepth", buttonDepth}});
    for (Object *proto : {vm.buttonProto, vm.clipProto}) {
        vm.put(proto, QStringLiteral("useHandCursor"), true, dontEnum);
        vm.put(proto, QStringLiteral("enabled"), true, dontEnum);
    }
}

} // namespace sky::swf::avm1
