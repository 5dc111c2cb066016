#include "analysis/AnalysisTexts.h"

#include "analysis/JsonText.h"
#include "files/CsvCell.h"

#include <QDateTime>

#include <cmath>

namespace {

using Sociometry::Status;
using namespace JsonText;

QByteArray pupilJson(const AnalysisPupil &p) {
    JsonObject o;
    o.add("id", QByteArray::number(p.id)).add("name", jsonString(p.name)).add("absent", jsonBool(p.absent));
    o.add("pos_received", QByteArray::number(p.posReceived)).add("neg_received", QByteArray::number(p.negReceived));
    o.add("pos_given", QByteArray::number(p.posGiven)).add("neg_given", QByteArray::number(p.negGiven));
    o.add("mutual_pos", QByteArray::number(p.mutualPos)).add("mutual_neg", QByteArray::number(p.mutualNeg));
    o.add("choice_status", jsonNumber(p.choiceStatus)).add("rejection_status", jsonNumber(p.rejectionStatus));
    o.add("social_status_index", jsonNumber(p.socialStatusIndex));
    o.add("pos_expansiveness", jsonNumber(p.posExpansiveness));
    o.add("z_lm", jsonNumber(p.zLm)).add("z_ll", jsonNumber(p.zLl));
    o.add("sp", jsonNumber(p.sp)).add("si", jsonNumber(p.si));
    o.add("status", p.status ? jsonString(Sociometry::statusKey(*p.status)) : QByteArray("null"));
    o.add("isolate", jsonBool(p.isolate)).add("unchosen", jsonBool(p.unchosen)).add("star", jsonBool(p.star));
    return o.text();
}

QByteArray groupJson(const AnalysisGroup &g) {
    JsonObject o;
    o.add("mutual_pos_pairs", QByteArray::number(g.mutualPosPairs));
    o.add("mutual_neg_pairs", QByteArray::number(g.mutualNegPairs));
    o.add("cohesion", jsonNumber(g.cohesion)).add("tension", jsonNumber(g.tension));
    o.add("coherence", jsonNumber(g.coherence)).add("dyad_reciprocity", jsonNumber(g.dyadReciprocity));
    o.add("density_pos", jsonNumber(g.densityPos)).add("expansiveness_pos", jsonNumber(g.expansivenessPos));
    o.add("mutuality_share", jsonNumber(g.mutualityShare));
    o.add("mutual_pairs_per_member", jsonNumber(g.mutualPairsPerMember));
    o.add("isolates", jsonIds(g.isolates)).add("stars", jsonIds(g.stars));
    o.add("unchosen", QByteArray::number(g.unchosen)).add("integration", jsonNumber(g.integration));
    if (g.statusCounts) {
        JsonObject counts;
        const QList<Status> statuses = Sociometry::allStatuses();
        for (int i = 0; i < statuses.size(); ++i)
            counts.add(Sociometry::statusKey(statuses[i]).toLatin1().constData(),
                       QByteArray::number(g.statusCounts->at(i)));
        o.add("status_counts", counts.text());
    } else {
        o.add("status_counts", "null");
    }
    return o.text();
}

} // namespace

QString AnalysisTexts::classLine(const OutputClass &trida) {
    QStringList place;
    for (const QString &part : {trida.skola, trida.stupen, trida.tridniUcitel})
        if (!part.trimmed().isEmpty())
            place << part.trimmed();
    return place.join(QStringLiteral(", "));
}

QString AnalysisTexts::dateText(const QVariant &datum) {
    const QDate date = datum.toDate();
    return date.isValid() ? date.toString(QStringLiteral("d. M. yyyy")) : QString();
}

// The figures ("-0,81") stay numbers, a name or a note that a spreadsheet would take for a formula is
// neutralised.
QByteArray AnalysisTexts::csvTable(const QStringList &columns, const QList<QStringList> &rows) {
    QStringList lines;
    for (const QStringList &cells : QList<QStringList>{columns} + rows) {
        QStringList line;
        for (const QString &cell : cells)
            line << CsvCell::of(cell, u';');
        lines << line.join(u';');
    }
    return QByteArray("\xEF\xBB\xBF") + lines.join(QStringLiteral("\r\n")).toUtf8() + "\r\n";
}

