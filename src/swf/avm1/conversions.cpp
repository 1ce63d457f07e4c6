// Conversions between script values under the movie's version rules.

#include "numberformat.h"
#include "vm.h"

#include <cmath>

namespace sky::swf::avm1 {

double Vm::toNumber(const Value &v)
{
    switch (v.type) {
    case Value::Type::Undefined:
    case Value::Type::Null: return version_ >= 7 ? std::nan("") : 0.0;
    case Value::Type::Boolean: return v.boolean ? 1 : 0;
    case Value::Type::Number: return v.number;
    case Value::Type::String:
        if (version_ <= 4) {
            const double n = parseFloatText(v.string);
            return std::isnan(n) ? 0 : n;
        }
        return stringToNumber(v.string, version_ >= 6);
    case Value::Type::Object: {
        // SWF 4 knows no NaN: what is no number counts as 0.
        const Value p = toPrimitive(v, true);
        return p.isObject() ? (version_ <= 4 ? 0 : std::nan("")) : toNumber(p);
    }
    }
    return 0;
}

QString Vm::toString(const Value &v)
{
    switch (v.type) {
    case Value::Type::Undefined: return version_ >= 7 ? QStringLiteral("undefined") : QString();
    case Value::Type::Null: return QStringLiteral("null");
    case Value::Type::Boolean:
        if (version_ <= 4)
            return v.boolean ? QStringLiteral("1") : QStringLiteral("0");
        return v.boolean ? QStringLiteral("true") : QStringLiteral("false");
    case Value::Type::Number: return numberToString(v.number);
    case Value::Type::String: return v.string;
    case Value::Type::Object: {
        // Objects on the stage stand for their path, whatever their
        // toString says.
        if (v.object->kind == ObjectKind::Clip)
            return host_->clipTarget(liveClip(v.object)->clip);
        // A String object is its text: its toString is not asked.
        if (v.object->kind == ObjectKind::Boxed && v.object->primitive.isString())
            return v.object->primitive.string;
        const Value fn = get(v.object, QStringLiteral("toString"));
        if (fn.isObject() && fn.object->isFunction()) {
            // Only text stands for the object; anything else its type.
            if (const Value r = call(fn, v, {}); r.isString())
                return r.string;
        }
        return v.object->isFunction() ? QStringLiteral("[type Function]") : QStringLiteral("[type Object]");
    }
    }
    return {};
}

bool Vm::toBoolean(const Value &v)
{
    switch (v.type) {
    case Value::Type::Undefined:
    case Value::Type::Null: return false;
    case Value::Type::Boolean: return v.boolean;
    case Value::Type::Number: return v.number != 0 && !std::isnan(v.number);
    case Value::Type::String: {
        if (version_ >= 7)
            return !v.string.isEmpty();
        const double n = toNumber(v); // SWF 4 reads a number's prefix
        return n != 0 && !std::isnan(n);
    }
    case Value::Type::Object: return true;
    }
    return false;
}

Value Vm::toPrimitive(const Value &v, bool numberHint)
{
    if (!v.isObject() || v.object->kind == ObjectKind::Clip)
        return v;
    // Clips are asked nothing. Other objects are asked valueOf alone (those
    // that give their text, toString); when it gives an object, the object
    // itself stands, and its text is what toString then gives. An object
    // without the method (the global object) gives undefined.
    const bool text = !numberHint && version_ >= 6 && v.object->state && v.object->state->convertsToText();
    const Value method = get(v.object, text ? QStringLiteral("toString") : QStringLiteral("valueOf"));
    if (!method.isObject() || !method.object->isFunction())
        return {};
    const Value r = call(method, v, {});
    return r.isObject() ? v : r;
}

Object *Vm::toObject(const Value &v)
{
    QString className;
    switch (v.type) {
    case Value::Type::Object: return v.object;
    case Value::Type::String: className = QStringLiteral("String"); break;
    case Value::Type::Number: className = QStringLiteral("Number"); break;
    case Value::Type::Boolean: className = QStringLiteral("Boolean"); break;
    default: return nullptr;
    }
    // A primitive is boxed by whatever the global object holds under its
    // class's name now, getters included: a movie that replaced String
    // gets its own objects for every string it reads a member of.
    const Value ctor = get(global, className);
    if (!ctor.isObject() || !ctor.object->isFunction())
        return nullptr;
    const Value args[] = {v};
    const Value boxed = construct(ctor, args);
    return boxed.isObject() ? boxed.object : nullptr;
}

qint32 Vm::toInt32(const Value &v)
{
    const double n = toNumber(v);
    if (std::isnan(n) || std::isinf(n))
        return 0;
    const double m = std::fmod(std::trunc(n), 4294967296.0);
    return qint32(quint32(qint64(m < 0 ? m + 4294967296.0 : m)));
}

QString Vm::typeOf(const Value &v)
{
    switch (v.type) {
    case Value::Type::Undefined: return QStringLiteral("undefined");
    case Value::Type::Null: return QStringLiteral("null");
    case Value::Type::Boolean: return QStringLiteral("boolean");
    case Value::Type::Number: return QStringLiteral("number");
    case Value::Type::String: return QStringLiteral("string");
    case Value::Type::Object:
        if (v.object->kind == ObjectKind::Clip && !host_->isButton(v.object->clip) && !host_->textField(v.object->clip))
            return QStringLiteral("movieclip");
        return v.object->isFunction() ? QStringLiteral("function") : QStringLiteral("object");
    }
    return {};
}

QString Vm::checkedString(QString s)
{
    if (s.size() > limits_.stringLength)
        throw ScriptAbort{QStringLiteral("string too long")};
    return s;
}

} // namespace sky::swf::avm1
