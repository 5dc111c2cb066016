#include "analysis/SociometricAnalysis.h"

#include "analysis/MutualGroups.h"
#include "data/PupilKinds.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <cmath>
#include <numeric>

namespace {

void setReason(QString *reason, const QString &text) {
    if (reason)
        *reason = text;
}

// A person: a boy, a girl, or a row without a kind.
bool isPerson(const OutputPupil &row) {
    return row.pohlavi.trimmed().isEmpty() || PupilKinds::isRealPupil(row.pohlavi);
}

// Roster order: an empty position first, as the engine orders NULL, then by position, then by id.
bool rosterBefore(const OutputPupil &a, const OutputPupil &b) {
    if (a.poradi.isNull() != b.poradi.isNull())
        return a.poradi.isNull();
    if (!a.poradi.isNull() && a.poradi.toLongLong() != b.poradi.toLongLong())
        return a.poradi.toLongLong() < b.poradi.toLongLong();
    return a.id < b.id;
}

std::optional<double> ratio(double numerator, double denominator) {
    if (denominator == 0)
        return std::nullopt;
    return numerator / denominator;
}

// (x − mean) / s with the sample standard deviation; all zeros when the values do not vary.
std::vector<double> standardised(const std::vector<double> &values) {
    const std::size_t n = values.size();
    std::vector<double> result(n, 0.0);
    if (n < 2)
        return result;
    const double mean = std::accumulate(values.begin(), values.end(), 0.0) / double(n);
    double squares = 0;
    for (double v : values)
        squares += (v - mean) * (v - mean);
    const double s = std::sqrt(squares / double(n - 1));
    if (s < 1e-12)
        return result;
    for (std::size_t i = 0; i < n; ++i)
        result[i] = (values[i] - mean) / s;
    return result;
}

Sociometry::Status classify(double sp, double si, double zLm, double zLl) {
    using Sociometry::Status;
    if (sp > 1 && zLm > 0 && zLl < 0)
        return Status::Popular;
    if (sp < -1 && zLm < 0 && zLl > 0)
        return Status::Rejected;
    if (si < -1 && zLm < 0 && zLl < 0)
        return Status::Neglected;
    if (si > 1 && zLm > 0 && zLl > 0)
        return Status::Controversial;
    if (sp > -0.5 && sp < 0.5)
        return Status::Average;
    return Status::Unclassified;
}

// The cleaned choices of one polarity as a matrix over roster positions.
using Choices = std::vector<std::vector<bool>>;

void computeStatuses(SociometricAnalysis &result) {
    const std::size_t n = result.pupils.size();
    std::vector<double> lm(n), ll(n);
    for (std::size_t i = 0; i < n; ++i) {
        lm[i] = result.pupils[i].posReceived;
        ll[i] = result.pupils[i].negReceived;
    }
    const std::vector<double> zLm = standardised(lm), zLl = standardised(ll);
    std::vector<double> spRaw(n), siRaw(n);
    for (std::size_t i = 0; i < n; ++i) {
        spRaw[i] = zLm[i] - zLl[i];
        siRaw[i] = zLm[i] + zLl[i];
    }
    const std::vector<double> sp = standardised(spRaw), si = standardised(siRaw);
    QList<int> counts(Sociometry::kStatusCount, 0);
    for (std::size_t i = 0; i < n; ++i) {
        AnalysisPupil &pupil = result.pupils[int(i)];
        pupil.zLm = zLm[i];
        pupil.zLl = zLl[i];
        pupil.sp = sp[i];
        pupil.si = si[i];
        pupil.status = classify(sp[i], si[i], zLm[i], zLl[i]);
        ++counts[int(*pupil.status)];
    }
    result.group.statusCounts = counts;
}

QList<QPair<qint64, qint64>> mutualPairs(const SociometricAnalysis &result, const Choices &choices,
                                         MutualGroups::Adjacency *graph) {
    QList<QPair<qint64, qint64>> pairs;
    const int n = int(result.pupils.size());
    for (int i = 0; i < n; ++i)
        for (int j = i + 1; j < n; ++j)
            if (choices[i][j] && choices[j][i]) {
                pairs.append({result.pupils[i].id, result.pupils[j].id});
                if (graph)
                    (*graph)[i][j] = (*graph)[j][i] = true;
            }
    return pairs;
}

QList<QList<qint64>> idsOf(const SociometricAnalysis &result, const std::vector<MutualGroups::Group> &groups) {
    QList<QList<qint64>> list;
    for (const MutualGroups::Group &group : groups) {
        QList<qint64> ids;
        for (int position : group)
            ids.append(result.pupils[position].id);
        list.append(ids);
    }
    return list;
}

void computeGroup(SociometricAnalysis &result, const Choices &positive, const Choices &negative) {
    const int n = result.n;
    AnalysisGroup &group = result.group;
    AnalysisSubgroups &sub = result.subgroups;
    MutualGroups::Adjacency graph(n, std::vector<bool>(n, false));
    sub.mutualPosPairs = mutualPairs(result, positive, &graph);
    sub.mutualNegPairs = mutualPairs(result, negative, nullptr);
    sub.components = idsOf(result, MutualGroups::components(graph));
    sub.cliques = idsOf(result, MutualGroups::cliques(graph));

    for (const auto &pair : sub.mutualPosPairs)
        for (AnalysisPupil &pupil : result.pupils)
            pupil.mutualPos += (pupil.id == pair.first || pupil.id == pair.second);
    for (const auto &pair : sub.mutualNegPairs)
        for (AnalysisPupil &pupil : result.pupils)
            pupil.mutualNeg += (pupil.id == pair.first || pupil.id == pair.second);

    int joinedPairs = 0;
    for (int i = 0; i < n; ++i)
        for (int j = i + 1; j < n; ++j)
            joinedPairs += (positive[i][j] || positive[j][i]);

    const double pairs = double(n) * (n - 1) / 2.0;
    group.mutualPosPairs = int(sub.mutualPosPairs.size());
    group.mutualNegPairs = int(sub.mutualNegPairs.size());
    if (n >= 2) {
        group.cohesion = group.mutualPosPairs / pairs;
        group.tension = group.mutualNegPairs / pairs;
        group.densityPos = result.positiveChoices / (2.0 * pairs);
    }
    group.coherence = ratio(2.0 * group.mutualPosPairs, result.positiveChoices);
    group.dyadReciprocity = ratio(group.mutualPosPairs, joinedPairs);
    group.expansivenessPos = ratio(result.positiveChoices, result.respondents);
    const auto inMutualPair = std::count_if(result.pupils.cbegin(), result.pupils.cend(),
                                            [](const AnalysisPupil &p) { return p.mutualPos > 0; });
    group.mutualityShare = ratio(double(inMutualPair), n);
    group.mutualPairsPerMember = ratio(group.mutualPosPairs, n);

    double meanLm = 0;
    for (const AnalysisPupil &pupil : result.pupils)
        meanLm += pupil.posReceived;
    meanLm = n > 0 ? meanLm / n : 0;
    for (AnalysisPupil &pupil : result.pupils) {
        pupil.unchosen = pupil.posReceived == 0;
        pupil.isolate = pupil.unchosen && pupil.negReceived == 0;
        pupil.star = pupil.posReceived > 0 && pupil.posReceived >= 2 * meanLm;
        if (pupil.isolate)
            group.isolates.append(pupil.id);
        if (pupil.star)
            group.stars.append(pupil.id);
        group.unchosen += pupil.unchosen;
    }
    group.integration = ratio(1.0, group.unchosen);
}

} // namespace

