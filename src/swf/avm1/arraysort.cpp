#include "arraysort.h"

#include <algorithm>
#include <cmath>

namespace sky::swf::avm1 {
namespace {

// <0, 0, >0 for two values under the default rules and `flags`.
int compareValues(Vm &vm, const Value &a, const Value &b, int flags)
{
    if (flags & sortNumeric) {
        if (a.isNumber() && b.isNumber()) {
            const double x = a.number, y = b.number;
            return x < y ? -1 : x > y ? 1 : 0;
        }
    }
    QString x = a.isUndefined() ? QStringLiteral("undefined") : vm.toString(a);
    QString y = b.isUndefined() ? QStringLiteral("undefined") : vm.toString(b);
    if (flags & sortNumeric) {
        const double nx = vm.toNumber(a), ny = vm.toNumber(b);
        if (!std::isnan(nx) && !std::isnan(ny))
            return nx < ny ? -1 : nx > ny ? 1 : 0;
    }
    if (flags & sortCaseInsensitive) {
        x = x.toLower();
        y = y.toLower();
    }
    return x.compare(y);
}

} // namespace

Value sortArray(Vm &vm, Object *array, const Value &compare, const std::vector<QString> &fields,
                const std::vector<int> &flags)
{
    const std::vector<Value> elements = vm.arrayElements(array);
    std::vector<int> order(elements.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = int(i);
    bool duplicate = false;
    const bool useFunction = compare.isObject() && compare.object->isFunction();
    const int mainFlags = flags.empty() ? 0 : flags.front();
    auto cmp = [&](int ia, int ib) -> int {
        vm.charge();
        const Value &a = elements[std::size_t(ia)];
        const Value &b = elements[std::size_t(ib)];
        int r = 0;
        if (useFunction) {
            const Value args[] = {a, b};
            const double n = vm.toNumber(vm.call(compare, Value(), args));
            r = n < 0 ? -1 : n > 0 ? 1 : 0;
            if (mainFlags & sortDescending)
                r = -r;
        } else if (fields.empty()) {
            r = compareValues(vm, a, b, mainFlags);
            if (mainFlags & sortDescending)
                r = -r;
        } else {
            for (std::size_t f = 0; f < fields.size() && r == 0; ++f) {
                r = compareValues(vm, vm.getMember(a, fields[f]), vm.getMember(b, fields[f]), flags[f]);
                if (flags[f] & sortDescending)
                    r = -r;
            }
        }
        if (r == 0 && ia != ib)
            duplicate = true;
        return r;
    };
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return cmp(a, b) < 0; });
    if ((mainFlags & sortUnique) && duplicate)
        return 0;
    if (mainFlags & sortIndexed) {
        Object *indices = vm.newArray();
        for (int i : order)
            vm.arrayPush(indices, i);
        return indices;
    }
    for (std::size_t i = 0; i < order.size(); ++i)
        vm.set(array, QString::number(i), elements[std::size_t(order[i])]);
    return array;
}

} // namespace sky::swf::avm1
