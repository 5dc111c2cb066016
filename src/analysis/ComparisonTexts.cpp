#include "analysis/ComparisonTexts.h"

#include "analysis/JsonText.h"

#include <QDate>

namespace {

using namespace JsonText;
using AnalysisTexts::figure;
using Comparison::Presence;
using Sociometry::Status;

const QString kAbsent = QStringLiteral("chyběl");

// "+2", "−1", "0"; "–" for none.
QString signedFigure(const std::optional<double> &value, int decimals = 3) {
    if (!value)
        return figure(value);
    const QString text = figure(value, decimals);
    if (text == QLatin1String("0"))
        return text;
    return *value > 0 ? u'+' + text : QString(text).replace(u'-', u'−');
}
QString signedCount(const std::optional<int> &value) {
    return value ? signedFigure(double(*value), 0) : figure(std::nullopt);
}

QString statusText(const std::optional<Status> &status, bool girl) {
    return status ? Sociometry::statusName(*status, girl) : QString();
}

// LM, LL or a status of one session: the figure, or "chyběl" for a session the pupil was absent from.
QString sideFigure(const std::optional<AnalysisPupil> &side, int AnalysisPupil::*field) {
    if (!side || side->absent)
        return kAbsent;
    return QString::number((*side).*field);
}
QString sideStatus(const std::optional<AnalysisPupil> &side, bool girl) {
    if (!side || side->absent)
        return kAbsent;
    return side->status ? Sociometry::statusName(*side->status, girl) : QString();
}
QString sideIsolate(const std::optional<AnalysisPupil> &side) {
    if (!side || side->absent)
        return kAbsent;
    return side->isolate ? QStringLiteral("ano") : QStringLiteral("ne");
}

QString pairLine(const SurveyComparison &c, const QPair<qint64, qint64> &pair) {
    return c.nameOf(pair.first) + QStringLiteral(" – ") + c.nameOf(pair.second);
}

// "2 žáci", "1 žák", "5 žáků".
QString pupilsCount(int count) {
    if (count == 1)
        return QStringLiteral("1 žák");
    if (count >= 2 && count <= 4)
        return QStringLiteral("%1 žáci").arg(count);
    return QStringLiteral("%1 žáků").arg(count);
}

QString namesOf(const SurveyComparison &c, const QList<qint64> &ids) {
    QStringList names;
    for (qint64 id : ids)
        names << c.nameOf(id);
    return names.join(QStringLiteral(", "));
}

QString pairSummary(const QString &heading, const PairChanges &pairs) {
    return QStringLiteral("%1: zachováno %2, nových %3, zaniklých %4.")
        .arg(heading)
        .arg(pairs.kept.size())
        .arg(pairs.added.size())
        .arg(pairs.broken.size());
}

bool bothNegative(const SurveyComparison &c) {
    return c.from.negativeWording && c.to.negativeWording;
}

QByteArray pairChangesJson(const PairChanges &pairs) {
    JsonObject o;
    o.add("kept", jsonPairs(pairs.kept)).add("new", jsonPairs(pairs.added)).add("broken", jsonPairs(pairs.broken));
    return o.text();
}

QByteArray optionalInt(const std::optional<int> &value) {
    return value ? QByteArray::number(*value) : QByteArray("null");
}
QByteArray optionalStatus(const std::optional<Status> &status) {
    return status ? jsonString(Sociometry::statusKey(*status)) : QByteArray("null");
}

QString sessionLine(const QString &label, const SociometricAnalysis &a) {
    QString line = label + QStringLiteral(": ") + ComparisonTexts::sessionDate(a);
    if (!a.questionnaireName.isEmpty())
        line += QStringLiteral(", ") + a.questionnaireName;
    return line + QStringLiteral(", otázka „%1“").arg(a.questionText);
}

void appendTable(QStringList &out, const QStringList &columns, const QList<QStringList> &rows) {
    for (const QStringList &cells : rows) {
        QStringList parts;
        for (int i = 0; i < cells.size() && i < columns.size(); ++i)
            if (!cells[i].isEmpty())
                parts << (i == 0 ? cells[i] : columns[i] + QStringLiteral(": ") + cells[i]);
        out << QStringLiteral("  ") + parts.join(QStringLiteral("; "));
    }
}

} // namespace

QString ComparisonTexts::sessionDate(const SociometricAnalysis &analysis) {
    const QString date = AnalysisTexts::dateText(analysis.datum);
    return date.isEmpty() ? QStringLiteral("bez data") : date;
}

QStringList ComparisonTexts::heading(const SurveyComparison &c) {
    QStringList lines{QStringLiteral("Srovnání vyhodnocení")};
    if (const QString place = AnalysisTexts::classLine(c.to.trida); !place.isEmpty())
        lines << place;
    lines << sessionLine(QStringLiteral("Dříve"), c.from) << sessionLine(QStringLiteral("Nyní"), c.to);
    return lines;
}

