#include "pupils/ZaciForm.h"

#include "data/AppContext.h"
#include "widgets/DBNavigator.h"
#include "widgets/DatasetFieldBinder.h"
#include "widgets/EditGuard.h"
#include "widgets/DatasetGrid.h"
#include "platform/Prompter.h"
#include "data/DataModule.h"
#include "data/Database.h"
#include "data/DatasetTableModel.h"
#include "data/TextOrder.h"
#include "pupils/ImportZakaForm.h"
#include "data/PupilKinds.h"
#include "pupils/RosterText.h"
#include "pupils/TypeColourDelegate.h"
#include "pupils/ZakForm.h"

#include <QClipboard>
#include <QComboBox>
#include <QFormLayout>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QShortcut>
#include <QTableView>
#include <QVBoxLayout>

namespace {

const QString kNoClass = QStringLiteral("Nemáte zadanou žádnou třídu. Nejprve nějakou přidejte. ");

} // namespace

TZaci_Form::TZaci_Form(AppContext &context, QWidget *parent)
    : QDialog(parent), m_context(context), m_dm(*context.dm), m_roster(context.dm->Zak_Query()) {
    setObjectName(QStringLiteral("TZaci_Form"));
    setWindowTitle(QStringLiteral("Žáci"));
    resize(420, 560);

    auto *layout = new QVBoxLayout(this);
    auto *menuBar = new QMenuBar(this);
    layout->setMenuBar(menuBar);
    buildMenu(menuBar);

    m_navigator = new TDBNavigator(this);
    m_navigator->setObjectName(QStringLiteral("DBNavigator1"));
    m_navigator->setDataset(&m_roster);
    m_navigator->setVisibleButtons({TDBNavigator::Insert, TDBNavigator::Delete, TDBNavigator::Edit,
                                    TDBNavigator::Post, TDBNavigator::Cancel});
    m_navigator->setHints({QString(), QString(), QString(), QString(), QStringLiteral("Vložit - ctrl+ n"),
                           QStringLiteral("Smazat"), QStringLiteral("Editovat"),
                           QStringLiteral("Uložit - ctrl + s"), QStringLiteral("Storno"), QString()});
    DecorateNavigator(m_navigator, navigatorPictures(), QStringLiteral("Nový žák"), true);
    m_navigator->setBeforeAction(
        [this](TDBNavigator::Button button) { return button != TDBNavigator::Edit || !refuseSeveralRows(); });
    layout->addWidget(m_navigator);

    m_panel = new QWidget(this);
    m_panel->setObjectName(QStringLiteral("Panel_Zaka"));
    auto *form = new QFormLayout(m_panel);
    m_jmeno = new QLineEdit(m_panel);
    m_jmeno->setObjectName(QStringLiteral("DBEdit4"));
    m_prijmeni = new QLineEdit(m_panel);
    m_prijmeni->setObjectName(QStringLiteral("DBEdit5"));
    m_typ = new QComboBox(m_panel);
    m_typ->setObjectName(QStringLiteral("DBListBox1"));
    m_typ->addItems(PupilKinds::all());
    m_poradi = new QLineEdit(m_panel);
    m_poradi->setObjectName(QStringLiteral("DBEdit10"));
    form->addRow(QStringLiteral("Jméno"), m_jmeno);
    form->addRow(QStringLiteral("Příjmení"), m_prijmeni);
    form->addRow(QStringLiteral("Typ"), m_typ);
    auto *poradiLabel = new QLabel(QStringLiteral("Pořadí"), m_panel);
    form->addRow(poradiLabel, m_poradi);
    poradiLabel->hide();
    m_poradi->hide();
    form->addRow(new QLabel(QStringLiteral("ctrl+n = nový žák"), m_panel));
    form->addRow(new QLabel(QStringLiteral("ctrl+s = uložit"), m_panel));
    m_panel->hide();
    layout->addWidget(m_panel);

    m_binder = new DatasetFieldBinder(&m_roster, this);
    m_binder->bind(m_jmeno, QStringLiteral("jmeno"));
    m_binder->bind(m_prijmeni, QStringLiteral("prijmeni"));
    m_binder->bind(m_typ, QStringLiteral("pohlavi"));
    m_binder->bind(m_poradi, QStringLiteral("poradi"));

    m_grid = new QTableView(this);
    m_grid->setObjectName(QStringLiteral("DBGrid_Zaci"));
    m_model = new DatasetTableModel(&m_roster,
                                    {{QStringLiteral("Jméno"), QStringLiteral("jmeno"), 100, QString()},
                                     {QStringLiteral("Příjmení"), QStringLiteral("prijmeni"), 100, QString()},
                                     {QStringLiteral("Typ"), QStringLiteral("pohlavi"), 128, QString()}},
                                    this);
    setUpDatasetGrid(m_grid, m_model, QAbstractItemView::ExtendedSelection);
    m_grid->setItemDelegateForColumn(2, new TypeColourDelegate(m_grid));
    m_grid->horizontalHeader()->setSectionsClickable(true);
    connect(m_grid->horizontalHeader(), &QHeaderView::sectionClicked, this,
            &TZaci_Form::DBGrid_ZaciTitleClick);
    connect(m_grid, &QTableView::doubleClicked, this, [this] { editCurrentRow(); });
    layout->addWidget(m_grid, 1);

    for (QWidget *widget : {static_cast<QWidget *>(m_grid), static_cast<QWidget *>(m_jmeno),
                            static_cast<QWidget *>(m_prijmeni), static_cast<QWidget *>(m_typ)})
        widget->installEventFilter(this);

    // Esc closes the window wherever the focus is.
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WindowShortcut);
    connect(escape, &QShortcut::activated, this, &TZaci_Form::reject);

    connect(&m_roster, &Dataset::stateChanged, this, &TZaci_Form::followState);
    followState();
}

