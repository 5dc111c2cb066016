#include "graph/GraphCanvas.h"

#include "graph/GraphLink.h"
#include "graph/GraphNode.h"
#include "graph/GraphRenderer.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPrinter>
#include <QScrollBar>
#include <QToolTip>

#include <limits>

namespace {

int clampInt(qint64 v)
{
    return int(qBound(qint64(std::numeric_limits<int>::min()), v, qint64(std::numeric_limits<int>::max())));
}

} // namespace

TGraphCanvas::TGraphCanvas(QWidget *parent)
    : QAbstractScrollArea(parent)
    , m_document(new GraphDocument(this))
    , m_undoStack(new QUndoStack(this))
{
    qRegisterMetaType<TGraphObject *>();
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    viewport()->setAutoFillBackground(false);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    connect(m_document, &GraphDocument::invalidated, this, &TGraphCanvas::OnInvalidated);
    connect(m_document, &GraphDocument::graphChanged, this, &TGraphCanvas::UpdateScrollBars);
    connect(m_document, &GraphDocument::objectRemoved, this, [this](TGraphObject *object) {
        if (object == m_dragObject) {
            m_drag = DragKind::None;
            m_dragObject = nullptr;
        }
        m_dragStartBounds.remove(object);
        m_dragStartPoints.remove(object);
    });
    connect(m_document, &GraphDocument::cleared, m_undoStack, &QUndoStack::clear);
    UpdateScrollBars();
}

TGraphCanvas::~TGraphCanvas() = default;

void TGraphCanvas::Clear()
{
    m_drag = DragKind::None;
    m_dragObject = nullptr;
    m_document->Clear();
    SetCommandMode(2);
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
}

bool TGraphCanvas::SaveToFile(const QString &fileName, QString *error)
{
    return m_document->SaveToFile(fileName, error);
}

bool TGraphCanvas::LoadFromFile(const QString &fileName, QString *error)
{
    m_drag = DragKind::None;
    m_dragObject = nullptr;
    if (!m_document->LoadFromFile(fileName, error))
        return false;
    UpdateScrollBars();
    viewport()->update();
    return true;
}

bool TGraphCanvas::SaveAsMetafile(const QString &fileName, QString *error) const
{
    return GraphExport::SaveAsMetafile(*m_document, fileName, error);
}

bool TGraphCanvas::Print(QPrinter &printer, const QString &title, QString *error) const
{
    printer.setDocName(title);
    QPainter painter;
    if (!painter.begin(&printer)) {
        if (error)
            *error = QStringLiteral("Tisk nelze zahájit.");
        return false;
    }
    const QRect page = QRect(0, 0, printer.width(), printer.height()).adjusted(50, 50, -50, -50);
    Draw(painter, page);
    painter.end();
    return true;
}

bool TGraphCanvas::CopyToClipboard(QString *error) const
{
    QString reason;
    QGuiApplication::clipboard()->setMimeData(GraphExport::MimeData(*m_document, m_clipboardFormats, &reason));
    if (error)
        *error = reason;
    return reason.isEmpty();
}

void TGraphCanvas::SetZoom(int zoom)
{
    zoom = ClampZoom(zoom);
    if (zoom == m_zoom)
        return;
    m_zoom = zoom;
    UpdateScrollBars();
    viewport()->update();
    emit zoomChanged(m_zoom);
}

void TGraphCanvas::ChangeZoom(int delta, int origin)
{
    const QPoint cursor = viewport()->mapFromGlobal(QCursor::pos());
    const QPointF centre(viewport()->width() / 2.0, viewport()->height() / 2.0);
    QPointF anchorDevice;
    QPointF anchorGraph;
    switch (origin) {
    case 1:
        anchorDevice = centre;
        anchorGraph = ClientToGraph(centre);
        break;
    case 2:
        anchorDevice = cursor;
        anchorGraph = ClientToGraph(cursor);
        break;
    case 3:
        anchorDevice = centre;
        anchorGraph = ClientToGraph(cursor);
        break;
    default:
        anchorDevice = QPointF(0, 0);
        anchorGraph = ClientToGraph(QPointF(0, 0));
        break;
    }
    SetZoom(m_zoom + delta);
    SetScrollPos(anchorGraph * m_zoom / 100.0 - anchorDevice);
}

