#include "data/SessionOutput.h"

#include "data/Database.h"
#include "data/Dataset.h"
#include "data/EngineQuery.h"

#include <algorithm>

namespace {

QString text(const QVariant &value) {
    return value.isNull() ? QString() : value.toString();
}

void setError(QString *error, const QString &message) {
    if (error)
        *error = message;
}

// Empty positions come first, as the engine orders NULL before any number.
bool positionBefore(const QVariant &a, const QVariant &b) {
    if (a.isNull() || b.isNull())
        return a.isNull() && !b.isNull();
    return a.toLongLong() < b.toLongLong();
}

// A row of the question statements below, whose columns come in this order.
const char kQuestionColumns[] =
    "SELECT ID, poradi, poradi_vyhodnoceni, typ, text_otazky, text_otazky_negativni, popis, "
    "popis_pro_web, nadpis_nad FROM otazky ";

template <typename Query> OutputQuestion questionAt(const Query &query) {
    OutputQuestion question;
    question.id = query.value(0).toLongLong();
    question.poradi = query.value(1);
    question.poradiVyhodnoceni = query.value(2);
    question.typ = query.value(3);
    question.textOtazky = text(query.value(4));
    question.textOtazkyNegativni = text(query.value(5));
    question.popis = text(query.value(6));
    question.popisProWeb = text(query.value(7));
    question.nadpisNad = text(query.value(8));
    return question;
}

// The id after the position makes questions of the same position come in the order they were made, as the
// questionnaire's index gives them.
QString questionsSql() {
    return QLatin1String(kQuestionColumns) + QStringLiteral("WHERE id_testu = :t ORDER BY poradi, ID");
}

const char kSessionSql[] =
    "SELECT vyhodnoceni.datum, vyhodnoceni.poznamky, vyhodnoceni.id_testu, "
    "vyhodnoceni.id_tridy, trida.ID, trida.skola, trida.stupen, trida.tridni_ucitel, "
    "testy.ID, testy.nazev_testu FROM vyhodnoceni "
    "LEFT JOIN trida ON trida.ID = vyhodnoceni.id_tridy "
    "LEFT JOIN testy ON testy.ID = vyhodnoceni.id_testu WHERE vyhodnoceni.ID = :s";
const char kRosterSql[] = "SELECT ID, jmeno, prijmeni, pohlavi, poradi FROM zak WHERE id_tridy = :c ORDER BY ID";
const char kAnswersSql[] = "SELECT ID, id_otazky, id_zaka, id_partnera, pozitivni, slovy FROM odpovedi "
                           "WHERE id_vyhodnoceni = :s ORDER BY ID";
// The answers to one question only (the sociogram's): the index of the session's answers finds them.
const char kQuestionAnswersSql[] = "SELECT ID, id_otazky, id_zaka, id_partnera, pozitivni, slovy FROM odpovedi "
                                   "WHERE id_vyhodnoceni = :s AND id_otazky = :q ORDER BY ID";

// The statements of a session's outputs run on the engine's handle (EngineQuery): the values are those
// QtSql gives, without its cost per value, which a large class's answers would feel.
QList<OutputQuestion> readQuestions(Database &db, qint64 questionnaireId) {
    EngineQuery query(db, questionsSql());
    query.bind(QStringLiteral("t"), questionnaireId);
    QList<OutputQuestion> questions;
    while (query.next())
        questions.append(questionAt(query));
    return questions;
}

} // namespace

QStringList sessionOutputStatements() {
    return {QLatin1String(kSessionSql), questionsSql(), QLatin1String(kRosterSql), QLatin1String(kAnswersSql)};
}

QString OutputPupil::fullName() const {
    return prijmeni ? jmeno + u' ' + *prijmeni : jmeno;
}

QList<OutputQuestion> OutputQuestionnaire::inEvaluationOrder() const {
    QList<OutputQuestion> ordered = questions;
    std::stable_sort(ordered.begin(), ordered.end(), [](const OutputQuestion &a, const OutputQuestion &b) {
        return positionBefore(a.poradiVyhodnoceni, b.poradiVyhodnoceni);
    });
    return ordered;
}

const OutputQuestion *OutputQuestionnaire::question(qint64 questionId) const {
    for (const OutputQuestion &question : questions)
        if (question.id == questionId)
            return &question;
    return nullptr;
}

std::optional<SessionOutputData> readSession(Database &db, qint64 sessionId, QString *error) {
    EngineQuery row(db, QLatin1String(kSessionSql));
    row.bind(QStringLiteral("s"), sessionId);
    if (!row.next()) {
        setError(error, QStringLiteral("Vyhodnocení s ID %1 neexistuje.").arg(sessionId));
        return std::nullopt;
    }
    if (row.value(4).isNull()) {
        setError(error, QStringLiteral("Třída vyhodnocení %1 neexistuje.").arg(sessionId));
        return std::nullopt;
    }
    SessionOutputData session;
    session.id = sessionId;
    session.datum = Dataset::dateFromStored(row.value(0));
    session.poznamky = text(row.value(1));
    session.questionnaireId = row.value(2);
    session.trida.id = row.value(4).toLongLong();
    session.trida.skola = text(row.value(5));
    session.trida.stupen = text(row.value(6));
    session.trida.tridniUcitel = text(row.value(7));
    if (!row.value(8).isNull()) {
        session.questionnaire.id = row.value(8).toLongLong();
        session.questionnaire.name = text(row.value(9));
        session.questionnaire.questions = readQuestions(db, session.questionnaire.id);
    }
    return session;
}

