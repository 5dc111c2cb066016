#include "documents/ListinyForm.h"

#include "data/AppContext.h"
#include "data/DataModule.h"
#include "data/DatasetTableModel.h"
#include "documents/ClassDocuments.h"
#include "documents/DocumentGrid.h"
#include "platform/Prompter.h"
#include "platform/Shell.h"
#include "widgets/DBNavigator.h"
#include "widgets/DatasetFieldBinder.h"
#include "widgets/DatasetGrid.h"
#include "widgets/EditGuard.h"

#include <QAction>
#include <QDateEdit>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QShortcut>
#include <QStatusBar>
#include <QVBoxLayout>

namespace {

const QString kSociogramNotReady =
    QStringLiteral("Okno sociogramu se teprve připravuje; soubor otevřete v jiném programu.");

} // namespace

TListiny_Form::TListiny_Form(AppContext &context, QWidget *parent)
    : QDialog(parent), m_context(context), m_dm(*context.dm), m_documents(context.dm->Listiny_ADOQuery()) {
    setObjectName(QStringLiteral("TListiny_Form"));
    setWindowTitle(QStringLiteral("Listiny"));
    resize(560, 480);

    auto *layout = new QVBoxLayout(this);
    auto *menuBar = new QMenuBar(this);
    layout->setMenuBar(menuBar);
    QMenu *file = menuBar->addMenu(QStringLiteral("&Soubor"));
    file->setObjectName(QStringLiteral("Soubor_Menu"));
    m_templates = file->addMenu(QStringLiteral("Nový ze &šablony"));
    m_templates->setObjectName(QStringLiteral("NovyZeSablony_Menu"));
    file->addAction(QStringLiteral("&Načíst soubor z disku"), this, &TListiny_Form::loadFromDisk)
        ->setObjectName(QStringLiteral("NacistZDisku_Action"));
    for (const ClassDocuments::BlankDocument &blank : ClassDocuments::blankDocuments())
        file->addAction(blank.caption, this, [this, blank] { newBlank(blank); })
            ->setObjectName(blank.objectName);
    file->addAction(QStringLiteral("&Otevřít listinu výchozím prohlížečem"), this,
                    &TListiny_Form::openDocument)
        ->setObjectName(QStringLiteral("Otevrit_Action"));
    file->addAction(QStringLiteral("Otevřít &adresář listiny třídy"), this, &TListiny_Form::openClassFolder)
        ->setObjectName(QStringLiteral("OtevritAdresar_Action"));
    rebuildTemplates();

    m_navigator = new TDBNavigator(this);
    m_navigator->setObjectName(QStringLiteral("DBNavigator1"));
    m_navigator->setDataset(&m_documents);
    m_navigator->setVisibleButtons({TDBNavigator::Insert, TDBNavigator::Delete, TDBNavigator::Edit,
                                    TDBNavigator::Post, TDBNavigator::Cancel});
    m_navigator->setHints({QString(), QString(), QString(), QString(), QStringLiteral("Vložit"),
                           QStringLiteral("Smazat"), QStringLiteral("Editovat"), QStringLiteral("Uložit"),
                           QStringLiteral("Storno"), QString()});
    DecorateNavigator(m_navigator, navigatorPictures(), QStringLiteral("Načíst listinu"), true);
    // The insert button runs the insertion through this window, so that the new row becomes current.
    m_navigator->setBeforeAction([this](TDBNavigator::Button button) {
        if (button != TDBNavigator::Insert)
            return true;
        runInsertion();
        return false;
    });
    layout->addWidget(m_navigator);

    m_panel = new QWidget(this);
    m_panel->setObjectName(QStringLiteral("Panel"));
    auto *form = new QFormLayout(m_panel);
    form->setContentsMargins(0, 0, 0, 0);
    auto *title = new QLineEdit(m_panel);
    title->setObjectName(QStringLiteral("Nazev_DBEdit"));
    auto *date = new QDateEdit(m_panel);
    date->setObjectName(QStringLiteral("Datum_DBDateTimePicker"));
    date->setCalendarPopup(true);
    form->addRow(QStringLiteral("Název listiny"), title);
    form->addRow(QStringLiteral("Datum listiny"), date);
    layout->addWidget(m_panel);
    auto *binder = new DatasetFieldBinder(&m_documents, this);
    binder->bind(title, QStringLiteral("nazev"));
    binder->bind(date, QStringLiteral("datum"));
    EditGuard::installPostKeys(m_panel, m_documents);

    m_grid = new DocumentGrid(this);
    m_grid->setObjectName(QStringLiteral("DBGrid1"));
    m_model = new DatasetTableModel(&m_documents,
                                    {{QStringLiteral("Datum"), QStringLiteral("datum"), 91, QString()},
                                     {QStringLiteral("Název"), QStringLiteral("nazev"), 414, QString()}},
                                    this);
    setUpDatasetGrid(m_grid, m_model, QAbstractItemView::SingleSelection);
    m_grid->setDraggedFile([this] { return currentDocumentFile(); });
    connect(m_grid, &QAbstractItemView::doubleClicked, this, &TListiny_Form::openDocument);
    // A drop is taken after the drag has ended: the insertion asks for a title, which must not happen
    // while the file browser still waits for the drop to finish.
    connect(m_grid, &DocumentGrid::filesDropped, this, &TListiny_Form::takeDroppedFiles,
            Qt::QueuedConnection);
    layout->addWidget(m_grid, 1);

    m_statusBar = new QStatusBar(this);
    m_statusBar->setObjectName(QStringLiteral("StatusBar1"));
    m_statusBar->setSizeGripEnabled(false);
    // A permanent label: status tips of the menus do not wipe the path.
    m_path = new QLabel(m_statusBar);
    m_path->setObjectName(QStringLiteral("Cesta_Label"));
    m_path->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_statusBar->addWidget(m_path, 1);
    layout->addWidget(m_statusBar);

    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &TListiny_Form::reject);
    connect(&m_documents, &Dataset::stateChanged, this, &TListiny_Form::followState);
    for (auto signal : {&Dataset::currentRowChanged, &Dataset::rowChanged})
        connect(&m_documents, signal, this, &TListiny_Form::showPath);
    connect(&m_documents, &Dataset::resetDone, this, &TListiny_Form::showPath);
    connect(&m_dm, &TDM::documentPathChanged, this, &TListiny_Form::showPath);
    // A document handed in from another window, and the user wants to see the register: after the
    // insertion has ended, not inside it.
    connect(
        &m_dm, &TDM::showDocumentsRequested, this,
        [this] {
            if (!isVisible())
                exec();
        },
        Qt::QueuedConnection);
    // The insertion asks whether to show this window only when it is not showing.
    m_dm.watchWindow(this);
    followState();
}

