#include "graphics/SociogramKeptLayout.h"

#include "analysis/SurveyComparison.h"
#include "data/Database.h"
#include "graph/GraphDocument.h"
#include "graph/GraphErrors.h"
#include "graph/GraphLink.h"
#include "graph/GraphNode.h"
#include "graphics/SociogramArrangement.h"

#include <QHash>

#include <algorithm>

namespace {

// The arrangement's columns: from left 50, 110 apart.
constexpr int kFirstColumn = 50;
constexpr int kColumnStep = 110;

QSet<SociogramTie> tiesOf(const SessionOutputData &session, qint64 questionId, bool positive) {
    QSet<SociogramTie> ties;
    for (const OutputAnswer &answer : session.answers)
        if (answer.question == questionId && answer.positive == positive &&
            answer.respondent != answer.partner)
            ties.insert({answer.respondent, answer.partner});
    return ties;
}

// The bubble nodes of the listed bubbles, by pupil.
QHash<qint64, TGraphNode *> bubbleNodes(GraphDocument &document, const QList<SociogramBubble> &bubbles) {
    QHash<qint64, TGraphNode *> nodes;
    for (const SociogramBubble &bubble : bubbles) {
        TGraphObject *object = document.FindObjectByID(bubble.nodeId);
        if (object && object->IsNode() && SociogramArrangement::isBubbleColor(object->Brush().Color))
            nodes.insert(bubble.pupilId, static_cast<TGraphNode *>(object));
    }
    return nodes;
}

bool clear(const QRect &place, const QList<QRect> &taken) {
    const QRect room = place.adjusted(-SociogramKeptLayout::Gap, -SociogramKeptLayout::Gap,
                                      SociogramKeptLayout::Gap, SociogramKeptLayout::Gap);
    for (const QRect &other : taken)
        if (room.intersects(other))
            return false;
    return true;
}

} // namespace

