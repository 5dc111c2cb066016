#pragma once

#include "data/OptionSet.h"

#include <QDialog>
#include <QPointer>
#include <optional>

class DatasetFieldBinder;
class DatasetTableModel;
class Dataset;
class QAction;
class QComboBox;
class QLineEdit;
class QMenu;
class QTableView;
class TDBNavigator;
class TDM;
class TImport_Zaka_Form;
class TZak_Form;
struct AppContext;

// The pupil window "Žáci": the roster of the current class (`Zak_Query`) with its edit panel, the
// answer-option commands, bulk type change, clipboard copies, sorting by column titles and the import.
// Shown modally by the main window after it has set the roster to the current class.
class TZaci_Form final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TZaci_Form)
public:
    // Esc and the close button: a row being edited is saved, dropped or kept as the user answers.
    void reject() override;
    TZaci_Form(AppContext &context, QWidget *parent = nullptr);

    // The import window and the pupil card this window opens; by default found among the siblings
    // (the windows the program created under the same main window).
    void setImportWindow(TImport_Zaka_Form *window) { m_importWindow = window; }
    void setCardWindow(TZak_Form *window) { m_cardWindow = window; }

    // Commands of the "Nástroje" menu.
    void insertOptionSet(OptionSet::Kind set);
    void insertAllOptionSets();
    void setTypeOfSelectedRows(const QString &kind);
    void GenerovatPoradi();
    void copyPupilName();
    void copyPupilList();
    void openImport();
    // Opens the pupil card with the notes of the current pupil.
    void openCard();

    // Title click of the grid: sorts by the column, descending first, then toggling.
    void DBGrid_ZaciTitleClick(int column);
    // Edit of the current row (double-click), refused when several rows are selected.
    bool editCurrentRow();

protected:
    void hideEvent(QHideEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildMenu(class QMenuBar *menuBar);
    void followState();
    void applySurnameRule();
    // Ctrl+S saves while editing, Ctrl+N starts a new row while browsing.
    void runCtrlKey(QObject *watched, int key);
    // Tells the user that only one pupil can be edited at a time when several rows are selected.
    bool refuseSeveralRows();
    // The current class, or nothing after telling the user there is none.
    std::optional<qint64> currentClass();
    void refreshRoster();

    AppContext &m_context;
    TDM &m_dm;
    Dataset &m_roster;
    TDBNavigator *m_navigator = nullptr;
    QWidget *m_panel = nullptr;
    QLineEdit *m_jmeno = nullptr;
    QLineEdit *m_prijmeni = nullptr;
    QComboBox *m_typ = nullptr;
    QLineEdit *m_poradi = nullptr;
    QTableView *m_grid = nullptr;
    DatasetTableModel *m_model = nullptr;
    DatasetFieldBinder *m_binder = nullptr;
    QPointer<TImport_Zaka_Form> m_importWindow;
    QPointer<TZak_Form> m_cardWindow;
    int m_ctrlKeyDown = 0; // the Ctrl+letter whose press has been acted on
};
