#include "data/AggregationQueries.h"

#include "data/Database.h"
#include "data/Dataset.h"

#include <QRegularExpression>

#include <optional>

namespace {

// Names of the parameters one use of the blocks takes.
struct SessionParams {
    QString session;
    QString questionnaire;
};
struct PairParams {
    QString questionnaire;
    QString classId;
    QString session;
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

// Number of choices of one polarity per question of the questionnaire and chosen row, in the session.
QString choiceCounts(const SessionParams &p, bool positive) {
    return QStringLiteral("SELECT count(otazky.ID) AS %1, odpovedi.id_otazky AS id_otazky, "
                          "odpovedi.id_partnera AS id_partnera FROM otazky, odpovedi, vyhodnoceni "
                          "WHERE vyhodnoceni.ID = :%2 AND vyhodnoceni.ID = odpovedi.id_vyhodnoceni "
                          "AND otazky.id_testu = :%3 AND odpovedi.id_otazky = otazky.ID "
                          "AND odpovedi.pozitivni = %4 GROUP BY odpovedi.id_otazky, odpovedi.id_partnera")
        .arg(positive ? QStringLiteral("pocet_pozitivni") : QStringLiteral("pocet_negativni"), p.session,
             p.questionnaire, positive ? QStringLiteral("true") : QStringLiteral("false"));
}

// The counts of one session in seven columns by position (positive count, question, row, negative count,
// question, row, free text), from four blocks:
//  - pairs chosen at least once, with both counts (NULL on a missing side): the two count blocks joined
//    in full, which is the union of their left and right join;
//  - every pair of a question and a row of the class (any kind) that nobody chose, under either wording;
//  - every answer of a real pupil to a free-text question, as a row under the author with the text.
// UNION drops repeated free-text rows (same author, question and text); a free-text row never equals
// the author's zero row, as its sixth column is -1.
// The pairs chosen in the session are read once into a DISTINCT derived table, which the engine keeps
// apart and looks up through a temporary index; joined to the answers directly, it would walk every
// answer that ever named the row, in every session.
QStringList countBlocks(const SessionParams &positive, const SessionParams &negative, const PairParams &zeros,
                        const PairParams &texts) {
    return {
        QStringLiteral(
            "SELECT odpovedi_pozitivni.pocet_pozitivni AS pocet_pozitivni, "
            "odpovedi_pozitivni.id_otazky AS id_otazky, odpovedi_pozitivni.id_partnera AS id_partnera, "
            "odpovedi_negativni.pocet_negativni AS pocet_negativni, "
            "odpovedi_negativni.id_otazky AS id_otazky2, odpovedi_negativni.id_partnera AS id_partnera2, "
            "'' AS slovy"),
        QStringLiteral("FROM (") + choiceCounts(positive, true) + QStringLiteral(") AS odpovedi_pozitivni"),
        QStringLiteral("FULL JOIN (") + choiceCounts(negative, false) +
            QStringLiteral(") AS odpovedi_negativni"),
        QStringLiteral("ON odpovedi_pozitivni.id_otazky = odpovedi_negativni.id_otazky "
                       "AND odpovedi_pozitivni.id_partnera = odpovedi_negativni.id_partnera"),
        QStringLiteral("UNION"),
        QStringLiteral(
            "SELECT 0, dvojice.id_otazky, dvojice.id_zaka, 0, dvojice.id_otazky, dvojice.id_zaka, '' "
            "FROM (SELECT otazky.ID AS id_otazky, zak.ID AS id_zaka FROM otazky, zak "
            "WHERE otazky.id_testu = :%1 AND zak.id_tridy = :%2) AS dvojice "
            "LEFT JOIN (SELECT DISTINCT id_otazky, id_partnera FROM odpovedi "
            "WHERE id_vyhodnoceni = :%3) AS zvolene "
            "ON dvojice.id_otazky = zvolene.id_otazky AND dvojice.id_zaka = zvolene.id_partnera "
            "WHERE zvolene.id_partnera IS NULL")
            .arg(zeros.questionnaire, zeros.classId, zeros.session),
        QStringLiteral("UNION"),
        QStringLiteral(
            "SELECT 0, autori.id_otazky, autori.id_zaka, 0, autori.id_otazky, -1, odpovedi.slovy "
            "FROM (SELECT otazky.ID AS id_otazky, zak.ID AS id_zaka FROM otazky, zak "
            "WHERE otazky.id_testu = :%1 AND zak.id_tridy = :%2 "
            "AND (zak.pohlavi LIKE 'muž' OR zak.pohlavi LIKE 'žena') AND otazky.typ = 4) AS autori "
            "INNER JOIN (SELECT * FROM odpovedi WHERE id_vyhodnoceni = :%3) AS odpovedi "
            "ON autori.id_otazky = odpovedi.id_otazky AND autori.id_zaka = odpovedi.id_zaka")
            .arg(texts.questionnaire, texts.classId, texts.session),
    };
}

// One row per pair with the question and row taken from whichever side has them and 0 for a missing
// count, then the names and wordings, limited to rows of the class.
QStringList countsWithNames(const QStringList &columns, const PairParams &zeros, const QString &classParam) {
    QStringList lines = {
        QStringLiteral("SELECT ") + columns.join(QStringLiteral(", ")),
        QStringLiteral("FROM (SELECT coalesce(spojeni.id_partnera, spojeni.id_partnera2) AS "
                       "id_partnera, coalesce(spojeni.id_otazky, spojeni.id_otazky2) AS id_otazky, "
                       "coalesce(spojeni.pocet_pozitivni, 0) AS pocet_pozitivni, "
                       "coalesce(spojeni.pocet_negativni, 0) AS pocet_negativni, "
                       "spojeni.slovy AS slovy FROM (")};
    lines += countBlocks({QStringLiteral("par_id_vyhodnoceni"), QStringLiteral("par_id_testu")},
                         {QStringLiteral("par_id_vyhodnoceni2"), QStringLiteral("par_id_testu2")}, zeros,
                         {QStringLiteral("par_id_testu6"), QStringLiteral("par_id_tridy3"),
                          QStringLiteral("par_id_vyhodnoceni6")});
    lines << QStringLiteral(") AS spojeni) AS vysledek, zak, otazky")
          << QStringLiteral("WHERE vysledek.id_partnera = zak.ID AND vysledek.id_otazky = otazky.ID "
                            "AND zak.id_tridy = :%1")
                 .arg(classParam);
    return lines;
}

// Who chose whom under one wording: every question of the questionnaire that has this wording and every
// row of the class as the addressee, with each respondent who chose it, or NULL when nobody did. The
// session's choices are read once, as for the zero rows; repeated rows of one choice count once.
QString choosers(const PairParams &p, bool positive) {
    const QString wording =
        positive ? QStringLiteral("text_otazky") : QStringLiteral("text_otazky_negativni");
    return QStringLiteral("SELECT otazky.ID AS id_otazky, %1 AS pozitivni, zak.ID AS id_adresata_odpovedi, "
                          "odpovedi.id_zaka AS id_respondenta, otazky.%2 AS text_otazky "
                          "FROM otazky, zak LEFT JOIN (SELECT DISTINCT id_otazky, id_partnera, id_zaka "
                          "FROM odpovedi WHERE id_vyhodnoceni = :%3 AND pozitivni = %4) AS odpovedi "
                          "ON odpovedi.id_otazky = otazky.ID AND odpovedi.id_partnera = zak.ID "
                          "WHERE otazky.id_testu = :%5 AND zak.id_tridy = :%6 "
                          "AND length(coalesce(otazky.%2, '')) > 0")
        .arg(positive ? QStringLiteral("1") : QStringLiteral("0"), wording, p.session,
             positive ? QStringLiteral("true") : QStringLiteral("false"), p.questionnaire, p.classId);
}

// The columns both aggregations start with: the chosen row's name, the question and the two counts.
QStringList countColumns() {
    return {fullName(QStringLiteral("zak")) + QStringLiteral(" AS cele_jmeno"),
            QStringLiteral("vysledek.id_otazky AS id_otazky"),
            QStringLiteral("vysledek.id_partnera AS id_partnera"),
            fullQuestion(QStringLiteral("otazky")) + QStringLiteral(" AS cela_otazka"),
            QStringLiteral("otazky.text_otazky AS text_otazky"),
            QStringLiteral("otazky.text_otazky_negativni AS text_otazky_negativni"),
            QStringLiteral("vysledek.pocet_pozitivni AS pocet_pozitivni"),
            QStringLiteral("vysledek.pocet_negativni AS pocet_negativni")};
}

} // namespace

namespace AggregationQueries {

QStringList answerCountsSql() {
    QStringList lines =
        countsWithNames(countColumns() + QStringList{QStringLiteral("vysledek.slovy AS slovy")},
                        {QStringLiteral("par_id_testu5"), QStringLiteral("par_id_tridy"),
                         QStringLiteral("par_id_vyhodnoceni5")},
                        QStringLiteral("par_id_tridy2"));
    // Equal counts: by question, then row, then text (a row's zero row before its author's free texts).
    lines << QStringLiteral("ORDER BY pocet_pozitivni ASC, id_otazky, id_partnera, slovy COLLATE BINARY");
    return lines;
}

QStringList whoChoseWhomSql() {
    QStringList lines = {QStringLiteral(
        "SELECT prvni_tabulka.cele_jmeno AS cele_jmeno, prvni_tabulka.id_otazky AS "
        "\"prvni_tabulka.id_otazky\", "
        "prvni_tabulka.id_partnera AS id_partnera, prvni_tabulka.cela_otazka AS cela_otazka, "
        "prvni_tabulka.text_otazky AS \"prvni_tabulka.text_otazky\", "
        "prvni_tabulka.text_otazky_negativni AS text_otazky_negativni, "
        "prvni_tabulka.pocet_pozitivni AS pocet_pozitivni, prvni_tabulka.pocet_negativni AS pocet_negativni, "
        "prvni_tabulka.typ AS typ, prvni_tabulka.popis AS popis, "
        "prvni_tabulka.poradi_vyhodnoceni AS poradi_vyhodnoceni, prvni_tabulka.nadpis_nad AS nadpis_nad, "
        "prvni_tabulka.slovy AS slovy, prvni_tabulka.pohlavi AS pohlavi, "
        "druha_tabulka.id_otazky AS \"druha_tabulka.id_otazky\", druha_tabulka.pozitivni AS pozitivni, "
        "druha_tabulka.id_adresata_odpovedi AS id_adresata_odpovedi, "
        "druha_tabulka.id_respondenta AS id_respondenta, druha_tabulka.jmeno_adresata AS jmeno_adresata, "
        "druha_tabulka.jmeno_respondenta AS jmeno_respondenta, "
        "druha_tabulka.text_otazky AS \"druha_tabulka.text_otazky\"")};
    lines << QStringLiteral("FROM (");
    lines +=
        countsWithNames(countColumns() + QStringList{QStringLiteral("otazky.typ AS typ"), QStringLiteral("otazky.popis AS popis"),
                         QStringLiteral("otazky.poradi_vyhodnoceni AS poradi_vyhodnoceni"),
                         QStringLiteral("otazky.nadpis_nad AS nadpis_nad"),
                         QStringLiteral("vysledek.slovy AS slovy"), QStringLiteral("zak.pohlavi AS pohlavi")},
                        {QStringLiteral("par_id_testu15"), QStringLiteral("par_id_tridy_15"),
                         QStringLiteral("par_id_vyhodnoceni15")},
                        QStringLiteral("par_id_tridy2"));
    lines << QStringLiteral(") AS prvni_tabulka, (")
          << QStringLiteral("SELECT kdo_koho.id_otazky AS id_otazky, kdo_koho.pozitivni AS pozitivni, "
                            "kdo_koho.id_adresata_odpovedi AS id_adresata_odpovedi, "
                            "kdo_koho.id_respondenta AS id_respondenta, ") +
                 fullName(QStringLiteral("adresat")) + QStringLiteral(" AS jmeno_adresata, ") +
                 QStringLiteral("CASE WHEN respondent.ID IS NULL THEN NULL ELSE ") +
                 fullName(QStringLiteral("respondent")) +
                 QStringLiteral(" END AS jmeno_respondenta, kdo_koho.text_otazky AS text_otazky FROM (")
          << choosers({QStringLiteral("par_id_testu61"), QStringLiteral("par_id_tridy61"),
                       QStringLiteral("par_id_vyhodnoceni61")},
                      true)
          << QStringLiteral("UNION")
          << choosers({QStringLiteral("par_id_testu62"), QStringLiteral("par_id_tridy62"),
                       QStringLiteral("par_id_vyhodnoceni62")},
                      false)
          << QStringLiteral(
                 ") AS kdo_koho LEFT JOIN zak AS adresat ON adresat.ID = kdo_koho.id_adresata_odpovedi "
                 "LEFT JOIN zak AS respondent ON respondent.ID = kdo_koho.id_respondenta")
          << QStringLiteral(") AS druha_tabulka")
          << QStringLiteral("WHERE prvni_tabulka.id_otazky = druha_tabulka.id_otazky "
                            "AND prvni_tabulka.id_partnera = druha_tabulka.id_adresata_odpovedi")
          << QString::fromUtf8(positiveFirstOrder);
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

void bindParameters(SqlQuery &query, const QString &sql, const QVariant &session,
                    const QVariant &questionnaire, const QVariant &classId) {
    // Parameter names as the datasets find them: ":name", not the second colon of "::".
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

QList<AnswerCountRow> readAnswerCounts(Database &db, const QVariant &session, const QVariant &questionnaire,
                                       const QVariant &classId) {
    const QString sql = statementText(answerCountsSql());
    SqlQuery query(db, sql);
    bindParameters(query, sql, session, questionnaire, classId);
    query.exec();
    QList<AnswerCountRow> rows;
    while (query.next())
        rows.append({query.value(QStringLiteral("cele_jmeno")), query.value(QStringLiteral("id_otazky")),
                     query.value(QStringLiteral("id_partnera")), query.value(QStringLiteral("cela_otazka")),
                     query.value(QStringLiteral("text_otazky")),
                     query.value(QStringLiteral("text_otazky_negativni")),
                     query.value(QStringLiteral("pocet_pozitivni")),
                     query.value(QStringLiteral("pocet_negativni")), query.value(QStringLiteral("slovy"))});
    return rows;
}

} // namespace AggregationQueries
