#include "analysis/SurveyComparison.h"

#include "data/Database.h"
#include "data/TextOrder.h"

#include <QSet>

#include <algorithm>

namespace {

using Sociometry::Status;

void setReason(QString *reason, const QString &text) {
    if (reason)
        *reason = text;
}

using Pair = QPair<qint64, qint64>;

// The pairs of one polarity, split by whether they are in the earlier, the later or both analyses. A pair
// with a member absent from either session counts in none of the lists: nothing can be said of it.
PairChanges pairChanges(const SurveyComparison &c, const QList<Pair> &from, const QList<Pair> &to) {
    auto comparable = [&c](const Pair &pair) {
        const ComparedPupil *a = c.pupil(pair.first);
        const ComparedPupil *b = c.pupil(pair.second);
        return a && b && a->presence() == Comparison::Presence::Both && b->presence() == Comparison::Presence::Both;
    };
    // One key per pair whichever member the roster puts first (it may differ between the two reads).
    auto key = [](const Pair &pair) { return Pair(std::min(pair.first, pair.second), std::max(pair.first, pair.second)); };
    QSet<Pair> earlier, later;
    for (const Pair &pair : from)
        earlier.insert(key(pair));
    for (const Pair &pair : to)
        later.insert(key(pair));
    PairChanges changes;
    for (const Pair &pair : to) {
        if (!comparable(pair))
            continue;
        (earlier.contains(key(pair)) ? changes.kept : changes.added).append(pair);
    }
    for (const Pair &pair : from)
        if (comparable(pair) && !later.contains(key(pair)))
            changes.broken.append(pair);
    return changes;
}

QList<IndexChange> indexChanges(const SociometricAnalysis &from, const SociometricAnalysis &to) {
    const QList<AnalysisTexts::IndexLine> before = AnalysisTexts::groupIndices(from);
    const QList<AnalysisTexts::IndexLine> after = AnalysisTexts::groupIndices(to);
    QList<IndexChange> changes;
    for (int i = 0; i < after.size(); ++i) {
        IndexChange change;
        change.key = after[i].key;
        change.name = after[i].name;
        change.explanation = after[i].explanation;
        change.isCount = after[i].isCount;
        change.from = before[i].value;
        change.to = after[i].value;
        if (change.from && change.to)
            change.delta = *change.to - *change.from;
        changes.append(change);
    }
    return changes;
}

} // namespace

QString Comparison::presenceKey(Presence presence) {
    switch (presence) {
    case Presence::Both: return QStringLiteral("both");
    case Presence::From: return QStringLiteral("from");
    case Presence::To: return QStringLiteral("to");
    case Presence::Neither: break;
    }
    return QStringLiteral("neither");
}

std::optional<int> Comparison::statusRank(Status status) {
    switch (status) {
    case Status::Rejected: return 0;
    case Status::Neglected:
    case Status::Controversial: return 1;
    case Status::Average: return 2;
    case Status::Popular: return 3;
    case Status::Unclassified: break;
    }
    return std::nullopt;
}

std::optional<qint64> Comparison::matchingQuestion(const OutputQuestionnaire &from, qint64 fromQuestion,
                                                   const OutputQuestionnaire &to) {
    if (from.id == to.id && from.id != 0)
        return to.question(fromQuestion) ? std::optional<qint64>(fromQuestion) : std::nullopt;
    const OutputQuestion *question = from.question(fromQuestion);
    if (!question)
        return std::nullopt;
    for (const OutputQuestion &candidate : to.questions)
        if (TextOrder::compare(candidate.textOtazky, question->textOtazky) == 0)
            return candidate.id;
    return std::nullopt;
}

Comparison::Presence ComparedPupil::presence() const {
    using Comparison::Presence;
    if (presentFrom())
        return presentTo() ? Presence::Both : Presence::From;
    return presentTo() ? Presence::To : Presence::Neither;
}

std::optional<Status> ComparedPupil::statusFrom() const {
    return presentFrom() ? from->status : std::nullopt;
}

std::optional<Status> ComparedPupil::statusTo() const {
    return presentTo() ? to->status : std::nullopt;
}

std::optional<int> ComparedPupil::posReceivedDelta() const {
    if (presence() != Comparison::Presence::Both)
        return std::nullopt;
    return to->posReceived - from->posReceived;
}

std::optional<int> ComparedPupil::negReceivedDelta() const {
    if (presence() != Comparison::Presence::Both)
        return std::nullopt;
    return to->negReceived - from->negReceived;
}

bool ComparedPupil::passage() const {
    return presence() == Comparison::Presence::Both && statusFrom() && statusTo() && *statusFrom() != *statusTo();
}

int ComparedPupil::statusDirection() const {
    if (!passage())
        return 0;
    const std::optional<int> before = Comparison::statusRank(*statusFrom());
    const std::optional<int> after = Comparison::statusRank(*statusTo());
    if (!before || !after || *before == *after)
        return 0;
    return *after > *before ? 1 : -1;
}

bool ComparedPupil::becameIsolate() const {
    return presence() == Comparison::Presence::Both && !from->isolate && to->isolate;
}

