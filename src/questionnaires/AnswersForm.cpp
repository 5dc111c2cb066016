#include "questionnaires/AnswersForm.h"

#include "data/AppContext.h"
#include "data/DataModule.h"
#include "data/DatasetTableModel.h"
#include "platform/LongWords.h"
#include "platform/Prompter.h"
#include "widgets/ClickableLabel.h"
#include "widgets/DatasetGrid.h"
#include "widgets/ElidedLabel.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>

namespace {

const QString kMarkAllHint =
    QStringLiteral("Pomocí CTRL a myši lze vybrat více řádků. Poté je všechny označíte tímto tlačítkem.");


// The partner cells: a marked row is drawn bold on its list's colour (green for the positive list, red
// for the negative one).
class MarkDelegate final : public QStyledItemDelegate {
public:
    MarkDelegate(const AnswerMarks &marks, const Dataset &list, bool positive, QObject *parent)
        : QStyledItemDelegate(parent), m_marks(marks), m_list(list), m_positive(positive) {}

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override {
        const QVariant id = m_list.value(index.row(), m_list.fieldIndex(QStringLiteral("ID")));
        if (id.isNull() || m_list.controlsDisabled() || !m_marks.contains(id.toLongLong(), m_positive)) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        painter->fillRect(option.rect, m_positive ? QColor(200, 255, 149) : QColor(255, 128, 128));
        QStyleOptionViewItem marked = option;
        initStyleOption(&marked, index);
        marked.font.setBold(true);
        marked.backgroundBrush = Qt::NoBrush;
        const QColor text = m_positive ? QColor(0, 128, 0) : QColor(255, 0, 0);
        marked.palette.setColor(QPalette::Text, text);
        marked.palette.setColor(QPalette::HighlightedText, text);
        marked.palette.setColor(QPalette::Highlight, Qt::transparent);
        marked.state &= ~QStyle::State_Selected;
        QStyle *style = marked.widget ? marked.widget->style() : nullptr;
        if (style)
            style->drawControl(QStyle::CE_ItemViewItem, &marked, painter, marked.widget);
        if (option.state & QStyle::State_Selected) {
            painter->save();
            painter->setPen(QPen(option.palette.highlight().color(), 2));
            painter->drawRect(option.rect.adjusted(1, 1, -1, -1));
            painter->restore();
        }
    }

private:
    const AnswerMarks &m_marks;
    const Dataset &m_list;
    bool m_positive;
};

} // namespace

TDotaznik_Odpovedi_Form::TDotaznik_Odpovedi_Form(AppContext &context, QWidget *parent)
    : QDialog(parent), m_context(context), m_dm(*context.dm) {
    setObjectName(QStringLiteral("TDotaznik_Odpovedi_Form"));
    setWindowTitle(QStringLiteral("Odpovědi"));
    resize(1100, 640);

    auto *layout = new QVBoxLayout(this);
    auto *top = new QHBoxLayout;
    m_description = new ElidedLabel(this);
    m_description->setObjectName(QStringLiteral("Popis_tridy_Label"));
    top->addWidget(m_description, 1);
    auto *information = new ClickableLabel([this] { showKeyboardInformation(); }, this);
    information->setObjectName(QStringLiteral("Informace_Image"));
    information->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(24, 24));
    information->setCursor(Qt::PointingHandCursor);
    top->addWidget(information);
    layout->addLayout(top);

    auto *columns = new QHBoxLayout;
    DatasetTableModel *unused = nullptr;
    auto *questionColumn = new QVBoxLayout;
    questionColumn->addWidget(new QLabel(QStringLiteral("Otázka:"), this));
    m_questionGrid = makeGrid("Otazky_DBGrid", m_dm.OtazkyVyhodnoceni_Query(), QStringLiteral("cela_otazka"), false,
                              &unused);
    questionColumn->addWidget(m_questionGrid);
    columns->addLayout(questionColumn, 3);
    auto *respondentColumn = new QVBoxLayout;
    respondentColumn->addWidget(new QLabel(QStringLiteral("Tato osoba odpověděla:"), this));
    m_respondentGrid = makeGrid("Respondent_DBGrid", m_dm.Zak_Query_1(), QStringLiteral("cele_jmeno"), false, &unused);
    respondentColumn->addWidget(m_respondentGrid);
    columns->addLayout(respondentColumn, 2);
    m_positivePanel = buildPartnerPanel(true);
    columns->addWidget(m_positivePanel, 2);
    m_negativePanel = buildPartnerPanel(false);
    columns->addWidget(m_negativePanel, 2);
    m_textPanel = buildTextPanel();
    columns->addWidget(m_textPanel, 2);
    layout->addLayout(columns, 1);

    for (QTableView *grid : {m_questionGrid, m_respondentGrid, m_positiveGrid, m_negativeGrid})
        grid->installEventFilter(this);
    m_respondentGrid->viewport()->installEventFilter(this);
    m_questionGrid->viewport()->installEventFilter(this);
    m_freeText->installEventFilter(this);

    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QDialog::reject);
    connect(&m_dm, &TDM::answerPanelsChanged, this, &TDotaznik_Odpovedi_Form::applyPanels);
    connect(&m_dm, &TDM::partnerListsChanged, this, &TDotaznik_Odpovedi_Form::reloadMarks);
}