QStringList ComparisonTexts::summary(const SurveyComparison &c) {
    QList<qint64> better, worse, became, stopped, absent;
    for (const ComparedPupil &p : c.pupils) {
        const int direction = p.statusDirection();
        if (direction > 0)
            better << p.id;
        else if (direction < 0)
            worse << p.id;
        if (p.becameIsolate())
            became << p.id;
        if (p.stoppedIsolate())
            stopped << p.id;
        if (p.presence() != Presence::Both)
            absent << p.id;
    }
    QStringList lines;
    if (c.from.hasStatuses() && c.to.hasStatuses()) {
        QString line = QStringLiteral("Do lepší statusové skupiny se posunulo: %1").arg(pupilsCount(int(better.size())));
        if (!better.isEmpty())
            line += QStringLiteral(" (%1)").arg(namesOf(c, better));
        line += QStringLiteral("; do horší: %1").arg(pupilsCount(int(worse.size())));
        if (!worse.isEmpty())
            line += QStringLiteral(" (%1)").arg(namesOf(c, worse));
        lines << line + u'.';
    } else {
        lines << QStringLiteral("Statusové skupiny nelze srovnat: %1")
                     .arg(AnalysisTexts::missingStatusReason(c.from.hasStatuses() ? c.to : c.from));
    }
    lines << (became.isEmpty() ? QStringLiteral("Nově izolovaný není nikdo.")
                               : QStringLiteral("Nově izolovaní: %1.").arg(namesOf(c, became)));
    lines << (stopped.isEmpty() ? QStringLiteral("Izolovanost nepřekonal nikdo.")
                                : QStringLiteral("Už nejsou izolovaní: %1.").arg(namesOf(c, stopped)));
    const IndexChange *cohesion = nullptr;
    for (const IndexChange &index : c.indices)
        if (index.key == QLatin1String("cohesion"))
            cohesion = &index;
    if (cohesion && cohesion->delta) {
        const QString values = QStringLiteral("z %1 na %2").arg(figure(cohesion->from), figure(cohesion->to));
        if (figure(cohesion->delta) == QLatin1String("0"))
            lines << QStringLiteral("Soudržnost třídy se nezměnila (%1).").arg(figure(cohesion->to));
        else if (*cohesion->delta > 0)
            lines << QStringLiteral("Soudržnost třídy vzrostla %1.").arg(values);
        else
            lines << QStringLiteral("Soudržnost třídy klesla %1.").arg(values);
    }
    lines << pairSummary(QStringLiteral("Vzájemné pozitivní volby"), c.mutualPos);
    if (bothNegative(c))
        lines << pairSummary(QStringLiteral("Vzájemné negativní volby"), c.mutualNeg);
    if (!absent.isEmpty())
        lines << QStringLiteral("V jednom z vyhodnocení chyběli (bez údajů o změně): %1.").arg(namesOf(c, absent));
    return lines;
}

QStringList ComparisonTexts::pupilColumns() {
    return {QStringLiteral("Žák"),
            QStringLiteral("LM dříve"),
            QStringLiteral("LM nyní"),
            QStringLiteral("Změna LM"),
            QStringLiteral("LL dříve"),
            QStringLiteral("LL nyní"),
            QStringLiteral("Změna LL"),
            QStringLiteral("Sociometrický status dříve"),
            QStringLiteral("Sociometrický status nyní"),
            QStringLiteral("Statusová skupina dříve"),
            QStringLiteral("Statusová skupina nyní"),
            QStringLiteral("Přechod"),
            QStringLiteral("Izolovaný dříve"),
            QStringLiteral("Izolovaný nyní")};
}

QStringList ComparisonTexts::pupilCells(const ComparedPupil &p) {
    auto choiceStatus = [](const std::optional<AnalysisPupil> &side) {
        return !side || side->absent ? kAbsent : figure(side->choiceStatus);
    };
    std::optional<double> statusDelta;
    if (p.presence() == Presence::Both && p.from->choiceStatus && p.to->choiceStatus)
        statusDelta = *p.to->choiceStatus - *p.from->choiceStatus;
    const QString passage = p.passage() ? QStringLiteral("%1 → %2").arg(statusText(p.statusFrom(), p.girl),
                                                                        statusText(p.statusTo(), p.girl))
                                        : QString();
    return {p.name,
            sideFigure(p.from, &AnalysisPupil::posReceived),
            sideFigure(p.to, &AnalysisPupil::posReceived),
            signedCount(p.posReceivedDelta()),
            sideFigure(p.from, &AnalysisPupil::negReceived),
            sideFigure(p.to, &AnalysisPupil::negReceived),
            signedCount(p.negReceivedDelta()),
            choiceStatus(p.from),
            choiceStatus(p.to),
            sideStatus(p.from, p.girl),
            sideStatus(p.to, p.girl),
            passage,
            sideIsolate(p.from),
            sideIsolate(p.to)};
}

