#pragma once

#include "value.h"

namespace sky::swf::avm1 {

class Vm;

// The operators whose rules depend on the movie's version.
Value add2(Vm &vm, const Value &a, const Value &b);        // Add2: strings join, else numbers add
// Less2: undefined when NaN is involved; Greater is b < a with a converted first.
Value less2(Vm &vm, const Value &a, const Value &b, bool leftFirst = true);
bool looseEquals(Vm &vm, const Value &a, const Value &b);  // Equals2
bool strictEquals(Vm &vm, const Value &a, const Value &b); // StrictEquals
Value divide(Vm &vm, double a, double b);                  // Divide: "#ERROR#" for x/0 in SWF 4

} // namespace sky::swf::avm1
