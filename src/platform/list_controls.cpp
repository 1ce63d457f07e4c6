#include "platform/list_controls.h"

#include "platform/line_list.h"
#include "platform/runtime_error.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalBlocker>

namespace sky {

int selectedRow(const QListWidget &list)
{
    const QList<QListWidgetItem *> selected = list.selectedItems();
    return selected.isEmpty() ? -1 : list.row(selected.first());
}

ListBox::ListBox(Form &form, const QString &name, Control *container)
    : Control(form, name, MadeWhenNeeded{}, container)
{
}

QWidget *ListBox::makeWidget()
{
    m_list = new LineList;
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setUniformItemSizes(true);
    watch(m_list->viewport());
    return m_list;
}

void ListBox::showState()
{
    {
        const QSignalBlocker blocker(m_list);
        m_list->addItems(m_items);
        m_list->setCurrentRow(m_index);
        if (m_index >= 0)
            m_list->scrollToItem(m_list->item(m_index));
    }
    // The user's selection comes back here. A list with nothing selected
    // that takes the focus shows its focus frame on its first line without
    // selecting it: Enter and Escape then find no line selected.
    QObject::connect(m_list, &QListWidget::itemSelectionChanged, this, [this] {
        m_index = selectedRow(*m_list);
        if (!m_settingFromCode)
            fire(Click);
    });
}

void ListBox::AddItem(const QString &text)
{
    m_items.append(text);
    if (m_list) {
        const QSignalBlocker blocker(m_list);
        m_list->addItem(text);
    }
}

void ListBox::RemoveItem(int index)
{
    if (index < 0 || index >= m_items.size())
        throw RuntimeError(QStringLiteral("Invalid procedure call or argument"));
    m_items.removeAt(index);
    m_index = -1;
    if (m_list) {
        const QSignalBlocker blocker(m_list);
        delete m_list->takeItem(index);
        m_list->setCurrentRow(-1);
    }
}

void ListBox::Clear()
{
    m_items.clear();
    m_index = -1;
    if (m_list) {
        const QSignalBlocker blocker(m_list);
        m_list->clear();
    }
}

void ListBox::setList(int index, const QString &text)
{
    if (index < 0 || index >= m_items.size())
        return;
    m_items[index] = text;
    if (m_list)
        m_list->item(index)->setText(text);
}

void ListBox::setListIndex(int index)
{
    if (index < -1 || index >= m_items.size())
        throw RuntimeError(QStringLiteral("Invalid property value"));
    m_index = index;
    if (m_list) {
        m_settingFromCode = true;
        m_list->setCurrentRow(index);
        if (index >= 0)
            m_list->scrollToItem(m_list->item(index));
        m_settingFromCode = false;
    }
    fire(Click);
}

namespace {

// Changes made from code raise no signals, neither the box's nor those of
// its editable text.
struct QuietCombo
{
    explicit QuietCombo(QComboBox *combo) : box(combo), text(combo->lineEdit()) {}
    QSignalBlocker box;
    QSignalBlocker text;
};

} // namespace

ComboBox::ComboBox(Form &form, const QString &name, Style style, Control *container)
    : Control(form, name, MadeWhenNeeded{}, container), m_style(style)
{
}

QWidget *ComboBox::makeWidget()
{
    m_combo = new LineCombo;
    m_combo->setEditable(editable());
    m_combo->setInsertPolicy(QComboBox::NoInsert);
    return m_combo;
}

void ComboBox::showState()
{
    {
        const QuietCombo quiet(m_combo);
        m_combo->addItems(m_items);
    }
    showSelection();
    // What the user chooses and types comes back here.
    QObject::connect(m_combo, &QComboBox::currentIndexChanged, this, [this](int index) { m_index = index; });
    QObject::connect(m_combo, &QComboBox::activated, this, [this](int) { fire(Click); });
    if (QLineEdit *edit = m_combo->lineEdit()) {
        watch(edit);
        QObject::connect(edit, &QLineEdit::textChanged, this, [this](const QString &text) { m_text = text; });
        QObject::connect(edit, &QLineEdit::textEdited, this, [this] { fire(Change); });
    }
}

void ComboBox::showSelection()
{
    const QuietCombo quiet(m_combo);
    m_combo->setCurrentIndex(m_index);
    if (editable())
        m_combo->setEditText(m_text);
}

void ComboBox::AddItem(const QString &text)
{
    m_items.append(text);
    if (m_items.size() == 1) {
        if (editable())
            m_text.clear();
        else
            m_index = 0;
    }
    if (m_combo) {
        {
            const QuietCombo quiet(m_combo);
            m_combo->addItem(text);
        }
        showSelection();
    }
}

void ComboBox::Clear()
{
    // Typed text stays while no line is selected.
    if (m_index >= 0)
        m_text.clear();
    m_index = -1;
    m_items.clear();
    if (m_combo) {
        {
            const QuietCombo quiet(m_combo);
            m_combo->clear();
        }
        showSelection();
    }
}

int ComboBox::ListIndex() const
{
    // Editable text that names no entry selects none.
    if (editable() && m_index >= 0 && m_text != m_items.at(m_index))
        return -1;
    return m_index;
}

void ComboBox::setListIndex(int index)
{
    if (index < -1 || index >= m_items.size())
        throw RuntimeError(QStringLiteral("Invalid property value"));
    m_index = index;
    m_text = m_items.value(index);
    if (m_combo)
        showSelection();
    fire(Click);
}

QString ComboBox::Text() const
{
    return editable() ? m_text : m_items.value(m_index);
}

void ComboBox::setText(const QString &text)
{
    if (editable())
        m_text = text;
    else
        m_index = static_cast<int>(m_items.indexOf(text));
    if (m_combo)
        showSelection();
}

} // namespace sky
