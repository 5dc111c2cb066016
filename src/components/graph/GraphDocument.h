#pragma once

#include "graph/GraphConstraints.h"
#include "graph/GraphObjectList.h"
#include "graph/GraphTypes.h"

#include "graph/TextMetrics.h"
#include <QHash>
#include <QObject>
#include <QRect>

#include <functional>
#include <memory>

class QIODevice;
class TGraphLink;
class TGraphNode;
class TGraphObject;

// The graph: owns its nodes and links (list order is drawing order), the selection,
// the update nesting and the canvas-wide settings that the model obeys. Views observe
// it through signals and change it only through its operations.
class GraphDocument final : public QObject {
    Q_OBJECT

public:
    explicit GraphDocument(QObject *parent = nullptr);
    ~GraphDocument() override;
    Q_DISABLE_COPY_MOVE(GraphDocument)

    TGraphObjectList &Objects() { return m_objects; }
    const TGraphObjectList &Objects() const { return m_objects; }
    TGraphObjectList &SelectedObjects() { return m_selected; }
    const TGraphObjectList &SelectedObjects() const { return m_selected; }

    // Creates an object of a registered class and appends it; nullptr for an unknown class.
    TGraphObject *CreateObject(const QString &className);
    TGraphNode *AddNode(const QString &className, const QRect &bounds);
    template <class T> T *AddNode(const QRect &bounds);
    TGraphLink *AddLink();
    // A link hooked to both ends; throws EGraphInvalidOperation when they cannot be linked.
    TGraphLink *AddLink(TGraphObject *source, TGraphObject *target);

    // Asks CanRemoveObject, then destroys the object.
    bool Delete(TGraphObject *object);
    // Destroys every object.
    void Clear();
    // Moves an object to the front of the list, so that it is drawn behind every other object.
    void SendToBack(TGraphObject *object);

    void BeginUpdate();
    void EndUpdate();
    bool IsUpdating() const { return m_updateCount > 0; }
    // Calls fn for every (selected) object inside one update; stops when fn returns false.
    void ForEachObject(const std::function<bool(TGraphObject *)> &fn, bool selectedOnly = false);
    // Aligns the selection per axis: 0 none, 1 left/top, 2 centres, 3 right/bottom, 4 distribute.
    void AlignSelection(int horizontal, int vertical);

    void ClearSelection();
    TGraphObject *FindObjectByID(quint32 id) const;
    // Bounding rectangle of all (shown) objects, empty when there are none.
    QRect GraphBounds() const;

    struct HitResult {
        TGraphObject *object = nullptr;
        int hit = 0; // GraphHit
        int marker = -1;
    };
    // The object under a graph point, preferring selected markers and links.
    HitResult ObjectAt(const QPoint &pt) const;
    // Objects whose bounding rectangle meets the rectangle, in list order.
    QList<TGraphObject *> ObjectsIn(const QRect &rect, bool nodesOnly) const;

    // Canvas settings the model follows.
    const TGraphFont &Font() const { return m_font; }
    void SetFont(const TGraphFont &font);
    int MinNodeSize() const { return m_minNodeSize; }
    void SetMinNodeSize(int size) { m_minNodeSize = qMax(1, size); }
    const TGraphConstraints &GraphConstraints() const { return m_constraints; }
    // Limits reaching outside the canvas are cut back to it.
    void SetGraphConstraints(const TGraphConstraints &constraints);
    bool ShowHiddenObjects() const { return m_showHidden; }
    void SetShowHiddenObjects(bool show);
    int MarkerSize() const { return m_markerSize; }
    void SetMarkerSize(int size) { m_markerSize = qBound(3, size, 9); }
    bool Modified() const { return m_modified; }
    void SetModified(bool modified) { m_modified = modified; }

    // Veto hooks (all allow when unset).
    std::function<bool(TGraphObject *)> CanRemoveObject;
    std::function<bool(TGraphLink *, TGraphObject *source, TGraphObject *target)> CanLinkObjects;
    std::function<bool(TGraphNode *, const QRect &newBounds)> CanMoveResizeNode;

    // Graph files. Reading never half-applies: on any error the document is unchanged
    // and the error text is returned.
    bool SaveToStream(QIODevice &device, QString *error = nullptr) const;
    bool SaveToFile(const QString &fileName, QString *error = nullptr);
    QByteArray SaveToBytes() const;
    bool LoadFromStream(QIODevice &device, QString *error = nullptr);
    bool LoadFromFile(const QString &fileName, QString *error = nullptr);
    bool LoadFromBytes(const QByteArray &data, QString *error = nullptr);
    // Replaces all objects by those of another document (used after reading).
    void TakeObjectsFrom(GraphDocument &other);

    // Metrics of a font on the layout resolution (cached).
    const TextMetrics &MetricsFor(const TGraphFont &font) const;
    // Copy of the model settings (font, constraints, sizes), no objects.
    void CopySettingsFrom(const GraphDocument &other);

signals:
    void objectInserted(TGraphObject *object);
    void objectRemoved(TGraphObject *object); // before destruction
    void objectChanged(TGraphObject *object);
    void nodeMoveResize(TGraphNode *node);
    void objectHooked(TGraphLink *link, TGraphObject *object);
    void objectUnhooked(TGraphLink *link, TGraphObject *object);
    void selectionChanged();
    // A graph rectangle needs repainting (once per outermost update).
    void invalidated(const QRect &graphRect);
    // Something changed (once per outermost update).
    void graphChanged();
    void cleared();

private:
    friend class TGraphObject;
    friend class TGraphNode;
    friend class TGraphLink;
    friend class GraphReader;

    void AddObject(TGraphObject *object, bool assignId);
    void DestroyObject(TGraphObject *object);
    quint32 NextFreeID() const;
    void Invalidate(const QRect &graphRect);
    void ObjectChanged(TGraphObject *object, const QRect &oldBounds, bool boundsChanged);
    void SelectionFlagChanged(TGraphObject *object, bool selected);
    void NotifyHook(TGraphLink *link, TGraphObject *object, bool hooked);
    void MakeIDsUnique();
    void FinishLoading();

    TGraphObjectList m_objects;
    TGraphObjectList m_selected;
    QHash<quint32, TGraphObject *> m_byId;
    TGraphFont m_font;
    int m_minNodeSize = 16;
    TGraphConstraints m_constraints;
    bool m_showHidden = false;
    int m_markerSize = 3;
    bool m_modified = false;
    int m_updateCount = 0;
    QRect m_pendingRect;
    bool m_pendingChange = false;
    bool m_clearing = false;
    mutable QHash<QString, std::shared_ptr<TextMetrics>> m_metrics;
    mutable TGraphFont m_lastMetricsFont;
    mutable const TextMetrics *m_lastMetrics = nullptr;
};

template <class T> T *GraphDocument::AddNode(const QRect &bounds)
{
    auto *node = new T(this);
    AddObject(node, true);
    node->SetBounds(bounds);
    return node;
}
