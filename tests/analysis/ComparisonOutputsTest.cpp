// The comparison of two surveys as files a teacher opens (the Word document, the web page, the table and
// the data), and the course over time as the chart component draws it.
#include "TwoSurveys.h"

#include "analysis/ComparisonOutputs.h"
#include "analysis/ComparisonTexts.h"
#include "analysis/TrendChart.h"
#include "automation/DocxPackage.h"
#include "chart/ChartModel.h"
#include "chart/ChartSeries.h"
#include "picture/EmfReader.h"

#include <QFile>
#include <QImage>

namespace {

QByteArray readAll(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class ComparisonOutputsTest : public TwoSurveys {
protected:
    SurveyComparison compared() {
        QString reason;
        std::optional<SurveyComparison> c =
            Comparison::compare(m_db, m_earlier, m_question, m_later, std::nullopt, &reason);
        EXPECT_TRUE(c) << reason.toStdString();
        return c ? *c : SurveyComparison();
    }
    SurveyTrend trend() {
        QString reason;
        std::optional<SurveyTrend> t = Comparison::trend(m_db, m_demo.classId, questionText(), &reason);
        EXPECT_TRUE(t) << reason.toStdString();
        return t ? *t : SurveyTrend();
    }
    QString questionText() {
        return m_db
            .scalar(QStringLiteral("SELECT text_otazky FROM otazky WHERE ID = :q"), {{"q", m_question}})
            .toString();
    }
    QString path(const QString &name) const { return m_dir.filePath(name); }
};

// The texts of the paragraphs of word/document.xml.
QStringList paragraphs(const QByteArray &documentXml) {
    QString error;
    const std::shared_ptr<XmlElement> root = parseXml(documentXml, &error);
    EXPECT_TRUE(root) << error.toStdString();
    QStringList texts;
    if (root)
        for (const XmlElement *p : root->descendants(QStringLiteral("w:p")))
            texts << p->wordText();
    return texts;
}

QStringList mediaOf(const QMap<QString, QByteArray> &docx) {
    QStringList media;
    for (auto it = docx.cbegin(); it != docx.cend(); ++it)
        if (it.key().startsWith(QStringLiteral("word/media/")))
            media << it.key();
    return media;
}

} // namespace

TEST_F(ComparisonOutputsTest, WordDocumentCarriesTheSummaryThePupilsWithTheirPassagesAndTheCourseChart) {
    const SurveyComparison c = compared();
    const ComparedPupil *lukas = c.pupil(m_lukas);
    ASSERT_TRUE(lukas && lukas->passage()) << ComparisonTexts::text(c).toStdString();
    const SurveyTrend course = trend();
    ASSERT_EQ(course.sessions.size(), 2);

    QString error;
    const QString file = path(QStringLiteral("srovnani.docx"));
    ASSERT_TRUE(ComparisonOutputs::save(c, file, &error, &course)) << error.toStdString();
    const QMap<QString, QByteArray> docx = readZip(file, &error);
    ASSERT_TRUE(docx.contains(QStringLiteral("word/document.xml"))) << error.toStdString();
    const QStringList texts = paragraphs(docx.value(QStringLiteral("word/document.xml")));
    const QString all = texts.join(u'\n');

    for (const QString &line : ComparisonTexts::heading(c))
        EXPECT_TRUE(texts.contains(line)) << line.toStdString();
    for (const char *heading : {"Shrnutí", "Žáci", "Vazby", "Třída", "Vývoj"})
        EXPECT_TRUE(texts.contains(QString::fromUtf8(heading))) << heading;
    for (const QString &line : ComparisonTexts::summary(c))
        EXPECT_TRUE(texts.contains(line)) << line.toStdString() << "\n" << all.toStdString();
    // The pupil table: names with their diacritics, the pass into the popular group, the absent pupil.
    const QString passage = ComparisonTexts::pupilCells(*lukas).at(11);
    EXPECT_TRUE(passage.contains(QStringLiteral(" → "))) << passage.toStdString();
    const QString lukasRow = *std::find_if(texts.cbegin(), texts.cend(), [](const QString &t) {
        return t.startsWith(QStringLiteral("Lukáš Pokorný\t"));
    });
    EXPECT_TRUE(lukasRow.contains(u'→')) << lukasRow.toStdString();
    EXPECT_TRUE(all.contains(QStringLiteral("Zuzana Čermáková\t")));
    const auto tomasRow = std::find_if(texts.cbegin(), texts.cend(), [](const QString &t) {
        return t.startsWith(QStringLiteral("Tomáš Zeman\t"));
    });
    ASSERT_NE(tomasRow, texts.cend());
    EXPECT_TRUE(tomasRow->contains(QStringLiteral("chyběl")));
    for (const AnalysisTexts::SubgroupSection &section : ComparisonTexts::pairSections(c))
        EXPECT_TRUE(texts.contains(section.heading)) << section.heading.toStdString();
    for (const IndexChange &index : c.indices)
        EXPECT_TRUE(all.contains(index.name + u'\t')) << index.name.toStdString();

    // The course: its table and the chart as the one picture, made at twice its size.
    EXPECT_TRUE(all.contains(ComparisonTexts::trendRows(course).constLast().constFirst()));
    const QStringList media = mediaOf(docx);
    ASSERT_EQ(media.size(), 1);
    EXPECT_EQ(QImage::fromData(docx.value(media[0])).size(), TrendChart::picture(course).size() * 2);

    // Without a course (or with a single session in it) the document has neither.
    ASSERT_TRUE(ComparisonOutputs::save(c, file, &error)) << error.toStdString();
    const QMap<QString, QByteArray> plain = readZip(file, &error);
    EXPECT_TRUE(mediaOf(plain).isEmpty());
    EXPECT_FALSE(
        paragraphs(plain.value(QStringLiteral("word/document.xml"))).contains(QStringLiteral("Vývoj")));
    SurveyTrend single = course;
    single.sessions.removeLast();
    ASSERT_TRUE(ComparisonOutputs::save(c, file, &error, &single)) << error.toStdString();
    EXPECT_TRUE(mediaOf(readZip(file, &error)).isEmpty());
}

TEST_F(ComparisonOutputsTest, WebPageEscapesNamesMarksPassagesAndInlinesTheChart) {
    m_db.exec(QStringLiteral(
        "UPDATE zak SET jmeno = '<b>Ema</b>', prijmeni = '& \"Zuzana\"' WHERE jmeno = 'Zuzana'"));
    const SurveyComparison c = compared();
    const SurveyTrend course = trend();
    const QString page = ComparisonOutputs::html(c, &course);
    EXPECT_TRUE(page.startsWith(QStringLiteral("<!DOCTYPE html>\n<html lang=\"cs\">")));
    EXPECT_TRUE(page.contains(QStringLiteral("&lt;b&gt;Ema&lt;/b&gt; &amp; &quot;Zuzana&quot;")));
    EXPECT_FALSE(page.contains(QStringLiteral("<b>Ema")));
    EXPECT_TRUE(page.contains(QStringLiteral("<tr class=\"passage\"")));
    EXPECT_TRUE(page.contains(QStringLiteral("<td>Lukáš Pokorný</td>")));
    for (const char *heading : {"Shrnutí", "Žáci", "Vazby", "Třída", "Vývoj"})
        EXPECT_TRUE(page.contains(QStringLiteral("<h2>%1</h2>").arg(QString::fromUtf8(heading)))) << heading;
    EXPECT_EQ(page.count(QStringLiteral("src=\"data:image/png;base64,")), 1);
    EXPECT_FALSE(ComparisonOutputs::html(c).contains(QStringLiteral("<h2>Vývoj</h2>")));
    // The course's table: a row for every pupil, the first one too, then the class's two figures.
    const QString section = page.mid(page.indexOf(QStringLiteral("<h2>Vývoj</h2>")));
    const QList<QStringList> rows = ComparisonTexts::trendRows(course);
    ASSERT_GT(rows.size(), 3);
    EXPECT_EQ(section.count(QStringLiteral("<tr")), rows.size() + 1);
    EXPECT_EQ(section.count(QStringLiteral("<tr class=\"total\">")), 2);
    EXPECT_TRUE(section.contains(QStringLiteral("<tr><td>%1</td>").arg(rows.first().first().toHtmlEscaped())))
        << rows.first().first().toStdString();

    // The saved page is this page, in UTF-8.
    QString error;
    ASSERT_TRUE(ComparisonOutputs::save(c, path(QStringLiteral("srovnani.html")), &error, &course));
    EXPECT_EQ(QString::fromUtf8(readAll(path(QStringLiteral("srovnani.html")))), page);
}

TEST_F(ComparisonOutputsTest, EachSuffixWritesItsOwnFormAndAnUnknownOneNothing) {
    const SurveyComparison c = compared();
    QString error;
    for (const char *suffix : {"csv", "json", "txt"})
        ASSERT_TRUE(ComparisonOutputs::save(c, path(QStringLiteral("s.") + QLatin1String(suffix)), &error))
            << error.toStdString();
    EXPECT_EQ(readAll(path(QStringLiteral("s.csv"))), ComparisonTexts::csv(c));
    EXPECT_EQ(readAll(path(QStringLiteral("s.json"))), ComparisonTexts::json(c));
    EXPECT_EQ(QString::fromUtf8(readAll(path(QStringLiteral("s.txt")))), ComparisonTexts::text(c));

    EXPECT_FALSE(ComparisonOutputs::save(c, path(QStringLiteral("s.odt")), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("s.odt")) && error.contains(QStringLiteral(".docx")))
        << error.toStdString();
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("s.odt"))));
}

