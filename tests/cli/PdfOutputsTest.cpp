// Every headless output that can be a PDF, made for the demo class and read back with poppler as a reader of
// the file would: pages in the stated size and orientation, the Czech text extractable, fonts embedded, and
// the pictures drawn as vectors (no raster image in the file).
#include "CliRun.h"
#include "support/Poppler.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QString kLandscape = QStringLiteral("842x595");
const QString kPortrait = QStringLiteral("595x842");

class PdfOutputsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        const DemoIds demo = writeDemo(m_dir.path(), m_dir.path());
        ASSERT_TRUE(demo.ok()) << demo.run.out.toStdString() << demo.run.err.toStdString();
        m_questionnaire = demo.questionnaire;
        m_session = demo.session;
    }
    CliRun run(const QStringList &args) { return runCliOn(m_dir.path(), m_dir.path(), args); }
    // Runs the command and gives the PDF it wrote, or an empty path.
    QString pdf(const QString &name, QStringList args) {
        const QString path = m_dir.filePath(name);
        for (QString &word : args)
            word.replace(QStringLiteral("OUT"), path);
        const CliRun result = run(args);
        EXPECT_EQ(result.code, 0) << result.err.toStdString();
        return result.code == 0 ? path : QString();
    }
    static void expectReadable(const QString &path, const QString &size, const QStringList &texts) {
        SCOPED_TRACE(path.toStdString());
        EXPECT_EQ(Poppler::pageSize(path), size);
        EXPECT_TRUE(Poppler::everyFontEmbedded(path)) << Poppler::fonts(path).join(u'\n').toStdString();
        const QString text = Poppler::text(path);
        for (const QString &expected : texts)
            EXPECT_TRUE(text.contains(expected)) << expected.toStdString() << " not in:\n"
                                                 << text.toStdString();
    }

    QTemporaryDir m_dir;
    QString m_questionnaire, m_session;
};

} // namespace

TEST_F(PdfOutputsTest, PicturesAreOneLandscapeVectorPage) {
    const QString sociogram = pdf("sociogram.pdf", {"sociogram", "--session", m_session, "--question", "1",
                                                    "--layout", "target", "--out", "OUT"});
    expectReadable(sociogram, kLandscape, {"Tomáš Zeman", "POZITIVNÍ VOLBY"});
    EXPECT_EQ(Poppler::pages(sociogram), 1);
    EXPECT_EQ(Poppler::images(sociogram), 0);
    EXPECT_EQ(Poppler::title(sociogram), "Sociogram");

    ASSERT_EQ(
        run({"sociogram", "--session", m_session, "--question", "1", "--out", m_dir.filePath("s.sgp")}).code,
        0);
    const QString converted = pdf("prevod.pdf", {"graph", "convert", m_dir.filePath("s.sgp"), "OUT"});
    expectReadable(converted, kLandscape, {"Tomáš Zeman"});
    EXPECT_EQ(Poppler::images(converted), 0);

    const QString chart =
        pdf("graf.pdf", {"chart", "--session", m_session, "--all-rows", "--mono", "--out", "OUT"});
    expectReadable(chart, kLandscape, {"Preferenční volby", "datum", "Eliška Procházková"});
    EXPECT_EQ(Poppler::pages(chart), 1);
    EXPECT_EQ(Poppler::images(chart), 0);
    EXPECT_EQ(Poppler::title(chart), "Sloupcový graf");
}

// Texts are portrait; the analysis, whose pupil table is wide, landscape.
TEST_F(PdfOutputsTest, TextsFlowOverAsManyPagesAsTheyNeed) {
    const QString report =
        pdf("vyhodnoceni.pdf", {"report", "--session", m_session, "--names", "--out", "OUT"});
    expectReadable(report, kPortrait,
                   {"Se kterými spolužáky nejraději trávíš přestávky?", "Kristýna Marková"});
    EXPECT_GE(Poppler::pages(report), 2);

    const QString analysis =
        pdf("rozbor.pdf", {"analysis", "--session", m_session, "--question", "1", "--out", "OUT"});
    expectReadable(analysis, kLandscape, {"Sociometrický rozbor", "Kristýna Marková"});
    EXPECT_GE(Poppler::pages(analysis), 2);
    EXPECT_EQ(Poppler::images(analysis), 0) << "the scatter is drawn, not pasted as a bitmap";
    EXPECT_EQ(Poppler::title(analysis), "Sociometrický rozbor");

    const QString preview = pdf("nahled.pdf", {"questionnaire", "preview", "--id", m_questionnaire, "--kind",
                                               "assignment", "--out", "OUT"});
    expectReadable(preview, kPortrait, {"Se kterými spolužáky nejraději trávíš přestávky?"});

    const QString codes = pdf("kody.pdf", {"codes", "--session", m_session, "--out", "OUT"});
    expectReadable(codes, kPortrait, {"Kristýna Marková"});
    EXPECT_EQ(Poppler::pages(codes), 4); // 24 pupils, six slips to a page
}
