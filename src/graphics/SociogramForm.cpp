#include "graphics/SociogramForm.h"

#include "data/AppContext.h"
#include "data/DataModule.h"
#include "data/DatabaseError.h"
#include "graph/GraphCanvas.h"
#include "graph/GraphDocument.h"
#include "graph/GraphExport.h"
#include "graph/NodeShapes.h"
#include "graphics/GraphFileMessage.h"
#include "graphics/PictureFiles.h"
#include "graphics/PrintPreview.h"
#include "graphics/SessionQuestionMenus.h"
#include "graphics/SociogramStatusColours.h"
#include "graphics/SociogramTargetLayout.h"
#include "graphics/VlastnostiForm.h"
#include "picture/PagedDocument.h"
#include "platform/Prompter.h"
#include "widgets/AnonymousSwitch.h"
#include "widgets/MenuToolButton.h"

#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QStyle>
#include <QToolBar>

#include "widgets/AnonymousSwitch.h"
#include "widgets/WindowFrame.h"
#include <QToolButton>
#include <QUndoCommand>
#include <QUndoStack>
#include <QVBoxLayout>
#include <QWheelEvent>

namespace {

const QString kGraphFilter = QStringLiteral("Sociogram Graph Files (*.sgp);;All Files (*)");
const QString kApplicationTitle = QStringLiteral("Orbelis");

// A hand edit as the whole graph before and after it. Restoring keeps the objects' IDs, so the canvas's
// own move steps further down the stack still find their objects.
class SnapshotCommand final : public QUndoCommand {
public:
    SnapshotCommand(TGraphCanvas *canvas, QByteArray before, QByteArray after, const QString &text)
        : QUndoCommand(text), m_canvas(canvas), m_before(std::move(before)), m_after(std::move(after)) {}
    void undo() override { restore(m_before); }
    void redo() override {
        if (m_done)
            restore(m_after);
        m_done = true; // pushed after the change was made
    }

private:
    void restore(const QByteArray &bytes) {
        // Reading a graph empties the canvas first, which would also empty the history being walked.
        GraphDocument *document = m_canvas->Document();
        QUndoStack *stack = m_canvas->UndoStack();
        QObject::disconnect(document, &GraphDocument::cleared, stack, &QUndoStack::clear);
        document->LoadFromBytes(bytes);
        QObject::connect(document, &GraphDocument::cleared, stack, &QUndoStack::clear);
    }

    TGraphCanvas *m_canvas;
    QByteArray m_before;
    QByteArray m_after;
    bool m_done = false;
};

} // namespace

TSociogram_Form::TSociogram_Form(AppContext &context, QWidget *parent)
    : QDialog(parent), m_context(context), m_dm(*context.dm), m_builder(*context.dm) {
    setObjectName(QStringLiteral("TSociogram_Form"));
    setWindowTitle(QStringLiteral("Sociogram"));
    resize(1127, 648);
    m_builder.setBusyCaption = [this](const QString &caption) {
        if (QWidget *main = parentWidget())
            main->setWindowTitle(caption);
    };

    const WindowFrame frame = makeWindowFrame(this);
    QVBoxLayout *layout = frame.layout;
    QMenuBar *menuBar = frame.menuBar;
    QToolBar *toolBar = frame.toolBar;
    m_canvas = new TGraphCanvas(this);
    m_canvas->setObjectName(QStringLiteral("FGraph"));
    layout->addWidget(m_canvas, 1);

    buildMenus(menuBar);
    buildToolBar(toolBar);

    auto *canvasMenu = new QMenu(this);
    canvasMenu->setObjectName(QStringLiteral("PopupMenu1"));
    canvasMenu->addAction(QStringLiteral("Kopírovat do schránky Windows"), this,
                          &TSociogram_Form::copyToClipboard);
    m_canvas->SetPopupMenu(canvasMenu);
    m_canvas->SetObjectPopupMenu(canvasMenu);
    connect(m_canvas, &TGraphCanvas::objectDblClick, this, &TSociogram_Form::editText);
    m_canvas->installEventFilter(this);
    m_canvas->viewport()->installEventFilter(this);

    QAction *undo = m_canvas->UndoStack()->createUndoAction(this, QStringLiteral("Zpět"));
    undo->setObjectName(QStringLiteral("Undo"));
    undo->setShortcut(QKeySequence::Undo);
    addAction(undo);
    QAction *redo = m_canvas->UndoStack()->createRedoAction(this, QStringLiteral("Znovu"));
    redo->setObjectName(QStringLiteral("Redo"));
    redo->setShortcut(QKeySequence::Redo);
    addAction(redo);
}

