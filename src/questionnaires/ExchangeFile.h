#pragma once

#include "data/DatabaseError.h"
#include "platform/AppFolders.h"

#include <QObject>
#include <QString>
#include <optional>

class Database;
class Prompter;

// A file that is not a questionnaire exchange file, or a target the export must not write; nothing was
// written. The message is a whole Czech sentence meant for the user as it is.
class ExchangeRefused : public DatabaseError {
public:
    using DatabaseError::DatabaseError;
};

// The questionnaire exchange file: one questionnaire and its questions in a small database file with the
// two tables `testy` (exactly one row) and `otazky` (its questions), carried from one installation to
// another. Answers, sessions and pupils never travel in it.
//
// The data module has its own connection to the exchange file, connected only while a command runs; the
// main database stays open on its own connection throughout. Values always travel as bound parameters.
class TDM_IE final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TDM_IE)
public:
    TDM_IE(Database &mainDatabase, const AppFolders &folders, QObject *parent = nullptr);
    ~TDM_IE() override;

    // The file an export writes: the chosen name, with ".mdb" appended unless it already ends so.
    static QString exportTarget(const QString &chosenName);
    // The name an imported questionnaire gets: the file's name without folder and extension, cleaned of
    // control characters and cut to the length of the name column.
    static QString importName(const QString &file);
    // The empty exchange file every export starts from (data folder + "template/skola_export_template.mdb").
    QString templateFile() const;
    // True only while an export or import runs.
    bool isConnected() const;

    // Writes the questionnaire and its questions (in their order, an empty order or kind filled in as the
    // question window would: the running number, kind 0) into exportTarget(chosenName), built from the
    // template beside the target and renamed into place, so that a failure leaves no half-written file.
    // Returns the file written. Raises ExchangeRefused (no such questionnaire, the target is the open
    // database or the template) or DatabaseError (engine failure).
    QString exportQuestionnaire(qint64 questionnaireId, const QString &chosenName);

    // Adds the questionnaire of the file as a new questionnaire named importName(file), with every question
    // row of the file; an empty order takes the running number of the row, an empty kind is 0. Everything
    // is written in one transaction of the main database. Returns the new questionnaire's ID, or nullopt
    // when the file holds no questionnaire or more than one (the file is ignored, nothing is written).
    // Raises ExchangeRefused (not an exchange file, unusable values) or DatabaseError; nothing is written
    // then either.
    std::optional<qint64> importQuestionnaire(const QString &file);

    // The commands of the questionnaire window's menu "Import a export": ask for the file, run, and tell
    // the user how it went. exportWithPrompts returns the file written (empty when cancelled or failed);
    // importWithPrompts the new questionnaire's ID (nullopt when cancelled, ignored or failed).
    QString exportWithPrompts(Prompter &prompter, qint64 questionnaireId);
    std::optional<qint64> importWithPrompts(Prompter &prompter);

    static QString exportFailedText();
    static QString importFailedText();

private:
    Database &m_main;
    AppFolders m_folders;
    QString m_connectionName;
    Database *m_connection = nullptr; // set while a command runs
};
