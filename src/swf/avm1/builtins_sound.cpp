// The Sound class: sounds exported by the movie, started and stopped by
// script, and the volume and balance of a clip's sounds.

#include "activation.h"
#include "builtins.h"
#include "soundhost.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace sky::swf::avm1 {
namespace {

struct SoundState : NativeState {
    // Made for a clip, named by its path: the clip is looked up again on
    // every call, so a clip removed and made again under the same name is
    // found, and a renamed one is not. A path given as text is read from
    // the timeline of the code that calls, a clip by its full path.
    // Without a target, the Sound speaks for every sound, and its sounds
    // come from the library of the movie whose code made it.
    bool targeted = false;
    QString target;
    int home = 0;                       // that library, without a target
    quint16 sound = 0;                  // attached or loaded
    bool loading = false;               // loaded, its onLoad not yet called
    bool streaming = false;             // starts when loaded
    std::optional<std::vector<audio::Id3Frame>> id3; // of the file loaded
    std::vector<quint64> voices;        // started and still playing
    double position = 0;                // milliseconds, where the last voice stood
    std::optional<Value> positionSet;   // a value a script gave `position`
};

SoundState *stateOf(const Value &self)
{
    if (!self.isObject())
        return nullptr;
    return dynamic_cast<SoundState *>(self.object->state.get());
}

// The clip a Sound stands for: 0 for every sound, nothing when its clip
// is not there.
std::optional<int> ownerOf(Vm &vm, const SoundState &s)
{
    if (!s.targeted)
        return 0;
    Activation root;
    root.target = vm.host()->clipObject(vm.host()->clipRoot());
    root.self = root.target;
    const Object *clip = resolveTarget(vm, vm.current ? *vm.current : root, s.target);
    if (!clip || clip->kind != ObjectKind::Clip)
        return std::nullopt;
    return clip->clip;
}

struct Call {
    SoundState *state = nullptr;
    SoundHost *host = nullptr;
    int owner = 0;
    int library = 0; // whose sounds it attaches, loads and starts
};

// The clip and the clips it lies in, innermost first: their volumes all
// apply to its sounds. Empty for every sound.
std::vector<int> ownerChain(Vm &vm, int owner)
{
    constexpr int deepest = 256;
    std::vector<int> chain;
    for (int clip = owner; clip != 0 && int(chain.size()) < deepest; clip = vm.host()->clipParent(clip))
        chain.push_back(clip);
    return chain;
}

// The Sound `self`, the player's sounds, and its clip; nothing when any
// of them is missing.
std::optional<Call> soundCall(Vm &vm, const Value &self)
{
    SoundState *state = stateOf(self);
    SoundHost *host = vm.host()->sounds();
    if (!state || !host)
        return std::nullopt;
    const std::optional<int> owner = ownerOf(vm, *state);
    if (!owner)
        return std::nullopt;
    return Call{state, host, *owner, state->targeted ? host->soundLibrary(*owner) : state->home};
}

std::optional<Call> soundCall(Vm &vm, CallInfo &c) { return soundCall(vm, c.self); }

Value construct(Vm &vm, CallInfo &c)
{
    Object *self = c.self.isObject() ? c.self.object : nullptr;
    if (!self)
        return {};
    auto state = std::make_unique<SoundState>();
    const Value target = c.arg(0);
    if (!target.isNullish()) {
        state->targeted = true;
        state->target = target.isObject() && target.object->kind == ObjectKind::Clip
                            ? vm.host()->clipTarget(target.object->clip)
                            : vm.toString(target);
    }
    const Object *code = vm.current ? vm.current->target : nullptr;
    if (SoundHost *host = vm.host()->sounds(); host && code && code->kind == ObjectKind::Clip)
        state->home = host->soundLibrary(code->clip);
    self->state = std::move(state);
    return {};
}

double durationOf(const Call &call)
{
    return call.state->sound ? call.host->soundDuration(call.library, call.state->sound) : -1;
}

// Milliseconds into the sound the Sound last started.
double positionOf(const Call &call)
{
    SoundState &s = *call.state;
    if (!s.voices.empty()) {
        const double at = call.host->soundPosition(s.voices.back());
        if (at >= 0)
            s.position = at;
    }
    return s.position;
}

Value wholeMilliseconds(double ms) { return ms < 0 ? Value() : Value(std::round(ms)); }

// Volume and pan are whole numbers; what is no number or does not fit in
// 32 bits becomes the smallest one, and a missing argument 0.
double wholeSetting(Vm &vm, CallInfo &c)
{
    if (c.args.empty())
        return 0;
    const double v = std::trunc(vm.toNumber(c.arg(0)));
    return std::isnan(v) || v < -2147483648.0 || v > 2147483647.0 ? -2147483648.0 : v;
}

double wrapped32(qint64 v) { return double(qint32(quint32(quint64(v)))); }

Value attachSound(Vm &vm, CallInfo &c)
{
    if (const auto call = soundCall(vm, c)) {
        call->state->sound = call->host->exportedSound(call->library, vm.toString(c.arg(0)));
        call->state->position = 0;
    }
    return {};
}

Value start(Vm &vm, CallInfo &c)
{
    const auto call = soundCall(vm, c);
    if (!call || !call->state->sound)
        return {};
    const double offset = c.args.empty() ? 0 : vm.toNumber(c.arg(0));
    const double loops = c.args.size() < 2 ? 1 : vm.toNumber(c.arg(1));
    // No sound lasts a day; a larger offset plays nothing all the same.
    const double seconds = std::isfinite(offset) ? std::clamp(offset, 0.0, 86400.0) : 0;
    const quint64 voice = call->host->startSound(call->library, call->state->sound, seconds,
                                                 std::isfinite(loops) ? int(std::clamp(loops, 1.0, 1e6)) : 1,
                                                 ownerChain(vm, call->owner));
    if (!voice)
        return {};
    call->state->voices.push_back(voice);
    call->state->position = 0;
    if (std::find(vm.playingSounds.begin(), vm.playingSounds.end(), c.self.object) == vm.playingSounds.end())
        vm.playingSounds.push_back(c.self.object);
    return {};
}

Value stop(Vm &vm, CallInfo &c)
{
    const auto call = soundCall(vm, c);
    if (!call)
        return {};
    quint16 id = 0;
    if (!c.args.empty()) {
        id = call->host->exportedSound(call->library, vm.toString(c.arg(0)));
        if (!id)
            return {};
    }
    positionOf(*call);
    call->host->stopSounds(call->library, call->owner, id);
    return {};
}

Value getVolume(Vm &vm, CallInfo &c)
{
    const auto call = soundCall(vm, c);
    return call ? Value(call->host->soundTransform(call->owner).volume) : Value();
}

Value setVolume(Vm &vm, CallInfo &c)
{
    if (const auto call = soundCall(vm, c)) {
        audio::SoundTransform t = call->host->soundTransform(call->owner);
        t.volume = wholeSetting(vm, c);
        call->host->setSoundTransform(call->owner, t);
    }
    return {};
}

Value getPan(Vm &vm, CallInfo &c)
{
    const auto call = soundCall(vm, c);
    if (!call)
        return {};
    const audio::SoundTransform t = call->host->soundTransform(call->owner);
    const auto magnitude = [](double v) { return std::abs(qint64(v)); };
    return wrapped32(t.ll == 100 ? magnitude(t.rr) - 100 : 100 - magnitude(t.ll));
}

Value setPan(Vm &vm, CallInfo &c)
{
    if (const auto call = soundCall(vm, c)) {
        const qint64 pan = qint64(wholeSetting(vm, c));
        audio::SoundTransform t = call->host->soundTransform(call->owner);
        t.ll = pan > 0 ? wrapped32(100 - pan) : 100;
        t.rr = pan < 0 ? wrapped32(100 + pan) : 100;
        t.lr = t.rl = 0;
        call->host->setSoundTransform(call->owner, t);
    }
    return {};
}

Value getTransform(Vm &vm, CallInfo &c)
{
    const auto call = soundCall(vm, c);
    if (!call)
        return {};
    const audio::SoundTransform t = call->host->soundTransform(call->owner);
    Object *o = vm.newPlain();
    vm.set(o, QStringLiteral("ll"), t.ll);
    vm.set(o, QStringLiteral("lr"), t.lr);
    vm.set(o, QStringLiteral("rr"), t.rr);
    vm.set(o, QStringLiteral("rl"), t.rl);
    return o;
}

Value setTransform(Vm &vm, CallInfo &c)
{
    const auto call = soundCall(vm, c);
    if (!call || !c.arg(0).isObject())
        return {};
    Object *o = c.arg(0).object;
    audio::SoundTransform t = call->host->soundTransform(call->owner);
    for (auto [name, field] : {std::pair{u"ll", &t.ll}, {u"lr", &t.lr}, {u"rr", &t.rr}, {u"rl", &t.rl}}) {
        // Only the object's own fields count, not what it inherits.
        const QString key = QString::fromUtf16(name);
        if (o->find(vm.key(key)))
            *field = vm.toInt32(vm.get(o, key));
    }
    call->host->setSoundTransform(call->owner, t);
    return {};
}

Value loadSound(Vm &vm, CallInfo &c)
{
    const auto call = soundCall(vm, c);
    if (!call)
        return {};
    SoundState &s = *call->state;
    s.id3.reset();
    s.sound = call->host->loadSoundFile(call->library, vm.toString(c.arg(0)), &s.id3);
    s.loading = true;
    s.streaming = vm.toBoolean(c.arg(1));
    s.position = 0;
    if (std::find(vm.playingSounds.begin(), vm.playingSounds.end(), c.self.object) == vm.playingSounds.end())
        vm.playingSounds.push_back(c.self.object);
    return {};
}

Value getDuration(Vm &vm, CallInfo &c)
{
    const auto call = soundCall(vm, c);
    if (call && call->state->loading)
        return 0;
    return call ? wholeMilliseconds(durationOf(*call)) : Value();
}

Value getPosition(Vm &vm, CallInfo &c)
{
    const auto call = soundCall(vm, c);
    if (!call || (!call->state->sound && !call->state->loading))
        return {};
    return wholeMilliseconds(positionOf(*call));
}

// `position` takes a value only together with `duration` after it, and
// only before a sound is attached or loaded: the two then hold what was
// given and no longer follow the sound.
Value setPosition(Vm &, CallInfo &c)
{
    if (SoundState *s = stateOf(c.self))
        s->positionSet = c.arg(0);
    return {};
}

Value setDuration(Vm &vm, CallInfo &c)
{
    SoundState *s = stateOf(c.self);
    if (!s || !s->positionSet || s->sound || s->loading)
        return {};
    vm.put(c.self.object, QStringLiteral("position"), *s->positionSet);
    vm.put(c.self.object, QStringLiteral("duration"), c.arg(0));
    return {};
}

// The `id3` object of a Sound: each frame of the tag under its name,
// the common ones under a word too, comments in an array (the last one
// also under "comment"). It has no prototype, so it converts to nothing.
Object *id3Object(Vm &vm, const std::vector<audio::Id3Frame> &frames)
{
    static const std::pair<const char16_t *, const char16_t *> words[] = {
        {u"TPE1", u"artist"}, {u"TALB", u"album"}, {u"TIT2", u"songname"}, {u"TRCK", u"track"},
        {u"TYER", u"year"},   {u"TCON", u"genre"}, {u"COMM", u"comment"},
    };
    Object *o = vm.newObject(nullptr);
    std::vector<Value> comments;
    for (const audio::Id3Frame &frame : frames) {
        for (const auto &[id, word] : words)
            if (frame.id == QStringView(id))
                vm.put(o, QString::fromUtf16(word), frame.text);
        if (frame.id == u"COMM")
            comments.push_back(frame.text);
        vm.put(o, frame.id, frame.text); // the comments' place; their array comes last
    }
    if (!comments.empty())
        vm.put(o, QStringLiteral("COMM"), vm.newArray(comments));
    return o;
}

// A sound loaded: onID3 when the file has a tag, then onLoad with whether
// it could be read; a streaming sound starts.
void finishLoad(Vm &vm, Object *sound)
{
    SoundState *s = stateOf(sound);
    // onID3 comes while the sound still counts as loading.
    if (s->sound && s->id3) {
        vm.put(sound, QStringLiteral("id3"), id3Object(vm, *s->id3));
        const Value onId3 = vm.get(sound, QStringLiteral("onID3"));
        const Value loaded[] = {Value(true)};
        if (onId3.isObject())
            vm.callEvent(onId3, sound, loaded);
    }
    s->loading = false;
    const Value onLoad = vm.get(sound, QStringLiteral("onLoad"));
    if (onLoad.isObject()) {
        const Value ok[] = {Value(s->sound != 0)};
        vm.callEvent(onLoad, sound, ok);
    }
    const std::optional<Call> call = soundCall(vm, sound);
    if (s->streaming && s->sound && call)
        if (const quint64 voice = call->host->startSound(call->library, s->sound, 0, 1, ownerChain(vm, call->owner)))
            s->voices.push_back(voice);
}

// Every sound loaded since the last call; a file the callbacks load in
// turn finishes in the same go.
void finishLoads(Vm &vm)
{
    constexpr int rounds = 64;
    const auto loading = [](Object *sound) {
        const SoundState *s = stateOf(sound);
        return s && s->loading;
    };
    for (int round = 0; round < rounds; ++round) {
        if (std::none_of(vm.playingSounds.begin(), vm.playingSounds.end(), loading))
            return;
        for (Object *sound : std::vector<Object *>(vm.playingSounds))
            if (loading(sound))
                finishLoad(vm, sound);
    }
}

} // namespace

