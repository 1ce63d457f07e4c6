#include "activation.h"

#include "vm.h"


namespace sky::swf::avm1 {
namespace {

Object *rootObject(Vm &vm) { return vm.host()->clipObject(vm.host()->clipRoot()); }

bool isName(Vm &vm, const QString &name, const char16_t *special)
{
    return vm.version() <= 6 ? name.compare(QStringView(special), Qt::CaseInsensitive) == 0 : name == special;
}

// `this` names the running code's own object before any variable does.
// Up to version 6 it ignores case, except in version 5 code that runs
// in a function's own variables (not within a `with`).
bool isThis(Vm &vm, const Activation &act, const QString &name)
{
    // Asked before every variable lookup: most names are not four long.
    if (name.size() != 4)
        return false;
    if (vm.version() <= 5 && !act.scope.empty() && act.scope.back().kind == Scope::Local)
        return name == u"this";
    return isName(vm, name, u"this");
}

// `_global`, `_root`, `_levelN`, `super`: names every scope knows.
bool specialName(Vm &vm, Activation &act, const QString &name, Value &out)
{
    if (name.isEmpty() || (name[0] != u'_' && name[0] != u's' && name[0] != u'S'))
        return false;
    if (vm.version() >= 6 && isName(vm, name, u"_global")) {
        out = vm.global;
        return true;
    }
    if (isName(vm, name, u"_root")) {
        out = vm.rootOf(act.baseTarget);
        return true;
    }
    if (const int level = vm.levelNumber(name); level >= 0) {
        const int root = vm.host()->clipLevel(level);
        out = root ? Value(vm.host()->clipObject(root)) : Value();
        return true;
    }
    if (isName(vm, name, u"super") && act.superObject) {
        out = act.superObject;
        return true;
    }
    return false;
}

// Where a variable path names its variable: after the last colon or dot
// ("a/b:c", "a.b.c"), in SWF 4 after the last colon only, and never after
// an empty path; -1 for a plain name.
qsizetype variableSeparator(Vm &vm, const QString &name)
{
    if (vm.version() <= 4) {
        const qsizetype colon = name.lastIndexOf(u':');
        return colon > 0 ? colon : -1;
    }
    for (qsizetype i = name.size() - 1; i >= 0; --i)
        if (name[i] == u':' || name[i] == u'.')
            return i;
    return -1;
}

// The level a first step "_levelN" or "_flashN" names, whatever follows
// its digits: its root, null when no movie is loaded there. Null, with
// `isLevel` false, for any other step.
Object *levelStep(Vm &vm, const QString &step, bool &isLevel)
{
    isLevel = (step.startsWith(u"_level", Qt::CaseInsensitive) || step.startsWith(u"_flash", Qt::CaseInsensitive))
              && step.size() > 6 && step[6].isDigit();
    qsizetype end = 6;
    while (isLevel && end < step.size() && step[end].isDigit())
        ++end;
    bool number = false;
    const int level = isLevel ? QStringView(step).mid(6, end - 6).toInt(&number) : 0;
    const int root = number ? vm.host()->clipLevel(level) : 0;
    return root ? vm.host()->clipObject(root) : nullptr;
}

// SWF 4 target paths: slash steps only ("a/b", ".." for the parent, a
// leading slash for the root, a slash at the end allowed), each a child
// clip's name; a first step may name a level.
Object *resolveSlashPath(Vm &vm, Object *start, const QString &path)
{
    const QStringList steps = path.split(u'/');
    Object *current = start;
    qsizetype i = 0;
    bool isLevel = false;
    if (path.startsWith(u'/')) {
        current = rootObject(vm);
        i = 1;
    } else if (Object *level = levelStep(vm, steps.first(), isLevel); isLevel) {
        current = level;
        i = 1;
    }
    for (; i < steps.size() && current; ++i) {
        const QString &step = steps[i];
        if (step.isEmpty())
            return i == steps.size() - 1 ? current : nullptr;
        const int clip = clipOf(current);
        const int next = step == u".." ? vm.host()->clipParent(clip) : vm.host()->clipChild(clip, step);
        current = next ? vm.host()->clipObject(next) : nullptr;
    }
    return current;
}

// The object a scope entry stands for: a timeline that has left the stage
// stands for the one that takes its variables.
Object *scopeObject(Vm &vm, const Activation &act, const Scope &scope)
{
    return scope.kind == Scope::Target && clipGone(vm, scope.object) ? timelineTarget(vm, act) : scope.object;
}

bool isParentStep(QStringView path)
{
    return path == u".." || path.startsWith(u"../") || path.startsWith(u"..:");
}

// The value a clip or object names by one step of a path: a clip's child
// before its variables, the reverse of a member's lookup.
Value pathStep(Vm &vm, Object *current, const QString &name)
{
    if (current->kind == ObjectKind::Clip)
        if (const int child = vm.host()->clipChild(current->clip, name))
            return vm.host()->clipObject(child);
    return vm.get(current, name);
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

// A target path from `start`: steps end at a colon, at a slash, or at a
// dot while no slash has been seen ("a.b:c", "/a/b", "a/b.c" names the
// child "b.c"); colons before a step are skipped, ".." is the parent, a
// leading slash starts at the root, and an empty step names nothing.
// With `names` the first step may be `this` or `_root`. SWF 4 has paths
// of its own.
Object *resolvePath(Vm &vm, Activation &act, Object *start, const QString &text, bool names)
{
    if (vm.version() <= 4)
        return resolveSlashPath(vm, start, text);
    QStringView path(text);
    Object *current = start;
    bool slash = false;
    if (path.startsWith(u'/')) {
        current = vm.rootOf(act.baseTarget);
        path = path.mid(1);
        slash = true;
    }
    bool first = true;
    while (!path.isEmpty() && current) {
        while (path.startsWith(u':'))
            path = path.mid(1);
        Value next;
        if (isParentStep(path)) {
            slash = slash || path.startsWith(u"../");
            path = path.mid(qMin<qsizetype>(3, path.size()));
            const int parent = current->kind == ObjectKind::Clip ? vm.host()->clipParent(current->clip) : 0;
            if (!parent)
                return nullptr;
            next = vm.host()->clipObject(parent);
        } else {
            qsizetype end = 0;
            while (end < path.size() && path[end] != u':' && path[end] != u'/' && (slash || path[end] != u'.'))
                ++end;
            slash = slash || (end < path.size() && path[end] == u'/');
            const QString name = path.left(end).toString();
            path = path.mid(qMin(end + 1, path.size()));
            if (name.isEmpty())
                return nullptr;
            if (first && names && isThis(vm, act, name))
                next = act.self;
            else if (first && names && isName(vm, name, u"_root"))
                next = vm.rootOf(act.baseTarget);
            else
                next = pathStep(vm, current, name);
        }
        first = false;
        current = next.isObject() ? next.object : nullptr;
    }
    return current;
}

bool clipGone(Vm &vm, const Object *o) { return o && o->kind == ObjectKind::Clip && vm.host()->clipGone(o->clip); }

// A target that has left the stage gives way to the script's own clip,
// and that to the root.
Object *timelineTarget(Vm &vm, const Activation &act)
{
    if (act.target && !clipGone(vm, act.target))
        return act.target;
    if (act.target && act.baseTarget && !clipGone(vm, act.baseTarget))
        return act.baseTarget;
    return rootObject(vm);
}

// After a tellTarget that named nothing, paths start from the root.
Object *resolveTarget(Vm &vm, Activation &act, const QString &path)
{
    if (path.isEmpty())
        return act.target;
    return resolvePath(vm, act, act.target ? act.target : rootObject(vm), path, false);
}

Object *targetOperand(Vm &vm, Activation &act, const Value &target)
{
    if (target.isObject() && clipOf(target.object))
        return target.object;
    return resolveTarget(vm, act, vm.toString(target));
}

namespace {

Value findVariable(Vm &vm, Activation &act, const QString &name, Object **callee)
{
    if (isThis(vm, act, name))
        return act.self;
    // A path with a variable at its end reads it on the first object of
    // the scope chain the path names that has it; a slash path alone
    // names the object, from any scope but a function's own variables.
    if (const qsizetype at = variableSeparator(vm, name); at >= 0) {
        const QString path = name.left(at), variable = name.mid(at + 1);
        for (auto it = act.scope.rbegin(); it != act.scope.rend(); ++it) {
            Object *target = resolvePath(vm, act, scopeObject(vm, act, *it), path, true);
            if (target && vm.has(target, variable)) {
                if (callee)
                    *callee = target;
                return vm.get(target, variable);
            }
        }
        return {};
    }
    if (name.contains(u'/')) {
        for (auto it = act.scope.rbegin(); it != act.scope.rend(); ++it)
            if (it->kind != Scope::Local)
                if (Object *target = resolvePath(vm, act, scopeObject(vm, act, *it), name, false))
                    return target;
    }
    for (auto it = act.scope.rbegin(); it != act.scope.rend(); ++it) {
        // SWF 4 movies see none of the global names (NaN, Infinity...).
        Object *o = scopeObject(vm, act, *it);
        if ((it->kind != Scope::Global || vm.version() >= 5) && vm.has(o, name)) {
            if (callee && it->kind == Scope::With)
                *callee = o;
            else if (callee && it->kind == Scope::Local)
                *callee = o;
            return vm.get(o, name);
        }
    }
    Value special;
    specialName(vm, act, name, special);
    return special;
}

} // namespace

Value getVariable(Vm &vm, Activation &act, const QString &name, Object **callee)
{
    const Value value = findVariable(vm, act, name, callee);
    // Clips are no values in SWF 4.
    return vm.version() <= 4 && value.isObject() && clipOf(value.object) ? Value() : value;
}

void setVariable(Vm &vm, Activation &act, const QString &name, const Value &value)
{
    if (isThis(vm, act, name)) {
        act.self = value;
        return;
    }
    if (const qsizetype at = variableSeparator(vm, name); at >= 0) {
        const QString path = name.left(at);
        for (auto it = act.scope.rbegin(); it != act.scope.rend(); ++it)
            if (Object *target = resolvePath(vm, act, scopeObject(vm, act, *it), path, true)) {
                vm.set(target, name.mid(at + 1), value);
                return;
            }
        return;
    }
    for (auto it = act.scope.rbegin(); it != act.scope.rend(); ++it) {
        Object *o = scopeObject(vm, act, *it);
        if (it->kind == Scope::Target || it->kind == Scope::Global || vm.has(o, name)) {
            vm.set(o, name, value);
            return;
        }
    }
}

void defineLocal(Vm &vm, Activation &act, const QString &name, const Value &value)
{
    if (!act.locals && variableSeparator(vm, name) >= 0) {
        setVariable(vm, act, name, value);
        return;
    }
    // The object of an enclosing `with` that has the variable of its own
    // takes it; else the function's variables, or the timeline.
    for (auto it = act.scope.rbegin(); it != act.scope.rend(); ++it) {
        if (it->kind == Scope::With) {
            const Property *own = it->object->find(vm.key(name));
            if (!own || hiddenFrom(own->flags, vm.version()))
                continue;
            vm.set(it->object, name, value);
        } else if (act.locals) {
            vm.put(act.locals, name, value);
        } else {
            vm.set(scopeObject(vm, act, *it), name, value);
        }
        return;
    }
}

void declareLocal(Vm &vm, Activation &act, const QString &name)
{
    if (act.locals) {
        if (!act.locals->find(vm.key(name)))
            vm.put(act.locals, name, Value());
    } else if (variableSeparator(vm, name) >= 0) {
        if (getVariable(vm, act, name).isUndefined())
            setVariable(vm, act, name, Value());
    } else if (!vm.has(timelineTarget(vm, act), name)) {
        defineLocal(vm, act, name, Value());
    }
}

bool deleteVariable(Vm &vm, Activation &act, const QString &name)
{
    // A path deletes its last name from the value the rest of it reads
    // as a variable; the player warns of a value that is no object.
    if (const qsizetype at = variableSeparator(vm, name); at >= 0) {
        const Value target = getVariable(vm, act, name.left(at));
        if (target.isObject())
            return vm.remove(target.object, name.mid(at + 1));
        if (!target.isNullish())
            vm.host()->trace(QStringLiteral("Parameters of primitive types are no longer coerced into the required type - Object."));
        return false;
    }
    for (auto it = act.scope.rbegin(); it != act.scope.rend(); ++it)
        if (Object *o = scopeObject(vm, act, *it); vm.has(o, name))
            return vm.remove(o, name);
    return false;
}

} // namespace sky::swf::avm1
