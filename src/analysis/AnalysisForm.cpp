#include "analysis/AnalysisForm.h"

#include "analysis/AnalysisOutputs.h"
#include "analysis/AnalysisTexts.h"
#include "analysis/ResultWindowParts.h"
#include "analysis/StatusScatter.h"
#include "data/AnonymousCopy.h"
#include "data/AppContext.h"
#include "data/DataModule.h"
#include "data/DatabaseError.h"
#include "data/TextOrder.h"
#include "graphics/PrintPreview.h"
#include "graphics/SessionQuestionMenus.h"
#include "picture/PictureExport.h"
#include "platform/Prompter.h"
#include "widgets/AnonymousSwitch.h"
#include "widgets/WindowFrame.h"

#include <QAbstractTableModel>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

const QString kTitle = QStringLiteral("Sociometrický rozbor");
const QString kChoose = QStringLiteral("Zvolte vyhodnocení a otázku (tlačítka „Vyhodnocení“ a „Otázka“).");
const QString kNone = QStringLiteral("–");

// Every kind of file the analysis can be saved as, the Word document first.
const QString kSaveFilter = QStringLiteral(
    "Dokument Word (*.docx);;Dokument PDF (*.pdf);;Webová stránka (*.html);;Tabulka žáků CSV (*.csv);;"
    "Text (*.txt);;JSON (*.json);;"
    "Graf jako obrázek PNG (*.png);;Graf jako obrázek SVG (*.svg);;Graf jako rozšířený metasoubor (*.emf)");

// A cell of the pupil table as a number ("1,25", "-0,5"); none for text, "–" and an empty cell.
std::optional<double> numberIn(const QString &cell) {
    if (cell.isEmpty() || cell == kNone)
        return std::nullopt;
    QString text = cell;
    text.replace(u',', u'.').replace(QChar(0x2212), u'-');
    bool ok = false;
    const double value = text.toDouble(&ok);
    return ok ? std::optional<double>(value) : std::nullopt;
}

bool isEmptyCell(const QString &cell) {
    return cell.isEmpty() || cell == kNone;
}

// A small square of the group's row tint framed in its colour, as in the legend and the status counts.
QPixmap swatch(Sociometry::Status status) {
    QPixmap picture(14, 14);
    picture.fill(AnalysisForm::rowTint(status));
    QPainter painter(&picture);
    painter.setPen(QPen(Sociometry::statusColour(status), 2));
    painter.drawRect(QRectF(1, 1, 12, 12));
    return picture;
}

QTableWidgetItem *readOnlyItem(const QString &text) {
    auto *item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return item;
}

QTableWidget *readOnlyTable(const QString &objectName, const QStringList &headings, QWidget *parent) {
    auto *table = new QTableWidget(0, int(headings.size()), parent);
    table->setObjectName(objectName);
    table->setHorizontalHeaderLabels(headings);
    table->verticalHeader()->hide();
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->horizontalHeader()->setStretchLastSection(true);
    return table;
}

} // namespace

// The pupil table: the cells of AnalysisTexts::pupilCells per pupil, rows tinted by status group. Sorting
// orders a column of figures by value, any other column in Czech order; empty cells ("–") go last in both
// directions, ties keep the roster order. Column -1 is the roster order.
class AnalysisPupilModel final : public QAbstractTableModel {
public:
    explicit AnalysisPupilModel(QObject *parent) : QAbstractTableModel(parent), m_columns(AnalysisTexts::pupilColumns()) {}

