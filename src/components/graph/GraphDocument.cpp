#include "graph/GraphDocument.h"

#include "graph/GraphClassRegistry.h"
#include "graph/GraphErrors.h"
#include "graph/GraphLink.h"
#include "graph/GraphNode.h"
#include "graph/GraphReader.h"
#include "graph/GraphWriter.h"

#include "files/FileWriter.h"

#include <QBuffer>
#include <QFile>

#include <algorithm>

GraphDocument::GraphDocument(QObject *parent)
    : QObject(parent)
    , m_objects([this](TGraphObject *object) { DestroyObject(object); })
    , m_selected([](TGraphObject *object) { object->SetSelected(false); })
{
}

GraphDocument::~GraphDocument()
{
    const QList<TGraphObject *> objects = m_objects.TakeAll();
    m_selected.TakeAll();
    qDeleteAll(objects);
}

TGraphObject *GraphDocument::CreateObject(const QString &className)
{
    TGraphObject *object = GraphClassRegistry::Create(className, this);
    if (object)
        AddObject(object, true);
    return object;
}

TGraphNode *GraphDocument::AddNode(const QString &className, const QRect &bounds)
{
    TGraphObject *object = GraphClassRegistry::Create(className, this);
    if (!object)
        return nullptr;
    if (!object->IsNode()) {
        delete object;
        return nullptr;
    }
    auto *node = static_cast<TGraphNode *>(object);
    AddObject(node, true);
    node->SetBounds(bounds);
    return node;
}

TGraphLink *GraphDocument::AddLink()
{
    auto *link = new TGraphLink(this);
    AddObject(link, true);
    return link;
}

TGraphLink *GraphDocument::AddLink(TGraphObject *source, TGraphObject *target)
{
    auto *link = new TGraphLink(this);
    if (!link->CanLink(source, target)) {
        delete link;
        throw EGraphInvalidOperation();
    }
    BeginUpdate();
    AddObject(link, true);
    link->Link(source, target);
    EndUpdate();
    return link;
}

quint32 GraphDocument::NextFreeID() const
{
    quint32 id = quint32(m_objects.Count()) + 1;
    while (id == 0 || m_byId.contains(id))
        ++id;
    return id;
}

void GraphDocument::AddObject(TGraphObject *object, bool assignId)
{
    object->m_owner = this;
    if (assignId && (object->m_id == 0 || m_byId.contains(object->m_id)))
        object->m_id = NextFreeID();
    m_objects.Append(object);
    if (!m_byId.contains(object->m_id))
        m_byId.insert(object->m_id, object);
    object->Notify(TGraphObject::BoundsChanged | TGraphObject::TextChanged);
    emit objectInserted(object);
}

void GraphDocument::SendToBack(TGraphObject *object)
{
    if (!object || m_objects.IndexOf(object) <= 0)
        return;
    m_objects.Remove(object);
    m_objects.Prepend(object);
    m_modified = true;
    Invalidate(object->m_boundsRect);
}

void GraphDocument::DestroyObject(TGraphObject *object)
{
    if (!m_objects.Contains(object))
        return;
    BeginUpdate();
    emit objectRemoved(object);
    if (object->m_selected) {
        object->m_selected = false;
        m_selected.Remove(object);
        emit selectionChanged();
    }
    const QList<TGraphLink *> inputs = object->m_linkInputs;
    const QList<TGraphLink *> outputs = object->m_linkOutputs;
    for (TGraphLink *link : inputs)
        link->ObjectDestroyed(object);
    for (TGraphLink *link : outputs)
        link->ObjectDestroyed(object);
    if (object->IsLink())
        static_cast<TGraphLink *>(object)->Unhook();
    m_objects.Remove(object);
    const auto it = m_byId.constFind(object->m_id);
    if (it != m_byId.cend() && it.value() == object)
        m_byId.remove(object->m_id);
    Invalidate(object->m_boundsRect);
    m_modified = true;
    delete object;
    EndUpdate();
}

bool GraphDocument::Delete(TGraphObject *object)
{
    if (!object || !m_objects.Contains(object))
        return false;
    if (CanRemoveObject && !CanRemoveObject(object))
        return false;
    DestroyObject(object);
    return true;
}