void TGraphCanvas::ZoomToFit(int largest)
{
    constexpr int margin = 10;
    const QRect bounds = m_document->GraphBounds().adjusted(-margin, -margin, margin, margin);
    if (bounds.isEmpty() || viewport()->width() <= 0 || viewport()->height() <= 0)
        return;
    const qint64 across = qint64(100) * viewport()->width() / bounds.width();
    const qint64 down = qint64(100) * viewport()->height() / bounds.height();
    SetZoom(ClampZoom(int(qMin(qMin(across, down), qint64(largest)))));
    UpdateScrollBars();
    SetScrollPos(QPointF(qMax(0, bounds.left()), qMax(0, bounds.top())) * m_zoom / 100.0);
}

void TGraphCanvas::SetCommandMode(int mode)
{
    mode = qBound(0, mode, 4);
    if (mode == 0 || mode >= 3)
        m_document->ClearSelection();
    if (mode == m_commandMode)
        return;
    m_commandMode = mode;
    m_drag = DragKind::None;
    viewport()->setCursor(mode == 1 ? Qt::OpenHandCursor : Qt::ArrowCursor);
    emit commandModeChanged(mode);
}

void TGraphCanvas::SetGraphConstraints(const TGraphConstraints &constraints)
{
    m_document->SetGraphConstraints(constraints);
    UpdateScrollBars();
    viewport()->update();
}

void TGraphCanvas::SetLockNodes(bool lock)
{
    m_lockNodes = lock;
    viewport()->update();
}

void TGraphCanvas::SetLockLinks(bool lock)
{
    m_lockLinks = lock;
    viewport()->update();
}

void TGraphCanvas::SetGridSize(int size)
{
    m_gridSize = qBound(4, size, 128);
    viewport()->update();
}

void TGraphCanvas::SetGridColor(TColor color)
{
    m_gridColor = color;
    viewport()->update();
}

void TGraphCanvas::SetShowGrid(bool show)
{
    m_showGrid = show;
    viewport()->update();
}

void TGraphCanvas::SetHideSelection(bool hide)
{
    m_hideSelection = hide;
    viewport()->update();
}

void TGraphCanvas::SetMarkerColor(TColor color)
{
    m_markerColor = color;
    viewport()->update();
}

void TGraphCanvas::SetMarkerSize(int size)
{
    m_document->SetMarkerSize(size);
    viewport()->update();
}

void TGraphCanvas::SetDrawOrder(TGraphDrawOrder order)
{
    m_drawOrder = order;
    viewport()->update();
}

void TGraphCanvas::SetFixedScrollBars(bool fixed)
{
    m_fixedScrollBars = fixed;
    UpdateScrollBars();
}

QPoint TGraphCanvas::ScrollPos() const
{
    return QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
}

void TGraphCanvas::SetScrollPos(const QPointF &pos)
{
    horizontalScrollBar()->setValue(clampInt(qRound64(pos.x())));
    verticalScrollBar()->setValue(clampInt(qRound64(pos.y())));
}

QPointF TGraphCanvas::ClientToGraph(const QPointF &pt) const
{
    return (pt + ScrollPos()) * 100.0 / m_zoom;
}

QPointF TGraphCanvas::GraphToClient(const QPointF &pt) const
{
    return pt * m_zoom / 100.0 - ScrollPos();
}

QRect TGraphCanvas::GraphToClient(const QRect &rect) const
{
    const QPointF a = GraphToClient(QPointF(rect.topLeft()));
    const QPointF b = GraphToClient(QPointF(rect.x() + rect.width(), rect.y() + rect.height()));
    return QRectF(a, b).toAlignedRect();
}

int TGraphCanvas::Snap(int v) const
{
    return m_gridSize * ((v + m_gridSize / 2) / m_gridSize);
}

bool TGraphCanvas::SnapActive(Qt::KeyboardModifiers modifiers) const
{
    return m_snapToGrid != bool(modifiers & Qt::ControlModifier);
}

