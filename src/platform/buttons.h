#pragma once

#include "platform/control.h"
#include "platform/painted_buttons.h"
#include "platform/symbols.h"

#include <vector>

class QAbstractButton;

namespace sky {

// The caption broken into lines that fit the button's width.
QString wrappedCaption(const QAbstractButton *button, const QString &caption);

// A caption as set, shown as symbols when it is drawn in a symbol font, on
// its button once that is made.
class ButtonCaption
{
public:
    void showOn(QAbstractButton *button);
    QString get() const { return m_caption; }
    void set(const QString &caption);
    void setSymbolFont(SymbolFont font);

private:
    void show();

    QAbstractButton *m_button = nullptr;
    QString m_caption;
    SymbolFont m_font = SymbolFont::None;
};

// Captions keep "&" before the access-key letter.
class CommandButton : public Control
{
public:
    CommandButton(Form &form, const QString &name, Control *container = nullptr);

    QString Caption() const { return m_caption.get(); }
    void setCaption(const QString &caption) { m_caption.set(caption); }
    void setSymbolFont(SymbolFont font, double points);

protected:
    void applyBackColor() override;
    void applyForeColor() override;
    QWidget *makeWidget() override;
    void showState() override;

private:
    PushButtonView *m_button = nullptr;
    ButtonCaption m_caption;
};

// Values 0 (clear) and 1 (ticked). Setting the value from code raises Click
// when the value changes, as a user's click does.
class CheckBox : public Control
{
public:
    CheckBox(Form &form, const QString &name, Control *container = nullptr);

    QString Caption() const { return m_caption; }
    void setCaption(const QString &caption);
    int Value() const { return m_value; }
    void setValue(int value);

protected:
    void applyBackColor() override;
    void applyForeColor() override;
    QWidget *makeWidget() override;
    void showState() override;

private:
    void userToggled(bool checked);
    void showValue();

    CheckBoxView *m_box = nullptr;
    QString m_caption;
    int m_value = 0;
};

// One of a group of options in the same container. Selecting it from code
// always raises Click, as does the user's click; the others of the group are
// cleared. A graphical option looks like a push button that stays down.
// From the keyboard a group is one stop of Tab, its selected option (the
// first when none is), and the arrow keys select the next or the previous
// option of the group, raising its Click as a click would.
class OptionButton : public Control
{
public:
    enum class Look { Standard, Graphical };

    OptionButton(Form &form, const QString &name, Control *container = nullptr, Look look = Look::Standard);

    QString Caption() const { return m_caption.get(); }
    void setCaption(const QString &caption) { m_caption.set(caption); }
    void setSymbolFont(SymbolFont font, double points);
    bool Value() const { return m_value; }
    void setValue(bool selected);

protected:
    void applyBackColor() override;
    void applyForeColor() override;
    QWidget *makeWidget() override;
    void showState() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The options of this one's container, in the window's order.
    std::vector<OptionButton *> group();
    void select();
    void setChecked(bool checked);
    // Only the group's stop takes the focus from Tab; the others take it
    // from the mouse and the arrow keys.
    void showTabStops();
    // Selects the option `step` places on in the group, round its ends,
    // passing over those that cannot take the focus.
    void selectInGroup(int step);

    Look m_kind;
    QAbstractButton *m_button = nullptr;
    // Set for the graphical look, which draws in the option's colours.
    ButtonLook *m_look = nullptr;
    ButtonCaption m_caption;
    bool m_value = false;
};

} // namespace sky
