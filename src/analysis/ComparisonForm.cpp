#include "analysis/ComparisonForm.h"

#include "analysis/AnalysisForm.h"
#include "analysis/ComparisonOutputs.h"
#include "analysis/ComparisonTexts.h"
#include "analysis/ResultWindowParts.h"
#include "analysis/TrendChart.h"
#include "data/AnonymousCopy.h"
#include "data/AppContext.h"
#include "data/DataModule.h"
#include "data/DatabaseError.h"
#include "graphics/PrintPreview.h"
#include "graphics/SociogramBuilder.h"
#include "platform/Prompter.h"
#include "widgets/AnonymousSwitch.h"
#include "widgets/WindowFrame.h"

#include <QAction>
#include <QComboBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QStandardItemModel>
#include <QStyle>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

const QString kTitle = QStringLiteral("Srovnání vyhodnocení");
const QString kNoSessions = QStringLiteral("Třída nemá žádné vyhodnocení, není co srovnat.");
const QString kOneSession = QStringLiteral(
    "Třída má jen jedno vyhodnocení; srovnat lze dvě vyhodnocení nebo dvě otázky jednoho z nich.");
const QString kChooseQuestion = QStringLiteral("Zvolte otázku dřívějšího vyhodnocení.");
const QString kNoTrend =
    QStringLiteral("Vývoj lze ukázat, až třída bude mít aspoň dvě vyhodnocení s touto otázkou.");
const QString kSaveFilter = QStringLiteral(
    "Dokument Word (*.docx);;Dokument PDF (*.pdf);;Webová stránka (*.html);;Tabulka žáků CSV (*.csv);;"
    "Text (*.txt);;JSON (*.json)");

// The item data role of a question's id in the question lists.
constexpr int kIdRole = Qt::UserRole;

QTableWidget *readOnlyTable(const QString &objectName, QWidget *parent) {
    auto *table = new QTableWidget(parent);
    table->setObjectName(objectName);
    table->verticalHeader()->hide();
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    return table;
}

// Puts the rows into the table under the headings; cells that hold a figure are right-aligned.
void fillTable(QTableWidget *table, const QStringList &headings, const QList<QStringList> &rows) {
    table->clear();
    table->setColumnCount(int(headings.size()));
    table->setHorizontalHeaderLabels(headings);
    table->setRowCount(int(rows.size()));
    for (int r = 0; r < rows.size(); ++r)
        for (int c = 0; c < rows[r].size() && c < headings.size(); ++c) {
            auto *item = new QTableWidgetItem(rows[r][c]);
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            bool figure = false;
            QString(rows[r][c]).replace(u',', u'.').replace(QChar(0x2212), u'-').toDouble(&figure);
            if (figure)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            table->setItem(r, c, item);
        }
    table->resizeColumnsToContents();
}

QComboBox *choiceBox(const QString &objectName, QWidget *parent) {
    auto *box = new QComboBox(parent);
    box->setObjectName(objectName);
    // Long questions never widen the window; the list shows them whole.
    box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    box->setMinimumContentsLength(24);
    box->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    return box;
}

std::optional<qint64> idIn(const QComboBox *box, int role) {
    if (box->currentIndex() < 0)
        return std::nullopt;
    bool ok = false;
    const qint64 id = box->currentData(role).toLongLong(&ok);
    return ok ? std::optional<qint64>(id) : std::nullopt;
}

} // namespace

// The chart of the "Vývoj" tab: the trend's picture laid out for the widget and painted into it.
class TrendChartView final : public QWidget {
public:
    explicit TrendChartView(QWidget *parent) : QWidget(parent) {
        setObjectName(QStringLiteral("Vyvoj_Graf"));
        setMinimumHeight(280);
    }
    void setTrend(const SurveyTrend *trend) {
        m_trend = trend;
        update();
    }

protected:
    void paintEvent(QPaintEvent *) override {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::white);
        if (m_trend)
            TrendChart::picture(*m_trend, size()).play(painter, QRectF(rect()));
    }

private:
    const SurveyTrend *m_trend = nullptr;
};