void TGraphCanvas::UpdateScrollBars()
{
    const QRect bounds = m_document->GraphBounds();
    const TGraphConstraints &c = m_document->GraphConstraints();
    const qint64 right = m_fixedScrollBars ? c.MaxRight : qMax(1, bounds.isEmpty() ? 1 : bounds.right() + 1);
    const qint64 bottom = m_fixedScrollBars ? c.MaxBottom : qMax(1, bounds.isEmpty() ? 1 : bounds.bottom() + 1);
    const int w = clampInt(right * m_zoom / 100);
    const int h = clampInt(bottom * m_zoom / 100);
    horizontalScrollBar()->setRange(0, qMax(0, w - viewport()->width()));
    verticalScrollBar()->setRange(0, qMax(0, h - viewport()->height()));
    horizontalScrollBar()->setPageStep(viewport()->width());
    verticalScrollBar()->setPageStep(viewport()->height());
    const int step = qMax(1, m_gridSize * m_zoom / 100);
    horizontalScrollBar()->setSingleStep(step);
    verticalScrollBar()->setSingleStep(step);
}

void TGraphCanvas::OnInvalidated(const QRect &graphRect)
{
    const int slack = MarkerSize() + 3;
    viewport()->update(GraphToClient(graphRect).adjusted(-slack, -slack, slack, slack));
}

void TGraphCanvas::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
}

void TGraphCanvas::scrollContentsBy(int, int)
{
    viewport()->update();
}

void TGraphCanvas::paintEvent(QPaintEvent *event)
{
    QPainter painter(viewport());
    const QRect dirty = event->rect();
    painter.fillRect(dirty, palette().color(QPalette::Base));
    const QPoint scroll = ScrollPos();
    QTransform transform;
    transform.translate(-scroll.x(), -scroll.y());
    transform.scale(m_zoom / 100.0, m_zoom / 100.0);
    painter.setTransform(transform);

    GraphPaintOptions options;
    const QPointF a = ClientToGraph(QPointF(dirty.topLeft()));
    const QPointF b = ClientToGraph(QPointF(dirty.x() + dirty.width(), dirty.y() + dirty.height()));
    options.clip = QRectF(a, b).toAlignedRect().adjusted(-1, -1, 1, 1);
    options.drawOrder = m_drawOrder;
    options.showGrid = m_showGrid;
    options.gridSize = m_gridSize;
    options.gridColor = m_gridColor;
    options.showMarkers = !(m_hideSelection && !hasFocus());
    options.markerSize = MarkerSize();
    options.markerColor = m_markerColor;
    options.canvasColor = palette().color(QPalette::Base);
    options.lockNodes = m_lockNodes;
    options.lockLinks = m_lockLinks;
    if (m_drag == DragKind::Move || m_drag == DragKind::Resize) {
        for (TGraphObject *object : m_document->SelectedObjects())
            options.dragging.insert(object);
    }
    GraphRenderer::paint(*m_document, painter, options);

    if (m_drag == DragKind::Band) {
        painter.resetTransform();
        painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        QPen pen(Qt::white, 1, Qt::DotLine);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(m_band);
    }
}

bool TGraphCanvas::CanMove(const TGraphObject *object) const
{
    if (object->IsLink())
        return !m_lockLinks;
    return !m_lockNodes && (static_cast<const TGraphNode *>(object)->NodeOptions() & gnoMovable);
}

bool TGraphCanvas::CanResize(const TGraphObject *object) const
{
    return object->IsNode() && !m_lockNodes &&
           (static_cast<const TGraphNode *>(object)->NodeOptions() & gnoResizable);
}

