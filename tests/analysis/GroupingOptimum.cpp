#include "GroupingOptimum.h"

#include "analysis/SociometricAnalysis.h"
#include "data/PupilKinds.h"

#include <QJsonDocument>
#include <QProcess>

namespace GroupingOptimum {

QJsonObject problem(const SessionOutputData &session, const Grouping::Request &request) {
    const ChoiceNetwork network = Sociometry::choiceNetwork(session, request.questions);
    const int n = int(network.people.size());
    QHash<qint64, int> position;
    for (int i = 0; i < n; ++i)
        position.insert(network.people[i].id, i);
    QJsonArray wishes, rejects, girls, together, apart, pins, sizes;
    for (int i = 0; i < n; ++i) {
        QJsonArray w, r;
        for (int j = 0; j < n; ++j) {
            if (network.positive[i][j])
                w.append(j);
            if (network.negative[i][j])
                r.append(j);
        }
        wishes.append(w);
        rejects.append(r);
        girls.append(network.people[i].pohlavi.trimmed().compare(PupilKinds::girl(), Qt::CaseInsensitive) == 0
                         ? 1
                         : 0);
    }
    for (const auto &[a, b] : request.together)
        together.append(QJsonArray{position.value(a), position.value(b)});
    for (const auto &[a, b] : request.apart)
        apart.append(QJsonArray{position.value(a), position.value(b)});
    for (const auto &[id, group] : request.pins)
        pins.append(QJsonArray{position.value(id), group - 1});
    for (int size : Grouping::sizesFor(request, n, nullptr))
        sizes.append(size);
    return {{"n", n},
            {"sizes", sizes},
            {"wishes", wishes},
            {"rejects", rejects},
            {"girls", girls},
            {"balance", request.balanceGender},
            {"together", together},
            {"apart", apart},
            {"pins", pins},
            {"mutual_rejection_allowed", request.allowMutualRejection}};
}

QList<Optimum> solve(const QJsonArray &problems, int seconds, QString *error) {
    QProcess solver;
    solver.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral(GROUPING_OPTIMUM), QString::number(seconds)});
    if (!solver.waitForStarted()) {
        *error = QStringLiteral("python3 cannot be started");
        return {};
    }
    solver.write(QJsonDocument(problems).toJson(QJsonDocument::Compact));
    solver.closeWriteChannel();
    if (!solver.waitForFinished(-1) || solver.exitCode() != 0) {
        *error = QString::fromUtf8(solver.readAllStandardError());
        return {};
    }
    QList<Optimum> optima;
    for (const QByteArray &line : solver.readAllStandardOutput().trimmed().split('\n')) {
        const QJsonObject answer = QJsonDocument::fromJson(line).object();
        Optimum optimum;
        if (answer.contains(QStringLiteral("unsat"))) {
            optimum.kind = Optimum::Kind::NoArrangement;
        } else if (answer.contains(QStringLiteral("key"))) {
            optimum.kind = Optimum::Kind::Proven;
            for (int level = 0; level < 5; ++level)
                optimum.key[level] = answer.value(QStringLiteral("key")).toArray().at(level).toInt();
        }
        optima << optimum;
    }
    if (optima.size() != problems.size()) {
        *error =
            QStringLiteral("the solver answered %1 of %2 problems").arg(optima.size()).arg(problems.size());
        return {};
    }
    return optima;
}

} // namespace GroupingOptimum
