#include "vm.h"

#include "builtins.h"
#include "calls.h"
#include "clipproperties.h"
#include "decoder.h"

#include <QSet>

#include <cstdio>

namespace sky::swf::avm1 {

Vm::Vm(int swfVersion, Host *host, Limits limits)
    : version_(swfVersion)
    , movieVersion_(swfVersion)
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

Property *Vm::lookup(Object *object, const QString &name, Object **holder)
{
    QString folded;
    const QString &k = key(name, folded);
    for (int hops = 0; object && hops < 256; ++hops, object = object->proto) {
        if (Property *p = object->find(k); p && !hiddenFrom(p->flags, version_)) {
            if (holder)
                *holder = object;
            return p;
        }
    }
    // A chain of prototypes that long (a loop, most likely) ends the
    // script that searched it.
    if (object && current)
        throw ScriptAbort{QStringLiteral("prototype chain too long")};
    return nullptr;
}

Object *Vm::liveClip(Object *object)
{
    if (!object || object->kind != ObjectKind::Clip || !object->primitive.isString() || !host_->clipGone(object->clip))
        return object;
    Object *found = host_->clipObject(host_->clipAtPath(object->primitive.string));
    return found ? found : object;
}

Value Vm::get(Object *object, const QString &name)
{
    object = liveClip(object);
    if (!object)
        return {};
    if (object->kind == ObjectKind::Super)
        return object->proto ? getFrom(object->proto, name, object->superThis) : Value();
    return getFrom(object, name, object);
}

Value Vm::getFrom(Object *object, const QString &name, const Value &self, bool *found)
{
    if (isProtoName(name))
        return object->proto ? Value(object->proto) : object->protoValue;
    if (object->kind == ObjectKind::Array && name.size() == 6 && key(name) == u"length") {
        const Property *own = object->find(key(name));
        if (!own || !own->getter)
            return object->length;
    }
    if (object->kind == ObjectKind::Clip) {
        const int index = clipPropertyIndex(name);
        if (index >= 0)
            return host_->clipProperty(object->clip, index);
        // A variable of the clip's own hides a path name (`_root = 1`).
        if (const Value special = clipPathName(object, name); !special.isUndefined()) {
            const Property *own = object->find(key(name));
            if (!own || hiddenFrom(own->flags, version_))
                return special;
        }
    }
    Object *holder = nullptr;
    if (Property *p = lookup(object, name, &holder)) {
        if (p->getter)
            return call(p->getter, self, {}, holder);
        return p->value;
    }
    if (object->kind == ObjectKind::Clip) {
        if (const int child = host_->clipChild(object->clip, name))
            return host_->clipObject(child);
    }
    if (found)
        *found = false;
    return {};
}

Value Vm::handler(Object *object, const QString &name)
{
    object = liveClip(object);
    if (!object || object->kind == ObjectKind::Super)
        return {};
    Object *holder = nullptr;
    const Property *p = lookup(object, name, &holder);
    const Value fn = !p ? Value() : p->getter ? call(p->getter, object, {}, holder) : p->value;
    return fn.isObject() && fn.object->isFunction() ? fn : Value();
}

Value Vm::clipPathName(Object *clip, const QString &name)
{
    if (name.isEmpty() || name[0] != u'_')
        return {};
    const auto is = [&](const char16_t *special) {
        return version_ <= 6 ? name.compare(QStringView(special), Qt::CaseInsensitive) == 0 : name == special;
    };
    if (is(u"_parent")) {
        const int parent = host_->clipParent(clip->clip);
        return parent ? Value(host_->clipObject(parent)) : Value();
    }
    if (is(u"_root"))
        return rootOf(clip);
    if (const int level = levelNumber(name); level >= 0) {
        const int root = host_->clipLevel(level);
        return root ? Value(host_->clipObject(root)) : Value();
    }
    if (version_ >= 6 && is(u"_global"))
        return global;
    return {};
}

int Vm::levelNumber(QStringView name) const
{
    const QStringView prefix(u"_level");
    if (name.size() <= prefix.size() || name.size() > prefix.size() + 9
        || !name.startsWith(prefix, version_ <= 6 ? Qt::CaseInsensitive : Qt::CaseSensitive))
        return -1;
    int n = 0;
    for (const QChar c : name.mid(prefix.size())) {
        if (c < u'0' || c > u'9')
            return -1;
        n = n * 10 + (c.unicode() - u'0');
    }
    return n;
}

Object *Vm::rootOf(Object *clip)
{
    int handle = clip && clip->kind == ObjectKind::Clip ? clip->clip : 0;
    while (handle) {
        const int parent = host_->clipParent(handle);
        Object *o = host_->clipObject(handle);
        if (!parent)
            return o;
        if (o && o->find(key(QStringLiteral("_lockroot"))) && toBoolean(get(o, QStringLiteral("_lockroot"))))
            return o;
        handle = parent;
    }
    return host_->clipObject(host_->clipRoot());
}

Value Vm::getMember(const Value &target, const QString &name)
{
    switch (target.type) {
    case Value::Type::Object: return get(target.object, name);
    case Value::Type::String:
        if (key(name) == u"length")
            return int(target.string.size());
        return get(stringProto, name);
    case Value::Type::Number: return get(numberProto, name);
    case Value::Type::Boolean: return get(booleanProto, name);
    default: return {};
    }
}

Value Vm::getMemberResolving(const Value &target, const QString &name)
{
    Object *object = target.isObject() ? liveClip(target.object) : nullptr;
    if (!object || object->kind == ObjectKind::Super)
        return getMember(target, name);
    bool found = true;
    const Value value = getFrom(object, name, object, &found);
    if (found)
        return value;
    // A __resolve that holds a primitive or a clip is passed over, one
    // that holds any other object is taken (and gives nothing unless it
    // is a function); one made by addProperty is not looked at.
    Object *o = object;
    for (int hops = 0; o && hops < 256; ++hops, o = o->proto) {
        const Property *p = o->find(QStringLiteral("__resolve"));
        if (p && !p->getter && !hiddenFrom(p->flags, version_) && p->value.isObject()
            && p->value.object->kind != ObjectKind::Clip) {
            const Value args[] = {name};
            return call(p->value, object, args);
        }
    }
    return {};
}

void Vm::set(Object *object, const QString &name, const Value &value)
{
    object = liveClip(object);
    if (!object)
        return;
    if (object->kind == ObjectKind::Super) {
        if (object->proto && object->superThis.isObject())
            setOn(object->proto, name, value, object->superThis.object);
        return;
    }
    setOn(object, name, value, object);
}

Value Vm::watched(Object *object, const QString &key, const QString &name, const Value &value)
{
    for (const auto &[watchKey, watch] : object->watches) {
        if (watchKey != key)
            continue;
        const Value old = isProtoName(name) ? getFrom(object, name, object) : [&] {
            const Property *p = lookup(object, name);
            return p ? p->value : Value();
        }();
        const Value args[] = {name, old, value, watch.second};
        return call(watch.first, object, args);
    }
    return value;
}

void Vm::setOn(Object *object, const QString &name, const Value &value, Object *self)
{
    if (object == self && object->kind == ObjectKind::Clip) {
        const int index = clipPropertyIndex(name);
        if (index >= 0) {
            host_->setClipProperty(object->clip, index, value);
            return;
        }
    }
    QString folded;
    const QString &k = key(name, folded);
    if (object != self || object->watches.empty()) {
        assign(object, name, k, value, self);
        return;
    }
    Value stored;
    try {
        stored = watched(object, k, name, value);
    } catch (const ScriptThrow &) {
        // A watcher that throws leaves the property undefined.
        assign(object, name, k, Value(), self);
        throw;
    }
    assign(object, name, k, stored, self);
}

void Vm::assign(Object *object, const QString &name, const QString &k, const Value &value, Object *self)
{
    if (isProtoName(name)) {
        if (!(self->protoFlags & readOnly)) {
            self->proto = value.isObject() ? value.object : nullptr;
            self->protoValue = value.isObject() ? Value() : value;
        }
        return;
    }
    if (Property *own = self->find(k); own && hiddenFrom(own->flags, version_)) {
        // Hidden from this movie's version: the value written replaces it
        // for every version.
        *own = Property{name, value, nullptr, nullptr, own->flags & ~versionFlags};
        return;
    }
    Object *holder = nullptr;
    Property *p = lookup(object, name, &holder);
    if (p && p->setter) {
        call(p->setter, self, std::span<const Value>(&value, 1), holder);
        return;
    }
    if (p && holder == self) {
        if (!(p->flags & readOnly))
            p->value = value;
    } else if (!(p && p->getter)) {
        self->add(k, name, value);
    }
    if (self->kind == ObjectKind::Array) {
        if (k == u"length") {
            self->remove(k);
            setArrayLength(self, toInt32(value));
            return;
        }
        noteArrayIndex(self, name);
    }
}

void Vm::setMember(const Value &target, const QString &name, const Value &value)
{
    if (target.isObject())
        set(target.object, name, value);
}

void Vm::put(Object *object, const QString &name, const Value &value, int flags)
{
    QString folded;
    const QString &k = key(name, folded);
    if (Property *p = object->find(k)) {
        p->value = value;
        p->flags = flags;
        p->getter = p->setter = nullptr;
    } else {
        object->add(k, name, value, flags);
    }
}

bool Vm::has(Object *object, const QString &name)
{
    object = liveClip(object);
    if (!object)
        return false;
    if (isProtoName(name))
        return object->proto || !object->protoValue.isUndefined();
    if (lookup(object, name))
        return true;
    if (object->kind == ObjectKind::Array && key(name) == u"length")
        return true;
    if (object->kind == ObjectKind::Clip)
        return clipPropertyIndex(name) >= 0 || !clipPathName(object, name).isUndefined()
               || host_->clipChild(object->clip, name) != 0;
    return false;
}

bool Vm::remove(Object *object, const QString &name)
{
    object = liveClip(object);
    if (!object)
        return false;
    if (isProtoName(name)) {
        if (object->protoFlags & dontDelete)
            return false;
        object->proto = nullptr;
        object->protoValue = Value();
        return true;
    }
    const QString k = key(name);
    Property *p = object->find(k);
    if (!p || (p->flags & dontDelete))
        return false;
    return object->remove(k);
}

std::vector<QString> Vm::enumerate(Object *object)
{
    std::vector<QString> names;
    QSet<QString> seen;
    for (int hops = 0; object && hops < 256; ++hops, object = object->proto) {
        if (!(object->protoFlags & dontEnum) && hops == 0 && has(object, QStringLiteral("__proto__")))
            names.push_back(QStringLiteral("__proto__"));
        for (const Property &p : object->properties()) {
            const QString k = key(p.name);
            if (seen.contains(k))
                continue;
            seen.insert(k);
            if (!(p.flags & dontEnum))
                names.push_back(p.name);
        }
    }
    return names;
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

Value Vm::construct(const Value &ctor, std::span<const Value> args)
{
    if (!ctor.isObject() || !ctor.object->isFunction())
        return {};
    Object *f = ctor.object;
    if (f->constructor) {
        if (depth >= limits_.callDepth)
            throw ScriptAbort{QStringLiteral("recursion too deep")};
        CallInfo info{Value(), args, f, true};
        return f->constructor(*this, info);
    }
    const Value prototype = get(f, QStringLiteral("prototype"));
    Object *object = newObject(prototype.isObject() ? prototype.object : objectProto);
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

bool Vm::instanceOf(const Value &v, Object *ctor)
{
    if (!v.isObject() || !ctor)
        return false;
    const Value prototype = get(ctor, QStringLiteral("prototype"));
    if (!prototype.isObject())
        return false;
    std::vector<Object *> pending{v.object->proto};
    for (int hops = 0; !pending.empty() && hops < 1024; ++hops) {
        Object *o = pending.back();
        pending.pop_back();
        if (!o)
            continue;
        if (o == prototype.object)
            return true;
        for (Object *iface : o->interfaces) {
            const Value p = get(iface, QStringLiteral("prototype"));
            if (p.isObject())
                pending.push_back(p.object);
        }
        pending.push_back(o->proto);
    }
    return false;
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
        for (Object *i : o->interfaces)
            pending.push_back(i);
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
