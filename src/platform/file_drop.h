#pragma once

#include <QStringList>

#include <functional>

class QEvent;

namespace sky {

// Files dragged from a file manager (a list of file URLs) onto a control or
// a window. OLEDragOver says whether a drop of them would be taken: the
// pointer shows the no-drop sign when not. OLEDragDrop takes them.
using DragOverHandler = std::function<bool(const QStringList &files)>;
using DragDropHandler = std::function<void(const QStringList &files)>;

// Answers a drag-enter, drag-move or drop event with the handlers; false
// for any other event.
bool answerFileDrag(QEvent *event, const DragOverHandler &dragOver, const DragDropHandler &dragDrop);

} // namespace sky
