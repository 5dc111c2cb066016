// The sociogram window over a real data module, against the headless tool.
#include "SociogramFixture.h"

#include "analysis/SociometricAnalysis.h"
#include "cli/Cli.h"
#include "data/AppContext.h"
#include "graph/GraphCanvas.h"
#include "graphics/SociogramForm.h"
#include "graphics/SociogramStatusColours.h"
#include "graphics/SociogramTargetLayout.h"
#include "graphics/VlastnostiForm.h"
#include "platform/SharedPrinter.h"
#include "support/Poppler.h"
#include "support/PreviewPages.h"

#include <QActionGroup>
#include <QFile>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QUndoStack>

namespace {

class SociogramFormTest : public SociogramFixture {
protected:
    void SetUp() override {
        SociogramFixture::SetUp();
        const qint64 a = m_adam = addPupil(m_class, "Adam", "Bílý");
        const qint64 b = m_eva = addPupil(m_class, "Eva", "Malá", QStringLiteral("žena"));
        for (int i = 0; i < 7; ++i)
            addPupil(m_class, QStringLiteral("Žák%1").arg(i), QVariant(), i % 2 ? "žena" : "muž");
        addAnswer(m_session, m_question, a, b, true);
        addAnswer(m_session, m_question, b, a, true);
        addAnswer(m_session, m_question, b, a, false);
        m_context.folders = m_folders;
        m_context.database = &m_db;
        m_context.dm = &dm();
        m_context.prompter = &m_prompter;
        openModule();
        m_form = std::make_unique<TSociogram_Form>(m_context);
        m_form->refillSessionMenu();
    }
    // Clicks the menu items as the teacher does: the session, then the question item.
    void choose(int questionItem) {
        ASSERT_EQ(m_form->sessionMenu()->actions().size(), 1);
        m_form->sessionMenu()->actions().first()->trigger();
        ASSERT_GT(m_form->questionMenu()->actions().size(), questionItem);
        m_form->questionMenu()->actions().at(questionItem)->trigger();
    }
    static QByteArray read(const QString &path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    AppContext m_context;
    qint64 m_adam = 0, m_eva = 0;
    std::unique_ptr<TSociogram_Form> m_form;
};

} // namespace

TEST_F(SociogramFormTest, WindowAndHeadlessToolSaveTheSameFileForTheSameChoice) {
    choose(1); // the negative wording of the first question
    const QString window = m_dir.path() + QStringLiteral("/okno.sgp");
    ASSERT_TRUE(m_form->canvas()->SaveToFile(window));
    ASSERT_TRUE(node(m_form->document(), "NEGATIVNÍ VOLBY"));

    const QString headless = m_dir.path() + QStringLiteral("/cli.sgp");
    QString out, err;
    QTextStream o(&out), e(&err);
    ASSERT_EQ(runCli({"--data", m_folders.dataFolder, "sociogram", "--session", QString::number(m_session),
                      "--question", QString::number(m_question), "--negative", "--out", headless},
                     m_folders.programFolder, o, e),
              0)
        << err.toStdString();
    EXPECT_EQ(read(window), read(headless));

    GraphDocument loaded;
    ASSERT_TRUE(loaded.LoadFromFile(headless));
    EXPECT_EQ(loaded.SaveToBytes(), m_form->document().SaveToBytes());
}

TEST_F(SociogramFormTest, HandEditsAreUndoneWithCtrlZ) {
    choose(0);
    GraphDocument &doc = m_form->document();
    const QByteArray built = doc.SaveToBytes();
    const int objects = doc.Objects().Count();
    m_form->show();
    m_form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_form.get()));

    node(doc, "Adam Bílý")->SetSelected(true);
    QTest::keyClick(m_form->canvas(), Qt::Key_Delete);
    EXPECT_EQ(doc.Objects().Count(), objects - 1);
    m_form->arrange();
    QTest::keyClick(m_form->canvas(), Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(m_form->canvas(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(doc.SaveToBytes(), built);
    m_form->hide();
}

TEST_F(SociogramFormTest, TextWindowWritesEveryLineWithCrLfOnlyOnOk) {
    EXPECT_EQ(TVlastnosti_Form::objectText("a\nb"), "a\r\nb\r\n");
    EXPECT_EQ(TVlastnosti_Form::objectText("a\n"), "a\r\n");
    EXPECT_EQ(TVlastnosti_Form::objectText(""), "");

    choose(0);
    GraphDocument &doc = m_form->document();
    TGraphNode *eva = node(doc, "Eva Malá");
    TGraphNode *adam = node(doc, "Adam Bílý");
    eva->SetSelected(true);
    adam->SetSelected(true);
    TVlastnosti_Form *text = m_form->propertiesForm();
    // Closed without OK: nothing changes.
    QTimer::singleShot(0, text, [text] {
        text->textEdit()->setPlainText("Jiná");
        text->reject();
    });
    m_form->editText(adam);
    EXPECT_EQ(eva->Text(), "Eva Malá");
    // OK: the first selected object takes the text, whichever was clicked.
    QTimer::singleShot(0, text, [text] {
        EXPECT_EQ(text->textEdit()->toPlainText(), "Eva Malá");
        text->textEdit()->setPlainText("Eva\nMalá");
        text->applyText();
    });
    m_form->editText(adam);
    EXPECT_EQ(eva->Text(), "Eva\r\nMalá\r\n");
    EXPECT_EQ(adam->Text(), "Adam Bílý");
}

TEST_F(SociogramFormTest, KoeficientChoiceArrangesOnlyWhenTheTeacherAgrees) {
    choose(0);
    GraphDocument &doc = m_form->document();
    const QByteArray built = doc.SaveToBytes();
    QAction *two = m_form->action("N21");
    ASSERT_TRUE(two);
    m_prompter.no();
    two->trigger();
    EXPECT_TRUE(two->isChecked());
    EXPECT_EQ(m_form->builder().arrangement().choice(), 2);
    EXPECT_EQ(doc.SaveToBytes(), built);
    EXPECT_EQ(m_prompter.questions(), QStringList{"Chcete přeuspořádat sociogram?"});
    m_prompter.yes();
    m_form->action("N31")->trigger();
    EXPECT_NE(doc.SaveToBytes(), built);
    EXPECT_EQ(m_form->builder().arrangement().koeficient(doc), 3);
}

TEST_F(SociogramFormTest, HandEditsAreNotLostOnEscOrCloseWithoutAQuestion) {
    choose(0);
    m_form->show();
    m_form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_form.get()));
    // A sociogram as built closes without a question.
    QTest::keyClick(m_form->canvas(), Qt::Key_Escape);
    EXPECT_FALSE(m_form->isVisible());
    EXPECT_TRUE(m_prompter.prompts().isEmpty());

    m_form->show();
    m_form->addObject();
    const QByteArray edited = m_form->document().SaveToBytes();
    m_prompter.answer(QVariant()); // "Zrušit": stays open with the edit
    QTest::keyClick(m_form->canvas(), Qt::Key_Escape);
    EXPECT_TRUE(m_form->isVisible());
    ASSERT_EQ(m_prompter.prompts().size(), 1);
    EXPECT_EQ(m_prompter.prompts()[0].text, QStringLiteral("Sociogram má neuložené úpravy. Chcete je uložit?"));
    m_prompter.answer(QVariant());
    m_form->close();
    EXPECT_TRUE(m_form->isVisible());
    EXPECT_EQ(m_form->document().SaveToBytes(), edited);
    // Building another sociogram would discard it as well; the menu keeps the question shown checked.
    m_form->sessionMenu()->actions().first()->trigger();
    QAction *shown = m_form->questionMenu()->actions().at(0);
    m_prompter.no();
    shown->trigger(); // "Ne": the edit goes, the sociogram is built again; then a new edit
    m_form->addObject();
    const QByteArray editedAgain = m_form->document().SaveToBytes();
    m_prompter.answer(QVariant());
    QAction *other = m_form->questionMenu()->actions().at(1);
    other->trigger();
    EXPECT_EQ(m_form->document().SaveToBytes(), editedAgain);
    EXPECT_FALSE(other->isChecked());
    EXPECT_TRUE(shown->isChecked());

    // "Ano" saves to the chosen file and closes.
    const QString file = m_dir.path() + QStringLiteral("/upraveny.sgp");
    m_prompter.yes().answer(file);
    QTest::keyClick(m_form->canvas(), Qt::Key_Escape);
    EXPECT_FALSE(m_form->isVisible());
    GraphDocument saved;
    ASSERT_TRUE(saved.LoadFromFile(file));
    EXPECT_EQ(saved.SaveToBytes(), editedAgain);

    // Saved: no question any more. A new edit and "Ne" closes without saving.
    m_prompter.clear();
    m_form->show();
    QTest::keyClick(m_form->canvas(), Qt::Key_Escape);
    EXPECT_TRUE(m_prompter.prompts().isEmpty());
    m_form->show();
    m_form->arrange();
    m_prompter.no();
    QTest::keyClick(m_form->canvas(), Qt::Key_Escape);
    EXPECT_FALSE(m_form->isVisible());
    EXPECT_EQ(m_prompter.prompts().size(), 1);
}

