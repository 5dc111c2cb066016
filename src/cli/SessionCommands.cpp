#include "cli/SessionCommands.h"

#include "analysis/CodeKey.h"
#include "cli/CliOptions.h"
#include "data/AggregationQueries.h"
#include "data/AnonymousCopy.h"
#include "data/AnswerRules.h"
#include "data/DataModule.h"
#include "data/Database.h"
#include "data/PupilKinds.h"
#include "data/SessionOutput.h"
#include "files/CsvCell.h"
#include "files/FileWriter.h"
#include "support/ScriptedPrompter.h"

#include <QDate>

namespace {

const char kSessionUsage[] =
    "Použití: orbelis-cli session add --class ID --questionnaire ID [--date RRRR-MM-DD] | "
    "session list --class ID\n";
const char kAnswersUsage[] =
    "Použití: orbelis-cli answers add|remove --session ID --question ID --respondent ID --partner ID "
    "[--negative] | answers text --session ID --question ID --respondent ID TEXT\n";
const char kExportUsage[] =
    "Použití: orbelis-cli export counts --session ID [--anonymous [--with-free-text]] [--out SOUBOR] | "
    "export anonymous --class ID [--with-free-text] SOUBOR.mdb | export key --class ID --out "
    "SOUBOR.csv|.docx|.pdf\n";

// Makes the class the current row of the register, as the main window does before it shows the session
// list; the data module then reads the class's sessions into `Vyhodnoceni_Query`.
bool selectClass(TDM &dm, qint64 classId, QTextStream &err) {
    Dataset &classes = dm.Trida_Query();
    if (!dm.RefreshDataset(classes) || !classes.locate(QStringLiteral("ID"), classId)) {
        err << QStringLiteral("Třída s ID %1 neexistuje.\n").arg(classId);
        return false;
    }
    return dm.Vyhodnoceni_Query().isOpen() || dm.RefreshDataset(dm.Vyhodnoceni_Query());
}

int addSession(TDM &dm, QStringList words, QTextStream &out, QTextStream &err) {
    const std::optional<qint64> classId = takeIdOption(words, QStringLiteral("--class"));
    const std::optional<qint64> questionnaire = takeIdOption(words, QStringLiteral("--questionnaire"));
    const std::optional<QString> dateText = takeOption(words, QStringLiteral("--date"));
    if (!classId || !questionnaire || !words.isEmpty()) {
        err << kSessionUsage;
        return 2;
    }
    QDate date;
    if (dateText) {
        date = QDate::fromString(*dateText, QStringLiteral("yyyy-MM-dd"));
        if (!date.isValid()) {
            err << QStringLiteral("Datum \"%1\" není platné, zadejte ho jako RRRR-MM-DD.\n").arg(*dateText);
            return 2;
        }
    }
    PromptLog log(dm.prompter());
    if (!selectClass(dm, *classId, err))
        return 1;
    Dataset &questionnaires = dm.Testy_Query();
    if (!dm.RefreshDataset(questionnaires) || !questionnaires.locate(QStringLiteral("ID"), *questionnaire)) {
        err << QStringLiteral("Dotazník s ID %1 neexistuje.\n").arg(*questionnaire);
        return 1;
    }
    // The data module gives the new row its class, date and notes and takes the questionnaire on saving.
    Dataset &sessions = dm.Vyhodnoceni_Query();
    if (!sessions.insert()) {
        log.printTo(err);
        return 1;
    }
    if (date.isValid())
        sessions.setValue(QStringLiteral("datum"), QDateTime(date, QTime(0, 0)));
    if (!sessions.post()) {
        log.printTo(err);
        sessions.cancel();
        err << QStringLiteral("Vyhodnocení se nepodařilo uložit.\n");
        return 1;
    }
    out << dm.LastIdentity() << '\n';
    return 0;
}

int listSessions(TDM &dm, QStringList words, QTextStream &out, QTextStream &err) {
    const std::optional<qint64> classId = takeIdOption(words, QStringLiteral("--class"));
    if (!classId || !words.isEmpty()) {
        err << kSessionUsage;
        return 2;
    }
    QString reason;
    if (!readClassOutput(dm.database(), *classId, &reason)) {
        err << reason << '\n';
        return 1;
    }
    for (const OutputSessionItem &session : readClassSessions(dm.database(), *classId))
        out << session.id << '\t' << session.datum.toDateTime().toString(QStringLiteral("dd.MM.yyyy")) << '\t'
            << session.nazevTestu << '\n';
    return 0;
}

// One answer's session, question and respondent, checked against each other.
struct AnswerTarget {
    qint64 session = 0;
    qint64 question = 0;
    qint64 respondent = 0;
    int typ = 0;
    bool hasNegative = false;
};

// The --session, --question and --respondent options; nullopt when one is missing or not a number.
std::optional<AnswerTarget> takeTarget(QStringList &words) {
    const std::optional<qint64> session = takeIdOption(words, QStringLiteral("--session"));
    const std::optional<qint64> question = takeIdOption(words, QStringLiteral("--question"));
    const std::optional<qint64> respondent = takeIdOption(words, QStringLiteral("--respondent"));
    if (!session || !question || !respondent)
        return std::nullopt;
    return AnswerTarget{*session, *question, *respondent};
}

// Completes the target from the database. Refuses (false, message on err) a session, question or
// respondent that does not exist, a question of another questionnaire than the session's, a respondent of
// another class and a row that is an answer option rather than a respondent.
bool checkTarget(TDM &dm, AnswerTarget &target, QTextStream &err) {
    const qint64 session = target.session;
    const qint64 question = target.question;
    const qint64 respondent = target.respondent;
    Database &db = dm.database();
    SqlQuery sessionRow(db, QStringLiteral("SELECT id_tridy, id_testu FROM vyhodnoceni WHERE ID = :s"));
    sessionRow.bind(QStringLiteral("s"), session).exec();
    if (!sessionRow.next()) {
        err << QStringLiteral("Vyhodnocení s ID %1 neexistuje.\n").arg(session);
        return false;
    }
    const QVariant classId = sessionRow.value(0);
    const QVariant questionnaire = sessionRow.value(1);

    SqlQuery questionRow(
        db, QStringLiteral("SELECT id_testu, typ, text_otazky_negativni FROM otazky WHERE ID = :q"));
    questionRow.bind(QStringLiteral("q"), question).exec();
    if (!questionRow.next()) {
        err << QStringLiteral("Otázka s ID %1 neexistuje.\n").arg(question);
        return false;
    }
    if (questionnaire.isNull() || questionRow.value(0).isNull() ||
        questionRow.value(0).toLongLong() != questionnaire.toLongLong()) {
        err << QStringLiteral("Otázka %1 nepatří do dotazníku vyhodnocení %2.\n").arg(question).arg(session);
        return false;
    }

    SqlQuery respondentRow(db, QStringLiteral("SELECT id_tridy, pohlavi FROM zak WHERE ID = :r"));
    respondentRow.bind(QStringLiteral("r"), respondent).exec();
    if (!respondentRow.next()) {
        err << QStringLiteral("Žák s ID %1 neexistuje.\n").arg(respondent);
        return false;
    }
    if (classId.isNull() || respondentRow.value(0).isNull() ||
        respondentRow.value(0).toLongLong() != classId.toLongLong()) {
        err << QStringLiteral("Žák %1 nepatří do třídy vyhodnocení %2.\n").arg(respondent).arg(session);
        return false;
    }
    const QVariant kind = respondentRow.value(1);
    if (!kind.isNull() && !PupilKinds::isRealPupil(kind)) {
        err << QStringLiteral("Řádek %1 je možnost odpovědi, ne žák; odpovídat za něj nelze.\n")
                   .arg(respondent);
        return false;
    }
    target.typ = questionRow.value(1).toInt();
    target.hasNegative = !questionRow.value(2).toString().isEmpty();
    return true;
}

int markAnswer(TDM &dm, bool add, QStringList words, QTextStream &out, QTextStream &err) {
    const bool negative = takeFlag(words, QStringLiteral("--negative"));
    const std::optional<qint64> partner = takeIdOption(words, QStringLiteral("--partner"));
    std::optional<AnswerTarget> target = takeTarget(words);
    if (!target || !partner || !words.isEmpty()) {
        err << kAnswersUsage;
        return 2;
    }
    if (!checkTarget(dm, *target, err))
        return 1;
    AnswerRules &rules = dm.answers();
    PromptLog log(dm.prompter());
    const bool positive = !negative;
    if (add) {
        if (target->typ == 4) {
            err << QStringLiteral("Otázka %1 je slovní; odpověď zapište příkazem answers text.\n")
                       .arg(target->question);
            return 1;
        }
        if (negative && !target->hasNegative) {
            err << QStringLiteral("Otázka %1 nemá zápornou formulaci.\n").arg(target->question);
            return 1;
        }
        if (!rules.offers(target->question, target->respondent, *partner)) {
            log.printTo(err);
            err << QStringLiteral(
                       "Otázka %1 nenabízí respondentovi %2 řádek %3 (jiná třída, jiný druh řádku, "
                       "nebo respondent sám).\n")
                       .arg(target->question)
                       .arg(target->respondent)
                       .arg(*partner);
            return 1;
        }
    }
    const AnswerMarks marks = rules.loadMarks(target->session, target->question, target->respondent);
    if (marks.contains(*partner, positive) == add) {
        out << (add ? QStringLiteral("Volba už je označena, nic se nezměnilo.\n")
                    : QStringLiteral("Volba nebyla označena, nic se nezměnilo.\n"));
        return 0;
    }
    const std::optional<bool> state =
        rules.toggle(target->session, target->question, target->respondent, *partner, positive);
    if (!state || *state != add) {
        log.printTo(err);
        return 1;
    }
    out << (add ? QStringLiteral("Volba označena.\n") : QStringLiteral("Označení volby odstraněno.\n"));
    return 0;
}

int freeText(TDM &dm, QStringList words, QTextStream &out, QTextStream &err) {
    std::optional<AnswerTarget> target = takeTarget(words);
    if (!target || words.size() != 1) {
        err << kAnswersUsage;
        return 2;
    }
    if (!checkTarget(dm, *target, err))
        return 1;
    if (target->typ != 4) {
        err << QStringLiteral("Otázka %1 není slovní; slovní odpověď k ní zapsat nelze.\n")
                   .arg(target->question);
        return 1;
    }
    PromptLog log(dm.prompter());
    if (!dm.answers().saveFreeText(target->session, target->question, target->respondent, words.first())) {
        log.printTo(err);
        return 1;
    }
    out << QStringLiteral("Odpověď uložena.\n");
    return 0;
}

// A CSV field of the comma-separated counts: quoted as needed, a text that a spreadsheet would take for a
// formula neutralised.
QString csvField(const QVariant &value) {
    return CsvCell::of(value, u',');
}

int exportCounts(TDM &dm, QStringList words, QTextStream &out, QTextStream &err) {
    const std::optional<qint64> session = takeIdOption(words, QStringLiteral("--session"));
    const std::optional<QString> file = takeOption(words, QStringLiteral("--out"));
    if (!session || (file && file->isEmpty()) || !words.isEmpty()) {
        err << kExportUsage;
        return 2;
    }
    QString reason;
    const std::optional<SessionOutputData> read = readSession(dm.database(), *session, &reason);
    if (!read) {
        err << reason << '\n';
        return 1;
    }
    // The text is made while the rows are read (a large class has thousands), and written only when the
    // read is whole.
    QString csv =
        QStringLiteral("cele_jmeno,id_otazky,id_partnera,cela_otazka,text_otazky,text_otazky_negativni,"
                       "pocet_pozitivni,pocet_negativni,slovy\r\n");
    qsizetype rows = 0;
    AggregationQueries::forEachAnswerCount(
        dm.database(), read->id, read->questionnaireId, read->trida.id,
        [&](const AggregationQueries::AnswerCountRow &row) {
            for (const QVariant *cell :
                 {&row.celeJmeno, &row.idOtazky, &row.idPartnera, &row.celaOtazka, &row.textOtazky,
                  &row.textOtazkyNegativni, &row.pocetPozitivni, &row.pocetNegativni, &row.slovy}) {
                if (cell != &row.celeJmeno)
                    csv += u',';
                csv += csvField(*cell);
            }
            csv += QLatin1String("\r\n");
            ++rows;
        });
    if (!file) {
        out << csv;
        return 0;
    }
    QString error;
    if (!FileWriter::writeWhole(*file, csv.toUtf8(), &error)) {
        err << error << '\n';
        return 1;
    }
    out << QStringLiteral("Počty odpovědí (%1 řádků) uloženy do %2.\n").arg(rows).arg(*file);
    return 0;
}

int exportAnonymous(Database &db, QStringList words, QTextStream &out, QTextStream &err) {
    const std::optional<qint64> classId = takeIdOption(words, QStringLiteral("--class"));
    const bool freeText = takeFlag(words, QStringLiteral("--with-free-text"));
    if (!classId || words.size() != 1 || words.first().startsWith(QLatin1String("--"))) {
        err << kExportUsage;
        return 2;
    }
    try {
        AnonymousCopy::exportClass(db, *classId, words.first(), freeText);
    } catch (const DatabaseError &e) {
        err << e.message() << '\n';
        return 1;
    }
    out << QStringLiteral("Anonymizovaná třída %1 uložena do %2.\n").arg(*classId).arg(words.first());
    return 0;
}

int exportKey(Database &db, QStringList words, QTextStream &out, QTextStream &err) {
    const std::optional<qint64> classId = takeIdOption(words, QStringLiteral("--class"));
    const std::optional<QString> file = takeOption(words, QStringLiteral("--out"));
    if (!classId || !file || file->isEmpty() || !words.isEmpty()) {
        err << kExportUsage;
        return 2;
    }
    QString reason;
    const std::optional<CodeKey> key = CodeKey::read(db, *classId, &reason);
    if (!key || !key->save(*file, &reason)) {
        err << reason << '\n';
        return 1;
    }
    out << QStringLiteral("Klíč kódů třídy %1 (%2 kódů) uložen do %3.\n")
               .arg(*classId)
               .arg(key->entries.size())
               .arg(*file);
    return 0;
}

} // namespace