void GraphDocument::Clear()
{
    BeginUpdate();
    const bool hadSelection = !m_selected.IsEmpty();
    m_selected.TakeAll();
    const QList<TGraphObject *> objects = m_objects.TakeAll();
    m_byId.clear();
    for (TGraphObject *object : objects) {
        emit objectRemoved(object);
        Invalidate(object->m_boundsRect);
    }
    qDeleteAll(objects);
    if (!objects.isEmpty())
        m_modified = true;
    if (hadSelection)
        emit selectionChanged();
    emit cleared();
    EndUpdate();
}

void GraphDocument::BeginUpdate()
{
    ++m_updateCount;
}

void GraphDocument::EndUpdate()
{
    if (m_updateCount == 0 || --m_updateCount > 0)
        return;
    if (!m_pendingRect.isEmpty())
        emit invalidated(m_pendingRect);
    m_pendingRect = QRect();
    if (m_pendingChange) {
        m_pendingChange = false;
        emit graphChanged();
    }
}

void GraphDocument::Invalidate(const QRect &graphRect)
{
    if (m_updateCount > 0) {
        m_pendingRect |= graphRect;
        m_pendingChange = true;
        return;
    }
    if (!graphRect.isEmpty())
        emit invalidated(graphRect);
    emit graphChanged();
}

void GraphDocument::ObjectChanged(TGraphObject *object, const QRect &oldBounds, bool)
{
    m_modified = true;
    emit objectChanged(object);
    BeginUpdate();
    Invalidate(oldBounds);
    Invalidate(object->m_boundsRect);
    EndUpdate();
}

void GraphDocument::SelectionFlagChanged(TGraphObject *object, bool selected)
{
    if (selected)
        m_selected.Append(object);
    else
        m_selected.Remove(object);
    if (m_updateCount > 0)
        m_pendingRect |= object->m_boundsRect;
    else
        emit invalidated(object->m_boundsRect);
    emit selectionChanged();
}

void GraphDocument::NotifyHook(TGraphLink *link, TGraphObject *object, bool hooked)
{
    if (hooked)
        emit objectHooked(link, object);
    else
        emit objectUnhooked(link, object);
}

void GraphDocument::ClearSelection()
{
    if (m_selected.IsEmpty())
        return;
    BeginUpdate();
    const QList<TGraphObject *> selected = m_selected.ToList();
    for (TGraphObject *object : selected)
        object->SetSelected(false);
    EndUpdate();
}

void GraphDocument::ForEachObject(const std::function<bool(TGraphObject *)> &fn, bool selectedOnly)
{
    BeginUpdate();
    const TGraphObjectList &list = selectedOnly ? m_selected : m_objects;
    for (int i = 0; i < list.Count();) {
        TGraphObject *object = list.ToList().at(i);
        if (!fn(object))
            break;
        if (i < list.Count() && list.ToList().at(i) == object)
            ++i;
        else {
            const int pos = list.IndexOf(object);
            if (pos >= 0)
                i = pos + 1;
        }
    }
    EndUpdate();
}

void GraphDocument::AlignSelection(int horizontal, int vertical)
{
    QList<TGraphNode *> nodes;
    for (TGraphObject *object : m_selected)
        if (object->IsNode())
            nodes.append(static_cast<TGraphNode *>(object));
    if (m_selected.Count() < 2 || nodes.size() < 2)
        return;
    BeginUpdate();
    auto alignAxis = [&](int mode, bool horizontalAxis) {
        auto pos = [&](TGraphNode *n) { return horizontalAxis ? n->Left() : n->Top(); };
        auto size = [&](TGraphNode *n) { return horizontalAxis ? n->Width() : n->Height(); };
        auto place = [&](TGraphNode *n, int v) {
            if (horizontalAxis)
                n->SetBounds(v, n->Top(), n->Width(), n->Height());
            else
                n->SetBounds(n->Left(), v, n->Width(), n->Height());
        };
        if (mode >= 1 && mode <= 3) {
            TGraphNode *ref = nodes.first();
            for (qsizetype i = 1; i < nodes.size(); ++i) {
                TGraphNode *n = nodes.at(i);
                if (mode == 1)
                    place(n, pos(ref));
                else if (mode == 2)
                    place(n, pos(ref) + size(ref) / 2 - size(n) / 2);
                else
                    place(n, pos(ref) + size(ref) - size(n));
            }
        } else if (mode == 4 && nodes.size() >= 3) {
            QList<TGraphNode *> sorted = nodes;
            std::stable_sort(sorted.begin(), sorted.end(),
                             [&](TGraphNode *a, TGraphNode *b) { return pos(a) < pos(b); });
            TGraphNode *first = sorted.first();
            TGraphNode *last = sorted.last();
            qint64 sum = 0;
            for (TGraphNode *n : sorted)
                sum += size(n);
            const qint64 span = qint64(pos(last)) + size(last) - pos(first);
            const qint64 gap = (span - sum) / (sorted.size() - 1);
            qint64 next = qint64(pos(first)) + size(first) + gap;
            for (qsizetype i = 1; i + 1 < sorted.size(); ++i) {
                TGraphNode *n = sorted.at(i);
                place(n, int(next));
                next += size(n) + gap;
            }
        }
    };
    alignAxis(horizontal, true);
    alignAxis(vertical, false);
    EndUpdate();
}

