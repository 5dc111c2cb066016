#pragma once

#include "analysis/SociometricAnalysis.h"
#include "graph/GraphTypes.h"

#include <QHash>
#include <QList>
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

// "Obarvit podle sociometrického statusu" in the sociogram: the frame (pen) of each pupil's bubble takes the
// colour of the pupil's Coie–Dodge group and a thicker width, the fill stays (the arrangement recognises
// bubbles by their fill), and a legend, right of the picture, names the six groups in their colours or
// says why there are none. The legend's nodes carry LegendTag, which graph files keep, so the colouring is
// recognised and taken off again in a sociogram read from a file too.
namespace SociogramStatusColours {

constexpr int FrameWidth = 3;
constexpr int LegendTag = 0x535453; // marks the legend's nodes
// The pen of a bubble as the sociogram builds it, which taking the colouring off puts back.
inline const TGraphPen PlainPen{};

// The status of each person of the session's class for the question (Sociometry::analyse).
SociogramStatuses statusesOf(const SessionOutputData &session, qint64 questionId);
// The frame of a bubble of that group.
TGraphPen framePen(Sociometry::Status status);
// The legend's heading and lines: one line per group ("oblíbený / oblíbená"), or the reason alone.
QString legendHeading();
QStringList legendLines(const SociogramStatuses &statuses);

// Takes an earlier colouring off, then frames every listed bubble whose pupil has a status and adds the
// legend. A listed ID that no longer names a node with a bubble fill (deleted, recoloured by hand, or
// reused by an object made since) is left alone.
void show(GraphDocument &document, const QList<SociogramBubble> &bubbles, const SociogramStatuses &statuses);
// Puts the plain pen back on every node framed in a status colour and deletes the legend; any graph.
void hide(GraphDocument &document);
// Whether the graph shows a colouring: a legend node or a node framed in a status colour.
bool isShown(const GraphDocument &document);

} // namespace SociogramStatusColours
