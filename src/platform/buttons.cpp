#include "platform/buttons.h"

#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>

namespace sky {

CommandButton::CommandButton(Form &form, const QString &name, Control *container)
    : Control(form, name, new QPushButton, container)
{
    m_button = static_cast<QPushButton *>(widget());
    m_button->setFocusPolicy(Qt::StrongFocus);
    QObject::connect(m_button, &QPushButton::clicked, this, [this] { fire(Click); });
}

QString CommandButton::Caption() const
{
    return m_button->text();
}

void CommandButton::setCaption(const QString &caption)
{
    m_button->setText(caption);
}

CheckBox::CheckBox(Form &form, const QString &name, Control *container)
    : Control(form, name, new QCheckBox, container)
{
    m_box = static_cast<QCheckBox *>(widget());
    QObject::connect(m_box, &QCheckBox::toggled, this, [this](bool checked) { userToggled(checked); });
}

QString CheckBox::Caption() const
{
    return m_box->text();
}

void CheckBox::setCaption(const QString &caption)
{
    m_box->setText(caption);
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

OptionButton::OptionButton(Form &form, const QString &name, Control *container)
    : Control(form, name, new QRadioButton, container)
{
    m_button = static_cast<QRadioButton *>(widget());
    // A click on the option that is already selected raises Click again.
    QObject::connect(m_button, &QRadioButton::clicked, this, [this] { fire(Click); });
}

QString OptionButton::Caption() const
{
    return m_button->text();
}

void OptionButton::setCaption(const QString &caption)
{
    m_button->setText(caption);
}

bool OptionButton::Value() const
{
    return m_button->isChecked();
}

void OptionButton::setValue(bool selected)
{
    if (!selected) {
        m_button->setAutoExclusive(false);
        m_button->setChecked(false);
        m_button->setAutoExclusive(true);
        return;
    }
    {
        const QSignalBlocker blocker(m_button);
        m_button->setChecked(true);
    }
    fire(Click);
}

} // namespace sky
