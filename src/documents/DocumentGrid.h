#pragma once

#include <QPoint>
#include <QStringList>
#include <QTableView>
#include <functional>

class QMimeData;

// The grid of the class document register: files dragged in from a file browser are handed on, and a
// document is dragged out to other programs as a file when the mouse moves far enough with the left button
// held (ClassDocuments::dragStarts). While the button is held the current row does not follow the mouse,
// so what is dragged is the row that was pressed.
class DocumentGrid final : public QTableView {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DocumentGrid)
public:
    // Starts the system drag of the data (the starter owns it from then on); by default a QDrag that offers
    // copying only. Tests replace it: a system drag waits for the mouse to be let go.
    using DragStarter = std::function<void(QMimeData *data)>;

    explicit DocumentGrid(QWidget *parent = nullptr);

    // The full path of the document a drag takes out (empty: nothing to drag).
    void setDraggedFile(std::function<QString()> file) { m_draggedFile = std::move(file); }
    void setDragStarter(DragStarter starter) { m_startDrag = std::move(starter); }

    // What a drag of one file carries: its file URL, as a file browser offers it.
    static QMimeData *fileData(const QString &path);
    // The local files of dropped data, in their order.
    static QStringList droppedFiles(const QMimeData *data);

signals:
    // Files were dropped on the grid (local paths, at least one).
    void filesDropped(const QStringList &paths);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    std::function<QString()> m_draggedFile;
    DragStarter m_startDrag;
    QPoint m_pressedAt;
    bool m_pressed = false;
};
