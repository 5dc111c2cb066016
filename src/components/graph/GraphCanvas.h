#pragma once

#include "graph/GraphDocument.h"
#include "graph/GraphExport.h"
#include "graph/GraphMoveCommand.h"
#include "graph/GraphObject.h"
#include "graph/GraphTypes.h"

#include <QAbstractScrollArea>
#include <QHash>
#include <QImage>
#include <QMenu>
#include <QPointer>
#include <QUndoStack>

class QPrinter;

Q_DECLARE_METATYPE(TGraphObject *)
class TGraphNode;

// The graph canvas widget: shows a GraphDocument with zoom and scrolling and lets the
// user select, move and resize objects with mouse and keyboard. All changes go through
// the document; the widget only mirrors it.
class TGraphCanvas : public QAbstractScrollArea {
    Q_OBJECT

public:
    static constexpr int MinZoom = 5;
    static constexpr int MaxZoom = 36863;

    explicit TGraphCanvas(QWidget *parent = nullptr);
    ~TGraphCanvas() override;
    Q_DISABLE_COPY_MOVE(TGraphCanvas)

    GraphDocument *Document() const { return m_document; }
    // Hand moves and resizes (a drag is one step; repeated arrow keys merge).
    QUndoStack *UndoStack() const { return m_undoStack; }
    TGraphObjectList &Objects() { return m_document->Objects(); }
    TGraphObjectList &SelectedObjects() { return m_document->SelectedObjects(); }

    // Operations of the canvas (forwarded to the document where they belong there).
    void BeginUpdate() { m_document->BeginUpdate(); }
    void EndUpdate() { m_document->EndUpdate(); }
    void Clear();
    bool Delete(TGraphObject *object) { return m_document->Delete(object); }
    void AlignSelection(int horizontal, int vertical) { m_document->AlignSelection(horizontal, vertical); }
    bool SaveToFile(const QString &fileName, QString *error = nullptr);
    bool LoadFromFile(const QString &fileName, QString *error = nullptr);
    bool SaveAsMetafile(const QString &fileName, QString *error = nullptr) const;
    // Empty when the picture would be too large (see GraphExport).
    QByteArray GetAsMetafile(QString *error = nullptr) const { return GraphExport::GetAsMetafile(*m_document, error); }
    QImage GetAsBitmap(QString *error = nullptr) const { return GraphExport::GetAsBitmap(*m_document, error); }
    void Draw(QPainter &painter, const QRect &rect) const { GraphExport::Draw(*m_document, painter, rect); }
    // Prints the whole graph into the page shrunk by 50 device units on every side.
    bool Print(QPrinter &printer, const QString &title, QString *error = nullptr) const;
    // The native data always; pictures too large to make are left out, with the reason in *error.
    bool CopyToClipboard(QString *error = nullptr) const;

    static int ClampZoom(int zoom) { return qBound(MinZoom, zoom, MaxZoom); }
    int Zoom() const { return m_zoom; }
    void SetZoom(int zoom);
    // origin: 0 keep top-left, 1 keep centre, 2 keep the point under the cursor, 3 centre on it.
    void ChangeZoom(int delta, int origin);
    // Zooms so that the whole graph with a small margin is in view, at most to `largest`, and scrolls to it.
    void ZoomToFit(int largest = 100);
    int CommandMode() const { return m_commandMode; }
    void SetCommandMode(int mode);

