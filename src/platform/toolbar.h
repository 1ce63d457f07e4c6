#pragma once

#include "platform/control.h"

#include <QStyle>

class QToolBar;

namespace sky {

// A toolbar of buttons, each with a key and a caption; a click raises
// ButtonClick with the button's key.
class ToolBar : public Control
{
public:
    ToolBar(Form &form, const QString &name, Control *container = nullptr);

    void addButton(const QString &key, const QString &caption, QStyle::StandardPixmap icon);
    // Redraws the bar.
    void Refresh();
    int ButtonCount() const;

    std::function<void(const QString &key)> ButtonClick;

private:
    QToolBar *m_bar;
};

} // namespace sky