void TZaci_Form::buildMenu(QMenuBar *menuBar) {
    QMenu *tools = menuBar->addMenu(QStringLiteral("&Nástroje"));
    tools->setObjectName(QStringLiteral("Nastroje_Menu"));

    QAction *import = tools->addAction(QStringLiteral("&Import žáků..."), this, &TZaci_Form::openImport);
    import->setObjectName(QStringLiteral("ImportZaku_Action"));

    QMenu *options = tools->addMenu(QStringLiteral("&Vložit ostatní"));
    options->setObjectName(QStringLiteral("VlozitOstatni_Menu"));
    options->addAction(QStringLiteral("všechno níže uvedené"), this, &TZaci_Form::insertAllOptionSets)
        ->setObjectName(QStringLiteral("VsechnoNize_Action"));
    for (OptionSet::Kind set : OptionSet::all()) {
        QAction *action =
            options->addAction(OptionSet::caption(set), this, [this, set] { insertOptionSet(set); });
        action->setObjectName(QStringLiteral("Vlozit_") + OptionSet::marker(set));
    }

    QMenu *types = tools->addMenu(QStringLiteral("Nastavit hromadně &typ na"));
    types->setObjectName(QStringLiteral("NastavitTyp_Menu"));
    for (const QString &kind : PupilKinds::all()) {
        QAction *action = types->addAction(kind, this, [this, kind] { setTypeOfSelectedRows(kind); });
        action->setObjectName(QStringLiteral("Typ_") + kind);
    }

    QAction *sort =
        tools->addAction(QStringLiteral("Seřadit podle abecedy"), this, &TZaci_Form::GenerovatPoradi);
    sort->setObjectName(QStringLiteral("Generovatpoad1"));
    sort->setVisible(false);

    QMenu *copy = tools->addMenu(QStringLiteral("Zkopírovat žáka do &schránky Windows"));
    copy->setObjectName(QStringLiteral("Zkopirovat_Menu"));
    copy->addAction(QStringLiteral("Jméno a příjmení žáka"), this, &TZaci_Form::copyPupilName)
        ->setObjectName(QStringLiteral("JmenoAPrijmeni_Action"));
    copy->addAction(QStringLiteral("Seznam žáků"), this, &TZaci_Form::copyPupilList)
        ->setObjectName(QStringLiteral("SeznamZaku_Action"));

    tools->addSeparator();
    tools->addAction(QStringLiteral("Záznamy žá&ka..."), this, &TZaci_Form::openCard)
        ->setObjectName(QStringLiteral("ZaznamyZaka_Action"));
}

// --- Editing ----------------------------------------------------------------------------------------

void TZaci_Form::followState() {
    const bool editing = m_roster.isEditing();
    const bool wasVisible = m_panel->isVisible();
    m_panel->setVisible(editing);
    m_grid->setEnabled(!editing);
    if (editing && !wasVisible)
        m_jmeno->setFocus();
}

bool TZaci_Form::refuseSeveralRows() {
    if (m_model->selectedRows().size() < 2)
        return false;
    m_context.prompter->message(
        QStringLiteral("Nelze vybrat více žáků zároveň pro úpravy. Vyberte jen jednoho žáka."));
    return true;
}

bool TZaci_Form::editCurrentRow() {
    if (refuseSeveralRows() || m_roster.state() != Dataset::State::Browse || m_roster.recordCount() == 0)
        return false;
    return m_roster.edit();
}

void TZaci_Form::applySurnameRule() {
    if (m_roster.isEditing() && PupilKinds::surnameMeansGirl(m_prijmeni->text()))
        m_roster.setValue(QStringLiteral("pohlavi"), PupilKinds::girl());
}

