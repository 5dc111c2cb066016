#include "app/MainForm.h"

#include "app/AppContext.h"
#include "app/DataFolderSetup.h"
#include "app/DataModuleStart.h"
#include "app/InfoForm.h"
#include "app/Prompter.h"
#include "app/WindowRegistry.h"
#include "data/Database.h"

#include <QActionGroup>
#include <QDialog>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QScreen>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <stdexcept>

namespace {

// A tool button with a drop-down arrow that also opens its menu when the button itself is clicked,
// at the mouse position moved 50 pixels left and 20 pixels down.
class DropDownToolButton final : public QToolButton
{
public:
    using QToolButton::QToolButton;

protected:
    void mouseReleaseEvent(QMouseEvent *event) override
    {
        const bool onArrow = popupMode() == QToolButton::MenuButtonPopup &&
                             event->position().x() > width() - style()->pixelMetric(QStyle::PM_MenuButtonIndicator) - 4;
        if (menu() && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) && !onArrow) {
            setDown(false);
            menu()->popup(event->globalPosition().toPoint() + QPoint(-50, 20));
            return;
        }
        QToolButton::mouseReleaseEvent(event);
    }
};

} // namespace

TMain_form::TMain_form(AppContext &context, QWidget *parent) : QMainWindow(parent), m_context(context)
{
    setObjectName(QStringLiteral("TMain_form"));
    setWindowTitle(QStringLiteral("Orbelis"));
    resize(760, 520);
    buildMenus();
    buildToolBar();
    m_info = new TInfo_Form(context, this);
    connect(m_info, &TInfo_Form::expertChanged, this, &TMain_form::applyExpert);
    applyExpert(false);
}

void TMain_form::buildMenus()
{
    QMenu *view = menuBar()->addMenu(QStringLiteral("Zobrazit"));
    view->setObjectName(QStringLiteral("Zobrazit_Menu"));
    view->addAction(QStringLiteral("Žáci"), this, [this] { showWindow(QStringLiteral("TZaci_Form"), true); });
    view->addAction(QStringLiteral("Dotazníky"), this, [this] { showWindow(QStringLiteral("TDotazniky_Form"), true); });
    view->addSeparator();
    view->addAction(QStringLiteral("Listiny"), this, [this] { showWindow(QStringLiteral("TListiny_Form"), true); });

    QMenu *output = menuBar()->addMenu(QStringLiteral("Výstup"));
    output->setObjectName(QStringLiteral("Vystup_Menu"));
    output->addAction(QStringLiteral("Sociogram - bublinový graf"), this,
                      [this] { showWindow(QStringLiteral("TSociogram_Form"), true); });
    output->addAction(QStringLiteral("Sloupcový graf"), this,
                      [this] { showWindow(QStringLiteral("TSloupcovy_Graf_Form"), false); });

    QMenu *settings = menuBar()->addMenu(QStringLiteral("Nastavení"));
    settings->setObjectName(QStringLiteral("Nastaveni_Menu"));
    settings->addAction(QStringLiteral("Dotazníky a jejich otázky"), this,
                        [this] { showWindow(QStringLiteral("TNastaveniDotazniku_Form"), true); });
    settings->addSeparator();
    m_ftpAction = settings->addAction(QStringLiteral("FTP"), this, [this] { showWindow(QStringLiteral("TFtp_Form"), true); });
    m_ftpAction->setObjectName(QStringLiteral("FTP_Action"));
    settings->addAction(QStringLiteral("Záloha databáze"))->setEnabled(false);
    m_wipeAction = settings->addAction(QStringLiteral("Smazání všech dat..."), this,
                                       [this] { showWindow(QStringLiteral("TVycisteni_Form"), false); });
    m_wipeAction->setObjectName(QStringLiteral("Smazani_Action"));

    QMenu *help = menuBar()->addMenu(QStringLiteral("Nápověda"));
    help->addAction(QStringLiteral("O programu"), this, [this] { m_info->exec(); });
}

QToolButton *TMain_form::addToolButton(const QString &objectName, const QString &caption, QMenu *menu)
{
    auto *button = new DropDownToolButton(m_toolBar);
    button->setObjectName(objectName);
    button->setText(caption);
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setFixedSize(111, 36 + 14);
    if (menu) {
        button->setMenu(menu);
        button->setPopupMode(QToolButton::MenuButtonPopup);
    }
    m_toolBar->addWidget(button);
    return button;
}

