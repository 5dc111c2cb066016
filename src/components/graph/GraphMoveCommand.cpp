#include "graph/GraphMoveCommand.h"

#include "graph/GraphDocument.h"
#include "graph/GraphLink.h"
#include "graph/GraphNode.h"

GraphMoveCommand::GraphMoveCommand(GraphDocument *document, QList<State> before, QList<State> after,
                                   const QString &text, int mergeId)
    : QUndoCommand(text)
    , m_document(document)
    , m_before(std::move(before))
    , m_after(std::move(after))
    , m_mergeId(mergeId)
{
}

QList<GraphMoveCommand::State> GraphMoveCommand::Capture(const QList<TGraphObject *> &objects)
{
    QList<State> states;
    states.reserve(objects.size());
    for (const TGraphObject *object : objects) {
        State s;
        s.id = object->ID();
        if (object->IsNode())
            s.bounds = static_cast<const TGraphNode *>(object)->Bounds();
        else
            s.points = static_cast<const TGraphLink *>(object)->Points();
        states.append(s);
    }
    return states;
}

void GraphMoveCommand::Apply(const QList<State> &states)
{
    m_document->BeginUpdate();
    for (const State &s : states) {
        TGraphObject *object = m_document->FindObjectByID(s.id);
        if (!object)
            continue;
        if (object->IsNode() && !s.bounds.isNull())
            static_cast<TGraphNode *>(object)->SetBounds(s.bounds);
        else if (object->IsLink())
            static_cast<TGraphLink *>(object)->SetPoints(s.points);
    }
    m_document->EndUpdate();
}

void GraphMoveCommand::undo()
{
    Apply(m_before);
    m_applied = false;
}

void GraphMoveCommand::redo()
{
    if (m_applied)
        return; // pushed after the change was made
    Apply(m_after);
    m_applied = true;
}

bool GraphMoveCommand::mergeWith(const QUndoCommand *other)
{
    const auto *next = static_cast<const GraphMoveCommand *>(other);
    if (next->m_document != m_document || next->m_before.size() != m_after.size())
        return false;
    for (qsizetype i = 0; i < m_after.size(); ++i)
        if (next->m_before.at(i).id != m_after.at(i).id)
            return false;
    m_after = next->m_after;
    return true;
}