TGraphObject *GraphDocument::FindObjectByID(quint32 id) const
{
    return m_byId.value(id, nullptr);
}

QRect GraphDocument::GraphBounds() const
{
    QRect r;
    for (TGraphObject *object : m_objects)
        if (object->IsShown())
            r |= object->BoundsRect();
    return r;
}

GraphDocument::HitResult GraphDocument::ObjectAt(const QPoint &pt) const
{
    HitResult candidate;
    const int slack = m_markerSize + 1;
    const QList<TGraphObject *> &list = m_objects.ToList();
    for (qsizetype i = list.size() - 1; i >= 0; --i) {
        TGraphObject *object = list.at(i);
        if (!object->IsShown())
            continue;
        const int tol = qMax(slack, object->Pen().Width / 2 + 1);
        if (!object->BoundsRect().adjusted(-tol, -tol, tol, tol).contains(pt))
            continue;
        const GraphHitInfo info = object->HitTest(pt);
        if (!info)
            continue;
        if (object->Selected() && (info.hit == GraphHit::Marker || object->IsLink()))
            return {object, int(info.hit), info.marker};
        if (!candidate.object) {
            candidate = {object, int(info.hit), info.marker};
            if (m_selected.IsEmpty())
                break;
        }
    }
    return candidate;
}

QList<TGraphObject *> GraphDocument::ObjectsIn(const QRect &rect, bool nodesOnly) const
{
    QList<TGraphObject *> result;
    for (TGraphObject *object : m_objects) {
        if (!object->IsShown() || (nodesOnly && !object->IsNode()))
            continue;
        const QRect r = object->IsNode() ? static_cast<TGraphNode *>(object)->Bounds() : object->BoundsRect();
        if (r.intersects(rect))
            result.append(object);
    }
    return result;
}

void GraphDocument::SetFont(const TGraphFont &font)
{
    if (m_font == font)
        return;
    m_font = font;
    BeginUpdate();
    for (TGraphObject *object : m_objects)
        if (object->ParentFont())
            object->Changed(TGraphObject::TextChanged);
    EndUpdate();
}

void GraphDocument::SetGraphConstraints(const TGraphConstraints &constraints)
{
    constexpr int lo = TGraphConstraints::CanvasMin, hi = TGraphConstraints::CanvasMax;
    TGraphConstraints c;
    c.MinLeft = qBound(lo, constraints.MinLeft, hi);
    c.MinTop = qBound(lo, constraints.MinTop, hi);
    c.MaxRight = qBound(c.MinLeft, constraints.MaxRight, hi);
    c.MaxBottom = qBound(c.MinTop, constraints.MaxBottom, hi);
    m_constraints = c;
}

void GraphDocument::SetShowHiddenObjects(bool show)
{
    if (m_showHidden == show)
        return;
    m_showHidden = show;
    Invalidate(GraphBounds());
}

const TextMetrics &GraphDocument::MetricsFor(const TGraphFont &font) const
{
    if (m_lastMetrics && font == m_lastMetricsFont)
        return *m_lastMetrics;
    const QString key = font.Name + QLatin1Char('|') + QString::number(font.Height) + QLatin1Char('|') +
                        QString::number(font.Style) + QLatin1Char('|') + QString::number(int(font.Pitch));
    auto it = m_metrics.find(key);
    if (it == m_metrics.end())
        it = m_metrics.insert(key, std::make_shared<TextMetrics>(GraphTypes::toQFont(font)));
    m_lastMetricsFont = font;
    m_lastMetrics = it.value().get();
    return *m_lastMetrics;
}

void GraphDocument::CopySettingsFrom(const GraphDocument &other)
{
    m_font = other.m_font;
    m_minNodeSize = other.m_minNodeSize;
    m_constraints = other.m_constraints;
    m_showHidden = other.m_showHidden;
    m_markerSize = other.m_markerSize;
}