QList<AnalysisTexts::SubgroupSection> ComparisonTexts::pairSections(const SurveyComparison &c) {
    auto lines = [&c](const QList<QPair<qint64, qint64>> &pairs) {
        QStringList out;
        for (const auto &pair : pairs)
            out << pairLine(c, pair);
        return out;
    };
    QList<AnalysisTexts::SubgroupSection> sections{
        {QStringLiteral("Zachované vzájemné pozitivní dvojice"), lines(c.mutualPos.kept)},
        {QStringLiteral("Nové vzájemné pozitivní dvojice"), lines(c.mutualPos.added)},
        {QStringLiteral("Zaniklé vzájemné pozitivní dvojice"), lines(c.mutualPos.broken)}};
    if (c.from.negativeWording || c.to.negativeWording)
        sections << AnalysisTexts::SubgroupSection{QStringLiteral("Zachované vzájemné negativní dvojice"),
                                                   lines(c.mutualNeg.kept)}
                 << AnalysisTexts::SubgroupSection{QStringLiteral("Nové vzájemné negativní dvojice"),
                                                   lines(c.mutualNeg.added)}
                 << AnalysisTexts::SubgroupSection{QStringLiteral("Zaniklé vzájemné negativní dvojice"),
                                                   lines(c.mutualNeg.broken)};
    return sections;
}

QStringList ComparisonTexts::indexColumns() {
    return {QStringLiteral("Ukazatel"), QStringLiteral("Dříve"), QStringLiteral("Nyní"), QStringLiteral("Rozdíl"),
            QStringLiteral("Význam")};
}

QStringList ComparisonTexts::indexCells(const IndexChange &index) {
    const int decimals = index.isCount ? 0 : 3;
    return {index.name, figure(index.from, decimals), figure(index.to, decimals), signedFigure(index.delta, decimals),
            index.explanation};
}

QByteArray ComparisonTexts::json(const SurveyComparison &c) {
    QList<QByteArray> pupils;
    for (const ComparedPupil &p : c.pupils) {
        JsonObject o;
        o.add("id", QByteArray::number(p.id)).add("name", jsonString(p.name));
        o.add("in", jsonString(Comparison::presenceKey(p.presence())));
        o.add("status_from", optionalStatus(p.statusFrom())).add("status_to", optionalStatus(p.statusTo()));
        o.add("pos_received_delta", optionalInt(p.posReceivedDelta()));
        o.add("neg_received_delta", optionalInt(p.negReceivedDelta()));
        o.add("passage", jsonBool(p.passage()));
        pupils << o.text();
    }
    JsonObject delta;
    for (const IndexChange &index : c.indices)
        delta.add(index.key.toLatin1().constData(), jsonNumber(index.delta));
    JsonObject o;
    o.add("from", AnalysisTexts::json(c.from).trimmed()).add("to", AnalysisTexts::json(c.to).trimmed());
    o.add("pupils", jsonArray(pupils));
    o.add("mutual_pos", pairChangesJson(c.mutualPos)).add("mutual_neg", pairChangesJson(c.mutualNeg));
    o.add("group_delta", delta.text());
    return o.text() + '\n';
}

QByteArray ComparisonTexts::csv(const SurveyComparison &c) {
    QList<QStringList> rows;
    for (const ComparedPupil &p : c.pupils)
        rows << pupilCells(p);
    return AnalysisTexts::csvTable(pupilColumns(), rows);
}

QString ComparisonTexts::text(const SurveyComparison &c) {
    QStringList out = heading(c);
    out << QString() << QStringLiteral("Shrnutí");
    for (const QString &line : summary(c))
        out << QStringLiteral("  ") + line;
    out << QString() << QStringLiteral("Žáci");
    QList<QStringList> rows;
    for (const ComparedPupil &p : c.pupils)
        rows << pupilCells(p);
    appendTable(out, pupilColumns(), rows);
    for (const AnalysisTexts::SubgroupSection &section : pairSections(c)) {
        out << QString() << section.heading;
        if (section.lines.isEmpty())
            out << QStringLiteral("  žádné");
        for (const QString &line : section.lines)
            out << QStringLiteral("  ") + line;
    }
    out << QString() << QStringLiteral("Třída");
    for (const IndexChange &index : c.indices) {
        const QStringList cells = indexCells(index);
        out << QStringLiteral("  %1: dříve %2, nyní %3, rozdíl %4").arg(cells[0], cells[1], cells[2], cells[3]);
    }
    return out.join(u'\n') + u'\n';
}