bool ComparedPupil::stoppedIsolate() const {
    return presence() == Comparison::Presence::Both && from->isolate && !to->isolate;
}

const ComparedPupil *SurveyComparison::pupil(qint64 id) const {
    for (const ComparedPupil &p : pupils)
        if (p.id == id)
            return &p;
    return nullptr;
}

QString SurveyComparison::nameOf(qint64 id) const {
    const ComparedPupil *p = pupil(id);
    return p ? p->name : QString();
}

SurveyComparison Comparison::compare(const SociometricAnalysis &from, const SociometricAnalysis &to) {
    SurveyComparison c;
    c.from = from;
    c.to = to;
    QHash<qint64, int> index;
    auto entry = [&](const AnalysisPupil &p) -> ComparedPupil & {
        const auto at = index.constFind(p.id);
        if (at != index.cend())
            return c.pupils[*at];
        index.insert(p.id, int(c.pupils.size()));
        ComparedPupil compared;
        compared.id = p.id;
        compared.name = p.name;
        compared.girl = p.girl;
        c.pupils.append(compared);
        return c.pupils.last();
    };
    for (const AnalysisPupil &p : to.pupils)
        entry(p).to = p;
    for (const AnalysisPupil &p : from.pupils)
        entry(p).from = p;
    c.mutualPos = pairChanges(c, from.subgroups.mutualPosPairs, to.subgroups.mutualPosPairs);
    c.mutualNeg = pairChanges(c, from.subgroups.mutualNegPairs, to.subgroups.mutualNegPairs);
    c.indices = indexChanges(from, to);
    return c;
}

std::optional<SurveyComparison> Comparison::compare(Database &db, qint64 fromSession, qint64 fromQuestion,
                                                    qint64 toSession, std::optional<qint64> toQuestion,
                                                    QString *reason) {
    const std::optional<SessionOutputData> earlier = readSessionOutput(db, fromSession, reason);
    if (!earlier)
        return std::nullopt;
    const std::optional<SessionOutputData> later =
        fromSession == toSession ? earlier : readSessionOutput(db, toSession, reason);
    if (!later)
        return std::nullopt;
    if (earlier->trida.id != later->trida.id) {
        setReason(reason, QStringLiteral("Vyhodnocení %1 a %2 nejsou ze stejné třídy; srovnat lze jen vyhodnocení "
                                         "jedné třídy.")
                              .arg(fromSession)
                              .arg(toSession));
        return std::nullopt;
    }
    const std::optional<SociometricAnalysis> before = Sociometry::analyse(*earlier, fromQuestion, reason);
    if (!before)
        return std::nullopt;
    if (!toQuestion) {
        toQuestion = matchingQuestion(earlier->questionnaire, fromQuestion, later->questionnaire);
        if (!toQuestion) {
            setReason(reason, QStringLiteral("Dotazník vyhodnocení %1 nemá otázku „%2“; zvolte otázku, se kterou "
                                             "se má srovnat.")
                                  .arg(toSession)
                                  .arg(before->questionText));
            return std::nullopt;
        }
    }
    const std::optional<SociometricAnalysis> after = Sociometry::analyse(*later, *toQuestion, reason);
    if (!after)
        return std::nullopt;
    return compare(*before, *after);
}

std::optional<SurveyTrend> Comparison::trend(Database &db, qint64 classId, const QString &questionText,
                                             QString *reason) {
    const std::optional<OutputClass> trida = readClassOutput(db, classId, reason);
    if (!trida)
        return std::nullopt;
    SurveyTrend result;
    result.trida = *trida;
    result.questionText = questionText;
    // Newest first, sessions of one date the later made first: reversed, oldest first.
    QList<OutputSessionItem> items = readClassSessions(db, classId);
    std::reverse(items.begin(), items.end());
    for (const OutputSessionItem &item : items) {
        const std::optional<SessionOutputData> session = readSessionOutput(db, item.id);
        if (!session)
            continue; // deleted meanwhile
        for (const OutputQuestion &question : session->questionnaire.questions) {
            if (TextOrder::compare(question.textOtazky, questionText) != 0
                || !Sociometry::refusalForKind(question.typ).isEmpty())
                continue;
            std::optional<SociometricAnalysis> analysis = Sociometry::analyse(*session, question.id);
            if (analysis)
                result.sessions.append({item.id, question.id, std::move(*analysis)});
            break;
        }
    }
    if (result.sessions.isEmpty()) {
        setReason(reason, QStringLiteral("Žádné vyhodnocení třídy %1 nemá otázku s volbou spolužáků „%2“.")
                              .arg(classId)
                              .arg(questionText));
        return std::nullopt;
    }
    result.questionText = result.sessions.last().analysis.questionText; // as stored, not as typed
    QSet<qint64> seen;
    for (auto session = result.sessions.crbegin(); session != result.sessions.crend(); ++session)
        for (const AnalysisPupil &p : session->analysis.pupils)
            if (!seen.contains(p.id)) {
                seen.insert(p.id);
                result.pupils.append({p.id, p.name});
            }
    return result;
}
