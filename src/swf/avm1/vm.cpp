#include "vm.h"

#include "builtins.h"
#include "calls.h"
#include "decoder.h"

#include <cstdio>

namespace sky::swf::avm1 {

Vm::Vm(int swfVersion, Host *host, Limits limits)
    : version_(swfVersion)
    , movieVersion_(swfVersion)
    , mainMovieVersion_(swfVersion)
    , host_(host)
    , limits_(limits)
{
    objectProto = newObject(nullptr);
    functionProto = newObject(objectProto);
    installBuiltins(*this);
    clock_.start();
}

Vm::~Vm() = default;

Object *Vm::newObject(Object *proto, ObjectKind kind)
{
    if (qint64(heap_.size()) >= limits_.objects)
        throw ScriptAbort{QStringLiteral("too many objects")};
    heap_.push_back(std::make_unique<Object>(proto, kind));
    return heap_.back().get();
}

Object *Vm::newArray(const std::vector<Value> &elements)
{
    Object *array = newObject(arrayProto, ObjectKind::Array);
    for (const Value &v : elements)
        arrayPush(array, v);
    return array;
}

Object *Vm::newNative(Native fn, Native constructor)
{
    Object *f = newObject(functionProto, ObjectKind::Function);
    f->native = fn;
    f->constructor = constructor;
    return f;
}

Object *Vm::newFunction(std::shared_ptr<ScriptFunction> fn)
{
    Object *f = newObject(functionProto, ObjectKind::Function);
    f->script = std::move(fn);
    Object *prototype = newPlain();
    defineHidden(prototype, QStringLiteral("constructor"), f);
    put(f, QStringLiteral("prototype"), prototype, dontEnum | dontDelete);
    return f;
}

Object *Vm::newError(const QString &message)
{
    Object *error = newObject(errorProto);
    put(error, QStringLiteral("message"), message, dontEnum);
    return error;
}

Object *Vm::newActivation()
{
    if (spareActivations_.empty())
        return newObject(nullptr, ObjectKind::Activation);
    Object *locals = spareActivations_.back();
    spareActivations_.pop_back();
    return locals;
}

void Vm::reuseActivation(Object *locals)
{
    locals->clearProperties();
    if (spareActivations_.size() < std::size_t(limits_.callDepth))
        spareActivations_.push_back(locals);
}

Vm::CallVectors Vm::takeCallVectors()
{
    if (spareVectors_.empty())
        return {};
    CallVectors vectors = std::move(spareVectors_.back());
    spareVectors_.pop_back();
    return vectors;
}

void Vm::giveBack(CallVectors vectors)
{
    if (spareVectors_.size() >= std::size_t(limits_.callDepth))
        return;
    vectors.scope.clear();
    vectors.registers.clear();
    spareVectors_.push_back(std::move(vectors));
}

Object *Vm::method(Object *target, const QString &name, Native fn)
{
    Object *f = newNative(fn);
    defineHidden(target, name, f);
    return f;
}

void Vm::defineHidden(Object *target, const QString &name, const Value &value)
{
    put(target, name, value, dontEnum);
}

namespace {

// One level deeper in calls, given back however the call ends: a throw a
// script catches further out leaves the depth as it was.
struct CallLevel {
    int &depth;
    CallLevel(int &d, int limit) : depth(d)
    {
        if (depth >= limit)
            throw ScriptAbort{QStringLiteral("recursion too deep")};
        ++depth;
    }
    ~CallLevel() { --depth; }
    CallLevel(const CallLevel &) = delete;
    CallLevel &operator=(const CallLevel &) = delete;
};

} // namespace

Value Vm::call(const Value &fn, const Value &self, std::span<const Value> args, Object *home)
{
    if (!fn.isObject() || !fn.object->isFunction())
        return {};
    Object *f = fn.object;
    const CallLevel level(depth, limits_.callDepth);
    if (f->native) {
        CallInfo info{self, args, f, false};
        return f->native(*this, info);
    }
    if (f->script)
        return callScript(*this, f, self, args, home);
    return {};
}

Value Vm::callAccessor(Object *holder, quint64 id, Object *fn, const Value &self, std::span<const Value> args,
                       Value refused)
{
    struct Running {
        std::map<quint64, int> &calls;
        quint64 id;
        int count;
        ~Running()
        {
            if (--calls[id] == 0)
                calls.erase(id);
        }
    } running{accessorCalls_, id, ++accessorCalls_[id]};
    return running.count <= 65 ? call(fn, self, args, holder) : refused;
}

Value Vm::construct(const Value &ctor, std::span<const Value> args)
{
    if (!ctor.isObject() || !ctor.object->isFunction()) {
        toObject(ctor); // a primitive is boxed all the same
        return {};
    }
    Object *f = ctor.object;
    if (f->constructor) {
        if (depth >= limits_.callDepth)
            throw ScriptAbort{QStringLiteral("recursion too deep")};
        CallInfo info{Value(), args, f, true};
        return f->constructor(*this, info);
    }
    // The new object's __proto__ is the constructor's prototype, whatever
    // that holds.
    const Value prototype = get(f, QStringLiteral("prototype"));
    Object *object = newObject(prototype.isObject() ? prototype.object : nullptr);
    if (!prototype.isObject())
        object->protoValue = prototype;
    markConstructed(object, f);
    if (f->native) {
        const CallLevel level(depth, limits_.callDepth);
        CallInfo info{object, args, f, true};
        const Value r = f->native(*this, info);
        return r.isObject() ? r : Value(object);
    }
    call(f, object, args, prototype.isObject() ? prototype.object : nullptr);
    return object;
}

Value Vm::callConstructor(const Value &ctor, const Value &self, std::span<const Value> args, Object *home)
{
    if (!ctor.isObject() || !ctor.object->native || !self.isObject())
        return call(ctor, self, args, home);
    Object *f = ctor.object;
    const CallLevel level(depth, limits_.callDepth);
    CallInfo info{self, args, f, true};
    return (f->constructor ? f->constructor : f->native)(*this, info);
}

void Vm::markConstructed(Object *object, Object *ctor)
{
    // The object knows its maker for super(); before SWF 7 it has it as
    // its own constructor as well.
    defineHidden(object, QStringLiteral("__constructor__"), ctor);
    if (version_ < 7)
        defineHidden(object, QStringLiteral("constructor"), ctor);
}

bool Vm::constructExisting(const Value &ctor, Object *object)
{
    if (!ctor.isObject() || !ctor.object->isFunction())
        return true;
    markConstructed(object, ctor.object);
    return callEvent(ctor, object);
}

DecodedCode &Vm::decoded(const std::shared_ptr<const QByteArray> &code)
{
    std::unique_ptr<DecodedCode> &slot = decoded_[version_ >= 6 ? 1 : 0][code.get()];
    if (!slot)
        slot = std::make_unique<DecodedCode>(code, version_);
    return *slot;
}

Value Vm::storedPrototype(Object *ctor)
{
    const Property *p = ctor ? ctor->find(QStringLiteral("prototype")) : nullptr;
    return p ? p->value : Value();
}

Object *Vm::objectOf(const Value &v)
{
    Object *o = toObject(v);
    o = liveClip(o);
    return o && o->kind == ObjectKind::Clip && host_->clipGone(o->clip) ? nullptr : o;
}

bool Vm::instanceOf(const Value &v, const Value &ctor)
{
    // A primitive is an instance of nothing, and nothing is asked of the
    // class then. Otherwise the class and the prototype it holds are taken
    // as objects (a primitive boxed, a clip that has gone is none); the
    // prototypes of `v` are searched, with the interfaces each implements
    // (and theirs) but not the prototypes above those interfaces, up to
    // the first that is a clip.
    if (!v.isObject())
        return false;
    Object *cls = objectOf(ctor);
    Object *prototype = cls ? objectOf(storedPrototype(cls)) : nullptr;
    Object *o = prototype ? objectOf(v) : nullptr;
    if (!o)
        return false;
    int hops = 0;
    for (Object *p = o->proto; p && p->kind != ObjectKind::Clip && hops < 1024; p = p->proto) {
        std::vector<Object *> pending{p};
        while (!pending.empty() && ++hops < 1024) {
            Object *i = pending.back();
            pending.pop_back();
            if (i == prototype)
                return true;
            if (i->interfaces)
                pending.insert(pending.end(), i->interfaces->begin(), i->interfaces->end());
        }
    }
    return false;
}

void Vm::implement(const Value &ctor, const std::vector<Value> &interfaces)
{
    if (!ctor.isObject() || interfaces.empty())
        return;
    std::vector<Object *> prototypes;
    for (const Value &v : interfaces) {
        Object *interface = v.isObject() ? objectOf(v) : nullptr;
        const Value p = interface ? storedPrototype(interface) : Value();
        if (p.isObject() && p.object->kind != ObjectKind::Clip)
            prototypes.push_back(p.object);
    }
    Object *c = objectOf(ctor);
    const Value prototype = c ? storedPrototype(c) : Value();
    Object *target = prototype.isObject() ? objectOf(prototype) : nullptr;
    if (target && !target->interfaces)
        target->interfaces = std::move(prototypes);
}

quint32 Vm::random()
{
    seed_ ^= seed_ << 13;
    seed_ ^= seed_ >> 17;
    seed_ ^= seed_ << 5;
    return seed_;
}

void Vm::beginFrame()
{
    if (!current)
        stack.clear();
    spent_ = 0;
    clock_.restart();
}

void Vm::charge()
{
    if (++spent_ > limits_.actionsPerFrame)
        throw ScriptAbort{QStringLiteral("the frame's action budget is spent"), true};
    if ((spent_ & 0xffff) == 0 && clock_.elapsed() > limits_.millisecondsPerFrame)
        throw ScriptAbort{QStringLiteral("the frame's time budget is spent"), true};
}

bool Vm::callEvent(const Value &fn, const Value &self, std::span<const Value> args)
{
    return guarded([&] { call(fn, self, args); });
}

void Vm::uncaught(const ScriptThrow &thrown)
{
    host_->trace(QStringLiteral("Warning: Uncaught exception, ") + toString(thrown.value));
}

void Vm::abandon(const ScriptAbort &abort)
{
    std::fprintf(stderr, "script abandoned: %s\n", qPrintable(abort.reason));
    stack.clear();
    depth = 0;
    current = nullptr;
    abandoned += abort.budget;
}

void Vm::mark(Object *object)
{
    std::vector<Object *> pending{object};
    while (!pending.empty()) {
        Object *o = pending.back();
        pending.pop_back();
        if (!o || o->marked)
            continue;
        o->marked = true;
        pending.push_back(o->proto);
        for (const Property &p : o->properties()) {
            if (p.value.object)
                pending.push_back(p.value.object);
            pending.push_back(p.getter);
            pending.push_back(p.setter);
        }
        pending.push_back(o->data.object);
        pending.push_back(o->primitive.object);
        pending.push_back(o->superThis.object);
        if (o->interfaces)
            pending.insert(pending.end(), o->interfaces->begin(), o->interfaces->end());
        for (const auto &w : o->watches) {
            pending.push_back(w.second.first);
            pending.push_back(w.second.second.object);
        }
        if (o->script)
            for (const Scope &s : o->script->scope)
                pending.push_back(s.object);
        if (o->state)
            o->state->references(pending);
    }
}

void Vm::collect(const std::vector<Object *> &roots)
{
    if (!collectionDue())
        return;
    for (Object *o : roots)
        mark(o);
    for (Object *o : {global, objectProto, functionProto, arrayProto, stringProto, numberProto, booleanProto,
                      errorProto, clipProto, broadcaster})
        mark(o);
    for (Object *o : timers)
        mark(o);
    for (Object *o : playingSounds)
        mark(o);
    for (const DataLoad &load : dataLoads)
        mark(load.target);
    for (Object *o : keptObjects)
        mark(o);
    for (const Value &v : stack)
        mark(v.object);
    for (Object *o : spareActivations_)
        o->marked = true;
    std::erase_if(heap_, [](const std::unique_ptr<Object> &o) { return !o->marked; });
    for (auto &o : heap_)
        o->marked = false;
    // Twice what lives, and never so late that garbage fills half the room
    // a movie has.
    collectAt_ = std::min(heap_.size() * 2 + 4096, size_t(limits_.objects / 2));
}

} // namespace sky::swf::avm1