QList<Sociometry::Status> Sociometry::allStatuses() {
    return {Status::Popular, Status::Rejected, Status::Neglected, Status::Controversial, Status::Average,
            Status::Unclassified};
}

QString Sociometry::statusKey(Status status) {
    switch (status) {
    case Status::Popular:
        return QStringLiteral("popular");
    case Status::Rejected:
        return QStringLiteral("rejected");
    case Status::Neglected:
        return QStringLiteral("neglected");
    case Status::Controversial:
        return QStringLiteral("controversial");
    case Status::Average:
        return QStringLiteral("average");
    case Status::Unclassified:
        break;
    }
    return QStringLiteral("unclassified");
}

QString Sociometry::statusName(Status status, bool feminine) {
    switch (status) {
    case Status::Popular:
        return feminine ? QStringLiteral("oblíbená") : QStringLiteral("oblíbený");
    case Status::Rejected:
        return feminine ? QStringLiteral("odmítaná") : QStringLiteral("odmítaný");
    case Status::Neglected:
        return feminine ? QStringLiteral("přehlížená") : QStringLiteral("přehlížený");
    case Status::Controversial:
        return QStringLiteral("kontroverzní");
    case Status::Average:
        return feminine ? QStringLiteral("průměrná") : QStringLiteral("průměrný");
    case Status::Unclassified:
        break;
    }
    return feminine ? QStringLiteral("nezařazená") : QStringLiteral("nezařazený");
}

QColor Sociometry::statusColour(Status status) {
    switch (status) {
    case Status::Popular:
        return QColor(0x2e, 0x9d, 0x3f); // green
    case Status::Rejected:
        return QColor(0xd6, 0x2d, 0x20); // red
    case Status::Neglected:
        return QColor(0x6c, 0x7a, 0x89); // slate grey
    case Status::Controversial:
        return QColor(0xe8, 0x8a, 0x00); // orange
    case Status::Average:
        return QColor(0x3a, 0x6e, 0xc6); // blue
    case Status::Unclassified:
        break;
    }
    return QColor(0xa0, 0xa0, 0xa0); // light grey
}

QString Sociometry::refusalForKind(const QVariant &typ) {
    bool ok = false;
    const int kind = typ.isNull() ? 0 : typ.toInt(&ok);
    if (!ok)
        return QString();
    if (kind >= 1 && kind <= 3)
        return QStringLiteral("Otázka je výběrem z možností, ne volbou spolužáků.");
    if (kind == 4)
        return QStringLiteral("Otázka je slovní.");
    return QString();
}

