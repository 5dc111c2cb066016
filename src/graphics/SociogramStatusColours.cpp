#include "graphics/SociogramStatusColours.h"

#include "analysis/AnalysisTexts.h"
#include "data/SessionOutput.h"
#include "graph/GraphDocument.h"
#include "graph/NodeShapes.h"
#include "graphics/SociogramArrangement.h"

#include <iterator>

namespace {

// The legend's boxes, in graph units.
constexpr int kLegendGap = 40; // from the picture's right edge
constexpr int kHeadingWidth = 260;
constexpr int kHeadingHeight = 30;
constexpr int kGroupWidth = 180;
constexpr int kGroupHeight = 34;
constexpr int kGroupStep = 42;
constexpr int kReasonHeight = 70;

// Twelve colours far enough apart to tell the groups' frames from one another.
const QColor kGroupPalette[] = {QColor(31, 119, 180),  QColor(255, 127, 14),  QColor(44, 160, 44),
                                QColor(214, 39, 40),   QColor(148, 103, 189), QColor(140, 86, 75),
                                QColor(227, 119, 194), QColor(127, 127, 127), QColor(188, 189, 34),
                                QColor(23, 190, 207),  QColor(0, 0, 128),     QColor(128, 0, 0)};

bool isStatusFrame(const TGraphPen &pen) {
    for (Sociometry::Status status : Sociometry::allStatuses())
        if (pen == SociogramStatusColours::framePen(status))
            return true;
    return false;
}

bool isGroupFrame(const TGraphPen &pen) {
    for (const QColor &colour : kGroupPalette)
        if (pen == SociogramStatusColours::framePen(colour))
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

TGraphPen SociogramStatusColours::framePen(const QColor &colour) {
    TGraphPen pen = PlainPen;
    pen.Color = GraphTypes::fromQColor(colour);
    pen.Style = psSolid;
    pen.Width = FrameWidth;
    return pen;
}

TGraphPen SociogramStatusColours::framePen(Sociometry::Status status) {
    return framePen(Sociometry::statusColour(status));
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

SociogramFrames SociogramStatusColours::statusFrames(const SociogramStatuses &statuses) {
    SociogramFrames frames;
    frames.heading = legendHeading();
    frames.reason = statuses.reason;
    for (auto at = statuses.byPupil.cbegin(); at != statuses.byPupil.cend(); ++at)
        frames.byPupil.insert(at.key(), Sociometry::statusColour(at.value()));
    const QStringList lines = legendLines(statuses);
    if (!statuses.byPupil.isEmpty()) {
        const QList<Sociometry::Status> groups = Sociometry::allStatuses();
        for (int i = 0; i < groups.size(); ++i)
            frames.legend.append({lines.value(i), Sociometry::statusColour(groups[i])});
    }
    return frames;
}

QColor SociogramStatusColours::groupColour(int group) {
    constexpr int colours = int(std::size(kGroupPalette));
    return kGroupPalette[((group - 1) % colours + colours) % colours];
}

QString SociogramStatusColours::groupLegendHeading() {
    return QStringLiteral("Skupiny (rámeček bubliny)");
}

SociogramFrames SociogramStatusColours::groupFrames(const QList<QList<qint64>> &groups) {
    SociogramFrames frames;
    frames.heading = groupLegendHeading();
    for (qsizetype g = 0; g < groups.size(); ++g) {
        const QColor colour = groupColour(int(g) + 1);
        frames.legend.append({QStringLiteral("Skupina %1").arg(g + 1), colour});
        for (qint64 pupil : groups[g])
            frames.byPupil.insert(pupil, colour);
    }
    if (frames.byPupil.isEmpty())
        frames.reason = QStringLiteral("Třída tohoto vyhodnocení zatím nebyla rozdělena do skupin "
                                       "(Výstup → Rozdělení do skupin).");
    return frames;
}

void SociogramStatusColours::show(GraphDocument &document, const QList<SociogramBubble> &bubbles,
                                  const SociogramStatuses &statuses) {
    show(document, bubbles, statusFrames(statuses));
}

void SociogramStatusColours::show(GraphDocument &document, const QList<SociogramBubble> &bubbles,
                                  const SociogramFrames &frames) {
    document.BeginUpdate();
    hide(document);
    for (const SociogramBubble &bubble : bubbles) {
        const auto colour = frames.byPupil.constFind(bubble.pupilId);
        if (colour == frames.byPupil.constEnd())
            continue;
        TGraphObject *object = document.FindObjectByID(bubble.nodeId);
        if (!object || !object->IsNode() || !SociogramArrangement::isBubbleColor(object->Brush().Color))
            continue;
        object->SetPen(framePen(*colour));
    }

    const QRect picture = document.GraphBounds();
    const int left = picture.isEmpty() ? 25 : picture.right() + 1 + kLegendGap;
    const int top = picture.isEmpty() ? 30 : picture.top();
    addLegendNode(document, QRect(left, top, kHeadingWidth, kHeadingHeight), frames.heading);
    if (frames.byPupil.isEmpty()) {
        TGraphNode *reason = addLegendNode(
            document, QRect(left, top + kGroupStep, kHeadingWidth, kReasonHeight), frames.reason);
        reason->SetAlignment(taLeftJustify);
    } else {
        for (qsizetype i = 0; i < frames.legend.size(); ++i) {
            TGraphNode *line =
                addLegendNode(document, QRect(left, top + kGroupStep * int(i + 1), kGroupWidth, kGroupHeight),
                              frames.legend[i].first);
            line->SetPen(framePen(frames.legend[i].second));
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
        else if (object->IsNode() && (isStatusFrame(object->Pen()) || isGroupFrame(object->Pen())))
            object->SetPen(PlainPen);
    }
    for (TGraphObject *object : legend)
        document.Delete(object);
    document.EndUpdate();
}

SociogramStatusColours::Kind SociogramStatusColours::shown(const GraphDocument &document) {
    Kind framed = Kind::None;
    for (const TGraphObject *object : document.Objects()) {
        if (isLegend(object)) {
            const QString text = object->Text();
            if (text == legendHeading())
                return Kind::Status;
            if (text == groupLegendHeading())
                return Kind::Groups;
        }
        if (framed == Kind::None && object->IsNode())
            framed = isStatusFrame(object->Pen())  ? Kind::Status
                     : isGroupFrame(object->Pen()) ? Kind::Groups
                                                   : Kind::None;
    }
    return framed;
}