QString AnalysisTexts::figure(const std::optional<double> &value, int decimals) {
    if (!value)
        return QStringLiteral("–");
    double rounded = std::round(*value * std::pow(10.0, decimals)) / std::pow(10.0, decimals);
    if (rounded == 0)
        rounded = 0;
    QString text = QString::number(rounded, 'f', decimals);
    if (text.contains(u'.')) {
        while (text.endsWith(u'0'))
            text.chop(1);
        if (text.endsWith(u'.'))
            text.chop(1);
    }
    return text.replace(u'.', u',');
}

QList<AnalysisTexts::IndexLine> AnalysisTexts::groupIndices(const SociometricAnalysis &a) {
    const AnalysisGroup &g = a.group;
    auto count = [](int value) { return std::optional<double>(value); };
    return {
        {QStringLiteral("mutual_pos_pairs"), QStringLiteral("Vzájemné pozitivní dvojice"),
         QStringLiteral("počet dvojic žáků, kteří si navzájem vybrali v pozitivním znění"), count(g.mutualPosPairs), true},
        {QStringLiteral("mutual_neg_pairs"), QStringLiteral("Vzájemné negativní dvojice"),
         QStringLiteral("počet dvojic žáků, kteří se navzájem odmítli v negativním znění"), count(g.mutualNegPairs), true},
        {QStringLiteral("cohesion"), QStringLiteral("Soudržnost"),
         QStringLiteral("podíl vzájemných pozitivních voleb ze všech možných dvojic"), g.cohesion},
        {QStringLiteral("tension"), QStringLiteral("Napětí"),
         QStringLiteral("podíl vzájemných negativních voleb ze všech možných dvojic"), g.tension},
        {QStringLiteral("coherence"), QStringLiteral("Koherence"),
         QStringLiteral("podíl pozitivních voleb, které byly opětovány"), g.coherence},
        {QStringLiteral("dyad_reciprocity"), QStringLiteral("Reciprocita dvojic"),
         QStringLiteral("podíl vzájemných dvojic ze všech dvojic spojených aspoň jednou pozitivní volbou"),
         g.dyadReciprocity},
        {QStringLiteral("density_pos"), QStringLiteral("Hustota pozitivních voleb"),
         QStringLiteral("podíl pozitivních voleb ze všech možných voleb"), g.densityPos},
        {QStringLiteral("expansiveness_pos"), QStringLiteral("Expanzivita"),
         QStringLiteral("průměrný počet pozitivních voleb na jednoho odpovídajícího žáka"), g.expansivenessPos},
        {QStringLiteral("mutuality_share"), QStringLiteral("Podíl žáků ve vzájemné dvojici"),
         QStringLiteral("podíl žáků, kteří mají aspoň jednu vzájemnou pozitivní volbu"), g.mutualityShare},
        {QStringLiteral("mutual_pairs_per_member"), QStringLiteral("Vzájemné dvojice na žáka"),
         QStringLiteral("počet vzájemných pozitivních dvojic na jednoho žáka třídy"), g.mutualPairsPerMember},
        {QStringLiteral("unchosen"), QStringLiteral("Nevybraní žáci"),
         QStringLiteral("počet žáků, které nikdo nevybral v pozitivním znění"), count(g.unchosen), true},
        {QStringLiteral("integration"), QStringLiteral("Integrace"),
         QStringLiteral("převrácená hodnota počtu nevybraných žáků; čím vyšší, tím méně nevybraných"),
         g.integration},
    };
}

QString AnalysisTexts::statusOf(const AnalysisPupil &pupil) {
    return pupil.status ? Sociometry::statusName(*pupil.status, pupil.girl) : QString();
}

QString AnalysisTexts::missingStatusReason(const SociometricAnalysis &a) {
    if (!a.negativeWording)
        return QStringLiteral("Otázka nemá negativní znění, statusové skupiny proto nelze určit.");
    if (a.n < 3)
        return QStringLiteral("Ve třídě jsou méně než tři žáci, statusové skupiny proto nelze určit.");
    return QString();
}

QString AnalysisTexts::groupName(Sociometry::Status status) {
    switch (status) {
    case Status::Popular:
        return QStringLiteral("oblíbení");
    case Status::Rejected:
        return QStringLiteral("odmítaní");
    case Status::Neglected:
        return QStringLiteral("přehlížení");
    case Status::Controversial:
        return QStringLiteral("kontroverzní");
    case Status::Average:
        return QStringLiteral("průměrní");
    case Status::Unclassified:
        break;
    }
    return QStringLiteral("nezařazení");
}

