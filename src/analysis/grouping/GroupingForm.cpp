#include "analysis/grouping/GroupingForm.h"

#include "analysis/SociometricAnalysis.h"
#include "data/AnonymousCopy.h"
#include "data/AppContext.h"
#include "data/DataModule.h"
#include "data/DatabaseError.h"
#include "graphics/PrintPreview.h"
#include "graphics/SessionQuestionMenus.h"
#include "picture/PagedDocument.h"
#include "platform/Prompter.h"
#include "widgets/AnonymousSwitch.h"
#include "widgets/WindowFrame.h"

#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QSplitter>
#include <QStyle>
#include <QThread>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

const QString kTitle = QStringLiteral("Rozdělení do skupin");
const QString kChoose =
    QStringLiteral("Zvolte vyhodnocení (tlačítko „Vyhodnocení“), otázky a velikost skupin, "
                   "pak „Rozdělit“.");
const QString kSaveFilter =
    QStringLiteral("Dokument Word (*.docx);;Dokument PDF (*.pdf);;Webová stránka (*.html);;"
                   "Tabulka CSV (*.csv);;Text (*.txt);;JSON (*.json)");
const QString kPupilMime = QStringLiteral("application/x-orbelis-pupil");

// The card colours: a chosen classmate in the group, none of the chosen there, a rejection inside.
const QColor kHonoured(214, 240, 214), kUnmatched(255, 236, 200), kRejected(250, 215, 215);

QVariant pairValue(qint64 a, qint64 b) {
    return QVariantList{a, b};
}

QPair<qint64, qint64> pairOf(const QListWidgetItem *item) {
    const QVariantList pair = item->data(Qt::UserRole).toList();
    return {pair.value(0).toLongLong(), pair.value(1).toLongLong()};
}

// "Odebrat" beneath a rule list: takes the selected rules away, only those.
QPushButton *removeButton(QListWidget *list, QWidget *parent) {
    auto *button = new QPushButton(QStringLiteral("Odebrat"), parent);
    button->setObjectName(list->objectName() + QStringLiteral("_Odebrat"));
    button->setEnabled(false);
    QObject::connect(list, &QListWidget::itemSelectionChanged, button,
                     [list, button] { button->setEnabled(!list->selectedItems().isEmpty()); });
    QObject::connect(button, &QPushButton::clicked, list, [list] { qDeleteAll(list->selectedItems()); });
    return button;
}

} // namespace

GroupColumn::GroupColumn(int group, QWidget *parent) : QListWidget(parent), m_group(group) {
    setObjectName(QStringLiteral("Skupina%1").arg(group));
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::MoveAction);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setMinimumWidth(170);
}

QStringList GroupColumn::mimeTypes() const {
    return {kPupilMime};
}

QMimeData *GroupColumn::mimeData(const QList<QListWidgetItem *> &items) const {
    auto *data = new QMimeData;
    if (!items.isEmpty())
        data->setData(kPupilMime, QByteArray::number(items.first()->data(Qt::UserRole).toLongLong()));
    return data;
}

void GroupColumn::dragEnterEvent(QDragEnterEvent *event) {
    if (event->mimeData()->hasFormat(kPupilMime))
        event->acceptProposedAction();
}

void GroupColumn::dragMoveEvent(QDragMoveEvent *event) {
    if (event->mimeData()->hasFormat(kPupilMime))
        event->acceptProposedAction();
}

void GroupColumn::dropEvent(QDropEvent *event) {
    if (!event->mimeData()->hasFormat(kPupilMime))
        return;
    const qint64 pupil = event->mimeData()->data(kPupilMime).toLongLong();
    const QListWidgetItem *onto = itemAt(event->position().toPoint());
    // The window rebuilds the columns; the list itself takes and drops no item.
    event->setDropAction(Qt::CopyAction);
    event->accept();
    emit pupilDropped(pupil, m_group, onto ? onto->data(Qt::UserRole).toLongLong() : 0);
}

