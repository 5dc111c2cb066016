#include "graphics/BarChartForm.h"

#include "chart/ChartPanel.h"
#include "data/AnonymousCopy.h"
#include "data/AppContext.h"
#include "data/DataModule.h"
#include "data/DatabaseError.h"
#include "platform/Prompter.h"
#include "widgets/AnonymousSwitch.h"
#include "widgets/MenuToolButton.h"
#include "widgets/WindowFrame.h"

#include <QActionGroup>
#include <QContextMenuEvent>
#include <QCursor>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>

namespace {

const QString kInitialTitle = QStringLiteral("Název grafu");

} // namespace

TSloupcovy_Graf_Form::TSloupcovy_Graf_Form(AppContext &context, QWidget *parent)
    : QDialog(parent), m_context(context), m_dm(*context.dm) {
    setObjectName(QStringLiteral("TSloupcovy_Graf_Form"));
    setWindowTitle(QStringLiteral("Sloupcový graf"));
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    resize(1000, 650);
    setWindowState(Qt::WindowMaximized);

    const WindowFrame frame = makeWindowFrame(this);
    QVBoxLayout *layout = frame.layout;
    QMenuBar *menuBar = frame.menuBar;
    QToolBar *toolBar = frame.toolBar;

    m_chart = new TChartPanel(this);
    m_chart->setObjectName(QStringLiteral("chart"));
    BarChartBuilder::setUp(m_chart->model());
    layout->addWidget(m_chart, 1);
    connect(m_chart, &TChartPanel::chartHover, this, &TSloupcovy_Graf_Form::followHover);

    buildMenus(menuBar);
    buildToolBar(toolBar);

    auto *chartMenu = new QMenu(this);
    chartMenu->setObjectName(QStringLiteral("PopupMenu1"));
    chartMenu->addAction(QStringLiteral("Změnit nadpis"), this, [this] { BuildChart(true); })
        ->setObjectName(QStringLiteral("Zmnitnadpis1"));
    chartMenu->addSeparator();
    chartMenu
        ->addAction(QStringLiteral("Kopírovat do schránky Windows"), this,
                    &TSloupcovy_Graf_Form::copyToClipboard)
        ->setObjectName(QStringLiteral("KoprovatdoschrnkyWindows1"));
    m_chart->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_chart, &QWidget::customContextMenuRequested, chartMenu,
            [this, chartMenu](const QPoint &pos) { chartMenu->popup(m_chart->mapToGlobal(pos)); });
}

TSloupcovy_Graf_Form::~TSloupcovy_Graf_Form() = default;

QAction *TSloupcovy_Graf_Form::action(const QString &objectName) const {
    return findChild<QAction *>(objectName);
}

