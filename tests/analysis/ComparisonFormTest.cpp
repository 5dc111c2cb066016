// The window "Srovnání vyhodnocení" over a real data module, driven as the teacher drives it.
#include "TwoSurveys.h"

#include "analysis/ComparisonForm.h"
#include "analysis/ComparisonTexts.h"
#include "app/MainForm.h"
#include "app/Startup.h"
#include "app/TestFolders.h"
#include "app/WindowRegistry.h"
#include "automation/DocxPackage.h"
#include "support/Poppler.h"
#include "support/PreviewPages.h"
#include "support/RecordingShell.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QTreeWidget>

// Readable failure output for Qt texts.
inline void PrintTo(const QString &text, std::ostream *out) {
    *out << '"' << text.toStdString() << '"';
}

namespace {

// The demo class surveyed twice, and a third survey (dated last) with another questionnaire whose one
// question is worded differently.
class ComparisonFormTest : public TwoSurveys {
protected:
    void SetUp() override {
        TwoSurveys::SetUp();
        const qint64 other = addTest(QStringLiteral("Jiný dotazník"));
        m_otherQuestion = addQuestion(other, QStringLiteral("S kým pracuješ rád?"), QVariant(), 0, 1);
        m_otherSession = addSession(m_demo.classId, other, QStringLiteral("2026-06-10 00:00:00"));
        addAnswer(m_otherSession, m_otherQuestion, m_tomas, m_lukas, true);

        openWindowContext(m_context, m_shell);
        dm().Vyhodnoceni_Query().setParameter(QStringLiteral("par_id_tridy"), m_demo.classId);
        dm().RefreshDataset(dm().Vyhodnoceni_Query());
        m_form = std::make_unique<ComparisonForm>(m_context);
        m_form->refill();
    }

    template <class T> T *child(const QString &name) const {
        T *found = m_form->findChild<T *>(name);
        EXPECT_TRUE(found) << name.toStdString();
        return found;
    }
    QComboBox *box(const char *name) const { return child<QComboBox>(QString::fromLatin1(name)); }
    // The teacher picks the item of that session id or question id.
    void pick(const char *name, qint64 id) {
        QComboBox *list = box(name);
        const int index = list->findData(id, Qt::UserRole);
        ASSERT_GE(index, 0) << name << " " << id;
        list->setCurrentIndex(index);
    }
    qint64 chosen(const char *name) const { return box(name)->currentData().toLongLong(); }
    QTableWidget *pupils() const { return child<QTableWidget>(QStringLiteral("Zaci_Table")); }
    int rowOf(const QString &name) const {
        for (int row = 0; row < pupils()->rowCount(); ++row)
            if (pupils()->item(row, 0)->text() == name)
                return row;
        return -1;
    }
    QString cell(const QString &name, const QString &column) const {
        const int row = rowOf(name);
        const int col = int(ComparisonTexts::pupilColumns().indexOf(column));
        return row < 0 || col < 0 ? QStringLiteral("(none)") : pupils()->item(row, col)->text();
    }
    QString heading() const { return child<QLabel>(QStringLiteral("Zahlavi"))->text(); }

    AppContext m_context;
    RecordingShell m_shell{QDir::tempPath(), QDir::tempPath()};
    std::unique_ptr<ComparisonForm> m_form;
    qint64 m_otherQuestion = 0, m_otherSession = 0;
};

} // namespace