TSociogram_Form::~TSociogram_Form() = default;

GraphDocument &TSociogram_Form::document() const {
    return *m_canvas->Document();
}

QMenu *TSociogram_Form::sessionMenu() const {
    return m_menus->sessionMenu();
}

QMenu *TSociogram_Form::questionMenu() const {
    return m_menus->questionMenu();
}

QAction *TSociogram_Form::action(const QString &objectName) const {
    return findChild<QAction *>(objectName);
}

void TSociogram_Form::buildMenus(QMenuBar *menuBar) {
    QMenu *file = menuBar->addMenu(QStringLiteral("Soubor"));
    auto add = [this](QMenu *menu, const char *name, const QString &caption, auto slot) {
        QAction *item = menu->addAction(caption, this, slot);
        item->setObjectName(QString::fromLatin1(name));
        return item;
    };
    add(file, "Otevrit1", QStringLiteral("Otevřít zdrojová data"), &TSociogram_Form::openGraph);
    add(file, "Ulozit1", QStringLiteral("Uložit zdrojová data na disk"), &TSociogram_Form::saveGraph);
    add(file, "UlozitListiny1", QStringLiteral("Uložit zdrojová data do Listin"),
        &TSociogram_Form::saveGraphToDocuments);
    add(file, "JPG1", QStringLiteral("Uložit do obrázku JPG na disk"),
        [this] { savePicture(QStringLiteral("jpg")); });
    add(file, "JPGListiny1", QStringLiteral("Uložit do obrázku JPG do Listin"),
        [this] { savePictureToDocuments(QStringLiteral("jpg")); });
    add(file, "EMF1", QStringLiteral("Uložit do obrázku EMF na disk"),
        [this] { savePicture(QStringLiteral("emf")); });
    add(file, "EMFListiny1", QStringLiteral("Uložit do obrázku EMF do Listin"),
        [this] { savePictureToDocuments(QStringLiteral("emf")); });
    add(file, "PDF1", QStringLiteral("Uložit jako PDF"), [this] { savePicture(QStringLiteral("pdf")); });
    add(file, "PDFListiny1", QStringLiteral("Uložit jako PDF do Listin"),
        [this] { savePictureToDocuments(QStringLiteral("pdf")); });
    add(file, "Tisk1", QStringLiteral("Tisk"), &TSociogram_Form::print);

    QMenu *view = menuBar->addMenu(QStringLiteral("Nastavení zobrazení"));
    add(view, "UsporadatNahodne1", QStringLiteral("Uspořádat náhodně"), &TSociogram_Form::arrange);
    add(view, "UsporadatPrehledne1", QStringLiteral("Uspořádat přehledně"), &TSociogram_Form::arrangeClearly);
    QAction *fit = add(view, "PrizpusobitOknu1", QStringLiteral("Přizpůsobit oknu"), &TSociogram_Form::fitToWindow);
    fit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_0));
    fit->setShortcutContext(Qt::WindowShortcut);
    view->addSeparator();
    m_koeficientMenu = view->addMenu(QStringLiteral("Umístění bublin"));
    m_koeficientMenu->setObjectName(QStringLiteral("Umstnbublin1"));
    add(m_koeficientMenu, "Npovda1", QStringLiteral("Nápověda..."), [this] {
        m_context.prompter->message(SociogramBuilder::arrangementHelp(), QString(),
                                    Prompter::Icon::Information);
    });
    m_koeficientGroup = new QActionGroup(this);
    for (const KoeficientItem &item : SociogramArrangement::koeficientItems()) {
        QAction *a = m_koeficientMenu->addAction(item.caption);
        a->setObjectName(item.objectName);
        a->setCheckable(true);
        a->setData(item.value);
        a->setChecked(item.value == m_builder.arrangement().choice());
        m_koeficientGroup->addAction(a);
    }
    connect(m_koeficientGroup, &QActionGroup::triggered, this, &TSociogram_Form::chooseKoeficient);
    m_koeficientMenu->addSeparator();
    m_keptLayoutMenu = m_koeficientMenu->addMenu(QStringLiteral("Zachovat rozmístění podle…"));
    m_keptLayoutMenu->setObjectName(QStringLiteral("ZachovatRozmisteni_Popup"));
    m_keptLayoutGroup = new QActionGroup(this);
    connect(m_keptLayoutGroup, &QActionGroup::triggered, this, &TSociogram_Form::keepLayoutOf);
    connect(m_keptLayoutMenu, &QMenu::aboutToShow, this, &TSociogram_Form::refillKeptLayoutMenu);
    add(m_koeficientMenu, "ZapamatovatRozmisteni1", QStringLiteral("Zapamatovat rozmístění"),
        &TSociogram_Form::rememberLayout);
    m_lostTiesItem = m_koeficientMenu->addAction(QStringLiteral("Ukázat zaniklé vazby"));
    m_lostTiesItem->setObjectName(QStringLiteral("UkazatZanikleVazby1"));
    m_lostTiesItem->setCheckable(true);
    m_lostTiesItem->setChecked(m_builder.lostTiesShown());
    connect(m_lostTiesItem, &QAction::triggered, this, &TSociogram_Form::showLostTies);
    m_statusItem = view->addAction(QStringLiteral("Obarvit podle sociometrického statusu"));
    m_statusItem->setObjectName(QStringLiteral("ObarvitStatus1"));
    m_statusItem->setCheckable(true);
    m_statusItem->setChecked(m_builder.statusColours());
    connect(m_statusItem, &QAction::triggered, this, &TSociogram_Form::showStatusColours);
    m_groupItem = view->addAction(QStringLiteral("Obarvit podle skupin"));
    m_groupItem->setObjectName(QStringLiteral("ObarvitSkupiny1"));
    m_groupItem->setCheckable(true);
    m_groupItem->setChecked(m_builder.groupColours());
    connect(m_groupItem, &QAction::triggered, this, &TSociogram_Form::showGroupColours);
    m_builder.groupsOf = [this](qint64 session) { return m_context.shownGroups.value(session); };
    QAction *anonymous = makeAnonymousSwitch(this);
    view->addAction(anonymous);
    connect(anonymous, &QAction::triggered, this, [this](bool on) {
        m_builder.setAnonymous(on);
        if (m_shownQuestion && m_builder.holdsBuild(document()))
            chooseQuestion(m_shownQuestion);
    });
    connect(m_canvas->UndoStack(), &QUndoStack::indexChanged, this, &TSociogram_Form::followStatusColours);

    m_menus = new SessionQuestionMenus(m_dm, SessionQuestionMenus::Wordings::Each, this);
    connect(m_menus, &SessionQuestionMenus::questionChosen, this, &TSociogram_Form::chooseQuestion);
    connect(m_menus->sessionGroup(), &QActionGroup::triggered, this, &TSociogram_Form::refillKeptLayoutMenu);
    refillKeptLayoutMenu();

    m_relationMenu = new QMenu(this);
    m_relationMenu->setObjectName(QStringLiteral("Vztahy_PopupMenu"));
    add(m_relationMenu, "Klasickvztah1", QStringLiteral("Klasický vztah"),
        [this] { addRelation(SociogramRelation::Classic); });
    add(m_relationMenu, "Oboustrannvztah1", QStringLiteral("Reciproční vztah"),
        [this] { addRelation(SociogramRelation::Reciprocal); });
    add(m_relationMenu, "Ambivalentnvztah1", QStringLiteral("Ambivalentní vztah"),
        [this] { addRelation(SociogramRelation::Ambivalent); });
}