ComparisonForm::ComparisonForm(AppContext &context, QWidget *parent)
    : QDialog(parent), m_context(context), m_dm(*context.dm),
      m_lists(std::make_unique<SociogramBuilder>(m_dm)) {
    setObjectName(QStringLiteral("ComparisonForm"));
    setWindowTitle(kTitle);
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    resize(1180, 760);

    const WindowFrame frame = makeWindowFrame(this);
    QVBoxLayout *layout = frame.layout;
    QMenuBar *menuBar = frame.menuBar;
    QToolBar *toolBar = frame.toolBar;
    buildMenus(menuBar, toolBar);

    auto *body = new QVBoxLayout;
    body->setContentsMargins(8, 6, 8, 8);
    body->addWidget(buildChoices());
    m_heading = new QLabel(this);
    m_heading->setObjectName(QStringLiteral("Zahlavi"));
    m_heading->setWordWrap(true);
    m_heading->setTextInteractionFlags(Qt::TextSelectableByMouse);
    body->addWidget(m_heading);

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("Zalozky"));
    m_pupils = readOnlyTable(QStringLiteral("Zaci_Table"), m_tabs);
    m_tabs->addTab(m_pupils, QStringLiteral("Žáci"));
    m_pairs = new QTreeWidget(m_tabs);
    m_pairs->setObjectName(QStringLiteral("Vazby_Tree"));
    m_pairs->setHeaderHidden(true);
    m_tabs->addTab(m_pairs, QStringLiteral("Vazby"));
    m_indices = readOnlyTable(QStringLiteral("Ukazatele_Table"), m_tabs);
    m_indices->horizontalHeader()->setStretchLastSection(true);
    m_tabs->addTab(m_indices, QStringLiteral("Třída"));
    m_tabs->addTab(buildTrendTab(), QStringLiteral("Vývoj"));
    m_summary = new QListWidget(m_tabs);
    m_summary->setObjectName(QStringLiteral("Shrnuti_List"));
    m_summary->setWordWrap(true);
    m_summary->setSpacing(3);
    m_tabs->addTab(m_summary, QStringLiteral("Shrnutí"));
    body->addWidget(m_tabs, 1);
    layout->addLayout(body, 1);

    display(std::nullopt, std::nullopt, kNoSessions);
}

ComparisonForm::~ComparisonForm() {
    m_chart->setTrend(nullptr); // the view points into the trend
}

QAction *ComparisonForm::action(const QString &objectName) const {
    return findChild<QAction *>(objectName);
}

void ComparisonForm::buildMenus(QMenuBar *menuBar, QToolBar *toolBar) {
    QMenu *file = menuBar->addMenu(QStringLiteral("Soubor"));
    m_outputActions = ResultWindowParts::addOutputItems(
        file, this,
        {[this] { save(); }, [this] { saveToDocuments(); }, [this] { savePdf(); }, [this] { print(); }});
    toolBar->addActions(m_outputActions);
    file->addSeparator();
    file->addAction(QStringLiteral("Zavřít"), this, &QDialog::reject)
        ->setObjectName(QStringLiteral("Zavrit_Action"));
    toolBar->addSeparator();
    m_anonymous = makeAnonymousSwitch(this);
    toolBar->addAction(m_anonymous);
    connect(m_anonymous, &QAction::triggered, this, [this] { build(); });
    toolBar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
}

QWidget *ComparisonForm::buildChoices() {
    auto *panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("Volba"));
    auto *grid = new QGridLayout(panel);
    grid->setContentsMargins(0, 0, 0, 4);
    m_fromSession = choiceBox(QStringLiteral("Drive_Combo"), panel);
    m_toSession = choiceBox(QStringLiteral("Nyni_Combo"), panel);
    m_fromQuestion = choiceBox(QStringLiteral("OtazkaDrive_Combo"), panel);
    m_toQuestion = choiceBox(QStringLiteral("OtazkaNyni_Combo"), panel);
    auto label = [&](const QString &text, QComboBox *buddy, int row, int column) {
        auto *caption = new QLabel(text, panel);
        caption->setBuddy(buddy);
        grid->addWidget(caption, row, column);
        grid->addWidget(buddy, row, column + 1);
    };
    label(QStringLiteral("&Dříve:"), m_fromSession, 0, 0);
    label(QStringLiteral("Otázka d&říve:"), m_fromQuestion, 0, 2);
    label(QStringLiteral("&Nyní:"), m_toSession, 1, 0);
    label(QStringLiteral("Otázka n&yní:"), m_toQuestion, 1, 2);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 2);

    connect(m_fromSession, &QComboBox::currentIndexChanged, this, &ComparisonForm::fromSessionChanged);
    connect(m_fromQuestion, &QComboBox::currentIndexChanged, this, &ComparisonForm::fromQuestionChanged);
    connect(m_toSession, &QComboBox::currentIndexChanged, this, &ComparisonForm::toSessionChanged);
    connect(m_toQuestion, &QComboBox::currentIndexChanged, this, [this] {
        if (!m_filling)
            build();
    });
    return panel;
}