QTableView *TDotaznik_Odpovedi_Form::makeGrid(const char *name, Dataset &dataset, const QString &field,
                                              bool multiSelect, DatasetTableModel **model) {
    auto *grid = new QTableView(this);
    grid->setObjectName(QString::fromLatin1(name));
    *model = new DatasetTableModel(&dataset, {{QString(), field, 200, QString()}}, this);
    setUpDatasetGrid(grid, *model,
                     multiSelect ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
    grid->horizontalHeader()->hide();
    grid->horizontalHeader()->setStretchLastSection(true);
    return grid;
}

QWidget *TDotaznik_Odpovedi_Form::buildPartnerPanel(bool positive) {
    auto *panel = new QWidget(this);
    panel->setObjectName(positive ? QStringLiteral("Kladna_Panel") : QStringLiteral("Negativni_Panel"));
    auto *column = new QVBoxLayout(panel);
    column->setContentsMargins(0, 0, 0, 0);
    auto *label = new QLabel(panel);
    label->setObjectName(positive ? QStringLiteral("Kladna_Label") : QStringLiteral("Negativni_Label"));
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    label->setWordWrap(true);
    column->addWidget(label);
    Dataset &list = positive ? m_dm.Zak_Query_2() : m_dm.Zak_Query_3();
    DatasetTableModel *model = nullptr;
    QTableView *grid =
        makeGrid(positive ? "Partner_DBGrid" : "Partner2_DBGrid", list, QStringLiteral("cele_jmeno"), true, &model);
    grid->setItemDelegateForColumn(0, new MarkDelegate(m_marks, list, positive, grid));
    connect(grid, &QTableView::doubleClicked, this, [this, positive] { toggleCurrent(positive); });
    column->addWidget(grid, 1);
    auto *button = new QPushButton(QStringLiteral("Označit vše vybrané"), panel);
    button->setObjectName(positive ? QStringLiteral("Kladna_Button") : QStringLiteral("Negativni_Button"));
    button->setToolTip(kMarkAllHint);
    connect(button, &QPushButton::clicked, this, [this, positive] { markSelected(positive); });
    column->addWidget(button);
    (positive ? m_positiveGrid : m_negativeGrid) = grid;
    (positive ? m_positiveModel : m_negativeModel) = model;
    (positive ? m_positiveLabel : m_negativeLabel) = label;
    return panel;
}

QWidget *TDotaznik_Odpovedi_Form::buildTextPanel() {
    auto *panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("Slovni_Panel"));
    auto *column = new QVBoxLayout(panel);
    column->setContentsMargins(0, 0, 0, 0);
    auto *label = new QLabel(QStringLiteral("Slovní odpověď"), panel);
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    column->addWidget(label);
    m_freeText = new QPlainTextEdit(panel);
    m_freeText->setObjectName(QStringLiteral("Slovni_Memo"));
    column->addWidget(m_freeText, 1);
    auto *save = new QPushButton(QStringLiteral("Uložit"), panel);
    save->setObjectName(QStringLiteral("Ulozit_Button"));
    save->setToolTip(QStringLiteral("Tímto uložíte odpověď, nebo klávesovou zkratkou CTRL+s"));
    connect(save, &QPushButton::clicked, this, &TDotaznik_Odpovedi_Form::saveFreeText);
    column->addWidget(save);
    panel->hide();
    return panel;
}

