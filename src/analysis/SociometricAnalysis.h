#pragma once

#include "data/SessionOutput.h"

#include <QColor>
#include <QList>
#include <QPair>
#include <QString>

#include <optional>
#include <vector>

class Database;

// Sociometric analysis of one question of one evaluation session: the positive and the negative choices
// of the class's people as two networks, with per-pupil figures, class indices, the Coie–Dodge status
// groups and the subgroups of mutual positive choices. Computed from the session read by id into plain
// values; the window, the sociogram and the headless tool share it, and the writers only format it.
namespace Sociometry {

// The Coie–Dodge status groups, in the order they are checked.
enum class Status { Popular, Rejected, Neglected, Controversial, Average, Unclassified };
constexpr int kStatusCount = 6;

// All six in their order.
QList<Status> allStatuses();
// "popular", "rejected", "neglected", "controversial", "average", "unclassified".
QString statusKey(Status status);
// The Czech name ("oblíbený", …); the feminine form for a girl ("oblíbená", …).
QString statusName(Status status, bool feminine = false);
// The colour that marks the group everywhere: table rows, the scatter, the sociogram's bubble frames.
QColor statusColour(Status status);

} // namespace Sociometry

// One person of the class (a pupil, not an answer-option row).
struct AnalysisPupil {
    qint64 id = 0;
    QString name;
    bool girl = false;
    bool absent = false; // no answer row at all in the session
    int posReceived = 0; // LM
    int negReceived = 0; // LL
    int posGiven = 0;
    int negGiven = 0;
    int mutualPos = 0; // mutual pairs of that polarity the pupil is in
    int mutualNeg = 0;
    std::optional<double> choiceStatus;      // LM / (N − 1)
    std::optional<double> rejectionStatus;   // LL / (N − 1)
    std::optional<double> socialStatusIndex; // (LM − LL) / (N − 1)
    std::optional<double> posExpansiveness;  // choices given / (N − 1); none for an absent pupil
    // Standardised within the class; none without a negative wording or with fewer than three people.
    std::optional<double> zLm, zLl, sp, si;
    std::optional<Sociometry::Status> status;
    bool isolate = false;  // LM = 0 and LL = 0
    bool unchosen = false; // LM = 0
    bool star = false;     // LM > 0 and LM ≥ 2 × mean LM
};

// The class as a whole.
struct AnalysisGroup {
    int mutualPosPairs = 0; // M+
    int mutualNegPairs = 0; // M−
    std::optional<double> cohesion;        // M+ / (N(N−1)/2)
    std::optional<double> tension;         // M− / (N(N−1)/2)
    std::optional<double> coherence;       // 2·M+ / positive choices made
    std::optional<double> dyadReciprocity; // M+ / pairs joined by at least one positive choice
    std::optional<double> densityPos;      // positive choices / (N(N−1))
    std::optional<double> expansivenessPos; // positive choices / respondents
    std::optional<double> mutualityShare;   // people in a mutual positive pair / N
    std::optional<double> mutualPairsPerMember; // M+ / N
    QList<qint64> isolates; // roster order
    QList<qint64> stars;
    int unchosen = 0;
    std::optional<double> integration; // 1 / unchosen
    // Pupils per status group, in the order of Sociometry::allStatuses(); none when there are no statuses.
    std::optional<QList<int>> statusCounts;
};

// Groups of the graph of mutual positive pairs; members in roster order.
struct AnalysisSubgroups {
    QList<QPair<qint64, qint64>> mutualPosPairs; // the earlier in roster order first, pairs in roster order
    QList<QPair<qint64, qint64>> mutualNegPairs;
    QList<QList<qint64>> components; // connected, at least two members
    QList<QList<qint64>> cliques;    // maximal, at least three members; they may overlap
};

// Choices left out before anything was counted, by reason.
struct IgnoredChoices {
    int notPerson = 0;     // the chooser or the chosen is no person of the class
    int absentChooser = 0; // kept as a guard: an absent person has no answer row
    int selfChoice = 0;
    int duplicate = 0; // the same chooser, chosen and polarity again
    int total() const { return notPerson + absentChooser + selfChoice + duplicate; }
};

struct SociometricAnalysis {
    qint64 sessionId = 0;
    qint64 questionId = 0;
    QVariant datum; // the session's date
    OutputClass trida;
    QString questionnaireName;
    QString questionText;
    QString negativeText;
    bool negativeWording = false; // the question has a negative wording
    int n = 0;                    // people
    int respondents = 0;          // people who are not absent
    int positiveChoices = 0;      // after cleaning
    int negativeChoices = 0;
    IgnoredChoices ignored;
    QList<AnalysisPupil> pupils; // roster order: `poradi` (an empty one first), then id
    AnalysisGroup group;
    AnalysisSubgroups subgroups;

    // Whether the status figures (z-scores, preference, impact, groups) exist.
    bool hasStatuses() const { return negativeWording && n >= 3; }
    // The pupil of that id, or nullptr.
    const AnalysisPupil *pupil(qint64 id) const;
    QString nameOf(qint64 id) const;
};

// The cleaned choices of a session's questions among the class's people: people only, self-choices
// dropped, a choice repeated (or given in two of the questions) counted once.
struct ChoiceNetwork {
    QList<OutputPupil> people; // roster order: `poradi` (an empty one first), then id
    QList<bool> absent;        // no answer row at all in the session
    std::vector<std::vector<bool>> positive, negative; // [chooser][chosen] over roster positions
    IgnoredChoices ignored;
    int positiveChoices = 0;
    int negativeChoices = 0;
};

namespace Sociometry {

// Nullopt with the Czech reason when the question is not one of the session's questionnaire, or is not a
// choice of classmates ("Otázka je výběrem z možností, ne volbou spolužáků.", "Otázka je slovní.").
// `session` must carry its roster and answers (readSessionOutput).
std::optional<SociometricAnalysis> analyse(const SessionOutputData &session, qint64 questionId,
                                           QString *reason = nullptr);
// Reads the session by id and analyses it; nullopt with the Czech reason for an unknown session too.
// Database failures raise DatabaseError.
std::optional<SociometricAnalysis> analyse(Database &db, qint64 sessionId, qint64 questionId,
                                           QString *reason = nullptr);

// The reason a question of that kind (`typ`) cannot be analysed; empty when it can.
QString refusalForKind(const QVariant &typ);
// The reason the question cannot be analysed in the session: not one of its questionnaire's, or of a kind
// refusalForKind refuses; empty when it can.
QString refusalForQuestion(const SessionOutputData &session, qint64 questionId);
// The network of the questions' choices; `session` must carry its roster and answers.
ChoiceNetwork choiceNetwork(const SessionOutputData &session, const QList<qint64> &questionIds);

} // namespace Sociometry
