// How scripts read and write properties: through prototypes, getters,
// setters and watchers, clip properties and path names, `__resolve`, and
// the enumeration and deletion of names.

#include "vm.h"

#include "clipproperties.h"

#include <QSet>

namespace sky::swf::avm1 {

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
    // A clip's own variables come first (`_root = 1` hides the root), then
    // its path names, even where one leads nowhere, its children by name,
    // its display properties such as _x, and only then its prototypes.
    if (object->kind == ObjectKind::Clip) {
        const Property *own = object->find(key(name));
        if (!own || hiddenFrom(own->flags, version_)) {
            if (const std::optional<Value> special = clipPathName(object, name))
                return *special;
            if (const int child = host_->clipChild(object->clip, name))
                return host_->clipObject(child);
            if (const int index = clipPropertyIndex(name); index >= 0)
                return host_->clipProperty(object->clip, index);
        }
    }
    Object *holder = nullptr;
    if (Property *p = lookup(object, name, &holder)) {
        if (p->getter)
            return callAccessor(holder, p->id, p->getter, self, {}, p->value);
        return p->value;
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
    const Value fn = !p ? Value() : p->getter ? callAccessor(holder, p->id, p->getter, object, {}, p->value) : p->value;
    return fn.isObject() && fn.object->isFunction() ? fn : Value();
}

std::optional<Value> Vm::clipPathName(Object *clip, const QString &name)
{
    if (name.isEmpty() || name[0] != u'_')
        return std::nullopt;
    const Qt::CaseSensitivity caseRule = version_ <= 6 ? Qt::CaseInsensitive : Qt::CaseSensitive;
    const auto is = [&](const char16_t *special) { return name.compare(QStringView(special), caseRule) == 0; };
    if (is(u"_parent")) {
        const int parent = host_->clipParent(clip->clip);
        return parent ? Value(host_->clipObject(parent)) : Value();
    }
    if (is(u"_root"))
        return rootOf(clip);
    // Any name "_levelN" or "_flashN" reads a level: N's leading digits,
    // none for level 0, wrapped to 32 bits; a negative one names none.
    if (name.size() >= 6 && (name.startsWith(u"_level", caseRule) || name.startsWith(u"_flash", caseRule))) {
        QStringView digits = QStringView(name).mid(6);
        const bool negative = digits.startsWith(u'-');
        quint32 level = 0;
        for (const QChar c : digits.mid(negative ? 1 : 0)) {
            if (c < u'0' || c > u'9')
                break;
            level = level * 10 + (c.unicode() - u'0');
        }
        const qint32 n = qint32(negative ? 0u - level : level);
        const int root = n >= 0 ? host_->clipLevel(n) : 0;
        return root ? Value(host_->clipObject(root)) : Value();
    }
    if (version_ >= 6 && is(u"_global"))
        return global;
    return std::nullopt;
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
    Object *object = toObject(target);
    return object ? get(object, name) : Value();
}

Value Vm::getMemberResolving(const Value &target, const QString &name)
{
    Object *object = toObject(target);
    if (!object)
        return {};
    object = liveClip(object);
    if (object->kind == ObjectKind::Super)
        return get(object, name);
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
        const Property *p = lookup(object, name);
        const quint64 id = p ? p->id : 0;
        const Value old = isProtoName(name) ? getFrom(object, name, object) : p ? p->value : Value();
        const Value args[] = {name, old, value, watch.second};
        return callAccessor(object, id, watch.first, object, args, value);
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
        callAccessor(holder, p->id, p->setter, self, std::span<const Value>(&value, 1));
        // An own property keeps the value set beside its setter, which a
        // getter refused for recursing too deep gives instead.
        if (holder == self) {
            if (Property *own = self->find(k))
                own->value = value;
            else
                self->add(k, name, value);
        }
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
    if (Object *object = toObject(target))
        set(object, name, value);
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
        return clipPropertyIndex(name) >= 0 || !clipPathName(object, name).value_or(Value()).isUndefined()
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

} // namespace sky::swf::avm1
