#include "platform/toolbar.h"

#include "platform/form.h"

#include <QAction>
#include <QToolBar>

namespace sky {

ToolBar::ToolBar(Form &form, const QString &name, Control *container)
    : Control(form, name, new QToolBar, container)
{
    m_bar = static_cast<QToolBar *>(widget());
    m_bar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    m_bar->setMovable(false);
}

void ToolBar::addButton(const QString &key, const QString &caption, QStyle::StandardPixmap icon)
{
    QAction *action = m_bar->addAction(m_bar->style()->standardIcon(icon), caption);
    action->setData(key);
    QObject::connect(action, &QAction::triggered, this, [this, key] {
        if (ButtonClick && !form().isDesigning())
            ButtonClick(key);
    });
}

void ToolBar::Refresh()
{
    m_bar->update();
}

int ToolBar::ButtonCount() const
{
    return static_cast<int>(m_bar->actions().size());
}

} // namespace sky