namespace {

// Every person's bubble framed as its status group says, or all frames plain.
void expectFrames(Database &db, GraphDocument &doc, qint64 session, qint64 question, bool coloured) {
    const std::optional<SociometricAnalysis> analysis = Sociometry::analyse(db, session, question);
    ASSERT_TRUE(analysis && analysis->hasStatuses());
    for (const AnalysisPupil &pupil : analysis->pupils) {
        const TGraphNode *bubble = nullptr;
        for (TGraphObject *object : doc.Objects())
            if (object->IsNode() && object->Text() == pupil.name)
                bubble = static_cast<const TGraphNode *>(object);
        ASSERT_TRUE(bubble) << pupil.name.toStdString();
        EXPECT_EQ(bubble->Pen(), coloured ? SociogramStatusColours::framePen(*pupil.status) : TGraphPen{})
            << pupil.name.toStdString();
    }
}

int legendCount(const GraphDocument &doc) {
    int n = 0;
    for (const TGraphObject *object : doc.Objects())
        n += object->Tag() == SociogramStatusColours::LegendTag ? 1 : 0;
    return n;
}

} // namespace

TEST_F(SociogramFormTest, StatusItemIsOffAndTogglesTheBuiltSociogramAsAnUndoableEdit) {
    QAction *item = m_form->action("ObarvitStatus1");
    ASSERT_TRUE(item);
    EXPECT_EQ(item->text(), QStringLiteral("Obarvit podle sociometrického statusu"));
    EXPECT_TRUE(item->isCheckable());
    EXPECT_FALSE(item->isChecked());
    bool inViewMenu = false;
    for (QObject *owner : item->associatedObjects())
        if (auto *menu = qobject_cast<QMenu *>(owner))
            inViewMenu = inViewMenu || menu->title() == QStringLiteral("Nastavení zobrazení");
    EXPECT_TRUE(inViewMenu);

    choose(0);
    GraphDocument &doc = m_form->document();
    QUndoStack *history = m_form->canvas()->UndoStack();
    const QByteArray built = doc.SaveToBytes();
    EXPECT_EQ(legendCount(doc), 0);
    expectFrames(m_db, doc, m_session, m_question, false);

    item->trigger();
    EXPECT_TRUE(item->isChecked());
    expectFrames(m_db, doc, m_session, m_question, true);
    EXPECT_EQ(legendCount(doc), 7);
    EXPECT_FALSE(history->isClean()); // a hand edit: closing asks about it
    EXPECT_EQ(node(doc, "Eva Malá")->Brush().Color, SociogramColors::Girl);

    // Ctrl+Z takes it off again and the item follows; Ctrl+Y puts it back.
    m_form->action("Undo")->trigger();
    EXPECT_EQ(doc.SaveToBytes(), built);
    EXPECT_FALSE(item->isChecked());
    m_form->action("Redo")->trigger();
    EXPECT_TRUE(item->isChecked());
    EXPECT_EQ(legendCount(doc), 7);

    item->trigger();
    EXPECT_FALSE(item->isChecked());
    EXPECT_EQ(doc.SaveToBytes(), built);

    // On, the next build is coloured from the start, with no edit to lose.
    item->trigger();
    m_prompter.no(); // the toggles are unsaved hand edits
    m_form->sessionMenu()->actions().first()->trigger();
    m_form->questionMenu()->actions().at(1)->trigger();
    EXPECT_TRUE(node(doc, "NEGATIVNÍ VOLBY"));
    expectFrames(m_db, doc, m_session, m_question, true);
    EXPECT_EQ(legendCount(doc), 7);
    EXPECT_TRUE(history->isClean());
    EXPECT_TRUE(item->isChecked());
}

