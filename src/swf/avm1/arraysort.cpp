#include "arraysort.h"

#include "arrays.h"

#include <cmath>

namespace sky::swf::avm1 {
namespace {

// <0, 0, >0 for two values under `flags`: as text ("undefined" for
// undefined), numbers by value when NUMERIC is set and both are numbers
// (NaN after every other number).
int compareValues(Vm &vm, const Value &a, const Value &b, int flags)
{
    if ((flags & sortNumeric) && a.isNumber() && b.isNumber()) {
        const double x = a.number, y = b.number;
        if (std::isnan(x) || std::isnan(y))
            return std::isnan(x) - std::isnan(y);
        return x < y ? -1 : x > y ? 1 : 0;
    }
    QString x = a.isUndefined() ? QStringLiteral("undefined") : vm.toString(a);
    QString y = b.isUndefined() ? QStringLiteral("undefined") : vm.toString(b);
    if (flags & sortCaseInsensitive) {
        x = x.toLower();
        y = y.toLower();
    }
    const int r = x.compare(y);
    return r < 0 ? -1 : r > 0 ? 1 : 0;
}

// A sortOn field of an element: its own value, or the element itself when
// it is no object.
Value fieldOf(Vm &vm, const Value &element, const QString &field)
{
    if (!element.isObject())
        return element;
    const Property *p = element.object->find(vm.key(field));
    return p && !p->getter ? p->value : Value();
}

// The player's quicksort, whose order of comparisons scripts can watch
// and whose result they see when the comparisons disagree: the first
// element is the pivot; from the left, elements less than it are passed
// over, from the right, elements not less than it; the two found swap;
// when the scans meet the pivot moves between the halves, the left half
// is sorted first.
template <typename Compare>
void quickSort(std::vector<int> &order, Compare cmp)
{
    std::vector<std::pair<int, int>> ranges{{0, int(order.size()) - 1}};
    while (!ranges.empty()) {
        const auto [lo, hi] = ranges.back();
        ranges.pop_back();
        if (hi <= lo)
            continue;
        const int pivot = order[std::size_t(lo)];
        int i = lo + 1, j = hi;
        for (;;) {
            while (i < j && cmp(pivot, order[std::size_t(i)]) > 0)
                ++i;
            while (j > lo && cmp(pivot, order[std::size_t(j)]) <= 0)
                --j;
            if (i >= j)
                break;
            std::swap(order[std::size_t(i)], order[std::size_t(j)]);
        }
        std::swap(order[std::size_t(lo)], order[std::size_t(j)]);
        ranges.emplace_back(j + 1, hi);
        ranges.emplace_back(lo, j - 1);
    }
}

} // namespace

Value sortArray(Vm &vm, Object *array, const Value &compare, const std::vector<QString> &fields,
                const std::vector<int> &flags)
{
    const int n = qMax(0, lengthOf(vm, array));
    std::vector<Value> elements;
    for (int i = 0; i < n; ++i) {
        vm.charge();
        elements.push_back(ownElement(vm, array, i));
    }
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
            const double d = vm.toNumber(vm.call(compare, Value(), args));
            r = d < 0 ? -1 : d > 0 ? 1 : 0;
            if (mainFlags & sortDescending)
                r = -r;
        } else if (fields.empty()) {
            r = compareValues(vm, a, b, mainFlags);
            if (mainFlags & sortDescending)
                r = -r;
        } else {
            for (std::size_t f = 0; f < fields.size() && r == 0; ++f) {
                r = compareValues(vm, fieldOf(vm, a, fields[f]), fieldOf(vm, b, fields[f]), flags[f]);
                if (flags[f] & sortDescending)
                    r = -r;
            }
        }
        if (r == 0)
            duplicate = true;
        return r;
    };
    quickSort(order, cmp);
    if ((mainFlags & sortUnique) && duplicate)
        return 0;
    if (mainFlags & sortIndexed) {
        Object *indices = vm.newArray();
        for (int i : order)
            vm.arrayPush(indices, i);
        return indices;
    }
    for (std::size_t i = 0; i < order.size(); ++i)
        replaceElement(vm, array, int(i), elements[std::size_t(order[i])]);
    return array;
}

} // namespace sky::swf::avm1
