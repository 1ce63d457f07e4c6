#pragma once

#include "object.h"

#include <memory>
#include <vector>

namespace sky::swf::avm1 {

class Vm;

// One running piece of code: a frame script or a function call.
struct Activation {
    std::shared_ptr<const QByteArray> code;
    DecodedCode *decoded = nullptr;      // `code` as the Vm decoded it, found on the first action
    std::shared_ptr<const std::vector<QString>> constants;
    std::vector<Scope> scope;            // outermost first
    Object *target = nullptr;            // the timeline its timeline actions act on
    Object *baseTarget = nullptr;        // the timeline it started on
    Object *locals = nullptr;            // a function's own variables; null in frame scripts
    bool localsCaptured = false;         // a function defined here closes over `locals`
    Object *function = nullptr;          // the function running; null in frame scripts
    Value self;                          // `this`
    Object *superObject = nullptr;
    std::vector<Value> registers;
    std::vector<Value> *outerRegisters = nullptr; // registers past the own ones
    std::size_t stackBase = 0;
    Value returnValue;

    Value &reg(int i);
};

struct Completion {
    enum Kind { Normal, Return, Jump };
    Kind kind = Normal;
    int target = 0;
};

// Runs the code of `act` from `start` up to `end` (byte offsets in its code).
Completion execute(Vm &vm, Activation &act, int start, int end);

// Variables and paths.
// `callee`, when given, is set to the `this` of a call by name: the object
// a path names the function on, the `with` object the name was found on,
// the function's variables for one of them, else null.
Value getVariable(Vm &vm, Activation &act, const QString &name, Object **callee = nullptr);
void setVariable(Vm &vm, Activation &act, const QString &name, const Value &value);
// `var name = value` (DefineLocal) and `var name` (DefineLocal2, which
// leaves a variable that is there as it is). Outside functions a path
// ("/:a", "o.b") sets its variable as an assignment does; inside them it
// is a name like any other.
void defineLocal(Vm &vm, Activation &act, const QString &name, const Value &value);
void declareLocal(Vm &vm, Activation &act, const QString &name);
bool deleteVariable(Vm &vm, Activation &act, const QString &name);
// A clip or object named by a slash or dot path from `start`; with
// `names` its first step may be `this` or `_root`.
Object *resolvePath(Vm &vm, Activation &act, Object *start, const QString &path, bool names);
// The timeline the activation's timeline actions act on and whose
// variables it sees: its target, or the root while a tellTarget names
// nothing.
Object *timelineTarget(Vm &vm, const Activation &act);
// Whether `o` is a clip that has left the stage.
bool clipGone(Vm &vm, const Object *o);
// A clip or object named by a path from the activation's target.
Object *resolveTarget(Vm &vm, Activation &act, const QString &path);
// The clip an action's target operand names: a clip itself, anything
// else by its text as a path.
Object *targetOperand(Vm &vm, Activation &act, const Value &target);

// The clip handle of a clip object, 0 for anything else.
int clipOf(Object *o);
// gotoAndPlay/gotoAndStop of `target` to a frame number, a label or
// "path:frame" (paths need `act`); `bias` is added to numbers (scenes).
void gotoFrameValue(Vm &vm, Activation *act, Object *target, const Value &frame, bool play, int bias);
// WaitForFrame: whether a frame given like a goto's is loaded. The whole
// movie is, so every frame the format allows is.
bool frameLoaded(Vm &vm, Activation *act, const Value &frame);
// The Call action: runs the scripts of a frame given like a goto's.
void callFrame(Vm &vm, Activation &act, const Value &frame);

} // namespace sky::swf::avm1