    void setAnalysis(const SociometricAnalysis *analysis) {
        beginResetModel();
        m_cells.clear();
        m_status.clear();
        m_order.clear();
        if (analysis) {
            for (const AnalysisPupil &pupil : analysis->pupils) {
                m_cells.append(AnalysisTexts::pupilCells(pupil));
                m_status.append(pupil.status);
                m_order.append(int(m_order.size()));
            }
        }
        m_numeric.fill(false, m_columns.size());
        for (int column = 0; column < m_columns.size(); ++column) {
            bool any = false;
            bool all = true;
            for (const QStringList &cells : std::as_const(m_cells)) {
                const QString &cell = cells.value(column);
                if (isEmptyCell(cell))
                    continue;
                any = true;
                all = all && numberIn(cell).has_value();
            }
            m_numeric[column] = any && all;
        }
        orderRows();
        endResetModel();
    }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : int(m_order.size());
    }
    int columnCount(const QModelIndex &parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : int(m_columns.size());
    }

    QVariant data(const QModelIndex &index, int role) const override {
        if (!index.isValid() || index.row() >= m_order.size() || index.column() >= m_columns.size())
            return QVariant();
        const int pupil = m_order[index.row()];
        const std::optional<Sociometry::Status> &status = m_status[pupil];
        switch (role) {
        case Qt::DisplayRole:
            return m_cells[pupil].value(index.column());
        case Qt::BackgroundRole:
            return status ? QVariant(AnalysisForm::rowTint(*status)) : QVariant();
        case Qt::ForegroundRole:
            return status ? QVariant(QColor(Qt::black)) : QVariant(); // readable on the tint in a dark theme
        case Qt::TextAlignmentRole:
            return m_numeric[index.column()] ? QVariant(int(Qt::AlignRight | Qt::AlignVCenter)) : QVariant();
        default:
            return QVariant();
        }
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < m_columns.size())
            return m_columns[section];
        return QAbstractTableModel::headerData(section, orientation, role);
    }

    void sort(int column, Qt::SortOrder order) override {
        m_sortColumn = column;
        m_sortOrder = order;
        emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
        const QModelIndexList before = persistentIndexList();
        QList<int> pupils;
        for (const QModelIndex &index : before)
            pupils.append(m_order.value(index.row(), -1));
        orderRows();
        QModelIndexList after;
        for (int i = 0; i < before.size(); ++i) {
            const int row = int(m_order.indexOf(pupils[i]));
            after.append(row < 0 ? QModelIndex() : index(row, before[i].column()));
        }
        changePersistentIndexList(before, after);
        emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
    }

private:
    void orderRows() {
        std::sort(m_order.begin(), m_order.end());
        const int column = m_sortColumn;
        if (column < 0 || column >= m_columns.size())
            return;
        const bool numeric = m_numeric[column];
        const bool descending = m_sortOrder == Qt::DescendingOrder;
        std::stable_sort(m_order.begin(), m_order.end(), [&](int a, int b) {
            const QString &left = m_cells[a].value(column);
            const QString &right = m_cells[b].value(column);
            const bool leftEmpty = isEmptyCell(left);
            const bool rightEmpty = isEmptyCell(right);
            if (leftEmpty || rightEmpty)
                return !leftEmpty && rightEmpty;
            if (numeric) {
                const double x = *numberIn(left);
                const double y = *numberIn(right);
                return descending ? x > y : x < y;
            }
            const int order = TextOrder::compare(left, right);
            return descending ? order > 0 : order < 0;
        });
    }

    QStringList m_columns;
    QList<QStringList> m_cells;                     // per pupil, roster order
    QList<std::optional<Sociometry::Status>> m_status; // per pupil
    QList<int> m_order;                             // shown row → pupil
    QList<bool> m_numeric;                          // per column: every filled cell is a figure
    int m_sortColumn = -1;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
};

// The "Graf" tab: the scatter painted into the whole widget.
class AnalysisScatterView final : public QWidget {
public:
    explicit AnalysisScatterView(QWidget *parent) : QWidget(parent) {
        setObjectName(QStringLiteral("Graf"));
        setMinimumSize(320, 240);
    }
    void setAnalysis(const SociometricAnalysis *analysis) {
        m_analysis = analysis;
        update();
    }

protected:
    void paintEvent(QPaintEvent *) override {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::white);
        painter.setRenderHint(QPainter::Antialiasing);
        if (m_analysis) {
            StatusScatter::paint(painter, QRectF(rect()), *m_analysis);
        } else {
            painter.setPen(Qt::darkGray);
            painter.drawText(rect(), Qt::AlignCenter | Qt::TextWordWrap, kChoose);
        }
    }

private:
    const SociometricAnalysis *m_analysis = nullptr;
};

