#include "activation.h"

#include "vm.h"


namespace sky::swf::avm1 {
namespace {

Object *rootObject(Vm &vm) { return vm.host()->clipObject(vm.host()->clipRoot()); }

bool isName(Vm &vm, const QString &name, const char16_t *special)
{
    return vm.version() <= 6 ? name.compare(QStringView(special), Qt::CaseInsensitive) == 0 : name == special;
}

// `this`, `_global`, `_root`, `_level0`, `super`: names every scope knows.
bool specialName(Vm &vm, Activation &act, const QString &name, Value &out)
{
    if (name.isEmpty() || (name[0] != u'_' && name[0] != u't' && name[0] != u's' && name[0] != u'T' && name[0] != u'S'))
        return false;
    if (isName(vm, name, u"this")) {
        out = act.self;
        return true;
    }
    if (vm.version() >= 6 && isName(vm, name, u"_global")) {
        out = vm.global;
        return true;
    }
    if (isName(vm, name, u"_root") || isName(vm, name, u"_level0")) {
        out = rootObject(vm);
        return true;
    }
    if (isName(vm, name, u"super") && act.superObject) {
        out = act.superObject;
        return true;
    }
    return false;
}

int splitVariablePath(const QString &name)
{
    const qsizetype colon = name.lastIndexOf(u':');
    if (colon >= 0)
        return int(colon);
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot > 0 && name.lastIndexOf(u'/') < dot)
        return int(dot);
    return -1;
}

bool hasPathCharacters(const QString &name)
{
    return name.contains(u':') || name.contains(u'/') || name.contains(u'.');
}

} // namespace

Value &Activation::reg(int i)
{
    static thread_local Value scratch;
    if (i >= 0 && std::size_t(i) < registers.size())
        return registers[std::size_t(i)];
    if (outerRegisters && i >= 0 && std::size_t(i) < outerRegisters->size())
        return (*outerRegisters)[std::size_t(i)];
    scratch = Value();
    return scratch;
}

// The steps of a target path: slash or colon segments ("a/b", ".." for
// the parent), each of which may hold dot steps ("a.b"). A doubled
// separator inside a path names nothing.
bool pathSteps(const QString &path, QStringList &steps)
{
    QString slashes = path;
    slashes.replace(u':', u'/');
    const QStringList segments = slashes.split(u'/');
    for (qsizetype i = 0; i < segments.size(); ++i) {
        const QString &segment = segments[i];
        if (segment.isEmpty()) {
            if (i == 0 || i == segments.size() - 1)
                continue;
            return false;
        }
        if (segment == u"..") {
            steps << segment;
            continue;
        }
        for (const QString &step : segment.split(u'.', Qt::SkipEmptyParts))
            steps << step;
    }
    return true;
}

Object *resolveTarget(Vm &vm, Activation &act, const QString &path)
{
    Object *current = act.target;
    if (path.isEmpty())
        return current;
    if (path.startsWith(u'/'))
        current = rootObject(vm);
    QStringList parts;
    if (!pathSteps(path, parts))
        return nullptr;
    bool first = !path.startsWith(u'/');
    for (const QString &part : parts) {
        if (!current)
            return nullptr;
        Value next;
        if (part == u".." || isName(vm, part, u"_parent")) {
            next = current->kind == ObjectKind::Clip ? Value(vm.host()->clipObject(vm.host()->clipParent(current->clip)))
                                                     : vm.get(current, part);
        } else if (first && specialName(vm, act, part, next)) {
        } else if (const int child = current->kind == ObjectKind::Clip ? vm.host()->clipChild(current->clip, part) : 0) {
            next = vm.host()->clipObject(child);
        } else {
            next = vm.get(current, part);
            if (first && !next.isObject())
                next = getVariable(vm, act, part);
        }
        first = false;
        current = next.isObject() ? next.object : nullptr;
    }
    return current;
}

Value getVariable(Vm &vm, Activation &act, const QString &name, Object **callee)
{
    Value out;
    if (hasPathCharacters(name)) {
        const int at = splitVariablePath(name);
        if (at < 0) {
            Object *target = resolveTarget(vm, act, name);
            return target ? Value(target) : Value();
        }
        Object *target = resolveTarget(vm, act, name.left(at));
        if (callee)
            *callee = target;
        return target ? vm.get(target, name.mid(at + 1)) : Value();
    }
    for (auto it = act.scope.rbegin(); it != act.scope.rend(); ++it)
        // SWF 4 movies see none of the global names (NaN, Infinity...).
        if ((it->kind != Scope::Global || vm.version() >= 5) && vm.has(it->object, name)) {
            if (callee && it->kind == Scope::With)
                *callee = it->object;
            else if (callee && it->kind == Scope::Local)
                *callee = vm.global;
            return vm.get(it->object, name);
        }
    if (specialName(vm, act, name, out))
        return out;
    return {};
}

void setVariable(Vm &vm, Activation &act, const QString &name, const Value &value)
{
    if (hasPathCharacters(name)) {
        const int at = splitVariablePath(name);
        if (at >= 0) {
            if (Object *target = resolveTarget(vm, act, name.left(at)))
                vm.set(target, name.mid(at + 1), value);
            return;
        }
    }
    for (auto it = act.scope.rbegin(); it != act.scope.rend(); ++it)
        if (it->kind == Scope::Target || it->kind == Scope::Global || vm.has(it->object, name)) {
            vm.set(it->object, name, value);
            return;
        }
}

void defineLocal(Vm &vm, Activation &act, const QString &name, const Value &value)
{
    if (act.locals) {
        vm.put(act.locals, name, value);
        return;
    }
    for (auto it = act.scope.rbegin(); it != act.scope.rend(); ++it)
        if (it->kind == Scope::Target || it->kind == Scope::Global) {
            vm.set(it->object, name, value);
            return;
        }
}

bool deleteVariable(Vm &vm, Activation &act, const QString &name)
{
    for (auto it = act.scope.rbegin(); it != act.scope.rend(); ++it)
        if (vm.has(it->object, name))
            return vm.remove(it->object, name);
    return false;
}

} // namespace sky::swf::avm1