TEST_F(SociogramFormTest, GroupItemFramesTheGroupsShownInTheGroupingWindowOneColouringAtATime) {
    QAction *groups = m_form->action("ObarvitSkupiny1");
    QAction *status = m_form->action("ObarvitStatus1");
    ASSERT_TRUE(groups && status);
    EXPECT_EQ(groups->text(), QStringLiteral("Obarvit podle skupin"));
    EXPECT_FALSE(groups->isChecked());
    choose(0);
    GraphDocument &doc = m_form->document();
    const QByteArray built = doc.SaveToBytes();

    // Not divided yet: the legend says where to divide the class, no frame changes.
    groups->trigger();
    EXPECT_EQ(legendCount(doc), 2);
    EXPECT_EQ(node(doc, "Adam Bílý")->Pen(), TGraphPen{});
    groups->trigger();
    EXPECT_EQ(doc.SaveToBytes(), built);

    m_context.shownGroups.insert(m_session, {{m_adam}, {m_eva}});
    groups->trigger();
    EXPECT_EQ(node(doc, "Adam Bílý")->Pen(),
              SociogramStatusColours::framePen(SociogramStatusColours::groupColour(1)));
    EXPECT_EQ(node(doc, "Eva Malá")->Pen(),
              SociogramStatusColours::framePen(SociogramStatusColours::groupColour(2)));
    EXPECT_EQ(node(doc, "Žák0")->Pen(), TGraphPen{});
    EXPECT_EQ(legendCount(doc), 3);
    const QByteArray byGroups = doc.SaveToBytes();

    // The status colouring replaces it; undo brings the groups back and the items follow.
    status->trigger();
    EXPECT_TRUE(status->isChecked());
    EXPECT_FALSE(groups->isChecked());
    EXPECT_NE(node(doc, "Adam Bílý")->Pen(),
              SociogramStatusColours::framePen(SociogramStatusColours::groupColour(1)));
    EXPECT_EQ(legendCount(doc), 7);
    m_form->action("Undo")->trigger();
    EXPECT_EQ(doc.SaveToBytes(), byGroups);
    EXPECT_TRUE(groups->isChecked());
    EXPECT_FALSE(status->isChecked());

    groups->trigger();
    EXPECT_FALSE(groups->isChecked());
    EXPECT_EQ(doc.SaveToBytes(), built);
}