GroupingForm::GroupingForm(AppContext &context, QWidget *parent)
    : QDialog(parent), m_context(context), m_dm(*context.dm) {
    setObjectName(QStringLiteral("GroupingForm"));
    setWindowTitle(kTitle);
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    resize(1280, 760);

    const WindowFrame frame = makeWindowFrame(this);
    QVBoxLayout *layout = frame.layout;
    QMenuBar *menuBar = frame.menuBar;
    QToolBar *toolBar = frame.toolBar;
    toolBar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);

    m_menus = new SessionQuestionMenus(m_dm, SessionQuestionMenus::Wordings::PositiveOnly, this);
    connect(m_menus->sessionGroup(), &QActionGroup::triggered, this, &GroupingForm::chooseSession);
    m_menus->addSessionButton(toolBar, 102); // the questions are ticked in the check list

    QMenu *file = menuBar->addMenu(QStringLiteral("Soubor"));
    m_outputActions = ResultWindowParts::addOutputItems(
        file, this,
        {[this] { save(); }, [this] { saveToDocuments(); }, [this] { savePdf(); }, [this] { print(); }});
    file->addSeparator();
    file->addAction(QStringLiteral("Zavřít"), this, &QDialog::reject)
        ->setObjectName(QStringLiteral("Zavrit_Action"));

    QMenu *edit = menuBar->addMenu(QStringLiteral("Úpravy"));
    QAction *undoItem = edit->addAction(QStringLiteral("Zpět"), this, &GroupingForm::undo);
    undoItem->setObjectName(QStringLiteral("Zpet_Action"));
    undoItem->setShortcut(QKeySequence::Undo);
    QAction *lock = edit->addAction(QStringLiteral("Zamknout"), this, &GroupingForm::lockChosen);
    lock->setObjectName(QStringLiteral("Zamknout_Action"));
    lock->setToolTip(QStringLiteral("Připne vybrané žáky do jejich skupin pro příští „Rozdělit“"));
    m_outputActions << undoItem << lock;

    toolBar->addSeparator();
    m_anonymous = makeAnonymousSwitch(this);
    toolBar->addAction(m_anonymous);
    connect(m_anonymous, &QAction::triggered, this, [this] {
        if (m_result)
            arrangeNow();
    });
    toolBar->addSeparator();
    toolBar->addAction(lock);
    for (QAction *item : std::as_const(m_outputActions))
        if (item != undoItem && item != lock)
            toolBar->addAction(item);

    auto *splitter = new QSplitter(this);
    auto *left = new QWidget(splitter);
    auto *leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 6);
    auto *requestScroll = new QScrollArea(left);
    requestScroll->setWidgetResizable(true);
    requestScroll->setWidget(buildRequestPanel());
    requestScroll->setMinimumWidth(360);
    leftLayout->addWidget(requestScroll, 1);
    // "Rozdělit" stays in sight however long the rules grow.
    auto *buttons = new QHBoxLayout;
    buttons->setContentsMargins(6, 0, 6, 0);
    m_arrange = new QPushButton(QStringLiteral("Rozdělit"), left);
    m_arrange->setObjectName(QStringLiteral("Rozdelit_Button"));
    m_arrange->setDefault(true);
    connect(m_arrange, &QPushButton::clicked, this, &GroupingForm::arrangeNow);
    m_cancel = new QPushButton(QStringLiteral("Zrušit"), left);
    m_cancel->setObjectName(QStringLiteral("Zrusit_Button"));
    m_cancel->setEnabled(false);
    connect(m_cancel, &QPushButton::clicked, this, &GroupingForm::cancel);
    buttons->addWidget(m_arrange);
    buttons->addWidget(m_cancel);
    leftLayout->addLayout(buttons);
    m_progress = new QProgressBar(left);
    m_progress->setObjectName(QStringLiteral("Prubeh"));
    m_progress->setRange(0, 1000);
    m_progress->setTextVisible(false);
    m_progress->hide();
    leftLayout->addWidget(m_progress);

    auto *right = new QWidget(splitter);
    auto *rightLayout = new QVBoxLayout(right);
    m_heading = new QLabel(right);
    m_heading->setObjectName(QStringLiteral("Zahlavi"));
    m_heading->setWordWrap(true);
    m_heading->setTextInteractionFlags(Qt::TextSelectableByMouse);
    rightLayout->addWidget(m_heading);
    m_warning = new QLabel(right);
    m_warning->setObjectName(QStringLiteral("Varovani"));
    m_warning->setWordWrap(true);
    m_warning->setStyleSheet(QStringLiteral("QLabel { color: #a00000; font-weight: bold; }"));
    rightLayout->addWidget(m_warning);
    auto *columnScroll = new QScrollArea(right);
    columnScroll->setWidgetResizable(true);
    auto *columnHost = new QWidget(columnScroll);
    m_columnRow = new QHBoxLayout(columnHost);
    m_columnRow->setAlignment(Qt::AlignLeft);
    columnScroll->setWidget(columnHost);
    rightLayout->addWidget(columnScroll, 1);
    auto *legend = new QLabel(
        QStringLiteral(
            "✓ má ve skupině spolužáka, kterého si vybral   ○ nemá ve skupině nikoho, koho si vybral   "
            "✗ je ve skupině se spolužákem, kterého odmítl.   Přetažením na spolužáka v jiné skupině "
            "žáky vyměníte."),
        right);
    legend->setWordWrap(true);
    rightLayout->addWidget(legend);
    m_score = new QLabel(right);
    m_score->setObjectName(QStringLiteral("Hodnoceni"));
    m_score->setWordWrap(true);
    m_score->setTextInteractionFlags(Qt::TextSelectableByMouse);
    rightLayout->addWidget(m_score);
    splitter->setStretchFactor(1, 1);
    layout->addWidget(splitter, 1);

    m_poll = new QTimer(this);
    m_poll->setInterval(50);
    connect(m_poll, &QTimer::timeout, this, [this] { m_progress->setValue(m_permille.load()); });
    display(std::nullopt);
}

