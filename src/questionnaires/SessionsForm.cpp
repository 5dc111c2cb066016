#include "questionnaires/SessionsForm.h"

#include "data/AnswerRules.h"
#include "data/AppContext.h"
#include "data/DataModule.h"
#include "data/DatabaseError.h"
#include "data/DatasetTableModel.h"
#include "platform/IniFile.h"
#include "platform/Prompter.h"
#include "platform/Settings.h"
#include "platform/Shell.h"
#include "questionnaires/AnswersForm.h"
#include "questionnaires/EditorForm.h"
#include "questionnaires/EvaluationCommand.h"
#include "web/CodeSlipsActions.h"
#include "web/CurlFtpClient.h"
#include "web/FormPages.h"
#include "web/ResultImport.h"
#include "web/UploadForm.h"
#include "web/WebFiles.h"
#include "widgets/AnonymousSwitch.h"
#include "widgets/DBNavigator.h"
#include "widgets/DatasetFieldBinder.h"
#include "widgets/DatasetGrid.h"
#include "widgets/EditGuard.h"
#include "widgets/ShowInFront.h"

#include <QCoreApplication>
#include <climits>
#include <QDateEdit>
#include <QProgressDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QShortcut>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>

namespace {

// The "Účast" cells: the number of respondents of the row's session, from the window's cache.
class ParticipationDelegate final : public QStyledItemDelegate {
public:
    ParticipationDelegate(const TDotazniky_Form *form, const Dataset *sessions, QObject *parent)
        : QStyledItemDelegate(parent), m_form(form), m_sessions(sessions) {}

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override {
        QStyledItemDelegate::paint(painter, option, index);
        const QVariant id = m_sessions->value(index.row(), m_sessions->fieldIndex(QStringLiteral("ID")));
        if (id.isNull())
            return;
        painter->save();
        painter->setPen(option.state & QStyle::State_Selected ? option.palette.highlightedText().color()
                                                              : option.palette.text().color());
        painter->drawText(option.rect.adjusted(3, 2, 0, 0), Qt::AlignLeft | Qt::AlignTop,
                          QString::number(m_form->participation(id.toLongLong())));
        painter->restore();
    }

private:
    const TDotazniky_Form *m_form;
    const Dataset *m_sessions;
};

} // namespace

TDotazniky_Form::TDotazniky_Form(AppContext &context, QWidget *parent)
    : QDialog(parent), m_context(context), m_dm(*context.dm), m_sessions(context.dm->Vyhodnoceni_Query()) {
    setObjectName(QStringLiteral("TDotazniky_Form"));
    setWindowTitle(QStringLiteral("Seznam dotazníků"));
    resize(900, 620);

    auto *layout = new QVBoxLayout(this);
    auto *menuBar = new QMenuBar(this);
    layout->setMenuBar(menuBar);
    buildMenus(menuBar);

    m_navigator = new TDBNavigator(this);
    m_navigator->setObjectName(QStringLiteral("DBNavigator7"));
    m_navigator->setDataset(&m_sessions);
    m_navigator->setVisibleButtons({TDBNavigator::Insert, TDBNavigator::Delete, TDBNavigator::Edit,
                                    TDBNavigator::Post, TDBNavigator::Cancel});
    DecorateNavigator(m_navigator, navigatorPictures(), QStringLiteral("Nový dotazník"), true);
    layout->addWidget(m_navigator);

    auto *middle = new QHBoxLayout;
    m_grid = new QTableView(this);
    m_grid->setObjectName(QStringLiteral("DBGrid12"));
    m_model = new DatasetTableModel(&m_sessions,
                                    {{QStringLiteral("Datum"), QStringLiteral("datum"), 82, QString()},
                                     {QStringLiteral("Třída"), QStringLiteral("nazev_tridy"), 300, QString()},
                                     {QStringLiteral("Test"), QStringLiteral("nazev_testu"), 163, QString()},
                                     {QStringLiteral("Účast"), QString(), 50, QString()}},
                                    this);
    setUpDatasetGrid(m_grid, m_model, QAbstractItemView::SingleSelection);
    m_grid->setItemDelegateForColumn(3, new ParticipationDelegate(this, &m_sessions, m_grid));
    connect(m_grid, &QTableView::doubleClicked, this, &TDotazniky_Form::enterAnswers);
    middle->addWidget(m_grid, 3);
    m_details = buildDetails();
    middle->addWidget(m_details, 1);
    layout->addLayout(middle, 2);

    m_notes = new QPlainTextEdit(this);
    m_notes->setObjectName(QStringLiteral("Poznamky_DBMemo"));
    QPalette notesPalette = m_notes->palette();
    notesPalette.setColor(QPalette::Base, QColor(207, 221, 254));
    m_notes->setPalette(notesPalette);
    buildNotesMenu();
    layout->addWidget(m_notes, 1);
    auto *binder = new DatasetFieldBinder(&m_sessions, this);
    binder->bind(m_notes, QStringLiteral("poznamky"));
    binder->bind(m_details->findChild<QDateEdit *>(QStringLiteral("DatumTestovani_DateTimePicker")),
                 QStringLiteral("datum"));

    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("ProgressBar1"));
    m_progress->hide();
    layout->addWidget(m_progress);

    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &TDotazniky_Form::reject);
    connect(&m_sessions, &Dataset::stateChanged, this, &TDotazniky_Form::followState);
    connect(&m_sessions, &Dataset::resetDone, this, &TDotazniky_Form::reloadParticipation);
    connect(&m_dm, &TDM::rowsDeleted, this, &TDotazniky_Form::reloadParticipation);
    followState();
}