QString TListiny_Form::currentDocumentFile() const {
    if (!m_documents.isOpen() || m_documents.currentRow() < 0 ||
        m_documents.state() == Dataset::State::Insert)
        return QString();
    const QString stored = m_documents.text(QStringLiteral("cesta"));
    QVariant classId = m_documents.value(QStringLiteral("id_tridy"));
    if (classId.isNull())
        classId = m_dm.currentClassId();
    if (stored.isEmpty() || classId.isNull())
        return QString();
    return m_dm.documents().documentPath(classId.toLongLong(), stored);
}

void TListiny_Form::showTemplatesHelp() {
    m_context.prompter->message(QStringLiteral(
        "Zde je seznam Vašich šablon. Nahrejte soubory do složky, která se nyní otevře a poté toto "
        "okno znovu otevřete."));
    QDir().mkpath(m_context.folders.sablonyFolder());
    m_context.shell->openFolder(m_context.folders.sablonyFolder());
}

void TListiny_Form::newFromTemplate(const QString &path) {
    if (m_documents.isEditing())
        return; // a title being edited is saved or dropped first
    const qint64 before = largestId();
    if (ClassDocuments::newDocument(m_dm, path, QFileInfo(path).fileName()) != 0)
        showNewRow(before);
}

void TListiny_Form::newBlank(const ClassDocuments::BlankDocument &blank) {
    if (m_documents.isEditing())
        return;
    const qint64 before = largestId();
    if (ClassDocuments::newDocument(m_dm, m_context.folders.dataFolder + blank.source, blank.storedName) != 0)
        showNewRow(before);
}