GroupingForm::~GroupingForm() {
    m_stop = true;
    if (m_worker)
        m_worker->wait();
}

QWidget *GroupingForm::buildRequestPanel() {
    auto *panel = new QWidget(this);
    auto *layout = new QVBoxLayout(panel);

    layout->addWidget(new QLabel(QStringLiteral("Otázky (volby spolužáků):"), panel));
    m_questions = new QListWidget(panel);
    m_questions->setObjectName(QStringLiteral("Otazky_List"));
    m_questions->setMaximumHeight(110);
    layout->addWidget(m_questions);

    auto *sizes = new QGroupBox(QStringLiteral("Velikost skupin"), panel);
    auto *sizesLayout = new QFormLayout(sizes);
    m_byCount = new QRadioButton(QStringLiteral("počet skupin"), sizes);
    m_byCount->setObjectName(QStringLiteral("PocetSkupin_Radio"));
    m_byCount->setChecked(true);
    m_groupCount = new QSpinBox(sizes);
    m_groupCount->setObjectName(QStringLiteral("PocetSkupin"));
    m_groupCount->setRange(1, 99);
    m_groupCount->setValue(4);
    sizesLayout->addRow(m_byCount, m_groupCount);
    m_bySizes = new QRadioButton(QStringLiteral("velikosti"), sizes);
    m_bySizes->setObjectName(QStringLiteral("Velikosti_Radio"));
    m_sizes = new QLineEdit(sizes);
    m_sizes->setObjectName(QStringLiteral("Velikosti"));
    m_sizes->setPlaceholderText(QStringLiteral("např. 13,12"));
    sizesLayout->addRow(m_bySizes, m_sizes);
    m_byPairs = new QRadioButton(QStringLiteral("dvojice do lavic"), sizes);
    m_byPairs->setObjectName(QStringLiteral("Dvojice_Radio"));
    sizesLayout->addRow(m_byPairs);
    connect(m_sizes, &QLineEdit::textEdited, m_bySizes, [this] { m_bySizes->setChecked(true); });
    connect(m_groupCount, &QSpinBox::valueChanged, m_byCount, [this] { m_byCount->setChecked(true); });
    layout->addWidget(sizes);

    layout->addWidget(buildRulePicker(QStringLiteral("Spolu"), QStringLiteral("Spolu_List"), &m_together,
                                      [this](qint64 a, qint64 b) { addTogether(a, b); }));
    layout->addWidget(buildRulePicker(QStringLiteral("Zvlášť"), QStringLiteral("Zvlast_List"), &m_apart,
                                      [this](qint64 a, qint64 b) { addApart(a, b); }));

    auto *pins = new QGroupBox(QStringLiteral("Připnout do skupiny"), panel);
    auto *pinLayout = new QGridLayout(pins);
    m_pinPupil = new QComboBox(pins);
    m_pinPupil->setObjectName(QStringLiteral("Pripnout_Zak"));
    m_pickers << m_pinPupil;
    m_pinGroup = new QSpinBox(pins);
    m_pinGroup->setObjectName(QStringLiteral("Pripnout_Skupina"));
    m_pinGroup->setRange(1, 99);
    auto *pinButton = new QPushButton(QStringLiteral("Připnout"), pins);
    pinButton->setObjectName(QStringLiteral("Pripnout_Button"));
    connect(pinButton, &QPushButton::clicked, this, [this] {
        if (m_pinPupil->currentIndex() >= 0)
            addPin(m_pinPupil->currentData().toLongLong(), m_pinGroup->value());
    });
    m_pins = new QListWidget(pins);
    m_pins->setObjectName(QStringLiteral("Pripnuti_List"));
    m_pins->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_pins->setMaximumHeight(90);
    pinLayout->setColumnStretch(0, 1);
    pinLayout->addWidget(m_pinPupil, 0, 0);
    pinLayout->addWidget(m_pinGroup, 0, 1);
    pinLayout->addWidget(pinButton, 0, 2);
    pinLayout->addWidget(m_pins, 1, 0, 1, 3);
    pinLayout->addWidget(removeButton(m_pins, pins), 2, 2);
    layout->addWidget(pins);

    m_balance = new QCheckBox(QStringLiteral("vyrovnat počet dívek"), panel);
    m_balance->setObjectName(QStringLiteral("VyrovnatDivky"));
    layout->addWidget(m_balance);
    m_allowRejection = new QCheckBox(QStringLiteral("povolit vzájemně odmítající se ve skupině"), panel);
    m_allowRejection->setObjectName(QStringLiteral("PovolitOdmitajici"));
    layout->addWidget(m_allowRejection);

    layout->addStretch(1);
    return panel;
}

