#include "analysis/grouping/Grouping.h"

#include "analysis/SociometricAnalysis.h"
#include "data/PupilKinds.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <random>

namespace Grouping {

// The class as the search sees it: people by roster position, their choices, and the teacher's rules
// turned into units (pupils kept together move as one) and forbidden pairs.
struct Problem {
    int n = 0;
    QList<OutputPupil> people;
    std::vector<char> girl;
    std::vector<std::vector<int>> wishes, chosenBy, rejects;
    std::vector<std::pair<int, int>> mutual;    // mutual positive pairs
    std::vector<std::pair<int, int>> forbidden; // must not share a group: the apart rules first,
    int apartRules = 0;                         // then the mutual rejections
    QList<int> sizes;
    int girls = 0;
    std::vector<std::vector<int>> units; // members by roster position
    std::vector<int> unitPin;            // 0-based group, or -1
};

namespace {

void setReason(QString *reason, const QString &text) {
    if (reason)
        *reason = text;
}

struct Evaluation {
    Score score;
    double violations = 0;
    // What the annealing lowers: the levels weighed so that a higher level mostly outweighs a lower one;
    // `rejectionWeight` varies between restarts, which then look at different trade-offs.
    double energy(double rejectionWeight) const {
        return 1000 * violations + 100 * score.unmatched + 30 * score.unwanted +
               rejectionWeight * score.rejectionsInside - 3 * score.mutualKept - score.choicesHonoured;
    }
    bool betterThan(const Evaluation &other) const {
        if (violations != other.violations)
            return violations < other.violations;
        return score.betterThan(other.score);
    }
};

// Per group: how far its girls are from their share of its size (balance asks at most 1).
std::vector<double> girlDeviations(const Problem &p, const std::vector<int> &groupOf) {
    std::vector<int> girls(p.sizes.size(), 0), size(p.sizes.size(), 0);
    for (int i = 0; i < p.n; ++i) {
        girls[groupOf[i]] += p.girl[i];
        ++size[groupOf[i]];
    }
    std::vector<double> deviations;
    for (std::size_t g = 0; g < girls.size(); ++g)
        deviations.push_back(std::abs(girls[g] - double(p.girls) * size[g] / p.n));
    return deviations;
}

Evaluation evaluate(const Problem &p, const std::vector<int> &groupOf) {
    Evaluation e;
    Score &s = e.score;
    for (int i = 0; i < p.n; ++i) {
        int honoured = 0;
        for (int j : p.wishes[i])
            honoured += groupOf[j] == groupOf[i];
        s.choicesHonoured += honoured;
        if (!p.wishes[i].empty() && honoured == 0)
            ++s.unmatched;
        if (p.wishes[i].empty() && std::none_of(p.chosenBy[i].begin(), p.chosenBy[i].end(),
                                                [&](int j) { return groupOf[j] == groupOf[i]; }))
            ++s.unwanted;
        for (int j : p.rejects[i])
            s.rejectionsInside += groupOf[j] == groupOf[i];
    }
    for (const auto &[a, b] : p.mutual)
        s.mutualKept += groupOf[a] == groupOf[b];
    for (const auto &[a, b] : p.forbidden)
        e.violations += groupOf[a] == groupOf[b];
    if (p.girls > 0) {
        const std::vector<double> deviations = girlDeviations(p, groupOf);
        for (double deviation : deviations)
            e.violations += std::max(0.0, deviation - 1 - 1e-9);
    }
    return e;
}

// The search over units: a move swaps a unit with units of the same total size from another group, so
// every group keeps its size; simulated annealing, restarted, with a fixed seed.
class Search {
public:
    Search(const Problem &problem, quint32 seed, const Progress &progress)
        : m_p(problem), m_random(seed), m_progress(progress) {}

