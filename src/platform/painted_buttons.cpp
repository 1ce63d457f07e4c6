#include "platform/painted_buttons.h"

#include "platform/colour.h"

#include <QPainter>
#include <QPainterPath>

namespace sky {

namespace {

void drawFocusFrame(QPainter &painter, const QWidget *widget, const QRect &frame)
{
    painter.setPen(widget->palette().color(QPalette::Highlight));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(frame.adjusted(0, 0, -1, -1));
}

} // namespace

void ButtonLook::setFace(QWidget *button, const QColor &face)
{
    m_face = face;
    // The face covers the whole button: what is behind it is not drawn.
    button->setAutoFillBackground(false);
    button->setAttribute(Qt::WA_OpaquePaintEvent);
    button->update();
}

void ButtonLook::setText(QWidget *button, const QColor &text)
{
    m_text = text;
    button->update();
}

QColor ButtonLook::text(const QWidget *button) const
{
    if (!button->isEnabled())
        return greyedText();
    return m_text.isValid() ? m_text : button->palette().color(QPalette::ButtonText);
}

void paintFace(QPushButton &button, ButtonLook &look)
{
    QPainter painter(&button);
    const QRect all = button.rect();
    const bool down = button.isDown() || button.isChecked();
    QColor face = look.face();
    if (down)
        face = face.darker(112);
    else if (button.underMouse() && button.isEnabled())
        face = face.lighter(106);
    painter.fillRect(all, face);

    // A raised bevel inside a dark outline; pressed, the bevel turns round.
    const QColor light = face.lighter(135);
    const QColor shade = face.darker(130);
    const QRect bevel = all.adjusted(1, 1, -2, -2);
    painter.setPen(down ? shade : light);
    painter.drawLine(bevel.topLeft(), bevel.topRight());
    painter.drawLine(bevel.topLeft(), bevel.bottomLeft());
    painter.setPen(down ? light : shade);
    painter.drawLine(bevel.bottomLeft(), bevel.bottomRight());
    painter.drawLine(bevel.topRight(), bevel.bottomRight());
    painter.setPen(look.face().darker(button.isDefault() ? 250 : 170));
    painter.drawRect(all.adjusted(0, 0, -1, -1));
    if (button.hasFocus())
        drawFocusFrame(painter, &button, all.adjusted(3, 3, -3, -3));

    const int shift = down ? 1 : 0;
    painter.setPen(look.text(&button));
    look.caption.paintFitted(painter, all.adjusted(4 + shift, 2 + shift, -4 + shift, -2 + shift), button.text(),
        Qt::AlignCenter | Qt::TextShowMnemonic);
}

void paintFace(QCheckBox &button, ButtonLook &look)
{
    QPainter painter(&button);
    painter.fillRect(button.rect(), look.face());

    constexpr int kBox = 13;
    const QRect box(1, (button.height() - kBox) / 2, kBox, kBox);
    QColor inside = button.isEnabled() ? QColor(Qt::white) : QColor(232, 232, 232);
    if (button.isDown())
        inside = inside.darker(115);
    painter.fillRect(box, inside);
    painter.setPen(QColor(96, 96, 96));
    painter.drawRect(box.adjusted(0, 0, -1, -1));
    const QColor text = look.text(&button);
    if (button.isChecked()) {
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(text, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        QPainterPath tick(box.topLeft() + QPointF(3, 6.5));
        tick.lineTo(box.topLeft() + QPointF(5.5, 9.5));
        tick.lineTo(box.topLeft() + QPointF(10, 3.5));
        painter.drawPath(tick);
        painter.restore();
    }

    const QRect words(box.right() + 5, 0, button.width() - box.right() - 5, button.height());
    painter.setPen(text);
    // Long captions break over several lines, as the runtime's check boxes'
    // do.
    look.caption.paintFitted(
        painter, words, button.text(), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap | Qt::TextShowMnemonic);
    if (button.hasFocus()) {
        const QSizeF used = look.caption.size();
        const int top = words.top() + (words.height() - int(used.height())) / 2;
        drawFocusFrame(
            painter, &button, QRect(words.left() - 2, top - 1, int(used.width()) + 5, int(used.height()) + 2));
    }
}

} // namespace sky
