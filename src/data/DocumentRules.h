#pragma once

#include "platform/AppFolders.h"

#include <QString>

class Database;
class Prompter;

// Rules of the class documents (`listiny`): the files live in the class's folder under "Listiny/", named
// "<number>_<original name>", and the register row names them.
class DocumentRules final {
public:
    DocumentRules(Database &db, Prompter &prompter, const AppFolders &folders);

    // Copies the file into the class's folder and adds its row with the title; false (with the message
    // shown) when the copy or the row fails.
    bool storeDocument(qint64 classId, const QString &file, const QString &title);
    // Asks, then deletes the document's file and says whether that worked. False when declined; the
    // caller deletes the row either way otherwise.
    bool deleteDocumentFile(qint64 classId, const QString &storedName);
    // Full path of a stored document.
    QString documentPath(qint64 classId, const QString &storedName) const;

    // Copies source over target (written through a temporary file); shows one of the two messages and
    // returns false on failure. A target that is the source itself fails.
    bool DuplicateFile(const QString &target, const QString &source);

private:
    Database &m_db;
    Prompter &m_prompter;
    AppFolders m_folders;
};
