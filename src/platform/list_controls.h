#pragma once

#include "platform/control.h"

#include <QStringList>

class QComboBox;
class QListWidget;

namespace sky {

// The line selected in a list of single selection, -1 for none. The line
// that is only current (where a list that takes the focus puts its focus
// frame) is not selected.
int selectedRow(const QListWidget &list);

// A list of text lines. ListIndex is the selected line, -1 for none; setting
// it from code always raises Click, as the user's selection does.
class ListBox : public Control
{
public:
    ListBox(Form &form, const QString &name, Control *container = nullptr);

    void AddItem(const QString &text);
    void RemoveItem(int index);
    void Clear();
    int ListCount() const { return static_cast<int>(m_items.size()); }
    QString List(int index) const { return m_items.value(index); }
    void setList(int index, const QString &text);
    int ListIndex() const { return m_index; }
    void setListIndex(int index);

protected:
    QWidget *makeWidget() override;
    void showState() override;

private:
    QListWidget *m_list = nullptr;
    QStringList m_items;
    int m_index = -1;
    bool m_settingFromCode = false;
};

// A drop-down list (Style 2) or a drop-down box with editable text (Style 0).
// The first line added to an empty drop-down list is selected; a drop-down
// box selects none.
class ComboBox : public Control
{
public:
    enum Style { DropdownCombo = 0, DropdownList = 2 };

    ComboBox(Form &form, const QString &name, Style style, Control *container = nullptr);

    void AddItem(const QString &text);
    void Clear();
    int ListCount() const { return static_cast<int>(m_items.size()); }
    QString List(int index) const { return m_items.value(index); }
    int ListIndex() const;
    void setListIndex(int index);
    QString Text() const;
    void setText(const QString &text);
    Handler Change;

protected:
    QWidget *makeWidget() override;
    void showState() override;

private:
    bool editable() const { return m_style == DropdownCombo; }
    void showSelection();

    Style m_style;
    QComboBox *m_combo = nullptr;
    QStringList m_items;
    int m_index = -1;
    // The editable text of a drop-down box.
    QString m_text;
};

} // namespace sky