QWidget *ComparisonForm::buildTrendTab() {
    m_trendPage = new QWidget(this);
    m_trendPage->setObjectName(QStringLiteral("Vyvoj_Tab"));
    auto *layout = new QVBoxLayout(m_trendPage);
    m_trendNote = new QLabel(kNoTrend, m_trendPage);
    m_trendNote->setObjectName(QStringLiteral("VyvojChybi"));
    m_trendNote->setWordWrap(true);
    m_trendNote->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    layout->addWidget(m_trendNote);
    m_trendTable = readOnlyTable(QStringLiteral("Vyvoj_Table"), m_trendPage);
    layout->addWidget(m_trendTable, 2);
    m_chart = new TrendChartView(m_trendPage);
    layout->addWidget(m_chart, 3);
    return m_trendPage;
}

void ComparisonForm::showEvent(QShowEvent *event) {
    refill();
    QDialog::showEvent(event);
}

void ComparisonForm::refill() {
    m_filling = true;
    for (QComboBox *box : {m_fromSession, m_toSession, m_fromQuestion, m_toQuestion})
        box->clear();
    m_from.reset();
    m_to.reset();
    for (const SociogramMenuItem &item : m_lists->sessionItems()) {
        m_fromSession->addItem(item.caption, item.value);
        m_toSession->addItem(item.caption, item.value);
    }
    // The session list is newest first.
    const int sessions = m_fromSession->count();
    m_fromSession->setCurrentIndex(sessions >= 2 ? 1 : sessions - 1);
    m_toSession->setCurrentIndex(sessions >= 1 ? 0 : -1);
    m_filling = false;
    if (sessions == 0) {
        display(std::nullopt, std::nullopt, kNoSessions);
        return;
    }
    fromSessionChanged();
}

std::optional<SessionOutputData> ComparisonForm::readChosenSession(QComboBox *sessions, QString *reason) {
    const std::optional<qint64> id = idIn(sessions, Qt::UserRole);
    if (!id)
        return std::nullopt;
    return readSession(m_dm.database(), *id, reason);
}

void ComparisonForm::fillQuestions(QComboBox *questions, const std::optional<SessionOutputData> &session,
                                   std::optional<qint64> selected) {
    const bool filling = m_filling;
    m_filling = true;
    questions->clear();
    if (session) {
        auto *model = qobject_cast<QStandardItemModel *>(questions->model());
        int number = 0;
        for (const OutputQuestion &question : session->questionnaire.questions) {
            questions->addItem(QString::number(++number) + u' ' + question.textOtazky, question.id);
            const QString refusal = Sociometry::refusalForKind(question.typ);
            if (!refusal.isEmpty() && model) {
                QStandardItem *item = model->item(questions->count() - 1);
                item->setForeground(palette().color(QPalette::Disabled, QPalette::Text));
                item->setToolTip(refusal);
            }
        }
    }
    questions->setCurrentIndex(selected ? questions->findData(*selected, kIdRole) : -1);
    m_filling = filling;
}