void TListiny_Form::loadFromDisk() {
    runInsertion();
}

void TListiny_Form::openDocument() {
    if (m_documents.isEditing())
        return;
    const QString path = currentDocumentFile();
    if (path.isEmpty())
        return;
    if (!ClassDocuments::isSociogramFile(path)) {
        m_context.shell->openFile(path); // a missing file is the shell's to report
        return;
    }
    if (!m_openSociogram) {
        m_context.prompter->message(kSociogramNotReady, windowTitle(), Prompter::Icon::Information);
        return;
    }
    // The register closes first; the sociogram window opens once its modal loop has ended.
    done(QDialog::Accepted);
    QMetaObject::invokeMethod(
        this, [opener = m_openSociogram, path] { opener(path); }, Qt::QueuedConnection);
}

void TListiny_Form::openClassFolder() {
    const QVariant classId = m_dm.currentClassId();
    if (classId.isNull()) {
        m_context.prompter->message(ClassDocuments::noClassMessage());
        return;
    }
    const QString folder = m_context.folders.classFolder(classId.toLongLong());
    QDir().mkpath(folder);
    m_context.shell->openFolder(folder);
}

void TListiny_Form::takeDroppedFiles(const QStringList &paths) {
    if (paths.isEmpty() || m_documents.isEditing())
        return;
    raise();
    activateWindow();
    m_dm.setPendingListinaFile(paths.first());
    runInsertion();
}

void TListiny_Form::runInsertion() {
    if (m_documents.isEditing())
        return;
    if (!m_documents.isOpen())
        m_dm.RefreshDataset(m_documents);
    const qint64 before = largestId();
    m_documents.insert(); // the data module's rule asks, copies, registers and cancels the insert itself
    m_dm.setPendingListinaFile(QString());
    showNewRow(before);
}

void TListiny_Form::showNewRow(qint64 before) {
    const qint64 after = largestId();
    if (after > before)
        m_documents.locate(QStringLiteral("ID"), after);
    showPath();
}

qint64 TListiny_Form::largestId() const {
    const int column = m_documents.fieldIndex(QStringLiteral("ID"));
    qint64 largest = 0;
    for (int row = 0; column >= 0 && row < m_documents.recordCount(); ++row)
        largest = qMax(largest, m_documents.value(row, column).toLongLong());
    return largest;
}

void TListiny_Form::rebuildTemplates() {
    m_templates->clear();
    m_templates->addAction(QStringLiteral("&Nápověda"), this, &TListiny_Form::showTemplatesHelp)
        ->setObjectName(QStringLiteral("SablonyNapoveda_Action"));
    for (const QString &path : ClassDocuments::templateFiles(m_context.folders)) {
        QString caption = QFileInfo(path).fileName();
        caption.replace(u'&', QStringLiteral("&&")); // a file name is not a mnemonic
        QAction *item = m_templates->addAction(caption, this, [this, path] { newFromTemplate(path); });
        item->setData(path);
    }
}

void TListiny_Form::followState() {
    const bool editing = m_documents.isEditing();
    m_panel->setVisible(editing);
    m_grid->setEnabled(!editing);
    showPath();
}

QString TListiny_Form::shownPath() const {
    return m_path->text();
}

void TListiny_Form::showPath() {
    m_path->setText(currentDocumentFile());
}

void TListiny_Form::showEvent(QShowEvent *event) {
    // Nothing handed in earlier and left over may be taken by the next insertion.
    m_dm.setPendingListinaFile(QString());
    m_dm.setPendingListinaName(QString());
    rebuildTemplates();
    showPath();
    QDialog::showEvent(event);
}

void TListiny_Form::reject() {
    if (EditGuard::mayClose(m_documents, *m_context.prompter))
        QDialog::reject();
}
