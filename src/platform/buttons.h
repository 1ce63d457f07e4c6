#pragma once

#include "platform/control.h"

class QPushButton;
class QCheckBox;
class QRadioButton;

namespace sky {

// Captions keep "&" before the access-key letter.
class CommandButton : public Control
{
public:
    CommandButton(Form &form, const QString &name, Control *container = nullptr);

    QString Caption() const;
    void setCaption(const QString &caption);

private:
    QPushButton *m_button;
};

// Values 0 (clear) and 1 (ticked). Setting the value from code raises Click
// when the value changes, as a user's click does.
class CheckBox : public Control
{
public:
    CheckBox(Form &form, const QString &name, Control *container = nullptr);

    QString Caption() const;
    void setCaption(const QString &caption);
    int Value() const { return m_value; }
    void setValue(int value);

private:
    void userToggled(bool checked);

    QCheckBox *m_box;
    int m_value = 0;
};

// One of a group of options in the same container. Selecting it from code
// always raises Click, as does the user's click; the others of the group are
// cleared.
class OptionButton : public Control
{
public:
    OptionButton(Form &form, const QString &name, Control *container = nullptr);

    QString Caption() const;
    void setCaption(const QString &caption);
    bool Value() const;
    void setValue(bool selected);

private:
    QRadioButton *m_button;
};

} // namespace sky
