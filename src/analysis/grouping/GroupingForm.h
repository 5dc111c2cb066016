#pragma once

#include "analysis/ResultWindowParts.h"
#include "analysis/grouping/Grouping.h"

#include <QDialog>
#include <QListWidget>

#include <atomic>
#include <optional>

class QAction;
class QCheckBox;
class QComboBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QThread;
class QTimer;
class SessionQuestionMenus;
class TDM;
struct AppContext;

// One group of the window: its name cards (the pupil id in Qt::UserRole), dragged to another group.
class GroupColumn final : public QListWidget {
    Q_OBJECT
public:
    GroupColumn(int group, QWidget *parent);
    int group() const { return m_group; }

signals:
    // A card was dropped here: onto the card of `other`, or onto free space (`other` 0).
    void pupilDropped(qint64 pupil, int group, qint64 other);

protected:
    QMimeData *mimeData(const QList<QListWidgetItem *> &items) const override;
    QStringList mimeTypes() const override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    int m_group;
};

// "Rozdělení do skupin": groups, desk pairs or a class split from the choices of one evaluation session
// (Grouping::arrange). Left the request: the questions (a check list of the session's questions), the sizes
// (počet skupin / velikosti / dvojice do lavic), the teacher's rules (pairs together and apart, pins, gender
// balance, mutual rejections allowed). "Rozdělit" searches in a thread under a progress bar; "Zrušit" keeps
// the best arrangement found so far. Right the groups as columns of name cards, each marked as
// Grouping::marks says, the score in Czech and a warning while a hard rule is broken.
//
// The teacher drags a card onto a classmate's card in another group to swap the two, or (sizes chosen by
// the number of groups) onto another column to move the pupil; the score and the marks follow at once
// (Grouping::regroup), Ctrl+Z undoes. "Zamknout" pins the selected pupils into their groups for the next
// "Rozdělit". The groups shown are handed to the sociogram ("Obarvit podle skupin").
class GroupingForm final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(GroupingForm)
public:
    explicit GroupingForm(AppContext &context, QWidget *parent = nullptr);
    ~GroupingForm() override;

    QMenu *sessionMenu() const;
    QListWidget *questionList() const { return m_questions; }
    QAction *action(const QString &objectName) const;
    // The arrangement shown; none before "Rozdělit" and after a refusal.
    const std::optional<Grouping::Result> &result() const { return m_result; }
    // The hard rules the shown groups break (after a hand change).
    const QStringList &brokenRules() const { return m_broken; }
    QLabel *scoreLabel() const { return m_score; }
    QLabel *warningLabel() const { return m_warning; }
    QListWidget *pinList() const { return m_pins; }
    QList<GroupColumn *> columns() const { return m_columns; }

    // Empties the window and fills the session menu again (every show).
    void refillSessionMenu();
    // A session item was clicked: its questions into the check list, its people into the pickers.
    void chooseSession(QAction *item);
    // Adds a rule from the pickers (the buttons "Přidat" and "Připnout").
    void addTogether(qint64 a, qint64 b);
    void addApart(qint64 a, qint64 b);
    void addPin(qint64 pupil, int group);

    // "Rozdělit": reads the session and starts the search; false (shown) when the request cannot be made.
    bool arrangeNow();
    // "Zrušit": the search stops with the best arrangement found so far.
    void cancel();
    // Blocks until a running search has ended and shows its outcome (tests, closing the window).
    void waitForArrangement();
    // A card dropped: `pupil` swaps with `other` (another group), or moves to `group` (1-based) when `other`
    // is 0 and sizes come from the number of groups. False when the drop changes nothing.
    bool dropPupil(qint64 pupil, int group, qint64 other);
    void undo();       // Ctrl+Z: the groups before the last hand change
    void lockChosen(); // "Zamknout": pins the selected cards where they are

    void save();            // "Uložit…"
    void saveToDocuments(); // "Uložit do Listin"
    void print();           // "Tisk"
    void savePdf();         // "Uložit jako PDF"
    QString proposedName() const;

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    QWidget *buildRequestPanel();
    QWidget *buildRulePicker(const QString &title, const QString &listName, QListWidget **list,
                             const std::function<void(qint64, qint64)> &add);
    std::optional<Grouping::Request> request(QString *reason) const;
    void arrangementFinished();
    void clearRequest();
    QString nameOf(qint64 pupil) const;
    void display(std::optional<Grouping::Result> result, const QString &refusal = QString());
    void regroupTo(const QList<QList<qint64>> &groups);
    void fillColumns();
    void setBusy(bool busy);
    ResultWindowParts::SaveRoutine saveRoutine() const;

    AppContext &m_context;
    TDM &m_dm;
    SessionQuestionMenus *m_menus = nullptr;
    qint64 m_session = 0;
    QList<QPair<qint64, QString>> m_people; // of the session's class, roster order

    QListWidget *m_questions = nullptr;
    QRadioButton *m_byCount = nullptr, *m_bySizes = nullptr, *m_byPairs = nullptr;
    QSpinBox *m_groupCount = nullptr;
    QLineEdit *m_sizes = nullptr;
    QListWidget *m_together = nullptr, *m_apart = nullptr, *m_pins = nullptr;
    QList<QComboBox *> m_pickers;
    QComboBox *m_pinPupil = nullptr;
    QSpinBox *m_pinGroup = nullptr;
    QCheckBox *m_balance = nullptr, *m_allowRejection = nullptr;
    QPushButton *m_arrange = nullptr, *m_cancel = nullptr;
    QProgressBar *m_progress = nullptr;
    QAction *m_anonymous = nullptr;
    QList<QAction *> m_outputActions;

    QLabel *m_heading = nullptr, *m_score = nullptr, *m_warning = nullptr;
    QHBoxLayout *m_columnRow = nullptr;
    QList<GroupColumn *> m_columns;

    std::optional<Grouping::Result> m_result;
    QStringList m_broken;
    QList<QList<QList<qint64>>> m_history; // the groups before each hand change

    QThread *m_worker = nullptr;
    QTimer *m_poll = nullptr;
    std::atomic<int> m_permille{0};
    std::atomic<bool> m_stop{false};
    std::optional<Grouping::Result> m_outcome; // written by the worker, read after it has finished
    QString m_outcomeReason;
};