void TSociogram_Form::buildToolBar(QToolBar *toolBar) {
    QStyle *s = style();
    m_menus->addToolButtons(toolBar, 102);
    auto button = [&](const char *name, const QString &caption, QStyle::StandardPixmap icon, auto slot) {
        auto *b = new QToolButton(toolBar);
        b->setObjectName(QString::fromLatin1(name));
        b->setText(caption);
        b->setIcon(s->standardIcon(icon));
        b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        b->setMinimumSize(102, 36);
        connect(b, &QToolButton::clicked, this, slot);
        toolBar->addWidget(b);
    };
    button("Barva", QStringLiteral("Barva"), QStyle::SP_DesktopIcon, &TSociogram_Form::recolourSelection);
    addMenuToolButton(toolBar, QStringLiteral("Vztahy_ToolButton"), QStringLiteral("Vztahy"),
                      s->standardIcon(QStyle::SP_ArrowRight), m_relationMenu, 102);
    button("NovyObjekt", QStringLiteral("Nový objekt"), QStyle::SP_FileIcon, &TSociogram_Form::addObject);
    button("SmazatObjekt", QStringLiteral("Smazat objekt"), QStyle::SP_TrashIcon,
           &TSociogram_Form::deleteSelection);
    button("Priblizit", QStringLiteral("Přiblížit"), QStyle::SP_ArrowUp, [this] { zoomBy(10); });
    button("Oddalit", QStringLiteral("Oddálit"), QStyle::SP_ArrowDown, [this] { zoomBy(-10); });
    button("PrizpusobitOknu", QStringLiteral("Přizpůsobit oknu"), QStyle::SP_TitleBarMaxButton,
           &TSociogram_Form::fitToWindow);
    button("UsporadatNahodne", QStringLiteral("Uspořádat náhodně"), QStyle::SP_BrowserReload,
           &TSociogram_Form::arrange);
    button("UsporadatPrehledne", QStringLiteral("Uspořádat přehledně"), QStyle::SP_DialogApplyButton,
           &TSociogram_Form::arrangeClearly);
    addMenuToolButton(toolBar, QStringLiteral("ZachovatRozmisteni_ToolButton"),
                      QStringLiteral("Zachovat rozmístění"),
                      s->standardIcon(QStyle::SP_FileDialogDetailedView), m_keptLayoutMenu, 102);
}

