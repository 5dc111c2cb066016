// The analysis as files a teacher opens: the Word document, the web page, the scatter as pictures, and
// the refusals when a file cannot be written.
#include "analysis/AnalysisOutputs.h"
#include "analysis/AnalysisTexts.h"
#include "analysis/SociometricAnalysis.h"
#include "analysis/StatusScatter.h"
#include "automation/DocxPackage.h"
#include "data/DataFixture.h"
#include "picture/EmfReader.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QRegularExpression>

#include <map>

namespace {

using Sociometry::Status;

QByteArray readAll(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Eight people of one class: Adam chosen by everyone, Cyril rejected by everyone, Karel both chosen and
// rejected by half the class, Nina neither; the rest choose and reject a little.
class AnalysisOutputsTest : public DataFixture {
protected:
    void SetUp() override {
        DataFixture::SetUp();
        m_class = addClass(QStringLiteral("ZŠ Lipová"), QStringLiteral("7.C"), QStringLiteral("Horáková"));
        const QList<std::pair<QString, QString>> people = {
            {QStringLiteral("Adam"), QStringLiteral("Bílý")},
            {QStringLiteral("<b>Eva"), QStringLiteral("& \"Ann\"</b>")},
            {QStringLiteral("Cyril"), QStringLiteral("Dub")},
            {QStringLiteral("Karel"), QStringLiteral("Kos")},
            {QStringLiteral("Nina"), QStringLiteral("Malá")},
            {QStringLiteral("Filip"), QStringLiteral("Horák")},
            {QStringLiteral("Gita"), QStringLiteral("Nová")},
            {QStringLiteral("Hana"), QStringLiteral("Krátká")}};
        int position = 1;
        for (const auto &[first, last] : people)
            m_people.append(addPupil(m_class, first, last,
                                     last.endsWith(u'á') ? QStringLiteral("žena") : QStringLiteral("muž"),
                                     position++));
        m_test = addTest(QStringLiteral("Vztahy"));
        m_question =
            addQuestion(m_test, QStringLiteral("S kým sedíš rád?"), QStringLiteral("S kým nesedíš?"), 0, 1);
        m_plainQuestion = addQuestion(m_test, QStringLiteral("Kdo je tvůj kamarád?"), QVariant(), 0, 2);
        m_session = addSession(m_class, m_test, QStringLiteral("2026-03-04 00:00:00"));

        const qint64 adam = m_people[0], eva = m_people[1], cyril = m_people[2], karel = m_people[3];
        const qint64 nina = m_people[4], filip = m_people[5], gita = m_people[6], hana = m_people[7];
        for (qint64 from : m_people) {
            if (from != adam)
                addAnswer(m_session, m_question, from, adam, true);
            if (from != cyril)
                addAnswer(m_session, m_question, from, cyril, false);
            addAnswer(m_session, m_plainQuestion, from, from == adam ? eva : adam, true);
        }
        for (qint64 from : {eva, filip, gita, hana})
            addAnswer(m_session, m_question, from, karel, true);
        for (qint64 from : {adam, filip, gita, hana})
            addAnswer(m_session, m_question, from, karel, false);
        const QList<std::pair<qint64, qint64>> liked = {{adam, eva},  {gita, eva},  {hana, filip},
                                                        {eva, filip}, {hana, gita}, {filip, gita},
                                                        {gita, hana}, {karel, hana}};
        for (const auto &[from, to] : liked)
            addAnswer(m_session, m_question, from, to, true);
        const QList<std::pair<qint64, qint64>> disliked = {
            {cyril, eva}, {cyril, filip}, {cyril, gita}, {nina, hana}};
        for (const auto &[from, to] : disliked)
            addAnswer(m_session, m_question, from, to, false);
    }

    SociometricAnalysis analyse(qint64 question) {
        QString reason;
        const std::optional<SociometricAnalysis> result =
            Sociometry::analyse(m_db, m_session, question, &reason);
        EXPECT_TRUE(result) << reason.toStdString();
        return result ? *result : SociometricAnalysis();
    }
    // The analysis with its groups, checked to be the class this fixture means.
    SociometricAnalysis analysed() {
        SociometricAnalysis a = analyse(m_question);
        EXPECT_TRUE(a.hasStatuses());
        EXPECT_EQ(status(a, 0), Status::Popular) << AnalysisTexts::text(a).toStdString();
        EXPECT_EQ(status(a, 2), Status::Rejected);
        EXPECT_EQ(status(a, 3), Status::Controversial);
        EXPECT_EQ(status(a, 4), Status::Neglected) << AnalysisTexts::text(a).toStdString();
        return a;
    }
    std::optional<Status> status(const SociometricAnalysis &a, int person) {
        const AnalysisPupil *p = a.pupil(m_people[person]);
        return p ? p->status : std::nullopt;
    }
    QString path(const QString &name) const { return m_dir.filePath(name); }

    qint64 m_class = 0, m_test = 0, m_question = 0, m_plainQuestion = 0, m_session = 0;
    QList<qint64> m_people;
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

// The cells of a table row laid out at tab stops: each line's tab-separated pieces, and the lines of one
// cell joined again by a space.
QStringList cellsOfRow(const QString &row) {
    QStringList cells;
    for (const QString &line : row.split(u'\n')) {
        const QStringList pieces = line.split(u'\t');
        for (qsizetype i = 0; i < pieces.size(); ++i) {
            if (cells.size() <= i)
                cells.append(QString());
            if (!pieces[i].isEmpty())
                cells[i] += (cells[i].isEmpty() ? QString() : QStringLiteral(" ")) + pieces[i];
        }
    }
    return cells;
}

// Pixels of exactly that colour in `area` of the image (the inside of a point; text and edges blend).
int pixelsOf(const QImage &image, const QColor &colour, const QRect &area) {
    int count = 0;
    const QRect inside = area.intersected(image.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            count += QColor(image.pixel(x, y)).rgb() == colour.rgb();
    return count;
}

TEST_F(AnalysisOutputsTest, WordDocumentCarriesTheIndicesThePupilTableAndTheScatterPicture) {
    const SociometricAnalysis a = analysed();
    QString error;
    const QString file = path(QStringLiteral("rozbor.docx"));
    ASSERT_TRUE(AnalysisOutputs::save(a, file, &error)) << error.toStdString();
    const QMap<QString, QByteArray> docx = readZip(file, &error);
    ASSERT_TRUE(docx.contains(QStringLiteral("word/document.xml"))) << error.toStdString();
    const QStringList texts = paragraphs(docx.value(QStringLiteral("word/document.xml")));
    const QString all = texts.join(u'\n');

    for (const QString &line : AnalysisTexts::heading(a))
        EXPECT_TRUE(texts.contains(line)) << line.toStdString();
    for (const AnalysisTexts::IndexLine &line : AnalysisTexts::groupIndices(a))
        EXPECT_TRUE(
            texts.contains(line.name + u'\t' + AnalysisTexts::figure(line.value) + u'\t' + line.explanation))
            << line.name.toStdString();
    const QList<Status> statuses = Sociometry::allStatuses();
    for (int i = 0; i < statuses.size(); ++i)
        EXPECT_TRUE(texts.contains(AnalysisTexts::groupName(statuses[i]) + u'\t' +
                                   QString::number(a.group.statusCounts->at(i))))
            << AnalysisTexts::groupName(statuses[i]).toStdString();
    for (const AnalysisTexts::SubgroupSection &section : AnalysisTexts::subgroupSections(a)) {
        EXPECT_TRUE(texts.contains(section.heading)) << section.heading.toStdString();
        for (const QString &line : section.lines)
            EXPECT_TRUE(texts.contains(line)) << line.toStdString();
    }
    // Every cell of every row at its own tab stop, the names as they are (markup characters included).
    const QStringList columns = AnalysisTexts::pupilColumns();
    EXPECT_TRUE(std::any_of(texts.cbegin(), texts.cend(),
                            [&](const QString &t) { return cellsOfRow(t) == columns; }));
    for (const AnalysisPupil &pupil : a.pupils) {
        const QStringList cells = AnalysisTexts::pupilCells(pupil);
        EXPECT_TRUE(std::any_of(texts.cbegin(), texts.cend(),
                                [&](const QString &t) { return cellsOfRow(t) == cells; }))
            << pupil.name.toStdString() << "\n"
            << all.toStdString();
    }
    EXPECT_TRUE(all.contains(QStringLiteral("<b>Eva & \"Ann\"</b>")));

    // The scatter as an embedded picture the document refers to.
    QStringList media;
    for (auto it = docx.cbegin(); it != docx.cend(); ++it)
        if (it.key().startsWith(QStringLiteral("word/media/")))
            media << it.key();
    ASSERT_EQ(media.size(), 1);
    const QImage picture = QImage::fromData(docx.value(media[0]));
    EXPECT_EQ(picture.size(), StatusScatter::defaultSize() * 2);
    EXPECT_TRUE(
        docx.value(QStringLiteral("word/_rels/document.xml.rels")).contains(media[0].mid(5).toUtf8()));
    EXPECT_TRUE(all.contains(QStringLiteral("Preference a vliv")));
}

TEST_F(AnalysisOutputsTest, WebPageEscapesEveryTextAndCarriesTheWholeTable) {
    const SociometricAnalysis a = analysed();
    const QString page = AnalysisOutputs::html(a);
    EXPECT_TRUE(page.startsWith(QStringLiteral("<!DOCTYPE html>\n<html lang=\"cs\">")));
    EXPECT_TRUE(page.contains(QStringLiteral("<meta charset=\"utf-8\">")));
    EXPECT_TRUE(page.contains(QStringLiteral("&lt;b&gt;Eva &amp; &quot;Ann&quot;&lt;/b&gt;")));
    EXPECT_FALSE(page.contains(QStringLiteral("<b>Eva")));
    EXPECT_FALSE(page.contains(QStringLiteral("\"Ann\"")));

    // One row per pupil with every cell, tinted in the light shade of the pupil's group.
    const QRegularExpression rowPattern(
        QStringLiteral("<tr( style=\"background-color: (#[0-9a-f]{6})\")?>(.*)</tr>"));
    const QRegularExpression cellPattern(QStringLiteral("<td[^>]*>(.*?)</td>"));
    QList<QStringList> rows;
    QStringList tints;
    for (auto match = rowPattern.globalMatch(page); match.hasNext();) {
        const QRegularExpressionMatch row = match.next();
        QStringList cells;
        for (auto cell = cellPattern.globalMatch(row.captured(3)); cell.hasNext();)
            cells << cell.next().captured(1);
        if (cells.size() == AnalysisTexts::pupilColumns().size()) {
            rows << cells;
            tints << row.captured(2);
        }
    }
    ASSERT_EQ(rows.size(), a.pupils.size());
    for (qsizetype i = 0; i < rows.size(); ++i) {
        QStringList expected;
        for (const QString &cell : AnalysisTexts::pupilCells(a.pupils[i]))
            expected << cell.toHtmlEscaped();
        EXPECT_EQ(rows[i], expected);
        const QColor tint(tints[i]), group = Sociometry::statusColour(*a.pupils[i].status);
        ASSERT_TRUE(tint.isValid()) << i;
        EXPECT_GT(tint.lightness(), 200) << i;
        EXPECT_NEAR(tint.hue(), group.hue(), 3) << i;
    }
    for (const AnalysisTexts::IndexLine &line : AnalysisTexts::groupIndices(a))
        EXPECT_TRUE(page.contains(QStringLiteral("<td>%1</td><td class=\"num\">%2</td><td>%3</td>")
                                      .arg(line.name, AnalysisTexts::figure(line.value), line.explanation)))
            << line.name.toStdString();
    EXPECT_TRUE(page.contains(QStringLiteral("oblíbení</td><td class=\"num\">1</td>")));
    EXPECT_TRUE(page.contains(QStringLiteral("<li>Gita Nová, Hana Krátká</li>")) ||
                page.contains(QStringLiteral("<li>Gita Nová – Hana Krátká</li>")));
}

TEST_F(AnalysisOutputsTest, ScatterPutsEachGroupWhereItsDefinitionSays) {
    const SociometricAnalysis a = analysed();
    const QImage image = QImage::fromData(StatusScatter::png(a), "PNG");
    ASSERT_EQ(image.size(), StatusScatter::defaultSize());
    // Below the legend: left, right, top and bottom halves of the picture.
    const int w = image.width(), h = image.height(), top = 40;
    const QRect left(0, top, w / 2, h - top), right(w / 2, top, w - w / 2, h - top);
    const QRect upper(0, top, w, h / 2 - top), lower(0, h / 2, w, h - h / 2);
    const QColor popular = Sociometry::statusColour(Status::Popular);
    const QColor rejected = Sociometry::statusColour(Status::Rejected);
    const QColor controversial = Sociometry::statusColour(Status::Controversial);
    const QColor neglected = Sociometry::statusColour(Status::Neglected);
    EXPECT_GE(pixelsOf(image, popular, right), 20);
    EXPECT_EQ(pixelsOf(image, popular, left), 0);
    EXPECT_GE(pixelsOf(image, rejected, left), 20);
    EXPECT_EQ(pixelsOf(image, rejected, right), 0);
    EXPECT_GE(pixelsOf(image, controversial, upper), 20);
    EXPECT_EQ(pixelsOf(image, controversial, lower), 0);
    EXPECT_GE(pixelsOf(image, neglected, lower), 20);
    EXPECT_EQ(pixelsOf(image, neglected, upper), 0);
    // The legend's names stand in their band above the plot, beside their points.
    int ink = 0;
    for (int y = 12; y < 27; ++y)
        for (int x = 0; x < w; ++x) {
            const QColor c(image.pixel(x, y));
            ink += c.lightness() < 110 && c.hslSaturation() < 40;
        }
    EXPECT_GE(ink, 150);

    // Without a negative wording there are no groups: no point of any group, the reason instead.
    const SociometricAnalysis plain = analyse(m_plainQuestion);
    ASSERT_FALSE(plain.hasStatuses());
    const QImage reason = QImage::fromData(StatusScatter::png(plain), "PNG");
    ASSERT_EQ(reason.size(), StatusScatter::defaultSize());
    // (The edges of the text may hit a grey exactly here and there; a point's inside is some 60 pixels.)
    for (Status s : Sociometry::allStatuses())
        EXPECT_LT(pixelsOf(reason, Sociometry::statusColour(s), reason.rect()), 10) << int(s);
    EXPECT_GT(pixelsOf(reason, QColor(0x40, 0x40, 0x40), reason.rect()), 50); // the reason's text

    // Its documents say why instead of showing a picture.
    QString error;
    const QString file = path(QStringLiteral("bez.docx"));
    ASSERT_TRUE(AnalysisOutputs::save(plain, file, &error)) << error.toStdString();
    const QMap<QString, QByteArray> docx = readZip(file);
    EXPECT_FALSE(std::any_of(docx.keyBegin(), docx.keyEnd(), [](const QString &name) {
        return name.startsWith(QStringLiteral("word/media/"));
    }));
    const QString reasonText = AnalysisTexts::missingStatusReason(plain);
    EXPECT_GE(paragraphs(docx.value(QStringLiteral("word/document.xml"))).count(reasonText), 2);
    EXPECT_TRUE(AnalysisOutputs::html(plain).contains(reasonText));
    EXPECT_FALSE(AnalysisOutputs::html(plain).contains(QStringLiteral("data:image/png")));
}

TEST_F(AnalysisOutputsTest, EverySuffixWritesItsOwnForm) {
    const SociometricAnalysis a = analysed();
    QString error;
    for (const QString &suffix : AnalysisOutputs::suffixes())
        ASSERT_TRUE(AnalysisOutputs::save(a, path(QStringLiteral("rozbor.") + suffix), &error))
            << suffix.toStdString() << ": " << error.toStdString();
    EXPECT_EQ(readAll(path(QStringLiteral("rozbor.csv"))), AnalysisTexts::csv(a));
    EXPECT_EQ(readAll(path(QStringLiteral("rozbor.json"))), AnalysisTexts::json(a));
    EXPECT_EQ(QString::fromUtf8(readAll(path(QStringLiteral("rozbor.txt")))), AnalysisTexts::text(a));
    EXPECT_EQ(QString::fromUtf8(readAll(path(QStringLiteral("rozbor.html")))), AnalysisOutputs::html(a));
    EXPECT_EQ(QImage(path(QStringLiteral("rozbor.png"))).size(), StatusScatter::defaultSize());
    const QByteArray svg = readAll(path(QStringLiteral("rozbor.svg")));
    EXPECT_TRUE(svg.contains("<svg")) << svg.left(200).toStdString();
    EXPECT_TRUE(svg.contains("Sociální preference"));

    // The metafile reads back with its frame and the texts a teacher reads in it.
    EmfReader emf;
    ASSERT_TRUE(emf.read(readAll(path(QStringLiteral("rozbor.emf"))), &error)) << error.toStdString();
    EXPECT_EQ(emf.header().frame, QRect(QPoint(0, 0), QPoint(21166, 15874))); // 800 × 600 px at 96 dpi
    const QString texts = emf.texts().join(u'\n');
    for (const QString &expected :
         {QStringLiteral("Sociální preference"), QStringLiteral("Sociální vliv"), QStringLiteral("oblíbení"),
          QStringLiteral("odmítaní"), QStringLiteral("přehlížení"), QStringLiteral("kontroverzní"),
          QStringLiteral("Adam Bílý"), QStringLiteral("<b>Eva & \"Ann\"</b>")})
        EXPECT_TRUE(texts.contains(expected)) << expected.toStdString() << "\n" << texts.toStdString();
}

TEST_F(AnalysisOutputsTest, FileThatCannotBeWrittenIsRefusedInCzechAndLeavesNothing) {
    const SociometricAnalysis a = analysed();
    // A folder cannot be made below a file, whoever runs the test; a folder in the way of the file stays.
    QFile blocker(path(QStringLiteral("soubor")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("slozka.docx")));
    ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("slozka.png")));
    ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("jen-ke-cteni")));
    const QStringList before =
        QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString &suffix : AnalysisOutputs::suffixes()) {
        QString error;
        const QString below = path(QStringLiteral("soubor/rozbor.") + suffix);
        EXPECT_FALSE(AnalysisOutputs::save(a, below, &error)) << suffix.toStdString();
        EXPECT_TRUE(error.contains(QStringLiteral("nelze uložit"))) << error.toStdString();
        EXPECT_FALSE(QFileInfo::exists(below));
    }
    for (const QString &name : {QStringLiteral("slozka.docx"), QStringLiteral("slozka.png")}) {
        QString error;
        EXPECT_FALSE(AnalysisOutputs::save(a, path(name), &error)) << name.toStdString();
        EXPECT_TRUE(error.contains(QStringLiteral("nelze uložit"))) << error.toStdString();
        EXPECT_TRUE(QFileInfo(path(name)).isDir());
    }

    // A read-only folder, where it refuses writes (it does not for the superuser).
    const QString locked = path(QStringLiteral("jen-ke-cteni"));
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner);
    QFile probe(locked + QStringLiteral("/zkouska"));
    if (!probe.open(QIODevice::WriteOnly)) {
        for (const QString &suffix :
             {QStringLiteral("docx"), QStringLiteral("html"), QStringLiteral("emf")}) {
            QString error;
            EXPECT_FALSE(AnalysisOutputs::save(a, locked + QStringLiteral("/rozbor.") + suffix, &error));
            EXPECT_TRUE(error.contains(QStringLiteral("nelze uložit"))) << error.toStdString();
        }
        EXPECT_TRUE(QDir(locked).isEmpty());
    } else {
        probe.remove();
    }
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), before);

    // An unknown kind of output is refused before anything is written.
    QString error;
    EXPECT_FALSE(AnalysisOutputs::save(a, path(QStringLiteral("rozbor.odt")), &error));
    EXPECT_TRUE(error.startsWith(QStringLiteral("Neznámý typ výstupu"))) << error.toStdString();
    EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("rozbor.odt"))));
}

} // namespace
