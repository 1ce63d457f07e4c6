#pragma once

#include "vm.h"

namespace sky::swf::avm1 {

enum SortFlag : int {
    sortCaseInsensitive = 1,
    sortDescending = 2,
    sortUnique = 4,
    sortIndexed = 8,
    sortNumeric = 16,
};

// Array.sort and Array.sortOn: by `compare` when it is a function,
// otherwise by the fields (sortOn) or the elements, each with its flags.
// Returns the sorted array, the array of indices (RETURNINDEXEDARRAY), or
// 0 when UNIQUESORT found equal elements.
Value sortArray(Vm &vm, Object *array, const Value &compare, const std::vector<QString> &fields,
                const std::vector<int> &flags);

} // namespace sky::swf::avm1