void TSociogram_Form::showInstructions() {
    m_builder.forgetBuild();
    SociogramBuilder::showInstructions(document());
}

void TSociogram_Form::showEvent(QShowEvent *event) {
    refillSessionMenu();
    QDialog::showEvent(event);
}

void TSociogram_Form::refillSessionMenu() {
    m_menus->refill();
    refillKeptLayoutMenu();
}

void TSociogram_Form::refillKeptLayoutMenu() {
    const std::optional<qint64> kept = m_builder.keptLayoutOf();
    const QAction *session = m_menus->checkedSession();
    const QString chosen = session ? session->property("Value").toString() : QString();
    m_keptLayoutMenu->clear();
    bool listed = false;
    auto addItem = [this](const QString &caption, const QString &value) {
        QAction *item = m_keptLayoutMenu->addAction(caption);
        item->setCheckable(true);
        item->setProperty("Value", value);
        m_keptLayoutGroup->addAction(item);
        return item;
    };
    for (const SociogramMenuItem &item : m_builder.sessionItems()) {
        if (item.value == chosen)
            continue;
        const bool isKept = kept && item.value == QString::number(*kept);
        addItem(item.caption, item.value)->setChecked(isKept);
        listed = listed || isKept;
    }
    m_keptLayoutMenu->addSeparator();
    QAction *off = addItem(QStringLiteral("Nezachovávat"), QString());
    off->setObjectName(QStringLiteral("Nezachovavat1"));
    if (!listed) {
        m_builder.setKeptLayoutOf(std::nullopt);
        off->setChecked(true);
    }
}