TEST_F(SociogramFormTest, WindowAndHeadlessToolColourTheSameWay) {
    m_form->action("ObarvitStatus1")->trigger();
    choose(0);
    const QString window = m_dir.path() + QStringLiteral("/okno.sgp");
    ASSERT_TRUE(m_form->canvas()->SaveToFile(window));
    ASSERT_EQ(legendCount(m_form->document()), 7);

    const QString headless = m_dir.path() + QStringLiteral("/cli.sgp");
    QString out, err;
    QTextStream o(&out), e(&err);
    ASSERT_EQ(runCli({"--data", m_folders.dataFolder, "sociogram", "--session", QString::number(m_session),
                      "--question", QString::number(m_question), "--status-colours", "--out", headless},
                     m_folders.programFolder, o, e),
              0)
        << err.toStdString();
    EXPECT_EQ(read(window), read(headless));
}

TEST_F(SociogramFormTest, ASociogramFromAFileLosesItsColoursButGetsNone) {
    choose(0);
    const QByteArray plain = m_form->document().SaveToBytes();
    QAction *item = m_form->action("ObarvitStatus1");
    item->trigger();
    const QString file = m_dir.path() + QStringLiteral("/barevny.sgp");
    m_prompter.answer(file);
    m_form->saveGraph();
    ASSERT_TRUE(QFile::exists(file));

    ASSERT_TRUE(m_form->loadGraphFile(file));
    EXPECT_EQ(legendCount(m_form->document()), 7);
    item->trigger(); // off: the frames and the legend go, as one step
    EXPECT_FALSE(item->isChecked());
    EXPECT_EQ(m_form->document().SaveToBytes(), plain);
    EXPECT_FALSE(m_form->canvas()->UndoStack()->isClean());

    // The file does not say which pupil a bubble is: on changes nothing and says so.
    m_prompter.clear();
    item->trigger();
    EXPECT_EQ(m_form->document().SaveToBytes(), plain);
    ASSERT_EQ(m_prompter.messages().size(), 1);
    EXPECT_TRUE(m_prompter.messages()[0].contains(QStringLiteral("jen sociogram sestavený z vyhodnocení")));
    // The instructions get neither colours nor a word.
    m_prompter.clear();
    m_form->showInstructions();
    const QByteArray instructions = m_form->document().SaveToBytes();
    item->trigger();
    item->trigger();
    EXPECT_EQ(m_form->document().SaveToBytes(), instructions);
    EXPECT_TRUE(m_prompter.messages().isEmpty());
}

