#pragma once

#include <QComboBox>
#include <QListWidget>

namespace sky {

// The row after `current` (round the end) whose text begins with `search`,
// without regard to case; -1 when none does.
int nextRowStartingWith(const QAbstractItemModel &model, int current, const QString &search);

// The view of the list controls. A character typed moves to the next line
// that begins with it, round the end and without regard to case, as the
// runtime's lists do: typing the same letter again goes on to the line
// after, and no time joins the characters typed into a word.
class LineList : public QListWidget
{
public:
    void keyboardSearch(const QString &search) override;
};

// A drop-down list by the same rule, closed or open: each character typed
// moves to the next entry that begins with it. Typed into a closed box, the
// move is a choice, as one made in its list.
class LineCombo : public QComboBox
{
public:
    void showPopup() override;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QAbstractItemView *m_typedIntoList = nullptr; // its open list, once opened
};

} // namespace sky