void TSloupcovy_Graf_Form::buildMenus(QMenuBar *menuBar) {
    auto add = [this](QMenu *menu, const char *name, const QString &caption, auto slot) {
        QAction *item = menu->addAction(caption, this, slot);
        item->setObjectName(QString::fromLatin1(name));
        return item;
    };
    QMenu *file = menuBar->addMenu(QStringLiteral("Soubor"));
    file->setObjectName(QStringLiteral("Soubor1"));
    add(file, "Uloit1", QStringLiteral("Uložit do obrázku JPG na disk"),
        [this] { savePictureToDisk(QStringLiteral("jpg")); });
    add(file, "UloitEMF1", QStringLiteral("Uložit do obrázku EMF na disk"),
        [this] { savePictureToDisk(QStringLiteral("emf")); });
    add(file, "UloitdoobrzkuJPGdoListin1", QStringLiteral("Uložit do obrázku JPG do Listin"),
        [this] { savePictureToDocuments(QStringLiteral("jpg")); });
    add(file, "UloitdoobrzkuJPGdoListin2", QStringLiteral("Uložit do obrázku EMF do Listin"),
        [this] { savePictureToDocuments(QStringLiteral("emf")); });
    add(file, "PDF1", QStringLiteral("Uložit jako PDF"),
        [this] { savePictureToDisk(QStringLiteral("pdf")); });
    add(file, "PDFListiny1", QStringLiteral("Uložit jako PDF do Listin"),
        [this] { savePictureToDocuments(QStringLiteral("pdf")); });
    add(file, "Tisk1", QStringLiteral("Tisk"), &TSloupcovy_Graf_Form::print);

    QMenu *view = menuBar->addMenu(QStringLiteral("Volby zobrazení"));
    view->setObjectName(QStringLiteral("Volbyzobrazen1"));
    auto *colours = new QActionGroup(this);
    m_colour = add(view, "barevn1", QStringLiteral("barevné"), [this] { BuildChart(); });
    QAction *mono = add(view, "ernobl1", QStringLiteral("černobílé"), [this] { BuildChart(); });
    for (QAction *item : {m_colour, mono}) {
        item->setCheckable(true);
        colours->addAction(item);
    }
    m_colour->setChecked(true);
    view->addSeparator();
    m_otherRows = add(view, "nikdo_menuitem", QStringLiteral("ukázat i záznamy jiné než osoby"),
                      [this] { BuildChart(); });
    m_otherRows->setCheckable(true);
    m_anonymous = makeAnonymousSwitch(this);
    view->addAction(m_anonymous);
    connect(m_anonymous, &QAction::triggered, this, [this] { BuildChart(); });

    QMenu *results = menuBar->addMenu(QStringLiteral("Výsledky"));
    results->setObjectName(QStringLiteral("Vsledky1"));
    add(results, "Textovsouhrn1", QStringLiteral("Textový souhrn"), &TSloupcovy_Graf_Form::runTextualSummary);
    results->addSeparator();
    add(results, "JednolivgrafydoWordu1", QStringLiteral("Jednolivé grafy do Wordu"),
        &TSloupcovy_Graf_Form::chartsPerQuestionToWord);
    results->addSeparator();
    add(results, "Zkoprovatdoschrnkyseznamk1", QStringLiteral("Zkopírovat do schránky seznam žáků"),
        &TSloupcovy_Graf_Form::copyPupilList);

    m_sessionMenu = new QMenu(this);
    m_sessionMenu->setObjectName(QStringLiteral("Vyhodnoceni_Popup2"));
    m_sessionGroup = new QActionGroup(this);
    connect(m_sessionGroup, &QActionGroup::triggered, this, &TSloupcovy_Graf_Form::chooseSession);
    m_questionMenu = new QMenu(this);
    m_questionMenu->setObjectName(QStringLiteral("KonkretniOtazka_PopupMenu"));
    m_questionGroup = new QActionGroup(this);
    connect(m_questionGroup, &QActionGroup::triggered, this, &TSloupcovy_Graf_Form::chooseItem);
    m_pupilMenu = new QMenu(this);
    m_pupilMenu->setObjectName(QStringLiteral("KonkretniZak_PopupMenu"));
    m_pupilGroup = new QActionGroup(this);
    connect(m_pupilGroup, &QActionGroup::triggered, this, &TSloupcovy_Graf_Form::chooseItem);
}

void TSloupcovy_Graf_Form::buildToolBar(QToolBar *toolBar) {
    QStyle *s = style();
    m_sessionButton =
        addMenuToolButton(toolBar, QStringLiteral("ToolButton3"), QStringLiteral("Vyhodnocení"),
                          s->standardIcon(QStyle::SP_FileDialogDetailedView), m_sessionMenu, 87);
    m_sessionButton->installEventFilter(this);
    m_questionButton =
        addMenuToolButton(toolBar, QStringLiteral("ToolButton2"), QStringLiteral("Konkrétní otázka"),
                          s->standardIcon(QStyle::SP_MessageBoxQuestion), m_questionMenu, 87);
    m_pupilButton = addMenuToolButton(toolBar, QStringLiteral("ToolButton1"), QStringLiteral("Konkrétní žák"),
                                      s->standardIcon(QStyle::SP_DirHomeIcon), m_pupilMenu, 87);
}