    // False when the units cannot be packed into the groups at all.
    bool run(std::vector<int> *best, Evaluation *bestEvaluation) {
        const int restarts = 6;
        const int steps = std::min(200000, 20000 + 2500 * m_p.n);
        bool found = false;
        for (int r = 0; r < restarts; ++r) {
            if (!start())
                continue;
            const double rejectionWeight = r % 2 ? 25 : 10;
            Evaluation current = evaluate(m_p, people());
            Evaluation localBest = current;
            std::vector<int> localBestUnits = m_groupOf;
            const double hot = 60, cold = 0.05;
            bool stopped = false;
            for (int step = 0; step < steps; ++step) {
                if (m_progress && step % 2000 == 0 &&
                    !m_progress(int((qint64(r) * steps + step) * 1000 / (qint64(restarts) * steps)))) {
                    stopped = true;
                    break;
                }
                const double t = hot * std::pow(cold / hot, double(step) / steps);
                Move move;
                if (!propose(&move))
                    continue;
                apply(move);
                const Evaluation next = evaluate(m_p, people());
                const double delta = next.energy(rejectionWeight) - current.energy(rejectionWeight);
                if (delta <= 0 ||
                    std::uniform_real_distribution<double>(0, 1)(m_random) < std::exp(-delta / t)) {
                    current = next;
                    if (current.betterThan(localBest)) {
                        localBest = current;
                        localBestUnits = m_groupOf;
                    }
                } else {
                    undo(move);
                }
            }
            m_groupOf = localBestUnits;
            polish(&localBest);
            if (!found || localBest.betterThan(*bestEvaluation)) {
                *best = people();
                *bestEvaluation = localBest;
                found = true;
            }
            if (stopped)
                break;
        }
        return found;
    }

private:
    struct Move {
        int unit = 0;
        std::vector<int> others;
        int from = 0, to = 0;
    };

    int unitSize(int u) const { return int(m_p.units[u].size()); }

    // Swaps of two free units of one size between groups, each kept when it betters the score as compared
    // level by level, until none does: what the annealing left on the lower levels.
    void polish(Evaluation *evaluation) {
        const int units = int(m_p.units.size());
        for (bool improved = true; improved;) {
            improved = false;
            for (int u = 0; u < units; ++u)
                for (int v = u + 1; v < units; ++v) {
                    if (m_p.unitPin[u] >= 0 || m_p.unitPin[v] >= 0 || m_groupOf[u] == m_groupOf[v] ||
                        unitSize(u) != unitSize(v))
                        continue;
                    std::swap(m_groupOf[u], m_groupOf[v]);
                    const Evaluation next = evaluate(m_p, people());
                    if (next.betterThan(*evaluation)) {
                        *evaluation = next;
                        improved = true;
                    } else {
                        std::swap(m_groupOf[u], m_groupOf[v]);
                    }
                }
        }
        m_members.assign(m_members.size(), {});
        for (int u = 0; u < units; ++u)
            m_members[m_groupOf[u]].push_back(u);
    }

    // Pinned units in their groups, then the larger units first into groups with room, in random order.
    bool start() {
        const int groups = int(m_p.sizes.size());
        m_groupOf.assign(m_p.units.size(), -1);
        m_members.assign(groups, {});
        std::vector<int> room(m_p.sizes.begin(), m_p.sizes.end());
        std::vector<int> order(m_p.units.size());
        std::iota(order.begin(), order.end(), 0);
        std::shuffle(order.begin(), order.end(), m_random);
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return unitSize(a) > unitSize(b); });
        for (int u : order)
            if (m_p.unitPin[u] >= 0)
                place(u, m_p.unitPin[u], room);
        for (int u : order) {
            if (m_p.unitPin[u] >= 0)
                continue;
            std::vector<int> candidates;
            for (int g = 0; g < groups; ++g)
                if (room[g] >= unitSize(u))
                    candidates.push_back(g);
            if (candidates.empty())
                return false;
            // The group with the most room keeps the packing possible for the units still to come.
            const int g = *std::max_element(candidates.begin(), candidates.end(),
                                            [&](int a, int b) { return room[a] < room[b]; });
            place(u, g, room);
        }
        return true;
    }
    void place(int u, int g, std::vector<int> &room) {
        m_groupOf[u] = g;
        m_members[g].push_back(u);
        room[g] -= unitSize(u);
    }
    std::vector<int> people() const {
        std::vector<int> groupOf(m_p.n, 0);
        for (std::size_t u = 0; u < m_p.units.size(); ++u)
            for (int i : m_p.units[u])
                groupOf[i] = m_groupOf[u];
        return groupOf;
    }
    bool propose(Move *move) {
        const int units = int(m_p.units.size());
        const int groups = int(m_members.size());
        if (groups < 2)
            return false;
        move->unit = std::uniform_int_distribution<int>(0, units - 1)(m_random);
        if (m_p.unitPin[move->unit] >= 0)
            return false;
        move->from = m_groupOf[move->unit];
        move->to = std::uniform_int_distribution<int>(0, groups - 2)(m_random);
        if (move->to >= move->from)
            ++move->to;
        // Units of the other group, free to move, in random order, taken while they fit the size exactly.
        std::vector<int> free;
        for (int v : m_members[move->to])
            if (m_p.unitPin[v] < 0)
                free.push_back(v);
        std::shuffle(free.begin(), free.end(), m_random);
        int needed = unitSize(move->unit);
        move->others.clear();
        for (int v : free) {
            if (unitSize(v) <= needed) {
                move->others.push_back(v);
                needed -= unitSize(v);
            }
            if (needed == 0)
                break;
        }
        return needed == 0;
    }
    void shift(int u, int from, int to) {
        auto &list = m_members[from];
        list.erase(std::find(list.begin(), list.end(), u));
        m_members[to].push_back(u);
        m_groupOf[u] = to;
    }
    void apply(const Move &move) {
        shift(move.unit, move.from, move.to);
        for (int v : move.others)
            shift(v, move.to, move.from);
    }
    void undo(const Move &move) {
        shift(move.unit, move.to, move.from);
        for (int v : move.others)
            shift(v, move.from, move.to);
    }