    int MinNodeSize() const { return m_document->MinNodeSize(); }
    void SetMinNodeSize(int size) { m_document->SetMinNodeSize(size); }
    const TGraphConstraints &GraphConstraints() const { return m_document->GraphConstraints(); }
    void SetGraphConstraints(const TGraphConstraints &constraints);
    bool ShowHiddenObjects() const { return m_document->ShowHiddenObjects(); }
    void SetShowHiddenObjects(bool show) { m_document->SetShowHiddenObjects(show); }
    int GridSize() const { return m_gridSize; }
    void SetGridSize(int size);
    TColor GridColor() const { return m_gridColor; }
    void SetGridColor(TColor color);
    bool ShowGrid() const { return m_showGrid; }
    void SetShowGrid(bool show);
    bool SnapToGrid() const { return m_snapToGrid; }
    void SetSnapToGrid(bool snap) { m_snapToGrid = snap; }
    bool HideSelection() const { return m_hideSelection; }
    void SetHideSelection(bool hide);
    bool LockNodes() const { return m_lockNodes; }
    void SetLockNodes(bool lock);
    bool LockLinks() const { return m_lockLinks; }
    void SetLockLinks(bool lock);
    TColor MarkerColor() const { return m_markerColor; }
    void SetMarkerColor(TColor color);
    int MarkerSize() const { return m_document->MarkerSize(); }
    void SetMarkerSize(int size);
    TGraphDrawOrder DrawOrder() const { return m_drawOrder; }
    void SetDrawOrder(TGraphDrawOrder order);
    bool FixedScrollBars() const { return m_fixedScrollBars; }
    void SetFixedScrollBars(bool fixed);
    bool DefaultKeyMap() const { return m_defaultKeyMap; }
    void SetDefaultKeyMap(bool on) { m_defaultKeyMap = on; }
    int ClipboardFormats() const { return m_clipboardFormats; }
    void SetClipboardFormats(int formats) { m_clipboardFormats = formats; }
    QMenu *ObjectPopupMenu() const { return m_objectPopupMenu; }
    void SetObjectPopupMenu(QMenu *menu) { m_objectPopupMenu = menu; }
    QMenu *PopupMenu() const { return m_popupMenu; }
    void SetPopupMenu(QMenu *menu) { m_popupMenu = menu; }

    QPointF ClientToGraph(const QPointF &pt) const;
    QPointF GraphToClient(const QPointF &pt) const;
    QRect GraphToClient(const QRect &rect) const;
    void ScrollInView(const TGraphObject *object);
    // Snaps a graph coordinate to the grid: G * ((v + G div 2) div G).
    int Snap(int v) const;

signals:
    void objectDblClick(TGraphObject *object);
    // Offered before a popup menu opens; set *handled to keep the menus closed.
    void objectContextPopup(TGraphObject *object, const QPoint &globalPos, bool *handled);
    void objectClick(TGraphObject *object);
    void zoomChanged(int zoom);
    void commandModeChanged(int mode);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    bool focusNextPrevChild(bool next) override;
    bool viewportEvent(QEvent *event) override;

private:
    enum class DragKind { None, Move, Resize, Band, Pan };

    void UpdateScrollBars();
    void OnInvalidated(const QRect &graphRect);
    bool CanMove(const TGraphObject *object) const;
    bool CanResize(const TGraphObject *object) const;
    void MoveSelection(int dx, int dy);
    void ResizeSelection(int dw, int dh);
    void SelectNext(bool forward);
    void UpdateCursor(const QPoint &devicePos, Qt::KeyboardModifiers modifiers);
    void FinishBand(Qt::KeyboardModifiers modifiers);
    void CancelDrag();
    bool SnapActive(Qt::KeyboardModifiers modifiers) const;
    QPoint ScrollPos() const;
    void SetScrollPos(const QPointF &pos);

    // Records a finished hand change of the objects as one undo step.
    void PushMove(const QList<GraphMoveCommand::State> &before, const QList<TGraphObject *> &objects,
                  const QString &text, int mergeId);

    GraphDocument *m_document;
    QUndoStack *m_undoStack;
    QList<GraphMoveCommand::State> m_dragBefore;
    int m_zoom = 100;
    int m_commandMode = 2;
    int m_gridSize = 8;
    TColor m_gridColor = clGray;
    bool m_showGrid = true;
    bool m_snapToGrid = true;
    bool m_hideSelection = false;
    bool m_lockNodes = false;
    bool m_lockLinks = false;
    TColor m_markerColor = clBlack;
    TGraphDrawOrder m_drawOrder = doDefault;
    bool m_fixedScrollBars = false;
    bool m_defaultKeyMap = true;
    int m_clipboardFormats = cfNative;
    QPointer<QMenu> m_objectPopupMenu;
    QPointer<QMenu> m_popupMenu;

    DragKind m_drag = DragKind::None;
    TGraphObject *m_dragObject = nullptr;
    int m_dragMarker = -1;
    QPoint m_pressDevice;
    QPoint m_pressGraph;
    QPoint m_lastDevice;
    QPoint m_dragApplied; // graph delta applied so far while moving
    QHash<TGraphObject *, QRect> m_dragStartBounds;
    QHash<TGraphObject *, QPolygon> m_dragStartPoints;
    QRect m_band; // device coordinates
};