namespace {

QHash<QString, QPoint> bubblePlaces(const GraphDocument &doc) {
    QHash<QString, QPoint> places;
    for (const TGraphObject *object : doc.Objects())
        if (object->IsNode() && SociogramArrangement::isBubbleColor(object->Brush().Color))
            places.insert(object->Text(), static_cast<const TGraphNode *>(object)->Bounds().topLeft());
    return places;
}

QAction *itemOf(QMenu *menu, qint64 session) {
    for (QAction *item : menu->actions())
        if (item->property("Value").toString() == QString::number(session))
            return item;
    return nullptr;
}

} // namespace

TEST_F(SociogramFormTest, ALaterSessionKeepsTheRememberedLayoutOfTheChosenOneAndShowsItsLostTies) {
    // A later session of the class: the same answers, less Eva's positive choice of Adam.
    const qint64 later = addSession(m_class, m_test, QStringLiteral("2022-05-06 00:00:00"));
    m_db.exec("INSERT INTO odpovedi (id_vyhodnoceni, id_otazky, id_zaka, id_partnera, pozitivni) SELECT :s, "
              "id_otazky, id_zaka, id_partnera, pozitivni FROM odpovedi WHERE id_vyhodnoceni = :e",
              {{"s", later}, {"e", m_session}});
    m_db.exec(
        "DELETE FROM odpovedi WHERE id_vyhodnoceni = :s AND pozitivni = 1 AND id_zaka IN (SELECT ID FROM "
        "zak WHERE jmeno = 'Eva')",
        {{"s", later}});
    openModule();
    m_form->refillSessionMenu();
    QAction *remember = m_form->action("ZapamatovatRozmisteni1");
    QAction *lostTies = m_form->action("UkazatZanikleVazby1");
    ASSERT_TRUE(remember && lostTies);
    EXPECT_TRUE(m_form->koeficientMenu()->actions().contains(m_form->keptLayoutMenu()->menuAction()));
    EXPECT_EQ(m_form->keptLayoutMenu()->title(), QStringLiteral("Zachovat rozmístění podle…"));
    EXPECT_TRUE(lostTies->isCheckable() && !lostTies->isChecked());

    // The earlier sociogram, one bubble moved by hand and the layout remembered.
    GraphDocument &doc = m_form->document();
    itemOf(m_form->sessionMenu(), m_session)->trigger();
    EXPECT_EQ(itemOf(m_form->keptLayoutMenu(), m_session), nullptr); // only the other sessions
    ASSERT_TRUE(itemOf(m_form->keptLayoutMenu(), later));
    EXPECT_TRUE(m_form->action("Nezachovavat1")->isChecked());
    m_form->questionMenu()->actions().at(0)->trigger();
    TGraphNode *adam = node(doc, "Adam Bílý");
    adam->SetBounds(700, 520, adam->Width(), adam->Height());
    remember->trigger();
    EXPECT_EQ(m_prompter.messages().value(0), QStringLiteral("Rozmístění sociogramu je zapamatováno."));
    const QHash<QString, QPoint> remembered = bubblePlaces(doc);

    // The later session keeping it: every bubble where it was remembered, the lost tie only when asked.
    itemOf(m_form->sessionMenu(), later)->trigger();
    itemOf(m_form->keptLayoutMenu(), m_session)->trigger();
    m_form->questionMenu()->actions().at(0)->trigger();
    EXPECT_EQ(bubblePlaces(doc), remembered);
    EXPECT_EQ(linkCount(doc), 1);
    lostTies->trigger();
    ASSERT_EQ(linkCount(doc), 2);
    TGraphLink *lost = link(doc, "Eva Malá", "Adam Bílý");
    ASSERT_TRUE(lost);
    EXPECT_EQ(lost->Pen().Color, SociogramColors::LostTie);
    EXPECT_EQ(lost->Pen().Style, psDash);
    m_form->action("Undo")->trigger();
    EXPECT_EQ(linkCount(doc), 1);

    // "Nezachovávat" builds it again as without the option, as the headless tool does.
    m_form->action("Nezachovavat1")->trigger();
    const QString headless = m_dir.path() + QStringLiteral("/pozdejsi.sgp");
    QString out, err;
    QTextStream o(&out), e(&err);
    ASSERT_EQ(runCli({"--data", m_folders.dataFolder, "sociogram", "--session", QString::number(later),
                      "--question", QString::number(m_question), "--out", headless},
                     m_folders.programFolder, o, e),
              0);
    GraphDocument plain;
    ASSERT_TRUE(plain.LoadFromFile(headless));
    EXPECT_EQ(doc.SaveToBytes(), plain.SaveToBytes());
    // Saved to the class documents, the sociogram remembers its layout too.
    m_form->saveGraphToDocuments();
    EXPECT_EQ(count("SELECT count(*) FROM rozmisteni WHERE id_vyhodnoceni = :s", {{"s", later}}),
              bubblePlaces(doc).size());
}

