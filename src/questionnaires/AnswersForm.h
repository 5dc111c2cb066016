#pragma once

#include "data/AnswerRules.h"

#include <QDialog>

class Dataset;
class DatasetTableModel;
class ElidedLabel;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTableView;
class TDM;
struct AnswerPanels;
struct AppContext;

// "Odpovědi": answer entry for one session. The teacher picks a question and a respondent and marks
// the chosen rows of the positive and the negative list (or writes the free text of a free-text question).
// The marks of the shown respondent and question are read once and kept up to date by each toggle.
class TDotaznik_Odpovedi_Form final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TDotaznik_Odpovedi_Form)
public:
    explicit TDotaznik_Odpovedi_Form(AppContext &context, QWidget *parent = nullptr);

    void setDescription(const QString &text);
    QTableView *questionGrid() const { return m_questionGrid; }
    QTableView *respondentGrid() const { return m_respondentGrid; }
    QTableView *partnerGrid(bool positive) const { return positive ? m_positiveGrid : m_negativeGrid; }
    const AnswerMarks &marks() const { return m_marks; }
    QString searchBuffer(bool positive) const { return positive ? m_positiveSearch : m_negativeSearch; }

    // Toggles the mark of the current row of a list (double-click, Space, Enter).
    void toggleCurrent(bool positive);
    // "Označit vše vybrané": the selected rows of the list become the respondent's marks of that list.
    void markSelected(bool positive);
    // "Uložit": the free text.
    void saveFreeText();
    // Closing saves a free text that was typed and not saved yet.
    void done(int result) override;
    // The information box about the keyboard.
    void showKeyboardInformation();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    QTableView *makeGrid(const char *name, Dataset &dataset, const QString &title, bool multiSelect,
                         DatasetTableModel **model);
    QWidget *buildPartnerPanel(bool positive);
    QWidget *buildTextPanel();
    void applyPanels(const AnswerPanels &panels);
    void reloadMarks();
    void loadFreeText();
    // Shows a free text read for the current session, question and respondent.
    void showFreeText(const QString &text);
    // Saves a changed free text under the session, question and respondent it was typed for; true when saved.
    bool keepFreeText();
    void clearPartnerSelections();
    // A key in a partner grid; true when it was used.
    bool partnerKey(bool positive, QKeyEvent *key);
    void locateByPrefix(bool positive);
    QVariant sessionId() const;
    QVariant questionId() const;
    QVariant respondentId() const;

    AppContext &m_context;
    TDM &m_dm;
    ElidedLabel *m_description = nullptr;
    QTableView *m_questionGrid = nullptr;
    QTableView *m_respondentGrid = nullptr;
    QTableView *m_positiveGrid = nullptr;
    QTableView *m_negativeGrid = nullptr;
    DatasetTableModel *m_positiveModel = nullptr;
    DatasetTableModel *m_negativeModel = nullptr;
    QWidget *m_positivePanel = nullptr;
    QWidget *m_negativePanel = nullptr;
    QWidget *m_textPanel = nullptr;
    QLabel *m_positiveLabel = nullptr;
    QLabel *m_negativeLabel = nullptr;
    QPlainTextEdit *m_freeText = nullptr;
    AnswerMarks m_marks;
    // Whose free text the memo shows.
    struct FreeTextOwner {
        QVariant session, question, respondent;
        bool operator==(const FreeTextOwner &) const = default;
    } m_freeTextOwner;
    QString m_positiveSearch;
    QString m_negativeSearch;
};