void ComparisonForm::fromSessionChanged() {
    if (m_filling)
        return;
    // The question of the same text stays chosen when the earlier session changes; else the first one the
    // analysis takes.
    const std::optional<SessionOutputData> before = m_from;
    const std::optional<qint64> question = idIn(m_fromQuestion, kIdRole);
    QString reason;
    try {
        m_from = readChosenSession(m_fromSession, &reason);
    } catch (const DatabaseError &e) {
        m_from.reset();
        reason = QStringLiteral("Vyhodnocení se nepodařilo načíst. ") + e.message();
    }
    std::optional<qint64> selected;
    if (m_from && before && question)
        selected = Comparison::matchingQuestion(before->questionnaire, *question, m_from->questionnaire);
    if (m_from && !selected)
        for (const OutputQuestion &q : m_from->questionnaire.questions)
            if (Sociometry::refusalForKind(q.typ).isEmpty()) {
                selected = q.id;
                break;
            }
    fillQuestions(m_fromQuestion, m_from, selected);
    if (!m_to) {
        toSessionChanged(); // the first fill: the later session's questions follow
        return;
    }
    matchToQuestion();
    if (!m_from) {
        display(std::nullopt, std::nullopt, reason);
        return;
    }
    build();
}

void ComparisonForm::fromQuestionChanged() {
    if (m_filling)
        return;
    matchToQuestion();
    build();
}

void ComparisonForm::toSessionChanged() {
    if (m_filling)
        return;
    QString reason;
    try {
        m_to = readChosenSession(m_toSession, &reason);
    } catch (const DatabaseError &e) {
        m_to.reset();
        reason = QStringLiteral("Vyhodnocení se nepodařilo načíst. ") + e.message();
    }
    fillQuestions(m_toQuestion, m_to, std::nullopt);
    matchToQuestion();
    if (!m_to) {
        display(std::nullopt, std::nullopt, reason);
        return;
    }
    build();
}

void ComparisonForm::matchToQuestion() {
    const std::optional<qint64> question = idIn(m_fromQuestion, kIdRole);
    std::optional<qint64> match;
    if (m_from && m_to && question)
        match = Comparison::matchingQuestion(m_from->questionnaire, *question, m_to->questionnaire);
    const bool filling = m_filling;
    m_filling = true;
    m_toQuestion->setCurrentIndex(match ? m_toQuestion->findData(*match, kIdRole) : -1);
    m_filling = filling;
}

bool ComparisonForm::build() {
    const std::optional<qint64> fromSession = idIn(m_fromSession, Qt::UserRole);
    const std::optional<qint64> toSession = idIn(m_toSession, Qt::UserRole);
    const std::optional<qint64> fromQuestion = idIn(m_fromQuestion, kIdRole);
    if (!fromSession || !toSession) {
        display(std::nullopt, std::nullopt, kNoSessions);
        return false;
    }
    if (!fromQuestion) {
        display(std::nullopt, std::nullopt, kChooseQuestion);
        return false;
    }
    QString reason;
    std::optional<SurveyComparison> result;
    std::optional<SurveyTrend> trend;
    try {
        AnonymousCopy::OutputDatabase source(m_dm.database(), {*fromSession, *toSession},
                                             m_anonymous->isChecked());
        result = Comparison::compare(source.db(), *fromSession, *fromQuestion, *toSession,
                                     idIn(m_toQuestion, kIdRole), &reason);
        const OutputQuestion *question = m_from ? m_from->questionnaire.question(*fromQuestion) : nullptr;
        // The course of the earlier question, when the analysis takes that question at all.
        if (question && Sociometry::refusalForKind(question->typ).isEmpty())
            trend = Comparison::trend(source.db(), m_from->trida.id, question->textOtazky);
    } catch (const DatabaseError &e) {
        display(std::nullopt, std::nullopt,
                QStringLiteral("Srovnání se nepodařilo sestavit. ") + e.message());
        return false;
    }
    if (!result) {
        display(std::nullopt, std::move(trend),
                reason.isEmpty() ? QStringLiteral("Tato vyhodnocení nelze srovnat.") : reason);
        return false;
    }
    display(std::move(result), std::move(trend), QString());
    return true;
}

