#include "data/DocumentRules.h"

#include "data/Database.h"
#include "data/TextRules.h"
#include "files/FileWriter.h"
#include "platform/Prompter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

DocumentRules::DocumentRules(Database &db, Prompter &prompter, const AppFolders &folders)
    : m_db(db), m_prompter(prompter), m_folders(folders) {}

bool DocumentRules::storeDocument(qint64 classId, const QString &file, const QString &title) {
    return storeDocumentAs(classId, file, QFileInfo(file).fileName(), title) != 0;
}

qint64 DocumentRules::storeDocumentAs(qint64 classId, const QString &source, const QString &name,
                                      const QString &title) {
    const QString folder = m_folders.classFolder(classId);
    QDir().mkpath(folder);
    QString copied;
    try {
        const qint64 number =
            m_db.scalar(QStringLiteral("SELECT max(id) as nejvetsi FROM listiny")).toLongLong() + 1;
        // Control characters would end up in the register's lines and in every path built from it.
        const QString stored = QString::number(number) + u'_' + TextRules::cleaned(name);
        if (!DuplicateFile(folder + stored, source))
            return 0; // no row for a file that is not there
        copied = folder + stored;
        m_db.exec(
            QStringLiteral("INSERT INTO listiny (id_tridy, nazev, cesta, datum) VALUES (:c, :n, :p, :d)"),
            {{QStringLiteral("c"), classId},
             {QStringLiteral("n"), registeredTitle(title)},
             {QStringLiteral("p"), stored},
             {QStringLiteral("d"), Database::dateTimeText(QDateTime(QDate::currentDate(), QTime(0, 0)))}});
        return m_db.lastInsertId();
    } catch (const DatabaseError &error) {
        if (!copied.isEmpty())
            QFile::remove(copied); // no copy that no row names
        m_prompter.message(error.message(), QString(), Prompter::Icon::Error);
        return 0;
    }
}

bool DocumentRules::deleteDocumentFile(qint64 classId, const QString &storedName) {
    if (!m_prompter.askYesNo(QStringLiteral("Chcete opravdu smazat záznam spolu se souborem listiny?"),
                             QStringLiteral("Smazat listinu"), Prompter::Icon::Question))
        return false;
    const QString path = documentPath(classId, storedName);
    if (QFileInfo(path).isFile() && QFile::remove(path))
        m_prompter.message(QStringLiteral("Soubor listiny byl smazán."), QStringLiteral("Smazání listiny"),
                           Prompter::Icon::Information);
    else
        m_prompter.message(QStringLiteral("Neporařilo se vymazat soubor ") + path + u'.',
                           QStringLiteral("Smazání listiny"), Prompter::Icon::Warning);
    return true;
}

bool DocumentRules::deleteDocument(qint64 documentId) {
    try {
        SqlQuery row(m_db, QStringLiteral("SELECT id_tridy, cesta FROM listiny WHERE ID = :id"));
        row.bind(QStringLiteral("id"), documentId).exec();
        if (!row.next())
            return false;
        const qint64 classId = row.value(0).toLongLong();
        const QString storedName = row.value(1).toString();
        if (!deleteDocumentFile(classId, storedName))
            return false;
        m_db.exec(QStringLiteral("DELETE FROM listiny WHERE ID = :id"), {{QStringLiteral("id"), documentId}});
        return true;
    } catch (const DatabaseError &error) {
        m_prompter.message(error.message(), QString(), Prompter::Icon::Error);
        return false;
    }
}

QString DocumentRules::documentPath(qint64 classId, const QString &storedName) const {
    return m_folders.listinyFolder() + QString::number(classId) + u'/' + storedName;
}

QString DocumentRules::registeredTitle(const QString &title) {
    QString text = TextRules::cleaned(title);
    TextRules::fitShortText(text);
    return text.isEmpty() ? QStringLiteral("-") : text;
}

bool DocumentRules::DuplicateFile(const QString &target, const QString &source) {
    const QString otherError = QStringLiteral("Došlo k chybě. Soubor nelze duplikovat.");
    const QFileInfo sourceInfo(source);
    const QFileInfo targetInfo(target);
    if (targetInfo.exists() && sourceInfo.exists() &&
        sourceInfo.canonicalFilePath() == targetInfo.canonicalFilePath()) {
        // The source is open for reading while the target is created: the same file cannot be both.
        m_prompter.message(otherError);
        return false;
    }
    QFile in(source);
    if (!sourceInfo.isFile() || !in.open(QIODevice::ReadOnly)) {
        m_prompter.message(
            QStringLiteral("Nelze duplikovat soubor. Je zřejmě již některým programem otevřen a "
                           "používán. Zavřete takový program a zkuste to znovu. "));
        return false;
    }
    FileWriter out(target);
    while (!in.atEnd() && !out.failed()) {
        const QByteArray chunk = in.read(1 << 20);
        if (chunk.isEmpty() && in.error() != QFileDevice::NoError)
            out.fail(QStringLiteral("Soubor „%1“ nelze přečíst: %2").arg(source, in.errorString()));
        else
            out.write(chunk);
    }
    if (!out.commit()) {
        // The reason below the program's own sentence, so that the teacher knows what to mend.
        m_prompter.message(otherError + QStringLiteral("\r\n") + out.errorText());
        return false;
    }
    return true;
}
