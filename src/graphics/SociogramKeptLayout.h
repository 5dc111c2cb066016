#pragma once

#include "data/SessionOutput.h"
#include "graphics/SociogramBuilder.h"
#include "graphics/SociogramLayouts.h"

#include <QList>
#include <QPair>
#include <QSet>
#include <QString>

#include <optional>

class Database;
class GraphDocument;

// A choice of one pupil by another, as row ids: chooser, chosen.
using SociogramTie = QPair<qint64, qint64>;

// The earlier sociogram whose layout a build keeps: the earlier session's question that matches the built
// one, with the same polarity, the places of its bubbles and its choices.
struct EarlierSociogram {
    qint64 sessionId = 0;
    qint64 questionId = 0;
    bool positive = true;
    // The positions stored for it (SociogramLayouts), or else those a fresh build of it gives.
    SociogramPositions positions;
    bool stored = false;
    // The earlier session's choices of that question and polarity (self-choices left out).
    QSet<SociogramTie> ties;
};

// "Zachovat rozmístění podle…": a sociogram built keeping the layout of an earlier session of the class.
// Bubbles of pupils who stand in the earlier sociogram take its places; the other bubbles take free places
// at the heights the arrangement gave them, overlapping no other object. Ties of the earlier sociogram that the built one lacks
// ("zaniklé vazby") can be drawn as thin grey dashed arrows, tagged SociogramArrangement::LostTieTag, which
// the arrangement does not count as choices.
namespace SociogramKeptLayout {

// The least room between a newly placed bubble and any other object, in graph units (the arrangement's
// columns stand this far apart).
constexpr int Gap = 10;

// Why the layout of session `earlierSessionId` cannot be kept for a sociogram of `current`: the session
// does not exist, or it is of another class. Empty when it can. Raises DatabaseError when the read fails.
QString refusal(Database &db, const SessionOutputData &current, qint64 earlierSessionId);

// The earlier sociogram for a build of `key` in `current`: the earlier session's question is the one that
// matches (Comparison::matchingQuestion from the current questionnaire to the earlier one); its positions
// are the stored ones, or else those of a fresh build of it with the arrangement's koeficient choice
// `arrangementChoice` and the restarted sequence, in `layout`. Nullopt with the Czech reason when refused (refusal())
// or when the earlier session has no matching question or, for a negative build, no negative wording of
// it. Raises DatabaseError when a read fails.
std::optional<EarlierSociogram> earlier(Database &db, const SessionOutputData &current,
                                        const SociogramQuestionKey &key, qint64 earlierSessionId,
                                        int arrangementChoice, SociogramLayout layout, QString *reason);

// Puts each listed bubble whose pupil has a position there; every other listed bubble, in the listed
// order, goes to the leftmost of the arrangement's columns (110 apart from left 50) where it stands Gap
// clear of every other node at the height the arrangement gave it. Listed IDs that name no bubble are left
// alone.
void place(GraphDocument &document, const QList<SociogramBubble> &bubbles,
           const SociogramPositions &positions);

// The earlier ties that `current` has no longer: no answer of the current session to the question of
// `key` with its polarity makes them.
QList<SociogramTie> lostTies(const EarlierSociogram &earlier, const SessionOutputData &current,
                             const SociogramQuestionKey &key);

// Draws the lost ties between the listed bubbles (after taking earlier ones off); a tie whose ends are not
// both bubbles of the graph is left out.
void showLostTies(GraphDocument &document, const QList<SociogramBubble> &bubbles,
                  const QList<SociogramTie> &ties);
// Deletes every lost-tie arrow; any graph.
void hideLostTies(GraphDocument &document);
// Whether the graph shows a lost-tie arrow.
bool showsLostTies(const GraphDocument &document);

} // namespace SociogramKeptLayout
