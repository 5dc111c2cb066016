#include "analysis/AnalysisTexts.h"
#include "analysis/JsonText.h"
#include "analysis/grouping/Grouping.h"

namespace Grouping {

namespace {

using namespace JsonText;

QByteArray numbers(const QList<int> &values) {
    QList<QByteArray> items;
    for (int v : values)
        items << QByteArray::number(v);
    return jsonArray(items);
}

QString namesOf(const Result &result, const QList<qint64> &ids) {
    QStringList names;
    for (qint64 id : ids)
        if (const Placement *p = result.placement(id))
            names << p->name;
    return names.join(QStringLiteral(", "));
}

// "1 žák nemá", "2 žáci nemají", "5 žáků nemá".
QString pupils(int count, const char *one, const char *few, const char *many) {
    const char *form = count == 1 ? one : (count >= 2 && count <= 4 ? few : many);
    return QString::number(count) + u' ' + QString::fromUtf8(form);
}

} // namespace

QByteArray json(const Result &r) {
    QList<QByteArray> placements;
    for (const Placement &p : r.pupils) {
        JsonObject o;
        o.add("id", QByteArray::number(p.id))
            .add("name", jsonString(p.name))
            .add("group", QByteArray::number(p.group));
        o.add("honoured", jsonIds(p.honoured)).add("rejected_inside", jsonIds(p.rejectedInside));
        placements << o.text();
    }
    QList<QByteArray> pins;
    for (const auto &[id, group] : r.request.pins)
        pins << '[' + QByteArray::number(id) + ", " + QByteArray::number(group) + ']';
    JsonObject score;
    score.add("unmatched", QByteArray::number(r.score.unmatched))
        .add("unwanted", QByteArray::number(r.score.unwanted))
        .add("rejections_inside", QByteArray::number(r.score.rejectionsInside))
        .add("mutual_kept", QByteArray::number(r.score.mutualKept))
        .add("choices_honoured", QByteArray::number(r.score.choicesHonoured));
    JsonObject rules;
    rules.add("together", jsonPairs(r.request.together))
        .add("apart", jsonPairs(r.request.apart))
        .add("pins", jsonArray(pins))
        .add("balance_gender", jsonBool(r.request.balanceGender))
        .add("mutual_rejection_allowed", jsonBool(r.request.allowMutualRejection));
    JsonObject root;
    root.add("session", QByteArray::number(r.request.session))
        .add("questions", jsonIds(r.request.questions))
        .add("sizes", numbers(r.sizes))
        .add("seed", QByteArray::number(r.request.seed))
        .add("groups", jsonGroups(r.groups))
        .add("score", score.text())
        .add("pupils", jsonArray(placements))
        .add("rules", rules.text());
    return root.text() + '\n';
}

QStringList scoreSentences(const Result &r) {
    QStringList lines;
    if (r.score.unmatched == 0)
        lines << QStringLiteral("Každý žák má ve skupině aspoň jednoho spolužáka, kterého si vybral.");
    else
        lines << pupils(r.score.unmatched, "žák nemá ve skupině nikoho, koho si vybral",
                        "žáci nemají ve skupině nikoho, koho si vybrali",
                        "žáků nemá ve skupině nikoho, koho si vybrali") +
                     QStringLiteral(": ") + namesOf(r, r.unmatched) + u'.';
    if (r.score.unwanted > 0)
        lines << pupils(r.score.unwanted,
                        "žák, který nikoho nevybral, nemá ve skupině nikoho, kdo by si ho vybral",
                        "žáci, kteří nikoho nevybrali, nemají ve skupině nikoho, kdo by si je vybral",
                        "žáků, kteří nikoho nevybrali, nemá ve skupině nikoho, kdo by si je vybral") +
                     QStringLiteral(": ") + namesOf(r, r.unwanted) + u'.';
    lines << (r.score.rejectionsInside == 0
                  ? QStringLiteral("Nikdo není ve skupině se spolužákem, kterého odmítl.")
                  : QStringLiteral("Odmítnutí uvnitř skupin: %1.").arg(r.score.rejectionsInside));
    lines << QStringLiteral("Vzájemné volby zachované ve skupinách: %1; splněné volby: %2.")
                 .arg(r.score.mutualKept)
                 .arg(r.score.choicesHonoured);
    return lines;
}

QString text(const Result &r) {
    QStringList lines;
    for (qsizetype g = 0; g < r.groups.size(); ++g)
        lines << QStringLiteral("Skupina %1 (%2): %3")
                     .arg(g + 1)
                     .arg(r.groups[g].size())
                     .arg(namesOf(r, r.groups[g]));
    lines << QString() << scoreSentences(r);
    return lines.join(u'\n') + u'\n';
}

QByteArray csv(const Result &r) {
    QList<QStringList> rows;
    for (qsizetype g = 0; g < r.groups.size(); ++g)
        for (qint64 id : r.groups[g])
            if (const Placement *p = r.placement(id))
                rows << QStringList{QString::number(g + 1), QString::number(p->id), p->name,
                                    namesOf(r, p->honoured), namesOf(r, p->rejectedInside)};
    return AnalysisTexts::csvTable({QStringLiteral("Skupina"), QStringLiteral("ID"), QStringLiteral("Žák"),
                                    QStringLiteral("Vybraní ve skupině"),
                                    QStringLiteral("Odmítnutí ve skupině")},
                                   rows);
}

} // namespace Grouping
