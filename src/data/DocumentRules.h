#pragma once

#include "platform/AppFolders.h"

#include <QString>

class Database;
class Prompter;

// Rules of the class documents (`listiny`): the files live in the class's folder under "Listiny/", named
// "<number>_<original name>", and the register row names them. A row never names a file that was not
// copied: a failed copy adds no row, and a row that cannot be written takes its copy away again.
class DocumentRules final {
public:
    DocumentRules(Database &db, Prompter &prompter, const AppFolders &folders);

    // Copies the file into the class's folder and adds its row with the title; false (with the message
    // shown) when the copy or the row fails.
    bool storeDocument(qint64 classId, const QString &file, const QString &title);
    // The same with the name the copy takes after its number (blank documents are copied under another
    // name than their source's). Returns the new row's ID, or 0 (message shown) when nothing was stored.
    qint64 storeDocumentAs(qint64 classId, const QString &source, const QString &name, const QString &title);
    // Asks, then deletes the document's file and says whether that worked. False when declined; the
    // caller deletes the row either way otherwise.
    bool deleteDocumentFile(qint64 classId, const QString &storedName);
    // Asks, deletes the file of the document with this ID and then its row (also when the file could not
    // be removed). False when declined, when there is no such document or when the row stays.
    bool deleteDocument(qint64 documentId);
    // Full path of a stored document.
    QString documentPath(qint64 classId, const QString &storedName) const;

    // The title a document is registered under: without control characters and surrounding blanks, cut
    // to the column's 255 characters, "-" when nothing is left.
    static QString registeredTitle(const QString &title);

    // Copies source over target (written through a temporary file); shows one of the two messages and
    // returns false on failure. A target that is the source itself fails.
    bool DuplicateFile(const QString &target, const QString &source);

private:
    Database &m_db;
    Prompter &m_prompter;
    AppFolders m_folders;
};