void TDotaznik_Odpovedi_Form::setDescription(const QString &text) {
    m_description->setFullText(text);
}

void TDotaznik_Odpovedi_Form::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    m_positiveSearch.clear();
    m_negativeSearch.clear();
    m_dm.runQuestionChange();
    reloadMarks();
}

void TDotaznik_Odpovedi_Form::applyPanels(const AnswerPanels &panels) {
    m_positiveLabel->setText(breakableLongWords(panels.positiveLabel));
    m_negativeLabel->setText(breakableLongWords(panels.negativeLabel));
    if (!panels.changePanels)
        return;
    const bool sameText = m_freeTextOwner == FreeTextOwner{sessionId(), questionId(), respondentId()};
    // The text read for these panels predates a save of the same answer just now: the memo is newer.
    const bool keepMemo = keepFreeText() && sameText;
    m_positivePanel->setVisible(panels.showPositive);
    m_negativePanel->setVisible(panels.showNegative);
    m_textPanel->setVisible(panels.showText);
    if (panels.showText && !keepMemo)
        showFreeText(panels.freeText);
}

void TDotaznik_Odpovedi_Form::showFreeText(const QString &text) {
    m_freeText->setPlainText(text);
    m_freeText->document()->setModified(false);
    m_freeTextOwner = {sessionId(), questionId(), respondentId()};
}

bool TDotaznik_Odpovedi_Form::keepFreeText() {
    const FreeTextOwner &owner = m_freeTextOwner;
    if (!m_freeText->document()->isModified() || owner.session.isNull() || owner.question.isNull() ||
        owner.respondent.isNull())
        return false;
    if (!m_dm.answers().saveFreeText(owner.session, owner.question, owner.respondent, m_freeText->toPlainText()))
        return false;
    m_freeText->document()->setModified(false);
    return true;
}

void TDotaznik_Odpovedi_Form::done(int result) {
    keepFreeText();
    QDialog::done(result);
}

QVariant TDotaznik_Odpovedi_Form::sessionId() const {
    const Dataset &sessions = m_dm.Vyhodnoceni_Query();
    return sessions.isOpen() && sessions.currentRow() >= 0 ? sessions.value(QStringLiteral("ID")) : QVariant();
}

QVariant TDotaznik_Odpovedi_Form::questionId() const {
    const Dataset &questions = m_dm.OtazkyVyhodnoceni_Query();
    return questions.isOpen() && questions.currentRow() >= 0 ? questions.value(QStringLiteral("ID")) : QVariant();
}

QVariant TDotaznik_Odpovedi_Form::respondentId() const {
    const Dataset &respondents = m_dm.Zak_Query_1();
    return respondents.isOpen() && respondents.currentRow() >= 0 ? respondents.value(QStringLiteral("ID")) : QVariant();
}

void TDotaznik_Odpovedi_Form::reloadMarks() {
    m_marks = m_dm.answers().loadMarks(sessionId(), questionId(), respondentId());
    m_positiveGrid->viewport()->update();
    m_negativeGrid->viewport()->update();
}

void TDotaznik_Odpovedi_Form::loadFreeText() {
    const QVariant session = sessionId(), question = questionId(), respondent = respondentId();
    if (session.isNull() || question.isNull() || respondent.isNull() || !m_textPanel->isVisible())
        return;
    keepFreeText();
    showFreeText(m_dm.sessions().loadFreeText(session.toLongLong(), question.toLongLong(), respondent.toLongLong()));
}

void TDotaznik_Odpovedi_Form::toggleCurrent(bool positive) {
    const Dataset &list = positive ? m_dm.Zak_Query_2() : m_dm.Zak_Query_3();
    const QVariant partner = list.currentRow() >= 0 ? list.value(QStringLiteral("ID")) : QVariant();
    const std::optional<bool> marked =
        m_dm.answers().toggle(sessionId(), questionId(), respondentId(), partner, positive);
    if (marked) {
        QSet<qint64> &set = positive ? m_marks.positive : m_marks.negative;
        if (*marked)
            set.insert(partner.toLongLong());
        else
            set.remove(partner.toLongLong());
    }
    partnerGrid(positive)->viewport()->update();
}

