#include "cli/DeleteCommand.h"

#include "data/ClassRules.h"
#include "data/Database.h"
#include "data/QuestionnaireRules.h"
#include "data/RosterRules.h"
#include "data/SessionRules.h"
#include "support/ScriptedPrompter.h"

namespace {

const char kUsage[] = "Použití: orbelis-cli delete class|pupil|questionnaire|question|session ID --yes";

struct Target {
    const char *kind;
    const char *table;
    const char *caption; // Czech name of the thing, for messages
    const char *title;   // the same, capitalised
};

const Target kTargets[] = {
    {"class", "trida", "třída", "Třída"},
    {"pupil", "zak", "žák", "Žák"},
    {"questionnaire", "testy", "dotazník", "Dotazník"},
    {"question", "otazky", "otázka", "Otázka"},
    {"session", "vyhodnoceni", "vyhodnocení", "Vyhodnocení"},
};

bool rowExists(Database &db, const char *table, qint64 id) {
    return db.scalar(QStringLiteral("SELECT count(*) FROM %1 WHERE ID = :id").arg(QLatin1String(table)),
                     {{QStringLiteral("id"), id}})
               .toInt() > 0;
}

// Runs the cascade of the kind's rule set; false when it was declined or failed.
bool deleteRow(Database &db, Prompter &prompter, const QString &kind, qint64 id) {
    if (kind == QLatin1String("class"))
        return ClassRules(db, prompter).deleteClass(id);
    if (kind == QLatin1String("pupil"))
        return RosterRules(db, prompter).deletePupils({id});
    if (kind == QLatin1String("questionnaire"))
        return QuestionnaireRules(db, prompter).deleteQuestionnaire(id);
    if (kind == QLatin1String("question"))
        return QuestionnaireRules(db, prompter).deleteQuestion(id);
    return SessionRules(db, prompter).deleteSession(id);
}

} // namespace

int runDeleteCommand(const QStringList &args, Database &db, ScriptedPrompter &prompter, QTextStream &out,
                     QTextStream &err) {
    QStringList words;
    bool yes = false;
    for (const QString &arg : args) {
        if (arg == QLatin1String("--yes"))
            yes = true;
        else
            words << arg;
    }
    const Target *target = nullptr;
    for (const Target &t : kTargets)
        if (!words.isEmpty() && words[0] == QLatin1String(t.kind))
            target = &t;
    bool numeric = false;
    const qint64 id = words.value(1).toLongLong(&numeric);
    if (words.size() != 2 || !target || !numeric) {
        err << kUsage << Qt::endl;
        return 2;
    }

    try {
        if (!rowExists(db, target->table, id)) {
            err << QStringLiteral("%1 s ID %2 neexistuje.").arg(QString::fromUtf8(target->title)).arg(id)
                << Qt::endl;
            return 1;
        }
    } catch (const DatabaseError &error) {
        err << error.message() << Qt::endl;
        return 1;
    }
    if (!yes) {
        err << QStringLiteral(
                   "Mazání odstraní i všechny závislé záznamy a nelze je vrátit. Nic nebylo smazáno; "
                   "pro smazání přidejte volbu --yes.")
            << Qt::endl;
        return 1;
    }

    const qsizetype promptsBefore = prompter.prompts().size();
    prompter.setFallback(true);
    deleteRow(db, prompter, QString::fromLatin1(target->kind), id);
    prompter.setFallback(QVariant());
    for (qsizetype i = promptsBefore; i < prompter.prompts().size(); ++i) {
        const ScriptedPrompter::Prompt &p = prompter.prompts()[i];
        if (p.kind == QLatin1String("yesno") || p.kind == QLatin1String("yesnoAgain"))
            out << p.title << ": " << p.text << " -> ano" << Qt::endl;
        else if (p.kind == QLatin1String("message"))
            err << p.text << Qt::endl;
    }
    bool gone = false;
    try {
        gone = !rowExists(db, target->table, id);
    } catch (const DatabaseError &error) {
        err << error.message() << Qt::endl;
    }
    if (!gone) {
        err << QStringLiteral("Záznam (%1, ID %2) se nepodařilo smazat; databáze zůstala beze změny.")
                   .arg(QString::fromUtf8(target->caption))
                   .arg(id)
            << Qt::endl;
        return 1;
    }
    out << QStringLiteral("Smazáno: %1 s ID %2.").arg(QString::fromUtf8(target->caption)).arg(id) << Qt::endl;
    return 0;
}
