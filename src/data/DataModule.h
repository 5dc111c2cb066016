#pragma once

#include "data/AnswerRules.h"
#include "data/ClassRules.h"
#include "data/Dataset.h"
#include "data/DocumentRules.h"
#include "data/QuestionnaireRules.h"
#include "data/RosterRules.h"
#include "data/SessionRules.h"
#include "platform/AppFolders.h"

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>
#include <QVariant>

class Database;
class Prompter;

// One item of the session menu the main window rebuilds at every class change.
struct SessionMenuItem {
    qint64 id = 0;
    QString caption; // the session's display name (`cely_nazev`)
    bool operator==(const SessionMenuItem &other) const = default;
};

// The data module: the datasets every window binds to and their wiring: defaults of new rows, validations,
// re-parameterising dependent datasets, and the hand-over of each change to the rule set of its area
// (classes, roster, questionnaires and questions, sessions, documents). The rule sets act on ids, so the
// headless tool runs them without datasets. It never touches a widget: windows observe the datasets' states
// and the signals below; which windows are showing it learns from their show and hide events.
//
// Every multi-statement change (cascading deletions, option rows, renumbering) runs in one transaction.
class TDM final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TDM)
public:
    TDM(Database &db, const AppFolders &folders, Prompter &prompter, QObject *parent = nullptr);
    ~TDM() override;

    Database &database() const { return m_db; }
    Prompter &prompter() const { return m_prompter; }
    const AppFolders &folders() const { return m_folders; }

    // --- Datasets ---------------------------------------------------------------------------------
    Dataset &Trida_Query() const { return *m_trida; }
    Dataset &Zak_Query() const { return *m_zak; }
    Dataset &Zak_Query_1() const { return *m_zak1; }
    Dataset &Zak_Query_2() const { return *m_zak2; }
    Dataset &Zak_Query_3() const { return *m_zak3; }
    Dataset &Testy_Query() const { return *m_testy; }
    Dataset &Otazky_Query() const { return *m_otazky; }
    Dataset &OtazkyVyhodnoceni_Query() const { return *m_otazkyVyhodnoceni; }
    Dataset &Vyhodnoceni_Query() const { return *m_vyhodnoceni; }
    Dataset &Poznamky_Query() const { return *m_poznamky; }
    Dataset &Sablony_AdoQuery() const { return *m_sablony; }
    Dataset &Listiny_ADOQuery() const { return *m_listiny; }
    // Answer aggregations (AggregationQueries); set their parameters with AggregationQueries::setParameters.
    Dataset &Odpovedi_Query() const { return *m_odpovedi; }
    Dataset &ADOQuery2() const { return *m_adoQuery2; }
    QList<Dataset *> datasets() const;

    // Opens the start-up datasets in their fixed order (a dataset without statement is skipped).
    // Raises DatabaseError when one cannot be opened; the ones opened before stay open.
    void openDatasets();
    void closeDatasets();

    // --- Shared state -----------------------------------------------------------------------------
    bool NewClassFlag() const { return m_newClassFlag; }
    QString PendingListinaFile() const { return m_pendingListinaFile; }
    QString PendingListinaName() const { return m_pendingListinaName; }
    void setPendingListinaFile(const QString &path) { m_pendingListinaFile = path; }
    void setPendingListinaName(const QString &name) { m_pendingListinaName = name; }
    // Hands a file to the class documents: sets the pending file and title and starts the insertion.
    void addClassDocument(const QString &path, const QString &title);

    // Follows the show and hide events of the windows the rules depend on: answer entry
    // ("TDotaznik_Odpovedi_Form"), the session list ("TDotazniky_Form") and the class documents
    // ("TListiny_Form"), found by object name. Other objects are ignored.
    void watchWindow(QObject *window);
    bool answerWindowShowing() const { return m_answerWindowShowing; }
    bool sessionWindowShowing() const { return m_sessionWindowShowing; }
    bool documentWindowShowing() const { return m_documentWindowShowing; }

    // --- Rule sets by area ----------------------------------------------------------------------------
    ClassRules &classes() { return m_classRules; }
    RosterRules &roster() { return m_rosterRules; }
    QuestionnaireRules &questionnaires() { return m_questionnaireRules; }
    SessionRules &sessions() { return m_sessionRules; }
    AnswerRules &answers() { return m_answerRules; }
    DocumentRules &documents() { return m_documentRules; }

    // --- Service operations -------------------------------------------------------------------------
    // Requery when open, else open; errors shown as "Došlo k chybě. …" and not passed on.
    bool RefreshDataset(Dataset &dataset);
    // See DocumentRules::DuplicateFile.
    bool DuplicateFile(const QString &target, const QString &source) {
        return m_documentRules.DuplicateFile(target, source);
    }
    // Counter value of the last insert on the connection.
    qint64 LastIdentity();
    // For each listed row (in the order given): go to it, edit, set the field, post. Rows are taken as
    // bookmarks first, so rules that refresh the dataset after each post do not disturb the walk.
    void SetFieldOnSelectedRows(Dataset &dataset, const QList<int> &rows, const QVariant &value,
                                const QString &field);
    int CountPupils(qint64 classId);
    // Largest value of a column (as text; empty for an empty table).
    QString MaxId(const QString &table, const QString &column);

    // Current class `ID` (null when the register is empty).
    QVariant currentClassId() const;

    // --- Rules run by the windows too -----------------------------------------------------------------
    void runClassChange();
    void runRespondentChange();
    void runQuestionChange();
    // Full path of the current document's file (status bar of the document window).
    QString currentDocumentPath() const;

    // --- Commands on the current class (windows) ---------------------------------------------------------
    // Title click on the class grid: flips between ASC and DESC on the last statement line and reopens.
    void sortClassGrid(const QString &field);
    // Answer-option rows of the current class (rows are added even when they exist); refreshes Zak_Query.
    void insertGeneralOptionRows();
    void insertYesNoOptionRows();
    void insertLetterAndNumberOptionRows();
    // "Připsat pořadí" (RosterRules::renumberByName); false when declined or when there is no class.
    bool renumberClassRows();
    // `GenerovatPoradi` of the current class; refreshes the roster.
    void GenerovatPoradi();