namespace {

bool hasRings(const GraphDocument &doc) {
    for (const TGraphObject *object : doc.Objects())
        if (SociogramTargetLayout::isRingObject(object))
            return true;
    return false;
}

} // namespace

TEST_F(SociogramFormTest, ClearArrangementIsOneUndoableStepLaterBuildsUseItAndMatchTheHeadlessTool) {
    auto *clearly = m_form->findChild<QToolButton *>(QStringLiteral("UsporadatPrehledne"));
    auto *randomly = m_form->findChild<QToolButton *>(QStringLiteral("UsporadatNahodne"));
    ASSERT_TRUE(clearly && randomly);
    EXPECT_EQ(clearly->text(), QStringLiteral("Uspořádat přehledně"));
    ASSERT_TRUE(m_form->action(QStringLiteral("UsporadatPrehledne1")));
    EXPECT_EQ(m_form->action(QStringLiteral("UsporadatPrehledne1"))->text(), QStringLiteral("Uspořádat přehledně"));
    ASSERT_TRUE(m_form->action(QStringLiteral("UsporadatNahodne1")));

    choose(0);
    GraphDocument &doc = m_form->document();
    const QByteArray bands = doc.SaveToBytes();
    clearly->click();
    EXPECT_TRUE(hasRings(doc));
    EXPECT_EQ(m_form->canvas()->UndoStack()->count(), 1);
    m_form->canvas()->UndoStack()->undo();
    EXPECT_EQ(doc.SaveToBytes(), bands);
    m_form->canvas()->UndoStack()->redo();
    const QByteArray arranged = doc.SaveToBytes();

    // The next build is arranged clearly too, exactly as the headless tool arranges it.
    m_prompter.no();
    choose(0);
    EXPECT_TRUE(hasRings(doc));
    EXPECT_EQ(doc.SaveToBytes(), arranged);
    const QString headless = m_dir.path() + QStringLiteral("/terc.sgp");
    const QString window = m_dir.path() + QStringLiteral("/okno-terc.sgp");
    QString out, err;
    QTextStream o(&out), e(&err);
    ASSERT_EQ(runCli({"--data", m_folders.dataFolder, "sociogram", "--session", QString::number(m_session),
                      "--question", QString::number(m_question), "--layout", "target", "--out", headless},
                     m_folders.programFolder, o, e),
              0)
        << err.toStdString();
    ASSERT_TRUE(m_form->canvas()->SaveToFile(window));
    EXPECT_EQ(read(window), read(headless));
    EXPECT_EQ(runCli({"--data", m_folders.dataFolder, "sociogram", "--session", QString::number(m_session),
                      "--question", QString::number(m_question), "--layout", "terc", "--out", headless},
                     m_folders.programFolder, o, e),
              2);

    // "Uspořádat náhodně" goes back to the bands, for later builds as well.
    randomly->click();
    EXPECT_FALSE(hasRings(doc));
    m_prompter.no();
    choose(0);
    EXPECT_FALSE(hasRings(doc));
    EXPECT_EQ(doc.SaveToBytes(), bands);
}

