#include "platform/file_drop.h"

#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

namespace sky {

namespace {

// The local files the drag brings, in order; none when it brings anything
// else (text, web addresses).
QStringList draggedFiles(const QMimeData *data)
{
    QStringList files;
    if (!data || !data->hasUrls())
        return files;
    for (const QUrl &url : data->urls())
        if (url.isLocalFile())
            files.append(url.toLocalFile());
    return files;
}

} // namespace

bool answerFileDrag(QEvent *event, const DragOverHandler &dragOver, const DragDropHandler &dragDrop)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
        return false;
    auto *drag = static_cast<QDropEvent *>(event);
    const QStringList files = draggedFiles(drag->mimeData());
    if (files.isEmpty() || !dragOver || !dragOver(files)) {
        drag->ignore();
        return true;
    }
    // The files are read where they are: a copy, never a move.
    if (drag->possibleActions() & Qt::CopyAction)
        drag->setDropAction(Qt::CopyAction);
    drag->accept();
    if (type == QEvent::Drop && dragDrop)
        dragDrop(files);
    return true;
}

} // namespace sky
