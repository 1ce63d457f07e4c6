#pragma once

#include "platform/caption_text.h"

#include <QCheckBox>
#include <QColor>
#include <QPushButton>

namespace sky {

// The colours a button draws itself in once its back colour is set, as
// graphical buttons do. Before that the style draws it. Changing them
// repaints the button and nothing else: no palette is resolved or handed
// down, which matters for the colours the main window cycles.
class ButtonColours
{
public:
    bool painted() const { return m_face.isValid(); }
    void setFace(QWidget *button, const QColor &face);
    void setText(QWidget *button, const QColor &text);
    QColor face() const { return m_face; }
    // The text colour for the button's state: greyed when disabled.
    QColor text(const QWidget *button) const;

private:
    QColor m_face;
    QColor m_text;
};

class PushButtonView : public QPushButton
{
public:
    ButtonColours colours;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    CaptionText m_caption;
};

class CheckBoxView : public QCheckBox
{
public:
    ButtonColours colours;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    CaptionText m_caption;
};

} // namespace sky
