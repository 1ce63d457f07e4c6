#pragma once

#include <QListWidget>

namespace sky {

// The view of the list controls. A character typed moves to the next line
// that begins with it, round the end and without regard to case, as the
// runtime's lists do: typing the same letter again goes on to the line
// after, and no time joins the characters typed into a word.
class LineList : public QListWidget
{
public:
    void keyboardSearch(const QString &search) override;
};

} // namespace sky
