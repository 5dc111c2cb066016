#pragma once

#include <QDialog>
#include <QVariant>

class Dataset;
class DatasetTableModel;
class QDateEdit;
class QLineEdit;
class QMenu;
class QPushButton;
class QTableView;
class QTextEdit;
class TDBNavigator;
class TDM;
struct AppContext;

// The pupil card "Záznamy žáka": dated notes of one pupil (`Poznamky_Query`) with a rich-text editor
// and the "Šablony" menu that puts a prepared text in front of the note. Created once, shown not
// modally, reused for whichever pupil was opened last.
class TZak_Form final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TZak_Form)
public:
    TZak_Form(AppContext &context, QWidget *parent = nullptr);
    ~TZak_Form() override;

    // The opening operation: the notes of the current row of `Zak_Query`. False (and nothing shown)
    // when the roster has no current row.
    bool openForCurrentPupil();
    // Shows the notes of the pupil (without showing the window).
    void loadPupil(const QVariant &pupilId);
    // The pupil whose notes are shown (`par_id_zaka` of the notes).
    QVariant pupilId() const;

    // Rebuilds the template menu from `Sablony_AdoQuery`: one item per template, its `id` as data.
    QMenu *rebuildTemplateMenu();
    // Puts the template's text and a line break in front of the note, starting an edit when needed.
    void insertTemplate(const QVariant &templateId);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    // Closes the card when its pupil was deleted.
    void followDeletion();

private:
    void loadNote();
    void storeNote();

    AppContext &m_context;
    TDM &m_dm;
    Dataset &m_notes;
    int m_insertRule = 0;
    TDBNavigator *m_navigator = nullptr;
    QTableView *m_grid = nullptr;
    DatasetTableModel *m_model = nullptr;
    QDateEdit *m_datum = nullptr;
    QLineEdit *m_nazev = nullptr;
    QPushButton *m_templatesButton = nullptr;
    QMenu *m_templateMenu = nullptr;
    QTextEdit *m_editor = nullptr;
    QString m_shownNote; // the stored note the editor shows
    bool m_loading = false;
};
