#pragma once

#include "platform/caption_text.h"

#include <QCheckBox>
#include <QColor>
#include <QPushButton>
#include <QRadioButton>

namespace sky {

// How a button draws itself once its back colour is set, as graphical
// buttons do; before that the style draws it. Changing a colour repaints the
// button and nothing else: no palette is resolved or handed down, which
// matters for the colours the main window cycles.
class ButtonLook
{
public:
    bool painted() const { return m_face.isValid(); }
    void setFace(QWidget *button, const QColor &face);
    void setText(QWidget *button, const QColor &text);
    QColor face() const { return m_face; }
    // The text colour for the button's state: greyed when disabled.
    QColor text(const QWidget *button) const;

    CaptionText caption;

private:
    QColor m_face;
    QColor m_text;
};

void paintFace(QPushButton &button, ButtonLook &look);
void paintFace(QCheckBox &button, ButtonLook &look);

template <typename StyleButton> class PaintedButton : public StyleButton
{
public:
    ButtonLook look;

protected:
    void paintEvent(QPaintEvent *event) override
    {
        if (look.painted())
            paintFace(*this, look);
        else
            StyleButton::paintEvent(event);
    }
};

using PushButtonView = PaintedButton<QPushButton>;
using CheckBoxView = PaintedButton<QCheckBox>;

// An option button the style draws. One without a caption (a colour swatch)
// has nothing the style would frame when it has the focus: the frame goes
// round the whole button, so that Tab shows where it went.
class OptionView : public QRadioButton
{
protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace sky
