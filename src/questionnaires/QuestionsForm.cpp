#include "questionnaires/QuestionsForm.h"

#include "automation/ShowDocument.h"
#include "automation/WordProcessor.h"
#include "data/AppContext.h"
#include "data/DataModule.h"
#include "data/Database.h"
#include "data/DatasetTableModel.h"
#include "data/TextOrder.h"
#include "platform/Prompter.h"
#include "platform/Settings.h"
#include "questionnaires/AssignmentSheet.h"
#include "questionnaires/EditorForm.h"
#include "questionnaires/QuestionKindDelegate.h"
#include "questionnaires/QuestionnaireTexts.h"
#include "widgets/ClickableLabel.h"
#include "widgets/DBNavigator.h"
#include "widgets/DatasetFieldBinder.h"
#include "widgets/DatasetGrid.h"
#include "widgets/EditGuard.h"

#include <QButtonGroup>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QShortcut>
#include <QStyle>
#include <QTableView>
#include <QTextEdit>
#include <QVBoxLayout>

namespace {

const QString kKindInformation = QStringLiteral(
    "Typy otázek:\r\n\r\nKlasický typ: značí otázku, při které je odpovědí některý ze spolužáků. Vznikají tak "
    "vztahy mezi spolužáky, které lze vyhodnocovat.\r\n\r\nano - ne: Lze zadat dotazy, na které lze odpovědět "
    "jen ano nebo ne. V takovém případě je ale potřeba, abyste v seznamu žáků přidali i možnost \"ano\" a "
    "možnost \"ne\", respektive přidali \"spolužáka\" ano a ne, kteří budou mít zadán typ ano-ne.\r\n\r\n"
    "abcde: Lze zadat dotazy, na které lze odpovědět a), b), c), d), e). V takovém případě je ale potřeba, "
    "abyste v seznamu žáků přidali i možnosti a, b, c, d, e, respektive přidali tyto \"spolužáky\", kteří "
    "budou mít zadán typ abcde.\r\n\r\n12345: Lze zadat dotazy, na které lze odpovědět škálou 1 až 5. V takovém "
    "případě je ale potřeba, abyste v seznamu žáků přidali i možnosti 1, 2, 3, 4, 5, respektive přidali tyto "
    "\"spolužáky\", kteří budou mít zadán typ 12345.\r\n\r\nSlovní typ - značí otázku, na kterou se odpovídá "
    "slovně. \r\n\r\n");


} // namespace