AnalysisForm::AnalysisForm(AppContext &context, QWidget *parent)
    : QDialog(parent), m_context(context), m_dm(*context.dm) {
    setObjectName(QStringLiteral("AnalysisForm"));
    setWindowTitle(kTitle);
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    resize(1180, 720);

    const WindowFrame frame = makeWindowFrame(this);
    QVBoxLayout *layout = frame.layout;
    QMenuBar *menuBar = frame.menuBar;
    QToolBar *toolBar = frame.toolBar;

    m_menus = new SessionQuestionMenus(m_dm, SessionQuestionMenus::Wordings::PositiveOnly, this);
    connect(m_menus, &SessionQuestionMenus::questionChosen, this, &AnalysisForm::chooseQuestion);
    buildMenus(menuBar);
    buildToolBar(toolBar);

    auto *body = new QVBoxLayout;
    body->setContentsMargins(8, 6, 8, 8);
    m_heading = new QLabel(this);
    m_heading->setObjectName(QStringLiteral("Zahlavi"));
    m_heading->setWordWrap(true);
    m_heading->setTextInteractionFlags(Qt::TextSelectableByMouse);
    body->addWidget(m_heading);
    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("Zalozky"));
    m_tabs->addTab(buildPupilTab(), QStringLiteral("Žáci"));
    m_tabs->addTab(buildClassTab(), QStringLiteral("Třída"));
    m_tabs->addTab(buildSubgroupTab(), QStringLiteral("Podskupiny"));
    m_scatter = new AnalysisScatterView(m_tabs);
    m_tabs->addTab(m_scatter, QStringLiteral("Graf"));
    body->addWidget(m_tabs, 1);
    layout->addLayout(body, 1);

    display(std::nullopt);
}

AnalysisForm::~AnalysisForm() {
    // The views point into the analysis; they go before it.
    m_pupilModel->setAnalysis(nullptr);
    m_scatter->setAnalysis(nullptr);
}

QMenu *AnalysisForm::sessionMenu() const {
    return m_menus->sessionMenu();
}

QMenu *AnalysisForm::questionMenu() const {
    return m_menus->questionMenu();
}

QAction *AnalysisForm::action(const QString &objectName) const {
    return findChild<QAction *>(objectName);
}

QColor AnalysisForm::rowTint(Sociometry::Status status) {
    // Three fifths white: the text stays readable, the groups stay apart.
    const QColor colour = Sociometry::statusColour(status);
    auto light = [](int channel) { return (2 * channel + 3 * 255) / 5; };
    return QColor(light(colour.red()), light(colour.green()), light(colour.blue()));
}

void AnalysisForm::buildMenus(QMenuBar *menuBar) {
    QMenu *file = menuBar->addMenu(QStringLiteral("Soubor"));
    m_outputActions = ResultWindowParts::addOutputItems(
        file, this,
        {[this] { save(); }, [this] { saveToDocuments(); }, [this] { savePdf(); }, [this] { print(); }});
    QAction *copy = file->addAction(style()->standardIcon(QStyle::SP_FileLinkIcon),
                                    QStringLiteral("Kopírovat graf"), this, &AnalysisForm::copyPicture);
    copy->setObjectName(QStringLiteral("Kopirovat_Action"));
    m_outputActions << copy;
    file->addSeparator();
    file->addAction(QStringLiteral("Zavřít"), this, &QDialog::reject)->setObjectName(QStringLiteral("Zavrit_Action"));
}

void AnalysisForm::buildToolBar(QToolBar *toolBar) {
    m_menus->addToolButtons(toolBar, 102);
    toolBar->addSeparator();
    m_anonymous = makeAnonymousSwitch(this);
    toolBar->addAction(m_anonymous);
    connect(m_anonymous, &QAction::triggered, this, [this] {
        if (QAction *question = m_menus->checkedQuestion())
            chooseQuestion(question);
    });
    toolBar->addSeparator();
    toolBar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    for (QAction *item : std::as_const(m_outputActions))
        toolBar->addAction(item);
}

QWidget *AnalysisForm::buildPupilTab() {
    auto *page = new QWidget(this);
    page->setObjectName(QStringLiteral("Zaci_Tab"));
    auto *layout = new QVBoxLayout(page);
    m_missingStatuses = new QLabel(page);
    m_missingStatuses->setObjectName(QStringLiteral("ChybiStatusy"));
    m_missingStatuses->setWordWrap(true);
    layout->addWidget(m_missingStatuses);

    m_pupilModel = new AnalysisPupilModel(this);
    m_pupilTable = new QTableView(page);
    m_pupilTable->setObjectName(QStringLiteral("Zaci_Table"));
    m_pupilTable->setModel(m_pupilModel);
    m_pupilTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_pupilTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_pupilTable->verticalHeader()->hide();
    // The roster order until the teacher clicks a heading.
    m_pupilTable->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    m_pupilTable->setSortingEnabled(true);
    layout->addWidget(m_pupilTable, 1);

    auto *legend = new QWidget(page);
    legend->setObjectName(QStringLiteral("Legenda"));
    auto *row = new QHBoxLayout(legend);
    row->setContentsMargins(0, 4, 0, 0);
    row->addWidget(new QLabel(QStringLiteral("Statusové skupiny:"), legend));
    for (Sociometry::Status status : Sociometry::allStatuses()) {
        auto *mark = new QLabel(legend);
        mark->setPixmap(swatch(status));
        row->addWidget(mark);
        auto *name = new QLabel(Sociometry::statusName(status), legend);
        name->setObjectName(QStringLiteral("Legenda_") + Sociometry::statusKey(status));
        row->addWidget(name);
        row->addSpacing(10);
    }
    row->addStretch(1);
    layout->addWidget(legend);
    return page;
}

