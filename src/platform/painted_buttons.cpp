#include "platform/painted_buttons.h"

#include "platform/colour.h"

#include <QPainter>
#include <QPainterPath>

namespace sky {

namespace {

// One-pixel lines as strips of pixels: the pen's stroker cost more than the
// rest of a face together, and the main window repaints two faces ten times
// a second.
void fillEdges(QPainter &painter, const QRect &box, const QColor &colour)
{
    painter.fillRect(QRect(box.left(), box.top(), box.width(), 1), colour);
    painter.fillRect(QRect(box.left(), box.top(), 1, box.height()), colour);
    painter.fillRect(QRect(box.left(), box.bottom(), box.width(), 1), colour);
    painter.fillRect(QRect(box.right(), box.top(), 1, box.height()), colour);
}

void drawFocusFrame(QPainter &painter, const QWidget *widget, const QRect &frame)
{
    fillEdges(painter, frame, widget->palette().color(QPalette::Highlight));
}

} // namespace

void ButtonLook::setFace(QWidget *button, const QColor &face)
{
    // The PLAY button with its colour held gets it again at every tick.
    if (face == m_face)
        return;
    m_face = face;
    // The face covers the whole button: what is behind it is not drawn.
    button->setAutoFillBackground(false);
    button->setAttribute(Qt::WA_OpaquePaintEvent);
    button->update();
}

void ButtonLook::setText(QWidget *button, const QColor &text)
{
    if (text == m_text)
        return;
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
    const QColor &upper = down ? shade : light;
    const QColor &lower = down ? light : shade;
    painter.fillRect(QRect(bevel.left(), bevel.top(), bevel.width(), 1), upper);
    painter.fillRect(QRect(bevel.left(), bevel.top(), 1, bevel.height()), upper);
    painter.fillRect(QRect(bevel.left(), bevel.bottom(), bevel.width(), 1), lower);
    painter.fillRect(QRect(bevel.right(), bevel.top(), 1, bevel.height()), lower);
    fillEdges(painter, all, look.face().darker(button.isDefault() ? 250 : 170));
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
    fillEdges(painter, box, QColor(96, 96, 96));
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

void OptionView::paintEvent(QPaintEvent *event)
{
    QRadioButton::paintEvent(event);
    if (!hasFocus() || !text().isEmpty())
        return;
    QPainter painter(this);
    drawFocusFrame(painter, this, rect());
}

} // namespace sky
