#pragma once

#include "analysis/AnalysisTexts.h"
#include "analysis/SociometricAnalysis.h"

#include <QList>
#include <QPair>
#include <QString>

#include <optional>

class Database;

// Two surveys of one class compared: the sociometric analysis of one question of an earlier session
// ("dříve", from) and of a later one ("nyní", to), pupil by pupil (matched by their row id), pair by pair and
// index by index. Each side is the analysis exactly as the analysis window shows it; the comparison only
// sets them side by side. A pupil absent from a session (no answer in it) is named but has no change
// figures, and a pair with such a pupil counts neither as kept, new nor broken.
namespace Comparison {

// In which of the two sessions a person was present (gave an answer).
enum class Presence { Both, From, To, Neither };
// "both", "from", "to", "neither".
QString presenceKey(Presence presence);

// A status group's place from worst to best, for "improved" and "worsened": rejected 0, neglected and
// controversial 1, average 2, popular 3; nullopt for the unclassified (neither better nor worse).
std::optional<int> statusRank(Sociometry::Status status);

// The question of `to` that stands for the question `fromQuestion` of `from`: the same question when both
// are one questionnaire, otherwise the first question (questionnaire order) whose text equals its text as
// Czech text order compares (case ignored, diacritics count). Nullopt when there is none.
std::optional<qint64> matchingQuestion(const OutputQuestionnaire &from, qint64 fromQuestion,
                                       const OutputQuestionnaire &to);

} // namespace Comparison

// One person of the class in both analyses.
struct ComparedPupil {
    qint64 id = 0;
    QString name;
    bool girl = false;
    std::optional<AnalysisPupil> from; // nullopt: not a person of the class in that analysis
    std::optional<AnalysisPupil> to;

    bool presentFrom() const { return from && !from->absent; }
    bool presentTo() const { return to && !to->absent; }
    Comparison::Presence presence() const;
    // The status group in a session where the pupil was present and statuses exist.
    std::optional<Sociometry::Status> statusFrom() const;
    std::optional<Sociometry::Status> statusTo() const;
    // LM and LL now minus then; only for a pupil present in both.
    std::optional<int> posReceivedDelta() const;
    std::optional<int> negReceivedDelta() const;
    // Present in both, a status group in both, and the groups differ.
    bool passage() const;
    // +1 when the group rose (statusRank), −1 when it fell, 0 otherwise (also without a passage).
    int statusDirection() const;
    // Present in both and isolated in only the later (became) or only the earlier (stopped).
    bool becameIsolate() const;
    bool stoppedIsolate() const;
};

// Mutual pairs of one polarity: in both sessions, only in the later, only in the earlier. Pairs as the
// analysis writes them (the earlier member in roster order first), in roster order.
struct PairChanges {
    QList<QPair<qint64, qint64>> kept;
    QList<QPair<qint64, qint64>> added;  // "new"
    QList<QPair<qint64, qint64>> broken;
};

// One class index in both sessions: the analysis's key, Czech name and explanation, and the difference
// (to − from; none where either value is none).
struct IndexChange {
    QString key;
    QString name;
    QString explanation;
    bool isCount = false;
    std::optional<double> from;
    std::optional<double> to;
    std::optional<double> delta;
};

struct SurveyComparison {
    SociometricAnalysis from;
    SociometricAnalysis to;
    QList<ComparedPupil> pupils; // roster order of the later analysis, then people only the earlier had
    PairChanges mutualPos;
    PairChanges mutualNeg;
    QList<IndexChange> indices; // in the order of AnalysisTexts::groupIndices

    const ComparedPupil *pupil(qint64 id) const;
    QString nameOf(qint64 id) const;
};

// One session of a class's course over time: the session, the question of the course's text in it, and its
// analysis.
struct TrendSession {
    qint64 sessionId = 0;
    qint64 questionId = 0;
    SociometricAnalysis analysis;
};

// "Vývoj": one question text across every session of a class whose questionnaire has a choice question of
// that text, oldest first (sessions of one date in the order they were made).
struct SurveyTrend {
    OutputClass trida;
    QString questionText;
    QList<TrendSession> sessions;
    // Every person of the class in any of the analyses, roster order of the latest session first.
    QList<QPair<qint64, QString>> pupils;
};

namespace Comparison {

// Compares two analyses (the sessions must be of one class; not checked here).
SurveyComparison compare(const SociometricAnalysis &from, const SociometricAnalysis &to);

// Reads and analyses both sessions and compares them. Without `toQuestion` the question of the later
// session is matchingQuestion(). Nullopt with the Czech reason for an unknown session, sessions of
// different classes, a question not in its session's questionnaire or of a kind the analysis refuses, and
// when no question of the later session matches. Database failures raise DatabaseError.
std::optional<SurveyComparison> compare(Database &db, qint64 fromSession, qint64 fromQuestion, qint64 toSession,
                                        std::optional<qint64> toQuestion, QString *reason = nullptr);

// The course of a question text over the sessions of a class; nullopt with the Czech reason for an unknown
// class or when no session of the class has a choice question of that text.
std::optional<SurveyTrend> trend(Database &db, qint64 classId, const QString &questionText,
                                 QString *reason = nullptr);

} // namespace Comparison