QWidget *GroupingForm::buildRulePicker(const QString &title, const QString &listName, QListWidget **list,
                                       const std::function<void(qint64, qint64)> &add) {
    auto *box = new QGroupBox(title, this);
    auto *grid = new QGridLayout(box);
    auto *first = new QComboBox(box);
    auto *second = new QComboBox(box);
    first->setObjectName(listName + QStringLiteral("_Prvni"));
    second->setObjectName(listName + QStringLiteral("_Druhy"));
    m_pickers << first << second;
    auto *button = new QPushButton(QStringLiteral("Přidat"), box);
    button->setObjectName(listName + QStringLiteral("_Pridat"));
    connect(button, &QPushButton::clicked, this, [first, second, add] {
        if (first->currentIndex() >= 0 && second->currentIndex() >= 0)
            add(first->currentData().toLongLong(), second->currentData().toLongLong());
    });
    *list = new QListWidget(box);
    (*list)->setObjectName(listName);
    (*list)->setSelectionMode(QAbstractItemView::ExtendedSelection);
    (*list)->setMaximumHeight(90);
    grid->addWidget(first, 0, 0);
    grid->addWidget(second, 0, 1);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
    grid->addWidget(button, 0, 2);
    grid->addWidget(*list, 1, 0, 1, 3);
    grid->addWidget(removeButton(*list, box), 2, 2);
    return box;
}

QMenu *GroupingForm::sessionMenu() const {
    return m_menus->sessionMenu();
}

QAction *GroupingForm::action(const QString &objectName) const {
    return findChild<QAction *>(objectName);
}

void GroupingForm::showEvent(QShowEvent *event) {
    refillSessionMenu();
    QDialog::showEvent(event);
}

void GroupingForm::closeEvent(QCloseEvent *event) {
    cancel();
    waitForArrangement();
    QDialog::closeEvent(event);
}

void GroupingForm::refillSessionMenu() {
    if (m_worker)
        return; // the search runs over the session chosen before
    m_menus->refill();
    clearRequest();
}

void GroupingForm::clearRequest() {
    m_session = 0;
    m_people.clear();
    m_questions->clear();
    for (QListWidget *list : {m_together, m_apart, m_pins})
        list->clear();
    for (QComboBox *picker : std::as_const(m_pickers))
        picker->clear();
    display(std::nullopt);
}