    const Problem &m_p;
    std::mt19937 m_random;
    const Progress &m_progress;
    std::vector<int> m_groupOf;              // by unit
    std::vector<std::vector<int>> m_members; // units by group
};

int find(std::vector<int> &parent, int i) {
    while (parent[i] != i)
        i = parent[i] = parent[parent[i]];
    return i;
}

QString names(const Problem &p, const std::vector<int> &members) {
    QStringList list;
    for (int i : members)
        list << p.people[i].fullName();
    if (list.size() < 2)
        return list.value(0);
    const QString last = list.takeLast();
    return list.join(QStringLiteral(", ")) + QStringLiteral(" a ") + last;
}

// The teacher's rules as units and forbidden pairs; the Czech sentence of the first conflict otherwise.
QString applyRules(Problem &p, const Request &request, const QHash<qint64, int> &position) {
    const int groups = int(p.sizes.size());
    std::vector<int> parent(p.n);
    std::iota(parent.begin(), parent.end(), 0);
    for (const auto &[a, b] : request.together)
        parent[find(parent, position.value(a))] = find(parent, position.value(b));
    const auto both = [&](int a, int b) { return names(p, {std::min(a, b), std::max(a, b)}); };
    for (const auto &[ida, idb] : request.apart) {
        const int a = position.value(ida), b = position.value(idb);
        if (find(parent, a) == find(parent, b))
            return QStringLiteral("Žáci %1 mají být spolu i zvlášť.").arg(both(a, b));
        p.forbidden.push_back({a, b});
    }
    p.apartRules = int(p.forbidden.size());
    if (!request.allowMutualRejection)
        for (int a = 0; a < p.n; ++a)
            for (int b : p.rejects[a])
                if (a < b && std::find(p.rejects[b].begin(), p.rejects[b].end(), a) != p.rejects[b].end()) {
                    if (find(parent, a) == find(parent, b))
                        return QStringLiteral(
                                   "Žáci %1 mají být spolu, ale navzájem se odmítli; spolu je lze dát "
                                   "jen s volbou „povolit vzájemně odmítající se ve skupině“.")
                            .arg(both(a, b));
                    p.forbidden.push_back({a, b});
                }
    std::vector<int> pin(p.n, -1);
    for (const auto &[id, group] : request.pins) {
        const int i = position.value(id);
        if (group < 1 || group > groups)
            return QStringLiteral("Skupina %1 neexistuje (skupin je %2): %3 do ní nelze připnout.")
                .arg(group)
                .arg(groups)
                .arg(p.people[i].fullName());
        if (pin[i] >= 0 && pin[i] != group - 1)
            return QStringLiteral("Žák %1 je připnut do skupin %2 a %3.")
                .arg(p.people[i].fullName())
                .arg(pin[i] + 1)
                .arg(group);
        pin[i] = group - 1;
    }
    QHash<int, int> unitOfRoot;
    for (int i = 0; i < p.n; ++i) {
        const int root = find(parent, i);
        if (!unitOfRoot.contains(root)) {
            unitOfRoot.insert(root, int(p.units.size()));
            p.units.push_back({});
            p.unitPin.push_back(-1);
        }
        const int u = unitOfRoot.value(root);
        p.units[u].push_back(i);
        if (pin[i] >= 0) {
            if (p.unitPin[u] >= 0 && p.unitPin[u] != pin[i]) {
                const int other = *std::find_if(p.units[u].begin(), p.units[u].end(),
                                                [&](int j) { return pin[j] == p.unitPin[u]; });
                return QStringLiteral("Žáci %1 mají být spolu, ale jsou připnuti do skupin %2 a %3.")
                    .arg(both(other, i))
                    .arg(p.unitPin[u] + 1)
                    .arg(pin[i] + 1);
            }
            p.unitPin[u] = pin[i];
        }
    }
    const int largest = *std::max_element(p.sizes.begin(), p.sizes.end());
    std::vector<int> pinned(groups, 0);
    for (std::size_t u = 0; u < p.units.size(); ++u) {
        const int size = int(p.units[u].size());
        const int room = p.unitPin[u] >= 0 ? p.sizes[p.unitPin[u]] : largest;
        if (size > room)
            return QStringLiteral("Žáci %1 mají být spolu, ale %2 má jen %3 míst.")
                .arg(names(p, p.units[u]), p.unitPin[u] >= 0
                                               ? QStringLiteral("skupina %1").arg(p.unitPin[u] + 1)
                                               : QStringLiteral("největší skupina"))
                .arg(room);
        if (p.unitPin[u] >= 0 && (pinned[p.unitPin[u]] += size) > p.sizes[p.unitPin[u]])
            return QStringLiteral("Do skupiny %1 je připnuto víc žáků, než kolik má míst (%2).")
                .arg(p.unitPin[u] + 1)
                .arg(p.sizes[p.unitPin[u]]);
    }
    for (const auto &[a, b] : p.forbidden) {
        const int ua = unitOfRoot.value(find(parent, a)), ub = unitOfRoot.value(find(parent, b));
        if (p.unitPin[ua] >= 0 && p.unitPin[ua] == p.unitPin[ub])
            return QStringLiteral("Žáci %1 mají být zvlášť, ale oba jsou ve skupině %2 (spolu s připnutými).")
                .arg(both(a, b))
                .arg(p.unitPin[ua] + 1);
    }
    return QString();
}

