#pragma once

#include "graphics/SociogramBuilder.h"

#include <QObject>

class QAction;
class QActionGroup;
class QMenu;
class QToolBar;
class QToolButton;
class QWidget;
class TDM;

// The two choice menus of a window that shows one question of one evaluation session (the sociogram, the
// sociometric analysis): "Vyhodnocení" ("Vyhodnoceni_Popup") lists the sessions of the current class,
// "Otázka" ("Otazky_Popup") the questions of the chosen session's questionnaire, both from SociogramBuilder's
// item lists. Every item is checkable, one checked per menu, its value in the property "Value" (the session
// id; the question id, with "_" appended for a negative wording).
//
// Clicking a session checks it and fills the question menu anew; clicking a question announces it
// (questionChosen) and the window decides what the click does. The menus and their groups are children of
// the window, so its tests find them by name.
class SessionQuestionMenus final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SessionQuestionMenus)
public:
    // One item per wording of a question (the sociogram), or one per question (positive wording only).
    enum class Wordings { Each, PositiveOnly };

    SessionQuestionMenus(TDM &dm, Wordings wordings, QWidget *window);
    ~SessionQuestionMenus() override;

    QMenu *sessionMenu() const { return m_sessionMenu; }
    QMenu *questionMenu() const { return m_questionMenu; }
    QActionGroup *sessionGroup() const { return m_sessionGroup; }
    QActionGroup *questionGroup() const { return m_questionGroup; }
    // The checked items; nullptr when none is checked.
    QAction *checkedSession() const;
    QAction *checkedQuestion() const;

    // "Vyhodnocení" ("Vyhodnoceni_ToolButton") and "Otázka" ("Otazky_ToolButton"): drop-down tool buttons of
    // the menus, at least `minimumWidth` wide.
    void addToolButtons(QToolBar *toolBar, int minimumWidth);
    // "Vyhodnocení" alone, for a window that chooses its questions otherwise.
    void addSessionButton(QToolBar *toolBar, int minimumWidth);

    // Empties both menus and fills the session menu again; nothing is checked.
    void refill();
    // A session item was clicked: checks it and fills the question menu; no question is checked.
    void chooseSession(QAction *item);

signals:
    // A question item was clicked (the group has checked it).
    void questionChosen(QAction *item);

private:
    QAction *addItem(QMenu *menu, QActionGroup *group, const SociogramMenuItem &item);

    SociogramBuilder m_lists; // only its item lists are used
    Wordings m_wordings;
    QMenu *m_sessionMenu = nullptr;
    QMenu *m_questionMenu = nullptr;
    QActionGroup *m_sessionGroup = nullptr;
    QActionGroup *m_questionGroup = nullptr;
};
