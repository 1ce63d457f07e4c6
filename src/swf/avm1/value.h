#pragma once

#include <QString>

namespace sky::swf::avm1 {

class Object;

// A script value. Objects are owned by the Vm that made them; a Value only
// points at one.
struct Value {
    enum class Type : quint8 { Undefined, Null, Boolean, Number, String, Object };

    Type type = Type::Undefined;
    bool boolean = false;
    double number = 0;
    QString string;
    Object *object = nullptr;

    Value() = default;
    static Value null()
    {
        Value v;
        v.type = Type::Null;
        return v;
    }
    Value(bool b) : type(Type::Boolean), boolean(b) { }
    Value(double n) : type(Type::Number), number(n) { }
    Value(int n) : type(Type::Number), number(n) { }
    Value(const QString &s) : type(Type::String), string(s) { }
    Value(Object *o) : type(o ? Type::Object : Type::Null), object(o) { }

    bool isUndefined() const { return type == Type::Undefined; }
    bool isNull() const { return type == Type::Null; }
    bool isNullish() const { return type == Type::Undefined || type == Type::Null; }
    bool isNumber() const { return type == Type::Number; }
    bool isString() const { return type == Type::String; }
    bool isBoolean() const { return type == Type::Boolean; }
    bool isObject() const { return type == Type::Object; }
};

} // namespace sky::swf::avm1