QString Sociometry::refusalForQuestion(const SessionOutputData &session, qint64 questionId) {
    const OutputQuestion *question = session.questionnaire.question(questionId);
    if (!question)
        return QStringLiteral("Otázka %1 nepatří do dotazníku vyhodnocení %2.")
            .arg(questionId)
            .arg(session.id);
    return refusalForKind(question->typ);
}

const AnalysisPupil *SociometricAnalysis::pupil(qint64 id) const {
    for (const AnalysisPupil &p : pupils)
        if (p.id == id)
            return &p;
    return nullptr;
}

QString SociometricAnalysis::nameOf(qint64 id) const {
    const AnalysisPupil *p = pupil(id);
    return p ? p->name : QString();
}

std::optional<SociometricAnalysis> Sociometry::analyse(const SessionOutputData &session, qint64 questionId,
                                                       QString *reason) {
    const QString refusal = refusalForQuestion(session, questionId);
    if (!refusal.isEmpty()) {
        setReason(reason, refusal);
        return std::nullopt;
    }
    const OutputQuestion *question = session.questionnaire.question(questionId);

    SociometricAnalysis result;
    result.sessionId = session.id;
    result.questionId = questionId;
    result.datum = session.datum;
    result.trida = session.trida;
    result.questionnaireName = session.questionnaire.name;
    result.questionText = question->textOtazky;
    result.negativeText = question->textOtazkyNegativni;
    result.negativeWording = !question->textOtazkyNegativni.trimmed().isEmpty();

    const ChoiceNetwork network = choiceNetwork(session, {questionId});
    const int n = int(network.people.size());
    result.n = n;
    for (int i = 0; i < n; ++i) {
        const OutputPupil &row = network.people[i];
        AnalysisPupil pupil;
        pupil.id = row.id;
        pupil.name = row.fullName();
        pupil.girl = PupilKinds::canonical(row.pohlavi) == PupilKinds::girl();
        pupil.absent = network.absent[i];
        for (int j = 0; j < n; ++j) {
            pupil.posGiven += network.positive[i][j];
            pupil.negGiven += network.negative[i][j];
            pupil.posReceived += network.positive[j][i];
            pupil.negReceived += network.negative[j][i];
        }
        result.pupils.append(pupil);
    }
    result.respondents = int(std::count(network.absent.cbegin(), network.absent.cend(), false));
    result.ignored = network.ignored;
    result.positiveChoices = network.positiveChoices;
    result.negativeChoices = network.negativeChoices;
    const Choices &positive = network.positive;
    const Choices &negative = network.negative;

    for (AnalysisPupil &pupil : result.pupils) {
        if (n < 2)
            break;
        const double others = n - 1;
        pupil.choiceStatus = pupil.posReceived / others;
        pupil.rejectionStatus = pupil.negReceived / others;
        pupil.socialStatusIndex = (pupil.posReceived - pupil.negReceived) / others;
        if (!pupil.absent)
            pupil.posExpansiveness = pupil.posGiven / others;
    }
    computeGroup(result, positive, negative);
    if (result.hasStatuses())
        computeStatuses(result);
    return result;
}

ChoiceNetwork Sociometry::choiceNetwork(const SessionOutputData &session,
                                                   const QList<qint64> &questionIds) {
    ChoiceNetwork network;
    for (const OutputPupil &row : session.roster)
        if (isPerson(row))
            network.people.append(row);
    std::stable_sort(network.people.begin(), network.people.end(), rosterBefore);
    QHash<qint64, int> position;
    for (const OutputPupil &row : std::as_const(network.people))
        position.insert(row.id, int(position.size()));
    const int n = int(network.people.size());
    network.absent = QList<bool>(n, true);
    for (const OutputAnswer &answer : session.answers) {
        const auto at = position.constFind(answer.respondent);
        if (at != position.cend())
            network.absent[*at] = false;
    }
    network.positive = network.negative = Choices(n, std::vector<bool>(n, false));
    for (const OutputAnswer &answer : session.answers) {
        if (!questionIds.contains(answer.question) || !answer.positive || answer.partner == 0)
            continue; // a free text, or no choice of either polarity
        const auto chooser = position.constFind(answer.respondent);
        const auto chosen = position.constFind(answer.partner);
        if (chooser == position.cend() || chosen == position.cend()) {
            ++network.ignored.notPerson;
            continue;
        }
        if (network.absent[*chooser]) {
            ++network.ignored.absentChooser;
            continue;
        }
        if (*chooser == *chosen) {
            ++network.ignored.selfChoice;
            continue;
        }
        Choices &choices = *answer.positive ? network.positive : network.negative;
        if (choices[*chooser][*chosen]) {
            ++network.ignored.duplicate;
            continue;
        }
        choices[*chooser][*chosen] = true;
        ++(*answer.positive ? network.positiveChoices : network.negativeChoices);
    }
    return network;
}

std::optional<SociometricAnalysis> Sociometry::analyse(Database &db, qint64 sessionId, qint64 questionId,
                                                       QString *reason) {
    const std::optional<SessionOutputData> session = readSessionOutput(db, sessionId, reason);
    if (!session)
        return std::nullopt;
    return analyse(*session, questionId, reason);
}
