#include "scriptruntime.h"

#include "avm1/builtins.h"
#include "avm1/dataloads.h"
#include "moviefiles.h"
#include "movieplayer.h"

#include <algorithm>

namespace sky::swf {

using avm1::Object;
using avm1::Value;

namespace {

// Scripts and events run in one tick at most; the rest waits.
constexpr std::size_t maxQueuedPerTick = 100'000;

enum ClipEvent : quint32 {
    eventLoad = 0x1,
    eventEnterFrame = 0x2,
    eventUnload = 0x4,
    eventData = 0x100,
    eventInitialize = 0x200,
    eventConstruct = 0x40000,
};

avm1::Limits limitsFor(const MoviePlayer &player)
{
    avm1::Limits limits = player.scriptLimits();
    limits.callDepth = qMin(limits.callDepth, player.movie()->recursionLimit());
    return limits;
}

} // namespace

ScriptRuntime::ScriptRuntime(MoviePlayer &player, ClipStage &stage)
    : player_(player)
    , stage_(stage)
    , vm_(player.movie()->version(), this, limitsFor(player))
{
    initDone_.assign(std::size_t(player.movie()->timeline().frameCount()) + 1, false);
}

ScriptRuntime::~ScriptRuntime() { writeKeptData(); }

void ScriptRuntime::writeKeptData()
{
    vm_.beginFrame();
    avm1::flushSharedObjects(vm_);
}

void ScriptRuntime::start()
{
    vm_.beginFrame();
    stage_.gotoFrame(stage_.root(), 1);
    runConstructs();
    runQueue();
    runIntervals();
}

void ScriptRuntime::tick()
{
    vm_.beginFrame();
    ++stage_.tick;
    const std::vector<int> order = stage_.executionOrder();
    for (const int handle : order)
        if (StageClip *c = clip(handle); c && c->playing && c->timeline && !c->unloading)
            stage_.nextFrame(*c);
    runConstructs();
    for (const int handle : order)
        if (StageClip *c = clip(handle); c && isMovieClip(*c) && !c->unloading)
            dispatch(handle, eventEnterFrame, QStringLiteral("onEnterFrame"));
    runQueue();
    trackPointer();
    settle();
    runIntervals();
}

// The intervals due before the next frame's time run after this frame, the
// actions each queues (a clip it attached loading) before the next is called.
void ScriptRuntime::runIntervals()
{
    avm1::runIntervals(vm_, time() + framePeriod(), [this] { settle(); });
}

void ScriptRuntime::gotoMainFrame(int frame, bool play)
{
    vm_.beginFrame();
    gotoFrame(stage_.root().handle, frame, play);
    settle();
}

bool ScriptRuntime::isMovieClip(const StageClip &c) const
{
    return (c.timeline || c.placement.characterId == 0) && !c.field;
}

void ScriptRuntime::dispatch(int handle, quint32 event, const QString &method)
{
    StageClip *c = clip(handle);
    if (!c)
        return;
    // Handlers run by the rules of their own movie's version, whoever
    // set off the event.
    const int outer = vm_.movieVersion();
    vm_.setMovieVersion(c->childLibrary().version());
    runHandlers(handle, event, method);
    vm_.setMovieVersion(outer);
}

void ScriptRuntime::runHandlers(int handle, quint32 event, const QString &method)
{
    StageClip *c = clip(handle);
    if (event && c->placement.clipActions) {
        const auto actions = c->placement.clipActions;
        for (const ClipAction &action : *actions)
            if ((action.events & event) && clip(handle))
                vm_.runScript(action.code, clipObject(handle));
    }
    if (method.isEmpty() || !clip(handle))
        return;
    Object *self = clipObject(handle);
    if (const Value fn = vm_.handler(self, method); fn.isObject())
        vm_.callEvent(fn, self);
}

void ScriptRuntime::clipCreated(StageClip &c)
{
    if (!isMovieClip(c) || fieldToPlace_) {
        fieldPlaced(c);
        return;
    }
    if (scriptMaking_) {
        scriptMaking_ = false; // its maker constructs it
        dispatch(c.handle, eventInitialize, QString());
    } else {
        constructs_.push_back(c.handle);
    }
    queue_.push_back({Queued::Load, c.handle, nullptr});
}

void ScriptRuntime::construct(int handle)
{
    dispatch(handle, eventConstruct, QString());
    StageClip *c = clip(handle);
    if (Object *object = c ? clipObject(handle) : nullptr)
        vm_.constructExisting(registeredClass(*c), object);
}

void ScriptRuntime::initialiseClip(int handle, const Value &init)
{
    if (Object *object = clipObject(handle); object && init.isObject())
        for (const QString &name : vm_.enumerate(init.object))
            vm_.set(object, name, vm_.get(init.object, name));
    construct(handle);
}

Value ScriptRuntime::registeredClass(const StageClip &c)
{
    const quint16 characterId = c.placement.characterId;
    if (!characterId)
        return {};
    const Value registry = vm_.get(vm_.get(vm_.global, QStringLiteral("Object")).object, QStringLiteral("__classes"));
    if (!registry.isObject())
        return {};
    for (const avm1::Property &p : registry.object->properties())
        if (c.library->exportedId(p.name) == characterId)
            return p.value;
    return {};
}

void ScriptRuntime::clipReady(StageClip &) { }

void ScriptRuntime::frameEntered(StageClip &c, const Frame &frame, std::size_t first, std::size_t last)
{
    // A movie's init actions run once, the first time its frame is reached.
    const auto initsDue = [&] {
        if (c.loaded)
            return loadedInitsDone_.insert({c.handle, c.frame}).second;
        if (&c != &stage_.root() || initDone_[std::size_t(c.frame)])
            return false;
        initDone_[std::size_t(c.frame)] = true;
        return true;
    };
    if (!frame.initScripts.empty() && initsDue())
        for (const auto &code : frame.initScripts)
            vm_.runScript(code, clipObject(c.handle));
    for (std::size_t i = first; i < last && i < frame.scripts.size(); ++i)
        queue_.push_back({Queued::Script, c.handle, frame.scripts[i]});
}

bool ScriptRuntime::hasUnloadHandler(int handle)
{
    StageClip *c = clip(handle);
    if (!c || !isMovieClip(*c))
        return false;
    if (c->placement.clipActions)
        for (const ClipAction &action : *c->placement.clipActions)
            if (action.events & eventUnload)
                return true;
    return vm_.handler(clipObject(handle), QStringLiteral("onUnload")).isObject();
}

bool ScriptRuntime::clipRemoving(StageClip &c)
{
    const std::vector<int> tree = stage_.subtree(c);
    // The focus leaves with what has it, and the Selection listeners hear
    // of it, even while an unload handler keeps the clip a while longer.
    if (std::find(tree.begin(), tree.end(), focus_) != tree.end())
        focusOn(0, false);
    if (std::none_of(tree.begin(), tree.end(), [this](int handle) { return hasUnloadHandler(handle); }))
        return false;
    queue_.push_back({Queued::Unload, c.handle, nullptr});
    return true;
}

void ScriptRuntime::clipRemoved(StageClip &c)
{
    if (isMovieClip(c) && !c.unloading)
        dispatch(c.handle, eventUnload, QStringLiteral("onUnload"));
    if (c.handle == focus_ && !c.unloading)
        focusOn(0, false);
    ownFocusRect_.erase(c.handle);
    forgetLoadedInits(c.handle);
    // References to it go on naming the clip at its path.
    if (const auto found = objects_.find(c.handle); found != objects_.end()) {
        found->second->primitive = clipTarget(c.handle);
        objects_.erase(found);
    }
}

void ScriptRuntime::forgetLoadedInits(int handle)
{
    std::erase_if(loadedInitsDone_, [handle](const std::pair<int, int> &done) { return done.first == handle; });
}

void ScriptRuntime::runConstructs()
{
    // The clips the timelines made are initialized once all of them are
    // there, their children too, and only then constructed.
    std::vector<int> pending = std::exchange(constructs_, {});
    for (const int handle : pending)
        dispatch(handle, eventInitialize, QString());
    for (const int handle : pending)
        construct(handle);
}

void ScriptRuntime::runQueue()
{
    for (std::size_t done = 0; !queue_.empty() && done < maxQueuedPerTick; ++done) {
        const Queued item = queue_.front();
        queue_.pop_front();
        const StageClip *c = clip(item.clip);
        if (!c)
            continue;
        // A movie loaded into a clip runs by the rules of its own version.
        vm_.setMovieVersion(c->childLibrary().version());
        if (item.kind == Queued::Script) {
            vm_.runScript(item.code, clipObject(item.clip));
        } else if (item.kind == Queued::Load) {
            dispatch(item.clip, eventLoad, QStringLiteral("onLoad"));
        } else if (item.kind == Queued::Pointer) {
            pointerEvent(item.clip, PointerEvent(item.pointerEvent));
        } else {
            for (const int handle : stage_.subtree(*clip(item.clip)))
                dispatch(handle, eventUnload, QStringLiteral("onUnload"));
            unloaded_.push_back(item.clip);
        }
        runConstructs();
    }
    queue_.clear();
    vm_.setMovieVersion(player_.movie()->version());
    for (const int handle : std::exchange(unloaded_, {}))
        if (StageClip *c = clip(handle))
            stage_.finishRemoval(*c);
    updateFields();
    if (!vm_.collectionDue())
        return;
    std::vector<Object *> roots;
    roots.reserve(objects_.size());
    for (const auto &[handle, object] : objects_)
        roots.push_back(object);
    vm_.collect(roots);
}

void ScriptRuntime::soundsFinished()
{
    vm_.beginFrame();
    vm_.guarded([this] { avm1::completeSounds(vm_); });
}

avm1::SoundHost *ScriptRuntime::sounds() { return player_.stageSounds(); }

void ScriptRuntime::filesLoaded()
{
    vm_.beginFrame();
    avm1::finishDataLoads(vm_);
}

std::optional<QByteArray> ScriptRuntime::readFile(const QString &url, qint64 maxBytes)
{
    return readMovieFile(player_.movieFolder(), url, maxBytes);
}

QString ScriptRuntime::moviePath() { return player_.moviePath(); }

void ScriptRuntime::variablesLoaded(int clip) { dispatch(clip, eventData, QStringLiteral("onData")); }

ObjectStore *ScriptRuntime::objectStore() { return player_.objectStore(); }

void ScriptRuntime::trace(const QString &text)
{
    if (onTrace)
        onTrace(text);
}

// The debugging player's log line, which shows among the traces.
void ScriptRuntime::placeRefused(int depth)
{
    trace(QStringLiteral("Warning: Failed to place object at depth %1.").arg(depth));
}

void ScriptRuntime::fsCommand(const QString &command, const QString &)
{
    if (command.compare(QStringLiteral("quit"), Qt::CaseInsensitive) == 0)
        quit_ = true;
}

Object *ScriptRuntime::clipObject(int handle)
{
    if (const auto found = objects_.find(handle); found != objects_.end())
        return found->second;
    StageClip *c = clip(handle);
    if (!c || !(isMovieClip(*c) || c->button || c->field))
        return nullptr;
    // Before SWF 6 a button is no object of its own: scripts reach its
    // timeline instead.
    if (c->button && vm_.movieVersion() < 6)
        return c->parent ? clipObject(c->parent->handle) : nullptr;
    Object *proto = c->field ? vm_.textFieldProto : c->button ? vm_.buttonProto : vm_.clipProto;
    if (const Value ctor = registeredClass(*c); ctor.isObject()) {
        const Value prototype = vm_.get(ctor.object, QStringLiteral("prototype"));
        if (prototype.isObject())
            proto = prototype.object;
    }
    Object *object = vm_.newObject(proto, avm1::ObjectKind::Clip);
    object->clip = handle;
    objects_.emplace(handle, object);
    return object;
}

double ScriptRuntime::framePeriod() const { return 1000.0 / qMax(1.0, player_.movie()->frameRate()); }

double ScriptRuntime::time() { return double(stage_.tick) * framePeriod(); }

double ScriptRuntime::dateNow() { return player_.startDate() + time(); }

QSizeF ScriptRuntime::stageSize() { return player_.movie()->stageSize(); }

QSizeF ScriptRuntime::viewSize() { return player_.viewSize().isEmpty() ? stageSize() : QSizeF(player_.viewSize()); }

avm1::ClipColor ScriptRuntime::clipColor(int handle)
{
    const StageClip *c = clip(handle);
    return c ? avm1::ClipColor{c->placement.color.mul, c->placement.color.add} : avm1::ClipColor{};
}

// A colour set by a script, like a position, is kept from the timeline's.
void ScriptRuntime::setClipColor(int handle, const avm1::ClipColor &color)
{
    StageClip *c = clip(handle);
    if (!c)
        return;
    touchTransform(*c);
    c->placement.color.mul = color.mul;
    c->placement.color.add = color.add;
}

void ScriptRuntime::viewResized()
{
    vm_.beginFrame();
    avm1::stageResized(vm_);
}

} // namespace sky::swf
