#include "arrays.h"
#include "vm.h"

namespace sky::swf::avm1 {

std::optional<qint32> arrayIndex(QStringView name)
{
    const bool negative = name.startsWith(u'-');
    const QStringView digits = negative ? name.mid(1) : name;
    if (digits.isEmpty())
        return std::nullopt;
    quint32 value = 0;
    for (const QChar ch : digits) {
        if (ch < u'0' || ch > u'9')
            return std::nullopt;
        value = value * 10 + quint32(ch.unicode() - u'0');
    }
    return qint32(negative ? 0u - value : value);
}

int lengthOf(Vm &vm, Object *o)
{
    if (!o)
        return 0;
    if (o->kind == ObjectKind::Array)
        return o->length;
    return vm.toInt32(vm.get(o, QStringLiteral("length")));
}

void setLengthOf(Vm &vm, Object *o, int length)
{
    if (o->kind == ObjectKind::Array)
        vm.setArrayLength(o, length);
    else
        vm.set(o, QStringLiteral("length"), length);
}

Value ownElement(Vm &vm, Object *o, int i)
{
    const Property *p = o ? o->find(vm.key(QString::number(i))) : nullptr;
    return p ? p->value : Value();
}

bool hasOwnElement(Vm &vm, Object *o, int i) { return o && o->find(vm.key(QString::number(i))); }

void replaceElement(Vm &vm, Object *o, int i, const Value &value)
{
    const QString name = QString::number(i);
    vm.remove(o, name);
    vm.set(o, name, value);
}

void deleteElement(Vm &vm, Object *o, int i) { vm.remove(o, QString::number(i)); }

void Vm::setArrayLength(Object *array, int length)
{
    const int from = qMax(0, length);
    if (from < array->length) {
        std::vector<QString> drop;
        for (const Property &p : array->properties()) {
            const std::optional<qint32> i = arrayIndex(p.name);
            if (i && *i >= from && *i < array->length)
                drop.push_back(p.name);
        }
        for (const QString &name : drop)
            remove(array, name);
    }
    array->length = length;
}

void Vm::noteArrayIndex(Object *array, const QString &name)
{
    const std::optional<qint32> i = arrayIndex(name);
    if (i && *i >= array->length)
        setArrayLength(array, wrapAdd(*i, 1));
}

std::vector<Value> Vm::arrayElements(Object *array)
{
    std::vector<Value> out;
    if (!array)
        return out;
    const int n = array->kind == ObjectKind::Array ? array->length : toInt32(get(array, QStringLiteral("length")));
    out.reserve(std::size_t(qBound(0, n, 1 << 20)));
    for (int i = 0; i < n; ++i) {
        charge();
        out.push_back(arrayElement(array, i));
    }
    return out;
}

void Vm::arrayPush(Object *array, const Value &value)
{
    const QString name = QString::number(array->length);
    put(array, name, value);
    array->length = wrapAdd(array->length, 1);
}

} // namespace sky::swf::avm1