QWidget *AnalysisForm::buildClassTab() {
    auto *page = new QWidget(this);
    page->setObjectName(QStringLiteral("Trida_Tab"));
    auto *layout = new QVBoxLayout(page);
    m_indices = readOnlyTable(QStringLiteral("Ukazatele_Table"),
                              {QStringLiteral("Ukazatel"), QStringLiteral("Hodnota"), QStringLiteral("Význam")}, page);
    layout->addWidget(m_indices, 3);
    layout->addWidget(new QLabel(QStringLiteral("Statusové skupiny"), page));
    m_statusReason = new QLabel(page);
    m_statusReason->setObjectName(QStringLiteral("StatusyChybi"));
    m_statusReason->setWordWrap(true);
    layout->addWidget(m_statusReason);
    m_statusCounts = readOnlyTable(QStringLiteral("Statusy_Table"),
                                   {QStringLiteral("Skupina"), QStringLiteral("Počet žáků")}, page);
    m_statusCounts->horizontalHeader()->setStretchLastSection(false);
    layout->addWidget(m_statusCounts, 2);
    return page;
}

QWidget *AnalysisForm::buildSubgroupTab() {
    m_subgroups = new QTreeWidget(this);
    m_subgroups->setObjectName(QStringLiteral("Podskupiny_Tree"));
    m_subgroups->setHeaderHidden(true);
    m_subgroups->setColumnCount(1);
    return m_subgroups;
}

void AnalysisForm::showEvent(QShowEvent *event) {
    refillSessionMenu();
    QDialog::showEvent(event);
}

void AnalysisForm::refillSessionMenu() {
    m_menus->refill();
    display(std::nullopt);
}

void AnalysisForm::chooseQuestion(QAction *item) {
    QAction *session = m_menus->checkedSession();
    bool sessionOk = false;
    const qint64 sessionId = session ? session->property("Value").toLongLong(&sessionOk) : 0;
    const SociogramQuestionKey key = SociogramQuestionKey::parse(item->property("Value").toString());
    // The menu tells what the window shows: nothing after a refusal.
    if (!sessionOk || !key.valid || !build(sessionId, key.questionId))
        item->setChecked(false);
}

bool AnalysisForm::build(qint64 sessionId, qint64 questionId) {
    QString reason;
    std::optional<SociometricAnalysis> result;
    try {
        AnonymousCopy::OutputDatabase source(m_dm.database(), {sessionId}, m_anonymous->isChecked());
        result = Sociometry::analyse(source.db(), sessionId, questionId, &reason);
    } catch (const DatabaseError &e) {
        display(std::nullopt);
        showError(QStringLiteral("Sociometrický rozbor se nepodařilo sestavit. ") + e.message());
        return false;
    }
    if (!result) {
        if (reason.isEmpty())
            reason = QStringLiteral("Rozbor této otázky nelze sestavit.");
        display(std::nullopt, reason);
        m_context.prompter->message(reason, kTitle, Prompter::Icon::Warning);
        return false;
    }
    display(std::move(result));
    return true;
}

void AnalysisForm::display(std::optional<SociometricAnalysis> analysis, const QString &refusal) {
    // The views let go of the old analysis before it is replaced.
    m_pupilModel->setAnalysis(nullptr);
    m_scatter->setAnalysis(nullptr);
    m_analysis = std::move(analysis);
    const SociometricAnalysis *shown = m_analysis ? &*m_analysis : nullptr;

    if (shown) {
        QStringList lines = AnalysisTexts::heading(*shown);
        lines.removeFirst(); // "Sociometrický rozbor" is the window's title
        m_heading->setText(lines.join(u'\n'));
    } else {
        m_heading->setText(refusal.isEmpty() ? kChoose : refusal + QStringLiteral(" Zvolte jinou otázku."));
    }
    m_pupilModel->setAnalysis(shown);
    m_pupilTable->resizeColumnsToContents();
    const QString missing = shown ? AnalysisTexts::missingStatusReason(*shown) : QString();
    m_missingStatuses->setText(missing);
    m_missingStatuses->setVisible(!missing.isEmpty());
    fillClassTab();
    fillSubgroupTab();
    m_scatter->setAnalysis(shown);
    for (QAction *item : std::as_const(m_outputActions))
        item->setEnabled(shown != nullptr);
}

