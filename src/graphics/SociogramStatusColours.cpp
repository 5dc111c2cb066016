#include "graphics/SociogramStatusColours.h"

#include "analysis/AnalysisTexts.h"
#include "data/SessionOutput.h"
#include "graph/GraphDocument.h"
#include "graph/NodeShapes.h"
#include "graphics/SociogramArrangement.h"

namespace {

// The legend's boxes, in graph units.
constexpr int kLegendGap = 40; // from the picture's right edge
constexpr int kHeadingWidth = 260;
constexpr int kHeadingHeight = 30;
constexpr int kGroupWidth = 180;
constexpr int kGroupHeight = 34;
constexpr int kGroupStep = 42;
constexpr int kReasonHeight = 70;

bool isStatusFrame(const TGraphPen &pen) {
    for (Sociometry::Status status : Sociometry::allStatuses())
        if (pen == SociogramStatusColours::framePen(status))
            return true;
    return false;
}

bool isLegend(const TGraphObject *object) {
    return object->IsNode() && object->Tag() == SociogramStatusColours::LegendTag;
}

TGraphNode *addLegendNode(GraphDocument &document, const QRect &bounds, const QString &text) {
    auto *node = document.AddNode<TRectangularNode>(bounds);
    node->SetTag(SociogramStatusColours::LegendTag);
    node->SetText(text);
    return node;
}

} // namespace

SociogramStatuses SociogramStatusColours::statusesOf(const SessionOutputData &session, qint64 questionId) {
    SociogramStatuses statuses;
    QString refusal;
    const std::optional<SociometricAnalysis> analysis = Sociometry::analyse(session, questionId, &refusal);
    if (!analysis) {
        statuses.reason = refusal;
        return statuses;
    }
    statuses.reason = AnalysisTexts::missingStatusReason(*analysis);
    for (const AnalysisPupil &pupil : analysis->pupils)
        if (pupil.status)
            statuses.byPupil.insert(pupil.id, *pupil.status);
    return statuses;
}

TGraphPen SociogramStatusColours::framePen(Sociometry::Status status) {
    TGraphPen pen = PlainPen;
    pen.Color = GraphTypes::fromQColor(Sociometry::statusColour(status));
    pen.Style = psSolid;
    pen.Width = FrameWidth;
    return pen;
}

QString SociogramStatusColours::legendHeading() {
    return QStringLiteral("Sociometrický status (rámeček bubliny)");
}

QStringList SociogramStatusColours::legendLines(const SociogramStatuses &statuses) {
    if (statuses.byPupil.isEmpty())
        return {statuses.reason};
    QStringList lines;
    for (Sociometry::Status status : Sociometry::allStatuses()) {
        const QString boy = Sociometry::statusName(status);
        const QString girl = Sociometry::statusName(status, true);
        lines << (boy == girl ? boy : boy + QStringLiteral(" / ") + girl);
    }
    return lines;
}

void SociogramStatusColours::show(GraphDocument &document, const QList<SociogramBubble> &bubbles,
                                  const SociogramStatuses &statuses) {
    document.BeginUpdate();
    hide(document);
    for (const SociogramBubble &bubble : bubbles) {
        const auto status = statuses.byPupil.constFind(bubble.pupilId);
        if (status == statuses.byPupil.constEnd())
            continue;
        TGraphObject *object = document.FindObjectByID(bubble.nodeId);
        if (!object || !object->IsNode() || !SociogramArrangement::isBubbleColor(object->Brush().Color))
            continue;
        object->SetPen(framePen(*status));
    }

    const QRect picture = document.GraphBounds();
    const int left = picture.isEmpty() ? 25 : picture.right() + 1 + kLegendGap;
    const int top = picture.isEmpty() ? 30 : picture.top();
    addLegendNode(document, QRect(left, top, kHeadingWidth, kHeadingHeight), legendHeading());
    const QStringList lines = legendLines(statuses);
    if (statuses.byPupil.isEmpty()) {
        TGraphNode *reason = addLegendNode(
            document, QRect(left, top + kGroupStep, kHeadingWidth, kReasonHeight), lines.value(0));
        reason->SetAlignment(taLeftJustify);
    } else {
        const QList<Sociometry::Status> groups = Sociometry::allStatuses();
        for (int i = 0; i < groups.size(); ++i) {
            TGraphNode *group = addLegendNode(
                document, QRect(left, top + kGroupStep * (i + 1), kGroupWidth, kGroupHeight), lines.value(i));
            group->SetPen(framePen(groups[i]));
        }
    }
    document.EndUpdate();
}

void SociogramStatusColours::hide(GraphDocument &document) {
    document.BeginUpdate();
    QList<TGraphObject *> legend;
    for (TGraphObject *object : document.Objects()) {
        if (isLegend(object))
            legend.append(object);
        else if (object->IsNode() && isStatusFrame(object->Pen()))
            object->SetPen(PlainPen);
    }
    for (TGraphObject *object : legend)
        document.Delete(object);
    document.EndUpdate();
}

bool SociogramStatusColours::isShown(const GraphDocument &document) {
    for (const TGraphObject *object : document.Objects())
        if (isLegend(object) || (object->IsNode() && isStatusFrame(object->Pen())))
            return true;
    return false;
}