TEST_F(ComparisonFormTest, OpensOnTheTwoNewestSessionsAndFillsEveryTab) {
    // Newest first, as the sociogram's session menu: the other questionnaire's survey, then the later one.
    EXPECT_EQ(box("Nyni_Combo")->count(), 3);
    EXPECT_EQ(chosen("Nyni_Combo"), m_otherSession);
    EXPECT_EQ(chosen("Drive_Combo"), m_later);
    // Its questionnaire has no question of that text: the core's refusal, in the window.
    EXPECT_EQ(box("OtazkaNyni_Combo")->currentIndex(), -1);
    EXPECT_TRUE(heading().contains(QStringLiteral("nemá otázku"))) << heading().toStdString();
    EXPECT_FALSE(m_form->comparison());
    EXPECT_EQ(pupils()->rowCount(), 0);
    EXPECT_FALSE(m_form->action(QStringLiteral("Ulozit_Action"))->isEnabled());

    // The teacher takes the two surveys of the demo questionnaire: the question follows by itself.
    pick("Nyni_Combo", m_later);
    pick("Drive_Combo", m_earlier);
    EXPECT_EQ(chosen("OtazkaDrive_Combo"), m_question);
    EXPECT_EQ(chosen("OtazkaNyni_Combo"), m_question);
    ASSERT_TRUE(m_form->comparison()) << heading().toStdString();
    const SurveyComparison &c = *m_form->comparison();
    EXPECT_EQ(c.from.sessionId, m_earlier);
    EXPECT_EQ(c.to.sessionId, m_later);
    EXPECT_TRUE(m_form->action(QStringLiteral("Ulozit_Action"))->isEnabled());

    // "Žáci": one row per pupil of the class (no option rows); the absent pupil and the passage.
    EXPECT_EQ(pupils()->rowCount(), m_demo.pupils);
    EXPECT_EQ(cell(QStringLiteral("Tomáš Zeman"), QStringLiteral("LM nyní")), "chyběl");
    EXPECT_EQ(cell(QStringLiteral("Tomáš Zeman"), QStringLiteral("Změna LM")), "–");
    EXPECT_TRUE(
        cell(QStringLiteral("Lukáš Pokorný"), QStringLiteral("Přechod")).contains(QStringLiteral("→")));
    EXPECT_TRUE(pupils()->item(rowOf(QStringLiteral("Lukáš Pokorný")), 0)->font().bold());
    EXPECT_FALSE(pupils()->item(rowOf(QStringLiteral("Tomáš Zeman")), 0)->font().bold());

    // "Vazby", "Třída", "Shrnutí": what the core says.
    auto *pairs = child<QTreeWidget>(QStringLiteral("Vazby_Tree"));
    const QList<AnalysisTexts::SubgroupSection> sections = ComparisonTexts::pairSections(c);
    ASSERT_EQ(pairs->topLevelItemCount(), sections.size());
    EXPECT_EQ(pairs->topLevelItem(0)->text(0), sections[0].heading);
    EXPECT_EQ(pairs->topLevelItem(0)->childCount(), std::max<qsizetype>(1, sections[0].lines.size()));
    auto *indices = child<QTableWidget>(QStringLiteral("Ukazatele_Table"));
    ASSERT_EQ(indices->rowCount(), c.indices.size());
    EXPECT_EQ(indices->item(0, 0)->text(), c.indices[0].name);
    auto *summary = child<QListWidget>(QStringLiteral("Shrnuti_List"));
    QStringList lines;
    for (int i = 0; i < summary->count(); ++i)
        lines << summary->item(i)->text();
    EXPECT_EQ(lines, ComparisonTexts::summary(c));

    // "Vývoj": the two surveys of that question, table and chart.
    ASSERT_TRUE(m_form->trend());
    EXPECT_EQ(m_form->trend()->sessions.size(), 2);
    auto *course = child<QTableWidget>(QStringLiteral("Vyvoj_Table"));
    EXPECT_EQ(course->rowCount(), ComparisonTexts::trendRows(*m_form->trend()).size());
    EXPECT_EQ(course->columnCount(), 5);
    EXPECT_TRUE(child<QLabel>(QStringLiteral("VyvojChybi"))->isHidden());
    EXPECT_FALSE(child<QWidget>(QStringLiteral("Vyvoj_Graf"))->isHidden());
}

