#pragma once

#include "data/Pseudonyms.h"
#include "picture/PagedDocument.h"

#include <QList>
#include <QString>
#include <QStringList>

class Database;

// "Klíč kódů": which pupil each pseudonym of a class stands for, the one paper that turns an output
// without names back into names. It is kept apart from the outputs: printed or saved on its own
// (.csv, .docx, .pdf).
struct CodeKey {
    QStringList heading; // "Klíč kódů – třída 5.A", then the school and teacher line
    QList<Pseudonyms::KeyEntry> entries;

    // Codes made first where missing. Nullopt with the Czech reason when there is no such class.
    static std::optional<CodeKey> read(Database &db, qint64 classId, QString *reason);

    static QStringList suffixes(); // csv, docx, pdf
    // UTF-8 with a byte-order mark, `;` between cells.
    QByteArray csv() const;
    PagedDocument pages() const;
    // By the suffix of `path`; false with the Czech reason.
    bool save(const QString &path, QString *error) const;
};
