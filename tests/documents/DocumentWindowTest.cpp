// The class document register window over a real data folder, with a scripted prompter and a recording
// shell.
#include "data/DataFixture.h"

#include "data/AppContext.h"
#include "documents/ClassDocuments.h"
#include "documents/DocumentGrid.h"
#include "documents/ListinyForm.h"
#include "support/RecordingShell.h"
#include "widgets/DBNavigator.h"

#include <QAction>
#include <QApplication>
#include <QDropEvent>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>
#include <QToolButton>

namespace {

class DocumentWindowTest : public DataFixture {
protected:
    void SetUp() override {
        DataFixture::SetUp();
        m_class = addClass("ZŠ Lipová", "5.A", "Nováková");
        openWindowContext(m_context, m_shell);
        // What the main window's "Listiny" command does before it shows the register.
        documents().setParameter("par_id_tridy", m_class);
        dm().RefreshDataset(documents());
        m_main = std::make_unique<QWidget>();
        m_form = new TListiny_Form(m_context, m_main.get());
    }
    void TearDown() override { m_main.reset(); }

    Dataset &documents() { return dm().Listiny_ADOQuery(); }
    void show() {
        m_form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_form));
    }
    QString write(const QString &path, const QByteArray &bytes) {
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }
    // A registered document with its file.
    qint64 addDocument(const QString &title, const QString &stored, const QString &date) {
        QDir().mkpath(m_folders.classFolder(m_class));
        write(m_folders.classFolder(m_class) + stored, "OBSAH");
        const qint64 id =
            insert("INSERT INTO listiny (id_tridy, nazev, cesta, datum) VALUES (:c, :n, :p, :d)",
                   {{"c", m_class}, {"n", title}, {"p", stored}, {"d", date}});
        dm().RefreshDataset(documents());
        return id;
    }
    QPoint rowCentre(int row) {
        return m_form->grid()->visualRect(m_form->grid()->model()->index(row, 1)).center();
    }
    void mouse(QEvent::Type type, const QPoint &at, Qt::MouseButton button, Qt::MouseButtons held) {
        QWidget *viewport = m_form->grid()->viewport();
        QMouseEvent event(type, QPointF(at), QPointF(viewport->mapToGlobal(at)), button, held,
                          Qt::NoModifier);
        QApplication::sendEvent(viewport, &event);
    }
    QAction *action(const char *name) { return m_form->findChild<QAction *>(name); }
    QAction *templateItem(const QString &caption) {
        for (QAction *item : m_form->templatesMenu()->actions())
            if (item->text() == caption)
                return item;
        return nullptr;
    }
    QStringList templateCaptions() {
        QStringList captions;
        for (QAction *item : m_form->templatesMenu()->actions())
            captions << item->text();
        return captions;
    }

    AppContext m_context;
    RecordingShell m_shell{QDir::tempPath()};
    std::unique_ptr<QWidget> m_main;
    TListiny_Form *m_form = nullptr;
    qint64 m_class = 0;
};