TEST_F(ComparisonFormTest, RefusalsAreShownInTheWindowAndTheTeacherMayPickTheQuestion) {
    pick("Nyni_Combo", m_later);
    pick("Drive_Combo", m_earlier);
    ASSERT_TRUE(m_form->comparison());

    // A free-text question: listed, greyed, and refused in words when picked.
    const qint64 freeText = m_db.scalar(QStringLiteral("SELECT ID FROM otazky WHERE typ = 4")).toLongLong();
    QComboBox *earlierQuestion = box("OtazkaDrive_Combo");
    const int item = earlierQuestion->findData(freeText, Qt::UserRole);
    ASSERT_GE(item, 0);
    EXPECT_EQ(earlierQuestion->itemData(item, Qt::ToolTipRole).toString(),
              QStringLiteral("Otázka je slovní."));
    earlierQuestion->setCurrentIndex(item);
    EXPECT_FALSE(m_form->comparison());
    EXPECT_TRUE(heading().startsWith(QStringLiteral("Otázka je slovní."))) << heading().toStdString();
    EXPECT_EQ(pupils()->rowCount(), 0);
    EXPECT_FALSE(m_form->action(QStringLiteral("UlozitListiny_Action"))->isEnabled());
    EXPECT_FALSE(child<QLabel>(QStringLiteral("VyvojChybi"))->isHidden());

    // The later survey of another questionnaire: no question matches until the teacher picks one.
    pick("OtazkaDrive_Combo", m_question);
    pick("Nyni_Combo", m_otherSession);
    EXPECT_FALSE(m_form->comparison());
    EXPECT_TRUE(heading().contains(QStringLiteral("zvolte otázku"))) << heading().toStdString();
    pick("OtazkaNyni_Combo", m_otherQuestion);
    ASSERT_TRUE(m_form->comparison()) << heading().toStdString();
    EXPECT_EQ(m_form->comparison()->to.questionText, QStringLiteral("S kým pracuješ rád?"));
    EXPECT_EQ(cell(QStringLiteral("Tomáš Zeman"), QStringLiteral("LM nyní")), "0");
    EXPECT_EQ(cell(QStringLiteral("Adam Novák"), QStringLiteral("LM nyní")), "chyběl");

    // That question's course has one survey only: the note instead of table and chart.
    pick("Drive_Combo", m_otherSession);
    EXPECT_EQ(chosen("OtazkaDrive_Combo"), m_otherQuestion);
    ASSERT_TRUE(m_form->trend());
    EXPECT_EQ(m_form->trend()->sessions.size(), 1);
    auto *note = child<QLabel>(QStringLiteral("VyvojChybi"));
    EXPECT_FALSE(note->isHidden());
    EXPECT_EQ(note->text(),
              QStringLiteral("Vývoj lze ukázat, až třída bude mít aspoň dvě vyhodnocení s touto otázkou."));
    EXPECT_TRUE(child<QTableWidget>(QStringLiteral("Vyvoj_Table"))->isHidden());
}

TEST_F(ComparisonFormTest, SavingWritesTheFileAndHandsTheDocumentToTheClassDocuments) {
    pick("Nyni_Combo", m_later);
    pick("Drive_Combo", m_earlier);
    ASSERT_TRUE(m_form->comparison());

    const QString file = m_dir.filePath(QStringLiteral("srovnani.html"));
    m_prompter.answer(file);
    m_form->action(QStringLiteral("Ulozit_Action"))->trigger();
    ASSERT_EQ(m_prompter.prompts().size(), 1);
    EXPECT_EQ(m_prompter.prompts()[0].kind, "save");
    EXPECT_TRUE(m_prompter.messages().isEmpty()) << m_prompter.messages().join(u'\n').toStdString();
    QFile page(file);
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    EXPECT_TRUE(QString::fromUtf8(page.readAll()).contains(QStringLiteral("<h2>Vývoj</h2>")));

    m_prompter.clear();
    m_prompter.answer(QStringLiteral("Srovnání 6.B")).no(); // the documents window stays closed
    m_form->action(QStringLiteral("UlozitListiny_Action"))->trigger();
    ASSERT_EQ(
        count(QStringLiteral("SELECT count(*) FROM listiny WHERE id_tridy = :c"), {{"c", m_demo.classId}}),
        1);
    EXPECT_EQ(m_db.scalar(QStringLiteral("SELECT nazev FROM listiny")).toString(), "Srovnání 6.B");
    const QString stored = m_db.scalar(QStringLiteral("SELECT cesta FROM listiny")).toString();
    EXPECT_TRUE(stored.endsWith(QStringLiteral(".docx")));
    QString error;
    const QMap<QString, QByteArray> kept = readZip(m_folders.classFolder(m_demo.classId) + stored, &error);
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    const QString document = QString::fromUtf8(kept.value(QStringLiteral("word/document.xml")));
    EXPECT_TRUE(document.contains(QStringLiteral("Srovnání vyhodnocení")));
    EXPECT_TRUE(document.contains(QStringLiteral("Lukáš Pokorný")));
}

