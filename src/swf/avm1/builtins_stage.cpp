// Stage (the movie's stage: its size, how it is scaled into the window,
// listeners told when the window resizes) and System.capabilities (what
// this player is: a fixed answer about a Linux player without a camera,
// microphone, printing or video encoding).

#include "builtins.h"

#include <cmath>

namespace sky::swf::avm1 {
namespace {

// The version scripts read from $version, getVersion() and System.capabilities.
const QString playerVersion = QStringLiteral("LNX 8,0,0,0");

Object *stageOf(Vm &vm) { return vm.get(vm.global, QStringLiteral("Stage")).object; }

// With scaleMode "noScale" the stage is as large as the window; otherwise it
// keeps the movie's size.
bool followsWindow(Vm &vm)
{
    Object *stage = stageOf(vm);
    return stage && vm.toString(vm.get(stage, QStringLiteral("scaleMode"))).compare(u"noScale", Qt::CaseInsensitive) == 0;
}

QSizeF stageSize(Vm &vm) { return followsWindow(vm) ? vm.host()->viewSize() : vm.host()->stageSize(); }

Value stageWidth(Vm &vm, CallInfo &) { return std::round(stageSize(vm).width()); }
Value stageHeight(Vm &vm, CallInfo &) { return std::round(stageSize(vm).height()); }
Value viewWidth(Vm &vm, CallInfo &) { return std::round(vm.host()->viewSize().width()); }
Value viewHeight(Vm &vm, CallInfo &) { return std::round(vm.host()->viewSize().height()); }
Value versionMethod(Vm &, CallInfo &) { return playerVersion; }

// A property read through a native getter, not enumerable and not settable.
void defineGetter(Vm &vm, Object *target, const QString &name, Native getter)
{
    Property &p = target->add(vm.key(name), name, Value(), dontEnum | dontDelete);
    p.getter = vm.newNative(getter);
}

void installCapabilities(Vm &vm)
{
    Object *system = vm.newPlain();
    vm.defineHidden(vm.global, QStringLiteral("System"), system);
    Object *caps = vm.newPlain();
    vm.defineHidden(system, QStringLiteral("capabilities"), caps);
    // The input method editor, which this player has none of, tells
    // listeners as the others do.
    newBroadcaster(vm, QStringLiteral("IME"), system);
    const std::pair<const char16_t *, Value> answers[] = {
        {u"os", QStringLiteral("Linux")},
        {u"version", playerVersion},
        {u"manufacturer", QStringLiteral("SKYVANTRIX Linux")},
        {u"playerType", QStringLiteral("StandAlone")},
        {u"language", QStringLiteral("en")},
        {u"isDebugger", false},
        {u"hasAudio", true},
        {u"hasMP3", true},
        {u"hasStreamingAudio", true},
        {u"hasAudioEncoder", false},
        {u"hasVideoEncoder", false},
        {u"hasEmbeddedVideo", false},
        {u"hasStreamingVideo", false},
        {u"hasScreenBroadcast", false},
        {u"hasScreenPlayback", false},
        {u"hasPrinting", false},
        {u"hasAccessibility", false},
        {u"avHardwareDisable", true},
        {u"localFileReadDisable", true},
        {u"screenColor", QStringLiteral("color")},
        {u"screenDPI", 72},
        {u"pixelAspectRatio", 1},
    };
    for (const auto &[name, value] : answers)
        vm.put(caps, QString::fromUtf16(name), value);
    // The screen the movie sees is its window.
    defineGetter(vm, caps, QStringLiteral("screenResolutionX"), viewWidth);
    defineGetter(vm, caps, QStringLiteral("screenResolutionY"), viewHeight);
    vm.put(caps, QStringLiteral("serverString"),
           QStringLiteral("OS=Linux&V=%1&M=SKYVANTRIX%20Linux&PT=StandAlone&L=en&A=t&MP3=t&SA=t")
               .arg(QString(playerVersion).replace(u' ', QStringLiteral("%20")).replace(u',', QStringLiteral("%2C"))));
}

} // namespace

void installStage(Vm &vm)
{
    Object *stage = newBroadcaster(vm, QStringLiteral("Stage"));
    defineGetter(vm, stage, QStringLiteral("width"), stageWidth);
    defineGetter(vm, stage, QStringLiteral("height"), stageHeight);
    vm.put(stage, QStringLiteral("scaleMode"), QStringLiteral("showAll"), dontEnum | dontDelete);
    vm.put(stage, QStringLiteral("align"), QString(), dontEnum | dontDelete);
    vm.put(stage, QStringLiteral("showMenu"), true, dontEnum | dontDelete);
    installCapabilities(vm);
    vm.method(vm.global, QStringLiteral("getVersion"), versionMethod);
    vm.defineHidden(vm.global, QStringLiteral("$version"), playerVersion);
}

void stageResized(Vm &vm)
{
    if (!followsWindow(vm))
        return;
    vm.guarded([&] {
        const Value message = QStringLiteral("onResize");
        Object *stage = stageOf(vm);
        vm.call(vm.get(stage, QStringLiteral("broadcastMessage")), stage, std::span<const Value>(&message, 1));
    });
}

} // namespace sky::swf::avm1