void TSociogram_Form::keepLayoutOf(QAction *item) {
    item->setChecked(true);
    bool ok = false;
    const qint64 sessionId = item->property("Value").toString().toLongLong(&ok);
    m_builder.setKeptLayoutOf(ok ? std::optional<qint64>(sessionId) : std::nullopt);
    if (m_shownQuestion && m_builder.holdsBuild(document()))
        chooseQuestion(m_shownQuestion);
}

void TSociogram_Form::rememberLayout() {
    try {
        if (m_builder.rememberLayout(document()))
            m_context.prompter->message(QStringLiteral("Rozmístění sociogramu je zapamatováno."), QString(),
                                        Prompter::Icon::Information);
        else
            m_context.prompter->message(
                QStringLiteral("Zapamatovat lze jen rozmístění sociogramu sestaveného z vyhodnocení "
                               "(Vyhodnocení a Otázka)."),
                QString(), Prompter::Icon::Information);
    } catch (const DatabaseError &e) {
        showError(QStringLiteral("Rozmístění se nepodařilo zapamatovat. ") + e.message());
    }
}

void TSociogram_Form::rememberSavedLayout() {
    try {
        m_builder.rememberLayout(document());
    } catch (const DatabaseError &e) {
        showError(QStringLiteral("Rozmístění se nepodařilo zapamatovat. ") + e.message());
    }
}

void TSociogram_Form::showLostTies(bool on) {
    m_builder.setLostTiesShown(on);
    GraphDocument &doc = document();
    if (!on) {
        handEdit(QStringLiteral("Bez zaniklých vazeb"), [&] { SociogramBuilder::hideLostTies(doc); });
        return;
    }
    if (m_builder.holdsBuild(doc) && m_builder.keptLayout())
        handEdit(QStringLiteral("Zaniklé vazby"), [&] { m_builder.showLostTies(doc); });
    else if (m_builder.holdsBuild(doc))
        m_context.prompter->message(
            QStringLiteral(
                "Zaniklé vazby se ukážou u sociogramu, který zachovává rozmístění podle dřívějšího "
                "vyhodnocení (Umístění bublin → Zachovat rozmístění podle…)."),
            QString(), Prompter::Icon::Information);
}

void TSociogram_Form::chooseSession(QAction *item) {
    m_menus->chooseSession(item);
}

void TSociogram_Form::chooseQuestion(QAction *item) {
    QAction *session = m_menus->checkedSession();
    if (!session)
        return;
    if (!mayDiscardEdits()) {
        // The menu keeps telling what the canvas shows.
        if (m_shownQuestion)
            m_shownQuestion->setChecked(true);
        else
            item->setChecked(false);
        return;
    }
    item->setChecked(true);
    m_shownQuestion = item;
    bool built = false;
    try {
        built = m_builder.build(document(), session->property("Value").toString(),
                                item->property("Value").toString());
    } catch (const DatabaseError &e) {
        showError(QStringLiteral("Sociogram se nepodařilo sestavit. ") + e.message());
    }
    if (built)
        fitToWindow();
    if (built && !m_builder.keptLayoutNote().isEmpty())
        m_context.prompter->message(m_builder.keptLayoutNote(), QString(), Prompter::Icon::Information);
}