TEST_F(DocumentWindowTest, TheRegisterListsOldestFirstShowsThePathAndEditsInItsPanel) {
    addDocument("Pozdější", "2_b.txt", "2024-05-02 00:00:00");
    const qint64 first = addDocument("Dřívější", "1_a.txt", "2024-03-01 00:00:00");
    show();
    QTableView *grid = m_form->grid();
    EXPECT_EQ(grid->horizontalHeader()->sectionSize(0), 91);
    EXPECT_EQ(grid->horizontalHeader()->sectionSize(1), 414);
    EXPECT_EQ(grid->model()->index(0, 0).data().toString(), QStringLiteral("01.03.2024"));
    EXPECT_EQ(grid->model()->index(0, 1).data().toString(), QStringLiteral("Dřívější"));
    auto *navigator = m_form->findChild<TDBNavigator *>("DBNavigator1");
    EXPECT_EQ(navigator->button(TDBNavigator::Insert)->text(), QStringLiteral("Načíst listinu"));
    EXPECT_EQ(documents().id(), first);
    EXPECT_EQ(m_form->shownPath(), m_folders.classFolder(m_class) + "1_a.txt");
    documents().next();
    EXPECT_EQ(m_form->shownPath(), m_folders.classFolder(m_class) + "2_b.txt");

    QWidget *panel = m_form->findChild<QWidget *>("Panel");
    EXPECT_FALSE(panel->isVisible());
    navigator->click(TDBNavigator::Edit);
    EXPECT_TRUE(panel->isVisible());
    auto *title = m_form->findChild<QLineEdit *>("Nazev_DBEdit");
    title->setText(QStringLiteral("Opravený název"));
    emit title->textEdited(title->text());
    navigator->click(TDBNavigator::Post);
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(m_db.scalar("SELECT nazev FROM listiny WHERE cesta = '2_b.txt'").toString(),
              QStringLiteral("Opravený název"));
}

