#pragma once

#include "platform/control.h"

class QComboBox;
class QListWidget;

namespace sky {

// A list of text lines. ListIndex is the selected line, -1 for none; setting
// it from code always raises Click, as the user's selection does.
class ListBox : public Control
{
public:
    ListBox(Form &form, const QString &name, Control *container = nullptr);

    void AddItem(const QString &text);
    void RemoveItem(int index);
    void Clear();
    int ListCount() const;
    QString List(int index) const;
    void setList(int index, const QString &text);
    int ListIndex() const;
    void setListIndex(int index);

protected:
    QListWidget *list() const { return m_list; }

private:
    QListWidget *m_list;
    bool m_settingFromCode = false;
};

// A drop-down list (Style 2) or a drop-down box with editable text (Style 0).
class ComboBox : public Control
{
public:
    enum Style { DropdownCombo = 0, DropdownList = 2 };

    ComboBox(Form &form, const QString &name, Style style, Control *container = nullptr);

    void AddItem(const QString &text);
    void Clear();
    int ListCount() const;
    QString List(int index) const;
    int ListIndex() const;
    void setListIndex(int index);
    QString Text() const;
    void setText(const QString &text);
    Handler Change;

private:
    QComboBox *m_combo;
};

} // namespace sky
