#include "questionnaires/QuestionnairesForm.h"

#include "data/AppContext.h"
#include "data/DataModule.h"
#include "data/DatasetTableModel.h"
#include "platform/Prompter.h"
#include "questionnaires/ExchangeFile.h"
#include "questionnaires/QuestionsForm.h"
#include "widgets/DBNavigator.h"
#include "widgets/DatasetFieldBinder.h"
#include "widgets/EditGuard.h"
#include "widgets/DatasetGrid.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QShortcut>
#include <QTableView>
#include <QVBoxLayout>

TNastaveniDotazniku_Form::TNastaveniDotazniku_Form(AppContext &context, QWidget *parent)
    : QDialog(parent), m_context(context), m_dm(*context.dm), m_questionnaires(context.dm->Testy_Query()) {
    setObjectName(QStringLiteral("TNastaveniDotazniku_Form"));
    setWindowTitle(QStringLiteral("Nastavení dotazníků"));
    resize(460, 520);

    auto *layout = new QVBoxLayout(this);
    auto *menuBar = new QMenuBar(this);
    layout->setMenuBar(menuBar);
    QMenu *questions = menuBar->addMenu(QStringLiteral("&Otázky"));
    questions->setObjectName(QStringLiteral("Otazky_Menu"));
    questions->addAction(QStringLiteral("&Přidat a upravit otázky"), this, &TNastaveniDotazniku_Form::editQuestions)
        ->setObjectName(QStringLiteral("PridatOtazky_Action"));
    QMenu *exchange = menuBar->addMenu(QStringLiteral("&Import a export"));
    exchange->setObjectName(QStringLiteral("ImportExport_Menu"));
    exchange->addAction(QStringLiteral("&Importovat dotazník"), this, &TNastaveniDotazniku_Form::importQuestionnaire)
        ->setObjectName(QStringLiteral("Importovat_Action"));
    exchange->addAction(QStringLiteral("&Exportovat dotazník"), this, &TNastaveniDotazniku_Form::exportQuestionnaire)
        ->setObjectName(QStringLiteral("Exportovat_Action"));

    m_navigator = new TDBNavigator(this);
    m_navigator->setObjectName(QStringLiteral("DBNavigator5"));
    m_navigator->setDataset(&m_questionnaires);
    m_navigator->setVisibleButtons({TDBNavigator::Insert, TDBNavigator::Delete, TDBNavigator::Edit,
                                    TDBNavigator::Post, TDBNavigator::Cancel, TDBNavigator::Refresh});
    m_navigator->setHints({QString(), QString(), QString(), QString(), QStringLiteral("Vložit"),
                           QStringLiteral("Smazat"), QStringLiteral("Editovat"), QStringLiteral("Uložit"),
                           QStringLiteral("Storno"), QStringLiteral("Obnovit")});
    DecorateNavigator(m_navigator, navigatorPictures(), QString(), true);
    layout->addWidget(m_navigator);

    m_panel = new QWidget(this);
    m_panel->setObjectName(QStringLiteral("Upravit_Panel"));
    auto *row = new QHBoxLayout(m_panel);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(new QLabel(QStringLiteral("Název dotazníku:"), m_panel));
    auto *name = new QLineEdit(m_panel);
    name->setObjectName(QStringLiteral("NazevDotazniku_DBEdit"));
    row->addWidget(name, 1);
    m_panel->hide();
    layout->addWidget(m_panel);
    auto *binder = new DatasetFieldBinder(&m_questionnaires, this);
    binder->bind(name, QStringLiteral("nazev_testu"));
    EditGuard::installPostKeys(m_panel, m_questionnaires);

    m_grid = new QTableView(this);
    m_grid->setObjectName(QStringLiteral("DBGrid7"));
    m_model = new DatasetTableModel(
        &m_questionnaires, {{QStringLiteral("Název dotazníku"), QStringLiteral("nazev_testu"), 400, QString()}}, this);
    setUpDatasetGrid(m_grid, m_model, QAbstractItemView::SingleSelection);
    connect(m_grid, &QTableView::doubleClicked, this, &TNastaveniDotazniku_Form::editQuestions);
    layout->addWidget(m_grid, 1);

    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &TNastaveniDotazniku_Form::reject);
    connect(&m_questionnaires, &Dataset::stateChanged, this, &TNastaveniDotazniku_Form::followState);
    connect(m_navigator, &TDBNavigator::clicked, this, [name](TDBNavigator::Button button) {
        if (button == TDBNavigator::Insert || button == TDBNavigator::Edit)
            name->setFocus();
    });
    followState();
}

void TNastaveniDotazniku_Form::followState() {
    const bool editing = m_questionnaires.isEditing();
    m_panel->setVisible(editing);
    m_grid->setEnabled(!editing);
}

TNastaveni_Otazek_Form *TNastaveniDotazniku_Form::questionsWindow() const {
    if (m_questionsWindow)
        return m_questionsWindow;
    return parentWidget() ? parentWidget()->findChild<TNastaveni_Otazek_Form *>() : nullptr;
}

bool TNastaveniDotazniku_Form::editQuestions() {
    TNastaveni_Otazek_Form *window = questionsWindow();
    if (!window || !m_questionnaires.isOpen() || m_questionnaires.currentRow() < 0 ||
        m_questionnaires.isEditing())
        return false;
    Dataset &questions = m_dm.Otazky_Query();
    questions.setParameter(QStringLiteral("par_id_testu"), m_questionnaires.value(QStringLiteral("ID")));
    m_dm.RefreshDataset(questions);
    window->setWindowTitle(QStringLiteral("Nastavení otázek ") + m_questionnaires.text(QStringLiteral("nazev_testu")));
    window->setWindowModality(Qt::ApplicationModal);
    window->show();
    window->raise();
    return true;
}

void TNastaveniDotazniku_Form::reject() {
    if (EditGuard::mayClose(m_questionnaires, *m_context.prompter))
        QDialog::reject();
}

TDM_IE *TNastaveniDotazniku_Form::exchangeModule() {
    if (!m_exchange && parentWidget())
        m_exchange = parentWidget()->findChild<TDM_IE *>(QString(), Qt::FindDirectChildrenOnly);
    if (!m_exchange)
        m_exchange = new TDM_IE(*m_context.database, m_context.folders, this);
    return m_exchange;
}

bool TNastaveniDotazniku_Form::exportQuestionnaire() {
    Prompter &prompter = *m_context.prompter;
    if (!EditGuard::mayClose(m_questionnaires, prompter))
        return false;
    const QVariant id = m_questionnaires.isOpen() && m_questionnaires.currentRow() >= 0
                            ? m_questionnaires.value(QStringLiteral("ID"))
                            : QVariant();
    if (id.isNull() || !id.isValid()) {
        prompter.message(QStringLiteral("Nejprve vyberte dotazník, který chcete exportovat."));
        return false;
    }
    return !exchangeModule()->exportWithPrompts(prompter, id.toLongLong()).isEmpty();
}

bool TNastaveniDotazniku_Form::importQuestionnaire() {
    if (!EditGuard::mayClose(m_questionnaires, *m_context.prompter))
        return false;
    const std::optional<qint64> id = exchangeModule()->importWithPrompts(*m_context.prompter);
    if (!id)
        return false;
    m_dm.RefreshDataset(m_questionnaires);
    m_questionnaires.locate(QStringLiteral("ID"), *id);
    return true;
}
