#include "data/AggregationQueries.h"

#include "data/Database.h"
#include "data/Dataset.h"
#include "data/EngineQuery.h"

#include <QRegularExpression>

#include <optional>

namespace {

// Names of the parameters one use of a block takes.
struct PairParams {
    QString questionnaire;
    QString classId;
    QString session;
};
// Those of the count blocks: the pairs with their counts, the session again for its check, the free texts.
struct BlockParams {
    PairParams pairs;
    QString sessionCheck;
    PairParams texts;
};

// `jmeno` + ' ' + `prijmeni` of a `zak` row, a NULL part left out.
QString fullName(const QString &table) {
    return QStringLiteral("coalesce(%1.jmeno, '') || coalesce(' ' || %1.prijmeni, '')").arg(table);
}

// The positive wording, followed by " / " and the negative one when that is not empty.
QString fullQuestion(const QString &table) {
    return QStringLiteral("CASE WHEN length(coalesce(%1.text_otazky_negativni, '')) = 0 THEN %1.text_otazky "
                          "ELSE %1.text_otazky || ' / ' || %1.text_otazky_negativni END")
        .arg(table);
}

// Both counts of every pair of a question and a chosen row in the session, from one pass over the
// session's answers: the answers of polarity 1 and of polarity 0. A pair whose answers have neither
// polarity forms a group with 0 and 0 (it was chosen, so it is no zero row either).
QString choiceCounts(const QString &session) {
    return QStringLiteral("SELECT id_otazky, id_partnera, count(CASE WHEN pozitivni = true THEN 1 END) AS "
                          "pocet_pozitivni, count(CASE WHEN pozitivni = false THEN 1 END) AS pocet_negativni "
                          "FROM odpovedi WHERE id_vyhodnoceni = :%1 GROUP BY id_otazky, id_partnera")
        .arg(session);
}

// The counts of one session as two selects, each linear in the session's answers (a full join of the
// positive and the negative counts would compare every pair with every other):
//  - every pair of a question of the questionnaire and a row of the class (any kind): with the numbers of
//    positive and negative choices when it was chosen under either wording (in a session that exists),
//    with 0 and 0 when nobody chose it at all; a pair chosen only with another polarity has no row;
//  - every answer of a real pupil to a free-text question, as a row under its author with 0, 0 and the
//    text; repeated answers of one text count once. No such row equals a row of the first select.
// In `columns`, %POSITIVE%, %NEGATIVE% and %TEXT% stand for the two counts and the text of each select.
// `extraFrom` and `extraWhere` join the same further tables to both (who chose whom); they then also
// take `polarita`.
QString countBlocks(const QString &columns, const BlockParams &p, const QString &extraFrom = QString(),
                    const QString &extraWhere = QString()) {
    const QString pairColumns =
        QString(columns)
            .replace(QLatin1String("%POSITIVE%"), QLatin1String("coalesce(pocty.pocet_pozitivni, 0)"))
            .replace(QLatin1String("%NEGATIVE%"), QLatin1String("coalesce(pocty.pocet_negativni, 0)"))
            .replace(QLatin1String("%TEXT%"), QLatin1String("''"));
    const QString textColumns = QString(columns)
                                    .replace(QLatin1String("%POSITIVE%"), QLatin1String("0"))
                                    .replace(QLatin1String("%NEGATIVE%"), QLatin1String("0"))
                                    .replace(QLatin1String("%TEXT%"), QLatin1String("texty.slovy"));
    const QString polarity = extraFrom.isEmpty() ? QString() : QStringLiteral(", polarita");
    const QString pairs =
        QStringLiteral("SELECT ") + pairColumns + QStringLiteral("\nFROM otazky, zak") + polarity +
        QStringLiteral("\nLEFT JOIN (") + choiceCounts(p.pairs.session) +
        QStringLiteral(") AS pocty ON pocty.id_otazky = otazky.ID AND pocty.id_partnera = zak.ID") +
        extraFrom +
        QStringLiteral("\nWHERE otazky.id_testu = :%1 AND zak.id_tridy = :%2")
            .arg(p.pairs.questionnaire, p.pairs.classId) +
        extraWhere +
        QStringLiteral(" AND (pocty.id_otazky IS NULL OR (pocty.pocet_pozitivni + pocty.pocet_negativni > 0 "
                       "AND EXISTS (SELECT 1 FROM vyhodnoceni WHERE vyhodnoceni.ID = :%1)))")
            .arg(p.sessionCheck);
    // The free texts are looked up by question and author in the index of the session's answers.
    const QString texts =
        QStringLiteral("SELECT DISTINCT ") + textColumns +
        QStringLiteral("\nFROM otazky CROSS JOIN zak CROSS JOIN odpovedi AS texty") +
        (extraFrom.isEmpty() ? QString() : QStringLiteral(" CROSS JOIN polarita")) + extraFrom +
        QStringLiteral(
            "\nWHERE otazky.id_testu = :%1 AND otazky.typ = 4 AND zak.id_tridy = :%2 "
            "AND (zak.pohlavi LIKE 'muž' OR zak.pohlavi LIKE 'žena') AND texty.id_vyhodnoceni = :%3 "
            "AND texty.id_otazky = otazky.ID AND texty.id_zaka = zak.ID")
            .arg(p.texts.questionnaire, p.texts.classId, p.texts.session) +
        extraWhere;
    return pairs + QStringLiteral("\nUNION ALL\n") + texts;
}

// The columns both aggregations start with: the chosen row's name, the question and the two counts.
QStringList countColumns() {
    return {fullName(QStringLiteral("zak")) + QStringLiteral(" AS cele_jmeno"),
            QStringLiteral("otazky.ID AS id_otazky"),
            QStringLiteral("zak.ID AS id_partnera"),
            fullQuestion(QStringLiteral("otazky")) + QStringLiteral(" AS cela_otazka"),
            QStringLiteral("otazky.text_otazky AS text_otazky"),
            QStringLiteral("otazky.text_otazky_negativni AS text_otazky_negativni"),
            QStringLiteral("%POSITIVE% AS pocet_pozitivni"),
            QStringLiteral("%NEGATIVE% AS pocet_negativni")};
}

} // namespace