// Groups in their final order: a group with a pin keeps its number; among the others of one size the one
// whose first member comes first in the roster comes first. Members in roster order.
QList<QList<int>> ordered(const Problem &p, const std::vector<int> &groupOf) {
    const int groups = int(p.sizes.size());
    std::vector<std::vector<int>> members(groups);
    for (int i = 0; i < p.n; ++i)
        members[groupOf[i]].push_back(i);
    std::vector<char> pinned(groups, 0);
    for (std::size_t u = 0; u < p.units.size(); ++u)
        if (p.unitPin[u] >= 0)
            pinned[p.unitPin[u]] = 1;
    QList<QList<int>> result(groups);
    for (const int size : QSet<int>(p.sizes.begin(), p.sizes.end())) {
        std::vector<int> places;
        for (int g = 0; g < groups; ++g)
            if (p.sizes[g] == size && !pinned[g])
                places.push_back(g);
        std::vector<int> byFirst = places;
        std::sort(byFirst.begin(), byFirst.end(), [&](int a, int b) {
            const int fa = members[a].empty() ? p.n : members[a].front();
            const int fb = members[b].empty() ? p.n : members[b].front();
            return fa < fb;
        });
        for (std::size_t k = 0; k < places.size(); ++k)
            result[places[k]] = QList<int>(members[byFirst[k]].begin(), members[byFirst[k]].end());
    }
    for (int g = 0; g < groups; ++g)
        if (pinned[g])
            result[g] = QList<int>(members[g].begin(), members[g].end());
    return result;
}

// Each person's group (0-based) by roster position; every person is in `groups` once.
std::vector<int> groupsOf(const Problem &p, const QList<QList<qint64>> &groups) {
    QHash<qint64, int> position;
    for (int i = 0; i < p.n; ++i)
        position.insert(p.people[i].id, i);
    std::vector<int> groupOf(p.n, 0);
    for (qsizetype g = 0; g < groups.size(); ++g)
        for (qint64 id : groups[g])
            groupOf[position.value(id)] = int(g);
    return groupOf;
}

} // namespace