void TSociogram_Form::chooseKoeficient(QAction *item) {
    item->setChecked(true);
    m_builder.arrangement().setChoice(item->data().toInt());
    if (m_context.prompter->askYesNo(QStringLiteral("Chcete přeuspořádat sociogram?"),
                                     QStringLiteral("Uspořádání sociogramu")))
        arrange();
}

void TSociogram_Form::showStatusColours(bool on) {
    showFrames(SociogramStatusColours::Kind::Status, on);
}

void TSociogram_Form::showGroupColours(bool on) {
    showFrames(SociogramStatusColours::Kind::Groups, on);
}

void TSociogram_Form::showFrames(SociogramStatusColours::Kind kind, bool on) {
    const bool status = kind == SociogramStatusColours::Kind::Status;
    if (status)
        m_builder.setStatusColours(on);
    else
        m_builder.setGroupColours(on);
    // One colouring at a time.
    m_statusItem->setChecked(m_builder.statusColours());
    m_groupItem->setChecked(m_builder.groupColours());
    GraphDocument &doc = document();
    if (!on) {
        handEdit(status ? QStringLiteral("Bez obarvení podle statusu")
                        : QStringLiteral("Bez obarvení podle skupin"),
                 [&] { SociogramBuilder::hideStatusColours(doc); });
        return;
    }
    if (m_builder.holdsBuild(doc)) {
        if (status)
            handEdit(QStringLiteral("Obarvení podle statusu"), [&] { m_builder.showStatusColours(doc); });
        else
            handEdit(QStringLiteral("Obarvení podle skupin"), [&] { m_builder.showGroupColours(doc); });
        return;
    }
    // A sociogram read from a file does not say which pupil each bubble is; the instructions need no word.
    bool bubbles = false;
    for (const TGraphObject *object : doc.Objects())
        bubbles = bubbles || (object->IsNode() && SociogramArrangement::isBubbleColor(object->Brush().Color));
    if (bubbles)
        m_context.prompter->message(
            (status ? QStringLiteral("Podle sociometrického statusu") : QStringLiteral("Podle skupin")) +
                QStringLiteral(" lze obarvit jen sociogram sestavený z vyhodnocení (Vyhodnocení a Otázka). "
                               "Obarví se sociogram, který sestavíte příště."),
            QString(), Prompter::Icon::Information);
}

void TSociogram_Form::followStatusColours() {
    // An emptied history (a build, a file, "Ne") leaves the items as they are.
    if (m_canvas->UndoStack()->count() == 0 || !m_builder.holdsBuild(document()))
        return;
    const SociogramStatusColours::Kind shown = SociogramStatusColours::shown(document());
    m_builder.setStatusColours(shown == SociogramStatusColours::Kind::Status);
    m_builder.setGroupColours(shown == SociogramStatusColours::Kind::Groups);
    m_statusItem->setChecked(m_builder.statusColours());
    m_groupItem->setChecked(m_builder.groupColours());
}

void TSociogram_Form::handEdit(const QString &text, const std::function<void()> &change) {
    const QByteArray before = document().SaveToBytes();
    change();
    QByteArray after = document().SaveToBytes();
    if (after != before)
        m_canvas->UndoStack()->push(new SnapshotCommand(m_canvas, before, std::move(after), text));
}

void TSociogram_Form::arrange() {
    m_builder.setLayout(SociogramLayout::Bands);
    handEdit(QStringLiteral("Uspořádání"), [this] { m_builder.arrangement().arrange(document()); });
    fitToWindow();
}

void TSociogram_Form::arrangeClearly() {
    m_builder.setLayout(SociogramLayout::Target);
    handEdit(QStringLiteral("Přehledné uspořádání"), [this] { SociogramTargetLayout::arrange(document()); });
    fitToWindow();
}

void TSociogram_Form::fitToWindow() {
    m_canvas->ZoomToFit();
}

