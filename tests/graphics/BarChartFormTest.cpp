// The bar-chart window over a real data module: menus, hover name, title prompt and exports.
#include "BarChartFixture.h"

#include "automation/DocxPackage.h"
#include "chart/ChartPanel.h"
#include "chart/ChartSeries.h"
#include "data/AppContext.h"
#include "graphics/BarChartForm.h"
#include "questionnaires/EditorForm.h"
#include "support/Poppler.h"
#include "support/PreviewPages.h"
#include "support/RecordingShell.h"

#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QTest>
#include <QTextEdit>
#include <QToolButton>

namespace {

class BarChartFormTest : public BarChartFixture {
protected:
    void SetUp() override {
        BarChartFixture::SetUp();
        m_shell = std::make_unique<RecordingShell>(m_dir.path(), m_dir.path());
        openWindowContext(m_context, *m_shell);
        for (Dataset *dataset : {&dm().Vyhodnoceni_Query(), &dm().Zak_Query()}) {
            dataset->setParameter(QStringLiteral("par_id_tridy"), m_class);
            dm().RefreshDataset(*dataset);
        }
        m_main = std::make_unique<QWidget>();
        m_editor = new TEditor_Form(m_context, m_main.get());
        m_form = new TSloupcovy_Graf_Form(m_context, m_main.get());
        m_form->prepareOpening();
        m_form->refillMenus();
    }
    void TearDown() override { m_main.reset(); }

    // The teacher clicks the session in "Vyhodnocení".
    void chooseSession() {
        for (QAction *item : m_form->sessionMenu()->actions())
            if (item->property("Value").toString() == QString::number(m_session))
                return item->trigger();
        FAIL() << "no session item";
    }
    QString title() const { return m_form->chart()->Title(); }
    static QString defaultTitle() {
        return QStringLiteral("Preferenční volby ZŠ Lipová, 5.A, třídní učitel: Nováková, datum 04. 03. 2021");
    }

    AppContext m_context;
    std::unique_ptr<RecordingShell> m_shell;
    std::unique_ptr<QWidget> m_main;
    TEditor_Form *m_editor = nullptr;
    TSloupcovy_Graf_Form *m_form = nullptr;
};

} // namespace

TEST_F(BarChartFormTest, ChoosingASessionChartsItAndTheHoverNameStaysOutOfExports) {
    auto *questionButton = m_form->findChild<QToolButton *>(QStringLiteral("ToolButton2"));
    auto *pupilButton = m_form->findChild<QToolButton *>(QStringLiteral("ToolButton1"));
    ASSERT_TRUE(questionButton && pupilButton);
    EXPECT_FALSE(questionButton->isEnabled());
    EXPECT_EQ(title(), "Název grafu");
    QApplication::clipboard()->setText(QStringLiteral("text of the teacher"));

    chooseSession();
    EXPECT_TRUE(questionButton->isEnabled());
    EXPECT_TRUE(pupilButton->isEnabled());
    const QList<QAction *> questions = m_form->questionMenu()->actions();
    ASSERT_EQ(questions.size(), 6);
    EXPECT_TRUE(questions[0]->isChecked());
    EXPECT_EQ(questions[0]->text(), "Všechny otázky");
    EXPECT_EQ(questions[1]->text(), "základ __ S kým sedíš rád? / S kým nesedíš?");
    EXPECT_EQ(questions[4]->text(), "abcde  __ Co tě baví?");
    EXPECT_EQ(questions[5]->text(), "ano-ne __ Chodíš rád do školy?");
    EXPECT_EQ(m_form->pupilMenu()->actions().size(), 5); // "Všichni žáci" and the four pupils
    EXPECT_EQ(m_form->chart()->SeriesCount(), 2);
    EXPECT_EQ(title(), defaultTitle());
    // Building a chart leaves the clipboard alone.
    EXPECT_EQ(QApplication::clipboard()->text(), "text of the teacher");

    // The mouse over the first group of bars shows its pupil under the axis.
    m_form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(m_form));
    TChartPanel *chart = m_form->chart();
    const ChartLayout &layout = chart->chartLayout();
    ASSERT_FALSE(layout.xTicks.isEmpty());
    const QPoint over = chart->contentsRect().topLeft() +
                        QPoint(layout.xTicks[0].Pixel, layout.plot.center().y());
    QMouseEvent move(QEvent::MouseMove, over, chart->mapToGlobal(over), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(chart, &move);
    EXPECT_EQ(chart->AxisXTitle(), "Adam Bílý");

    // Copying puts the picture on the clipboard in three forms, without the hover name.
    m_form->copyToClipboard();
    EXPECT_TRUE(chart->AxisXTitle().isEmpty());
    const QMimeData *copied = QApplication::clipboard()->mimeData();
    ASSERT_TRUE(copied);
    EXPECT_TRUE(copied->hasImage());
    EXPECT_TRUE(copied->hasFormat(QStringLiteral("image/svg+xml")));
    EXPECT_TRUE(copied->hasFormat(QStringLiteral("image/x-emf")));

    // The pupil list goes to the clipboard and into the editor window.
    m_form->action(QStringLiteral("Zkoprovatdoschrnkyseznamk1"))->trigger();
    const QString list = QStringLiteral("1. Adam Bílý\t\t2. Eva Malá\t\t3. Petr Dub\t\t4. Jana Nová\t\t");
    EXPECT_EQ(QApplication::clipboard()->text(), list);
    EXPECT_EQ(m_editor->richEdit()->toPlainText(), list);
    EXPECT_TRUE(m_editor->isVisible());
    m_form->hide();
}