void TDotazniky_Form::buildMenus(QMenuBar *menuBar) {
    QMenu *answers = menuBar->addMenu(QStringLiteral("&Odpovědi"));
    answers->addAction(QStringLiteral("&Zadávat odpovědi"), this, &TDotazniky_Form::enterAnswers)
        ->setObjectName(QStringLiteral("ZadavatOdpovedi_Action"));
    QMenu *evaluation = menuBar->addMenu(QStringLiteral("&Vyhodnocení"));
    evaluation->addAction(QStringLiteral("&Textové vyhodnocení"), this, &TDotazniky_Form::runTextualEvaluation)
        ->setObjectName(QStringLiteral("TextoveVyhodnoceni_Action"));
    m_anonymous = makeAnonymousSwitch(this);
    evaluation->addAction(m_anonymous);
    m_freeText = evaluation->addAction(QStringLiteral("včetně slovních odpovědí"));
    m_freeText->setObjectName(QStringLiteral("VcetneSlovnichOdpovedi_Action"));
    m_freeText->setCheckable(true);
    m_freeText->setEnabled(false);
    m_freeText->setToolTip(
        QStringLiteral("Slovní odpovědi mohou jmenovat spolužáky; bez zaškrtnutí se vynechají."));
    connect(m_anonymous, &QAction::toggled, m_freeText, &QAction::setEnabled);
    QMenu *advanced = menuBar->addMenu(QStringLiteral("&Pokročilé nástroje"));
    advanced->setObjectName(QStringLiteral("PokrocileNastroje_Menu"));
    advanced->addAction(QStringLiteral("&Generovat HTML formuláře"), this, &TDotazniky_Form::generateForms)
        ->setObjectName(QStringLiteral("GenerovatHTML_Action"));
    advanced->addAction(QStringLiteral("&Kódy pro žáky…"), this, &TDotazniky_Form::offerCodeSlips)
        ->setObjectName(QStringLiteral("KodyProZaky_Action"));
    advanced->addAction(QStringLiteral("Vygenerovat &nové kódy"), this, &TDotazniky_Form::regenerateCodes)
        ->setObjectName(QStringLiteral("VygenerovatNoveKody_Action"));
    advanced->addAction(QStringLiteral("&Importovat výsledky z HTML formulářů"), this,
                        &TDotazniky_Form::importResults)
        ->setObjectName(QStringLiteral("ImportovatVysledky_Action"));
    advanced->addSeparator();
    advanced->addAction(QStringLiteral("&Vymazat všechny odpovědi u označeného dotazníku"), this,
                        &TDotazniky_Form::wipeAnswers)
        ->setObjectName(QStringLiteral("VymazatOdpovedi_Action"));
    m_advancedMenu = advanced;
}

QWidget *TDotazniky_Form::buildDetails() {
    auto *panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("Vyhodnoceni_Podrobnosti_Panel"));
    panel->setAutoFillBackground(true);
    QPalette palette = panel->palette();
    palette.setColor(QPalette::Window, QColor(255, 255, 128));
    panel->setPalette(palette);
    auto *column = new QVBoxLayout(panel);
    column->addWidget(new QLabel(QStringLiteral("Test"), panel));
    m_questionnaireGrid = new QTableView(panel);
    m_questionnaireGrid->setObjectName(QStringLiteral("Testy_DBGrid"));
    auto *questionnaires = new DatasetTableModel(
        &m_dm.Testy_Query(), {{QStringLiteral("Název"), QStringLiteral("nazev_testu"), 200, QString()}}, this);
    setUpDatasetGrid(m_questionnaireGrid, questionnaires, QAbstractItemView::SingleSelection);
    m_questionnaireGrid->horizontalHeader()->hide();
    m_questionnaireGrid->horizontalHeader()->setStretchLastSection(true);
    column->addWidget(m_questionnaireGrid, 1);
    column->addWidget(new QLabel(QStringLiteral("Datum testování:"), panel));
    auto *date = new QDateEdit(panel);
    date->setObjectName(QStringLiteral("DatumTestovani_DateTimePicker"));
    date->setCalendarPopup(true);
    column->addWidget(date);
    panel->hide();
    return panel;
}