TNastaveni_Otazek_Form::TNastaveni_Otazek_Form(AppContext &context, QWidget *parent)
    : QDialog(parent), m_context(context), m_dm(*context.dm), m_questions(context.dm->Otazky_Query()) {
    setObjectName(QStringLiteral("TNastaveni_Otazek_Form"));
    setWindowTitle(QStringLiteral("Nastavení otázek "));
    resize(860, 880);

    auto *layout = new QVBoxLayout(this);
    auto *menuBar = new QMenuBar(this);
    layout->setMenuBar(menuBar);
    QMenu *tools = menuBar->addMenu(QStringLiteral("&Nástroje"));
    tools->setObjectName(QStringLiteral("Nastroje_Menu"));
    tools->addAction(QStringLiteral("Náhled &otázky"), this, &TNastaveni_Otazek_Form::showQuestionPreview)
        ->setObjectName(QStringLiteral("NahledOtazky_Action"));
    tools->addSeparator();
    m_assignmentPreview =
        tools->addAction(QStringLiteral("Náhled &zadání"), this, &TNastaveni_Otazek_Form::showAssignmentPreview);
    m_assignmentPreview->setObjectName(QStringLiteral("NahledZadani_Action"));
    tools->addAction(QStringLiteral("Náhled &vyhodnocení"), this, &TNastaveni_Otazek_Form::showEvaluationPreview)
        ->setObjectName(QStringLiteral("NahledVyhodnoceni_Action"));
    tools->addSeparator();
    tools->addAction(QStringLiteral("&Generovat zadání Word"), this, &TNastaveni_Otazek_Form::generateAssignmentSheet)
        ->setObjectName(QStringLiteral("GenerovatZadani_Action"));

    m_navigator = new TDBNavigator(this);
    m_navigator->setObjectName(QStringLiteral("DBNavigator3"));
    m_navigator->setDataset(&m_questions);
    m_navigator->setVisibleButtons({TDBNavigator::Insert, TDBNavigator::Delete, TDBNavigator::Edit,
                                    TDBNavigator::Post, TDBNavigator::Cancel, TDBNavigator::Refresh});
    DecorateNavigator(m_navigator, navigatorPictures(), QStringLiteral("Nová otázka"), true);
    layout->addWidget(m_navigator);

    m_grid = new QTableView(this);
    m_grid->setObjectName(QStringLiteral("DBGrid_Otazky"));
    m_model = new DatasetTableModel(&m_questions,
                                    {{QStringLiteral("Poř. zadání"), QStringLiteral("poradi"), 63, QString()},
                                     {QStringLiteral("Poř. vyhod."), QStringLiteral("poradi_vyhodnoceni"), 65, QString()},
                                     {QStringLiteral("Text kladné otázky"), QStringLiteral("text_otazky"), 222, QString()},
                                     {QStringLiteral("Text negativní otázky"), QStringLiteral("text_otazky_negativni"), 205,
                                      QString()},
                                     {QStringLiteral("Typ otázky"), QStringLiteral("typ"), 91, QString()},
                                     {QStringLiteral("Nadpis"), QStringLiteral("nadpis_nad"), 167, QString()}},
                                    this);
    setUpDatasetGrid(m_grid, m_model, QAbstractItemView::SingleSelection);
    m_grid->setItemDelegateForColumn(4, new QuestionKindDelegate(m_grid));
    m_grid->horizontalHeader()->setSectionsClickable(true);
    connect(m_grid->horizontalHeader(), &QHeaderView::sectionClicked, this, &TNastaveni_Otazek_Form::sortByColumn);
    m_grid->installEventFilter(this);
    layout->addWidget(m_grid, 1);

    m_panel = buildPanel();
    layout->addWidget(m_panel);

    m_warning = new QWidget(this);
    m_warning->setObjectName(QStringLiteral("Upozorneni_Panel"));
    auto *warningLayout = new QVBoxLayout(m_warning);
    for (const QString &text :
         {QStringLiteral("Mějte na paměti, že k otázce mohou být přiřazeny již odpovědi. Pokud tomu tak je, pak "
                         "celková změna smyslu otázky může způsobit nekonzistentnost databáze."),
          QStringLiteral("Ze stejného důvodu po vzniku otázky nelze změnit její zařazení v testu. Pokud chcete "
                         "změnit její zařazení, tak ji vymažte a vložte do jiného testu.")}) {
        auto *label = new QLabel(text, m_warning);
        label->setWordWrap(true);
        label->setStyleSheet(QStringLiteral("color: red;"));
        warningLayout->addWidget(label);
    }
    m_warning->hide();
    layout->addWidget(m_warning);

    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &TNastaveni_Otazek_Form::reject);
    connect(&m_questions, &Dataset::stateChanged, this, &TNastaveni_Otazek_Form::followState);
    followState();
}