signals:
    // The current class changed (also after a session was saved): the sessions of the new class, newest
    // first, for the session menu. classId is -1 when the register is empty.
    void classChanged(qint64 classId, const QList<SessionMenuItem> &sessions);
    // The user accepted adding pupils to a new class: run the "Žáci" command.
    void addPupilsRequested();
    // Both partner lists were re-filtered: repaint their grids.
    void partnerListsChanged();
    // The current question changed while answer entry is showing.
    void answerPanelsChanged(const AnswerPanels &panels);
    // The user asked to see the documents after an insertion: show the document window modally.
    void showDocumentsRequested();
    void documentPathChanged(const QString &path);
    // A cascading deletion removed rows: windows that show one pupil's or one class's rows check that
    // their owner still exists.
    void rowsDeleted();

private:
    Dataset *makeDataset(const QString &name, const QStringList &sql, const QString &table = QString(),
                         const QString &key = QStringLiteral("ID"));
    void installRules();
    // A delete that a rule set carried out (or refused): refresh the dataset and cancel its own delete.
    [[noreturn]] void finishDelete(Dataset &dataset);
    // The last line of defence against orphans: a row is not saved unless the row its field points to
    // exists (message shown, save cancelled).
    void requireParent(Dataset &dataset, const QString &field, const QString &table, const QString &message);
    void insertOptionRows(const QList<OptionSet::Kind> &sets);
    void insertDocument();
    bool eventFilter(QObject *watched, QEvent *event) override;

    Database &m_db;
    AppFolders m_folders;
    Prompter &m_prompter;
    ClassRules m_classRules;
    RosterRules m_rosterRules;
    QuestionnaireRules m_questionnaireRules;
    SessionRules m_sessionRules;
    AnswerRules m_answerRules;
    DocumentRules m_documentRules;

    Dataset *m_trida = nullptr;
    Dataset *m_zak = nullptr;
    Dataset *m_zak1 = nullptr;
    Dataset *m_zak2 = nullptr;
    Dataset *m_zak3 = nullptr;
    Dataset *m_testy = nullptr;
    Dataset *m_otazky = nullptr;
    Dataset *m_otazkyVyhodnoceni = nullptr;
    Dataset *m_vyhodnoceni = nullptr;
    Dataset *m_poznamky = nullptr;
    Dataset *m_sablony = nullptr;
    Dataset *m_listiny = nullptr;
    Dataset *m_odpovedi = nullptr;
    Dataset *m_adoQuery2 = nullptr;

    bool m_newClassFlag = false;
    QString m_pendingListinaFile;
    QString m_pendingListinaName;
    bool m_answerWindowShowing = false;
    bool m_sessionWindowShowing = false;
    bool m_documentWindowShowing = false;
};
