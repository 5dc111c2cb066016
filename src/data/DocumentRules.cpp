#include "data/DocumentRules.h"

#include "data/Database.h"
#include "platform/Prompter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

DocumentRules::DocumentRules(Database &db, Prompter &prompter, const AppFolders &folders)
    : m_db(db), m_prompter(prompter), m_folders(folders) {}

bool DocumentRules::storeDocument(qint64 classId, const QString &file, const QString &title) {
    const QString folder = m_folders.classFolder(classId);
    QDir().mkpath(folder);
    try {
        const qint64 number =
            m_db.scalar(QStringLiteral("SELECT max(id) as nejvetsi FROM listiny")).toLongLong() + 1;
        const QString stored = QString::number(number) + u'_' + QFileInfo(file).fileName();
        if (!DuplicateFile(folder + stored, file))
            return false; // no row for a file that is not there
        m_db.exec(QStringLiteral("INSERT INTO listiny (id_tridy, nazev, cesta, datum) VALUES (:c, :n, :p, :d)"),
                  {{QStringLiteral("c"), classId},
                   {QStringLiteral("n"), title},
                   {QStringLiteral("p"), stored},
                   {QStringLiteral("d"), Database::dateTimeText(QDateTime(QDate::currentDate(), QTime(0, 0)))}});
        return true;
    } catch (const DatabaseError &error) {
        m_prompter.message(error.message(), QString(), Prompter::Icon::Error);
        return false;
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

QString DocumentRules::documentPath(qint64 classId, const QString &storedName) const {
    return m_folders.listinyFolder() + QString::number(classId) + u'/' + storedName;
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
        m_prompter.message(QStringLiteral("Nelze duplikovat soubor. Je zřejmě již některým programem otevřen a "
                                          "používán. Zavřete takový program a zkuste to znovu. "));
        return false;
    }
    QSaveFile out(target);
    out.setDirectWriteFallback(false);
    if (!out.open(QIODevice::WriteOnly)) {
        m_prompter.message(otherError);
        return false;
    }
    while (!in.atEnd()) {
        const QByteArray chunk = in.read(1 << 20);
        if ((chunk.isEmpty() && in.error() != QFileDevice::NoError) || out.write(chunk) != chunk.size()) {
            out.cancelWriting();
            break;
        }
    }
    if (!out.commit()) {
        m_prompter.message(otherError);
        return false;
    }
    return true;
}