void installSound(Vm &vm)
{
    Object *proto = vm.newPlain();
    defineClass(vm, QStringLiteral("Sound"), proto, construct);
    defineMethods(vm, proto, {
        {u"getPan", getPan},
        {u"getTransform", getTransform},
        {u"getVolume", getVolume},
        {u"setPan", setPan},
        {u"setTransform", setTransform},
        {u"setVolume", setVolume},
        {u"stop", stop},
        {u"attachSound", attachSound},
        {u"start", start},
    });
    if (vm.version() < 6)
        return;
    defineMethods(vm, proto, {{u"getDuration", getDuration}, {u"getPosition", getPosition}, {u"loadSound", loadSound}});
    defineAccessor(vm, proto, QStringLiteral("duration"), getDuration, setDuration);
    defineAccessor(vm, proto, QStringLiteral("position"), getPosition, setPosition);
}

void completeSounds(Vm &vm)
{
    SoundHost *host = vm.host()->sounds();
    if (!host)
        return;
    finishLoads(vm);
    const std::vector<quint64> finished = host->finishedSounds();
    for (const quint64 voice : finished) {
        for (Object *sound : std::vector<Object *>(vm.playingSounds)) {
            SoundState *s = stateOf(sound);
            if (!s || std::erase(s->voices, voice) == 0)
                continue;
            // A sound that played out stands at its end.
            if (const std::optional<Call> call = soundCall(vm, sound); call && s->sound)
                s->position = std::max(0.0, durationOf(*call));
            if (s->voices.empty())
                std::erase(vm.playingSounds, sound);
            const Value callback = vm.get(sound, QStringLiteral("onSoundComplete"));
            if (callback.isObject())
                vm.callEvent(callback, sound);
        }
    }
    // Sounds stopped by script are let go once nothing of them plays.
    std::erase_if(vm.playingSounds, [host](Object *sound) {
        SoundState *s = stateOf(sound);
        if (s)
            std::erase_if(s->voices, [host](quint64 voice) { return host->soundPosition(voice) < 0; });
        return !s || (s->voices.empty() && !s->loading);
    });
}

void stopAllSounds(Vm &vm)
{
    SoundHost *host = vm.host()->sounds();
    if (!host)
        return;
    for (Object *sound : vm.playingSounds)
        if (SoundState *s = stateOf(sound))
            positionOf(Call{s, host});
    host->stopSounds(0, 0, 0);
}

} // namespace sky::swf::avm1
