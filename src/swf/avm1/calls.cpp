#include "calls.h"

#include "vm.h"

#include <optional>

namespace sky::swf::avm1 {
namespace {

enum : quint16 {
    preloadThis = 0x01,
    suppressThis = 0x02,
    preloadArguments = 0x04,
    suppressArguments = 0x08,
    preloadSuper = 0x10,
    suppressSuper = 0x20,
    preloadRoot = 0x40,
    preloadParent = 0x80,
    preloadGlobal = 0x100,
};

Object *innermostTarget(const std::vector<Scope> &scope)
{
    for (auto it = scope.rbegin(); it != scope.rend(); ++it)
        if (it->kind == Scope::Target)
            return it->object;
    return nullptr;
}

// `super` reads from above the prototype the method was found on; a method
// of the object's own counts as found on its prototype. It keeps that
// prototype, whose `__constructor__` super() reads as it is called. A
// clip is no prototype to it: through one, super finds nothing.
Object *makeSuper(Vm &vm, const Value &self, Object *home)
{
    Object *own = self.isObject() ? self.object : nullptr;
    Object *base = home && home != own ? home : (own ? own->proto : nullptr);
    if (!base)
        return nullptr;
    const bool clip = base->kind == ObjectKind::Clip;
    Object *super = vm.newObject(clip ? nullptr : base->proto, ObjectKind::Super);
    super->superThis = self;
    if (!clip)
        super->data = base;
    return super;
}

} // namespace

int defineFunction(Vm &vm, Activation &act, const ActionHeader &h, ActionData &data)
{
    auto fn = std::make_shared<ScriptFunction>();
    fn->name = data.string();
    const int params = data.u16();
    fn->twoStyle = h.code == 0x8E;
    if (fn->twoStyle) {
        fn->registerCount = data.u8();
        fn->flags = data.u16();
        for (int i = 0; i < params && !data.atEnd(); ++i) {
            fn->paramRegisters.push_back(data.u8());
            fn->params.push_back(data.string());
        }
    } else {
        for (int i = 0; i < params && !data.atEnd(); ++i)
            fn->params.push_back(data.string());
    }
    const int size = data.u16();
    fn->code = act.code;
    fn->start = h.dataEnd;
    fn->length = qMax(0, qMin(size, int(act.code->size()) - h.dataEnd));
    fn->scope = act.scope;
    act.localsCaptured = act.locals != nullptr;
    fn->constants = act.constants;
    fn->decoded = act.decoded;
    Object *function = vm.newFunction(fn);
    if (fn->name.isEmpty())
        vm.stack.push_back(function);
    else
        defineLocal(vm, act, fn->name, function);
    return h.dataEnd + fn->length;
}

QString methodName(Vm &vm, const Value &name) { return name.isUndefined() ? QString() : vm.toString(name); }

Value callMethod(Vm &vm, const Value &target, const Value &name, std::span<const Value> args)
{
    // A primitive is called on as its boxed object, made whatever the
    // method turns out to be; undefined and null have none.
    Object *object = vm.toObject(target);
    if (!object)
        return {};
    object = vm.liveClip(object);
    const QString method = methodName(vm, name);
    if (method.isEmpty()) {
        if (object->kind == ObjectKind::Super) {
            Object *home = object->proto ? object->proto : nullptr;
            const Value ctor = object->data.isObject() ? vm.get(object->data.object, QStringLiteral("__constructor__")) : Value();
            return vm.callConstructor(ctor, object->superThis, args, home);
        }
        return vm.call(object, Value(), args); // no `this`
    }
    const bool isSuper = object->kind == ObjectKind::Super;
    Object *holder = nullptr;
    Property *p = vm.lookup(isSuper ? object->proto : object, method, &holder);
    const Value self = isSuper ? object->superThis : Value(object);
    if (!p) {
        const Value fn = vm.getMemberResolving(object, method); // clip children and properties, __resolve
        if (!fn.isObject() || !fn.object->isFunction())
            return {};
        return vm.call(fn, self, args);
    }
    const Value fn = p->getter ? vm.callAccessor(holder, p->id, p->getter, self, {}, p->value) : p->value;
    return vm.call(fn, self, args, holder);
}

Completion runTry(Vm &vm, Activation &act, ActionData &data, int next, int end)
{
    const quint8 flags = data.u8();
    const int trySize = data.u16();
    const int catchSize = data.u16();
    const int finallySize = data.u16();
    const bool catchInRegister = flags & 4;
    QString catchName;
    int catchRegister = 0;
    if (catchInRegister)
        catchRegister = data.u8();
    else
        catchName = data.string();
    const int tryStart = next;
    const int catchStart = qMin(tryStart + trySize, end);
    const int finallyStart = qMin(catchStart + catchSize, end);
    const int after = qMin(finallyStart + finallySize, end);
    const bool hasCatch = flags & 1;
    const bool hasFinally = flags & 2;

    Completion c{Completion::Normal, after};
    std::optional<ScriptThrow> pending;
    const std::size_t stackHeight = vm.stack.size();
    const auto scopeDepth = act.scope.size();
    // A block that jumps into the finally block ends there, as compilers
    // leave a try or catch block: the finally block still runs only once.
    auto runBlock = [&](int from, int to) {
        const Completion r = execute(vm, act, from, to);
        const bool ended = r.kind == Completion::Normal
                           || (r.kind == Completion::Jump && r.target >= finallyStart && r.target <= after);
        return ended ? Completion{Completion::Normal, after} : r;
    };
    try {
        c = runBlock(tryStart, catchStart);
    } catch (ScriptThrow &thrown) {
        act.scope.resize(scopeDepth);
        if (hasCatch) {
            if (vm.stack.size() > stackHeight)
                vm.stack.resize(stackHeight);
            if (catchInRegister)
                act.reg(catchRegister) = thrown.value;
            else
                defineLocal(vm, act, catchName, thrown.value);
            try {
                c = runBlock(catchStart, finallyStart);
            } catch (ScriptThrow &again) {
                act.scope.resize(scopeDepth);
                pending = again;
            }
        } else {
            pending = thrown;
        }
    }
    if (hasFinally) {
        const Completion f = runBlock(finallyStart, after);
        if (f.kind != Completion::Normal) {
            c = f;
            pending.reset();
        }
    }
    if (pending)
        throw *pending;
    return c;
}

Value callScript(Vm &vm, Object *function, const Value &self, std::span<const Value> args, Object *home)
{
    const ScriptFunction &fn = *function->script;
    Activation act;
    Vm::CallVectors vectors = vm.takeCallVectors();
    act.scope = std::move(vectors.scope);
    act.registers = std::move(vectors.registers);
    act.code = fn.code;
    act.decoded = fn.decoded;
    act.constants = fn.constants;
    // The timeline a call runs on: the one the function was defined on, or
    // the clip at that one's path once it has left the stage. A version 5
    // function closes over nothing and takes the timeline of `this` or of its
    // caller, as do functions whose own timeline is gone.
    Object *own = self.isObject() && self.object->kind == ObjectKind::Clip ? self.object
                  : vm.current                                              ? vm.current->target
                                                                            : nullptr;
    Object *defined = vm.liveClip(innermostTarget(fn.scope));
    if (vm.movieVersion() < 6) {
        act.target = own ? own : defined;
        act.scope = {{vm.global, Scope::Global}, {act.target, Scope::Target}};
    } else {
        act.target = own && (!defined || clipGone(vm, defined)) ? own : defined;
        act.scope.assign(fn.scope.begin(), fn.scope.end());
    }
    act.locals = vm.newActivation();
    act.function = function;
    act.scope.push_back({act.locals, Scope::Local});
    act.self = self;
    act.baseTarget = act.target;
    act.stackBase = vm.stack.size();
    Activation *caller = vm.current;
    act.outerRegisters = caller ? (caller->outerRegisters ? caller->outerRegisters : &caller->registers) : nullptr;

    // Made only for a function that can see it.
    const auto makeArguments = [&] {
        Object *arguments = vm.newArray(std::vector<Value>(args.begin(), args.end()));
        vm.defineHidden(arguments, QStringLiteral("callee"), function);
        vm.defineHidden(arguments, QStringLiteral("caller"),
                        caller && caller->function ? Value(caller->function) : Value::null());
        return arguments;
    };
    const bool seesArguments = !fn.twoStyle || (fn.flags & preloadArguments) || !(fn.flags & suppressArguments);
    Object *arguments = seesArguments ? makeArguments() : nullptr;

    if (fn.twoStyle) {
        act.registers.resize(std::size_t(fn.registerCount));
        int r = 1;
        auto preload = [&](quint16 flag, const Value &v) {
            if (!(fn.flags & flag))
                return;
            if (std::size_t(r) < act.registers.size())
                act.registers[std::size_t(r)] = v;
            ++r;
        };
        // A function both to preload and to suppress `this` gets an empty register.
        preload(preloadThis, (fn.flags & suppressThis) ? Value() : self);
        preload(preloadArguments, arguments);
        // As with `this`, a super both preloaded and suppressed leaves its
        // register empty.
        preload(preloadSuper, (fn.flags & preloadSuper) && !(fn.flags & suppressSuper) ? makeSuper(vm, self, home) : Value());
        if (fn.flags & preloadRoot)
            preload(preloadRoot, vm.rootOf(act.baseTarget));
        // A timeline without a parent takes no register: the next preload
        // moves up into its place.
        const bool parentAsked = (fn.flags & preloadParent) && act.target && act.target->kind == ObjectKind::Clip;
        const int parent = parentAsked ? vm.host()->clipParent(act.target->clip) : 0;
        if (parent)
            preload(preloadParent, vm.host()->clipObject(parent));
        preload(preloadGlobal, vm.global);
        // What goes to a register is not also named: `arguments` and
        // `super` are only there for a function that neither preloads nor
        // suppresses them.
        if (!(fn.flags & (suppressArguments | preloadArguments)))
            vm.put(act.locals, QStringLiteral("arguments"), arguments);
        // A function that keeps `this` in a register, or has none, leaves
        // the name `this` to its caller's.
        if ((fn.flags & (preloadThis | suppressThis)) && caller)
            act.self = caller->self;
        if (!(fn.flags & (suppressSuper | preloadSuper)))
            act.superObject = makeSuper(vm, self, home);
        for (std::size_t i = 0; i < fn.params.size(); ++i) {
            const Value v = i < args.size() ? args[i] : Value();
            if (fn.paramRegisters[i] > 0) {
                if (std::size_t(fn.paramRegisters[i]) < act.registers.size())
                    act.registers[std::size_t(fn.paramRegisters[i])] = v;
            } else {
                vm.put(act.locals, fn.params[i], v);
            }
        }
    } else {
        act.registers.resize(4);
        act.superObject = makeSuper(vm, self, home);
        vm.put(act.locals, QStringLiteral("arguments"), arguments);
        for (std::size_t i = 0; i < fn.params.size(); ++i)
            vm.put(act.locals, fn.params[i], i < args.size() ? args[i] : Value());
    }

    vm.current = &act;
    struct Restore {
        Vm &vm;
        Activation &act;
        Activation *caller;
        int version;
        ~Restore()
        {
            vm.current = caller;
            vm.setVersion(version);
            if (vm.stack.size() > act.stackBase)
                vm.stack.resize(act.stackBase);
            if (!act.localsCaptured)
                vm.reuseActivation(act.locals);
            vm.giveBack({std::move(act.scope), std::move(act.registers)});
        }
    } restore{vm, act, caller, vm.version()};
    vm.setVersion(qMax(5, vm.movieVersion()));
    const Completion c = execute(vm, act, fn.start, fn.start + fn.length);
    return c.kind == Completion::Return ? act.returnValue : Value();
}

void runNested(Vm &vm, const std::shared_ptr<const QByteArray> &code, Object *target, bool sharesStack)
{
    if (vm.depth >= vm.limits().callDepth)
        throw ScriptAbort{QStringLiteral("recursion too deep")};
    Activation act;
    act.code = code;
    act.scope = {{vm.global, Scope::Global}, {target, Scope::Target}};
    act.target = act.baseTarget = target;
    act.self = target;
    act.registers.resize(4);
    act.constants = vm.constants;
    // The scripts a frame runs one after another share the operand stack:
    // what one leaves there the next finds, until the frame ends
    // (Vm::beginFrame). A script run from within another sees its own,
    // unless it is a frame's that the Call action runs.
    Activation *caller = vm.current;
    act.stackBase = !caller ? 0 : sharesStack ? caller->stackBase : vm.stack.size();
    vm.current = &act;
    ++vm.depth;
    struct Restore {
        Vm &vm;
        Activation *caller;
        bool ownStack; // what it leaves goes with it
        std::size_t base;
        ~Restore()
        {
            vm.current = caller;
            --vm.depth;
            if (ownStack && vm.stack.size() > base)
                vm.stack.resize(base);
        }
    } restore{vm, caller, caller && !sharesStack, act.stackBase};
    execute(vm, act, 0, int(code->size()));
}

bool Vm::runScript(std::shared_ptr<const QByteArray> code, Object *target)
{
    return guarded([&] { runNested(*this, code, target); });
}

} // namespace sky::swf::avm1