QString AnalysisTexts::ignoredChoicesLine(const SociometricAnalysis &a) {
    if (a.ignored.total() == 0)
        return QString();
    return QStringLiteral("Nezapočtené volby: %1 (nejde o žáka třídy: %2, volba sebe sama: %3, opakovaná "
                          "volba: %4)")
        .arg(a.ignored.total())
        .arg(a.ignored.notPerson + a.ignored.absentChooser)
        .arg(a.ignored.selfChoice)
        .arg(a.ignored.duplicate);
}

QStringList AnalysisTexts::pupilColumns() {
    return {QStringLiteral("Žák"),          QStringLiteral("Přijaté +"),   QStringLiteral("Přijaté −"),
            QStringLiteral("Dané +"),       QStringLiteral("Dané −"),      QStringLiteral("Vzájemné +"),
            QStringLiteral("Vzájemné −"),   QStringLiteral("Sociometrický status"),
            QStringLiteral("Status odmítání"), QStringLiteral("Index sociálního statusu"),
            QStringLiteral("Expanzivita"),  QStringLiteral("z LM"),        QStringLiteral("z LL"),
            QStringLiteral("Preference"),   QStringLiteral("Vliv"),        QStringLiteral("Statusová skupina"),
            QStringLiteral("Poznámka")};
}

QStringList AnalysisTexts::pupilCells(const AnalysisPupil &p) {
    QStringList marks;
    if (p.absent)
        marks << QStringLiteral("chyběl");
    if (p.isolate)
        marks << QStringLiteral("izolovaný");
    else if (p.unchosen)
        marks << QStringLiteral("nevybraný");
    if (p.star)
        marks << QStringLiteral("hvězda");
    return {p.name,
            QString::number(p.posReceived),
            QString::number(p.negReceived),
            QString::number(p.posGiven),
            QString::number(p.negGiven),
            QString::number(p.mutualPos),
            QString::number(p.mutualNeg),
            figure(p.choiceStatus),
            figure(p.rejectionStatus),
            figure(p.socialStatusIndex),
            figure(p.posExpansiveness),
            figure(p.zLm, 2),
            figure(p.zLl, 2),
            figure(p.sp, 2),
            figure(p.si, 2),
            statusOf(p),
            marks.join(QStringLiteral(", "))};
}

QString AnalysisTexts::namesOf(const SociometricAnalysis &a, const QList<qint64> &ids) {
    QStringList names;
    for (qint64 id : ids)
        names << a.nameOf(id);
    return names.join(QStringLiteral(", "));
}

QList<AnalysisTexts::SubgroupSection> AnalysisTexts::subgroupSections(const SociometricAnalysis &a) {
    auto pairs = [&](const QList<QPair<qint64, qint64>> &list) {
        QStringList lines;
        for (const auto &pair : list)
            lines << a.nameOf(pair.first) + QStringLiteral(" – ") + a.nameOf(pair.second);
        return lines;
    };
    auto groups = [&](const QList<QList<qint64>> &list) {
        QStringList lines;
        for (const QList<qint64> &group : list)
            lines << namesOf(a, group);
        return lines;
    };
    return {{QStringLiteral("Vzájemné pozitivní dvojice"), pairs(a.subgroups.mutualPosPairs)},
            {QStringLiteral("Vzájemné negativní dvojice"), pairs(a.subgroups.mutualNegPairs)},
            {QStringLiteral("Skupiny spojené vzájemnými volbami"), groups(a.subgroups.components)},
            {QStringLiteral("Kliky (každý s každým vzájemně)"), groups(a.subgroups.cliques)},
            {QStringLiteral("Izolovaní žáci"), a.group.isolates.isEmpty() ? QStringList()
                                                                          : QStringList{namesOf(a, a.group.isolates)}},
            {QStringLiteral("Hvězdy"), a.group.stars.isEmpty() ? QStringList() : QStringList{namesOf(a, a.group.stars)}}};
}