void GroupingForm::chooseSession(QAction *item) {
    if (m_worker)
        return;
    clearRequest(); // the menus have filled the question menu of the session already
    const qint64 sessionId = item->property("Value").toLongLong();
    std::optional<SessionOutputData> session;
    QString reason;
    try {
        session = readSessionOutput(m_dm.database(), sessionId, &reason);
    } catch (const DatabaseError &e) {
        reason = e.message();
    }
    if (!session) {
        display(std::nullopt, QStringLiteral("Vyhodnocení se nepodařilo načíst. ") + reason);
        return;
    }
    m_session = sessionId;
    for (QAction *question : m_menus->questionMenu()->actions()) {
        const qint64 id = SociogramQuestionKey::parse(question->property("Value").toString()).questionId;
        if (!Sociometry::refusalForQuestion(*session, id).isEmpty())
            continue; // a question without choices of classmates
        auto *entry = new QListWidgetItem(question->text(), m_questions);
        entry->setData(Qt::UserRole, id);
        entry->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        entry->setCheckState(m_questions->count() == 1 ? Qt::Checked : Qt::Unchecked);
    }
    for (const OutputPupil &pupil : Sociometry::choiceNetwork(*session, {}).people)
        m_people.append({pupil.id, pupil.fullName()});
    for (QComboBox *picker : std::as_const(m_pickers))
        for (const auto &[id, name] : std::as_const(m_people))
            picker->addItem(name, id);
    display(std::nullopt);
}

QString GroupingForm::nameOf(qint64 pupil) const {
    for (const auto &[id, name] : std::as_const(m_people))
        if (id == pupil)
            return name;
    return QString::number(pupil);
}

void GroupingForm::addTogether(qint64 a, qint64 b) {
    if (a != b)
        (new QListWidgetItem(nameOf(a) + QStringLiteral(" + ") + nameOf(b), m_together))
            ->setData(Qt::UserRole, pairValue(a, b));
}

void GroupingForm::addApart(qint64 a, qint64 b) {
    if (a != b)
        (new QListWidgetItem(nameOf(a) + QStringLiteral(" × ") + nameOf(b), m_apart))
            ->setData(Qt::UserRole, pairValue(a, b));
}

void GroupingForm::addPin(qint64 pupil, int group) {
    // One pin per pupil: a new one replaces the old.
    for (int row = m_pins->count() - 1; row >= 0; --row)
        if (pairOf(m_pins->item(row)).first == pupil)
            delete m_pins->takeItem(row);
    (new QListWidgetItem(QStringLiteral("%1 → skupina %2").arg(nameOf(pupil)).arg(group), m_pins))
        ->setData(Qt::UserRole, pairValue(pupil, group));
}

std::optional<Grouping::Request> GroupingForm::request(QString *reason) const {
    Grouping::Request request;
    request.session = m_session;
    if (m_session == 0) {
        *reason = QStringLiteral("Zvolte vyhodnocení.");
        return std::nullopt;
    }
    for (int row = 0; row < m_questions->count(); ++row)
        if (m_questions->item(row)->checkState() == Qt::Checked)
            request.questions << m_questions->item(row)->data(Qt::UserRole).toLongLong();
    if (m_byPairs->isChecked()) {
        request.mode = Grouping::SizeMode::Pairs;
    } else if (m_bySizes->isChecked()) {
        request.mode = Grouping::SizeMode::Sizes;
        for (const QString &part : m_sizes->text().split(u',', Qt::SkipEmptyParts)) {
            bool ok = false;
            request.sizes << part.trimmed().toInt(&ok);
            if (!ok) {
                *reason =
                    QStringLiteral("Velikosti skupin zapište jako čísla oddělená čárkami, např. 13,12.");
                return std::nullopt;
            }
        }
    } else {
        request.groups = m_groupCount->value();
    }
    for (int row = 0; row < m_together->count(); ++row)
        request.together << pairOf(m_together->item(row));
    for (int row = 0; row < m_apart->count(); ++row)
        request.apart << pairOf(m_apart->item(row));
    for (int row = 0; row < m_pins->count(); ++row) {
        const auto [pupil, group] = pairOf(m_pins->item(row));
        request.pins << QPair<qint64, int>(pupil, int(group));
    }
    request.balanceGender = m_balance->isChecked();
    request.allowMutualRejection = m_allowRejection->isChecked();
    return request;
}