void TGraphCanvas::mousePressEvent(QMouseEvent *event)
{
    setFocus(Qt::MouseFocusReason);
    const QPoint pos = event->position().toPoint();
    m_pressDevice = pos;
    m_lastDevice = pos;
    m_pressGraph = ClientToGraph(QPointF(pos)).toPoint();
    if (m_commandMode == 1) {
        if (event->button() == Qt::LeftButton) {
            m_drag = DragKind::Pan;
            viewport()->setCursor(Qt::ClosedHandCursor);
        }
        return;
    }
    if (m_commandMode != 2)
        return;
    const Qt::KeyboardModifiers mods = event->modifiers();
    const auto hit = m_document->ObjectAt(m_pressGraph);
    TGraphObject *object = hit.object;
    if (!object) {
        if (event->button() == Qt::LeftButton) {
            m_drag = DragKind::Band;
            m_band = QRect(pos, QSize(0, 0));
        } else if (!(mods & Qt::ShiftModifier)) {
            m_document->ClearSelection();
        }
        return;
    }
    if (object->Selected() && (mods & Qt::ShiftModifier)) {
        object->SetSelected(false);
        return;
    }
    if (!object->Selected() && object->IsSelectable()) {
        m_document->BeginUpdate();
        if (!(mods & Qt::ShiftModifier))
            m_document->ClearSelection();
        object->SetSelected(true);
        m_document->EndUpdate();
    }
    emit objectClick(object);
    if (event->button() != Qt::LeftButton || !object->Selected())
        return;
    m_dragObject = object;
    m_dragMarker = -1;
    m_dragApplied = QPoint();
    m_dragStartBounds.clear();
    m_dragStartPoints.clear();
    m_dragBefore.clear();
    if (hit.hit == int(GraphHit::Marker) && object->IsNode()) {
        if (!CanResize(object))
            return;
        m_drag = DragKind::Resize;
        m_dragMarker = hit.marker;
        m_dragStartBounds.insert(object, static_cast<TGraphNode *>(object)->Bounds());
    } else {
        m_drag = DragKind::Move;
        for (TGraphObject *selected : m_document->SelectedObjects()) {
            if (selected->IsNode())
                m_dragStartBounds.insert(selected, static_cast<TGraphNode *>(selected)->Bounds());
            else
                m_dragStartPoints.insert(selected, static_cast<TGraphLink *>(selected)->Points());
        }
    }
    m_dragBefore = GraphMoveCommand::Capture(QList<TGraphObject *>(m_dragStartBounds.keyBegin(),
                                                                   m_dragStartBounds.keyEnd()) +
                                             QList<TGraphObject *>(m_dragStartPoints.keyBegin(),
                                                                   m_dragStartPoints.keyEnd()));
    viewport()->update();
}

void TGraphCanvas::PushMove(const QList<GraphMoveCommand::State> &before, const QList<TGraphObject *> &objects,
                            const QString &text, int mergeId)
{
    auto *command =
        new GraphMoveCommand(m_document, before, GraphMoveCommand::Capture(objects), text, mergeId);
    if (command->IsNoChange()) {
        delete command;
        return;
    }
    m_undoStack->push(command);
}

void TGraphCanvas::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    const Qt::KeyboardModifiers mods = event->modifiers();
    switch (m_drag) {
    case DragKind::Pan: {
        const QPoint delta = pos - m_lastDevice;
        SetScrollPos(ScrollPos() - delta);
        break;
    }
    case DragKind::Band: {
        const QRect old = m_band;
        m_band = QRect(QPoint(qMin(m_pressDevice.x(), pos.x()), qMin(m_pressDevice.y(), pos.y())),
                       QSize(qAbs(pos.x() - m_pressDevice.x()), qAbs(pos.y() - m_pressDevice.y())));
        viewport()->update((old | m_band).adjusted(-2, -2, 2, 2));
        break;
    }
    case DragKind::Move: {
        const QPoint graphDelta = ClientToGraph(QPointF(pos)).toPoint() - m_pressGraph;
        QPoint ref = m_dragObject->IsNode() ? m_dragStartBounds.value(m_dragObject).topLeft()
                                            : m_dragStartPoints.value(m_dragObject).value(0);
        QPoint moved = ref + graphDelta;
        if (SnapActive(mods))
            moved = QPoint(Snap(moved.x()), Snap(moved.y()));
        const QPoint delta = moved - ref;
        if (delta == m_dragApplied)
            break;
        m_dragApplied = delta;
        m_document->BeginUpdate();
        for (auto it = m_dragStartPoints.cbegin(); it != m_dragStartPoints.cend(); ++it) {
            auto *link = static_cast<TGraphLink *>(it.key());
            if (!CanMove(link))
                continue;
            QPolygon points = it.value();
            for (qsizetype i = 0; i < points.size(); ++i)
                if (!((i == 0 && link->Source()) || (i == points.size() - 1 && link->Target())))
                    points[i] += delta;
            link->SetPoints(points);
        }
        for (auto it = m_dragStartBounds.cbegin(); it != m_dragStartBounds.cend(); ++it) {
            auto *node = static_cast<TGraphNode *>(it.key());
            if (!CanMove(node))
                continue;
            node->SetBounds(it.value().translated(delta));
        }
        m_document->EndUpdate();
        break;
    }
    case DragKind::Resize: {
        auto *node = static_cast<TGraphNode *>(m_dragObject);
        const QRect start = m_dragStartBounds.value(node);
        int l = start.x(), t = start.y(), r = start.x() + start.width(), b = start.y() + start.height();
        const QPoint markerStart = [&] {
            const int mx = (l + r) / 2, my = (t + b) / 2;
            const QPoint pts[] = {{r, b}, {l, b}, {r, t}, {l, t}, {mx, b}, {r, my}, {l, my}, {mx, t}};
            return pts[qBound(0, m_dragMarker, 7)];
        }();
        QPoint p = markerStart + ClientToGraph(QPointF(pos)).toPoint() - m_pressGraph;
        if (SnapActive(mods))
            p = QPoint(Snap(p.x()), Snap(p.y()));
        switch (m_dragMarker) {
        case TGraphNode::BottomRight: r = p.x(); b = p.y(); break;
        case TGraphNode::BottomLeft: l = p.x(); b = p.y(); break;
        case TGraphNode::TopRight: r = p.x(); t = p.y(); break;
        case TGraphNode::TopLeft: l = p.x(); t = p.y(); break;
        case TGraphNode::BottomMiddle: b = p.y(); break;
        case TGraphNode::RightMiddle: r = p.x(); break;
        case TGraphNode::LeftMiddle: l = p.x(); break;
        case TGraphNode::TopMiddle: t = p.y(); break;
        default: break;
        }
        node->SetBounds(qMin(l, r), qMin(t, b), qAbs(r - l), qAbs(b - t));
        break;
    }
    case DragKind::None:
        UpdateCursor(pos, mods);
        break;
    }
    m_lastDevice = pos;
}