void TDotaznik_Odpovedi_Form::markSelected(bool positive) {
    const Dataset &list = positive ? m_dm.Zak_Query_2() : m_dm.Zak_Query_3();
    const DatasetTableModel *model = positive ? m_positiveModel : m_negativeModel;
    QList<qint64> partners;
    for (int row : model->selectedRows())
        partners << list.value(row, list.fieldIndex(QStringLiteral("ID"))).toLongLong();
    m_dm.answers().markAll(sessionId(), questionId(), respondentId(), partners, positive);
    reloadMarks();
}

void TDotaznik_Odpovedi_Form::saveFreeText() {
    if (m_dm.answers().saveFreeText(sessionId(), questionId(), respondentId(), m_freeText->toPlainText()))
        m_freeText->document()->setModified(false);
}

void TDotaznik_Odpovedi_Form::showKeyboardInformation() {
    m_context.prompter->message(
        QStringLiteral("Rychlé ovládání pomocí klávesnice\r\n\r\nV tabulce odpovědí můžete rychle vyhledávat tak, "
                       "že začnete psát jméno žáka. \r\nPokud chcete začít znovu, stačí stisknout Backspace. \r\n\r\n"
                       "Odpověď zatrhnete mezerníkem nebo enterem.\r\n\r\nDalší otázku posunete stiskem ctrl + d (d "
                       "jako další). \r\n\r\nPokud zadáváte slovní odpověď, tak ji můžete uložit běžnou klávesovou "
                       "zkratkou ctrl + s (s jako save - anglicky uložit)."),
        QString(), Prompter::Icon::Information);
}

void TDotaznik_Odpovedi_Form::clearPartnerSelections() {
    m_positiveGrid->clearSelection();
    m_negativeGrid->clearSelection();
}

void TDotaznik_Odpovedi_Form::locateByPrefix(bool positive) {
    Dataset &list = positive ? m_dm.Zak_Query_2() : m_dm.Zak_Query_3();
    const QString &buffer = positive ? m_positiveSearch : m_negativeSearch;
    const int column = list.fieldIndex(QStringLiteral("jmeno"));
    for (int row = 0; row < list.recordCount(); ++row)
        if (list.value(row, column).toString().startsWith(buffer, Qt::CaseInsensitive)) {
            list.setCurrentRow(row);
            return;
        }
}

bool TDotaznik_Odpovedi_Form::partnerKey(bool positive, QKeyEvent *key) {
    QString &buffer = positive ? m_positiveSearch : m_negativeSearch;
    const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
    switch (key->key()) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        toggleCurrent(positive);
        buffer.clear();
        return true;
    case Qt::Key_Backspace:
        buffer.clear();
        locateByPrefix(positive);
        return true;
    case Qt::Key_Escape:
        buffer.clear();
        locateByPrefix(positive);
        return false; // the window closes as well
    default:
        break;
    }
    if (positive && key->key() == Qt::Key_D && modifiers == Qt::ControlModifier) {
        m_dm.OtazkyVyhodnoceni_Query().next();
        buffer.clear();
        return true;
    }
    // Navigation keys move as usual and leave the search alone.
    QString typed = key->text();
    if (key->key() == Qt::Key_D && modifiers == Qt::ControlModifier)
        typed = QStringLiteral("D");
    if (typed.isEmpty() || !typed.at(0).isPrint())
        return false;
    buffer += typed;
    locateByPrefix(positive);
    return true;
}

bool TDotaznik_Odpovedi_Form::eventFilter(QObject *watched, QEvent *event) {
    if ((watched == m_positiveGrid || watched == m_negativeGrid) && event->type() == QEvent::KeyPress)
        return partnerKey(watched == m_positiveGrid, static_cast<QKeyEvent *>(event));
    if ((watched == m_questionGrid->viewport() || watched == m_respondentGrid->viewport()) &&
        event->type() == QEvent::MouseButtonPress)
        clearPartnerSelections();
    if (watched == m_respondentGrid->viewport() && event->type() == QEvent::MouseButtonRelease)
        loadFreeText();
    if (watched == m_respondentGrid && event->type() == QEvent::KeyRelease) {
        const int code = static_cast<QKeyEvent *>(event)->key();
        if (code == Qt::Key_Up || code == Qt::Key_Down)
            loadFreeText();
        return true;
    }
    if (watched == m_freeText && event->type() == QEvent::FocusOut)
        keepFreeText();
    if (watched == m_freeText && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_S && (key->modifiers() & Qt::ControlModifier)) {
            saveFreeText();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