namespace SociogramKeptLayout {

namespace {

std::optional<SessionOutputData> readEarlier(Database &db, const SessionOutputData &current,
                                             qint64 earlierSessionId, QString *reason) {
    std::optional<SessionOutputData> earlier = readSessionOutput(db, earlierSessionId, reason);
    if (earlier && earlier->trida.id != current.trida.id) {
        if (reason)
            *reason = QStringLiteral("Vyhodnocení %1 je z jiné třídy; rozmístění lze zachovat jen podle "
                                     "vyhodnocení téže třídy.")
                          .arg(earlierSessionId);
        return std::nullopt;
    }
    return earlier;
}

} // namespace

QString refusal(Database &db, const SessionOutputData &current, qint64 earlierSessionId) {
    QString reason;
    return readEarlier(db, current, earlierSessionId, &reason) ? QString() : reason;
}

std::optional<EarlierSociogram> earlier(Database &db, const SessionOutputData &current,
                                        const SociogramQuestionKey &key, qint64 earlierSessionId,
                                        int arrangementChoice, SociogramLayout layout, QString *reason) {
    const std::optional<SessionOutputData> session = readEarlier(db, current, earlierSessionId, reason);
    if (!session)
        return std::nullopt;
    const std::optional<qint64> question =
        Comparison::matchingQuestion(current.questionnaire, key.questionId, session->questionnaire);
    const SociogramQuestionKey earlierKey{question.value_or(0), key.positive, question.has_value()};
    if (!SociogramBuilder::offers(*session, earlierKey)) {
        const OutputQuestion *asked = current.questionnaire.question(key.questionId);
        if (reason)
            *reason =
                QStringLiteral("Vyhodnocení z %1 nemá otázku „%2“; rozmístění se nezachová.")
                    .arg(SociogramBuilder::dateText(session->datum),
                         asked ? (key.positive ? asked->textOtazky : asked->textOtazkyNegativni) : QString());
        return std::nullopt;
    }
    EarlierSociogram result;
    result.sessionId = session->id;
    result.questionId = earlierKey.questionId;
    result.positive = key.positive;
    result.positions = SociogramLayouts::read(db, result.sessionId, result.questionId, result.positive);
    result.stored = !result.positions.isEmpty();
    if (!result.stored) {
        // The places a fresh build of the earlier sociogram gives them.
        GraphDocument document;
        SociogramArrangement arrangement;
        arrangement.setChoice(arrangementChoice);
        const QList<SociogramBubble> bubbles =
            SociogramBuilder::draw(document, *session, earlierKey, arrangement, layout);
        result.positions = SociogramLayouts::positionsOf(document, bubbles);
    }
    result.ties = tiesOf(*session, result.questionId, result.positive);
    return result;
}

void place(GraphDocument &document, const QList<SociogramBubble> &bubbles,
           const SociogramPositions &positions) {
    const QHash<qint64, TGraphNode *> nodes = bubbleNodes(document, bubbles);
    document.BeginUpdate();
    QList<TGraphNode *> newcomers;
    for (const SociogramBubble &bubble : bubbles) {
        TGraphNode *node = nodes.value(bubble.pupilId);
        if (!node)
            continue;
        const auto position = positions.constFind(bubble.pupilId);
        if (position == positions.constEnd())
            newcomers.append(node);
        else
            node->SetBounds(position->x(), position->y(), node->Width(), node->Height());
    }
    QList<QRect> taken;
    for (const TGraphObject *object : document.Objects())
        if (object->IsNode() && !newcomers.contains(static_cast<const TGraphNode *>(object)))
            taken.append(static_cast<const TGraphNode *>(object)->Bounds());
    for (TGraphNode *node : newcomers) {
        int right = kFirstColumn;
        for (const QRect &other : taken)
            right = qMax(right, other.right() + 1 + Gap);
        // A column right of everything is always clear, so the search ends there at the latest.
        QRect spot = node->Bounds();
        for (int left = kFirstColumn;; left += kColumnStep) {
            spot.moveLeft(left);
            if (left >= right || clear(spot, taken))
                break;
        }
        node->SetBounds(spot.left(), spot.top(), spot.width(), spot.height());
        taken.append(node->Bounds());
    }
    document.EndUpdate();
}

QList<SociogramTie> lostTies(const EarlierSociogram &earlier, const SessionOutputData &current,
                             const SociogramQuestionKey &key) {
    const QSet<SociogramTie> now = tiesOf(current, key.questionId, key.positive);
    QList<SociogramTie> lost;
    for (const SociogramTie &tie : earlier.ties)
        if (!now.contains(tie))
            lost.append(tie);
    std::sort(lost.begin(), lost.end());
    return lost;
}

void showLostTies(GraphDocument &document, const QList<SociogramBubble> &bubbles,
                  const QList<SociogramTie> &ties) {
    document.BeginUpdate();
    hideLostTies(document);
    const QHash<qint64, TGraphNode *> nodes = bubbleNodes(document, bubbles);
    for (const SociogramTie &tie : ties) {
        TGraphNode *chooser = nodes.value(tie.first);
        TGraphNode *chosen = nodes.value(tie.second);
        if (!chooser || !chosen)
            continue;
        TGraphLink *link = nullptr;
        try {
            link = document.AddLink(chooser, chosen);
        } catch (const EGraphInvalidOperation &) {
            continue; // a bubble made unlinkable in a file
        }
        TGraphPen pen = link->Pen();
        pen.Color = SociogramColors::LostTie;
        pen.Style = psDash;
        pen.Width = 1;
        link->SetPen(pen);
        link->SetBrushColor(SociogramColors::LostTie);
        link->SetTag(SociogramArrangement::LostTieTag);
    }
    document.EndUpdate();
}

void hideLostTies(GraphDocument &document) {
    document.BeginUpdate();
    QList<TGraphObject *> lost;
    for (TGraphObject *object : document.Objects())
        if (object->IsLink() && !SociogramArrangement::isChoiceArrow(object))
            lost.append(object);
    for (TGraphObject *object : lost)
        document.Delete(object);
    document.EndUpdate();
}

bool showsLostTies(const GraphDocument &document) {
    for (const TGraphObject *object : document.Objects())
        if (object->IsLink() && !SociogramArrangement::isChoiceArrow(object))
            return true;
    return false;
}

} // namespace SociogramKeptLayout