void TGraphCanvas::mouseReleaseEvent(QMouseEvent *event)
{
    const DragKind drag = m_drag;
    m_drag = DragKind::None;
    switch (drag) {
    case DragKind::Pan:
        viewport()->setCursor(Qt::OpenHandCursor);
        break;
    case DragKind::Band:
        m_drag = DragKind::Band;
        FinishBand(event->modifiers());
        break;
    case DragKind::Move:
    case DragKind::Resize: {
        QList<TGraphObject *> objects;
        for (const GraphMoveCommand::State &s : std::as_const(m_dragBefore))
            if (TGraphObject *object = m_document->FindObjectByID(s.id))
                objects.append(object);
        if (objects.size() == m_dragBefore.size())
            PushMove(m_dragBefore, objects, drag == DragKind::Move ? tr("Přesun") : tr("Změna velikosti"),
                     GraphMoveCommand::NoMerge);
        m_dragBefore.clear();
        m_dragObject = nullptr;
        m_dragStartBounds.clear();
        m_dragStartPoints.clear();
        viewport()->update();
        break;
    }
    case DragKind::None:
        break;
    }
}

void TGraphCanvas::FinishBand(Qt::KeyboardModifiers mods)
{
    const QRect band = m_band;
    m_drag = DragKind::None;
    viewport()->update(band.adjusted(-2, -2, 2, 2));
    const QRect graphBand =
        QRectF(ClientToGraph(QPointF(band.topLeft())), ClientToGraph(QPointF(band.x() + band.width(),
                                                                             band.y() + band.height())))
            .toAlignedRect();
    const bool isClick = band.width() < 3 && band.height() < 3;
    if (mods & Qt::AltModifier) {
        if (isClick || graphBand.width() <= 0 || graphBand.height() <= 0)
            return;
        const int zoom = qMin(100 * viewport()->width() / graphBand.width(),
                              100 * viewport()->height() / graphBand.height());
        SetZoom(zoom);
        const QPointF centre = QRectF(graphBand).center();
        SetScrollPos(centre * m_zoom / 100.0 - QPointF(viewport()->width() / 2.0, viewport()->height() / 2.0));
        return;
    }
    const bool toggle = mods & Qt::ShiftModifier;
    if (isClick) {
        if (!toggle)
            m_document->ClearSelection();
        return;
    }
    const QList<TGraphObject *> inBand = m_document->ObjectsIn(graphBand, mods & Qt::ControlModifier);
    m_document->BeginUpdate();
    if (toggle) {
        for (TGraphObject *object : inBand)
            object->SetSelected(!object->Selected());
    } else {
        const QSet<TGraphObject *> wanted(inBand.cbegin(), inBand.cend());
        const QList<TGraphObject *> selected = m_document->SelectedObjects().ToList();
        for (TGraphObject *object : selected)
            if (!wanted.contains(object))
                object->SetSelected(false);
        for (TGraphObject *object : inBand)
            object->SetSelected(true);
    }
    m_document->EndUpdate();
}

