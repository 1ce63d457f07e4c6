#include "platform/buttons.h"

#include "platform/colour.h"
#include "platform/painted_buttons.h"

#include <QRadioButton>
#include <QSignalBlocker>

namespace sky {

QString wrappedCaption(const QAbstractButton *button, const QString &caption)
{
    // Check boxes and option buttons break a long caption over several
    // lines, as the runtime's do; push buttons keep theirs on one.
    if (qobject_cast<const QPushButton *>(button) || button->width() <= 0)
        return caption;
    const QFontMetrics metrics(button->font());
    const int available = button->width() - 22;
    QStringList lines;
    QString line;
    for (const QString &word : caption.split(QLatin1Char(' '))) {
        const QString longer = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
        // The "&" before an access key is not shown, and takes no room.
        if (!line.isEmpty() && metrics.size(Qt::TextShowMnemonic, longer).width() > available) {
            lines.append(line);
            line = word;
        } else {
            line = longer;
        }
    }
    lines.append(line);
    return lines.join(QLatin1Char('\n'));
}

void ButtonCaption::set(const QString &caption)
{
    m_caption = caption;
    m_button->setText(wrappedCaption(m_button, symbolText(m_font, caption)));
}

void ButtonCaption::setSymbolFont(SymbolFont font, double points)
{
    m_font = font;
    QFont f = m_button->font();
    f.setPointSizeF(points);
    m_button->setFont(f);
    m_button->setText(symbolText(font, m_caption));
}

CommandButton::CommandButton(Form &form, const QString &name, Control *container)
    : Control(form, name, new PushButtonView, container), m_button(static_cast<PushButtonView *>(widget())),
      m_caption(m_button)
{
    m_button->setFocusPolicy(Qt::StrongFocus);
    QObject::connect(m_button, &QPushButton::clicked, this, [this] { fire(Click); });
}

void CommandButton::applyBackColor()
{
    m_button->look.setFace(m_button, toQColor(BackColor()));
}

void CommandButton::applyForeColor()
{
    // The style draws until a back colour is set, in the palette's colours.
    Control::applyForeColor();
    m_button->look.setText(m_button, toQColor(ForeColor()));
}

CheckBox::CheckBox(Form &form, const QString &name, Control *container)
    : Control(form, name, new CheckBoxView, container)
{
    m_box = static_cast<CheckBoxView *>(widget());
    QObject::connect(m_box, &QCheckBox::toggled, this, [this](bool checked) { userToggled(checked); });
}

void CheckBox::applyBackColor()
{
    m_box->look.setFace(m_box, toQColor(BackColor()));
}

void CheckBox::applyForeColor()
{
    // The style draws until a back colour is set, in the palette's colours.
    Control::applyForeColor();
    m_box->look.setText(m_box, toQColor(ForeColor()));
}

QString CheckBox::Caption() const
{
    return m_caption;
}

void CheckBox::setCaption(const QString &caption)
{
    m_caption = caption;
    m_box->setText(wrappedCaption(m_box, caption));
}

void CheckBox::setValue(int value)
{
    const int normalised = value != 0 ? 1 : 0;
    if (normalised == m_value)
        return;
    m_value = normalised;
    {
        const QSignalBlocker blocker(m_box);
        m_box->setChecked(m_value == 1);
    }
    fire(Click);
}

void CheckBox::userToggled(bool checked)
{
    m_value = checked ? 1 : 0;
    fire(Click);
}

namespace {

const char *const kOptionProperty = "skyOption";

QAbstractButton *optionWidget(OptionButton::Look look)
{
    QAbstractButton *button = nullptr;
    if (look == OptionButton::Look::Standard) {
        button = new QRadioButton;
    } else {
        button = new PushButtonView;
        button->setCheckable(true);
    }
    // The options of one container form a group; Qt's own grouping would
    // also take in the options of frames inside that container.
    button->setAutoExclusive(false);
    button->setProperty(kOptionProperty, true);
    return button;
}

} // namespace

OptionButton::OptionButton(Form &form, const QString &name, Control *container, Look look)
    : Control(form, name, optionWidget(look), container), m_button(static_cast<QAbstractButton *>(widget())),
      m_caption(m_button)
{
    if (auto *graphical = dynamic_cast<PushButtonView *>(m_button))
        m_look = &graphical->look;
    // A click on the option that is already selected raises Click again.
    QObject::connect(m_button, &QAbstractButton::clicked, this, [this] {
        select();
        fire(Click);
    });
}

void OptionButton::applyBackColor()
{
    if (m_look)
        m_look->setFace(m_button, toQColor(BackColor()));
    else
        Control::applyBackColor();
}

void OptionButton::applyForeColor()
{
    Control::applyForeColor();
    if (m_look)
        m_look->setText(m_button, toQColor(ForeColor()));
}

bool OptionButton::Value() const
{
    return m_button->isChecked();
}

void OptionButton::setValue(bool selected)
{
    if (!selected) {
        const QSignalBlocker blocker(m_button);
        m_button->setChecked(false);
        return;
    }
    select();
    fire(Click);
}

void OptionButton::select()
{
    const auto siblings = m_button->parentWidget()->findChildren<QAbstractButton *>(Qt::FindDirectChildrenOnly);
    for (QAbstractButton *other : siblings) {
        if (other != m_button && other->property(kOptionProperty).toBool()) {
            const QSignalBlocker blocker(other);
            other->setChecked(false);
        }
    }
    const QSignalBlocker blocker(m_button);
    m_button->setChecked(true);
}

} // namespace sky