int runSessionCommand(const QStringList &args, TDM &dm, QTextStream &out, QTextStream &err) {
    const QString verb = args.value(0);
    if (verb == QLatin1String("add"))
        return addSession(dm, args.mid(1), out, err);
    if (verb == QLatin1String("list"))
        return listSessions(dm, args.mid(1), out, err);
    err << kSessionUsage;
    return 2;
}

int runAnswersCommand(const QStringList &args, TDM &dm, QTextStream &out, QTextStream &err) {
    const QString verb = args.value(0);
    if (verb == QLatin1String("add") || verb == QLatin1String("remove"))
        return markAnswer(dm, verb == QLatin1String("add"), args.mid(1), out, err);
    if (verb == QLatin1String("text"))
        return freeText(dm, args.mid(1), out, err);
    err << kAnswersUsage;
    return 2;
}

int runExportCommand(const QStringList &args, TDM &dm, QTextStream &out, QTextStream &err) {
    if (args.value(0) == QLatin1String("counts"))
        return exportCounts(dm, args.mid(1), out, err);
    if (args.value(0) == QLatin1String("anonymous"))
        return exportAnonymous(dm.database(), args.mid(1), out, err);
    if (args.value(0) == QLatin1String("key"))
        return exportKey(dm.database(), args.mid(1), out, err);
    err << kExportUsage;
    return 2;
}