QStringList ComparisonTexts::trendHeading(const SurveyTrend &t) {
    QStringList lines{QStringLiteral("Vývoj třídy")};
    if (const QString place = AnalysisTexts::classLine(t.trida); !place.isEmpty())
        lines << place;
    lines << QStringLiteral("Otázka: ") + t.questionText;
    lines << QStringLiteral("Vyhodnocení: %1").arg(t.sessions.size());
    return lines;
}

QStringList ComparisonTexts::trendColumns(const SurveyTrend &t) {
    QStringList columns{QStringLiteral("Žák")};
    for (const TrendSession &s : t.sessions) {
        const QString date = sessionDate(s.analysis);
        columns << QStringLiteral("LM %1").arg(date) << QStringLiteral("Status %1").arg(date);
    }
    return columns;
}

QList<QStringList> ComparisonTexts::trendRows(const SurveyTrend &t) {
    QList<QStringList> rows;
    for (const auto &[id, name] : t.pupils) {
        QStringList cells{name};
        for (const TrendSession &s : t.sessions) {
            const AnalysisPupil *p = s.analysis.pupil(id);
            if (!p || p->absent) {
                cells << (p ? kAbsent : QString()) << QString();
                continue;
            }
            cells << QString::number(p->posReceived) << AnalysisTexts::statusOf(*p);
        }
        rows << cells;
    }
    QStringList cohesion{QStringLiteral("Soudržnost třídy")}, isolates{QStringLiteral("Izolovaní žáci")};
    for (const TrendSession &s : t.sessions) {
        cohesion << figure(s.analysis.group.cohesion) << QString();
        isolates << QString::number(s.analysis.group.isolates.size()) << QString();
    }
    return rows << cohesion << isolates;
}

QByteArray ComparisonTexts::trendJson(const SurveyTrend &t) {
    QList<QByteArray> sessions;
    for (const TrendSession &s : t.sessions) {
        const SociometricAnalysis &a = s.analysis;
        const QDate date = a.datum.toDate();
        JsonObject o;
        o.add("session", QByteArray::number(s.sessionId)).add("question", QByteArray::number(s.questionId));
        o.add("date", date.isValid() ? jsonString(date.toString(Qt::ISODate)) : QByteArray("null"));
        o.add("questionnaire", jsonString(a.questionnaireName));
        o.add("n", QByteArray::number(a.n)).add("respondents", QByteArray::number(a.respondents));
        o.add("cohesion", jsonNumber(a.group.cohesion));
        o.add("isolates", QByteArray::number(a.group.isolates.size()));
        o.add("mutual_pos_pairs", QByteArray::number(a.group.mutualPosPairs));
        sessions << o.text();
    }
    QList<QByteArray> pupils;
    for (const auto &[id, name] : t.pupils) {
        QList<QByteArray> values;
        for (const TrendSession &s : t.sessions) {
            const AnalysisPupil *p = s.analysis.pupil(id);
            JsonObject v;
            v.add("present", jsonBool(p && !p->absent));
            v.add("pos_received", p && !p->absent ? QByteArray::number(p->posReceived) : QByteArray("null"));
            v.add("status", p && !p->absent ? optionalStatus(p->status) : QByteArray("null"));
            values << v.text();
        }
        JsonObject o;
        o.add("id", QByteArray::number(id)).add("name", jsonString(name)).add("sessions", jsonArray(values));
        pupils << o.text();
    }
    JsonObject o;
    o.add("class", QByteArray::number(t.trida.id)).add("question_text", jsonString(t.questionText));
    o.add("sessions", jsonArray(sessions)).add("pupils", jsonArray(pupils));
    return o.text() + '\n';
}

QByteArray ComparisonTexts::trendCsv(const SurveyTrend &t) {
    return AnalysisTexts::csvTable(trendColumns(t), trendRows(t));
}

QString ComparisonTexts::trendText(const SurveyTrend &t) {
    QStringList out = trendHeading(t);
    out << QString();
    for (const TrendSession &s : t.sessions)
        out << QStringLiteral("  %1 (%2): soudržnost %3, izolovaných %4")
                   .arg(sessionDate(s.analysis), s.analysis.questionnaireName, figure(s.analysis.group.cohesion))
                   .arg(s.analysis.group.isolates.size());
    out << QString() << QStringLiteral("Žáci");
    const QList<QStringList> rows = trendRows(t);
    appendTable(out, trendColumns(t), rows.mid(0, rows.size() - 2));
    return out.join(u'\n') + u'\n';
}
