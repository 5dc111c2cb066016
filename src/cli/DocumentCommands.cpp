#include "cli/DocumentCommands.h"

#include "cli/CliOptions.h"
#include "data/DataModule.h"
#include "data/Database.h"
#include "data/TextRules.h"
#include "support/ScriptedPrompter.h"

#include <QFileInfo>

namespace {

const char kUsage[] =
    "Použití: orbelis-cli documents list --class ID | add --class ID SOUBOR [--title NÁZEV] | "
    "remove ID --yes\n";

bool classExists(TDM &dm, qint64 classId, QTextStream &err) {
    if (dm.database()
            .scalar(QStringLiteral("SELECT count(*) FROM trida WHERE ID = :id"),
                    {{QStringLiteral("id"), classId}})
            .toInt() > 0)
        return true;
    err << QStringLiteral("Třída s ID %1 neexistuje.\n").arg(classId);
    return false;
}

// One field of a line: tabs and line breaks would split the line.
QString field(QString text) {
    for (QChar &c : text)
        if (c == u'\t' || c == u'\n' || c == u'\r')
            c = u' ';
    return text;
}

// Messages the rules showed since `from` go to err.
void relayMessages(const ScriptedPrompter &prompter, qsizetype from, QTextStream &err) {
    for (qsizetype i = from; i < prompter.prompts().size(); ++i)
        if (prompter.prompts()[i].kind == QLatin1String("message"))
            err << prompter.prompts()[i].text << '\n';
}

int list(TDM &dm, QStringList words, QTextStream &out, QTextStream &err) {
    const std::optional<qint64> classId = takeIdOption(words, QStringLiteral("--class"));
    if (!classId || !words.isEmpty()) {
        err << kUsage;
        return 2;
    }
    if (!classExists(dm, *classId, err))
        return 1;
    // The register's own dataset in the window's order; documents of one day in the order they came.
    Dataset &documents = dm.Listiny_ADOQuery();
    documents.setLastSqlLine(QStringLiteral("ORDER BY datum, ID"));
    documents.setParameter(QStringLiteral("par_id_tridy"), *classId);
    if (!dm.RefreshDataset(documents))
        return 1;
    const int id = documents.fieldIndex(QStringLiteral("ID"));
    const int date = documents.fieldIndex(QStringLiteral("datum"));
    const int title = documents.fieldIndex(QStringLiteral("nazev"));
    const int stored = documents.fieldIndex(QStringLiteral("cesta"));
    for (int row = 0; row < documents.recordCount(); ++row) {
        const QVariant when = documents.value(row, date);
        out << documents.value(row, id).toLongLong() << '\t'
            << (when.isNull() ? QString() : when.toDateTime().toString(QStringLiteral("dd.MM.yyyy"))) << '\t'
            << field(documents.value(row, title).toString()) << '\t'
            << field(dm.documents().documentPath(*classId, documents.value(row, stored).toString())) << '\n';
    }
    return 0;
}

int add(TDM &dm, ScriptedPrompter &prompter, QStringList words, QTextStream &out, QTextStream &err) {
    const std::optional<qint64> classId = takeIdOption(words, QStringLiteral("--class"));
    const std::optional<QString> title = takeOption(words, QStringLiteral("--title"));
    if (!classId || words.size() != 1 || words[0].isEmpty()) {
        err << kUsage;
        return 2;
    }
    if (!classExists(dm, *classId, err))
        return 1;
    const QFileInfo file(words[0]);
    if (!file.isFile()) {
        err << QStringLiteral("Soubor \"%1\" neexistuje.\n").arg(words[0]);
        return 1;
    }
    QString name = TextRules::cleaned(title.value_or(file.fileName()));
    if (TextRules::fitShortText(name))
        err << QStringLiteral("Název listiny byl zkrácen na %1 znaků.\n").arg(TextRules::kShortTextLength);
    const qsizetype before = prompter.prompts().size();
    const qint64 id =
        dm.documents().storeDocumentAs(*classId, file.absoluteFilePath(), file.fileName(), name);
    if (id == 0) {
        relayMessages(prompter, before, err);
        err << QStringLiteral("Listina nebyla přidána.\n");
        return 1;
    }
    out << id << '\n';
    return 0;
}

int remove(TDM &dm, ScriptedPrompter &prompter, QStringList words, QTextStream &out, QTextStream &err) {
    const bool yes = takeFlag(words, QStringLiteral("--yes"));
    bool numeric = false;
    const qint64 id = words.value(0).toLongLong(&numeric);
    if (words.size() != 1 || !numeric) {
        err << kUsage;
        return 2;
    }
    SqlQuery row(dm.database(), QStringLiteral("SELECT id_tridy, cesta FROM listiny WHERE ID = :id"));
    row.bind(QStringLiteral("id"), id).exec();
    if (!row.next()) {
        err << QStringLiteral("Listina s ID %1 neexistuje.\n").arg(id);
        return 1;
    }
    const QString path = dm.documents().documentPath(row.value(0).toLongLong(), row.value(1).toString());
    if (!yes) {
        err << QStringLiteral("Smazání odstraní záznam listiny i její soubor a nelze je vrátit. Nic nebylo "
                              "smazáno; pro smazání přidejte volbu --yes.\n");
        return 1;
    }
    const bool hadFile = QFileInfo(path).isFile();
    const qsizetype before = prompter.prompts().size();
    prompter.setFallback(true);
    const bool deleted = dm.documents().deleteDocument(id);
    prompter.setFallback(QVariant());
    if (!deleted) {
        relayMessages(prompter, before, err);
        err << QStringLiteral("Listinu s ID %1 se nepodařilo smazat.\n").arg(id);
        return 1;
    }
    if (QFileInfo::exists(path)) {
        relayMessages(prompter, before, err); // "the file could not be deleted"
        return 1;
    }
    if (!hadFile)
        err << QStringLiteral("Soubor listiny %1 nebyl nalezen; smazán byl jen záznam.\n").arg(path);
    out << QStringLiteral("Smazána listina s ID %1.\n").arg(id);
    return 0;
}

} // namespace

int runDocumentsCommand(const QStringList &args, TDM &dm, ScriptedPrompter &prompter, QTextStream &out,
                        QTextStream &err) {
    const QString command = args.value(0);
    const QStringList words = args.mid(1);
    try {
        if (command == QLatin1String("list"))
            return list(dm, words, out, err);
        if (command == QLatin1String("add"))
            return add(dm, prompter, words, out, err);
        if (command == QLatin1String("remove"))
            return remove(dm, prompter, words, out, err);
    } catch (const DatabaseError &error) {
        err << error.message() << '\n';
        return 1;
    }
    err << kUsage;
    return 2;
}
