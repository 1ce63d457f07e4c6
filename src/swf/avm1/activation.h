#pragma once

#include "object.h"

#include <memory>
#include <vector>

namespace sky::swf::avm1 {

class Vm;

// One running piece of code: a frame script or a function call.
struct Activation {
    std::shared_ptr<const QByteArray> code;
    std::shared_ptr<const std::vector<QString>> constants;
    std::vector<Scope> scope;            // outermost first
    Object *target = nullptr;            // the timeline its timeline actions act on
    Object *baseTarget = nullptr;        // the timeline it started on
    Object *locals = nullptr;            // a function's own variables; null in frame scripts
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
Value getVariable(Vm &vm, Activation &act, const QString &name);
void setVariable(Vm &vm, Activation &act, const QString &name, const Value &value);
void defineLocal(Vm &vm, Activation &act, const QString &name, const Value &value);
bool deleteVariable(Vm &vm, Activation &act, const QString &name);
// A clip or object named by a slash or dot path from the activation's target.
Object *resolveTarget(Vm &vm, Activation &act, const QString &path);

} // namespace sky::swf::avm1