void TGraphCanvas::CancelDrag()
{
    if (m_drag == DragKind::Move || m_drag == DragKind::Resize) {
        m_document->BeginUpdate();
        for (auto it = m_dragStartPoints.cbegin(); it != m_dragStartPoints.cend(); ++it)
            static_cast<TGraphLink *>(it.key())->SetPoints(it.value());
        for (auto it = m_dragStartBounds.cbegin(); it != m_dragStartBounds.cend(); ++it)
            static_cast<TGraphNode *>(it.key())->SetBounds(it.value());
        m_document->EndUpdate();
    }
    m_drag = DragKind::None;
    m_dragObject = nullptr;
    m_dragBefore.clear();
    m_dragStartBounds.clear();
    m_dragStartPoints.clear();
    viewport()->update();
}

void TGraphCanvas::mouseDoubleClickEvent(QMouseEvent *event)
{
    mousePressEvent(event);
    m_drag = DragKind::None;
    if (!m_document->SelectedObjects().IsEmpty())
        emit objectDblClick(m_document->SelectedObjects().First());
}

void TGraphCanvas::contextMenuEvent(QContextMenuEvent *event)
{
    const QPoint global = event->globalPos();
    if (!m_document->SelectedObjects().IsEmpty()) {
        bool handled = false;
        emit objectContextPopup(m_document->SelectedObjects().First(), global, &handled);
        if (handled)
            return;
        if (m_objectPopupMenu) {
            m_objectPopupMenu->popup(global);
            return;
        }
    }
    if (m_popupMenu)
        m_popupMenu->popup(global);
}

void TGraphCanvas::UpdateCursor(const QPoint &devicePos, Qt::KeyboardModifiers)
{
    if (m_commandMode == 1) {
        viewport()->setCursor(Qt::OpenHandCursor);
        return;
    }
    if (m_commandMode != 2) {
        viewport()->setCursor(Qt::ArrowCursor);
        return;
    }
    const auto hit = m_document->ObjectAt(ClientToGraph(QPointF(devicePos)).toPoint());
    Qt::CursorShape shape = Qt::ArrowCursor;
    if (hit.object && hit.object->Selected()) {
        if (hit.hit == int(GraphHit::Marker) && hit.object->IsNode()) {
            static constexpr Qt::CursorShape shapes[] = {Qt::SizeFDiagCursor, Qt::SizeBDiagCursor,
                                                         Qt::SizeBDiagCursor, Qt::SizeFDiagCursor,
                                                         Qt::SizeVerCursor,   Qt::SizeHorCursor,
                                                         Qt::SizeHorCursor,   Qt::SizeVerCursor};
            shape = CanResize(hit.object) ? shapes[qBound(0, hit.marker, 7)] : Qt::ForbiddenCursor;
        } else {
            shape = CanMove(hit.object) ? Qt::SizeAllCursor : Qt::ForbiddenCursor;
        }
    } else if (hit.object) {
        shape = Qt::PointingHandCursor;
    }
    viewport()->setCursor(shape);
}

void TGraphCanvas::MoveSelection(int dx, int dy)
{
    m_document->BeginUpdate();
    const QList<TGraphObject *> selected = m_document->SelectedObjects().ToList();
    for (TGraphObject *object : selected)
        if (CanMove(object))
            object->MoveBy(dx, dy);
    m_document->EndUpdate();
}

void TGraphCanvas::ResizeSelection(int dw, int dh)
{
    m_document->BeginUpdate();
    const QList<TGraphObject *> selected = m_document->SelectedObjects().ToList();
    for (TGraphObject *object : selected) {
        if (!CanResize(object))
            continue;
        auto *node = static_cast<TGraphNode *>(object);
        node->SetBounds(node->Left(), node->Top(), node->Width() + dw, node->Height() + dh);
    }
    m_document->EndUpdate();
}