void AnalysisForm::fillClassTab() {
    m_indices->setRowCount(0);
    m_statusCounts->setRowCount(0);
    if (!m_analysis) {
        m_statusReason->clear();
        m_statusReason->hide();
        return;
    }
    const QList<AnalysisTexts::IndexLine> lines = AnalysisTexts::groupIndices(*m_analysis);
    m_indices->setRowCount(int(lines.size()));
    for (int row = 0; row < lines.size(); ++row) {
        m_indices->setItem(row, 0, readOnlyItem(lines[row].name));
        QTableWidgetItem *value = readOnlyItem(AnalysisTexts::figure(lines[row].value));
        value->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        m_indices->setItem(row, 1, value);
        m_indices->setItem(row, 2, readOnlyItem(lines[row].explanation));
    }
    m_indices->resizeColumnsToContents();

    const QString missing = AnalysisTexts::missingStatusReason(*m_analysis);
    m_statusReason->setText(missing);
    m_statusReason->setVisible(!missing.isEmpty());
    const std::optional<QList<int>> &counts = m_analysis->group.statusCounts;
    m_statusCounts->setVisible(counts.has_value());
    if (!counts)
        return;
    const QList<Sociometry::Status> statuses = Sociometry::allStatuses();
    m_statusCounts->setRowCount(int(statuses.size()));
    for (int row = 0; row < statuses.size(); ++row) {
        QTableWidgetItem *name = readOnlyItem(Sociometry::statusName(statuses[row]));
        name->setIcon(QIcon(swatch(statuses[row])));
        m_statusCounts->setItem(row, 0, name);
        QTableWidgetItem *count = readOnlyItem(QString::number(counts->value(row)));
        count->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        m_statusCounts->setItem(row, 1, count);
    }
    m_statusCounts->resizeColumnsToContents();
}

void AnalysisForm::fillSubgroupTab() {
    m_subgroups->clear();
    if (m_analysis)
        ResultWindowParts::fillSections(m_subgroups, AnalysisTexts::subgroupSections(*m_analysis));
}

void AnalysisForm::showError(const QString &text) {
    m_context.prompter->message(text, QString(), Prompter::Icon::Error);
}

QString AnalysisForm::proposedName() const {
    return m_analysis ? ResultWindowParts::proposedName(kTitle, m_analysis->trida, m_analysis->questionText) : kTitle;
}

void AnalysisForm::save() {
    if (m_analysis)
        ResultWindowParts::saveAs(m_context, QStringLiteral("Uložit sociometrický rozbor"), kSaveFilter, proposedName(),
                                  saveRoutine());
}

void AnalysisForm::saveToDocuments() {
    if (m_analysis)
        ResultWindowParts::saveToDocuments(m_context, m_dm, proposedName(), saveRoutine());
}

ResultWindowParts::SaveRoutine AnalysisForm::saveRoutine() const {
    return [this](const QString &path, QString *error) { return AnalysisOutputs::save(*m_analysis, path, error); };
}

void AnalysisForm::print() {
    if (m_analysis)
        PrintPreview::open(*m_context.prompter, this, AnalysisOutputs::pages(*m_analysis),
                           QStringLiteral("Rozbor_Nahled"));
}

void AnalysisForm::savePdf() {
    if (m_analysis)
        PrintPreview::savePdf(*m_context.prompter, AnalysisOutputs::pages(*m_analysis), proposedName());
}

void AnalysisForm::copyPicture() {
    if (!m_analysis)
        return;
    const QSize size = StatusScatter::defaultSize();
    const SociometricAnalysis &analysis = *m_analysis;
    const PaintRoutine paint = [&](QPainter &painter) { StatusScatter::paint(painter, QRectF(QPointF(), size), analysis); };
    QApplication::clipboard()->setMimeData(
        pictureMimeData(renderImage(size, paint), renderSvg(size, paint, proposedName()), renderEmf(size, paint)));
}
