#include "platform/simple_controls.h"

#include "platform/caption_text.h"
#include "platform/colour.h"
#include "platform/form.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QPainter>
#include <QStyle>
#include <QTimer>

namespace sky {

namespace {

// Ticks that come this much later than due are told on the "sky.timer"
// category, silent unless switched on with
// QT_LOGGING_RULES="sky.timer.info=true"; long runs count them.
constexpr qint64 kLateTickMs = 100;
Q_LOGGING_CATEGORY(lcTimer, "sky.timer", QtWarningMsg)

} // namespace

// Draws its caption from a kept layout: the main window changes the colours
// of its titles ten times a second.
class Label::View : public QLabel
{
public:
    bool singleLine = false;

    void setColour(const QColor &colour)
    {
        if (colour == m_colour)
            return;
        m_colour = colour;
        // Only the letters change: the rest of the label, and the picture
        // under it that would be drawn again with it, stay as they are.
        if (!m_ink.isEmpty())
            update(m_ink);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        // Nothing to lay out: no font need be made ready for it (the main
        // window's empty titles would each cost a font of their own at
        // start-up).
        m_ink = QRect();
        if (text().isEmpty())
            return;
        QPainter painter(this);
        if (!isEnabled())
            painter.setPen(greyedText());
        else
            painter.setPen(m_colour.isValid() ? m_colour : palette().color(QPalette::WindowText));
        int flags = int(alignment());
        if (wordWrap() && !singleLine)
            flags |= Qt::TextWordWrap;
        // As for a label of the style's: "&" marks an access key only when
        // the label has a control to pass the focus to.
        if (buddy())
            flags |= Qt::TextShowMnemonic;
        m_caption.paint(painter, contentsRect(), singleLine ? elided() : text(), flags);
        m_ink = m_caption.inkLastPainted();
    }

private:
    // The caption cut to the label's width, worked out again only when the
    // caption, the width or the font changes.
    const QString &elided()
    {
        const int width = contentsRect().width();
        if (text() != m_elidedFrom || width != m_elidedWidth || font() != m_elidedFont) {
            m_elidedFrom = text();
            m_elidedWidth = width;
            m_elidedFont = font();
            m_elided = fontMetrics().elidedText(m_elidedFrom, Qt::ElideMiddle, width);
            setToolTip(m_elided == m_elidedFrom ? QString() : m_elidedFrom);
        }
        return m_elided;
    }

