#include "cli/DeleteCommand.h"

#include "app/ScriptedPrompter.h"
#include "data/DataModule.h"
#include "data/Database.h"

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

QVariant columnOf(Database &db, const char *table, const char *column, qint64 id) {
    return db.scalar(
        QStringLiteral("SELECT %2 FROM %1 WHERE ID = :id").arg(QLatin1String(table), QLatin1String(column)),
        {{QStringLiteral("id"), id}});
}

bool ensureOpen(TDM &dm, Dataset &dataset) {
    return dataset.isOpen() || dm.RefreshDataset(dataset);
}

// Makes `classId` the current class when it is in the register.
void selectClass(TDM &dm, const QVariant &classId) {
    if (!classId.isNull() && ensureOpen(dm, dm.Trida_Query()))
        dm.Trida_Query().locate(QStringLiteral("ID"), classId);
}

// Positions the dataset whose delete runs the cascade on the row; nullptr when that fails.
Dataset *position(TDM &dm, const QString &kind, qint64 id) {
    Database &db = dm.database();
    Dataset *dataset = nullptr;
    if (kind == QLatin1String("class")) {
        dataset = &dm.Trida_Query();
    } else if (kind == QLatin1String("pupil")) {
        const QVariant classId = columnOf(db, "zak", "id_tridy", id);
        selectClass(dm, classId);
        dataset = &dm.Zak_Query();
        dataset->setParameter(QStringLiteral("par_id_tridy"), classId);
        dataset->setParameter(QStringLiteral("par_vse"), classId.isNull() ? 1 : 0);
        if (!dm.RefreshDataset(*dataset))
            return nullptr;
    } else if (kind == QLatin1String("questionnaire")) {
        dataset = &dm.Testy_Query();
    } else if (kind == QLatin1String("question")) {
        const QVariant testId = columnOf(db, "otazky", "id_testu", id);
        if (ensureOpen(dm, dm.Testy_Query()))
            dm.Testy_Query().locate(QStringLiteral("ID"), testId);
        dataset = &dm.Otazky_Query();
        dataset->setParameter(QStringLiteral("par_id_testu"), testId);
        if (!dm.RefreshDataset(*dataset))
            return nullptr;
    } else {
        const QVariant classId = columnOf(db, "vyhodnoceni", "id_tridy", id);
        selectClass(dm, classId);
        dataset = &dm.Vyhodnoceni_Query();
        dataset->setParameter(QStringLiteral("par_id_tridy"), classId);
        if (!dm.RefreshDataset(*dataset))
            return nullptr;
    }
    if (!ensureOpen(dm, *dataset) || !dataset->locate(QStringLiteral("ID"), id))
        return nullptr;
    if (kind == QLatin1String("pupil"))
        dataset->setSelectedRows({dataset->currentRow()}); // the cascade deletes the selected rows
    return dataset;
}

} // namespace

int runDeleteCommand(const QStringList &args, TDM &dm, Prompter &prompter, QTextStream &out,
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

    Database &db = dm.database();
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

    auto *scripted = dynamic_cast<ScriptedPrompter *>(&prompter);
    const qsizetype promptsBefore = scripted ? scripted->prompts().size() : 0;
    if (scripted)
        scripted->setFallback(true);
    Dataset *dataset = position(dm, QString::fromLatin1(target->kind), id);
    if (dataset)
        dataset->deleteRecord();
    if (scripted) {
        scripted->setFallback(QVariant());
        for (qsizetype i = promptsBefore; i < scripted->prompts().size(); ++i) {
            const ScriptedPrompter::Prompt &p = scripted->prompts()[i];
            if (p.kind == QLatin1String("yesno"))
                out << p.title << ": " << p.text << " -> ano" << Qt::endl;
            else if (p.kind == QLatin1String("message"))
                err << p.text << Qt::endl;
        }
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
