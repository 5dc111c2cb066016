#include "questionnaires/ExchangeFile.h"

#include "data/Database.h"
#include "data/DatabaseMaintenance.h"
#include "data/Schema.h"
#include "data/TextRules.h"
#include "files/FileWriter.h"
#include "platform/Prompter.h"

#include <QAtomicInt>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <cerrno>

namespace {

const QString kFilter = QStringLiteral("Databázový soubor Orbelis (*.mdb)");
const QStringList kTables = {QStringLiteral("testy"), QStringLiteral("otazky")};

// The eight columns a question carries in the exchange file, in statement order.
const char kQuestionColumns[] =
    "text_otazky, text_otazky_negativni, poradi, poradi_vyhodnoceni, typ, popis, nadpis_nad, popis_pro_web";
const char kInsertQuestion[] = "INSERT INTO otazky (id_testu, text_otazky, text_otazky_negativni, poradi, "
                               "poradi_vyhodnoceni, typ, popis, "
                               "nadpis_nad, popis_pro_web) VALUES (:t, :text, :negative, :order, "
                               ":evaluation, :kind, :popis, :nadpis, :web)";

struct Question {
    QVariant text;
    QVariant negative;
    qint64 order = 0;
    qint64 evaluationOrder = 0;
    int kind = 0;
    QVariant popis;
    QVariant nadpis;
    QVariant web;
};

bool isEmpty(const QVariant &value) {
    return value.isNull() || !value.isValid() || value.toString().trimmed().isEmpty();
}

// A text column as text (whatever the file stored), NULL kept.
QVariant textValue(const QVariant &value) {
    if (value.isNull() || !value.isValid())
        return QVariant(QMetaType(QMetaType::QString));
    return value.toString();
}

// A short text column from a file from outside: no control characters (line breaks kept where the text
// may run over lines), at most the column's length.
QVariant shortText(const QVariant &value, bool multiline = false) {
    if (value.isNull() || !value.isValid())
        return QVariant(QMetaType(QMetaType::QString));
    QString text = multiline ? TextRules::withoutControls(value.toString()) : TextRules::cleaned(value.toString());
    TextRules::fitShortText(text);
    return text;
}

QString shownPath(const QString &file) {
    return QDir::toNativeSeparators(QFileInfo(file).absoluteFilePath());
}

QString damagedFile(const QString &file) {
    return QStringLiteral("Soubor \"%1\" je poškozený. Nic nebylo importováno.").arg(shownPath(file));
}

QString notAnExchangeFile(const QString &file) {
    return QStringLiteral("Soubor \"%1\" není soubor s exportovaným dotazníkem programu Orbelis (databáze "
                          "s tabulkami testy a otazky). Nic nebylo importováno.")
        .arg(shownPath(file));
}

// An order read from the file; empty takes the running number.
qint64 orderValue(const QVariant &value, int number, const QString &file, const char *column) {
    if (isEmpty(value))
        return number;
    bool ok = false;
    const qint64 order = value.toString().trimmed().toLongLong(&ok);
    if (!ok)
        throw ExchangeRefused(QStringLiteral("Soubor \"%1\" má u %2. otázky neplatnou hodnotu %3 \"%4\". Nic "
                                             "nebylo importováno.")
                                  .arg(shownPath(file))
                                  .arg(number)
                                  .arg(QLatin1String(column), value.toString()));
    return order;
}

// A kind read from the file; empty is 0. Any whole number is kept as it is: the question window shows a
// kind it does not know as "základní", and the file must not lose what another installation stored.
int kindValue(const QVariant &value, int number, const QString &file) {
    if (isEmpty(value))
        return 0;
    bool ok = false;
    const int kind = value.toString().trimmed().toInt(&ok);
    if (!ok)
        throw ExchangeRefused(QStringLiteral("Soubor \"%1\" má u %2. otázky neplatný druh otázky \"%3\". Nic "
                                             "nebylo importováno.")
                                  .arg(shownPath(file))
                                  .arg(number)
                                  .arg(value.toString()));
    return kind;
}

void bindQuestion(SqlQuery &query, qint64 questionnaireId, const Question &q) {
    query.bind(QStringLiteral("t"), questionnaireId)
        .bind(QStringLiteral("text"), q.text)
        .bind(QStringLiteral("negative"), q.negative)
        .bind(QStringLiteral("order"), q.order)
        .bind(QStringLiteral("evaluation"), q.evaluationOrder)
        .bind(QStringLiteral("kind"), q.kind)
        .bind(QStringLiteral("popis"), q.popis)
        .bind(QStringLiteral("nadpis"), q.nadpis)
        .bind(QStringLiteral("web"), q.web);
}

bool isDatabaseFile(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.read(16) == QByteArray("SQLite format 3", 16);
}

// Copies the template's bytes into the (empty) temporary file.
bool copyInto(const QString &source, const QString &target, QString *error) {
    QFile in(source);
    QFile out(target);
    if (!in.open(QIODevice::ReadOnly)) {
        *error = in.errorString();
        return false;
    }
    errno = 0;
    if (!out.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        *error = FileWriter::reason(errno, target);
        return false;
    }
    while (!in.atEnd()) {
        const QByteArray chunk = in.read(1 << 20);
        if (chunk.isEmpty() && in.error() != QFileDevice::NoError) {
            *error = in.errorString();
            return false;
        }
        errno = 0;
        if (out.write(chunk) != chunk.size()) {
            *error = FileWriter::reason(errno, target);
            return false;
        }
    }
    return true;
}

// Clears the pointer to the running connection when a command ends, however it ends.
class Connected final {
public:
    Connected(Database *&slot, Database &connection) : m_slot(slot) { m_slot = &connection; }
    ~Connected() { m_slot = nullptr; }
    Q_DISABLE_COPY_MOVE(Connected)

private:
    Database *&m_slot;
};

QAtomicInt g_instances;

} // namespace