void TSociogram_Form::recolourSelection() {
    const std::optional<QColor> color = m_context.prompter->chooseColor(Qt::white);
    if (!color)
        return;
    handEdit(QStringLiteral("Barva"), [&] {
        document().ForEachObject(
            [&](TGraphObject *object) {
                object->SetBrushColor(GraphTypes::fromQColor(*color));
                return true;
            },
            true);
    });
}

void TSociogram_Form::addObject() {
    handEdit(QStringLiteral("Nový objekt"),
             [this] { document().AddNode<TRectangularNode>(QRect(300, 40, 380, 40)); });
}

void TSociogram_Form::deleteSelection() {
    if (document().SelectedObjects().IsEmpty())
        return;
    handEdit(QStringLiteral("Smazání"), [this] {
        GraphDocument &doc = document();
        doc.BeginUpdate();
        for (TGraphObject *object : doc.SelectedObjects().ToList())
            doc.Delete(object);
        doc.EndUpdate();
    });
}

void TSociogram_Form::addRelation(SociogramRelation relation) {
    handEdit(QStringLiteral("Vztah"), [&] { SociogramBuilder::addRelation(document(), relation); });
}

void TSociogram_Form::zoomBy(int delta) {
    m_canvas->ChangeZoom(delta, 1);
}

TVlastnosti_Form *TSociogram_Form::propertiesForm() {
    if (!m_properties && parentWidget())
        m_properties = parentWidget()->findChild<TVlastnosti_Form *>(QStringLiteral("TVlastnosti_Form"),
                                                                     Qt::FindDirectChildrenOnly);
    if (!m_properties)
        m_properties = new TVlastnosti_Form(this);
    return m_properties;
}

void TSociogram_Form::editText(TGraphObject *) {
    // The first selected object, which need not be the one under the mouse.
    TGraphObject *object = document().SelectedObjects().First();
    if (!object)
        return;
    TVlastnosti_Form *form = propertiesForm();
    form->edit(&document(), object);
    handEdit(QStringLiteral("Text"), [form] { form->exec(); });
}

void TSociogram_Form::setFileCaption(const QString &fileName) {
    setWindowTitle(QFileInfo(fileName).fileName() + QStringLiteral(" - ") + kApplicationTitle);
}

void TSociogram_Form::showError(const QString &text) {
    m_context.prompter->message(text, QString(), Prompter::Icon::Error);
}

void TSociogram_Form::openGraph() {
    if (!mayDiscardEdits())
        return;
    const QString fileName = m_context.prompter->openFileName(QStringLiteral("Open Graph"), kGraphFilter);
    if (!fileName.isEmpty())
        loadGraphFile(fileName);
}

bool TSociogram_Form::loadGraphFile(const QString &fileName) {
    QString error;
    if (!m_canvas->LoadFromFile(fileName, &error)) {
        showError(graphLoadMessage(fileName, error));
        return false;
    }
    m_builder.forgetBuild();
    m_canvas->SetZoom(100);
    m_canvas->SetCommandMode(2);
    m_canvas->UndoStack()->clear();
    m_graphFileName = fileName;
    setFileCaption(fileName);
    return true;
}

bool TSociogram_Form::openGraphFile(const QString &fileName) {
    if (!loadGraphFile(fileName))
        return false;
    setWindowModality(Qt::ApplicationModal);
    show();
    raise();
    activateWindow();
    return true;
}

void TSociogram_Form::saveGraph() {
    saveGraphAs();
}

bool TSociogram_Form::saveGraphAs() {
    const QString fileName = m_context.prompter->saveFileName(QStringLiteral("Save Graph As"), kGraphFilter,
                                                              QStringLiteral("sgp"), m_graphFileName);
    if (fileName.isEmpty())
        return false;
    QString error;
    if (!m_canvas->SaveToFile(fileName, &error)) {
        showError(error);
        return false;
    }
    m_canvas->SetCommandMode(2);
    m_canvas->UndoStack()->setClean();
    m_graphFileName = fileName;
    setFileCaption(fileName);
    return true;
}