    CaptionText m_caption;
    QColor m_colour;
    // What the caption covered when it was last painted.
    QRect m_ink;
    QString m_elidedFrom;
    QString m_elided;
    int m_elidedWidth = -1;
    QFont m_elidedFont;
};

Label::Label(Form &form, const QString &name, Control *container) : Control(form, name, MadeWhenNeeded{}, container)
{
}

QWidget *Label::makeWidget()
{
    m_label = new View;
    m_label->setTextFormat(Qt::PlainText);
    m_label->setWordWrap(m_symbolFont == SymbolFont::None);
    return m_label;
}

void Label::showState()
{
    m_label->singleLine = m_singleLine;
    m_label->setAutoFillBackground(m_opaque);
    if (m_buddy)
        m_label->setBuddy(m_buddy->widget());
    showAlignment();
    showCaption();
}

void Label::placeWidgetAt(const QRect &place)
{
    // A label stays the size it is given: fixed, its widget asks the window
    // for no new layout as its caption changes (the main window's bar of
    // squares grows at every tick of its timer).
    m_label->setFixedSize(place.size());
    m_label->move(place.topLeft());
}

void Label::setCaption(const QString &caption)
{
    // The main window sets its titles to what they already show ten times
    // a second.
    if (caption == m_caption)
        return;
    m_caption = caption;
    if (m_label)
        showCaption();
}

void Label::showCaption()
{
    m_label->setText(symbolText(m_symbolFont, m_caption).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

void Label::setAlignment(int alignment)
{
    m_alignment = alignment;
    if (m_label)
        showAlignment();
}

void Label::showAlignment()
{
    Qt::Alignment horizontal = Qt::AlignLeft;
    if (m_alignment == RightJustify)
        horizontal = Qt::AlignRight;
    else if (m_alignment == Center)
        horizontal = Qt::AlignHCenter;
    m_label->setAlignment(horizontal | Qt::AlignTop);
}

void Label::setSymbolFont(SymbolFont font, double points)
{
    m_symbolFont = font;
    setFontSize(points);
    if (m_label) {
        m_label->setWordWrap(false);
        showCaption();
    }
}

void Label::setOpaque(bool opaque)
{
    m_opaque = opaque;
    if (m_label)
        m_label->setAutoFillBackground(opaque);
}

void Label::setBuddy(Control &control)
{
    m_buddy = &control;
    if (m_label)
        m_label->setBuddy(control.widget());
}

void Label::setSingleLine(bool singleLine)
{
    m_singleLine = singleLine;
    if (m_label) {
        m_label->singleLine = singleLine;
        m_label->update();
    }
}

void Label::applyForeColor()
{
    m_label->setColour(toQColor(ForeColor()));
}

void Label::applyBackColor()
{
    QPalette palette = m_label->palette();
    palette.setColor(QPalette::Window, toQColor(BackColor()));
    m_label->setPalette(palette);
    m_label->setAutoFillBackground(m_opaque);
}

// A frame drawn as the runtime draws one: an etched line whose top runs
// through the middle of the title, over the frame's back colour. The style's
// frame starts below the title, where the first controls of a frame already
// stand and hide it, and lays a shade over the inside that sets each control
// off as a lighter box.
class Frame::View : public QGroupBox
{
protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        const QFontMetrics metrics = fontMetrics();
        const QRect box = rect().adjusted(0, title().isEmpty() ? 0 : metrics.height() / 2, -1, -1);
        painter.setPen(palette().color(QPalette::Dark));
        painter.drawRect(box.adjusted(0, 0, -1, -1));
        painter.setPen(palette().color(QPalette::Light));
        painter.drawRect(box.adjusted(1, 1, 0, 0));
        if (title().isEmpty())
            return;
        const QRect label(6, 0, metrics.size(Qt::TextShowMnemonic, title()).width() + 4, metrics.height());
        painter.fillRect(label, palette().color(QPalette::Window));
        style()->drawItemText(&painter, label, Qt::AlignCenter | Qt::TextShowMnemonic, palette(), isEnabled(), title(),
            QPalette::WindowText);
    }
};

Frame::Frame(Form &form, const QString &name, Control *container) : Control(form, name, MadeWhenNeeded{}, container)
{
}

QWidget *Frame::makeWidget()
{
    m_box = new View;
    return m_box;
}

void Frame::showState()
{
    m_box->setTitle(m_caption);
}

void Frame::setCaption(const QString &caption)
{
    m_caption = caption;
    if (m_box)
        m_box->setTitle(caption);
}

class Shape::View : public QWidget
{
public:
    explicit View(const Look &look) : m_look(look) {}

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        const int width = m_look.borderWidth;
        const int inset = width / 2;
        const QRect box = rect().adjusted(inset, inset, -inset - (width % 2), -inset - (width % 2));
        if (m_look.fill.isValid())
            painter.fillRect(box, m_look.fill);
        if (width > 0) {
            painter.setPen(QPen(m_look.border, width));
            painter.drawRect(box);
        }
    }

private:
    const Look &m_look;
};

Shape::Shape(Form &form, const QString &name, Control *container) : Control(form, name, MadeWhenNeeded{}, container)
{
}

QWidget *Shape::makeWidget()
{
    m_view = new View(m_look);
    m_view->setAttribute(Qt::WA_TransparentForMouseEvents);
    return m_view;
}

void Shape::repaint()
{
    if (m_view)
        m_view->update();
}

void Shape::setBorderColor(long colour)
{
    m_borderColor = colour;
    m_look.border = toQColor(colour);
    repaint();
}

void Shape::setFillColor(long colour)
{
    m_look.fill = colour < 0 ? QColor() : toQColor(colour);
    repaint();
}

void Shape::setBorderWidth(int pixels)
{
    m_look.borderWidth = pixels;
    repaint();
}

TextBox::TextBox(Form &form, const QString &name, Control *container)
    : Control(form, name, MadeWhenNeeded{}, container)
{
}

QWidget *TextBox::makeWidget()
{
    m_edit = new QLineEdit;
    return m_edit;
}

void TextBox::showState()
{
    m_edit->setText(m_text);
    m_edit->setCursorPosition(0);
    // The user's typing comes back here; from here on the widget raises
    // Change for text set from code too.
    QObject::connect(m_edit, &QLineEdit::textChanged, this, [this](const QString &text) {
        m_text = text;
        fire(Change);
    });
}

void TextBox::setText(const QString &text)
{
    if (m_edit) {
        m_edit->setText(text);
        m_edit->setCursorPosition(0);
    } else if (text != m_text) {
        m_text = text;
        fire(Change);
    }
}

Timer::Timer(Form &form, const QString &name) : Control(form, name, nullptr), m_timer(new QTimer(this))
{
    QObject::connect(m_timer, &QTimer::timeout, this, [this] {
        const qint64 late = m_sinceTick.restart() - m_interval;
        if (late > kLateTickMs)
            qCInfo(
                lcTimer, "%s.%s ran %lld ms late", qUtf8Printable(this->form().name()), qUtf8Printable(Name()), late);
        fire(Tick);
    });
}

void Timer::setInterval(int milliseconds)
{
    m_interval = milliseconds;
    update();
}

void Timer::setEnabled(bool enabled)
{
    Control::setEnabled(enabled);
    update();
}

void Timer::formLoaded()
{
    m_formLoaded = true;
    update();
}

void Timer::formUnloaded()
{
    m_formLoaded = false;
    update();
}

void Timer::update()
{
    if (m_formLoaded && Enabled() && m_interval > 0) {
        m_timer->start(m_interval);
        m_sinceTick.start();
    } else {
        m_timer->stop();
    }
}

} // namespace sky