void readSessionChoices(Database &db, SessionOutputData &session, std::optional<qint64> question) {
    session.roster.clear();
    session.answers.clear();
    EngineQuery rows(db, QLatin1String(kRosterSql));
    rows.bind(QStringLiteral("c"), session.trida.id);
    while (rows.next()) {
        OutputPupil pupil;
        pupil.id = rows.integer(0);
        pupil.jmeno = rows.text(1);
        if (!rows.isNull(2))
            pupil.prijmeni = rows.text(2);
        pupil.pohlavi = rows.text(3);
        pupil.poradi = rows.value(4);
        session.roster.append(std::move(pupil));
    }
    EngineQuery answers(db, QLatin1String(question ? kQuestionAnswersSql : kAnswersSql));
    answers.bind(QStringLiteral("s"), session.id);
    if (question)
        answers.bind(QStringLiteral("q"), *question);
    while (answers.next()) {
        OutputAnswer answer;
        answer.id = answers.integer(0);
        answer.question = answers.integer(1);
        answer.respondent = answers.integer(2);
        answer.partner = answers.integer(3);
        const QVariant polarity = answers.value(4);
        if (!polarity.isNull()) {
            bool number = false;
            const qint64 stored = polarity.toLongLong(&number);
            if (number && (stored == Database::boolValue(true) || stored == Database::boolValue(false)))
                answer.positive = stored == Database::boolValue(true);
        }
        answer.slovy = answers.text(5);
        session.answers.append(std::move(answer));
    }
}

QStringList sessionQuestionStatements() {
    return {QLatin1String(kRosterSql), QLatin1String(kQuestionAnswersSql)};
}

std::optional<SessionOutputData> readSessionOutput(Database &db, qint64 sessionId, QString *error) {
    std::optional<SessionOutputData> session = readSession(db, sessionId, error);
    if (session)
        readSessionChoices(db, *session);
    return session;
}

QStringList classOutputStatements() {
    return {QStringLiteral("SELECT skola, stupen, tridni_ucitel FROM trida WHERE ID = :c"),
            QStringLiteral("SELECT vyhodnoceni.ID, vyhodnoceni.datum, testy.nazev_testu FROM vyhodnoceni "
                           "LEFT JOIN testy ON vyhodnoceni.id_testu = testy.ID "
                           "WHERE vyhodnoceni.id_tridy = :c ORDER BY vyhodnoceni.datum DESC, vyhodnoceni.ID DESC")};
}

std::optional<OutputClass> readClassOutput(Database &db, qint64 classId, QString *error) {
    SqlQuery row(db, classOutputStatements().at(0));
    row.bind(QStringLiteral("c"), classId).exec();
    if (!row.next()) {
        setError(error, QStringLiteral("Třída s ID %1 neexistuje.").arg(classId));
        return std::nullopt;
    }
    return OutputClass{classId, text(row.value(0)), text(row.value(1)), text(row.value(2))};
}

QList<OutputSessionItem> readClassSessions(Database &db, qint64 classId) {
    // Sessions of the same date come as the class's index gives them backwards: the later made first.
    SqlQuery rows(db, classOutputStatements().at(1));
    rows.bind(QStringLiteral("c"), classId).exec();
    QList<OutputSessionItem> sessions;
    while (rows.next())
        sessions.append(
            {rows.value(0).toLongLong(), Dataset::dateFromStored(rows.value(1)), text(rows.value(2))});
    return sessions;
}

std::optional<OutputQuestionnaire> readQuestionnaireOutput(Database &db, qint64 questionnaireId,
                                                           QString *error) {
    SqlQuery row(db, QStringLiteral("SELECT nazev_testu FROM testy WHERE ID = :t"));
    row.bind(QStringLiteral("t"), questionnaireId).exec();
    if (!row.next()) {
        setError(error, QStringLiteral("Dotazník s ID %1 neexistuje.").arg(questionnaireId));
        return std::nullopt;
    }
    OutputQuestionnaire questionnaire;
    questionnaire.id = questionnaireId;
    questionnaire.name = text(row.value(0));
    questionnaire.questions = readQuestions(db, questionnaireId);
    return questionnaire;
}

std::optional<OutputQuestion> readQuestionOutput(Database &db, qint64 questionId, QString *error) {
    SqlQuery row(db, QLatin1String(kQuestionColumns) + QStringLiteral("WHERE ID = :q"));
    row.bind(QStringLiteral("q"), questionId).exec();
    if (!row.next()) {
        setError(error, QStringLiteral("Otázka s ID %1 neexistuje.").arg(questionId));
        return std::nullopt;
    }
    return questionAt(row);
}