QWidget *TNastaveni_Otazek_Form::buildPanel() {
    auto *panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("Panel_Otazky"));
    auto *form = new QFormLayout(panel);
    m_positive = new QLineEdit(panel);
    m_positive->setObjectName(QStringLiteral("KladnaOtazka_DBEdit"));
    auto *negative = new QLineEdit(panel);
    negative->setObjectName(QStringLiteral("NegativniOtazka_DBEdit"));
    form->addRow(QStringLiteral("Kladná otázka:"), m_positive);
    form->addRow(QStringLiteral("Negativní otázka:"), negative);

    auto *kindRow = new QWidget(panel);
    auto *kindRowLayout = new QHBoxLayout(kindRow);
    kindRowLayout->setContentsMargins(0, 0, 0, 0);
    auto *kinds = new QGroupBox(QStringLiteral("Typ otázky"), kindRow);
    kinds->setObjectName(QStringLiteral("TypOtazky_RadioGroup"));
    auto *kindGrid = new QGridLayout(kinds);
    auto *kindGroup = new QButtonGroup(kinds);
    const QStringList captions = QuestionnaireTexts::kindCaptions();
    const int perColumn = (int(captions.size()) + 1) / 2;
    for (int value = 0; value < captions.size(); ++value) {
        auto *button = new QRadioButton(captions[value], kinds);
        button->setObjectName(QStringLiteral("Typ_%1").arg(value));
        kindGroup->addButton(button, value);
        kindGrid->addWidget(button, value % perColumn, value / perColumn);
    }
    kindRowLayout->addWidget(kinds);
    auto *information = new ClickableLabel([this] { showKindInformation(); }, kindRow);
    information->setObjectName(QStringLiteral("Image2"));
    information->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32, 32));
    information->setCursor(Qt::PointingHandCursor);
    information->setToolTip(QStringLiteral("Typy otázek"));
    m_kindInformation = information;
    kindRowLayout->addWidget(information, 0, Qt::AlignTop);
    kindRowLayout->addStretch(1);
    form->addRow(kindRow);

    auto *order = new QLineEdit(panel);
    order->setObjectName(QStringLiteral("PoradiZadani_DBEdit"));
    auto *evaluationOrder = new QLineEdit(panel);
    evaluationOrder->setObjectName(QStringLiteral("PoradiVyhodnoceni_DBEdit"));
    auto *heading = new QLineEdit(panel);
    heading->setObjectName(QStringLiteral("Nadpis_DBEdit"));
    auto *description = new QPlainTextEdit(panel);
    description->setObjectName(QStringLiteral("Popis_DBMemo"));
    description->setFixedHeight(54);
    auto *webDescription = new QPlainTextEdit(panel);
    webDescription->setObjectName(QStringLiteral("PopisProWeb_DBMemo"));
    webDescription->setFixedHeight(54);
    form->addRow(QStringLiteral("Pořadí v zadání:"), order);
    form->addRow(QStringLiteral("Pořadí ve vyhodnocení:"), evaluationOrder);
    form->addRow(QStringLiteral("Větší nadpis nad otázkou:"), heading);
    form->addRow(new QLabel(
        QStringLiteral("Popis pod otázku (bude zobrazeno ve výsledném vyhodnocení, uvidím to já):"), panel));
    form->addRow(description);
    form->addRow(new QLabel(
        QStringLiteral("Popis pod otázku (bude zobrazeno v zadání testu, uvidí to respondenti)"), panel));
    form->addRow(webDescription);
    form->addRow(new QLabel(QStringLiteral("ctrl+šipka nahoru / dolů = změna pořadí v zadání"), panel));
    form->addRow(new QLabel(QStringLiteral("ctrl+ alt + šipka nahoru / dolů = změna pořadí ve vyhodnocení"), panel));

    auto *binder = new DatasetFieldBinder(&m_questions, this);
    binder->bind(m_positive, QStringLiteral("text_otazky"));
    binder->bind(negative, QStringLiteral("text_otazky_negativni"));
    binder->bind(kindGroup, kinds, QStringLiteral("typ"));
    binder->bind(order, QStringLiteral("poradi"));
    binder->bind(evaluationOrder, QStringLiteral("poradi_vyhodnoceni"));
    binder->bind(heading, QStringLiteral("nadpis_nad"));
    binder->bind(description, QStringLiteral("popis"));
    binder->bind(webDescription, QStringLiteral("popis_pro_web"));
    EditGuard::installPostKeys(panel, m_questions);
    return panel;
}

void TNastaveni_Otazek_Form::followState() {
    const bool editing = m_questions.isEditing();
    m_grid->setEnabled(!editing);
    m_panel->setEnabled(editing);
    m_warning->setVisible(m_questions.state() == Dataset::State::Edit);
    if (m_questions.state() == Dataset::State::Insert)
        m_positive->setFocus();
}