bool TZaci_Form::eventFilter(QObject *watched, QEvent *event) {
    if (watched == m_prijmeni && event->type() == QEvent::FocusOut)
        applySurnameRule();
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)
        return QDialog::eventFilter(watched, event);
    auto *key = static_cast<QKeyEvent *>(event);
    const bool ctrlOnly = key->modifiers() == Qt::ControlModifier;
    // Ctrl+S and Ctrl+N act when the key goes down, or when it comes up with Ctrl held if its press was
    // not seen; so they work whether the letter or Ctrl is let go first, and never twice.
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    if (event->type() == QEvent::KeyPress && enter && key->modifiers() == Qt::NoModifier &&
        (watched == m_jmeno || watched == m_prijmeni) && m_roster.isEditing()) {
        runCtrlKey(watched, Qt::Key_S); // Enter saves as Ctrl+S does
        return true;
    }
    if (event->type() == QEvent::KeyPress) {
        if (!ctrlOnly || (key->key() != Qt::Key_S && key->key() != Qt::Key_N))
            return QDialog::eventFilter(watched, event);
        m_ctrlKeyDown = key->key();
        runCtrlKey(watched, key->key());
        return true;
    }
    if (key->key() == m_ctrlKeyDown) {
        m_ctrlKeyDown = 0;
        return ctrlOnly || QDialog::eventFilter(watched, event);
    }
    if (!ctrlOnly)
        return QDialog::eventFilter(watched, event);
    runCtrlKey(watched, key->key());
    return true; // any key released with Ctrl alone is consumed
}

void TZaci_Form::runCtrlKey(QObject *watched, int key) {
    if (key == Qt::Key_S && m_roster.isEditing()) {
        if (watched == m_prijmeni)
            applySurnameRule();
        m_roster.post();
    } else if (key == Qt::Key_N && m_roster.state() == Dataset::State::Browse) {
        m_roster.insert();
    }
}

void TZaci_Form::reject() {
    if (EditGuard::mayClose(m_roster, *m_context.prompter))
        QDialog::reject();
}

void TZaci_Form::hideEvent(QHideEvent *event) {
    // A row left half-edited when the window closes is dropped, never saved later by surprise.
    if (m_roster.isEditing())
        m_roster.cancel();
    QDialog::hideEvent(event);
}

// --- Commands -----------------------------------------------------------------------------------------

std::optional<qint64> TZaci_Form::currentClass() {
    const QVariant id = m_dm.currentClassId();
    if (id.isNull() || !id.isValid()) {
        m_context.prompter->message(kNoClass);
        return std::nullopt;
    }
    return id.toLongLong();
}

void TZaci_Form::refreshRoster() {
    m_dm.RefreshDataset(m_roster);
}

void TZaci_Form::insertOptionSet(OptionSet::Kind set) {
    const std::optional<qint64> classId = currentClass();
    if (!classId)
        return;
    m_dm.roster().insertOptionSet(*classId, set);
    refreshRoster();
}

void TZaci_Form::insertAllOptionSets() {
    const std::optional<qint64> classId = currentClass();
    if (!classId)
        return;
    m_dm.roster().insertAllOptionSets(*classId);
    refreshRoster();
}

void TZaci_Form::GenerovatPoradi() {
    if (currentClass())
        m_dm.GenerovatPoradi();
}

void TZaci_Form::setTypeOfSelectedRows(const QString &kind) {
    const QList<int> rows = m_model->selectedRows();
    if (rows.isEmpty())
        return;
    try {
        // One transaction for the whole change: one write to disk instead of one per row.
        Transaction transaction(*m_context.database);
        m_dm.SetFieldOnSelectedRows(m_roster, rows, kind, QStringLiteral("pohlavi"));
        transaction.commit();
    } catch (const DatabaseError &error) {
        m_context.prompter->message(error.message(), QString(), Prompter::Icon::Error);
        refreshRoster();
    }
}

void TZaci_Form::copyPupilName() {
    if (m_roster.currentRow() < 0)
        return;
    QGuiApplication::clipboard()->setText(RosterText::pupilName(m_roster.value(QStringLiteral("jmeno")),
                                                                m_roster.value(QStringLiteral("prijmeni"))));
}

void TZaci_Form::copyPupilList() {
    QGuiApplication::clipboard()->setText(RosterText::pupilList(RosterText::datasetRows(m_roster)));
    m_roster.first();
}

void TZaci_Form::DBGrid_ZaciTitleClick(int column) {
    const QString field = m_model->fieldOfColumn(column);
    const QString line = TextOrder::toggledOrderLine(m_roster.lastSqlLine(), field);
    if (line.isEmpty() || m_roster.isEditing())
        return;
    m_roster.close();
    m_roster.setLastSqlLine(line);
    refreshRoster();
}

void TZaci_Form::openImport() {
    TImport_Zaka_Form *window = m_importWindow;
    if (!window && parentWidget())
        window = parentWidget()->findChild<TImport_Zaka_Form *>();
    if (window)
        window->exec();
}

void TZaci_Form::openCard() {
    TZak_Form *window = m_cardWindow;
    if (!window && parentWidget())
        window = parentWidget()->findChild<TZak_Form *>();
    if (window)
        window->openForCurrentPupil();
}