QList<int> sizesFor(const Request &request, int people, QString *reason) {
    QList<int> sizes;
    switch (request.mode) {
    case SizeMode::Groups:
        if (request.groups < 1 || request.groups > people) {
            setReason(reason, QStringLiteral("Počet skupin musí být od 1 do %1 (počtu žáků).").arg(people));
            return {};
        }
        for (int g = 0; g < request.groups; ++g)
            sizes << people / request.groups + (g < people % request.groups ? 1 : 0);
        return sizes;
    case SizeMode::Sizes: {
        const int sum = std::accumulate(request.sizes.begin(), request.sizes.end(), 0);
        if (request.sizes.isEmpty() || *std::min_element(request.sizes.begin(), request.sizes.end()) < 1 ||
            sum != people) {
            setReason(reason,
                      QStringLiteral("Velikosti skupin musí být kladná čísla se součtem %1 (počet žáků); "
                                     "zadaný součet je %2.")
                          .arg(people)
                          .arg(sum));
            return {};
        }
        return request.sizes;
    }
    case SizeMode::Pairs:
        if (people < 2) {
            setReason(reason, QStringLiteral("Do dvojic je třeba aspoň dvou žáků."));
            return {};
        }
        if (people % 2)
            sizes << 3;
        while (std::accumulate(sizes.begin(), sizes.end(), 0) < people)
            sizes << 2;
        return sizes;
    }
    return sizes;
}

std::optional<Result> arrange(const SessionOutputData &session, const Request &request, QString *reason,
                              const Progress &progress) {
    if (request.questions.isEmpty()) {
        setReason(reason, QStringLiteral("Zvolte aspoň jednu otázku."));
        return std::nullopt;
    }
    for (qint64 questionId : request.questions) {
        const QString refusal = Sociometry::refusalForQuestion(session, questionId);
        if (!refusal.isEmpty()) {
            setReason(reason, refusal);
            return std::nullopt;
        }
    }
    const ChoiceNetwork network = Sociometry::choiceNetwork(session, request.questions);
    Problem p;
    p.people = network.people;
    p.n = int(p.people.size());
    QHash<qint64, int> position;
    for (int i = 0; i < p.n; ++i)
        position.insert(p.people[i].id, i);
    QList<qint64> named;
    for (const auto &[a, b] : request.together + request.apart)
        named << a << b;
    for (const auto &[id, group] : request.pins)
        named << id;
    for (qint64 id : named)
        if (!position.contains(id)) {
            setReason(reason,
                      QStringLiteral("Žák %1 není žákem třídy vyhodnocení %2.").arg(id).arg(session.id));
            return std::nullopt;
        }
    p.sizes = sizesFor(request, p.n, reason);
    if (p.sizes.isEmpty())
        return std::nullopt;
    p.wishes.resize(p.n);
    p.chosenBy.resize(p.n);
    p.rejects.resize(p.n);
    for (int i = 0; i < p.n; ++i) {
        p.girl.push_back(p.people[i].pohlavi.trimmed().compare(PupilKinds::girl(), Qt::CaseInsensitive) == 0);
        p.girls += p.girl.back();
        for (int j = 0; j < p.n; ++j) {
            if (network.positive[i][j]) {
                p.wishes[i].push_back(j);
                p.chosenBy[j].push_back(i);
                if (i < j && network.positive[j][i])
                    p.mutual.push_back({i, j});
            }
            if (network.negative[i][j])
                p.rejects[i].push_back(j);
        }
    }
    if (!request.balanceGender)
        p.girls = 0; // no balance term
    const QString conflict = applyRules(p, request, position);
    if (!conflict.isEmpty()) {
        setReason(reason, conflict);
        return std::nullopt;
    }

    std::vector<int> best;
    Evaluation evaluation;
    if (!Search(p, request.seed, progress).run(&best, &evaluation)) {
        setReason(reason,
                  QStringLiteral("Žáky, kteří mají být spolu, nelze do skupin těchto velikostí rozmístit."));
        return std::nullopt;
    }
    if (evaluation.violations > 0) {
        setReason(reason,
                  QStringLiteral("Pravidla nelze splnit všechna najednou (žáci, kteří mají být zvlášť%1); "
                                 "zkuste některé z nich vynechat.")
                      .arg(request.balanceGender ? QStringLiteral(", vyrovnaný počet dívek") : QString()));
        return std::nullopt;
    }

    Result result;
    result.request = request;
    result.trida = session.trida;
    result.datum = session.datum;
    result.questionnaireName = session.questionnaire.name;
    for (qint64 questionId : request.questions)
        result.questionTexts << session.questionnaire.question(questionId)->textOtazky;
    result.problem = std::make_shared<const Problem>(std::move(p));
    QList<QList<qint64>> groups;
    for (const QList<int> &members : ordered(*result.problem, best)) {
        groups.append(QList<qint64>());
        for (int i : members)
            groups.back() << result.problem->people[i].id;
    }
    return regroup(result, groups);
}