TEST_F(DocumentWindowTest, ANameWithQuotesDiacriticsAndBlanksSurvivesDropOpenAndDelete) {
    const QString name = QStringLiteral("Zpráva \"třídní\" o 'žácích' 5.A.txt");
    const QString source = write(m_dir.filePath(name), "ZPRAVA");
    const QString other = write(m_dir.filePath("druhý.txt"), "DRUHY");
    show();
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(source), QUrl::fromLocalFile(other)});
    QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(m_form->grid()->viewport(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(m_form->grid()->viewport(), &drop);
    EXPECT_TRUE(drop.isAccepted());
    const QString title = QStringLiteral("Hodnocení \"třídy\" – 'čtvrtletí'");
    m_prompter.answer(title);
    QCoreApplication::processEvents(); // the drop is taken after the drag has ended

    ASSERT_EQ(documents().recordCount(), 1); // the second file is ignored
    EXPECT_EQ(documents().text("nazev"), title);
    const QString path = m_folders.classFolder(m_class) + "1_" + name;
    EXPECT_EQ(m_form->shownPath(), path);
    QFile copy(path);
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    EXPECT_EQ(copy.readAll(), QByteArray("ZPRAVA"));
    copy.close();

    mouse(QEvent::MouseButtonPress, rowCentre(0), Qt::LeftButton, Qt::LeftButton);
    mouse(QEvent::MouseButtonRelease, rowCentre(0), Qt::LeftButton, Qt::NoButton);
    mouse(QEvent::MouseButtonDblClick, rowCentre(0), Qt::LeftButton, Qt::LeftButton);
    mouse(QEvent::MouseButtonRelease, rowCentre(0), Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(m_shell.calls, QStringList{"file:" + path});

    m_prompter.yes();
    m_form->findChild<TDBNavigator *>("DBNavigator1")->click(TDBNavigator::Delete);
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_EQ(count("SELECT count(*) FROM listiny"), 0);
    EXPECT_EQ(m_prompter.questions(), QStringList{"Chcete opravdu smazat záznam spolu se souborem listiny?"});
    EXPECT_EQ(m_prompter.messages(), QStringList{"Soubor listiny byl smazán."});
}

TEST_F(DocumentWindowTest, ADocumentIsDraggedOutAsItsFileOnceTheMouseHasMovedFiftyPixels) {
    addDocument("A", "1_a.txt", "2024-03-01 00:00:00");
    addDocument("Bé dvě", "2_b é.txt", "2024-03-02 00:00:00");
    show();
    QList<QUrl> dragged;
    m_form->grid()->setDragStarter([&dragged](QMimeData *data) {
        dragged << data->urls();
        delete data;
    });
    const QPoint start = rowCentre(1);
    mouse(QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
    mouse(QEvent::MouseMove, start + QPoint(49, -49), Qt::NoButton, Qt::LeftButton);
    EXPECT_TRUE(dragged.isEmpty());
    mouse(QEvent::MouseMove, start + QPoint(0, -50), Qt::NoButton, Qt::LeftButton); // over the first row
    ASSERT_EQ(dragged.size(), 1);
    EXPECT_EQ(dragged[0], QUrl::fromLocalFile(m_folders.classFolder(m_class) + "2_b é.txt"));
    mouse(QEvent::MouseButtonRelease, start + QPoint(0, -50), Qt::LeftButton, Qt::NoButton);
}

TEST_F(DocumentWindowTest, TemplatesFollowTheFolderAndBlankDocumentsGetTheirOwnNames) {
    show();
    EXPECT_EQ(templateCaptions(), QStringList{"&Nápověda"});
    write(m_folders.sablonyFolder() + "Dopis & pozvánka.docx", "SABLONA");
    m_form->hide();
    show();
    EXPECT_EQ(templateCaptions(), QStringList({"&Nápověda", "Dopis && pozvánka.docx"}));

    action("SablonyNapoveda_Action")->trigger();
    EXPECT_EQ(m_shell.calls, QStringList{"folder:" + m_folders.sablonyFolder()});

    m_prompter.answer("Pozvánka na schůzku");
    templateItem("Dopis && pozvánka.docx")->trigger();
    write(m_folders.dataFolder + "soubor_xlsx.xlsx", "TABULKA");
    action("NovyExcel_Action")->trigger(); // the title box is cancelled
    ASSERT_EQ(documents().recordCount(), 2);
    EXPECT_EQ(documents().text("nazev"), QStringLiteral("-")); // the new row is the current one
    EXPECT_EQ(m_form->shownPath(), m_folders.classFolder(m_class) + "2_soubor_excel.xlsx");
    EXPECT_EQ(m_db.scalar("SELECT nazev FROM listiny WHERE cesta = '1_Dopis & pozvánka.docx'").toString(),
              QStringLiteral("Pozvánka na schůzku"));
}

TEST_F(DocumentWindowTest, SociogramDocumentsGoToTheSociogramWindowAndNeverToTheShell) {
    const qint64 graph = addDocument("Sociogram", "1_vztahy.sgp", "2024-03-01 00:00:00");
    show();
    ASSERT_EQ(documents().id(), graph);
    action("Otevrit_Action")->trigger();
    EXPECT_EQ(m_prompter.messages(),
              QStringList{"Okno sociogramu se teprve připravuje; soubor otevřete v jiném programu."});
    EXPECT_TRUE(m_form->isVisible());

    QStringList opened;
    m_form->setSociogramOpener([&opened](const QString &path) {
        opened << path;
        return true;
    });
    action("Otevrit_Action")->trigger();
    EXPECT_FALSE(m_form->isVisible()); // the register closes first
    QCoreApplication::processEvents();
    EXPECT_EQ(opened, QStringList{m_folders.classFolder(m_class) + "1_vztahy.sgp"});
    EXPECT_TRUE(m_shell.calls.isEmpty());
}

TEST_F(DocumentWindowTest, ADocumentHandedInFromAnotherWindowOffersTheRegisterWhichThenShowsModally) {
    const QString picture = write(m_dir.filePath("graf.jpg"), "JPEG");
    m_prompter.answer("Graf").yes();
    dm().addClassDocument(picture, "Graf");
    EXPECT_EQ(m_prompter.questions(), QStringList{"Zobrazit okno s Listinami?"});
    dm().setPendingListinaFile("zbytek.txt");
    bool shownModally = false;
    int rows = 0;
    QTimer::singleShot(0, m_form, [&] {
        shownModally = m_form->isVisible() && m_form->isModal();
        rows = documents().recordCount();
        m_form->reject();
    });
    QCoreApplication::processEvents();
    EXPECT_TRUE(shownModally);
    EXPECT_EQ(rows, 1);
    EXPECT_TRUE(dm().PendingListinaFile().isEmpty()); // showing the register drops what was left over
}

} // namespace