bool TSociogram_Form::mayDiscardEdits() {
    if (m_canvas->UndoStack()->isClean())
        return true;
    switch (m_context.prompter->askYesNoCancel(
        QStringLiteral("Sociogram má neuložené úpravy. Chcete je uložit?"), QStringLiteral("Sociogram"))) {
    case Prompter::Answer::Yes:
        return saveGraphAs();
    case Prompter::Answer::No:
        m_canvas->UndoStack()->clear();
        return true;
    case Prompter::Answer::Cancel:
        break;
    }
    return false;
}

void TSociogram_Form::reject() {
    if (mayDiscardEdits())
        QDialog::reject();
}

void TSociogram_Form::saveGraphToDocuments() {
    const QString path = m_context.folders.dataFolder + QStringLiteral("temp_file.sgp");
    QString error;
    if (!m_canvas->SaveToFile(path, &error)) {
        showError(error);
        return;
    }
    m_canvas->SetCommandMode(2);
    m_canvas->UndoStack()->setClean();
    m_dm.addClassDocument(path, QString());
    rememberSavedLayout();
}

QString TSociogram_Form::proposedPictureName() const {
    const Dataset &classes = m_dm.Trida_Query();
    if (m_builder.anonymous()) // the file name must not carry what the picture leaves out
        return QStringLiteral("Sociogram ") + classes.text(QStringLiteral("stupen")) +
               QStringLiteral(" anonymně, ") + m_builder.questionText();
    return QStringLiteral("Sociogram ") + classes.text(QStringLiteral("skola")) + QStringLiteral(", ") +
           classes.text(QStringLiteral("stupen")) + QStringLiteral(", ") +
           classes.text(QStringLiteral("tridni_ucitel")) + QStringLiteral(", ") + m_builder.questionText();
}

void TSociogram_Form::savePicture(const QString &suffix) {
    const QString fileName = PictureFiles::ask(*m_context.prompter, suffix, proposedPictureName());
    if (fileName.isEmpty())
        return;
    QString error;
    if (!GraphExport::SaveToFile(document(), fileName, &error, windowTitle()))
        showError(error);
}

void TSociogram_Form::savePictureToDocuments(const QString &suffix) {
    const QString path = PictureFiles::forDocuments(m_context.folders, suffix);
    QString error;
    if (!GraphExport::SaveToFile(document(), path, &error, windowTitle())) {
        showError(error);
        return;
    }
    m_dm.addClassDocument(path, m_builder.questionText());
    rememberSavedLayout();
}

void TSociogram_Form::print() {
    const GraphDocument &graph = document();
    PrintPreview::open(*m_context.prompter, this,
                       PagedDocuments::pictures(
                           windowTitle(), QPageLayout::Landscape,
                           {PagePicture{GraphExport::PictureSize(graph),
                                        [&graph](QPainter &p) { GraphExport::PaintPicture(graph, p); }}}),
                       QStringLiteral("Sociogram_Nahled"));
}

void TSociogram_Form::copyToClipboard() {
    QApplication::clipboard()->setMimeData(GraphExport::MimeData(document(), cfMetafile | cfBitmap));
}

bool TSociogram_Form::eventFilter(QObject *watched, QEvent *event) {
    if (watched == m_canvas && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_Delete) {
        deleteSelection();
        return true;
    }
    if (watched == m_canvas->viewport() && event->type() == QEvent::Wheel) {
        auto *wheel = static_cast<QWheelEvent *>(event);
        if ((wheel->modifiers() & Qt::ControlModifier) && wheel->angleDelta().y() != 0)
            zoomBy(wheel->angleDelta().y() > 0 ? 10 : -10);
        return false; // the canvas scrolls as well
    }
    return QDialog::eventFilter(watched, event);
}