namespace AggregationQueries {

namespace {

// The parameters of the count blocks, the same in both aggregations.
const BlockParams kCountParams = {
    {QStringLiteral("par_id_testu"), QStringLiteral("par_id_tridy"), QStringLiteral("par_id_vyhodnoceni")},
    QStringLiteral("par_id_vyhodnoceni2"),
    {QStringLiteral("par_id_testu6"), QStringLiteral("par_id_tridy3"),
     QStringLiteral("par_id_vyhodnoceni6")}};

} // namespace

QStringList answerCountsSql() {
    QStringList lines =
        countBlocks((countColumns() << QStringLiteral("%TEXT% AS slovy")).join(QStringLiteral(", ")),
                    kCountParams)
            .split(u'\n');
    // Equal counts: by question, then row, then text (a row's zero row before its author's free texts).
    lines << QStringLiteral("ORDER BY pocet_pozitivni ASC, id_otazky, id_partnera, slovy COLLATE BINARY");
    return lines;
}

QStringList whoChoseWhomSql() {
    // Who chose whom: each row of the counts once for every wording its question has (`polarita`: 1 for
    // the positive wording, 0 for the negative one), with each respondent who chose the row under that
    // wording, or with none. The session's choices of either polarity are read once (repeated rows of one
    // choice count once) and looked up by question, chosen row and polarity.
    QStringList lines = {
        QStringLiteral("WITH polarita (pozitivni) AS (SELECT 1 UNION ALL SELECT 0), "
                       "volby AS MATERIALIZED (SELECT DISTINCT id_otazky, id_partnera, pozitivni, id_zaka "
                       "FROM odpovedi WHERE id_vyhodnoceni = :par_id_vyhodnoceni61 "
                       "AND (pozitivni = true OR pozitivni = false))"),
        // The outer names are those callers know; the derived table is `druha_tabulka`, so that the
        // orderings can name `druha_tabulka.id_otazky`.
        QStringLiteral(
            "SELECT druha_tabulka.cele_jmeno AS cele_jmeno, druha_tabulka.id_otazky AS "
            "\"prvni_tabulka.id_otazky\", "
            "druha_tabulka.id_partnera AS id_partnera, druha_tabulka.cela_otazka AS cela_otazka, "
            "druha_tabulka.text_otazky AS \"prvni_tabulka.text_otazky\", "
            "druha_tabulka.text_otazky_negativni AS text_otazky_negativni, "
            "druha_tabulka.pocet_pozitivni AS pocet_pozitivni, druha_tabulka.pocet_negativni AS "
            "pocet_negativni, "
            "druha_tabulka.typ AS typ, druha_tabulka.popis AS popis, "
            "druha_tabulka.poradi_vyhodnoceni AS poradi_vyhodnoceni, druha_tabulka.nadpis_nad AS nadpis_nad, "
            "druha_tabulka.slovy AS slovy, druha_tabulka.pohlavi AS pohlavi, "
            "druha_tabulka.id_otazky AS \"druha_tabulka.id_otazky\", druha_tabulka.pozitivni AS pozitivni, "
            "druha_tabulka.id_adresata_odpovedi AS id_adresata_odpovedi, "
            "druha_tabulka.id_respondenta AS id_respondenta, druha_tabulka.jmeno_adresata AS jmeno_adresata, "
            "druha_tabulka.jmeno_respondenta AS jmeno_respondenta, "
            "druha_tabulka.zneni AS \"druha_tabulka.text_otazky\""),
        QStringLiteral("FROM (")};
    const QStringList columns =
        countColumns() << QStringLiteral("otazky.typ AS typ") << QStringLiteral("otazky.popis AS popis")
                       << QStringLiteral("otazky.poradi_vyhodnoceni AS poradi_vyhodnoceni")
                       << QStringLiteral("otazky.nadpis_nad AS nadpis_nad")
                       << QStringLiteral("%TEXT% AS slovy") << QStringLiteral("zak.pohlavi AS pohlavi")
                       << QStringLiteral("polarita.pozitivni AS pozitivni")
                       << QStringLiteral("zak.ID AS id_adresata_odpovedi")
                       << QStringLiteral("volby.id_zaka AS id_respondenta")
                       << fullName(QStringLiteral("zak")) + QStringLiteral(" AS jmeno_adresata")
                       << QStringLiteral("CASE WHEN respondent.ID IS NULL THEN NULL ELSE ") +
                              fullName(QStringLiteral("respondent")) +
                              QStringLiteral(" END AS jmeno_respondenta")
                       << QStringLiteral("CASE WHEN polarita.pozitivni = 1 THEN otazky.text_otazky "
                                         "ELSE otazky.text_otazky_negativni END AS zneni");
    lines +=
        countBlocks(columns.join(QStringLiteral(", ")), kCountParams,
                    QStringLiteral(" LEFT JOIN volby ON volby.id_otazky = otazky.ID "
                                   "AND volby.id_partnera = zak.ID AND volby.pozitivni = polarita.pozitivni "
                                   "LEFT JOIN zak AS respondent ON respondent.ID = volby.id_zaka"),
                    QStringLiteral(" AND length(coalesce(CASE WHEN polarita.pozitivni = 1 THEN "
                                   "otazky.text_otazky ELSE otazky.text_otazky_negativni END, '')) > 0"))
            .split(u'\n');
    lines << QStringLiteral(") AS druha_tabulka") << QString::fromUtf8(positiveFirstOrder);
    return lines;
}

namespace {

// The value of one parameter by the prefix of its name; nullopt for a name of no prefix.
std::optional<QVariant> parameterValue(const QString &name, const QVariant &session,
                                       const QVariant &questionnaire, const QVariant &classId) {
    const QString key = name.toLower();
    if (key.startsWith(QLatin1String("par_id_vyhodnoceni")))
        return session;
    if (key.startsWith(QLatin1String("par_id_testu")))
        return questionnaire;
    if (key.startsWith(QLatin1String("par_id_tridy")))
        return classId;
    return std::nullopt;
}

} // namespace

void setParameters(Dataset &dataset, const QVariant &session, const QVariant &questionnaire,
                   const QVariant &classId) {
    for (const QString &name : dataset.parameterNames())
        if (const std::optional<QVariant> value = parameterValue(name, session, questionnaire, classId))
            dataset.setParameter(name, *value);
}

QString statementText(const QStringList &lines, const QString &orderLine) {
    QStringList text = lines;
    if (!orderLine.isEmpty() && !text.isEmpty())
        text.last() = orderLine;
    return text.join(u'\n');
}

namespace {

// Every parameter of the statement text by its name with its value: names as the datasets find them
// (":name", not the second colon of "::"), each once.
template <typename Query>
void bindAll(Query &query, const QString &sql, const QVariant &session, const QVariant &questionnaire,
             const QVariant &classId) {
    static const QRegularExpression pattern(QStringLiteral("(?<![:\\w]):([A-Za-z_]\\w*)"));
    QStringList bound;
    for (auto it = pattern.globalMatch(sql); it.hasNext();) {
        const QString name = it.next().captured(1);
        if (bound.contains(name, Qt::CaseInsensitive))
            continue;
        bound << name;
        query.bind(name, parameterValue(name, session, questionnaire, classId).value_or(QVariant()));
    }
}

} // namespace

void bindParameters(SqlQuery &query, const QString &sql, const QVariant &session,
                    const QVariant &questionnaire, const QVariant &classId) {
    bindAll(query, sql, session, questionnaire, classId);
}

void bindParameters(EngineQuery &query, const QString &sql, const QVariant &session,
                    const QVariant &questionnaire, const QVariant &classId) {
    bindAll(query, sql, session, questionnaire, classId);
}

QList<AnswerCountRow> readAnswerCounts(Database &db, const QVariant &session, const QVariant &questionnaire,
                                       const QVariant &classId) {
    QList<AnswerCountRow> rows;
    forEachAnswerCount(db, session, questionnaire, classId,
                       [&rows](const AnswerCountRow &row) { rows.append(row); });
    return rows;
}

void forEachAnswerCount(Database &db, const QVariant &session, const QVariant &questionnaire,
                        const QVariant &classId, const std::function<void(const AnswerCountRow &)> &take) {
    const QString sql = statementText(answerCountsSql());
    EngineQuery query(db, sql);
    bindParameters(query, sql, session, questionnaire, classId);
    // The columns in the statement's order (AnswerCountRow's).
    while (query.next())
        take({query.value(0), query.value(1), query.value(2), query.value(3), query.value(4), query.value(5),
              query.value(6), query.value(7), query.value(8)});
}

} // namespace AggregationQueries