TDM_IE::TDM_IE(Database &mainDatabase, const AppFolders &folders, QObject *parent)
    : QObject(parent), m_main(mainDatabase), m_folders(folders),
      m_connectionName(QStringLiteral("orbelis-ie-%1").arg(g_instances.fetchAndAddRelaxed(1))) {
    setObjectName(QStringLiteral("TDM_IE"));
}

TDM_IE::~TDM_IE() = default;

QString TDM_IE::exportTarget(const QString &chosenName) {
    if (chosenName.endsWith(QLatin1String(".mdb"), Qt::CaseInsensitive))
        return chosenName;
    return chosenName + QStringLiteral(".mdb");
}

QString TDM_IE::importName(const QString &file) {
    QString name = TextRules::cleaned(QFileInfo(file).completeBaseName());
    TextRules::fitShortText(name);
    return name.isEmpty() ? QStringLiteral("Dotazník") : name;
}

QString TDM_IE::templateFile() const {
    return m_folders.dataFolder + QStringLiteral("template/skola_export_template.mdb");
}

bool TDM_IE::isConnected() const {
    return m_connection && m_connection->isOpen();
}

QString TDM_IE::exportFailedText() {
    return QStringLiteral("Při exportu došlo k chybě. Obraťte se na autora programu.");
}

QString TDM_IE::importFailedText() {
    return QStringLiteral("Při importu došlo k chybě. Obraťte se na autora programu.");
}

