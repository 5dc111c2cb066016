#pragma once

#include <QDialog>
#include <functional>

class Dataset;
class DatasetTableModel;
class DocumentGrid;
class QLabel;
class QMenu;
class QStatusBar;
class QWidget;
class TDBNavigator;
class TDM;
struct AppContext;

namespace ClassDocuments {
struct BlankDocument;
}

// "Listiny": the register of the current class's documents on `Listiny_ADOQuery`. Adds files from disk,
// by dropping them on the grid, from templates and as blank documents (all copied into the class's
// folder by the data module's document rules), opens them with their default application, deletes them
// with their files and lets a document be dragged out as a file. The status bar shows the full path of
// the current document's file. Shown modally by the main window after it has set the class, and by the
// data module's request after a document was handed in from another window.
class TListiny_Form final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TListiny_Form)
public:
    explicit TListiny_Form(AppContext &context, QWidget *parent = nullptr);

    DocumentGrid *grid() const { return m_grid; }
    QStatusBar *statusBar() const { return m_statusBar; }
    // The path shown in the status bar.
    QString shownPath() const;
    QMenu *templatesMenu() const { return m_templates; }

    // Opens a sociogram file in the program's sociogram window (zoom 100, select mode, shown modally);
    // false when it could not. Without one, ".sgp" documents are not opened and the user is told why.
    using SociogramOpener = std::function<bool(const QString &path)>;
    void setSociogramOpener(SociogramOpener opener) { m_openSociogram = std::move(opener); }

    // Full path of the current document's file; empty when there is no current document.
    QString currentDocumentFile() const;

    // Commands of the menu "Soubor".
    void showTemplatesHelp();
    void newFromTemplate(const QString &path);
    void newBlank(const ClassDocuments::BlankDocument &blank);
    void loadFromDisk();
    // The current document: a ".sgp" file in the sociogram window (this window closes first), any other
    // file with its default application.
    void openDocument();
    void openClassFolder();
    // Dropped files: the first one is inserted as a document, the others are ignored.
    void takeDroppedFiles(const QStringList &paths);

    // Esc and the close button: a title being edited is saved, dropped or kept as the user answers.
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void rebuildTemplates();
    void followState();
    void showPath();
    // Runs the data module's insertion (pending file or open dialog) and makes the new row current.
    void runInsertion();
    // After a new document: its row becomes current.
    void showNewRow(qint64 before);
    qint64 largestId() const;

    AppContext &m_context;
    TDM &m_dm;
    Dataset &m_documents;
    TDBNavigator *m_navigator = nullptr;
    QWidget *m_panel = nullptr;
    DocumentGrid *m_grid = nullptr;
    DatasetTableModel *m_model = nullptr;
    QStatusBar *m_statusBar = nullptr;
    QLabel *m_path = nullptr;
    QMenu *m_templates = nullptr;
    SociogramOpener m_openSociogram;
};