void ComparisonForm::display(std::optional<SurveyComparison> comparison, std::optional<SurveyTrend> trend,
                             const QString &refusal) {
    m_chart->setTrend(nullptr); // the view lets go of the old trend before it is replaced
    m_comparison = std::move(comparison);
    m_trend = std::move(trend);
    QStringList lines{refusal};
    if (m_comparison) {
        lines = ComparisonTexts::heading(*m_comparison);
        lines.removeFirst(); // "Srovnání vyhodnocení" is the window's title
    }
    if (m_fromSession->count() == 1)
        lines << kOneSession;
    m_heading->setText(lines.join(u'\n'));
    fillPupils();
    fillPairs();
    fillClass();
    fillTrend();
    m_summary->clear();
    if (m_comparison)
        m_summary->addItems(ComparisonTexts::summary(*m_comparison));
    for (QAction *item : std::as_const(m_outputActions))
        item->setEnabled(m_comparison.has_value());
}

void ComparisonForm::fillPupils() {
    QList<QStringList> rows;
    if (m_comparison)
        for (const ComparedPupil &pupil : m_comparison->pupils)
            rows << ComparisonTexts::pupilCells(pupil);
    fillTable(m_pupils, ComparisonTexts::pupilColumns(), rows);
    if (!m_comparison)
        return;
    // A passage into another status group: the row bold, in the tint of the new group.
    for (int r = 0; r < m_comparison->pupils.size(); ++r) {
        const ComparedPupil &pupil = m_comparison->pupils[r];
        if (!pupil.passage())
            continue;
        for (int c = 0; c < m_pupils->columnCount(); ++c) {
            QTableWidgetItem *item = m_pupils->item(r, c);
            QFont bold = item->font();
            bold.setBold(true);
            item->setFont(bold);
            item->setBackground(AnalysisForm::rowTint(*pupil.statusTo()));
            item->setForeground(Qt::black); // readable on the tint in a dark theme
        }
    }
    m_pupils->resizeColumnsToContents();
}

void ComparisonForm::fillPairs() {
    m_pairs->clear();
    if (m_comparison)
        ResultWindowParts::fillSections(m_pairs, ComparisonTexts::pairSections(*m_comparison));
}

void ComparisonForm::fillClass() {
    QList<QStringList> rows;
    if (m_comparison)
        for (const IndexChange &index : m_comparison->indices)
            rows << ComparisonTexts::indexCells(index);
    fillTable(m_indices, ComparisonTexts::indexColumns(), rows);
}

const SurveyTrend *ComparisonForm::shownTrend() const {
    return m_trend && m_trend->sessions.size() >= 2 ? &*m_trend : nullptr;
}

void ComparisonForm::fillTrend() {
    const SurveyTrend *trend = shownTrend();
    m_trendNote->setVisible(!trend);
    m_trendTable->setVisible(trend != nullptr);
    m_chart->setVisible(trend != nullptr);
    m_chart->setTrend(trend);
    if (!trend) {
        fillTable(m_trendTable, {}, {});
        return;
    }
    fillTable(m_trendTable, ComparisonTexts::trendColumns(*trend), ComparisonTexts::trendRows(*trend));
}

void ComparisonForm::showError(const QString &text) {
    m_context.prompter->message(text, QString(), Prompter::Icon::Error);
}

QString ComparisonForm::proposedName() const {
    return m_comparison ? ResultWindowParts::proposedName(kTitle, m_comparison->to.trida, m_comparison->from.questionText)
                        : kTitle;
}

void ComparisonForm::save() {
    if (m_comparison)
        ResultWindowParts::saveAs(m_context, QStringLiteral("Uložit srovnání vyhodnocení"), kSaveFilter, proposedName(),
                                  saveRoutine());
}

void ComparisonForm::saveToDocuments() {
    if (m_comparison)
        ResultWindowParts::saveToDocuments(m_context, m_dm, proposedName(), saveRoutine());
}

ResultWindowParts::SaveRoutine ComparisonForm::saveRoutine() const {
    return [this](const QString &path, QString *error) {
        return ComparisonOutputs::save(*m_comparison, path, error, shownTrend());
    };
}

void ComparisonForm::print() {
    if (m_comparison)
        PrintPreview::open(*m_context.prompter, this, ComparisonOutputs::pages(*m_comparison, shownTrend()),
                           QStringLiteral("Srovnani_Nahled"));
}

void ComparisonForm::savePdf() {
    if (m_comparison)
        PrintPreview::savePdf(*m_context.prompter, ComparisonOutputs::pages(*m_comparison, shownTrend()),
                              proposedName());
}