// "Tisk" previews the whole comparison, the trend chart on a page of its own; the PDF has the same pages.
TEST_F(ComparisonFormTest, PrintShowsThePreviewOfTheWholeComparisonAndPdfHasTheSamePages) {
    pick("Nyni_Combo", m_later);
    pick("Drive_Combo", m_earlier);
    ASSERT_TRUE(m_form->comparison());
    m_form->action(QStringLiteral("Tisk_Action"))->trigger();
    const int pages = previewPageCount(m_form.get(), "Srovnani_Nahled");
    EXPECT_GE(pages, 2);

    const QString pdf = m_dir.filePath(QStringLiteral("srovnani.pdf"));
    m_prompter.answer(pdf);
    m_form->action(QStringLiteral("UlozitPdf_Action"))->trigger();
    EXPECT_TRUE(m_prompter.messages().isEmpty()) << m_prompter.messages().join(u'\n').toStdString();
    EXPECT_EQ(Poppler::pages(pdf), pages);
    EXPECT_EQ(Poppler::images(pdf), 0);
    EXPECT_TRUE(Poppler::text(pdf).contains(QStringLiteral("Lukáš Pokorný")));
}

// The main window opens the comparison from "Výstup" on the sessions of the current class.
TEST(ComparisonFormOpening, TheMainWindowOpensItOnTheCurrentClass) {
    QTemporaryDir root;
    ASSERT_TRUE(makeProgramAndDataFolders(root, "1.0.0"));
    ScriptedPrompter prompter;
    RecordingShell shell(root.path(), root.path());
    Startup startup(root.filePath(QStringLiteral("program")), prompter, shell);
    startup.run({QStringLiteral("/files"), root.filePath(QStringLiteral("data/"))});
    TMain_form *main = startup.mainWindow();
    QStringList shown;
    int sessions = -1;
    bool compared = false;
    main->setWindowShower([&](QWidget *window, bool modal) {
        shown << window->objectName() + (modal ? QStringLiteral(" modal") : QString());
        window->show(); // its lists are filled when it shows
        auto *form = static_cast<ComparisonForm *>(window);
        sessions = form->findChild<QComboBox *>(QStringLiteral("Drive_Combo"))->count();
        compared = form->comparison().has_value();
        window->hide();
    });

    QAction *item = main->findChild<QAction *>(QStringLiteral("Srovnani_Action"));
    ASSERT_TRUE(item);
    EXPECT_EQ(item->text(), QStringLiteral("Srovnání &vyhodnocení…"));
    item->trigger(); // no class yet: refused, nothing made
    EXPECT_EQ(prompter.messages().size(), 1);
    EXPECT_TRUE(shown.isEmpty());
    EXPECT_FALSE(startup.windows().object(QStringLiteral("ComparisonForm")));

    Database &db = *startup.context().database;
    const DemoSummary demo = writeDemoData(db);
    db.exec(QStringLiteral("INSERT INTO vyhodnoceni (id_tridy, id_testu, datum) SELECT id_tridy, id_testu, "
                           "'2099-01-01 00:00:00' FROM vyhodnoceni WHERE ID = :s"),
            {{QStringLiteral("s"), demo.sessionId}});
    db.exec(
        QStringLiteral("INSERT INTO odpovedi (id_vyhodnoceni, id_otazky, id_zaka, id_partnera, pozitivni) "
                       "SELECT :later, id_otazky, id_zaka, id_partnera, pozitivni FROM odpovedi WHERE "
                       "id_vyhodnoceni = :s"),
        {{QStringLiteral("later"), db.lastInsertId()}, {QStringLiteral("s"), demo.sessionId}});
    startup.context().dm->RefreshDataset(startup.context().dm->Trida_Query());

    item->trigger();
    EXPECT_EQ(shown, QStringList{"ComparisonForm modal"});
    EXPECT_EQ(sessions, 2);
    EXPECT_TRUE(compared); // the newest survey against the demo survey
    QObject *made = startup.windows().object(QStringLiteral("ComparisonForm"));
    ASSERT_TRUE(qobject_cast<ComparisonForm *>(made));
    item->trigger();
    EXPECT_EQ(startup.windows().object(QStringLiteral("ComparisonForm")), made); // made once
}
