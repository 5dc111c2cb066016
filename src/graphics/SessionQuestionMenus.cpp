#include "graphics/SessionQuestionMenus.h"

#include "widgets/MenuToolButton.h"

#include <QActionGroup>
#include <QMenu>
#include <QStyle>
#include <QToolBar>
#include <QWidget>

SessionQuestionMenus::SessionQuestionMenus(TDM &dm, Wordings wordings, QWidget *window)
    : QObject(window), m_lists(dm), m_wordings(wordings) {
    setObjectName(QStringLiteral("SessionQuestionMenus"));
    m_sessionMenu = new QMenu(window);
    m_sessionMenu->setObjectName(QStringLiteral("Vyhodnoceni_Popup"));
    m_sessionGroup = new QActionGroup(window);
    connect(m_sessionGroup, &QActionGroup::triggered, this, &SessionQuestionMenus::chooseSession);
    m_questionMenu = new QMenu(window);
    m_questionMenu->setObjectName(QStringLiteral("Otazky_Popup"));
    m_questionGroup = new QActionGroup(window);
    connect(m_questionGroup, &QActionGroup::triggered, this, &SessionQuestionMenus::questionChosen);
}

SessionQuestionMenus::~SessionQuestionMenus() = default;

QAction *SessionQuestionMenus::checkedSession() const {
    return m_sessionGroup->checkedAction();
}

QAction *SessionQuestionMenus::checkedQuestion() const {
    return m_questionGroup->checkedAction();
}

void SessionQuestionMenus::addSessionButton(QToolBar *toolBar, int minimumWidth) {
    addMenuToolButton(toolBar, QStringLiteral("Vyhodnoceni_ToolButton"), QStringLiteral("Vyhodnocení"),
                      toolBar->style()->standardIcon(QStyle::SP_FileDialogDetailedView), m_sessionMenu,
                      minimumWidth);
}

void SessionQuestionMenus::addToolButtons(QToolBar *toolBar, int minimumWidth) {
    addSessionButton(toolBar, minimumWidth);
    QStyle *s = toolBar->style();
    addMenuToolButton(toolBar, QStringLiteral("Otazky_ToolButton"), QStringLiteral("Otázka"),
                      s->standardIcon(QStyle::SP_MessageBoxQuestion), m_questionMenu, minimumWidth);
}

QAction *SessionQuestionMenus::addItem(QMenu *menu, QActionGroup *group, const SociogramMenuItem &item) {
    QAction *a = menu->addAction(item.caption);
    a->setCheckable(true);
    a->setProperty("Value", item.value);
    group->addAction(a);
    return a;
}

void SessionQuestionMenus::refill() {
    m_sessionMenu->clear(); // the menu owns its items and deletes them
    m_questionMenu->clear();
    for (const SociogramMenuItem &item : m_lists.sessionItems())
        addItem(m_sessionMenu, m_sessionGroup, item);
}

void SessionQuestionMenus::chooseSession(QAction *item) {
    item->setChecked(true);
    m_questionMenu->clear();
    for (const SociogramMenuItem &question : m_lists.questionItems(item->property("Value").toLongLong())) {
        if (m_wordings == Wordings::PositiveOnly && !SociogramQuestionKey::parse(question.value).positive)
            continue;
        addItem(m_questionMenu, m_questionGroup, question);
    }
}