TEST_F(BarChartFormTest, TitlePromptAndDisplayOptions) {
    chooseSession();
    // Cancelled: the default title stays.
    m_form->action(QStringLiteral("Zmnitnadpis1"))->trigger();
    EXPECT_EQ(title(), defaultTitle());
    m_prompter.answer(QStringLiteral("Volby 5.A"));
    m_form->action(QStringLiteral("Zmnitnadpis1"))->trigger();
    EXPECT_EQ(title(), "Volby 5.A");
    // Any other build restores the default title.
    m_form->action(QStringLiteral("ernobl1"))->trigger();
    EXPECT_EQ(title(), defaultTitle());
    EXPECT_TRUE(m_form->chart()->Monochrome());

    // Other rows too: the two option rows and "---" join the pupils; without choices a message.
    m_form->action(QStringLiteral("nikdo_menuitem"))->trigger();
    EXPECT_EQ(m_form->chart()->Series(0)->PointCount(), 14);
    m_prompter.clear();
    m_form->questionMenu()->actions().at(2)->trigger(); // nobody chose anyone
    EXPECT_EQ(m_prompter.messages(), QStringList{"Nebyla bohužel nalezena žádná data. "});
    EXPECT_EQ(m_form->chart()->SeriesCount(), 0);
}

TEST_F(BarChartFormTest, ATallLegendEnlargesThePicture) {
    chooseSession();
    m_form->action(QStringLiteral("nikdo_menuitem"))->trigger(); // seven names under the legend
    m_form->chart()->resize(700, 120);
    const ChartMetafile picture = m_form->picture();
    EXPECT_EQ(picture.size().height(), picture.layout().legendRect.bottom() + 1 + 20);
    EXPECT_GT(picture.size().height(), 120);
}

TEST_F(BarChartFormTest, PicturesGoToDiskAndToWord) {
    chooseSession();
    // A cancelled save dialog writes nothing and offers nothing.
    m_form->action(QStringLiteral("UloitEMF1"))->trigger();
    EXPECT_TRUE(m_prompter.questions().isEmpty());

    // EMF saved, then sent to Word: the metafile itself is embedded, on landscape pages.
    const QString emf = m_dir.path() + QStringLiteral("/graf.emf");
    m_prompter.answer(emf).yes();
    m_form->action(QStringLiteral("UloitEMF1"))->trigger();
    QFile saved(emf);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const QByteArray bytes = saved.readAll();
    EXPECT_EQ(bytes.mid(40, 4), QByteArray(" EMF"));
    ASSERT_EQ(m_shell->calls.size(), 1);
    QMap<QString, QByteArray> docx = readZip(m_shell->calls[0].mid(5));
    QList<QByteArray> media;
    for (auto it = docx.cbegin(); it != docx.cend(); ++it)
        if (it.key().startsWith(QStringLiteral("word/media/")))
            media << it.value();
    EXPECT_EQ(media, QList<QByteArray>{bytes});
    EXPECT_TRUE(docx.value(QStringLiteral("word/document.xml")).contains("w:orient=\"landscape\""));

    // The same with a JPEG: the saved file itself is embedded, once, not an image decoded from it.
    const QString jpg = m_dir.path() + QStringLiteral("/graf.jpg");
    m_prompter.answer(jpg).yes();
    m_form->action(QStringLiteral("Uloit1"))->trigger();
    QFile savedJpeg(jpg);
    ASSERT_TRUE(savedJpeg.open(QIODevice::ReadOnly));
    const QByteArray jpegBytes = savedJpeg.readAll();
    EXPECT_TRUE(jpegBytes.startsWith("\xff\xd8\xff"));
    ASSERT_EQ(m_shell->calls.size(), 2);
    docx = readZip(m_shell->calls[1].mid(5));
    QStringList jpegMedia;
    for (auto it = docx.cbegin(); it != docx.cend(); ++it)
        if (it.key().startsWith(QStringLiteral("word/media/")))
            jpegMedia << it.key();
    ASSERT_EQ(jpegMedia, QStringList{QStringLiteral("word/media/image1.jpeg")});
    EXPECT_EQ(docx.value(jpegMedia.first()), jpegBytes);
    m_shell->calls.removeLast();

    // Five questions: six charts, all questions first; the menu stays on the last question.
    m_prompter.yes();
    m_form->action(QStringLiteral("JednolivgrafydoWordu1"))->trigger();
    ASSERT_EQ(m_shell->calls.size(), 2);
    docx = readZip(m_shell->calls[1].mid(5));
    EXPECT_EQ(docx.value(QStringLiteral("word/document.xml")).count("<w:drawing"), 6);
    EXPECT_TRUE(docx.value(QStringLiteral("word/document.xml")).contains("w:orient=\"landscape\""));
    EXPECT_TRUE(m_form->questionMenu()->actions().last()->isChecked());
}