QString TDM_IE::exportQuestionnaire(qint64 questionnaireId, const QString &chosenName) {
    if (chosenName.trimmed().isEmpty())
        throw ExchangeRefused(QStringLiteral("Není zadán název souboru pro export."));
    const QString target = exportTarget(chosenName);
    if (DatabaseMaintenance::sameFile(target, m_main.filePath()) ||
        DatabaseMaintenance::sameFile(target, templateFile()))
        throw ExchangeRefused(
            QStringLiteral("Do souboru \"%1\" nelze exportovat: je to databáze programu. Zvolte "
                           "jiný název souboru.")
                .arg(shownPath(target)));
    const QFileInfo targetInfo(target);
    if (targetInfo.isDir() || !targetInfo.absoluteDir().exists())
        throw ExchangeRefused(
            QStringLiteral("Do souboru \"%1\" nelze exportovat: složka neexistuje nebo je to "
                           "složka.")
                .arg(shownPath(target)));

    QVariant name;
    {
        SqlQuery header(m_main, QStringLiteral("SELECT nazev_testu FROM testy WHERE ID = :id"));
        header.bind(QStringLiteral("id"), questionnaireId).exec();
        if (!header.next())
            throw ExchangeRefused(QStringLiteral("Dotazník s ID %1 neexistuje.").arg(questionnaireId));
        name = textValue(header.value(0));
    }

    // The questions in the question window's order; an empty order or kind is filled in as it fills them.
    QList<Question> questions;
    SqlQuery read(m_main, QStringLiteral("SELECT %1 FROM otazky WHERE id_testu = :id ORDER BY poradi, ID")
                              .arg(QLatin1String(kQuestionColumns)));
    read.bind(QStringLiteral("id"), questionnaireId).exec();
    for (int number = 1; read.next(); ++number) {
        Question q;
        q.text = textValue(read.value(0));
        q.negative = textValue(read.value(1));
        q.order = isEmpty(read.value(2)) ? number : read.value(2).toLongLong();
        q.evaluationOrder = isEmpty(read.value(3)) ? number : read.value(3).toLongLong();
        q.kind = isEmpty(read.value(4)) ? 0 : read.value(4).toInt();
        q.popis = textValue(read.value(5));
        q.nadpis = textValue(read.value(6));
        q.web = textValue(read.value(7));
        questions.append(q);
    }

    // Built beside the target from the template (made afresh when the data folder lacks it) and renamed
    // into place at the end.
    EngineFileWriter written(target);
    if (!written.open())
        throw ExchangeRefused(written.errorText());
    const QString part = written.temporaryPath();
    const bool fromTemplate = QFileInfo(templateFile()).isFile();
    {
        QString error;
        if (fromTemplate && !copyInto(templateFile(), part, &error))
            throw ExchangeRefused(
                QStringLiteral("Šablonu \"%1\" nelze zkopírovat: %2").arg(shownPath(templateFile()), error));

        // A template that is no database is a damaged program file, not something the teacher did.
        const QString badTemplate = QStringLiteral("Šablona \"%1\" není prázdný soubor pro export dotazníku.")
                                        .arg(shownPath(templateFile()));
        if (fromTemplate && !isDatabaseFile(part))
            throw DatabaseError(badTemplate);
        Database file(m_connectionName);
        const Connected connected(m_connection, file);
        file.open(part, QStringList());
        Transaction transaction(file);
        if (!fromTemplate)
            Schema::createExchange(file);
        if (!Schema::hasTables(file, kTables))
            throw DatabaseError(badTemplate);
        // A template that is not empty must not give the file a second questionnaire.
        file.exec(QStringLiteral("DELETE FROM otazky"));
        file.exec(QStringLiteral("DELETE FROM testy"));
        file.exec(QStringLiteral("INSERT INTO testy (nazev_testu) VALUES (:n)"),
                  {{QStringLiteral("n"), name}});
        const qint64 fileQuestionnaire = file.lastInsertId();
        SqlQuery insert(file, QString::fromLatin1(kInsertQuestion));
        for (const Question &q : questions) {
            bindQuestion(insert, fileQuestionnaire, q);
            insert.exec();
        }
        transaction.commit();
        file.close();
    }
    if (!written.commit(fromTemplate ? templateFile() : QString()))
        throw ExchangeRefused(written.errorText());
    return target;
}

