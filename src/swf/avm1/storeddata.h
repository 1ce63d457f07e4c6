#pragma once

#include "vm.h"

namespace sky::swf::avm1 {

// The data of a SharedObject as the player's files hold it: a header
// naming the object, then each property of its data object by name, in
// AMF0 (numbers, booleans, text, objects, arrays, dates, null, undefined,
// and references to objects written before, which keep shared and
// circular references). Functions and clips are not kept.

// No stored data is larger, nor nests deeper.
inline constexpr qint64 maxStoredBytes = 1024 * 1024;
inline constexpr int maxStoredDepth = 64;

// `data`'s properties written under `name`; none when they are larger or
// nest deeper than the limits.
std::optional<QByteArray> writeStoredData(Vm &vm, const QString &name, Object *data);
// Adds to `data` the properties stored in `bytes`; false, leaving `data`
// without properties, when they are not stored data or break the limits.
bool readStoredData(Vm &vm, const QByteArray &bytes, Object *data);

} // namespace sky::swf::avm1