bool GroupingForm::arrangeNow() {
    if (m_worker)
        return false;
    QString reason;
    std::optional<Grouping::Request> wanted = request(&reason);
    std::optional<SessionOutputData> session;
    if (wanted) {
        try {
            AnonymousCopy::OutputDatabase source(m_dm.database(), {m_session}, m_anonymous->isChecked());
            session = readSessionOutput(source.db(), m_session, &reason);
        } catch (const DatabaseError &e) {
            reason = QStringLiteral("Vyhodnocení se nepodařilo načíst. ") + e.message();
        }
    }
    if (!session) {
        m_context.prompter->message(reason, kTitle, Prompter::Icon::Warning);
        return false;
    }
    m_stop = false;
    m_permille = 0;
    m_outcome.reset();
    m_outcomeReason.clear();
    m_worker = QThread::create([this, data = std::move(*session), wanted = *wanted] {
        m_outcome = Grouping::arrange(data, wanted, &m_outcomeReason, [this](int permille) {
            m_permille = permille;
            return !m_stop.load();
        });
    });
    connect(m_worker, &QThread::finished, this, &GroupingForm::arrangementFinished);
    setBusy(true);
    m_worker->start();
    return true;
}

void GroupingForm::cancel() {
    m_stop = true;
}

void GroupingForm::waitForArrangement() {
    if (!m_worker)
        return;
    m_worker->wait();
    arrangementFinished();
}

void GroupingForm::arrangementFinished() {
    if (!m_worker || !m_worker->isFinished())
        return;
    m_worker->deleteLater();
    m_worker = nullptr;
    setBusy(false);
    m_history.clear();
    if (!m_outcome) {
        display(std::nullopt, m_outcomeReason);
        m_context.prompter->message(m_outcomeReason, kTitle, Prompter::Icon::Warning);
        return;
    }
    display(std::move(m_outcome));
}

void GroupingForm::setBusy(bool busy) {
    m_arrange->setEnabled(!busy);
    m_cancel->setEnabled(busy);
    m_progress->setVisible(busy);
    m_progress->setValue(0);
    m_anonymous->setEnabled(!busy);
    m_menus->sessionMenu()->setEnabled(!busy);
    if (busy)
        m_poll->start();
    else
        m_poll->stop();
}

void GroupingForm::display(std::optional<Grouping::Result> result, const QString &refusal) {
    m_result = std::move(result);
    m_broken = m_result ? Grouping::brokenRules(*m_result) : QStringList();
    if (m_result) {
        QStringList lines = Grouping::heading(*m_result);
        lines.removeFirst(); // the window's title
        m_heading->setText(lines.join(u'\n'));
        m_score->setText(Grouping::scoreSentences(*m_result).join(u'\n'));
        m_context.shownGroups.insert(m_result->request.session, m_result->groups);
    } else {
        m_heading->setText(refusal.isEmpty() ? kChoose : refusal);
        m_score->clear();
    }
    m_warning->setText(m_broken.isEmpty()
                           ? QString()
                           : QStringLiteral("Porušená pravidla: ") + m_broken.join(QStringLiteral(" ")));
    m_warning->setVisible(!m_broken.isEmpty());
    fillColumns();
    for (QAction *item : std::as_const(m_outputActions))
        item->setEnabled(m_result.has_value());
    if (QAction *undoItem = action(QStringLiteral("Zpet_Action")))
        undoItem->setEnabled(!m_history.isEmpty());
}

void GroupingForm::fillColumns() {
    for (GroupColumn *column : std::as_const(m_columns)) {
        m_columnRow->removeWidget(column->parentWidget());
        column->parentWidget()->deleteLater();
    }
    m_columns.clear();
    if (!m_result)
        return;
    QSet<qint64> pinned;
    for (const auto &[pupil, group] : m_result->request.pins)
        pinned.insert(pupil);
    for (qsizetype g = 0; g < m_result->groups.size(); ++g) {
        auto *box = new QWidget;
        auto *boxLayout = new QVBoxLayout(box);
        boxLayout->setContentsMargins(0, 0, 0, 0);
        auto *title = new QLabel(
            QStringLiteral("<b>Skupina %1</b> (%2)").arg(g + 1).arg(m_result->groups[g].size()), box);
        boxLayout->addWidget(title);
        auto *column = new GroupColumn(int(g) + 1, box);
        connect(column, &GroupColumn::pupilDropped, this, &GroupingForm::dropPupil);
        for (qint64 id : m_result->groups[g]) {
            const Grouping::Placement *pupil = m_result->placement(id);
            if (!pupil)
                continue;
            auto *card = new QListWidgetItem(
                pupil->name + QStringLiteral("  ") + Grouping::marks(*pupil, *m_result), column);
            card->setData(Qt::UserRole, id);
            const QColor tint = !pupil->rejectedInside.isEmpty()   ? kRejected
                                : !pupil->honoured.isEmpty()       ? kHonoured
                                : m_result->unmatched.contains(id) ? kUnmatched
                                                                   : QColor(Qt::white);
            card->setBackground(tint);
            card->setForeground(Qt::black);
            if (pinned.contains(id)) {
                QFont font = card->font();
                font.setBold(true);
                card->setFont(font);
                card->setToolTip(QStringLiteral("Připnut do skupiny"));
            }
        }
        boxLayout->addWidget(column, 1);
        m_columnRow->addWidget(box);
        m_columns << column;
    }
}

