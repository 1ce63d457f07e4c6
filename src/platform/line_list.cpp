#include "platform/line_list.h"

namespace sky {

void LineList::keyboardSearch(const QString &search)
{
    if (search.isEmpty())
        return;
    const int lines = count();
    for (int step = 1; step <= lines; ++step) {
        const int row = (currentRow() + step) % lines;
        if (item(row)->text().startsWith(search, Qt::CaseInsensitive)) {
            setCurrentIndex(model()->index(row, 0));
            return;
        }
    }
}

} // namespace sky