TEST_F(SociogramFormTest, EveryBuildAndArrangementShowsTheWholeSociogramAndCtrl0FitsAgain) {
    m_form->resize(700, 450);
    m_form->show();
    m_form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_form.get()));
    TGraphCanvas *canvas = m_form->canvas();
    auto visible = [&] {
        const QRect bounds = m_form->document().GraphBounds();
        const QRect shown = canvas->GraphToClient(bounds);
        // A unit of rounding either way.
        return QRect(QPoint(0, 0), canvas->viewport()->size()).adjusted(-1, -1, 1, 1).contains(shown);
    };
    choose(0);
    EXPECT_LT(canvas->Zoom(), 100);
    EXPECT_TRUE(visible());
    const int fitted = canvas->Zoom();
    m_form->zoomBy(30);
    EXPECT_FALSE(visible());
    QTest::keyClick(canvas, Qt::Key_0, Qt::ControlModifier);
    EXPECT_EQ(canvas->Zoom(), fitted);
    EXPECT_TRUE(visible());

    m_form->zoomBy(30);
    m_form->findChild<QToolButton *>(QStringLiteral("UsporadatPrehledne"))->click();
    EXPECT_TRUE(visible());
    m_form->zoomBy(30);
    m_form->arrange();
    EXPECT_TRUE(visible());
    m_form->zoomBy(30);
    m_form->findChild<QToolButton *>(QStringLiteral("PrizpusobitOknu"))->click();
    EXPECT_TRUE(visible());
    m_prompter.no();
    m_form->hide();
}

// "Tisk" opens the preview of the whole sociogram on one landscape page; "Uložit jako PDF" writes that page
// as a vector PDF titled like the window, and "… do Listin" hands it to the class documents.
TEST_F(SociogramFormTest, PrintShowsAPreviewAndPdfGoesToDiskAndToTheClassDocuments) {
    choose(0);
    m_form->action(QStringLiteral("Tisk1"))->trigger();
    EXPECT_EQ(previewPageCount(m_form.get(), "Sociogram_Nahled"), 1);
    EXPECT_EQ(sharedPrinter().pageLayout().orientation(), QPageLayout::Landscape);

    const QString pdf = m_dir.path() + QStringLiteral("/sociogram.pdf");
    m_prompter.answer(pdf);
    m_form->action(QStringLiteral("PDF1"))->trigger();
    EXPECT_TRUE(m_prompter.messages().isEmpty()) << m_prompter.messages().join(u'\n').toStdString();
    EXPECT_EQ(Poppler::pageSize(pdf), "842x595");
    EXPECT_EQ(Poppler::images(pdf), 0);
    EXPECT_EQ(Poppler::title(pdf), m_form->windowTitle());
    EXPECT_TRUE(Poppler::text(pdf).contains(QStringLiteral("Adam Bílý")));

    m_form->action(QStringLiteral("PDFListiny1"))->trigger();
    EXPECT_TRUE(
        m_db.scalar(QStringLiteral("SELECT cesta FROM listiny")).toString().endsWith(QStringLiteral(".pdf")));
}

TEST_F(SociogramFormTest, AnonymouslyTheBubblesCarryCodesInTheSamePlacesAndTheHeadingNoSchoolOrTeacher) {
    choose(0);
    const QHash<QString, QPoint> named = bubblePlaces(m_form->document());
    ASSERT_TRUE(named.contains(QStringLiteral("Adam Bílý")));
    QAction *anonymous = m_form->action("Anonymne_Action");
    ASSERT_TRUE(anonymous);
    EXPECT_FALSE(anonymous->isChecked());
    anonymous->trigger();
    const QHash<QString, QPoint> coded = bubblePlaces(m_form->document());
    ASSERT_EQ(coded.size(), named.size());
    // Adam is the first boy, Eva the first girl; each keeps the place the named sociogram gave him.
    EXPECT_EQ(coded.value(QStringLiteral("C1")), named.value(QStringLiteral("Adam Bílý")));
    EXPECT_EQ(coded.value(QStringLiteral("D1")), named.value(QStringLiteral("Eva Malá")));
    const QByteArray saved = m_form->document().SaveToBytes();
    for (const char *word : {"Adam", "Bílý", "Malá", "Lipová", "Nováková"})
        EXPECT_FALSE(saved.contains(word)) << word;
    EXPECT_TRUE(node(m_form->document(), QStringLiteral("Škola: neuvedena, vyplněno 4.3.2021, třída 5.A, "
                                                        "třídní učitel: neuveden")));

    anonymous->trigger();
    EXPECT_EQ(bubblePlaces(m_form->document()), named);
}
