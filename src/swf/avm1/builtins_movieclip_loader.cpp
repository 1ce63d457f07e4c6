// Pictures and movies loaded into clips: loadMovie and MovieClipLoader
// read a JPEG, PNG or GIF file beside the movie, which then shows in the
// clip in place of what it showed (its place, its properties and its
// variables stay), or a SWF movie, which plays there in place of it (the
// clip keeps its place and name, but not its variables).

#include "builtins.h"
#include "dataloads.h"

#include <QImage>

#include <deque>

namespace sky::swf::avm1 {
namespace {

// The clips a MovieClipLoader loads into, in the order of their loads.
struct LoaderState : NativeState {
    std::deque<Object *> targets;
    void references(std::vector<Object *> &out) const override { out.insert(out.end(), targets.begin(), targets.end()); }
};

LoaderState *loaderOf(const Value &v)
{
    return v.isObject() && v.object->state ? dynamic_cast<LoaderState *>(v.object->state.get()) : nullptr;
}

// The clip a target names: a clip, or its path.
Object *targetClip(Vm &vm, const Value &target)
{
    if (target.isObject())
        return target.object->kind == ObjectKind::Clip ? vm.liveClip(target.object) : nullptr;
    const int clip = target.isString() ? vm.host()->clipAtPath(target.string) : 0;
    return clip ? vm.host()->clipObject(clip) : nullptr;
}

bool isMovie(const QByteArray &bytes)
{
    return bytes.startsWith("FWS") || bytes.startsWith("CWS") || bytes.startsWith("ZWS");
}

// The picture or movie in `load` shown in `clip`, `loaded` called once it
// is known to be sound (for a movie, before its first frame runs); false
// when it is neither.
bool show(Vm &vm, Object *clip, const DataLoad &load, const std::function<void()> &loaded = {})
{
    if (isMovie(*load.bytes))
        return vm.host()->showMovie(clip->clip, *load.bytes, load.url, loaded);
    const QImage image = QImage::fromData(*load.bytes);
    if (image.isNull() || !vm.host()->showImage(clip->clip, image))
        return false;
    if (loaded)
        loaded();
    return true;
}

void deliverToLevel(Vm &vm, DataLoad &load)
{
    if (load.bytes && isMovie(*load.bytes))
        vm.host()->showLevel(load.level, *load.bytes, load.url);
}

void deliverToClip(Vm &vm, DataLoad &load)
{
    if (Object *clip = vm.liveClip(load.target); clip && load.bytes)
        show(vm, clip, load);
}

void broadcast(Vm &vm, Object *loader, const QString &event, std::initializer_list<Value> args)
{
    std::vector<Value> message{event};
    message.insert(message.end(), args);
    vm.call(vm.get(loader, QStringLiteral("broadcastMessage")), loader, message);
}

void deliverToLoader(Vm &vm, DataLoad &load)
{
    LoaderState *state = loaderOf(load.target);
    if (!state || state->targets.empty())
        return;
    Object *clip = vm.liveClip(state->targets.front());
    state->targets.pop_front();
    if (!clip)
        return;
    if (!load.bytes) {
        broadcast(vm, load.target, QStringLiteral("onLoadError"), {clip, QStringLiteral("URLNotFound"), 0});
        return;
    }
    const double size = double(load.bytes->size());
    broadcast(vm, load.target, QStringLiteral("onLoadStart"), {clip});
    broadcast(vm, load.target, QStringLiteral("onLoadProgress"), {clip, size, size});
    const auto complete = [&] { broadcast(vm, load.target, QStringLiteral("onLoadComplete"), {clip, 0}); };
    if (!show(vm, clip, load, complete)) {
        broadcast(vm, load.target, QStringLiteral("onLoadError"), {clip, QStringLiteral("LoadNeverCompleted"), 0});
        return;
    }
    broadcast(vm, load.target, QStringLiteral("onLoadInit"), {clip});
}

Value construct(Vm &vm, CallInfo &c)
{
    if (!c.self.isObject())
        return {};
    c.self.object->state = std::make_unique<LoaderState>();
    const Value self[] = {c.self};
    vm.call(vm.get(vm.broadcaster, QStringLiteral("initialize")), Value(), self);
    vm.call(vm.get(c.self.object, QStringLiteral("addListener")), c.self, self);
    return {};
}

Value loadClip(Vm &vm, CallInfo &c)
{
    LoaderState *state = loaderOf(c.self);
    Object *clip = targetClip(vm, c.arg(1));
    if (!state || !clip || c.arg(0).isUndefined())
        return false;
    state->targets.push_back(clip);
    startDataLoad(vm, c.self.object, vm.toString(c.arg(0)), deliverToLoader);
    return true;
}

Value unloadClip(Vm &vm, CallInfo &c)
{
    Object *clip = targetClip(vm, c.arg(0));
    return clip && vm.host()->showImage(clip->clip, QImage());
}

} // namespace

void loadMovie(Vm &vm, Object *clip, const QString &url)
{
    if (url.isEmpty())
        vm.host()->showImage(clip->clip, QImage());
    else
        startDataLoad(vm, clip, url, deliverToClip);
}

void loadLevel(Vm &vm, int level, const QString &url)
{
    if (url.isEmpty()) {
        vm.host()->unloadLevel(level);
        return;
    }
    startDataLoad(vm, nullptr, url, deliverToLevel);
    vm.dataLoads.back().level = level;
}

Value loadClipMovie(Vm &vm, CallInfo &c)
{
    if (Object *clip = targetClip(vm, c.self); clip && !c.arg(0).isUndefined())
        loadMovie(vm, clip, vm.toString(c.arg(0)));
    return {};
}

Value unloadClipMovie(Vm &vm, CallInfo &c)
{
    if (Object *clip = targetClip(vm, c.self))
        vm.host()->showImage(clip->clip, QImage());
    return {};
}

void installMovieClipLoader(Vm &vm)
{
    Object *proto = vm.newPlain();
    defineClass(vm, QStringLiteral("MovieClipLoader"), proto, construct);
    defineMethods(vm, proto, {{u"loadClip", loadClip}, {u"unloadClip", unloadClip}});
}

} // namespace sky::swf::avm1
