#pragma once

#include "object.h"

#include <QStringView>

#include <optional>

namespace sky::swf::avm1 {

// The element index a property name stands for: decimal digits with an
// optional minus sign, taken modulo 2^32 as a signed 32-bit number (the
// player's arrays index by int). Other names index nothing.
std::optional<qint32> arrayIndex(QStringView name);

// Sums of indices and lengths wrap as the player's ints do.
inline int wrapAdd(int a, int b) { return qint32(quint32(a) + quint32(b)); }

// The array methods work on any object with a length: an array's own
// length, or the `length` property of anything else.
int lengthOf(Vm &vm, Object *o);
void setLengthOf(Vm &vm, Object *o, int length);
// An element as the array methods read it: the object's own value under
// that index, the one kept under a getter too; neither a getter nor a
// prototype is asked.
Value ownElement(Vm &vm, Object *o, int i);
bool hasOwnElement(Vm &vm, Object *o, int i);
// Writes an element as the array methods do: the old property is deleted
// first (when it may be), so the element counts as new (it is enumerated
// first and loses its flags); an undeletable read-only one keeps its value.
void replaceElement(Vm &vm, Object *o, int i, const Value &value);
void deleteElement(Vm &vm, Object *o, int i);

} // namespace sky::swf::avm1
