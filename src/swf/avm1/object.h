#pragma once

#include "value.h"

#include <QByteArray>
#include <QHash>

#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace sky::swf::avm1 {

class DecodedCode;
class Vm;

enum PropertyFlag : int { dontEnum = 1, dontDelete = 2, readOnly = 4 };

// ASSetPropFlags' bits from 3 up hide a property from some versions of
// movies: 7 from SWF 5, 8 from SWF 6, 10 from SWF 5 and 6, 12 up to SWF 7,
// 13 up to SWF 8, 14 up to SWF 9, and any of them from SWF 4.
inline constexpr int versionFlags = 0xFFF8;
inline bool hiddenFrom(int flags, int version)
{
    static constexpr int hiding[] = {0x7480, 0x7500, 0x7000, 0x6000, 0x4000}; // SWF 5 to 9
    return flags & (version <= 4 ? 0x7FF8 : version >= 10 ? 0 : hiding[version - 5]);
}

struct Property {
    QString name;
    Value value;
    Object *getter = nullptr; // addProperty
    Object *setter = nullptr;
    int flags = 0;
    // Which property this is, for as long as it lives: made again under
    // the same name it is another.
    quint64 id = nextId();

    static quint64 nextId()
    {
        static quint64 last = 0;
        return ++last;
    }
};

// What a function receives.
struct CallInfo {
    Value self;
    std::span<const Value> args;
    Object *callee = nullptr;
    bool constructing = false;

    Value arg(std::size_t i) const { return i < args.size() ? args[i] : Value(); }
};

using Native = Value (*)(Vm &, CallInfo &);

// One level of a scope chain. Assignments to names found nowhere land on
// the innermost Target level (the timeline the code runs on).
struct Scope {
    enum Kind : quint8 { Global, Target, Local, With };
    Object *object = nullptr;
    Kind kind = Global;
};

// A function written in the movie: where its code is and what it closes over.
struct ScriptFunction {
    std::shared_ptr<const QByteArray> code;
    int start = 0;
    int length = 0;
    QString name;
    std::vector<QString> params;
    std::vector<int> paramRegisters; // DefineFunction2: register of each parameter, 0 for none
    bool twoStyle = false;           // DefineFunction2
    int registerCount = 4;
    quint16 flags = 0;               // DefineFunction2 preload/suppress flags
    std::vector<Scope> scope;        // the scope chain where it was defined
    std::shared_ptr<const std::vector<QString>> constants;
    DecodedCode *decoded = nullptr; // `code` as the Vm decoded it
};

// What a built-in class keeps for each of its objects, out of scripts'
// reach. The objects it holds it names to the collector.
struct NativeState {
    virtual ~NativeState() = default;
    virtual void references(std::vector<Object *> &) const { }
    // Whether the object gives its text (toString) where a primitive is
    // asked for without a hint, as + asks: Dates do from SWF 6 on.
    virtual bool convertsToText() const { return false; }
};

enum class ObjectKind : quint8 { Plain, Function, Array, Boxed, Clip, Super, Activation };

// A script object: properties in the order they were made, a prototype,
// and what its kind adds (code, elements, a boxed value, a clip).
class Object {
public:
    explicit Object(Object *prototype, ObjectKind objectKind = ObjectKind::Plain) : proto(prototype), kind(objectKind) { }

    Object *proto = nullptr;
    // `__proto__` is a property of its own: it may hold a value that is no
    // object (then `proto` is null), carries flags and can be deleted.
    Value protoValue;
    int protoFlags = dontEnum | dontDelete;
    ObjectKind kind = ObjectKind::Plain;
    bool marked = false;

    // Functions.
    Native native = nullptr;
    Native constructor = nullptr; // used by `new` instead of `native` when set
    std::shared_ptr<ScriptFunction> script;
    Value data;                   // a native function's own value

    // Boxed primitives (kind Boxed) and Date's time.
    Value primitive;
    // Arrays: elements live as properties "0".."n-1"; this is `length`.
    int length = 0;
    // Clips: the host's handle. Once the clip has gone, `primitive` keeps
    // the path it had.
    int clip = 0;
    // `super`: the object methods run on.
    Value superThis;
    // The prototypes of the interfaces the first ImplementsOp that named
    // any gave; later ones change nothing.
    std::optional<std::vector<Object *>> interfaces;
    std::vector<std::pair<QString, std::pair<Object *, Value>>> watches; // key, callback, user data
    std::unique_ptr<NativeState> state;

    bool isFunction() const { return kind == ObjectKind::Function; }

    // Own properties by key (the name as the movie's version compares it).
    Property *find(const QString &key);
    const Property *find(const QString &key) const;
    Property &add(const QString &key, const QString &name, const Value &value, int flags = 0);
    bool remove(const QString &key);
    const std::vector<Property> &properties() const { return props_; }
    std::vector<Property> &properties() { return props_; }
    void clearProperties();

private:
    // Most objects hold a few properties: their keys are searched one by one,
    // and an index is made only once there are more.
    static constexpr std::size_t indexFrom = 12;
    int indexOf(const QString &key) const;

    std::vector<Property> props_;
    std::vector<QString> keys_; // props_[i]'s key
    QHash<QString, int> index_; // empty below indexFrom properties
};

} // namespace sky::swf::avm1
