#include "app/MainForm.h"

#include "analysis/CodeKey.h"
#include "app/DataFolderSetup.h"
#include "app/DataModuleStart.h"
#include "app/InfoForm.h"
#include "app/WindowRegistry.h"
#include "data/AnonymousCopy.h"
#include "data/AppContext.h"
#include "data/DataModule.h"
#include "data/Database.h"
#include "data/DatabaseMaintenance.h"
#include "data/DatasetTableModel.h"
#include "graphics/PrintPreview.h"
#include "platform/Prompter.h"
#include "widgets/DBNavigator.h"
#include "widgets/DatasetFieldBinder.h"
#include "widgets/DatasetGrid.h"
#include "widgets/EditGuard.h"
#include "widgets/ToolBarPictures.h"
#include <QDir>

#include <QActionGroup>
#include <stdexcept>
#include <QDateEdit>
#include <QDialog>
#include <QFormLayout>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QStyle>
#include <QCloseEvent>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QString kNoClass = QStringLiteral("Nemáte zadanou žádnou třídu. Nejprve nějakou přidejte. ");

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

void defaultShow(QWidget *window, bool modal)
{
    if (auto *dialog = qobject_cast<QDialog *>(window); dialog && modal) {
        dialog->exec();
        return;
    }
    if (modal)
        window->setWindowModality(Qt::ApplicationModal);
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace

TMain_form::TMain_form(AppContext &context, QWidget *parent)
    : QMainWindow(parent), m_context(context), m_shower(defaultShow)
{
    setObjectName(QStringLiteral("TMain_form"));
    setWindowTitle(QStringLiteral("Orbelis"));
    resize(760, 520);
    buildMenus();
    buildToolBar();
    buildAnswerOptionMenu();
    buildRegister();
    // Wide enough for the whole tool bar.
    resize(qMax(width(), m_toolBar->sizeHint().width() + 16), height());
    m_info = new TInfo_Form(context, this);
    connect(m_info, &TInfo_Form::expertChanged, this, &TMain_form::applyExpert);
    applyExpert(false);
}

TMain_form::~TMain_form() = default;

// --- Building -----------------------------------------------------------------------------------------

void TMain_form::buildMenus()
{
    QMenu *view = menuBar()->addMenu(QStringLiteral("&Zobrazit"));
    view->setObjectName(QStringLiteral("Zobrazit_Menu"));
    view->addAction(QStringLiteral("&Žáci"), this, &TMain_form::showPupils);
    view->addAction(QStringLiteral("&Dotazníky"), this, &TMain_form::showSessions);
    view->addSeparator();
    view->addAction(QStringLiteral("&Listiny"), this, &TMain_form::showDocuments);

    QMenu *output = menuBar()->addMenu(QStringLiteral("&Výstup"));
    output->setObjectName(QStringLiteral("Vystup_Menu"));
    output->addAction(QStringLiteral("&Sociogram - bublinový graf"), this, &TMain_form::showSociogram);
    output->addAction(QStringLiteral("Sloupcový &graf"), this, &TMain_form::showBarChart);
    output->addAction(QStringLiteral("Sociometrický &rozbor"), this, &TMain_form::showAnalysis)
        ->setObjectName(QStringLiteral("Rozbor_Action"));
    output->addAction(QStringLiteral("Srovnání &vyhodnocení…"), this, &TMain_form::showComparison)
        ->setObjectName(QStringLiteral("Srovnani_Action"));
    output->addAction(QStringLiteral("Rozdělení do &skupin"), this, &TMain_form::showGrouping)
        ->setObjectName(QStringLiteral("Skupiny_Action"));

    QMenu *settings = menuBar()->addMenu(QStringLiteral("&Nastavení"));
    settings->setObjectName(QStringLiteral("Nastaveni_Menu"));
    settings->addAction(QStringLiteral("&Dotazníky a jejich otázky"), this, &TMain_form::showQuestionnaireSettings);
    settings->addSeparator();
    m_ftpAction = settings->addAction(QStringLiteral("&FTP"), this, &TMain_form::showFtp);
    m_ftpAction->setObjectName(QStringLiteral("FTP_Action"));
    settings->addAction(QStringLiteral("&Záloha databáze"), this, &TMain_form::backupDatabase)
        ->setObjectName(QStringLiteral("Zaloha_Action"));
    settings
        ->addAction(QStringLiteral("&Export anonymizované třídy…"), this, &TMain_form::exportAnonymousClass)
        ->setObjectName(QStringLiteral("ExportAnonymni_Action"));
    settings->addAction(QStringLiteral("&Klíč kódů…"), this, &TMain_form::saveCodeKey)
        ->setObjectName(QStringLiteral("KlicKodu_Action"));
    m_wipeAction = settings->addAction(QStringLiteral("S&mazání všech dat..."), this, &TMain_form::showWipe);
    m_wipeAction->setObjectName(QStringLiteral("Smazani_Action"));

    QMenu *help = menuBar()->addMenu(QStringLiteral("Ná&pověda"));
    help->addAction(QStringLiteral("&O programu"), this, [this] { m_info->exec(); });
}

QToolButton *TMain_form::addToolButton(const QString &objectName, const QString &caption, const QIcon &icon,
                                       QMenu *menu)
{
    auto *button = new DropDownToolButton(m_toolBar);
    button->setObjectName(objectName);
    button->setText(caption);
    button->setIcon(icon);
    button->setIconSize(QSize(16, 16));
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setFixedSize(111, 36);
    if (menu) {
        button->setMenu(menu);
        button->setPopupMode(QToolButton::MenuButtonPopup);
    }
    // The buttons keep their fixed size; a caption that does not fit gets a smaller font instead of
    // being cut.
    const int room = 111 - 10 - (menu ? button->style()->pixelMetric(QStyle::PM_MenuButtonIndicator, nullptr, button) : 0);
    QFont font = button->font();
    while (QFontMetrics(font).horizontalAdvance(caption) > room && font.pointSizeF() > 6.5)
        font.setPointSizeF(font.pointSizeF() - 0.5);
    button->setFont(font);
    m_toolBar->addWidget(button);
    return button;
}

void TMain_form::buildToolBar()
{
    m_toolBar = addToolBar(QStringLiteral("Nástroje"));
    m_toolBar->setObjectName(QStringLiteral("ToolBar1"));
    m_toolBar->setMovable(false);
    connect(addToolButton(QStringLiteral("Zaci_ToolButton"), QStringLiteral("Žáci"), toolBarPicture(ToolBarPicture::Pupils)),
            &QToolButton::clicked, this, &TMain_form::showPupils);
    connect(addToolButton(QStringLiteral("Dotazniky_ToolButton"), QStringLiteral("Dotazníky"),
                          toolBarPicture(ToolBarPicture::Questionnaires)),
            &QToolButton::clicked, this, &TMain_form::showSessions);
    m_toolBar->addSeparator();
    connect(addToolButton(QStringLiteral("Listiny_ToolButton"), QStringLiteral("Listiny"),
                          toolBarPicture(ToolBarPicture::Documents)),
            &QToolButton::clicked, this, &TMain_form::showDocuments);
    m_toolBar->addSeparator();
    m_sessionMenu = new QMenu(this);
    m_sessionMenu->setObjectName(QStringLiteral("Vyhodnoceni_PopupMenu"));
    m_sessionGroup = new QActionGroup(this);
    m_sessionGroup->setExclusive(true);
    addToolButton(QStringLiteral("TextoveVyhodnoceni_ToolButton"), QStringLiteral("Textové vyhodnocení"),
                  toolBarPicture(ToolBarPicture::TextEvaluation), m_sessionMenu);
    connect(addToolButton(QStringLiteral("Sociogram_ToolButton"), QStringLiteral("Sociogram bubliny"),
                          toolBarPicture(ToolBarPicture::Sociogram)),
            &QToolButton::clicked, this, &TMain_form::showSociogram);
    connect(addToolButton(QStringLiteral("SloupcovyGraf_ToolButton"), QStringLiteral("Sloupcový graf"),
                          toolBarPicture(ToolBarPicture::BarChart)),
            &QToolButton::clicked, this, &TMain_form::showPreparedBarChart);
    connect(addToolButton(QStringLiteral("Rozbor_ToolButton"), QStringLiteral("Sociometrický rozbor"),
                          toolBarPicture(ToolBarPicture::Analysis)),
            &QToolButton::clicked, this, &TMain_form::showAnalysis);
    connect(addToolButton(QStringLiteral("Skupiny_ToolButton"), QStringLiteral("Rozdělení do skupin"),
                          toolBarPicture(ToolBarPicture::Groups)),
            &QToolButton::clicked, this, &TMain_form::showGrouping);
    m_databaseMenu = new QMenu(this);
    m_databaseMenu->setObjectName(QStringLiteral("Databaze_PopupMenu"));
    m_databaseGroup = new QActionGroup(this);
    m_databaseGroup->setExclusive(true);
    addToolButton(QStringLiteral("Databaze_ToolButton"), QStringLiteral("Databáze"),
                  toolBarPicture(ToolBarPicture::Database), m_databaseMenu);
}

void TMain_form::buildAnswerOptionMenu()
{
    m_answerOptionMenu = new QMenu(this);
    m_answerOptionMenu->setObjectName(QStringLiteral("MoznostiOdpovedi_PopupMenu"));
    auto add = [this](const QString &caption, const QString &objectName, auto method) {
        QAction *action = m_answerOptionMenu->addAction(caption);
        action->setObjectName(objectName);
        connect(action, &QAction::triggered, this, [this, method] {
            if (m_context.dm)
                (m_context.dm->*method)();
        });
    };
    add(QStringLiteral("Vložit - ---. všichni, nikdo, nevím, já, všichni ostatní, kluci, holky"),
        QStringLiteral("VlozitNeurcite_Action"), &TDM::insertGeneralOptionRows);
    add(QStringLiteral("Vložit - ano, ne"), QStringLiteral("VlozitAnoNe_Action"), &TDM::insertYesNoOptionRows);
    add(QStringLiteral("Vložit - a1, b2, c3, d4, e5"), QStringLiteral("VlozitAbcde_Action"),
        &TDM::insertLetterAndNumberOptionRows);
    add(QStringLiteral("Připsat pořadí"), QStringLiteral("PripsatPoradi_Action"), &TDM::renumberClassRows);
}

void TMain_form::buildRegister()
{
    auto *central = new QWidget(this);
    auto *layout = new QVBoxLayout(central);
    layout->setContentsMargins(4, 4, 4, 4);

    m_navigator = new TDBNavigator(central);
    m_navigator->setObjectName(QStringLiteral("DBNavigator1"));
    m_navigator->setVisibleButtons({TDBNavigator::Insert, TDBNavigator::Delete, TDBNavigator::Edit,
                                    TDBNavigator::Post, TDBNavigator::Cancel});
    layout->addWidget(m_navigator);

    auto *panel = new QFrame(central);
    panel->setObjectName(QStringLiteral("Skola_Edit_Panel"));
    panel->setFrameShape(QFrame::StyledPanel);
    auto *form = new QFormLayout(panel);
    m_schoolEdit = new QLineEdit(panel);
    m_schoolEdit->setObjectName(QStringLiteral("Skola_DBEdit"));
    auto *gradeEdit = new QLineEdit(panel);
    gradeEdit->setObjectName(QStringLiteral("Stupen_DBEdit"));
    auto *teacherEdit = new QLineEdit(panel);
    teacherEdit->setObjectName(QStringLiteral("TridniUcitel_DBEdit"));
    auto *dateEdit = new QDateEdit(panel);
    dateEdit->setObjectName(QStringLiteral("DatumZapisu_DateTimePicker"));
    dateEdit->setCalendarPopup(true);
    form->addRow(QStringLiteral("Škola"), m_schoolEdit);
    form->addRow(QStringLiteral("Třída"), gradeEdit);
    form->addRow(QStringLiteral("Třídní učitel"), teacherEdit);
    form->addRow(QStringLiteral("Datum zápisu"), dateEdit);
    panel->hide();
    m_editPanel = panel;
    layout->addWidget(panel);

    m_grid = new QTableView(central);
    m_grid->setObjectName(QStringLiteral("DBGrid1"));
    m_grid->horizontalHeader()->setSectionsClickable(true);
    m_grid->horizontalHeader()->setHighlightSections(false);
    connect(m_grid->horizontalHeader(), &QHeaderView::sectionClicked, this, &TMain_form::DBGrid1TitleClick);
    connect(m_grid, &QTableView::doubleClicked, this, &TMain_form::showSessions);
    layout->addWidget(m_grid, 1);
    setCentralWidget(central);

    TDM *dm = m_context.dm;
    if (!dm)
        return;
    Dataset &classes = dm->Trida_Query();
    m_navigator->setDataset(&classes);
    const QList<DatasetTableModel::Column> columns{
        {QStringLiteral("Škola"), QStringLiteral("skola"), 188, {}},
        {QStringLiteral("Datum zápisu"), QStringLiteral("datum_zapisu"), 100, QStringLiteral("dd.MM.yyyy")},
        {QStringLiteral("Třída"), QStringLiteral("stupen"), 100, {}},
        {QStringLiteral("Třídní učitel"), QStringLiteral("tridni_ucitel"), 131, {}},
    };
    m_model = new DatasetTableModel(&classes, columns, this);
    setUpDatasetGrid(m_grid, m_model, QAbstractItemView::SingleSelection);
    // Whole-row selection: the current class is the highlighted row.
    connect(m_grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex &current) {
        if (current.isValid() && !m_grid->selectionModel()->isRowSelected(current.row(), QModelIndex()))
            m_grid->selectRow(current.row());
    });

    m_binder = new DatasetFieldBinder(&classes, this);
    m_binder->bind(m_schoolEdit, QStringLiteral("skola"));
    m_binder->bind(gradeEdit, QStringLiteral("stupen"));
    m_binder->bind(teacherEdit, QStringLiteral("tridni_ucitel"));
    m_binder->bind(dateEdit, QStringLiteral("datum_zapisu"));

    connect(&classes, &Dataset::stateChanged, this, &TMain_form::followClassState);
    EditGuard::installPostKeys(m_editPanel, classes);
    connect(dm, &TDM::classChanged, this,
            [this](qint64, const QList<SessionMenuItem> &sessions) { rebuildSessionMenu(sessions); });
    connect(dm, &TDM::addPupilsRequested, this, &TMain_form::showPupils);
}

