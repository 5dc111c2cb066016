#pragma once

#include <QStringList>
#include <QVariant>

#include <functional>

class Database;
class Dataset;
class EngineQuery;
class SqlQuery;

// Statements of the two answer aggregations of the data module, for one session S of questionnaire T in
// class C. Both are built from the same count blocks: every pair of a question and a row of the class with
// its positive and negative counts from one grouping of the session's answers (0 and 0 for a pair nobody
// chose), and the free texts of real pupils. Their cost is linear in the session's answers.
//
// `Odpovedi_Query` (answerCountsSql), one row per question and row of the class, plus one row per free-text
// answer under its author's name:
//   cele_jmeno, id_otazky, id_partnera, cela_otazka, text_otazky, text_otazky_negativni, pocet_pozitivni,
//   pocet_negativni, slovy
// ordered by pocet_pozitivni ascending, then id_otazky, id_partnera and slovy (so that equal counts always
// come in the same order). Counts are 0, never NULL; `slovy` is '' except in free-text rows.
//
// `ADOQuery2` (whoChoseWhomSql), the counts joined with who chose whom: for every question and addressee
// (a row of the class) one row per respondent who chose the addressee, or one row with an empty
// respondent when nobody did, for each wording the question has (`pozitivni` 1 for the positive wording, 0
// for the negative one). Columns:
//   cele_jmeno, "prvni_tabulka.id_otazky", id_partnera, cela_otazka, "prvni_tabulka.text_otazky",
//   text_otazky_negativni, pocet_pozitivni, pocet_negativni, typ, popis, poradi_vyhodnoceni, nadpis_nad,
//   slovy, pohlavi, "druha_tabulka.id_otazky", pozitivni, id_adresata_odpovedi, id_respondenta,
//   jmeno_adresata, jmeno_respondenta, "druha_tabulka.text_otazky"
// The two columns that both halves have carry the half's name (the text of `druha_tabulka.text_otazky` is
// the wording of the row's polarity). The last line of the statement is the ordering; callers replace it
// with one of the two orderings below. The respondents come from the session's choices, read once and
// looked up by question, addressee and polarity.
//
// Parameters: every `par_id_vyhodnoceni…` is S, every `par_id_testu…` is T, every `par_id_tridy…` is C;
// setParameters() sets them all.
namespace AggregationQueries {

QStringList answerCountsSql();
QStringList whoChoseWhomSql();

// Orderings of `ADOQuery2` (true is stored as 1, so "positive rows first" is `pozitivni DESC`). Within a
// question the most chosen (or most rejected) addressee comes first; equal counts by addressee, then
// respondent. The statement is stored with the first one.
inline constexpr char positiveFirstOrder[] =
    "ORDER BY pozitivni DESC, druha_tabulka.id_otazky ASC, pocet_pozitivni DESC, id_adresata_odpovedi, "
    "id_respondenta, slovy COLLATE BINARY";
inline constexpr char negativeFirstOrder[] =
    "ORDER BY pozitivni ASC, druha_tabulka.id_otazky ASC, pocet_negativni DESC, id_adresata_odpovedi, "
    "id_respondenta, slovy COLLATE BINARY";

// Sets every parameter of the dataset's statement by its name: session, questionnaire and class.
void setParameters(Dataset &dataset, const QVariant &session, const QVariant &questionnaire,
                   const QVariant &classId);

// A statement's text as a dataset runs it (lines joined), its last line replaced by `orderLine` unless
// that is empty.
QString statementText(const QStringList &lines, const QString &orderLine = QString());
// Binds every parameter of the statement text by its name, as setParameters does for a dataset.
void bindParameters(SqlQuery &query, const QString &sql, const QVariant &session,
                    const QVariant &questionnaire, const QVariant &classId);
void bindParameters(EngineQuery &query, const QString &sql, const QVariant &session,
                    const QVariant &questionnaire, const QVariant &classId);

// One row of the answer counts (answerCountsSql), its columns as the engine gives them.
struct AnswerCountRow {
    QVariant celeJmeno;
    QVariant idOtazky;
    QVariant idPartnera;
    QVariant celaOtazka;
    QVariant textOtazky;
    QVariant textOtazkyNegativni;
    QVariant pocetPozitivni;
    QVariant pocetNegativni;
    QVariant slovy;
};

// The answer counts of session S of questionnaire T in class C, in the statement's own order, read with
// bound values without a dataset. Raises DatabaseError when the statement fails.
QList<AnswerCountRow> readAnswerCounts(Database &db, const QVariant &session, const QVariant &questionnaire,
                                       const QVariant &classId);
// The same rows one by one, without keeping them.
void forEachAnswerCount(Database &db, const QVariant &session, const QVariant &questionnaire,
                        const QVariant &classId, const std::function<void(const AnswerCountRow &)> &take);

} // namespace AggregationQueries

Q_DECLARE_TYPEINFO(AggregationQueries::AnswerCountRow, Q_RELOCATABLE_TYPE);