void TDotazniky_Form::buildNotesMenu() {
    m_notes->setContextMenuPolicy(Qt::CustomContextMenu);
    auto *menu = new QMenu(m_notes);
    menu->setObjectName(QStringLiteral("Poznamky_PopupMenu"));
    menu->addAction(QStringLiteral("Zpět"), m_notes, &QPlainTextEdit::undo);
    menu->addAction(QStringLiteral("Kopírovat"), m_notes, &QPlainTextEdit::copy);
    menu->addAction(QStringLiteral("Vložit"), m_notes, &QPlainTextEdit::paste);
    menu->addAction(QStringLiteral("Vyjmout"), m_notes, &QPlainTextEdit::cut);
    menu->addAction(QStringLiteral("Vybrat vše"), m_notes, &QPlainTextEdit::selectAll);
    connect(m_notes, &QWidget::customContextMenuRequested, menu,
            [this, menu](const QPoint &at) { menu->popup(m_notes->mapToGlobal(at)); });
}

void TDotazniky_Form::followState() {
    const Dataset::State state = m_sessions.state();
    const bool editing = m_sessions.isEditing();
    m_details->setVisible(editing);
    m_grid->setEnabled(!editing);
    // The questionnaire of an existing session cannot change: its answers belong to its questions.
    m_questionnaireGrid->setEnabled(state == Dataset::State::Insert);
    if (state == Dataset::State::Insert)
        m_questionnaireGrid->setFocus();
}

void TDotazniky_Form::reloadParticipation() {
    QList<qint64> ids;
    const int column = m_sessions.fieldIndex(QStringLiteral("ID"));
    for (int row = 0; row < m_sessions.recordCount(); ++row)
        ids << m_sessions.value(row, column).toLongLong();
    m_participation = ids.isEmpty() ? QHash<qint64, int>() : m_dm.answers().participation(ids);
    m_grid->viewport()->update();
}

TDotaznik_Odpovedi_Form *TDotazniky_Form::answersWindow() const {
    if (m_answersWindow)
        return m_answersWindow;
    return parentWidget() ? parentWidget()->findChild<TDotaznik_Odpovedi_Form *>() : nullptr;
}

bool TDotazniky_Form::enterAnswers() {
    TDotaznik_Odpovedi_Form *window = answersWindow();
    if (!window || m_sessions.isEditing() || m_sessions.currentRow() < 0 || m_sessions.isNull(QStringLiteral("id_testu")))
        return false;
    const QVariant questionnaire = m_sessions.value(QStringLiteral("id_testu"));
    m_dm.OtazkyVyhodnoceni_Query().setParameter(QStringLiteral("par_testy_id"), questionnaire);
    m_dm.RefreshDataset(m_dm.OtazkyVyhodnoceni_Query());
    m_dm.Testy_Query().locate(QStringLiteral("ID"), questionnaire);
    window->setDescription(QStringLiteral("Vyhodnocení třídy ") + m_sessions.text(QStringLiteral("nazev_tridy")) +
                           QStringLiteral(", test ") + m_sessions.text(QStringLiteral("nazev_testu")));
    // The counts of "Účast" change with the answers entered there.
    connect(window, &QDialog::finished, this, &TDotazniky_Form::reloadParticipation, Qt::UniqueConnection);
    window->setWindowModality(Qt::ApplicationModal);
    window->show();
    window->raise();
    return true;
}

void TDotazniky_Form::runTextualEvaluation() {
    runEvaluation({m_anonymous->isChecked(), m_anonymous->isChecked() && m_freeText->isChecked()});
}

void TDotazniky_Form::runTextualSummary(bool anonymous) {
    runEvaluation({anonymous, false});
}

void TDotazniky_Form::runEvaluation(const EvaluationPrivacy &privacy) {
    TEditor_Form *editor = parentWidget() ? parentWidget()->findChild<TEditor_Form *>() : nullptr;
    if (editor && !m_sessions.isEditing())
        ::runTextualEvaluation(m_context, *editor, privacy);
}