// The edit panel shows while a class is inserted or edited; the grid takes input only while browsing.
void TMain_form::followClassState()
{
    const Dataset &classes = m_context.dm->Trida_Query();
    const bool editing = classes.isEditing();
    const bool wasVisible = !m_editPanel->isHidden();
    m_editPanel->setVisible(editing);
    m_grid->setEnabled(!editing);
    // Until the class is saved or dropped nothing may open a window that would write rows for it.
    m_toolBar->setEnabled(!editing);
    menuBar()->setEnabled(!editing);
    if (editing && !wasVisible && classes.state() == Dataset::State::Insert)
        m_schoolEdit->setFocus();
}

// --- Start-up and the database switch -----------------------------------------------------------------

void TMain_form::FormCreate()
{
    DecorateNavigator(m_navigator, navigatorPictures(), QStringLiteral("Nová třída"), true);
    // A missing version file is reported, but must not leave the program without its data.
    QString versionError;
    try {
        m_context.versionText = readVersionText(m_context.folders.resourceFolder());
    } catch (const std::exception &e) {
        versionError = QString::fromUtf8(e.what());
    }
    m_info->setVersionText(m_context.versionText);
    applyExpert(m_context.settings && m_context.settings->expert());
    buildDatabaseMenu();
    openDatasets();
    if (!versionError.isEmpty())
        throw std::runtime_error(versionError.toStdString());
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

// Opens the data module's datasets in their start-up order. A connection that did not open has been
// reported already; the datasets then stay closed until a database switch succeeds.
void TMain_form::openDatasets()
{
    if (m_context.dm && m_context.database && m_context.database->isOpen())
        m_context.dm->openDatasets();
}

void TMain_form::switchDatabase(const QString &fileName)
{
    for (QAction *action : m_databaseMenu->actions())
        if (action->text() == fileName)
            action->setChecked(true);
    if (m_context.dm)
        m_context.dm->closeDatasets();
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

// --- Session menu -------------------------------------------------------------------------------------

void TMain_form::rebuildSessionMenu(const QList<SessionMenuItem> &sessions)
{
    // The old items go later: the rebuild may run inside the handler of one of them.
    for (QAction *action : m_sessionMenu->actions()) {
        m_sessionMenu->removeAction(action);
        m_sessionGroup->removeAction(action);
        action->deleteLater();
    }
    for (const SessionMenuItem &session : sessions) {
        QAction *action = m_sessionMenu->addAction(session.caption);
        action->setCheckable(true);
        action->setData(session.id);
        action->setProperty("Value", QString::number(session.id));
        m_sessionGroup->addAction(action);
        const qint64 id = session.id;
        connect(action, &QAction::triggered, this, [this, id] { chooseSession(id); });
    }
}

void TMain_form::chooseSession(qint64 sessionId)
{
    if (!m_context.dm)
        return;
    m_context.dm->Vyhodnoceni_Query().locate(QStringLiteral("ID"), sessionId);
    emit textualEvaluationRequested();
}

// --- Commands -----------------------------------------------------------------------------------------

bool TMain_form::requireClass()
{
    const TDM *dm = m_context.dm;
    if (!dm || !dm->Trida_Query().isOpen() || dm->Trida_Query().isEmpty()) {
        m_context.prompter->message(kNoClass);
        return false;
    }
    return true;
}

// The current class as an integer (NULL when there is none).
QVariant TMain_form::classId() const
{
    const QVariant id = m_context.dm ? m_context.dm->currentClassId() : QVariant();
    return id.isNull() ? QVariant() : QVariant(id.toLongLong());
}

void TMain_form::showWindow(const QString &name, bool modal)
{
    QWidget *window = m_windows ? m_windows->window(name) : nullptr;
    if (window && m_shower)
        m_shower(window, modal);
}

void TMain_form::showPupils()
{
    if (!requireClass())
        return;
    TDM &dm = *m_context.dm;
    dm.Zak_Query().setParameter(QStringLiteral("par_id_tridy"), classId());
    dm.RefreshDataset(dm.Zak_Query());
    showWindow(QStringLiteral("TZaci_Form"), true);
}

void TMain_form::showSessions()
{
    if (!requireClass())
        return;
    TDM &dm = *m_context.dm;
    const QVariant id = classId();
    for (Dataset *dataset : {&dm.Vyhodnoceni_Query(), &dm.Zak_Query_1(), &dm.Zak_Query_2(), &dm.Zak_Query_3()})
        dataset->setParameter(QStringLiteral("par_id_tridy"), id);
    for (Dataset *dataset : {&dm.Vyhodnoceni_Query(), &dm.Zak_Query_1(), &dm.Zak_Query_2(), &dm.Zak_Query_3()})
        dm.RefreshDataset(*dataset);
    showWindow(QStringLiteral("TDotazniky_Form"), true);
}

void TMain_form::showDocuments()
{
    if (TDM *dm = m_context.dm) {
        dm->Listiny_ADOQuery().setParameter(QStringLiteral("par_id_tridy"), classId());
        if (m_context.database->isOpen())
            dm->RefreshDataset(dm->Listiny_ADOQuery());
    }
    showWindow(QStringLiteral("TListiny_Form"), true);
}

void TMain_form::showSociogram()
{
    if (!requireClass())
        return;
    TDM &dm = *m_context.dm;
    dm.Vyhodnoceni_Query().setParameter(QStringLiteral("par_id_tridy"), classId());
    dm.RefreshDataset(dm.Vyhodnoceni_Query());
    emit sociogramOpening();
    showWindow(QStringLiteral("TSociogram_Form"), true);
}

void TMain_form::showPreparedBarChart()
{
    if (!requireClass())
        return;
    TDM &dm = *m_context.dm;
    const QVariant id = classId();
    dm.Vyhodnoceni_Query().setParameter(QStringLiteral("par_id_tridy"), id);
    dm.RefreshDataset(dm.Vyhodnoceni_Query());
    dm.Zak_Query().setParameter(QStringLiteral("par_id_tridy"), id);
    dm.RefreshDataset(dm.Zak_Query());
    emit barChartOpening();
    showWindow(QStringLiteral("TSloupcovy_Graf_Form"), true);
}

void TMain_form::showBarChart() { showWindow(QStringLiteral("TSloupcovy_Graf_Form"), false); }

void TMain_form::showAnalysis() { showOnClassSessions(WindowRegistry::analysisWindow()); }

void TMain_form::showComparison() { showOnClassSessions(WindowRegistry::comparisonWindow()); }

void TMain_form::showGrouping() {
    showOnClassSessions(WindowRegistry::groupingWindow());
}

void TMain_form::showOnClassSessions(const WindowRegistry::Entry &window)
{
    if (!requireClass())
        return;
    TDM &dm = *m_context.dm;
    dm.Vyhodnoceni_Query().setParameter(QStringLiteral("par_id_tridy"), classId());
    dm.RefreshDataset(dm.Vyhodnoceni_Query());
    // Not one of the windows made at start-up: their list and order stay fixed, and start-up stays quick.
    if (m_windows && !m_windows->object(window.name))
        m_windows->createAll({window}, m_context, this);
    showWindow(window.name, true);
}

void TMain_form::showQuestionnaireSettings() { showWindow(QStringLiteral("TNastaveniDotazniku_Form"), true); }

void TMain_form::showFtp() { showWindow(QStringLiteral("TFtp_Form"), true); }

void TMain_form::showWipe() { showWindow(QStringLiteral("TVycisteni_Form"), false); }

// Copies the open database to a file the user names through the engine's online backup, so the copy is
// consistent; the connection and the datasets stay open. The open file itself is refused as the target.
void TMain_form::backupDatabase()
{
    const QString target = m_context.prompter->saveFileName(
        QStringLiteral("Záloha databáze"), QStringLiteral("Databázový soubor Orbelis (*.mdb)"), QStringLiteral("mdb"));
    if (target.isEmpty())
        return;
    try {
        DatabaseMaintenance::backup(*m_context.database, target);
    } catch (const DatabaseError &e) {
        const bool refused = e.message() == DatabaseMaintenance::sameFileMessage();
        m_context.prompter->message(e.message(), QString(), refused ? Prompter::Icon::None : Prompter::Icon::Error);
    }
    // A backup leaves the data module's datasets open, the class documents' list included.
    if (m_context.dm && m_context.database->isOpen() && !m_context.dm->Listiny_ADOQuery().isOpen())
        m_context.dm->RefreshDataset(m_context.dm->Listiny_ADOQuery());
}

// The current class; nullopt, with a word to the teacher, when none is chosen.
std::optional<qint64> TMain_form::chosenClass()
{
    const QVariant id = classId();
    if (id.isNull()) {
        m_context.prompter->message(QStringLiteral("Nejdřív vyberte třídu."), QString(), Prompter::Icon::Information);
        return std::nullopt;
    }
    return id.toLongLong();
}

// The current class as a new database without names (AnonymousCopy), for sharing outside the school.
void TMain_form::exportAnonymousClass() {
    Prompter &prompter = *m_context.prompter;
    const std::optional<qint64> trida = chosenClass();
    if (!trida)
        return;
    const bool freeText =
        prompter.askYesNo(QStringLiteral("Přenést do kopie i slovní odpovědi? Mohou jmenovat spolužáky."),
                          QStringLiteral("Export anonymizované třídy"), Prompter::Icon::Question);
    const QString target =
        prompter.saveFileName(QStringLiteral("Export anonymizované třídy"),
                              QStringLiteral("Databázový soubor Orbelis (*.mdb)"), QStringLiteral("mdb"));
    if (target.isEmpty())
        return;
    try {
        AnonymousCopy::exportClass(*m_context.database, *trida, target, freeText);
        prompter.message(QStringLiteral("Anonymizovaná třída je uložena v souboru %1. Klíč kódů k ní zůstává "
                                        "ve škole (Nastavení → Klíč kódů…).")
                             .arg(QDir::toNativeSeparators(target)),
                         QString(), Prompter::Icon::Information);
    } catch (const DatabaseError &e) {
        prompter.message(e.message(), QString(), Prompter::Icon::Error);
    }
}

// Which pupil each code of the current class stands for: printed or saved on its own.
void TMain_form::saveCodeKey() {
    Prompter &prompter = *m_context.prompter;
    const std::optional<qint64> trida = chosenClass();
    if (!trida)
        return;
    QString error;
    std::optional<CodeKey> key;
    try {
        key = CodeKey::read(*m_context.database, *trida, &error);
    } catch (const DatabaseError &e) {
        error = e.message();
    }
    if (!key) {
        prompter.message(error, QString(), Prompter::Icon::Error);
        return;
    }
    const int choice = prompter.askChoice(
        QStringLiteral(
            "Klíč kódů říká, který kód patří kterému žákovi. Zůstává ve škole, odděleně od výstupů."),
        QStringLiteral("Klíč kódů"),
        {QStringLiteral("Tisk"), QStringLiteral("Uložit do souboru"), QStringLiteral("Zrušit")});
    if (choice == 0) {
        PrintPreview::open(prompter, this, key->pages(), QStringLiteral("KlicKodu_Nahled"));
        return;
    }
    if (choice != 1)
        return;
    const QString target = prompter.saveFileName(
        QStringLiteral("Klíč kódů"),
        QStringLiteral("Dokument PDF (*.pdf);;Dokument Word (*.docx);;Tabulka CSV (*.csv)"),
        QStringLiteral("pdf"));
    if (!target.isEmpty() && !key->save(target, &error))
        prompter.message(error, QString(), Prompter::Icon::Error);
}

void TMain_form::openPupilCard()
{
    if (TDM *dm = m_context.dm) {
        const QVariant pupil = dm->Zak_Query().value(QStringLiteral("ID"));
        dm->Poznamky_Query().setParameter(QStringLiteral("par_id_zaka"), pupil.isNull() ? QVariant() : QVariant(pupil.toLongLong()));
        dm->RefreshDataset(dm->Poznamky_Query());
    }
    showWindow(QStringLiteral("TZak_Form"), false);
}

void TMain_form::DBGrid1TitleClick(int column)
{
    if (!m_context.dm || !m_model || !m_context.database->isOpen())
        return;
    const QString field = m_model->fieldOfColumn(column);
    if (!field.isEmpty())
        m_context.dm->sortClassGrid(field);
}

void TMain_form::closeEvent(QCloseEvent *event)
{
    if (m_context.dm && !EditGuard::mayClose(m_context.dm->Trida_Query(), *m_context.prompter)) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}
