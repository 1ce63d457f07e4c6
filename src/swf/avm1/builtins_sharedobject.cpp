// SharedObject: data a movie keeps for the user between runs. Each object
// is known by its name and the path of the movie (or a folder above it)
// and kept in the host's ObjectStore as storeddata.h writes it. It is
// written by flush() and as the movie ends; a record that cannot be read
// gives an empty object, and one that cannot be written leaves the last
// one as it was.

#include "../objectstore.h"
#include "builtins.h"
#include "storeddata.h"

#include <QDir>

namespace sky::swf::avm1 {
namespace {

struct SharedState : NativeState {
    QString record; // in the store; empty when it is not kept
    QString name;
    QByteArray stored; // the data as last read or written
};

SharedState *sharedOf(const Value &v)
{
    return v.isObject() && v.object->state ? dynamic_cast<SharedState *>(v.object->state.get()) : nullptr;
}

// A name of parts joined by "/", without the characters the player
// refuses.
bool validName(const QString &name)
{
    static const QString refused = QStringLiteral("~%&\\;:\"',<>?#");
    if (name.isEmpty() || name.size() > 255)
        return false;
    for (const QChar c : name)
        if (c.isSpace() || refused.contains(c))
            return false;
    const QStringList parts = name.split(u'/');
    return std::none_of(parts.begin(), parts.end(),
                        [](const QString &part) { return part.isEmpty() || part == u"." || part == u".."; });
}

// The store's name of the object, below the movie's path or the folder
// above it that `localPath` gives; empty when the movie has no file, none
// when `localPath` does not lead to it.
std::optional<QString> recordOf(Vm &vm, const QString &name, const Value &localPath)
{
    const QString movie = vm.host()->moviePath();
    if (movie.isEmpty())
        return QString();
    QString base = movie;
    if (!localPath.isNullish()) {
        base = QDir::cleanPath(vm.toString(localPath));
        if (!base.startsWith(u'/') || base.contains(u"/../") || base.endsWith(u"/..") ||
            (base != u"/" && movie != base && !movie.startsWith(base + QLatin1Char('/'))))
            return std::nullopt;
    }
    if (base.endsWith(u'/'))
        base.chop(1);
    return QStringLiteral("localhost") + base + QLatin1Char('/') + name;
}

Object *dataOf(Vm &vm, Object *shared)
{
    const Value data = vm.get(shared, QStringLiteral("data"));
    return data.isObject() ? data.object : nullptr;
}

void tellStatus(Vm &vm, Object *shared, const QString &code)
{
    Object *info = vm.newPlain();
    vm.set(info, QStringLiteral("code"), code);
    vm.set(info, QStringLiteral("level"), QStringLiteral("error"));
    const Value args[] = {info};
    vm.call(vm.get(shared, QStringLiteral("onStatus")), shared, args);
}

// Writes the object's data when it differs from what the store holds.
bool write(Vm &vm, Object *shared, SharedState &state)
{
    Object *data = dataOf(vm, shared);
    const std::optional<QByteArray> bytes = data ? writeStoredData(vm, state.name, data) : std::nullopt;
    ObjectStore *store = vm.host()->objectStore();
    if (!bytes || !store || state.record.isEmpty())
        return false;
    if (*bytes == state.stored)
        return true;
    if (!store->write(state.record, *bytes))
        return false;
    state.stored = *bytes;
    return true;
}

Value getLocal(Vm &vm, CallInfo &c)
{
    const QString name = vm.toString(c.arg(0));
    const std::optional<QString> record = validName(name) ? recordOf(vm, name, c.arg(1)) : std::nullopt;
    if (!record)
        return Value::null();
    for (Object *kept : vm.keptObjects)
        if (const SharedState *s = sharedOf(kept); s && !record->isEmpty() && s->record == *record)
            return kept;
    const Value ctor = vm.get(vm.global, QStringLiteral("SharedObject"));
    const Value proto = ctor.isObject() ? vm.get(ctor.object, QStringLiteral("prototype")) : Value();
    Object *shared = vm.newObject(proto.isObject() ? proto.object : vm.objectProto);
    auto state = std::make_unique<SharedState>();
    state->record = *record;
    state->name = name.section(u'/', -1);
    Object *data = vm.newPlain();
    ObjectStore *store = vm.host()->objectStore();
    if (const auto bytes = store && !record->isEmpty() ? store->read(*record, maxStoredBytes) : std::nullopt)
        readStoredData(vm, *bytes, data);
    // What is written from now on is what differs from what was read: a
    // record that could not be read stays until the movie keeps something.
    state->stored = writeStoredData(vm, state->name, data).value_or(QByteArray());
    shared->state = std::move(state);
    vm.set(shared, QStringLiteral("data"), data);
    vm.keptObjects.push_back(shared);
    return shared;
}

Value flush(Vm &vm, CallInfo &c)
{
    SharedState *state = sharedOf(c.self);
    if (!state)
        return {};
    if (write(vm, c.self.object, *state))
        return true;
    tellStatus(vm, c.self.object, QStringLiteral("SharedObject.Flush.Failed"));
    return false;
}

Value clear(Vm &vm, CallInfo &c)
{
    SharedState *state = sharedOf(c.self);
    if (!state)
        return {};
    if (Object *data = dataOf(vm, c.self.object))
        for (const QString &name : vm.enumerate(data))
            vm.remove(data, name);
    ObjectStore *store = vm.host()->objectStore();
    if (store && !state->record.isEmpty() && store->remove(state->record))
        state->stored.clear();
    return {};
}

Value getSize(Vm &vm, CallInfo &c)
{
    const SharedState *state = sharedOf(c.self);
    Object *data = state ? dataOf(vm, c.self.object) : nullptr;
    if (!data || vm.enumerate(data).empty())
        return 0;
    const std::optional<QByteArray> bytes = writeStoredData(vm, state->name, data);
    return bytes ? double(bytes->size()) : 0.0;
}

} // namespace

void installSharedObject(Vm &vm)
{
    Object *proto = vm.newPlain();
    Object *ctor = defineClass(vm, QStringLiteral("SharedObject"), proto, nothing);
    vm.method(ctor, QStringLiteral("getLocal"), getLocal);
    defineMethods(vm, proto, {{u"clear", clear}, {u"close", nothing}, {u"flush", flush}, {u"getSize", getSize}});
}

void flushSharedObjects(Vm &vm)
{
    for (Object *shared : vm.keptObjects)
        if (SharedState *state = sharedOf(shared))
            vm.guarded([&] { write(vm, shared, *state); });
}

} // namespace sky::swf::avm1