TEST_F(ComparisonOutputsTest, TheCourseChartHasBothLinesWithOnePointPerSessionInDateOrder) {
    // A third survey made last but dated first: the chart still runs by date.
    copySession(QStringLiteral("2025-10-01 00:00:00"));
    const SurveyTrend course = trend();
    ASSERT_EQ(course.sessions.size(), 3);

    ChartModel chart;
    chart.AddSeries(ChartSeriesKind::Bar); // whatever was there before goes
    TrendChart::fill(chart, course);
    ASSERT_EQ(chart.SeriesCount(), 2);
    const TChartSeries *cohesion = chart.Series(0);
    const TChartSeries *isolates = chart.Series(1);
    EXPECT_EQ(cohesion->Caption(), TrendChart::cohesionSeriesName());
    EXPECT_EQ(isolates->Caption(), QStringLiteral("Izolovaní žáci"));
    for (const TChartSeries *series : {cohesion, isolates}) {
        EXPECT_EQ(series->Kind(), ChartSeriesKind::Line);
        ASSERT_EQ(series->PointCount(), 3);
        QStringList dates;
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(series->Point(i).X, i + 1);
            dates << series->Point(i).Name;
        }
        EXPECT_EQ(dates, QStringList({"1. 10. 2025", "15. 1. 2026", "20. 5. 2026"}));
    }
    // Values read back through the axis scale: cohesion in per cent, isolates as a count.
    for (int i = 0; i < 3; ++i) {
        const AnalysisGroup &group = course.sessions[i].analysis.group;
        EXPECT_NEAR(cohesion->Point(i).Y / chart.AxisYScale(), *group.cohesion * 100, 0.05);
        EXPECT_DOUBLE_EQ(isolates->Point(i).Y / chart.AxisYScale(), double(group.isolates.size()));
    }

    // In the picture each date stands under its point: the component draws a label (h − 4) / 2 left of
    // its tick, h being half the tick step.
    const ChartMetafile picture = TrendChart::picture(course);
    const ChartLayout &layout = picture.layout();
    ASSERT_EQ(layout.xTicks.size(), 3);
    ASSERT_EQ(layout.series.size(), 2);
    const int h = (layout.xTicks[1].Pixel - layout.xTicks[0].Pixel) / 2;
    for (int i = 0; i < 3; ++i) {
        const int labelX = layout.xTicks[i].Pixel - (h - 4) / 2;
        EXPECT_LE(std::abs(labelX - layout.series[1].points[i].x()), 1) << i;
        EXPECT_EQ(layout.xTicks[i].Label, isolates->Point(i).Name);
    }

    // Pictures: PNG at the chosen scale, and SVG and EMF files that read back; other kinds refused.
    EXPECT_EQ(QImage::fromData(TrendChart::png(course, 2)).size(), picture.size() * 2);
    QString error;
    for (const char *suffix : {"png", "svg", "emf"})
        EXPECT_TRUE(TrendChart::save(course, path(QStringLiteral("vyvoj.") + QLatin1String(suffix)), &error))
            << error.toStdString();
    EXPECT_TRUE(readAll(path(QStringLiteral("vyvoj.svg"))).contains("Soudržnost (%)"));
    EmfReader emf;
    ASSERT_TRUE(emf.read(readAll(path(QStringLiteral("vyvoj.emf"))), &error)) << error.toStdString();
    EXPECT_TRUE(emf.texts().contains(QStringLiteral("Izolovaní žáci")));
    EXPECT_FALSE(TrendChart::save(course, path(QStringLiteral("vyvoj.jpg")), &error));
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("vyvoj.jpg"))));
}
