#include "activation.h"
#include "builtins.h"
#include "calls.h"
#include "clipproperties.h"
#include "decoder.h"
#include "operators.h"
#include "vm.h"

#include <cmath>
#include <limits>

namespace sky::swf::avm1 {
namespace {

// The operand stack of one activation: popping below its base gives
// undefined, as the original player does.
struct Stack {
    Vm &vm;
    Activation &act;
    Value pop()
    {
        if (vm.stack.size() <= act.stackBase)
            return {};
        Value v = std::move(vm.stack.back());
        vm.stack.pop_back();
        return v;
    }
    // The value on top as text: a string is taken, not copied.
    QString popString()
    {
        Value v = pop();
        return v.isString() ? std::move(v.string) : vm.toString(v);
    }
    void push(Value v)
    {
        if (vm.stack.size() >= 1'000'000)
            throw ScriptAbort{QStringLiteral("operand stack overflow")};
        vm.stack.push_back(std::move(v));
    }
    Value &top()
    {
        static thread_local Value none;
        if (vm.stack.size() <= act.stackBase) {
            none = Value();
            return none;
        }
        return vm.stack.back();
    }
    std::vector<Value> popArgs()
    {
        const double n = vm.toNumber(pop());
        const std::size_t available = vm.stack.size() - act.stackBase;
        // Compared as numbers first: a count past every integer (or past
        // what the stack holds) takes what there is.
        const std::size_t count = !(n > 0) ? 0 : n >= double(available) ? available : std::size_t(n);
        std::vector<Value> args;
        args.reserve(count);
        for (std::size_t i = 0; i < count; ++i)
            args.push_back(pop());
        return args;
    }
};

// tellTarget: timeline actions and variables go to `target` until the
// next SetTarget. Without one, timeline actions do nothing and variables
// are the root's.
void setTarget(Vm &vm, Activation &act, Object *target)
{
    act.target = target;
    Object *variables = timelineTarget(vm, act);
    if (!variables)
        return;
    for (auto it = act.scope.rbegin(); it != act.scope.rend(); ++it)
        if (it->kind == Scope::Target) {
            it->object = variables;
            return;
        }
}

// tellTarget: paths start from the script's own clip, whatever the target
// is now, and an empty one goes back to it. Once that clip has left the
// stage, other paths name nothing; so does a path to a variable still
// holding a clip that has left.
void setTargetPath(Vm &vm, Activation &act, const QString &path)
{
    if (path.isEmpty())
        return setTarget(vm, act, act.baseTarget);
    Object *target = clipGone(vm, act.baseTarget) ? nullptr : resolvePath(vm, act, act.baseTarget, path, false);
    setTarget(vm, act, clipGone(vm, vm.liveClip(target)) ? nullptr : target);
}

// The timeline the frame actions of SWF 3 act on: none after a tellTarget
// that named nothing.
Object *toldTimeline(Vm &vm, const Activation &act) { return act.target ? timelineTarget(vm, act) : nullptr; }

// A number a script gives as a property index, a depth or a frame: NaN
// counts as the lowest int, which names no property, depth or frame, and
// numbers past the range of int stop at its ends.
int clampedInt(double n)
{
    return std::isnan(n) ? std::numeric_limits<int>::min()
                         : int(qBound(double(std::numeric_limits<int>::min()), n,
                                      double(std::numeric_limits<int>::max())));
}

// SWF 4 string actions count characters from 1; index and count wrap
// to 32 bits like every integer operand, and a negative count takes the
// rest of the text.
QString substring(const QString &s, qint32 index, qint32 count)
{
    const qsizetype from = qBound(qsizetype(0), qsizetype(index) - 1, s.size());
    return s.mid(from, count < 0 ? -1 : qsizetype(count));
}

// A character code as these actions see it: the player keeps text as
// UTF-8 of the basic plane, so a surrogate half reads and writes as the
// replacement character.
char16_t plainCharacter(char16_t c) { return QChar::isSurrogate(c) ? char16_t(0xfffd) : c; }

} // namespace

Completion execute(Vm &vm, Activation &act, int start, int end)
{
    const QByteArray &code = *act.code;
    end = qMin(end, int(code.size()));
    if (!act.decoded || act.decoded->utf8() != (vm.version() >= 6))
        act.decoded = &vm.decoded(act.code);
    DecodedCode &decoded = *act.decoded;
    Stack st{vm, act};
    // Both operands of a numeric operator, converted left first, or right
    // first as Subtract and Divide do.
    auto numbers = [&](bool rightFirst = false) {
        const Value b = st.pop();
        const Value a = st.pop();
        const double y = rightFirst ? vm.toNumber(b) : 0;
        const double x = vm.toNumber(a);
        return std::pair<double, double>(x, rightFirst ? y : vm.toNumber(b));
    };
    int pc = start;
    while (pc < end) {
        vm.charge();
        const DecodedAction *action = decoded.at(pc, end);
        if (!action || action->header.code == 0)
            return {};
        const ActionHeader &h = action->header;
        int next = h.dataEnd;
        bool called = false; // a call, after which a script whose clip has gone stops
        ActionData data(code, h.dataStart, h.dataEnd, vm.version());
        switch (h.code) {
        case 0x04: vm.host()->stepFrame(clipOf(toldTimeline(vm, act)), 1); break;
        case 0x05: vm.host()->stepFrame(clipOf(toldTimeline(vm, act)), -1); break;
        case 0x06: vm.host()->setPlaying(clipOf(toldTimeline(vm, act)), true); break;
        case 0x07: vm.host()->setPlaying(clipOf(toldTimeline(vm, act)), false); break;
        case 0x08: break; // ToggleQuality: the picture is always drawn at one quality
        case 0x09: stopAllSounds(vm); break;
        case 0x0A: { const auto [a, b] = numbers(); st.push(a + b); break; }
        case 0x0B: { const auto [a, b] = numbers(true); st.push(a - b); break; }
        case 0x0C: { const auto [a, b] = numbers(); st.push(a * b); break; }
        case 0x0D: { const auto [a, b] = numbers(true); st.push(divide(vm, a, b)); break; }
        case 0x0E: { const double b = vm.toNumber(st.pop()); st.push(vm.toNumber(st.pop()) == b); break; } // b converts first
        case 0x0F: { const auto [a, b] = numbers(); st.push(a < b); break; }
        case 0x10: { const bool b = vm.toBoolean(st.pop()); const bool a = vm.toBoolean(st.pop()); st.push(a && b); break; }
        case 0x11: { const bool b = vm.toBoolean(st.pop()); const bool a = vm.toBoolean(st.pop()); st.push(a || b); break; }
        case 0x12: st.push(!vm.toBoolean(st.pop())); break;
        case 0x13: { const QString b = st.popString(); st.push(st.popString() == b); break; }
        case 0x14:
        case 0x31: st.push(int(st.popString().size())); break;
        case 0x15:
        case 0x35: {
            const qint32 count = vm.toInt32(st.pop());
            const qint32 index = vm.toInt32(st.pop());
            st.push(substring(st.popString(), index, count));
            break;
        }
        case 0x17: st.pop(); break;
        case 0x18: st.push(double(vm.toInt32(st.pop()))); break; // int(): NaN gives 0, the rest wraps to 32 bits
        case 0x1C: { const QString name = st.popString(); st.push(getVariable(vm, act, name)); break; }
        case 0x1D: {
            Value v = st.pop();
            setVariable(vm, act, st.popString(), v);
            break;
        }
        case 0x20: {
            // A clip is named by its path, which may find another clip of
            // the same name first.
            const Value target = st.pop();
            const int clip = target.isObject() ? clipOf(target.object) : 0;
            const QString path = clip ? vm.host()->clipTarget(clip) : vm.toString(target);
            if (clip && path.isEmpty())
                setTarget(vm, act, target.object);
            else
                setTargetPath(vm, act, path);
            break;
        }
        case 0x21: { const QString b = st.popString(); st.push(vm.checkedString(st.popString() + b)); break; }
        case 0x22: {
            const int index = clampedInt(vm.toNumber(st.pop()));
            const QString path = st.popString();
            Object *target = resolveTarget(vm, act, path);
            st.push(clipOf(target) ? vm.host()->clipProperty(clipOf(target), index) : Value());
            break;
        }
        case 0x23: {
            Value v = st.pop();
            const int index = clampedInt(vm.toNumber(st.pop()));
            Object *target = resolveTarget(vm, act, st.popString());
            if (clipOf(target))
                vm.host()->setClipProperty(clipOf(target), index, v);
            else
                convertForProperty(vm, index, v);
            break;
        }
        case 0x24: {
            // The bias is taken off before the range is cut, so that no
            // depth the script gives can overflow.
            const int depth = clampedInt(vm.toNumber(st.pop()) - cloneDepthBias);
            const QString name = st.popString();
            Object *clip = targetOperand(vm, act, st.pop());
            if (clipOf(clip))
                vm.host()->duplicateClip(clipOf(clip), name, depth, Value());
            break;
        }
        case 0x25: {
            Object *clip = targetOperand(vm, act, st.pop());
            if (clipOf(clip))
                vm.host()->removeClip(clipOf(clip));
            break;
        }
        case 0x26: {
            // A toString that throws still leaves a line, the text of a
            // value with no way to print itself, before the throw goes on.
            const Value v = st.pop();
            try {
                vm.host()->trace(v.isUndefined() ? QStringLiteral("undefined") : vm.toString(v));
            } catch (const ScriptThrow &) {
                vm.host()->trace(QStringLiteral("[type Object]"));
                throw;
            }
            break;
        }
        case 0x27: {
            // The target is read first; the flags are set by the int 1.
            Object *clip = targetOperand(vm, act, st.pop());
            const bool lock = vm.toInt32(st.pop()) == 1;
            const bool constrain = vm.toInt32(st.pop()) == 1;
            QRectF bounds;
            if (constrain) {
                const double y2 = vm.toNumber(st.pop()), x2 = vm.toNumber(st.pop());
                const double y1 = vm.toNumber(st.pop()), x1 = vm.toNumber(st.pop());
                bounds = QRectF(QPointF(x1, y1), QPointF(x2, y2));
            }
            if (clipOf(clip))
                vm.host()->startDrag(clipOf(clip), lock, constrain ? &bounds : nullptr);
            break;
        }
        case 0x28: vm.host()->stopDrag(); break;
        case 0x29: { const QString b = st.popString(); st.push(st.popString() < b); break; }
        case 0x68: { const QString b = st.popString(); st.push(st.popString() > b); break; }
        case 0x2A: throw ScriptThrow{st.pop()};
        case 0x2B: {
            const Value object = st.pop();
            const Value ctor = st.pop();
            if (!object.isObject())
                vm.toObject(object); // boxed for nothing, as the player does
            st.push(vm.instanceOf(object, ctor) ? object : Value::null());
            break;
        }
        case 0x2C: {
            const Value ctor = st.pop();
            const Value count = st.pop();
            st.push(count.isObject() ? Value(0) : count); // an object counts none
            vm.implement(ctor, st.popArgs());
            break;
        }
        case 0x30: {
            const int max = vm.toInt32(st.pop());
            st.push(max > 0 ? int(vm.random() % quint32(max)) : 0);
            break;
        }
        case 0x32:
        case 0x36: {
            const QString s = st.popString();
            st.push(s.isEmpty() ? 0 : int(plainCharacter(s[0].unicode())));
            break;
        }
        case 0x33:
        case 0x37: {
            const int c = vm.toInt32(st.pop());
            st.push(char16_t(c) == 0 ? QString() : QString(QChar(plainCharacter(char16_t(c)))));
            break;
        }
        case 0x34: st.push(std::floor(vm.host()->time())); break;
        case 0x3A: {
            const QString name = st.popString();
            const Value object = st.pop();
            st.push(object.isObject() && vm.remove(object.object, name));
            break;
        }
        case 0x3B: st.push(deleteVariable(vm, act, st.popString())); break;
        case 0x3C: {
            Value v = st.pop();
            defineLocal(vm, act, st.popString(), v);
            break;
        }
        case 0x3D: {
            const QString name = st.popString();
            const std::vector<Value> args = st.popArgs();
            Object *callee = nullptr;
            const Value fn = getVariable(vm, act, name, &callee);
            if (fn.isObject() && fn.object->kind == ObjectKind::Super) { // super(): the superclass's constructor
                st.push(callMethod(vm, fn, Value(), args));
                break;
            }
            // Found on no object of its own, a function runs on the timeline
            // the actions act on now, a tellTarget's included.
            Object *self = callee ? callee : timelineTarget(vm, act);
            st.push(vm.call(fn, self ? Value(self) : Value(), args));
            called = true;
            break;
        }
        case 0x3E:
            act.returnValue = st.pop();
            return {Completion::Return, 0};
        case 0x3F: { const auto [a, b] = numbers(); st.push(std::fmod(a, b)); break; }
        case 0x40: {
            const QString name = st.popString();
            const std::vector<Value> args = st.popArgs();
            st.push(vm.construct(getVariable(vm, act, name), args));
            called = true;
            break;
        }
        case 0x41: declareLocal(vm, act, st.popString()); break;
        case 0x42: {
            const double n = vm.toNumber(st.top());
            if (!(n >= 0 && n < 2147483648.0)) {
                st.pop();
                st.push(Value());
                break;
            }
            const std::vector<Value> elements = st.popArgs();
            st.push(vm.newArray(elements));
            break;
        }
        case 0x43: {
            // A count out of the int's range takes nothing and makes nothing.
            const double n = vm.toNumber(st.pop());
            if (n < 0 || n > 2147483647.0) {
                st.push(Value());
                break;
            }
            Object *object = vm.newPlain();
            for (int i = 0; i < n && vm.stack.size() > act.stackBase; ++i) {
                Value v = st.pop();
                vm.set(object, st.popString(), v);
            }
            st.push(object);
            break;
        }
        case 0x44: st.push(vm.typeOf(st.pop())); break;
        case 0x45: {
            const Value v = st.pop();
            st.push(clipOf(v.object) ? Value(vm.host()->clipTarget(clipOf(v.object))) : Value());
            break;
        }
        case 0x46:
        case 0x55: {
            Value v = st.pop();
            if (h.code == 0x46)
                v = getVariable(vm, act, vm.toString(v));
            st.push(Value()); // the end marker
            if (!v.isObject())
                break;
            // A clip's own properties come first, then its named objects
            // from the highest depth down.
            for (const QString &name : vm.host()->clipChildNames(clipOf(vm.liveClip(v.object))))
                st.push(name);
            for (const QString &name : vm.enumerate(v.object))
                st.push(name);
            break;
        }
        case 0x47: { const Value b = st.pop(); st.push(add2(vm, st.pop(), b)); break; }
        case 0x48: { const Value b = st.pop(); st.push(less2(vm, st.pop(), b)); break; }
        case 0x67: { const Value b = st.pop(); st.push(less2(vm, b, st.pop(), false)); break; }
        case 0x49: { const Value b = st.pop(); st.push(looseEquals(vm, st.pop(), b)); break; }
        case 0x66: { const Value b = st.pop(); st.push(strictEquals(vm, st.pop(), b)); break; }
        case 0x4A: st.push(vm.toNumber(st.pop())); break;
        case 0x4B: st.push(st.popString()); break;
        case 0x4C: st.push(st.top()); break;
        case 0x4D: {
            Value a = st.pop();
            Value b = st.pop();
            st.push(a);
            st.push(b);
            break;
        }
        case 0x4E: {
            const QString name = st.popString();
            st.push(vm.getMemberResolving(st.pop(), name));
            break;
        }
        case 0x4F: {
            Value v = st.pop();
            const QString name = st.popString();
            vm.setMember(st.pop(), name, v);
            break;
        }
        case 0x50: st.push(vm.toNumber(st.pop()) + 1); break;
        case 0x51: st.push(vm.toNumber(st.pop()) - 1); break;
        case 0x52: {
            const Value name = st.pop();
            const Value object = st.pop();
            const std::vector<Value> args = st.popArgs();
            st.push(callMethod(vm, object, name, args));
            called = !object.isNullish();
            break;
        }
        case 0x53: {
            const Value name = st.pop();
            const Value object = st.pop();
            const std::vector<Value> args = st.popArgs();
            const QString method = methodName(vm, name);
            const Value ctor = method.isEmpty() ? object : vm.getMember(object, method);
            st.push(vm.construct(ctor, args));
            called = !object.isNullish();
            break;
        }
        case 0x54: {
            const Value ctor = st.pop();
            const Value object = st.pop();
            st.push(vm.instanceOf(object, ctor));
            break;
        }
        case 0x60: { const qint32 b = vm.toInt32(st.pop()); st.push(double(vm.toInt32(st.pop()) & b)); break; }
        case 0x61: { const qint32 b = vm.toInt32(st.pop()); st.push(double(vm.toInt32(st.pop()) | b)); break; }
        case 0x62: { const qint32 b = vm.toInt32(st.pop()); st.push(double(vm.toInt32(st.pop()) ^ b)); break; }
        case 0x63: { const qint32 b = vm.toInt32(st.pop()) & 31; st.push(double(qint32(quint32(vm.toInt32(st.pop())) << b))); break; }
        case 0x64: { const qint32 b = vm.toInt32(st.pop()) & 31; st.push(double(vm.toInt32(st.pop()) >> b)); break; }
        case 0x65: {
            // SWF 8 and 9 players give the unsigned shift's result back as a signed int.
            const qint32 b = vm.toInt32(st.pop()) & 31;
            const quint32 shifted = quint32(vm.toInt32(st.pop())) >> b;
            st.push(vm.version() == 8 || vm.version() == 9 ? double(qint32(shifted)) : double(shifted));
            break;
        }
        case 0x69: {
            const Value superclass = st.pop();
            const Value subclass = st.pop();
            if (superclass.isObject() && subclass.isObject()) {
                const Value parentProto = vm.get(superclass.object, QStringLiteral("prototype"));
                Object *prototype = vm.newObject(parentProto.isObject() ? parentProto.object : nullptr);
                vm.defineHidden(prototype, QStringLiteral("__constructor__"), superclass);
                vm.set(subclass.object, QStringLiteral("prototype"), prototype);
            }
            break;
        }
        case 0x81: vm.host()->gotoFrame(clipOf(toldTimeline(vm, act)), data.u16() + 1, false); break;
        case 0x83: {
            const QString url = data.string();
            const QString window = data.string();
            if (url.startsWith(QStringLiteral("FSCommand:"), Qt::CaseInsensitive))
                vm.host()->fsCommand(url.mid(10), window);
            else if (const int level = vm.levelNumber(window); level >= 0)
                loadLevel(vm, level, url);
            break;
        }
        case 0x9A: {
            // Flags: load variables (0x80), or else a movie (0x40), into
            // the clip the target names; a movie goes into a level the
            // target names, flag or not, and no address unloads it. The
            // variables sent with them (0x03) go nowhere.
            const quint8 flags = data.u8();
            const QString window = st.popString();
            const QString url = st.popString();
            const int level = (flags & 0x80) ? -1 : vm.levelNumber(window);
            if (url.startsWith(QStringLiteral("FSCommand:"), Qt::CaseInsensitive))
                vm.host()->fsCommand(url.mid(10), window);
            else if (level >= 0)
                loadLevel(vm, level, url);
            else if (flags & 0xC0)
                if (Object *target = resolveTarget(vm, act, window); target && target->kind == ObjectKind::Clip)
                    (flags & 0x80) ? loadVariables(vm, target, url) : loadMovie(vm, target, url);
            break;
        }
        case 0x87: act.reg(data.u8()) = st.top(); break;
        case 0x88: act.constants = vm.constants = action->constants; break;
        case 0x8A:
        case 0x8D: {
            const bool loaded = h.code == 0x8A ? frameLoaded(vm, &act, data.u16() + 1) : frameLoaded(vm, &act, st.pop());
            const int skip = data.u8();
            ActionHeader skipped;
            if (!loaded)
                for (int i = 0; i < skip && readActionHeader(code, next, end, skipped); ++i)
                    next = skipped.dataEnd;
            break;
        }
        case 0x8B: setTargetPath(vm, act, data.string()); break;
        case 0x8C: vm.host()->gotoLabel(clipOf(toldTimeline(vm, act)), data.string(), false); break;
        case 0x9E:
            callFrame(vm, act, st.pop());
            called = true;
            break;
        case 0x9F: {
            const quint8 flags = data.u8();
            const int bias = (flags & 2) ? data.u16() : 0;
            gotoFrameValue(vm, &act, timelineTarget(vm, act), st.pop(), flags & 1, bias);
            break;
        }
        case 0x96:
            for (const PushItem &item : action->pushes) {
                if (item.kind == PushItem::Register)
                    st.push(act.reg(item.index));
                else if (item.kind == PushItem::Constant)
                    st.push(act.constants && std::size_t(item.index) < act.constants->size()
                                ? Value((*act.constants)[std::size_t(item.index)])
                                : Value());
                else
                    st.push(item.value);
            }
            break;
        case 0x99:
        case 0x9D: {
            const int offset = data.s16();
            if (h.code == 0x99 || vm.toBoolean(st.pop())) {
                const int target = next + offset;
                if (target < start || target > end)
                    return {Completion::Jump, target};
                next = target;
            }
            break;
        }
        case 0x9B:
        case 0x8E: next = defineFunction(vm, act, h, data); break;
        case 0x94: {
            const int size = data.u16();
            const Value object = st.pop();
            const int blockEnd = qMin(next + size, end);
            Object *scopeObject = object.isObject() ? object.object : vm.toObject(object);
            if (scopeObject) {
                act.scope.push_back({scopeObject, Scope::With});
                struct Pop {
                    Activation &a;
                    ~Pop() { a.scope.pop_back(); }
                } pop{act};
                const Completion c = execute(vm, act, next, blockEnd);
                if (c.kind == Completion::Return)
                    return c;
                if (c.kind == Completion::Jump) {
                    if (c.target < start || c.target > end)
                        return c;
                    next = c.target;
                    break;
                }
            }
            next = blockEnd;
            break;
        }
        case 0x8F: {
            const Completion c = runTry(vm, act, data, next, end);
            if (c.kind == Completion::Return)
                return c;
            if (c.target < start || c.target > end)
                return c;
            next = c.target;
            break;
        }
        default: break;
        }
        if (called && clipGone(vm, act.baseTarget))
            return {Completion::Return, 0};
        pc = next;
    }
    return {};
}

} // namespace sky::swf::avm1
