#include "platform/buttons.h"

#include "platform/colour.h"
#include "platform/form.h"
#include "platform/painted_buttons.h"

#include <QKeyEvent>
#include <QRadioButton>
#include <QSignalBlocker>

#include <algorithm>

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

void ButtonCaption::showOn(QAbstractButton *button)
{
    m_button = button;
    show();
}

void ButtonCaption::set(const QString &caption)
{
    m_caption = caption;
    if (m_button)
        show();
}

void ButtonCaption::show()
{
    m_button->setText(wrappedCaption(m_button, symbolText(m_font, m_caption)));
}

void ButtonCaption::setSymbolFont(SymbolFont font)
{
    m_font = font;
    if (m_button)
        m_button->setText(symbolText(font, m_caption));
}

CommandButton::CommandButton(Form &form, const QString &name, Control *container)
    : Control(form, name, MadeWhenNeeded{}, container)
{
}

QWidget *CommandButton::makeWidget()
{
    m_button = new PushButtonView;
    m_button->setFocusPolicy(Qt::StrongFocus);
    // Enter presses the button that has the focus, as Space does; the
    // focused button is drawn as the default one meanwhile.
    m_button->setAutoDefault(true);
    QObject::connect(m_button, &QPushButton::clicked, this, [this] { fire(Click); });
    return m_button;
}

void CommandButton::showState()
{
    m_caption.showOn(m_button);
}

void CommandButton::setSymbolFont(SymbolFont font, double points)
{
    setFontSize(points);
    m_caption.setSymbolFont(font);
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
    : Control(form, name, MadeWhenNeeded{}, container)
{
}

QWidget *CheckBox::makeWidget()
{
    m_box = new CheckBoxView;
    QObject::connect(m_box, &QCheckBox::toggled, this, [this](bool checked) { userToggled(checked); });
    return m_box;
}

void CheckBox::showState()
{
    m_box->setText(wrappedCaption(m_box, m_caption));
    showValue();
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

void CheckBox::setCaption(const QString &caption)
{
    m_caption = caption;
    if (m_box)
        m_box->setText(wrappedCaption(m_box, caption));
}

void CheckBox::setValue(int value)
{
    const int normalised = value != 0 ? 1 : 0;
    if (normalised == m_value)
        return;
    m_value = normalised;
    showValue();
    fire(Click);
}

void CheckBox::showValue()
{
    if (!m_box)
        return;
    const QSignalBlocker blocker(m_box);
    m_box->setChecked(m_value == 1);
}

void CheckBox::userToggled(bool checked)
{
    m_value = checked ? 1 : 0;
    fire(Click);
}

namespace {

QAbstractButton *optionWidget(OptionButton::Look look)
{
    QAbstractButton *button = nullptr;
    if (look == OptionButton::Look::Standard) {
        button = new OptionView;
    } else {
        button = new PushButtonView;
        button->setCheckable(true);
    }
    // The options of one container form a group (see select()); Qt's own
    // grouping would also take in the options of frames inside it.
    button->setAutoExclusive(false);
    return button;
}

} // namespace

OptionButton::OptionButton(Form &form, const QString &name, Control *container, Look look)
    : Control(form, name, MadeWhenNeeded{}, container), m_kind(look)
{
}

QWidget *OptionButton::makeWidget()
{
    m_button = optionWidget(m_kind);
    if (auto *graphical = dynamic_cast<PushButtonView *>(m_button))
        m_look = &graphical->look;
    // A click on the option that is already selected raises Click again.
    QObject::connect(m_button, &QAbstractButton::clicked, this, [this] {
        select();
        fire(Click);
    });
    return m_button;
}

void OptionButton::showState()
{
    m_caption.showOn(m_button);
    setChecked(m_value);
}

bool OptionButton::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == madeWidget() && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<const QKeyEvent *>(event);
        if (!(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
            switch (key->key()) {
            case Qt::Key_Up:
            case Qt::Key_Left:
                selectInGroup(-1);
                return true;
            case Qt::Key_Down:
            case Qt::Key_Right:
                selectInGroup(1);
                return true;
            default:
                break;
            }
        }
    }
    return Control::eventFilter(watched, event);
}

void OptionButton::setSymbolFont(SymbolFont font, double points)
{
    setFontSize(points);
    m_caption.setSymbolFont(font);
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

void OptionButton::setValue(bool selected)
{
    if (!selected) {
        setChecked(false);
        return;
    }
    select();
    fire(Click);
}

std::vector<OptionButton *> OptionButton::group()
{
    std::vector<OptionButton *> options;
    for (Control *control : form().Controls()) {
        auto *option = dynamic_cast<OptionButton *>(control);
        if (option && option->container() == container())
            options.push_back(option);
    }
    return options;
}

void OptionButton::select()
{
    for (OptionButton *other : group())
        if (other != this)
            other->m_value = false;
    setChecked(true);
}

void OptionButton::setChecked(bool checked)
{
    m_value = checked;
    showTabStops();
}

void OptionButton::showTabStops()
{
    const std::vector<OptionButton *> options = group();
    const bool anySelected = std::any_of(options.begin(), options.end(), [](auto *o) { return o->m_value; });
    for (OptionButton *option : options) {
        if (!option->m_button)
            continue;
        const bool stop = anySelected ? option->m_value : option == options.front();
        option->m_button->setFocusPolicy(stop ? Qt::StrongFocus : Qt::ClickFocus);
        const QSignalBlocker blocker(option->m_button);
        option->m_button->setChecked(option->m_value);
    }
}

void OptionButton::selectInGroup(int step)
{
    const std::vector<OptionButton *> options = group();
    const auto count = static_cast<int>(options.size());
    const auto self = static_cast<int>(std::find(options.begin(), options.end(), this) - options.begin());
    for (int distance = 1; distance < count; ++distance) {
        OptionButton *next = options[static_cast<std::size_t>(((self + step * distance) % count + count) % count)];
        const QWidget *shown = next->madeWidget();
        if (shown && shown->isVisible() && shown->isEnabled()) {
            next->SetFocus();
            next->select();
            next->fire(next->Click);
            return;
        }
    }
}

} // namespace sky