bool TSloupcovy_Graf_Form::eventFilter(QObject *watched, QEvent *event) {
    // A right click on "Vyhodnocení" offers the answer-option rows of the main window.
    if (watched == m_sessionButton && event->type() == QEvent::ContextMenu) {
        if (m_answerOptionMenu)
            m_answerOptionMenu->popup(static_cast<QContextMenuEvent *>(event)->globalPos());
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TSloupcovy_Graf_Form::prepareOpening() {
    m_chart->BeginUpdate();
    m_chart->Clear();
    m_chart->setTitle(kInitialTitle);
    m_chart->EndUpdate();
    m_pupilButton->setEnabled(false);
    m_questionButton->setEnabled(false);
}

void TSloupcovy_Graf_Form::showEvent(QShowEvent *event) {
    refillMenus();
    QDialog::showEvent(event);
}

void TSloupcovy_Graf_Form::fillMenu(QMenu *menu, QActionGroup *group, const QList<BarChartMenuItem> &items) {
    menu->clear(); // the menu owns its items and deletes them
    const QIcon questionIcon = style()->standardIcon(QStyle::SP_MessageBoxQuestion);
    for (const BarChartMenuItem &item : items) {
        QAction *a = menu->addAction(item.caption);
        a->setCheckable(true);
        a->setProperty("Value", item.value);
        if (item.icon)
            a->setIcon(questionIcon);
        group->addAction(a);
    }
}

void TSloupcovy_Graf_Form::refillMenus() {
    fillMenu(m_sessionMenu, m_sessionGroup, BarChartBuilder::sessionItems(m_dm));
    fillMenu(m_pupilMenu, m_pupilGroup, BarChartBuilder::pupilItems(m_dm));
}

void TSloupcovy_Graf_Form::chooseSession(QAction *item) {
    item->setChecked(true);
    fillMenu(m_questionMenu, m_questionGroup,
             BarChartBuilder::questionItems(m_dm, item->property("Value").toString()));
    if (!m_questionMenu->actions().isEmpty())
        m_questionMenu->actions().constFirst()->setChecked(true);
    m_pupilButton->setEnabled(true);
    m_questionButton->setEnabled(true);
    BuildChart();
}

void TSloupcovy_Graf_Form::chooseItem(QAction *item) {
    item->setChecked(true);
    BuildChart();
}

QString TSloupcovy_Graf_Form::checkedValue(const QActionGroup *group) {
    const QAction *checked = group->checkedAction();
    return checked ? checked->property("Value").toString() : QString();
}

void TSloupcovy_Graf_Form::BuildChart(bool askTitle) {
    BarChartFilter filter;
    filter.session = checkedValue(m_sessionGroup);
    filter.question = checkedValue(m_questionGroup);
    filter.pupil = checkedValue(m_pupilGroup);
    filter.otherRows = m_otherRows->isChecked();
    BarChartData data;
    try {
        bool sessionOk = false;
        const qint64 sessionId = filter.session.toLongLong(&sessionOk);
        AnonymousCopy::OutputDatabase source(m_dm.database(), {sessionOk ? sessionId : 0},
                                             m_anonymous->isChecked());
        data = BarChartBuilder::read(source.db(), filter);
    } catch (const DatabaseError &e) {
        showError(QStringLiteral("Graf se nepodařilo sestavit. ") + e.message());
        return;
    }
    if (!data.built)
        return;
    // The session becomes the current one of the session dataset (proposed names, "Textový souhrn").
    Dataset &sessions = m_dm.Vyhodnoceni_Query();
    if (!sessions.locate(QStringLiteral("ID"), data.sessionId)) {
        sessions.setParameter(QStringLiteral("par_id_tridy"), m_dm.currentClassId());
        if (m_dm.RefreshDataset(sessions))
            sessions.locate(QStringLiteral("ID"), data.sessionId);
    }

    QString title = data.defaultTitle;
    if (askTitle) {
        // Cancelling keeps the default title.
        if (const std::optional<QString> answer = m_context.prompter->inputText(
                QStringLiteral("Nadpis grafu"), QStringLiteral("Zadejte název grafu:"), title))
            title = *answer;
    }
    m_data = data;
    m_pupilList = data.pupilList;
    if (!data.series.isEmpty())
        m_hover = data.hover;
    BarChartBuilder::fill(m_chart->model(), data, title, !m_colour->isChecked());
    if (data.noData != BarChartData::NoData::None)
        m_context.prompter->message(data.noDataMessage());
}

QString TSloupcovy_Graf_Form::hoverName(double x) const {
    if (!(x > 0.0))
        return QString();
    // Nearest entry, halves to even.
    const double index = std::nearbyint(x - 1.0);
    if (index < 0.0 || index >= double(m_hover.size()))
        return QString();
    return m_hover.at(qsizetype(index)).name;
}

void TSloupcovy_Graf_Form::followHover(const ChartHit &hit) {
    m_chart->setAxisXTitle(hoverName(hit.inside ? hit.x : 0.0));
}

void TSloupcovy_Graf_Form::showError(const QString &text) {
    m_context.prompter->message(text, QString(), Prompter::Icon::Error);
}