void TGraphCanvas::SelectNext(bool forward)
{
    const QList<TGraphObject *> &objects = m_document->Objects().ToList();
    const int n = int(objects.size());
    if (n == 0)
        return;
    TGraphObject *first = m_document->SelectedObjects().First();
    int start = first ? m_document->Objects().IndexOf(first) : (forward ? -1 : n);
    for (int step = 1; step <= n; ++step) {
        const int i = ((forward ? start + step : start - step) % n + n) % n;
        TGraphObject *candidate = objects.at(i);
        if (candidate->IsSelectable() && candidate->IsShown()) {
            m_document->BeginUpdate();
            m_document->ClearSelection();
            candidate->SetSelected(true);
            m_document->EndUpdate();
            ScrollInView(candidate);
            return;
        }
    }
}

void TGraphCanvas::ScrollInView(const TGraphObject *object)
{
    if (!object)
        return;
    const QRect r = GraphToClient(object->BoundsRect());
    QPoint scroll = ScrollPos();
    const QRect view = viewport()->rect();
    if (r.right() > view.right())
        scroll.rx() += r.right() - view.right();
    if (r.left() < view.left() + (scroll.x() - ScrollPos().x()))
        scroll.rx() = ScrollPos().x() + r.left();
    if (r.bottom() > view.bottom())
        scroll.ry() += r.bottom() - view.bottom();
    if (r.top() < view.top() + (scroll.y() - ScrollPos().y()))
        scroll.ry() = ScrollPos().y() + r.top();
    SetScrollPos(scroll);
}

bool TGraphCanvas::focusNextPrevChild(bool next)
{
    if (m_defaultKeyMap && m_commandMode == 2)
        return false; // Tab selects objects instead
    return QAbstractScrollArea::focusNextPrevChild(next);
}

void TGraphCanvas::keyPressEvent(QKeyEvent *event)
{
    if (!m_defaultKeyMap) {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    const int key = event->key();
    if (key == Qt::Key_Escape) {
        if (m_drag != DragKind::None) {
            CancelDrag();
            event->accept();
        } else {
            event->ignore();
        }
        return;
    }
    if ((key == Qt::Key_Tab || key == Qt::Key_Backtab) && m_commandMode == 2) {
        SelectNext(key == Qt::Key_Tab && !(mods & Qt::ShiftModifier));
        event->accept();
        return;
    }
    int dx = 0, dy = 0;
    switch (key) {
    case Qt::Key_Left: dx = -1; break;
    case Qt::Key_Right: dx = 1; break;
    case Qt::Key_Up: dy = -1; break;
    case Qt::Key_Down: dy = 1; break;
    default:
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    if (m_commandMode == 1) {
        horizontalScrollBar()->setValue(horizontalScrollBar()->value() + dx * horizontalScrollBar()->singleStep());
        verticalScrollBar()->setValue(verticalScrollBar()->value() + dy * verticalScrollBar()->singleStep());
        event->accept();
        return;
    }
    if (m_commandMode != 2 || (mods & ~(Qt::ShiftModifier | Qt::ControlModifier))) {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    const int step = SnapActive(mods) ? m_gridSize : 1;
    const QList<TGraphObject *> selected = m_document->SelectedObjects().ToList();
    const QList<GraphMoveCommand::State> before = GraphMoveCommand::Capture(selected);
    if (mods & Qt::ShiftModifier) {
        ResizeSelection(dx * step, dy * step);
        PushMove(before, selected, tr("Změna velikosti"), GraphMoveCommand::KeyResize);
    } else {
        MoveSelection(dx * step, dy * step);
        PushMove(before, selected, tr("Přesun"), GraphMoveCommand::KeyMove);
    }
    event->accept();
}

void TGraphCanvas::focusInEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusInEvent(event);
    if (m_hideSelection)
        viewport()->update();
}

void TGraphCanvas::focusOutEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusOutEvent(event);
    if (m_hideSelection)
        viewport()->update();
}

bool TGraphCanvas::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(event);
        const auto hit = m_document->ObjectAt(ClientToGraph(QPointF(help->pos())).toPoint());
        const QString tip = hit.object ? hit.object->ToolTip() : QString();
        if (tip.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), tip, viewport());
        return true;
    }
    return QAbstractScrollArea::viewportEvent(event);
}