std::optional<qint64> TDM_IE::importQuestionnaire(const QString &file) {
    if (!QFileInfo(file).isFile())
        throw ExchangeRefused(QStringLiteral("Soubor \"%1\" neexistuje.").arg(shownPath(file)));
    const QString name = importName(file);

    // The whole file is read before the main database is touched, so a file that turns out to be unusable
    // changes nothing, and the file's connection is closed before anything is written.
    QList<Question> questions;
    {
        Database exchange(m_connectionName);
        const Connected connected(m_connection, exchange);
        try {
            // The file is only read: whatever schema it has stays as it is.
            exchange.open(file, QStringList(), Database::Opening::LeaveSchema);
            if (!Schema::hasTables(exchange, kTables))
                throw ExchangeRefused(notAnExchangeFile(file));
        } catch (const ExchangeRefused &) {
            throw;
        } catch (const DatabaseError &e) {
            throw ExchangeRefused(notAnExchangeFile(file) + QStringLiteral("\r\nPodrobnosti: ") +
                                  e.message());
        }
        std::optional<SqlQuery> read;
        try {
            read.emplace(exchange,
                         QStringLiteral("SELECT %1 FROM otazky").arg(QLatin1String(kQuestionColumns)));
        } catch (const DatabaseError &e) {
            // A column is missing.
            throw ExchangeRefused(notAnExchangeFile(file) + QStringLiteral("\r\nPodrobnosti: ") +
                                  e.message());
        }
        try {
            // A damaged page anywhere in the file refuses it, not just one the rows below happen to cross.
            const QString check = exchange.scalar(QStringLiteral("PRAGMA quick_check(1)")).toString();
            if (check != QLatin1String("ok"))
                throw ExchangeRefused(damagedFile(file) + QStringLiteral("\r\nPodrobnosti: ") + check);
            if (exchange.scalar(QStringLiteral("SELECT count(*) FROM testy")).toLongLong() != 1)
                return std::nullopt;
            read->exec();
            for (int number = 1; read->next(); ++number) {
                Question q;
                q.text = shortText(read->value(0));
                q.negative = shortText(read->value(1));
                q.order = orderValue(read->value(2), number, file, "poradi");
                q.evaluationOrder = orderValue(read->value(3), number, file, "poradi_vyhodnoceni");
                q.kind = kindValue(read->value(4), number, file);
                q.popis = shortText(read->value(5), true);
                q.nadpis = shortText(read->value(6), true);
                q.web = shortText(read->value(7), true);
                questions.append(q);
            }
        } catch (const DatabaseError &e) {
            throw ExchangeRefused(damagedFile(file) + QStringLiteral("\r\nPodrobnosti: ") + e.message());
        }
        read.reset();
        exchange.close();
    }

    Transaction transaction(m_main);
    m_main.exec(QStringLiteral("INSERT INTO testy (nazev_testu) VALUES (:n)"), {{QStringLiteral("n"), name}});
    const qint64 id = m_main.lastInsertId();
    SqlQuery insert(m_main, QString::fromLatin1(kInsertQuestion));
    for (const Question &q : questions) {
        bindQuestion(insert, id, q);
        insert.exec();
    }
    transaction.commit();
    return id;
}

QString TDM_IE::exportWithPrompts(Prompter &prompter, qint64 questionnaireId) {
    const QString chosen =
        prompter.saveFileName(QStringLiteral("Exportovat dotazník"), kFilter, QStringLiteral("mdb"));
    if (chosen.isEmpty())
        return QString();
    try {
        const QString written = exportQuestionnaire(questionnaireId, chosen);
        prompter.message(QStringLiteral("Export dopadl úspěšně."));
        return written;
    } catch (const ExchangeRefused &e) {
        prompter.message(e.message(), QString(), Prompter::Icon::Warning);
    } catch (const DatabaseError &e) {
        if (!e.explainsItself())
            prompter.message(exportFailedText(), QString(), Prompter::Icon::Error);
        prompter.message(e.message(), QString(), Prompter::Icon::Error);
    }
    return QString();
}

std::optional<qint64> TDM_IE::importWithPrompts(Prompter &prompter) {
    const QString file = prompter.openFileName(QStringLiteral("Importovat dotazník"), kFilter);
    if (file.isEmpty())
        return std::nullopt;
    try {
        const std::optional<qint64> id = importQuestionnaire(file);
        if (id) // a file without exactly one questionnaire is passed over without a word
            prompter.message(QStringLiteral("Import dopadl úspěšně."));
        return id;
    } catch (const ExchangeRefused &e) {
        prompter.message(e.message(), QString(), Prompter::Icon::Warning);
    } catch (const DatabaseError &e) {
        if (!e.explainsItself())
            prompter.message(importFailedText(), QString(), Prompter::Icon::Error);
        prompter.message(e.message(), QString(), Prompter::Icon::Error);
    }
    return std::nullopt;
}
