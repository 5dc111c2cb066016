#include "pupils/ZakForm.h"
#include "widgets/ShowInFront.h"

#include "data/AppContext.h"
#include "widgets/DBNavigator.h"
#include "widgets/DatasetFieldBinder.h"
#include "widgets/EditGuard.h"
#include "widgets/DatasetGrid.h"
#include "platform/Prompter.h"
#include "data/DataModule.h"
#include "data/DatasetTableModel.h"
#include "pupils/NoteTemplate.h"

#include <QCursor>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QTextEdit>
#include <QVBoxLayout>

namespace {

const QString kNote = QStringLiteral("poznamka");

bool isNull(const QVariant &value) {
    return value.isNull() || !value.isValid();
}

} // namespace

TZak_Form::TZak_Form(AppContext &context, QWidget *parent)
    : QDialog(parent), m_context(context), m_dm(*context.dm), m_notes(context.dm->Poznamky_Query()) {
    setObjectName(QStringLiteral("TZak_Form"));
    setWindowTitle(QStringLiteral("Záznamy žáka"));
    resize(640, 560);

    auto *layout = new QVBoxLayout(this);
    m_navigator = new TDBNavigator(this);
    m_navigator->setObjectName(QStringLiteral("DBNavigator1"));
    m_navigator->setDataset(&m_notes);
    m_navigator->setVisibleButtons({TDBNavigator::Insert, TDBNavigator::Delete, TDBNavigator::Edit,
                                    TDBNavigator::Post, TDBNavigator::Cancel, TDBNavigator::Refresh});
    DecorateNavigator(m_navigator, navigatorPictures(), QString(), true);
    // Notes have no deletion rule of their own: the navigator asks before a note is gone.
    m_navigator->setDeleteConfirmation([this] {
        return m_context.prompter->askYesNo(QStringLiteral("Smazat záznam?"), windowTitle(),
                                            Prompter::Icon::Question);
    });
    layout->addWidget(m_navigator);

    m_grid = new QTableView(this);
    m_grid->setObjectName(QStringLiteral("DBGrid_Poznamky"));
    m_model = new DatasetTableModel(&m_notes,
                                    {{QStringLiteral("Datum"), QStringLiteral("datum"), 90, QString()},
                                     {QStringLiteral("Název"), QStringLiteral("nazev"), 400, QString()}},
                                    this);
    setUpDatasetGrid(m_grid, m_model, QAbstractItemView::SingleSelection);
    layout->addWidget(m_grid, 1);

    auto *panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    auto *row = new QHBoxLayout(panel);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(new QLabel(QStringLiteral("Datum:"), panel));
    m_datum = new QDateEdit(panel);
    m_datum->setObjectName(QStringLiteral("DBDateTimePicker1"));
    m_datum->setCalendarPopup(true);
    row->addWidget(m_datum);
    row->addWidget(new QLabel(QStringLiteral("Název:"), panel));
    m_nazev = new QLineEdit(panel);
    m_nazev->setObjectName(QStringLiteral("DBEdit1"));
    m_nazev->setMaxLength(255);
    row->addWidget(m_nazev, 1);
    m_templatesButton = new QPushButton(QStringLiteral("Šablony"), panel);
    m_templatesButton->setObjectName(QStringLiteral("Sablony_Button"));
    row->addWidget(m_templatesButton);
    layout->addWidget(panel);

    m_editor = new QTextEdit(this);
    m_editor->setObjectName(QStringLiteral("DBRichEdit1"));
    m_editor->setAcceptRichText(true);
    layout->addWidget(m_editor, 2);

    auto *binder = new DatasetFieldBinder(&m_notes, this);
    binder->bind(m_datum, QStringLiteral("datum"));
    binder->bind(m_nazev, QStringLiteral("nazev"));

    m_templateMenu = new QMenu(this);
    m_templateMenu->setObjectName(QStringLiteral("Sablony_PopupMenu"));
    connect(m_templatesButton, &QPushButton::clicked, this,
            [this] { rebuildTemplateMenu()->popup(QCursor::pos()); });

    connect(m_navigator, &TDBNavigator::clicked, this, [this](TDBNavigator::Button button) {
        if (button == TDBNavigator::Insert)
            m_nazev->setFocus();
    });
    // A new note belongs to the pupil whose notes are shown, even when the roster has moved on since.
    m_insertRule = m_notes.on(Dataset::Event::AfterInsert, [this](Dataset &notes) {
        const QVariant pupil = notes.parameter(QStringLiteral("par_id_zaka"));
        if (!isNull(pupil))
            notes.setValue(QStringLiteral("id_zaka"), pupil);
    });
    for (auto signal : {&Dataset::currentRowChanged, &Dataset::rowChanged})
        connect(&m_notes, signal, this, &TZak_Form::loadNote);
    connect(&m_notes, &Dataset::stateChanged, this, &TZak_Form::loadNote);
    connect(&m_notes, &Dataset::resetDone, this, &TZak_Form::loadNote);
    connect(&m_notes, &Dataset::fieldChanged, this, &TZak_Form::loadNote);
    connect(m_editor, &QTextEdit::textChanged, this, &TZak_Form::storeNote);
    connect(&m_dm, &TDM::rowsDeleted, this, &TZak_Form::followDeletion);
    EditGuard::installPostKeys(panel, m_notes);
    loadNote();
}

