#pragma once

#include <QList>
#include <QPolygon>
#include <QRect>
#include <QUndoCommand>

class GraphDocument;
class TGraphObject;

// Undoable move or resize of graph objects by hand. Objects are found again by ID,
// so a command whose objects were deleted meanwhile simply skips them. The change has
// already happened when the command is pushed; the first redo does nothing.
class GraphMoveCommand final : public QUndoCommand {
public:
    enum MergeId { NoMerge = -1, KeyMove = 0x5347, KeyResize = 0x5348 };

    struct State {
        quint32 id = 0;
        QRect bounds;     // nodes
        QPolygon points;  // links
        bool operator==(const State &) const = default;
    };

    GraphMoveCommand(GraphDocument *document, QList<State> before, QList<State> after, const QString &text,
                     int mergeId = NoMerge);

    static QList<State> Capture(const QList<TGraphObject *> &objects);

    void undo() override;
    void redo() override;
    int id() const override { return m_mergeId; }
    bool mergeWith(const QUndoCommand *other) override;
    bool IsNoChange() const { return m_before == m_after; }

private:
    void Apply(const QList<State> &states);

    GraphDocument *m_document;
    QList<State> m_before;
    QList<State> m_after;
    int m_mergeId;
    bool m_applied = true;
};