QStringList AnalysisTexts::heading(const SociometricAnalysis &a) {
    QStringList lines{QStringLiteral("Sociometrický rozbor")};
    if (const QString place = classLine(a.trida); !place.isEmpty())
        lines << place;
    QString session = a.questionnaireName;
    const QString date = dateText(a.datum);
    if (!date.isEmpty())
        session += (session.isEmpty() ? QString() : QStringLiteral(", ")) + date;
    if (!session.isEmpty())
        lines << QStringLiteral("Vyhodnocení: ") + session;
    lines << QStringLiteral("Otázka: ") + a.questionText;
    if (a.negativeWording)
        lines << QStringLiteral("Negativní znění: ") + a.negativeText;
    lines << QStringLiteral("Počet žáků: %1, odpovědělo: %2").arg(a.n).arg(a.respondents);
    return lines;
}

QByteArray AnalysisTexts::json(const SociometricAnalysis &a) {
    JsonObject ignored;
    ignored.add("not a person", QByteArray::number(a.ignored.notPerson))
        .add("self-choice", QByteArray::number(a.ignored.selfChoice))
        .add("duplicate", QByteArray::number(a.ignored.duplicate))
        .add("absent chooser", QByteArray::number(a.ignored.absentChooser));
    QList<QByteArray> pupils;
    for (const AnalysisPupil &p : a.pupils)
        pupils.append(pupilJson(p));
    JsonObject subgroups;
    subgroups.add("mutual_pos_pairs", jsonPairs(a.subgroups.mutualPosPairs))
        .add("mutual_neg_pairs", jsonPairs(a.subgroups.mutualNegPairs))
        .add("components", jsonGroups(a.subgroups.components))
        .add("cliques", jsonGroups(a.subgroups.cliques));
    JsonObject root;
    root.add("session", QByteArray::number(a.sessionId)).add("question", QByteArray::number(a.questionId));
    root.add("negative_wording", jsonBool(a.negativeWording));
    root.add("n", QByteArray::number(a.n)).add("respondents", QByteArray::number(a.respondents));
    root.add("ignored_choices", ignored.text());
    root.add("pupils", '[' + pupils.join(", ") + ']');
    root.add("group", groupJson(a.group));
    root.add("subgroups", subgroups.text());
    return root.text() + '\n';
}

QByteArray AnalysisTexts::csv(const SociometricAnalysis &a) {
    QList<QStringList> rows;
    for (const AnalysisPupil &p : a.pupils)
        rows << pupilCells(p);
    return csvTable(pupilColumns(), rows);
}

QString AnalysisTexts::text(const SociometricAnalysis &a) {
    QStringList out = heading(a);
    const QString ignored = ignoredChoicesLine(a);
    if (!ignored.isEmpty())
        out << ignored;
    out << QString() << QStringLiteral("Třída");
    for (const IndexLine &line : groupIndices(a))
        out << QStringLiteral("  %1: %2 (%3)").arg(line.name, figure(line.value), line.explanation);
    if (a.group.statusCounts) {
        QStringList counts;
        const QList<Sociometry::Status> statuses = Sociometry::allStatuses();
        for (int i = 0; i < statuses.size(); ++i)
            counts << QStringLiteral("%1 %2").arg(Sociometry::statusName(statuses[i])).arg(a.group.statusCounts->at(i));
        out << QStringLiteral("  Statusové skupiny: ") + counts.join(QStringLiteral(", "));
    }
    const QString missing = missingStatusReason(a);
    if (!missing.isEmpty())
        out << QStringLiteral("  ") + missing;

    out << QString() << QStringLiteral("Žáci");
    const QStringList columns = pupilColumns();
    for (const AnalysisPupil &p : a.pupils) {
        const QStringList cells = pupilCells(p);
        QStringList parts;
        for (int i = 1; i < columns.size(); ++i)
            if (!cells[i].isEmpty() && cells[i] != QStringLiteral("–"))
                parts << columns[i] + QStringLiteral(" ") + cells[i];
        out << QStringLiteral("  ") + cells[0] + QStringLiteral(": ") + parts.join(QStringLiteral(", "));
    }
    for (const SubgroupSection &section : subgroupSections(a)) {
        out << QString() << section.heading;
        if (section.lines.isEmpty())
            out << QStringLiteral("  žádné");
        for (const QString &line : section.lines)
            out << QStringLiteral("  ") + line;
    }
    return out.join(u'\n') + u'\n';
}
