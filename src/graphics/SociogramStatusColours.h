#pragma once

#include "analysis/SociometricAnalysis.h"
#include "graph/GraphTypes.h"

#include <QColor>
#include <QHash>
#include <QList>
#include <QPair>
#include <QString>

class GraphDocument;
struct SessionOutputData;

// One bubble of a built sociogram: the graph object's ID and the class row it stands for.
struct SociogramBubble {
    quint32 nodeId = 0;
    qint64 pupilId = 0;
};

// The status groups of a sociogram's question, as the bubble frames need them.
struct SociogramStatuses {
    QHash<qint64, Sociometry::Status> byPupil; // pupils that have a status
    // Why no pupil has one: the analysis refused the question, or the statuses are missing (no negative
    // wording, fewer than three people). Empty when there are statuses.
    QString reason;
};

// Frames of one colouring: each pupil's frame colour, the legend's heading and lines in their colours, or
// the reason why no pupil has a colour.
struct SociogramFrames {
    QHash<qint64, QColor> byPupil;
    QString heading;
    QList<QPair<QString, QColor>> legend;
    QString reason; // shown alone when byPupil is empty
};

// The coloured frames of the sociogram's bubbles: "Obarvit podle sociometrického statusu" (the colour of the
// pupil's Coie–Dodge group) or "Obarvit podle skupin" (the group of "Rozdělení do skupin"); one at a time.
// The frame (pen) of each pupil's bubble takes the colour and a thicker width, the fill stays (the
// arrangement recognises bubbles by their fill), and a legend, right of the picture, names the colours or
// says why there are none. The legend's nodes carry LegendTag, which graph files keep, so the colouring is
// recognised and taken off again in a sociogram read from a file too.
namespace SociogramStatusColours {

enum class Kind { None, Status, Groups };

constexpr int FrameWidth = 3;
constexpr int LegendTag = 0x535453; // marks the legend's nodes
// The pen of a bubble as the sociogram builds it, which taking the colouring off puts back.
inline const TGraphPen PlainPen{};

// The status of each person of the session's class for the question (Sociometry::analyse).
SociogramStatuses statusesOf(const SessionOutputData &session, qint64 questionId);
// The frame of a bubble of that status group, of that colour.
TGraphPen framePen(Sociometry::Status status);
TGraphPen framePen(const QColor &colour);
// The legend's heading and lines: one line per group ("oblíbený / oblíbená"), or the reason alone.
QString legendHeading();
QStringList legendLines(const SociogramStatuses &statuses);
SociogramFrames statusFrames(const SociogramStatuses &statuses);

// The colour of group g (1-based); the palette repeats after twelve groups.
QColor groupColour(int group);
QString groupLegendHeading();
// Groups as "Rozdělení do skupin" shows them (members by pupil id); none, and the reason, when empty.
SociogramFrames groupFrames(const QList<QList<qint64>> &groups);

// Takes an earlier colouring off, then frames every listed bubble whose pupil has a colour and adds the
// legend. A listed ID that no longer names a node with a bubble fill (deleted, recoloured by hand, or
// reused by an object made since) is left alone.
void show(GraphDocument &document, const QList<SociogramBubble> &bubbles, const SociogramFrames &frames);
void show(GraphDocument &document, const QList<SociogramBubble> &bubbles, const SociogramStatuses &statuses);
// Puts the plain pen back on every node framed by a colouring and deletes the legend; any graph.
void hide(GraphDocument &document);
// Which colouring the graph shows: told by the legend's heading, else by a framed node's colour.
Kind shown(const GraphDocument &document);
inline bool isShown(const GraphDocument &document) {
    return shown(document) != Kind::None;
}

} // namespace SociogramStatusColours