// "Tisk" of the chart and of the editor opens their previews; the chart's PDF is one landscape vector page.
TEST_F(BarChartFormTest, ChartAndEditorPrintThroughAPreviewAndTheChartSavesAsPdf) {
    chooseSession();
    m_form->action(QStringLiteral("Tisk1"))->trigger();
    EXPECT_EQ(previewPageCount(m_form, "SloupcovyGraf_Nahled"), 1);

    const QString pdf = m_dir.path() + QStringLiteral("/graf.pdf");
    m_prompter.answer(pdf);
    m_form->action(QStringLiteral("PDF1"))->trigger();
    EXPECT_TRUE(m_prompter.messages().isEmpty()) << m_prompter.messages().join(u'\n').toStdString();
    EXPECT_EQ(Poppler::pageSize(pdf), "842x595");
    EXPECT_EQ(Poppler::images(pdf), 0);
    EXPECT_EQ(Poppler::title(pdf), "Sloupcový graf");
    EXPECT_TRUE(Poppler::text(pdf).contains(QStringLiteral("Nováková")));

    QStringList lines;
    for (int i = 1; i <= 150; ++i)
        lines << QStringLiteral("Řádek %1 žlutého koně").arg(i);
    m_editor->showPlainText(lines.join(u'\n'));
    m_editor->findChild<QAction *>(QStringLiteral("Tisk_Action"))->trigger();
    const int pages = previewPageCount(m_editor, "Editor_Nahled");
    EXPECT_GE(pages, 2);

    const QString text = m_dir.path() + QStringLiteral("/editor.pdf");
    m_prompter.answer(text);
    m_editor->findChild<QAction *>(QStringLiteral("UlozitPdf_Action"))->trigger();
    EXPECT_EQ(Poppler::pages(text), pages);
    EXPECT_EQ(Poppler::pageSize(text), "595x842");
    const QString read = Poppler::text(text);
    EXPECT_TRUE(read.contains(QStringLiteral("Řádek 1 žlutého koně")) &&
                read.contains(QStringLiteral("Řádek 150 ")));
}

TEST_F(BarChartFormTest, AnonymouslyTheChartShowsCodesAndItsTitleNoSchoolOrTeacher) {
    chooseSession();
    // The names under the axis, as the chart's points carry them.
    const auto labels = [this] {
        QStringList names;
        for (const TXYInfo &point : m_form->chart()->Series(0)->Points())
            names << point.Name;
        return names.join(u'|');
    };
    ASSERT_TRUE(labels().contains(QStringLiteral("Adam Bílý")));
    QAction *anonymous = m_form->action(QStringLiteral("Anonymne_Action"));
    ASSERT_TRUE(anonymous);
    anonymous->trigger();
    const QString coded = labels();
    EXPECT_TRUE(coded.contains(QStringLiteral("C1"))) << coded.toStdString();
    for (const char *word : {"Adam", "Bílý", "Eva", "Malá"})
        EXPECT_FALSE(coded.contains(QString::fromUtf8(word))) << word;
    EXPECT_FALSE(title().contains(QStringLiteral("Lipová")));
    EXPECT_FALSE(title().contains(QStringLiteral("Nováková")));
    // What the window paints under the axis.
    m_form->resize(900, 600);
    m_form->chart()->grab();
    const QVector<QString> shown = m_form->chart()->chartLayout().xLabels;
    ASSERT_FALSE(shown.isEmpty());
    EXPECT_TRUE(QStringList(shown.begin(), shown.end()).join(u'|').contains(QStringLiteral("C1")));
    anonymous->trigger();
    EXPECT_EQ(title(), defaultTitle());
    EXPECT_TRUE(labels().contains(QStringLiteral("Adam Bílý")));
}