Result regroup(const Result &base, const QList<QList<qint64>> &groups) {
    const Problem &p = *base.problem;
    Result result = base;
    result.groups = groups;
    result.sizes.clear();
    result.pupils.clear();
    result.unmatched.clear();
    result.unwanted.clear();
    const std::vector<int> groupOf = groupsOf(p, groups);
    for (const QList<qint64> &members : groups)
        result.sizes << int(members.size());
    result.score = evaluate(p, groupOf).score;
    for (int i = 0; i < p.n; ++i) {
        Placement placement;
        placement.id = p.people[i].id;
        placement.name = p.people[i].fullName();
        placement.group = groupOf[i] + 1;
        for (int j = 0; j < p.n; ++j) {
            if (groupOf[j] != groupOf[i])
                continue;
            if (std::find(p.wishes[i].begin(), p.wishes[i].end(), j) != p.wishes[i].end())
                placement.honoured << p.people[j].id;
            if (std::find(p.rejects[i].begin(), p.rejects[i].end(), j) != p.rejects[i].end())
                placement.rejectedInside << p.people[j].id;
        }
        if (!p.wishes[i].empty() && placement.honoured.isEmpty())
            result.unmatched << placement.id;
        if (p.wishes[i].empty() && std::none_of(p.chosenBy[i].begin(), p.chosenBy[i].end(),
                                                [&](int j) { return groupOf[j] == groupOf[i]; }))
            result.unwanted << placement.id;
        result.pupils << placement;
    }
    return result;
}

QStringList brokenRules(const Result &result) {
    const Problem &p = *result.problem;
    const std::vector<int> groupOf = groupsOf(p, result.groups);
    const auto both = [&](int a, int b) { return names(p, {std::min(a, b), std::max(a, b)}); };
    QStringList broken;
    for (const std::vector<int> &unit : p.units)
        for (int i : unit)
            if (groupOf[i] != groupOf[unit.front()]) {
                broken << QStringLiteral("Žáci %1 mají být spolu.").arg(names(p, unit));
                break;
            }
    for (std::size_t k = 0; k < p.forbidden.size(); ++k) {
        const auto [a, b] = p.forbidden[k];
        if (groupOf[a] == groupOf[b])
            broken << (int(k) < p.apartRules
                           ? QStringLiteral("Žáci %1 mají být zvlášť.").arg(both(a, b))
                           : QStringLiteral("Žáci %1 se navzájem odmítli a jsou ve skupině spolu.")
                                 .arg(both(a, b)));
    }
    for (std::size_t u = 0; u < p.units.size(); ++u)
        for (int i : p.units[u])
            if (p.unitPin[u] >= 0 && groupOf[i] != p.unitPin[u])
                broken << QStringLiteral("%1 má být ve skupině %2.")
                              .arg(p.people[i].fullName())
                              .arg(p.unitPin[u] + 1);
    if (p.girls > 0) {
        const std::vector<double> deviations = girlDeviations(p, groupOf);
        for (std::size_t g = 0; g < deviations.size(); ++g)
            if (deviations[g] > 1 + 1e-9)
                broken << QStringLiteral("Ve skupině %1 není vyrovnaný počet dívek.").arg(g + 1);
    }
    return broken;
}

const Placement *Result::placement(qint64 id) const {
    for (const Placement &p : pupils)
        if (p.id == id)
            return &p;
    return nullptr;
}

std::optional<Result> arrange(Database &db, const Request &request, QString *reason,
                              const Progress &progress) {
    const std::optional<SessionOutputData> session = readSessionOutput(db, request.session, reason);
    if (!session)
        return std::nullopt;
    return arrange(*session, request, reason, progress);
}

} // namespace Grouping