bool GroupingForm::dropPupil(qint64 pupil, int group, qint64 other) {
    if (!m_result || !m_result->placement(pupil) || group < 1 || group > m_result->groups.size())
        return false;
    const int from = m_result->placement(pupil)->group;
    QList<QList<qint64>> groups = m_result->groups;
    if (other != 0) {
        const Grouping::Placement *partner = m_result->placement(other);
        if (!partner || partner->group == from)
            return false;
        groups[from - 1][groups[from - 1].indexOf(pupil)] = other;
        groups[partner->group - 1][groups[partner->group - 1].indexOf(other)] = pupil;
    } else {
        if (group == from)
            return false;
        if (m_result->request.mode != Grouping::SizeMode::Groups) {
            m_warning->setText(QStringLiteral("Skupiny mají pevné velikosti: přetáhněte žáka na spolužáka, "
                                              "se kterým se má vyměnit."));
            m_warning->show();
            return false;
        }
        groups[from - 1].removeOne(pupil);
        groups[group - 1] << pupil;
    }
    // Members stay in roster order.
    QHash<qint64, int> rosterPosition;
    for (qsizetype i = 0; i < m_result->pupils.size(); ++i)
        rosterPosition.insert(m_result->pupils[i].id, int(i));
    for (QList<qint64> &members : groups)
        std::sort(members.begin(), members.end(),
                  [&](qint64 a, qint64 b) { return rosterPosition.value(a) < rosterPosition.value(b); });
    m_history << m_result->groups;
    regroupTo(groups);
    return true;
}

void GroupingForm::regroupTo(const QList<QList<qint64>> &groups) {
    display(Grouping::regroup(*m_result, groups));
}

void GroupingForm::undo() {
    if (!m_result || m_history.isEmpty())
        return;
    const QList<QList<qint64>> groups = m_history.takeLast();
    regroupTo(groups);
}

void GroupingForm::lockChosen() {
    if (!m_result)
        return;
    for (GroupColumn *column : std::as_const(m_columns))
        for (QListWidgetItem *card : column->selectedItems())
            addPin(card->data(Qt::UserRole).toLongLong(), column->group());
}

QString GroupingForm::proposedName() const {
    return m_result ? ResultWindowParts::proposedName(kTitle, m_result->trida,
                                                      m_result->questionTexts.join(QStringLiteral("; ")))
                    : kTitle;
}

ResultWindowParts::SaveRoutine GroupingForm::saveRoutine() const {
    return [this](const QString &path, QString *error) { return Grouping::save(*m_result, path, error); };
}

void GroupingForm::save() {
    if (m_result)
        ResultWindowParts::saveAs(m_context, QStringLiteral("Uložit rozdělení do skupin"), kSaveFilter,
                                  proposedName(), saveRoutine());
}

void GroupingForm::saveToDocuments() {
    if (m_result)
        ResultWindowParts::saveToDocuments(m_context, m_dm, proposedName(), saveRoutine());
}

void GroupingForm::print() {
    if (m_result)
        PrintPreview::open(*m_context.prompter, this, Grouping::pages(*m_result),
                           QStringLiteral("Skupiny_Nahled"));
}

void GroupingForm::savePdf() {
    if (m_result)
        PrintPreview::savePdf(*m_context.prompter, Grouping::pages(*m_result), proposedName());
}