void GraphDocument::TakeObjectsFrom(GraphDocument &other)
{
    BeginUpdate();
    Clear();
    other.m_selected.TakeAll();
    const QList<TGraphObject *> objects = other.m_objects.TakeAll();
    other.m_byId.clear();
    m_objects.Reserve(objects.size());
    for (TGraphObject *object : objects) {
        object->m_owner = this;
        object->m_selected = false;
        m_objects.Append(object);
        m_byId.insert(object->m_id, object);
        Invalidate(object->m_boundsRect);
        emit objectInserted(object);
    }
    m_pendingChange = true;
    EndUpdate();
}

void GraphDocument::MakeIDsUnique()
{
    // Called on a freshly read document whose objects carry the IDs of the file.
    m_byId.clear();
    QList<QPair<quint32, quint32>> renamed;
    QList<TGraphObject *> colliding;
    for (TGraphObject *object : m_objects) {
        if (object->m_id == 0 || m_byId.contains(object->m_id))
            colliding.append(object);
        else
            m_byId.insert(object->m_id, object);
    }
    for (TGraphObject *object : colliding) {
        const quint32 old = object->m_id;
        object->m_id = NextFreeID();
        m_byId.insert(object->m_id, object);
        renamed.append({old, object->m_id});
    }
    for (const auto &[oldId, newId] : renamed) {
        for (TGraphObject *object : m_objects) {
            if (!object->IsLink())
                continue;
            auto *link = static_cast<TGraphLink *>(object);
            if (link->m_sourceId == oldId)
                link->m_sourceId = newId;
            if (link->m_targetId == oldId)
                link->m_targetId = newId;
        }
    }
}

void GraphDocument::FinishLoading()
{
    for (TGraphObject *object : m_objects) {
        if (!object->IsLink())
            continue;
        auto *link = static_cast<TGraphLink *>(object);
        TGraphObject *source = link->m_sourceId ? FindObjectByID(link->m_sourceId) : nullptr;
        TGraphObject *target = link->m_targetId ? FindObjectByID(link->m_targetId) : nullptr;
        link->m_sourceId = 0;
        link->m_targetId = 0;
        if (source == link || (source && source == target))
            source = nullptr;
        if (target == link || (target && target == source))
            target = nullptr;
        link->BeginUpdate();
        if (source && source->IsLinkable())
            link->HookSource(source);
        if (target && target->IsLinkable())
            link->HookTarget(target);
        if (link->m_points.isEmpty() && link->m_source && link->m_target) {
            link->m_points = QPolygon({link->m_source->Center(), link->m_target->Center()});
            link->UpdateEndPoints();
        }
        link->Changed(TGraphObject::BoundsChanged);
        link->EndUpdate();
    }
}

bool GraphDocument::SaveToStream(QIODevice &device, QString *error) const
{
    return GraphWriter::write(*this, device, error);
}

QByteArray GraphDocument::SaveToBytes() const
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    SaveToStream(buffer);
    return bytes;
}

bool GraphDocument::SaveToFile(const QString &fileName, QString *error)
{
    FileWriter file(fileName);
    QString formatError;
    if (!SaveToStream(*file.device(), &formatError))
        file.fail(formatError);
    if (!file.commit()) {
        if (error)
            *error = file.errorText();
        return false;
    }
    m_modified = false;
    return true;
}

bool GraphDocument::LoadFromBytes(const QByteArray &data, QString *error)
{
    GraphReader reader;
    std::unique_ptr<GraphDocument> loaded = reader.read(data, this);
    if (!loaded) {
        if (error)
            *error = reader.errorString();
        return false;
    }
    TakeObjectsFrom(*loaded);
    m_modified = false;
    return true;
}

bool GraphDocument::LoadFromStream(QIODevice &device, QString *error)
{
    // Read as the reader goes: a file that is not a graph is refused after its header.
    GraphReader reader;
    std::unique_ptr<GraphDocument> loaded = reader.read(device, this);
    if (!loaded) {
        if (error)
            *error = reader.errorString();
        return false;
    }
    TakeObjectsFrom(*loaded);
    m_modified = false;
    return true;
}

bool GraphDocument::LoadFromFile(const QString &fileName, QString *error)
{
    QFile file(fileName);
    // The reader reads in pieces of its own; a second buffer would only copy them.
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        if (error)
            *error = QStringLiteral("Soubor „%1“ nelze otevřít: %2").arg(fileName, file.errorString());
        return false;
    }
    return LoadFromStream(file, error);
}
