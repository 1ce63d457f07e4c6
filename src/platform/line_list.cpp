#include "platform/line_list.h"

#include <QAbstractItemView>
#include <QKeyEvent>

namespace sky {

namespace {

// The character a key typed into a drop-down list, for keys that type one;
// what is typed into a box with editable text is its text.
QString typedText(const QComboBox &combo, const QKeyEvent &key)
{
    if (combo.isEditable() || (key.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)))
        return {};
    const QString text = key.text();
    return !text.isEmpty() && text.at(0).isPrint() ? text : QString();
}

} // namespace

int nextRowStartingWith(const QAbstractItemModel &model, int current, const QString &search)
{
    if (search.isEmpty())
        return -1;
    const int rows = model.rowCount();
    for (int step = 1; step <= rows; ++step) {
        const int row = (current + step) % rows;
        if (model.index(row, 0).data().toString().startsWith(search, Qt::CaseInsensitive))
            return row;
    }
    return -1;
}

void LineList::keyboardSearch(const QString &search)
{
    const int row = nextRowStartingWith(*model(), currentRow(), search);
    if (row >= 0)
        setCurrentIndex(model()->index(row, 0));
}

void LineCombo::showPopup()
{
    // The list is made as it first opens: made with the box, it cost every
    // start the making of a view nobody may ever open.
    if (!m_typedIntoList) {
        m_typedIntoList = view();
        m_typedIntoList->installEventFilter(this);
    }
    QComboBox::showPopup();
}

void LineCombo::keyPressEvent(QKeyEvent *event)
{
    const QString text = typedText(*this, *event);
    if (text.isEmpty()) {
        QComboBox::keyPressEvent(event);
        return;
    }
    const int row = nextRowStartingWith(*model(), currentIndex(), text);
    if (row >= 0 && row != currentIndex()) {
        setCurrentIndex(row);
        Q_EMIT activated(row);
    }
}

bool LineCombo::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_typedIntoList && event->type() == QEvent::KeyPress) {
        const QString text = typedText(*this, *static_cast<QKeyEvent *>(event));
        if (!text.isEmpty()) {
            const int row = nextRowStartingWith(*model(), m_typedIntoList->currentIndex().row(), text);
            if (row >= 0)
                m_typedIntoList->setCurrentIndex(model()->index(row, modelColumn(), rootModelIndex()));
            return true;
        }
    }
    return QComboBox::eventFilter(watched, event);
}

} // namespace sky
