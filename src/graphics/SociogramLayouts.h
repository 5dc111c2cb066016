#pragma once

#include "graphics/SociogramStatusColours.h"

#include <QHash>
#include <QList>
#include <QPoint>

class Database;
class GraphDocument;

// Where each pupil's bubble stands in a sociogram: the top left corner of the bubble, by the pupil's row id.
using SociogramPositions = QHash<qint64, QPoint>;

// The kept positions of sociograms (`rozmisteni`): per session, question and polarity the place of every
// pupil's bubble as the teacher left it when the sociogram went to the class documents or was remembered
// ("Zapamatovat rozmístění"). Later sociograms that keep the layout of that session start from them.
namespace SociogramLayouts {

// The stored positions of one sociogram; empty when none are stored (also in a file of an earlier version
// open read-only, which has no such table). Raises DatabaseError when the read fails.
SociogramPositions read(Database &db, qint64 sessionId, qint64 questionId, bool positive);
// Replaces the stored positions of that sociogram by `positions`, in one transaction. Raises DatabaseError;
// nothing is changed then.
void store(Database &db, qint64 sessionId, qint64 questionId, bool positive,
           const SociogramPositions &positions);
// The positions of the listed bubbles as they stand in the graph; a listed ID that no longer names a node
// with a bubble fill (deleted, recoloured by hand) is left out.
SociogramPositions positionsOf(const GraphDocument &document, const QList<SociogramBubble> &bubbles);

} // namespace SociogramLayouts