void TMain_form::buildToolBar()
{
    m_toolBar = addToolBar(QStringLiteral("Nástroje"));
    m_toolBar->setObjectName(QStringLiteral("ToolBar1"));
    m_toolBar->setMovable(false);
    connect(addToolButton(QStringLiteral("Zaci_ToolButton"), QStringLiteral("Žáci")), &QToolButton::clicked, this,
            [this] { showWindow(QStringLiteral("TZaci_Form"), true); });
    connect(addToolButton(QStringLiteral("Dotazniky_ToolButton"), QStringLiteral("Dotazníky")), &QToolButton::clicked,
            this, [this] { showWindow(QStringLiteral("TDotazniky_Form"), true); });
    m_toolBar->addSeparator();
    connect(addToolButton(QStringLiteral("Listiny_ToolButton"), QStringLiteral("Listiny")), &QToolButton::clicked,
            this, [this] { showWindow(QStringLiteral("TListiny_Form"), true); });
    m_toolBar->addSeparator();
    m_sessionMenu = new QMenu(this);
    m_sessionMenu->setObjectName(QStringLiteral("Vyhodnoceni_PopupMenu"));
    addToolButton(QStringLiteral("TextoveVyhodnoceni_ToolButton"), QStringLiteral("Textové vyhodnocení"), m_sessionMenu);
    connect(addToolButton(QStringLiteral("Sociogram_ToolButton"), QStringLiteral("Sociogram bubliny")),
            &QToolButton::clicked, this, [this] { showWindow(QStringLiteral("TSociogram_Form"), true); });
    connect(addToolButton(QStringLiteral("SloupcovyGraf_ToolButton"), QStringLiteral("Sloupcový graf")),
            &QToolButton::clicked, this, [this] { showWindow(QStringLiteral("TSloupcovy_Graf_Form"), true); });
    m_databaseMenu = new QMenu(this);
    m_databaseMenu->setObjectName(QStringLiteral("Databaze_PopupMenu"));
    m_databaseGroup = new QActionGroup(this);
    m_databaseGroup->setExclusive(true);
    addToolButton(QStringLiteral("Databaze_ToolButton"), QStringLiteral("Databáze"), m_databaseMenu);
}

void TMain_form::FormCreate()
{
    m_context.versionText = readVersionText(m_context.folders.programFolder);
    m_info->setVersionText(m_context.versionText);
    applyExpert(m_context.settings && m_context.settings->expert());
    buildDatabaseMenu();
    openDatasets();
}

void TMain_form::buildDatabaseMenu()
{
    m_databaseMenu->clear();
    const QString current = m_context.settings ? m_context.settings->databaseFile() : QString();
    for (const QString &file : DataFolderSetup::databaseFiles(m_context.folders.dataFolder)) {
        QAction *action = m_databaseMenu->addAction(file);
        action->setCheckable(true);
        action->setChecked(file == current);
        m_databaseGroup->addAction(action);
        connect(action, &QAction::triggered, this, [this, file] { switchDatabase(file); });
    }
}

void TMain_form::openDatasets() {}

void TMain_form::switchDatabase(const QString &fileName)
{
    for (QAction *action : m_databaseMenu->actions())
        if (action->text() == fileName)
            action->setChecked(true);
    m_context.database->close();
    try {
        m_context.database->open(m_context.folders.dataFolder + fileName);
        openDatasets();
    } catch (const DatabaseError &e) {
        m_context.prompter->message(e.message(), QString(), Prompter::Icon::Error);
        return;
    }
    QString error;
    if (!m_context.settings->setDatabaseFile(fileName, &error))
        m_context.prompter->message(error, QString(), Prompter::Icon::Error);
}

void TMain_form::applyExpert(bool expert)
{
    m_ftpAction->setVisible(expert);
    m_wipeAction->setVisible(expert);
}

void TMain_form::showWindow(const QString &name, bool modal)
{
    QWidget *window = m_windows ? m_windows->window(name) : nullptr;
    if (!window)
        return;
    if (auto *dialog = qobject_cast<QDialog *>(window); dialog && modal) {
        dialog->exec();
        return;
    }
    window->show();
    window->raise();
}