bool TNastaveni_Otazek_Form::eventFilter(QObject *watched, QEvent *event) {
    if (watched == m_grid && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (reorder(key->key(), key->modifiers()))
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

bool TNastaveni_Otazek_Form::reorder(int key, Qt::KeyboardModifiers modifiers) {
    if (key != Qt::Key_Up && key != Qt::Key_Down)
        return false;
    // Exactly Ctrl, or exactly Ctrl and Alt; the keypad flag of the arrow keys does not count.
    const Qt::KeyboardModifiers held = modifiers & ~Qt::KeypadModifier;
    QuestionnaireRules::Order order;
    if (held == Qt::ControlModifier)
        order = QuestionnaireRules::Order::Questionnaire;
    else if (held == (Qt::ControlModifier | Qt::AltModifier))
        order = QuestionnaireRules::Order::Evaluation;
    else
        return false;
    if (m_questions.state() != Dataset::State::Browse || m_questions.currentRow() < 0)
        return true;
    const QVariant id = m_questions.value(QStringLiteral("ID"));
    const QVariant current = m_questions.value(
        order == QuestionnaireRules::Order::Questionnaire ? QStringLiteral("poradi") : QStringLiteral("poradi_vyhodnoceni"));
    if (m_dm.questionnaires().shiftQuestion(id.toLongLong(), order, current, key == Qt::Key_Up ? -1 : 1)) {
        m_dm.RefreshDataset(m_questions);
        m_questions.locate(QStringLiteral("ID"), id);
    }
    return true;
}

void TNastaveni_Otazek_Form::sortByColumn(int column) {
    const QString line = TextOrder::toggledOrderLine(m_questions.lastSqlLine(), m_model->fieldOfColumn(column));
    if (line.isEmpty() || m_questions.isEditing())
        return;
    m_questions.close();
    m_questions.setLastSqlLine(line);
    m_dm.RefreshDataset(m_questions);
}

TEditor_Form *TNastaveni_Otazek_Form::editorWindow() const {
    if (m_editorWindow)
        return m_editorWindow;
    return parentWidget() ? parentWidget()->findChild<TEditor_Form *>() : nullptr;
}

std::optional<QList<StyledLine>> TNastaveni_Otazek_Form::readText(const TextRead &read) {
    // The texts are read from the saved questions: a question being edited is saved first.
    if (m_questions.isEditing() && !m_questions.post())
        return std::nullopt;
    QString reason;
    try {
        std::optional<QList<StyledLine>> lines = read(m_dm.database(), &reason);
        if (!lines)
            m_context.prompter->message(reason, QString(), Prompter::Icon::Warning);
        return lines;
    } catch (const DatabaseError &e) {
        m_context.prompter->message(e.message(), QString(), Prompter::Icon::Error);
        return std::nullopt;
    }
}

qint64 TNastaveni_Otazek_Form::questionnaireId() const {
    return m_questions.parameter(QStringLiteral("par_id_testu")).toLongLong();
}

TEditor_Form *TNastaveni_Otazek_Form::showText(const TextRead &read, const WordLayout &layout) {
    TEditor_Form *editor = editorWindow();
    if (!editor)
        return nullptr;
    const std::optional<QList<StyledLine>> lines = readText(read);
    if (!lines)
        return nullptr;
    editor->showLines(*lines, layout);
    return editor;
}

void TNastaveni_Otazek_Form::showQuestionPreview() {
    if (m_questions.currentRow() < 0)
        return;
    showText([this](Database &db, QString *reason) {
        return QuestionnaireTexts::questionPreview(db, m_questions.value(QStringLiteral("ID")).toLongLong(),
                                                   reason);
    });
}

void TNastaveni_Otazek_Form::showAssignmentPreview() {
    const qint64 id = questionnaireId();
    showText([id](Database &db, QString *reason) { return QuestionnaireTexts::assignmentPreview(db, id, reason); });
}

void TNastaveni_Otazek_Form::showEvaluationPreview() {
    const qint64 id = questionnaireId();
    showText([id](Database &db, QString *reason) { return QuestionnaireTexts::evaluationPreview(db, id, reason); });
}

void TNastaveni_Otazek_Form::generateAssignmentSheet() {
    const qint64 id = questionnaireId();
    TEditor_Form *editor = showText(
        [id](Database &db, QString *reason) { return QuestionnaireTexts::assignmentSheet(db, id, reason); },
        formatAssignmentSheet);
    if (!editor || !m_context.prompter->askYesNo(QStringLiteral("Přejete si zadání poslat do Wordu?"),
                                                 QStringLiteral("Word"), Prompter::Icon::Question))
        return;
    WordProcessor word;
    editor->layOut(word);
    QString error;
    if (!showDocument(word, *m_context.shell, &error))
        m_context.prompter->message(error, QString(), Prompter::Icon::Error);
}

void TNastaveni_Otazek_Form::showKindInformation() {
    m_context.prompter->message(kKindInformation, QString(), Prompter::Icon::Information);
}

void TNastaveni_Otazek_Form::showEvent(QShowEvent *event) {
    m_assignmentPreview->setVisible(m_context.settings && m_context.settings->expert());
    QDialog::showEvent(event);
}

void TNastaveni_Otazek_Form::reject() {
    if (EditGuard::mayClose(m_questions, *m_context.prompter))
        QDialog::reject();
}
