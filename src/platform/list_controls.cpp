#include "platform/list_controls.h"

#include "platform/runtime_error.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalBlocker>

namespace sky {

ListBox::ListBox(Form &form, const QString &name, Control *container)
    : Control(form, name, new QListWidget, container)
{
    m_list = static_cast<QListWidget *>(widget());
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setUniformItemSizes(true);
    watch(m_list->viewport());
    QObject::connect(m_list, &QListWidget::currentRowChanged, this, [this](int) {
        if (!m_settingFromCode)
            fire(Click);
    });
}

void ListBox::AddItem(const QString &text)
{
    const QSignalBlocker blocker(m_list);
    m_list->addItem(text);
}

void ListBox::RemoveItem(int index)
{
    if (index < 0 || index >= m_list->count())
        throw RuntimeError(QStringLiteral("Invalid procedure call or argument"));
    const QSignalBlocker blocker(m_list);
    delete m_list->takeItem(index);
    m_list->setCurrentRow(-1);
}

void ListBox::Clear()
{
    const QSignalBlocker blocker(m_list);
    m_list->clear();
}

int ListBox::ListCount() const
{
    return m_list->count();
}

QString ListBox::List(int index) const
{
    const QListWidgetItem *item = m_list->item(index);
    return item ? item->text() : QString();
}

void ListBox::setList(int index, const QString &text)
{
    if (QListWidgetItem *item = m_list->item(index))
        item->setText(text);
}

int ListBox::ListIndex() const
{
    return m_list->currentRow();
}

void ListBox::setListIndex(int index)
{
    if (index < -1 || index >= m_list->count())
        throw RuntimeError(QStringLiteral("Invalid property value"));
    m_settingFromCode = true;
    m_list->setCurrentRow(index);
    if (index >= 0)
        m_list->scrollToItem(m_list->item(index));
    m_settingFromCode = false;
    fire(Click);
}

ComboBox::ComboBox(Form &form, const QString &name, Style style, Control *container)
    : Control(form, name, new QComboBox, container)
{
    m_combo = static_cast<QComboBox *>(widget());
    m_combo->setEditable(style == DropdownCombo);
    m_combo->setInsertPolicy(QComboBox::NoInsert);
    QObject::connect(m_combo, &QComboBox::activated, this, [this](int) { fire(Click); });
    if (m_combo->lineEdit()) {
        watch(m_combo->lineEdit());
        QObject::connect(m_combo->lineEdit(), &QLineEdit::textEdited, this, [this] { fire(Change); });
    }
}

void ComboBox::AddItem(const QString &text)
{
    const QSignalBlocker blocker(m_combo);
    m_combo->addItem(text);
    if (m_combo->isEditable() && m_combo->count() == 1)
        m_combo->setCurrentIndex(-1);
}

void ComboBox::Clear()
{
    const QSignalBlocker blocker(m_combo);
    m_combo->clear();
}

int ComboBox::ListCount() const
{
    return m_combo->count();
}

QString ComboBox::List(int index) const
{
    return m_combo->itemText(index);
}

int ComboBox::ListIndex() const
{
    // Editable text that names no entry selects none.
    if (m_combo->isEditable() && m_combo->currentIndex() >= 0
        && m_combo->currentText() != m_combo->itemText(m_combo->currentIndex()))
        return -1;
    return m_combo->currentIndex();
}

void ComboBox::setListIndex(int index)
{
    if (index < -1 || index >= m_combo->count())
        throw RuntimeError(QStringLiteral("Invalid property value"));
    {
        const QSignalBlocker blocker(m_combo);
        m_combo->setCurrentIndex(index);
    }
    fire(Click);
}

QString ComboBox::Text() const
{
    return m_combo->currentText();
}

void ComboBox::setText(const QString &text)
{
    const QSignalBlocker blocker(m_combo);
    if (m_combo->isEditable())
        m_combo->setEditText(text);
    else
        m_combo->setCurrentIndex(m_combo->findText(text));
}

} // namespace sky
