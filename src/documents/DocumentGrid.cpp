#include "documents/DocumentGrid.h"

#include "documents/ClassDocuments.h"

#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>

DocumentGrid::DocumentGrid(QWidget *parent) : QTableView(parent) {
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DropOnly);
    m_startDrag = [this](QMimeData *data) {
        auto *drag = new QDrag(this);
        drag->setMimeData(data);
        drag->exec(Qt::CopyAction, Qt::CopyAction);
    };
}

QMimeData *DocumentGrid::fileData(const QString &path) {
    auto *data = new QMimeData;
    data->setUrls({QUrl::fromLocalFile(path)});
    return data;
}

QStringList DocumentGrid::droppedFiles(const QMimeData *data) {
    QStringList files;
    if (!data || !data->hasUrls())
        return files;
    for (const QUrl &url : data->urls())
        if (url.isLocalFile())
            files << url.toLocalFile();
    return files;
}

void DocumentGrid::mousePressEvent(QMouseEvent *event) {
    QTableView::mousePressEvent(event);
    m_pressed = event->button() == Qt::LeftButton;
    m_pressedAt = event->position().toPoint();
}

void DocumentGrid::mouseMoveEvent(QMouseEvent *event) {
    if (!m_pressed || !(event->buttons() & Qt::LeftButton)) {
        m_pressed = false;
        QTableView::mouseMoveEvent(event);
        return;
    }
    if (!ClassDocuments::dragStarts(m_pressedAt, event->position().toPoint()))
        return;
    m_pressed = false;
    const QString file = m_draggedFile ? m_draggedFile() : QString();
    if (!file.isEmpty() && m_startDrag)
        m_startDrag(fileData(file));
}

void DocumentGrid::mouseReleaseEvent(QMouseEvent *event) {
    m_pressed = false;
    QTableView::mouseReleaseEvent(event);
}

void DocumentGrid::dragEnterEvent(QDragEnterEvent *event) {
    if (droppedFiles(event->mimeData()).isEmpty()) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void DocumentGrid::dragMoveEvent(QDragMoveEvent *event) {
    if (droppedFiles(event->mimeData()).isEmpty()) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void DocumentGrid::dropEvent(QDropEvent *event) {
    const QStringList files = droppedFiles(event->mimeData());
    if (files.isEmpty()) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    emit filesDropped(files);
}