void TDotazniky_Form::wipeAnswers() {
    if (m_sessions.currentRow() < 0 || m_sessions.isEditing())
        return;
    if (m_dm.answers().wipeSession(m_sessions.value(QStringLiteral("ID"))))
        m_dm.RefreshDataset(m_sessions);
}

QWidget *TDotazniky_Form::uploadWindow() {
    if (auto *shared = parentWidget() ? parentWidget()->findChild<TUpload_Form *>() : nullptr)
        return shared;
    if (!m_ownUploadWindow)
        m_ownUploadWindow = new TUpload_Form(m_context, this);
    return m_ownUploadWindow;
}

bool TDotazniky_Form::generateForms() {
    if (m_sessions.currentRow() < 0 || m_sessions.isEditing() || m_sessions.isNull(QStringLiteral("id_testu")))
        return false;
    const qint64 session = m_sessions.value(QStringLiteral("ID")).toLongLong();
    m_context.prompter->message(QStringLiteral("Vyčkejte, bude to chvíli trvat."));
    bool generated = false;
    try {
        WebFiles::restoreMissing(m_context.folders.dataFolder);
        // "Sběr bez kódů" of the FTP settings makes the open pages.
        const bool open = FtpSettings::load(IniFile(m_context.folders.programSettingsPath())).openCollection;
        generated = FormPages::generate(*m_context.database, m_context.folders, session,
                                        open ? FormPages::Collection::Open : FormPages::Collection::WithCodes,
                                        [this](int done, int total) {
                        if (done == 0) {
                            m_progress->setRange(0, total);
                            m_progress->show();
                        }
                        m_progress->setValue(done);
                        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
                    }).has_value();
    } catch (const DatabaseError &error) {
        m_context.prompter->message(error.message(), QString(), Prompter::Icon::Error);
    } catch (const std::exception &error) {
        m_context.prompter->message(QString::fromUtf8(error.what()), QString(), Prompter::Icon::Error);
    }
    m_progress->hide();
    if (!generated)
        return false;
    m_context.prompter->message(QStringLiteral("Soubory jsou vygenerovány. "));
    showInFront(uploadWindow());
    return true;
}

bool TDotazniky_Form::importResults() {
    if (m_sessions.currentRow() < 0 || m_sessions.isEditing())
        return false;
    const qint64 session = m_sessions.value(QStringLiteral("ID")).toLongLong();
    const FtpSettings settings = FtpSettings::load(IniFile(m_context.folders.programSettingsPath()));
    QProgressDialog progress(QStringLiteral("Stahují se výsledky ze serveru…"), QStringLiteral("Zrušit"), 0, 0, this);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    CurlFtpClient ftp;
    ftp.setProgress([&progress](qint64 done, qint64 total) {
        progress.setMaximum(total > 0 ? int(std::min<qint64>(total, INT_MAX)) : 0);
        progress.setValue(total > 0 ? int(std::min<qint64>(done, INT_MAX)) : 0);
        QCoreApplication::processEvents();
        return !progress.wasCanceled();
    });
    const auto counts =
        ResultImport::run(*m_context.database, m_context.folders, session, *m_context.prompter, &ftp, settings);
    progress.reset();
    if (!counts)
        return false;
    reloadParticipation();
    return true;
}

std::optional<qint64> TDotazniky_Form::sessionWithForms() const {
    if (m_sessions.currentRow() < 0 || m_sessions.isEditing() || m_sessions.isNull(QStringLiteral("id_testu")))
        return std::nullopt;
    return m_sessions.value(QStringLiteral("ID")).toLongLong();
}

bool TDotazniky_Form::offerCodeSlips() {
    const std::optional<qint64> session = sessionWithForms();
    if (!session)
        return false;
    CodeSlipsActions::offer(m_context, this, *session, m_sessions.text(QStringLiteral("cely_nazev")));
    return true;
}

bool TDotazniky_Form::regenerateCodes() {
    const std::optional<qint64> session = sessionWithForms();
    return session && CodeSlipsActions::regenerate(m_context, *session, m_sessions.text(QStringLiteral("cely_nazev")));
}

void TDotazniky_Form::showEvent(QShowEvent *event) {
    m_advancedMenu->menuAction()->setVisible(m_context.settings && m_context.settings->expert());
    QDialog::showEvent(event);
}

void TDotazniky_Form::reject() {
    if (m_sessions.state() == Dataset::State::Edit) {
        if (!m_context.prompter->askYesNo(QStringLiteral("Nemáte uloženou databázi. Chcete uložit?"),
                                          QStringLiteral("Uložení"), Prompter::Icon::Question) ||
            !m_sessions.post())
            return;
    } else if (!EditGuard::mayClose(m_sessions, *m_context.prompter)) {
        return;
    }
    QDialog::reject();
}