TZak_Form::~TZak_Form() {
    m_notes.removeHandler(m_insertRule);
}

bool TZak_Form::openForCurrentPupil() {
    Dataset &roster = m_dm.Zak_Query();
    if (!roster.isOpen() || roster.currentRow() < 0)
        return false;
    loadPupil(roster.value(QStringLiteral("ID")));
    showAlongside(this);
    return true;
}

void TZak_Form::loadPupil(const QVariant &pupilId) {
    m_notes.setParameter(QStringLiteral("par_id_zaka"), pupilId);
    m_dm.RefreshDataset(m_notes);
    setWindowTitle(QStringLiteral("Záznamy žáka – ") + m_dm.roster().pupilName(pupilId.toLongLong()));
}

void TZak_Form::followDeletion() {
    const QVariant pupil = pupilId();
    if (isNull(pupil) || !m_dm.roster().pupilName(pupil.toLongLong()).isEmpty())
        return;
    // The pupil is gone, and so are the notes: show nothing and offer nothing to write.
    if (m_notes.isEditing())
        m_notes.cancel();
    m_notes.setParameter(QStringLiteral("par_id_zaka"), QVariant());
    m_dm.RefreshDataset(m_notes);
    setWindowTitle(QStringLiteral("Záznamy žáka"));
    hide();
}

QVariant TZak_Form::pupilId() const {
    return m_notes.parameter(QStringLiteral("par_id_zaka"));
}

QMenu *TZak_Form::rebuildTemplateMenu() {
    m_templateMenu->clear();
    Dataset &templates = m_dm.Sablony_AdoQuery();
    if (!templates.isOpen())
        m_dm.RefreshDataset(templates);
    const int id = templates.fieldIndex(QStringLiteral("id"));
    const int name = templates.fieldIndex(QStringLiteral("nazev_sablony"));
    for (int row = 0; row < templates.recordCount(); ++row) {
        QString caption = templates.value(row, name).toString();
        QAction *action = m_templateMenu->addAction(caption.replace(u'&', QStringLiteral("&&")));
        const QVariant templateId = templates.value(row, id);
        action->setData(templateId);
        connect(action, &QAction::triggered, this, [this, templateId] { insertTemplate(templateId); });
    }
    return m_templateMenu;
}

void TZak_Form::insertTemplate(const QVariant &templateId) {
    Dataset &templates = m_dm.Sablony_AdoQuery();
    const int row = templates.find(QStringLiteral("id"), templateId);
    if (row < 0 || !m_notes.isOpen())
        return;
    if (!m_notes.isEditing() && !m_notes.edit())
        return;
    const QString text =
        templates.value(row, templates.fieldIndex(QStringLiteral("text_sablony"))).toString();
    m_notes.setValue(kNote, NoteTemplate::prepend(text, m_notes.value(kNote).toString()));
}

void TZak_Form::loadNote() {
    if (m_loading)
        return;
    m_loading = true;
    const bool editing = m_notes.isEditing();
    const QVariant value = m_notes.value(kNote);
    const QString text = isNull(value) ? QString() : value.toString();
    // The editor keeps its cursor and undo history while it shows what it wrote itself.
    if (text != m_shownNote || text.isEmpty() != m_editor->document()->isEmpty()) {
        if (NoteTemplate::isFormatted(text))
            m_editor->setHtml(text);
        else
            m_editor->setPlainText(QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
        m_shownNote = text;
    }
    m_editor->setReadOnly(!editing);
    m_loading = false;
}

void TZak_Form::storeNote() {
    if (m_loading || !m_notes.isEditing())
        return;
    const QString html = m_editor->document()->isEmpty() ? QString() : m_editor->toHtml();
    m_shownNote = html;
    m_loading = true;
    m_notes.setValue(kNote, html.isEmpty() ? QVariant() : QVariant(html));
    m_loading = false;
}

void TZak_Form::keyPressEvent(QKeyEvent *event) {
    // The card does not close on Esc: a note being written would be left behind.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TZak_Form::hideEvent(QHideEvent *event) {
    // Closing the card keeps what was written.
    if (m_notes.isEditing())
        m_notes.post();
    QDialog::hideEvent(event);
}
