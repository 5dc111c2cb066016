// The word processor's documents as .docx: what document.xml and the other entries say after the
// program's operations.
#include "AssignmentSheet.h"
#include "DocxPackage.h"

#include "automation/ShowDocument.h"
#include "automation/WordProcessor.h"
#include "support/RecordingShell.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextDocumentFragment>

#include <gtest/gtest.h>

namespace {

struct SavedDocx {
    QMap<QString, QByteArray> entries;
    std::shared_ptr<XmlElement> document;
    QList<const XmlElement *> paragraphs; // w:body's w:p
};

// Saves and reads the package back; fails the test when it is no zip or document.xml is malformed.
SavedDocx saveAndRead(const WordProcessor &processor, const QString &path) {
    SavedDocx saved;
    QString error;
    EXPECT_TRUE(processor.saveAs(path, &error)) << error.toStdString();
    saved.entries = readZip(path, &error);
    EXPECT_TRUE(saved.entries.contains(QStringLiteral("word/document.xml"))) << error.toStdString();
    saved.document = parseXml(saved.entries.value(QStringLiteral("word/document.xml")), &error);
    EXPECT_TRUE(saved.document) << error.toStdString();
    if (saved.document && saved.document->child(QStringLiteral("w:body")))
        saved.paragraphs =
            saved.document->child(QStringLiteral("w:body"))->childrenNamed(QStringLiteral("w:p"));
    return saved;
}

QString attributeOf(const XmlElement *element, const QString &path, const QString &attribute) {
    const XmlElement *at = element;
    for (const QString &step : path.split(u'/')) {
        at = at ? at->child(step) : nullptr;
    }
    return at ? at->attribute(attribute) : QStringLiteral("<missing>");
}

// Text runs of a paragraph (pictures left out).
QList<const XmlElement *> textRuns(const XmlElement *paragraph) {
    QList<const XmlElement *> runs;
    for (const XmlElement *run : paragraph->childrenNamed(QStringLiteral("w:r")))
        if (run->child(QStringLiteral("w:t")))
            runs.append(run);
    return runs;
}

bool isBold(const XmlElement *run) {
    const XmlElement *properties = run->child(QStringLiteral("w:rPr"));
    return properties && properties->child(QStringLiteral("w:b"));
}

bool isUnderlined(const XmlElement *run) {
    const XmlElement *properties = run->child(QStringLiteral("w:rPr"));
    return properties && properties->child(QStringLiteral("w:u")) &&
           properties->child(QStringLiteral("w:u"))->attribute(QStringLiteral("w:val")) ==
               QStringLiteral("single");
}

} // namespace

TEST(WordProcessor, AssignmentSheetBecomesDocxWithItsFormatsPicturesAndPage) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    WordProcessor processor;
    AssignmentSheet sheet;
    QString error;
    ASSERT_TRUE(sheet.build(processor, dir.path(), &error)) << error.toStdString();
    const SavedDocx saved = saveAndRead(processor, dir.filePath(QStringLiteral("zadani.docx")));
    ASSERT_TRUE(saved.document);

    // Title and lines, one paragraph each, then the page of pictures.
    const QStringList lines = AssignmentSheet::lines();
    ASSERT_EQ(saved.paragraphs.size(), 1 + lines.size() + 2);
    EXPECT_EQ(saved.paragraphs.at(0)->wordText(), AssignmentSheet::title());
    for (qsizetype i = 0; i < lines.size(); ++i)
        EXPECT_EQ(saved.paragraphs.at(1 + i)->wordText(), lines.at(i)) << "paragraph " << 1 + i;

    for (qsizetype i = 0; i <= lines.size(); ++i) {
        SCOPED_TRACE("paragraph " + std::to_string(i));
        const XmlElement *p = saved.paragraphs.at(i);
        const bool head = i < 3; // homeKey + moveDown(3, extend) selects three paragraphs
        EXPECT_EQ(attributeOf(p, QStringLiteral("w:pPr/w:jc"), QStringLiteral("w:val")),
                  head ? QStringLiteral("center") : QStringLiteral("<missing>"));
        // 148.8375 pt = 2976.75 twips
        EXPECT_EQ(attributeOf(p, QStringLiteral("w:pPr/w:ind"), QStringLiteral("w:left")),
                  QStringLiteral("2977"));
        EXPECT_EQ(attributeOf(p, QStringLiteral("w:pPr/w:ind"), QStringLiteral("w:hanging")),
                  QStringLiteral("2977"));
        EXPECT_EQ(attributeOf(p, QStringLiteral("w:pPr/w:tabs/w:tab"), QStringLiteral("w:pos")),
                  QStringLiteral("2977"));
        EXPECT_EQ(attributeOf(p, QStringLiteral("w:pPr/w:tabs/w:tab"), QStringLiteral("w:val")),
                  QStringLiteral("left"));
        EXPECT_EQ(attributeOf(p, QStringLiteral("w:pPr/w:spacing"), QStringLiteral("w:before")),
                  QStringLiteral("0"));
        EXPECT_EQ(attributeOf(p, QStringLiteral("w:pPr/w:spacing"), QStringLiteral("w:after")),
                  QStringLiteral("0"));
        // The paragraph mark is sized as the paragraph's text: it makes no line taller.
        EXPECT_EQ(attributeOf(p, QStringLiteral("w:pPr/w:rPr/w:sz"), QStringLiteral("w:val")),
                  head ? QStringLiteral("28") : QStringLiteral("24"));
        const QList<const XmlElement *> runs = textRuns(p);
        ASSERT_FALSE(runs.isEmpty());
        for (const XmlElement *run : runs) {
            EXPECT_EQ(attributeOf(run, QStringLiteral("w:rPr/w:rFonts"), QStringLiteral("w:ascii")),
                      QStringLiteral("Cambria"));
            EXPECT_EQ(attributeOf(run, QStringLiteral("w:rPr/w:sz"), QStringLiteral("w:val")),
                      head ? QStringLiteral("28") : QStringLiteral("24"));
            EXPECT_EQ(isBold(run), i == 0);
        }
    }

    // The second page: a page break, then the two pictures embedded, each in its own paragraph.
    const XmlElement *pngParagraph = saved.paragraphs.at(1 + lines.size());
    const XmlElement *emfParagraph = saved.paragraphs.at(2 + lines.size());
    EXPECT_TRUE(pngParagraph->child(QStringLiteral("w:pPr"))->child(QStringLiteral("w:pageBreakBefore")));
    EXPECT_FALSE(emfParagraph->child(QStringLiteral("w:pPr"))->child(QStringLiteral("w:pageBreakBefore")));
    EXPECT_EQ(attributeOf(pngParagraph, QStringLiteral("w:pPr/w:ind"), QStringLiteral("w:left")),
              QStringLiteral("<missing>"));

    const auto relations = parseXml(saved.entries.value(QStringLiteral("word/_rels/document.xml.rels")));
    const auto types = parseXml(saved.entries.value(QStringLiteral("[Content_Types].xml")));
    ASSERT_TRUE(relations && types);
    QMap<QString, QString> targets;
    for (const XmlElement *r : relations->childrenNamed(QStringLiteral("Relationship"))) {
        EXPECT_TRUE(r->attribute(QStringLiteral("TargetMode")).isEmpty())
            << "pictures are embedded, not linked";
        targets.insert(r->attribute(QStringLiteral("Id")), r->attribute(QStringLiteral("Target")));
    }
    QMap<QString, QString> contentTypes;
    for (const XmlElement *d : types->childrenNamed(QStringLiteral("Default")))
        contentTypes.insert(d->attribute(QStringLiteral("Extension")),
                            d->attribute(QStringLiteral("ContentType")));
    struct Expected {
        const XmlElement *paragraph;
        QByteArray bytes;
        QString extension;
        QString contentType;
        QSizeF points;
    };
    const QList<Expected> pictures = {
        {pngParagraph, sheet.png, QStringLiteral("png"), QStringLiteral("image/png"), QSizeF(300, 225)},
        {emfParagraph, sheet.emf, QStringLiteral("emf"), QStringLiteral("image/x-emf"), QSizeF(360, 240)},
    };
    for (const Expected &picture : pictures) {
        SCOPED_TRACE(picture.extension.toStdString());
        const QList<const XmlElement *> inlines = picture.paragraph->descendants(QStringLiteral("wp:inline"));
        ASSERT_EQ(inlines.size(), 1);
        const QList<const XmlElement *> blips = inlines.first()->descendants(QStringLiteral("a:blip"));
        ASSERT_EQ(blips.size(), 1);
        EXPECT_TRUE(blips.first()->attribute(QStringLiteral("r:link")).isEmpty());
        const QString target = targets.value(blips.first()->attribute(QStringLiteral("r:embed")));
        EXPECT_TRUE(target.endsWith(u'.' + picture.extension)) << target.toStdString();
        EXPECT_EQ(saved.entries.value(QStringLiteral("word/") + target), picture.bytes);
        EXPECT_EQ(contentTypes.value(picture.extension), picture.contentType);
        // The size the file asks for (it fits the landscape page), in EMU: 12,700 a point.
        const XmlElement *extent = inlines.first()->child(QStringLiteral("wp:extent"));
        ASSERT_TRUE(extent);
        EXPECT_NEAR(extent->attribute(QStringLiteral("cx")).toDouble(), picture.points.width() * 12700, 200);
        EXPECT_NEAR(extent->attribute(QStringLiteral("cy")).toDouble(), picture.points.height() * 12700, 200);
    }

    // A4 landscape: the width and height swap; 36.2857 pt margins = 725.7 twips.
    const XmlElement *section =
        saved.document->child(QStringLiteral("w:body"))->child(QStringLiteral("w:sectPr"));
    ASSERT_TRUE(section);
    EXPECT_EQ(attributeOf(section, QStringLiteral("w:pgSz"), QStringLiteral("w:orient")),
              QStringLiteral("landscape"));
    EXPECT_EQ(attributeOf(section, QStringLiteral("w:pgSz"), QStringLiteral("w:w")), QStringLiteral("16838"));
    EXPECT_EQ(attributeOf(section, QStringLiteral("w:pgSz"), QStringLiteral("w:h")), QStringLiteral("11906"));
    for (const char *side : {"w:top", "w:right", "w:bottom", "w:left"})
        EXPECT_EQ(attributeOf(section, QStringLiteral("w:pgMar"), QString::fromLatin1(side)),
                  QStringLiteral("726"))
            << side;
}

TEST(WordProcessor, PastedRichTextKeepsItsParagraphAndCharacterFormats) {
    QTextDocument source;
    source.setHtml(QStringLiteral("<p align=center><b>Pravidla třídy</b></p>"
                                  "<p><i>kurzíva</i> <u>podtržené</u> <span style=\"font-family:Arial; "
                                  "font-size:16pt\">Arial 16</span></p>"
                                  "<p align=right>Třídní učitelka</p>"));
    WordProcessor processor;
    processor.typeText(QStringLiteral("Úvod"));
    processor.typeParagraph();
    processor.pasteRichText(source);
    processor.typeText(QStringLiteral(" 7. B"));

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const SavedDocx saved = saveAndRead(processor, dir.filePath(QStringLiteral("pravidla.docx")));
    ASSERT_EQ(saved.paragraphs.size(), 4);
    const QStringList texts = {QStringLiteral("Úvod"), QStringLiteral("Pravidla třídy"),
                               QStringLiteral("kurzíva podtržené Arial 16"),
                               QStringLiteral("Třídní učitelka 7. B")};
    const QStringList alignments = {QStringLiteral("<missing>"), QStringLiteral("center"),
                                    QStringLiteral("<missing>"), QStringLiteral("right")};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(saved.paragraphs.at(i)->wordText(), texts.at(i));
        EXPECT_EQ(attributeOf(saved.paragraphs.at(i), QStringLiteral("w:pPr/w:jc"), QStringLiteral("w:val")),
                  alignments.at(i))
            << "paragraph " << i;
    }
    const QList<const XmlElement *> title = textRuns(saved.paragraphs.at(1));
    ASSERT_EQ(title.size(), 1);
    EXPECT_TRUE(isBold(title.first()));
    QMap<QString, const XmlElement *> runs;
    for (const XmlElement *run : textRuns(saved.paragraphs.at(2)))
        runs.insert(run->wordText(), run);
    ASSERT_TRUE(runs.contains(QStringLiteral("kurzíva")) && runs.contains(QStringLiteral("podtržené")) &&
                runs.contains(QStringLiteral("Arial 16")));
    EXPECT_TRUE(
        runs.value(QStringLiteral("kurzíva"))->child(QStringLiteral("w:rPr"))->child(QStringLiteral("w:i")));
    EXPECT_TRUE(isUnderlined(runs.value(QStringLiteral("podtržené"))));
    EXPECT_FALSE(isBold(runs.value(QStringLiteral("podtržené"))));
    EXPECT_EQ(attributeOf(runs.value(QStringLiteral("Arial 16")), QStringLiteral("w:rPr/w:rFonts"),
                          QStringLiteral("w:ascii")),
              QStringLiteral("Arial"));
    EXPECT_EQ(attributeOf(runs.value(QStringLiteral("Arial 16")), QStringLiteral("w:rPr/w:sz"),
                          QStringLiteral("w:val")),
              QStringLiteral("32"));
}

TEST(WordProcessor, PicturesWiderThanThePageAreScaledToItsTextWidth) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QImage wide(2000, 500, QImage::Format_RGB32); // 1500 × 375 pt at 96 dpi
    wide.setDotsPerMeterX(3780);
    wide.setDotsPerMeterY(3780);
    wide.fill(Qt::darkGreen);
    const QString path = dir.filePath(QStringLiteral("wide.png"));
    ASSERT_TRUE(wide.save(path));

    WordProcessor processor;
    QString error;
    ASSERT_TRUE(processor.addPicture(path, &error)) << error.toStdString();
    processor.setMargins(50);
    const SavedDocx saved = saveAndRead(processor, dir.filePath(QStringLiteral("wide.docx")));
    ASSERT_FALSE(saved.paragraphs.isEmpty());
    const QList<const XmlElement *> extents =
        saved.paragraphs.first()->descendants(QStringLiteral("wp:extent"));
    ASSERT_EQ(extents.size(), 1);
    // A4 portrait is 595.28 pt wide; less two margins of 50 pt.
    const double width = 210 / 25.4 * 72 - 100;
    EXPECT_NEAR(extents.first()->attribute(QStringLiteral("cx")).toDouble(), width * 12700, 1000);
    EXPECT_NEAR(extents.first()->attribute(QStringLiteral("cy")).toDouble(), width / 4 * 12700, 1000);
}

TEST(WordProcessor, RasterPicturesAreEmbeddedAsTheFileBytesOncePerPicture) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QImage image(120, 80, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (int x = 0; x < 120; ++x)
        image.setPixelColor(x, x * 80 / 120, QColor(200, x * 2, 30));
    // Written by other programs: a JPEG with its own quality, a PNG with maximum compression.
    const QString jpeg = dir.filePath(QStringLiteral("graf.jpg"));
    const QString png = dir.filePath(QStringLiteral("graf.png"));
    ASSERT_TRUE(image.save(jpeg, "JPEG", 40));
    ASSERT_TRUE(image.save(png, "PNG", 0));
    auto bytesOf = [](const QString &path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };

    WordProcessor processor;
    QString error;
    ASSERT_TRUE(processor.addPicture(jpeg, &error)) << error.toStdString();
    processor.typeParagraph();
    ASSERT_TRUE(processor.addPicture(png, &error)) << error.toStdString();
    // The first picture once more (pasted again with its paragraph): shown twice, stored once.
    processor.typeParagraph();
    QTextCursor copy(&processor.document());
    copy.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor);
    QTextCursor(processor.document().lastBlock()).insertFragment(copy.selection());
    const SavedDocx saved = saveAndRead(processor, dir.filePath(QStringLiteral("obrazky.docx")));
    QStringList embedded;
    for (const XmlElement *blip : saved.document->descendants(QStringLiteral("a:blip")))
        embedded << blip->attribute(QStringLiteral("r:embed"));
    EXPECT_EQ(embedded, QStringList({QStringLiteral("rId3"), QStringLiteral("rId4"), QStringLiteral("rId3")}));
    QMap<QString, QByteArray> media;
    for (auto it = saved.entries.cbegin(); it != saved.entries.cend(); ++it)
        if (it.key().startsWith(QStringLiteral("word/media/")))
            media.insert(it.key(), it.value());
    EXPECT_EQ(media.keys(),
              QStringList({QStringLiteral("word/media/image1.jpeg"), QStringLiteral("word/media/image2.png")}));
    EXPECT_EQ(media.value(QStringLiteral("word/media/image1.jpeg")), bytesOf(jpeg));
    EXPECT_EQ(media.value(QStringLiteral("word/media/image2.png")), bytesOf(png));
    EXPECT_TRUE(saved.entries.value(QStringLiteral("[Content_Types].xml")).contains("image/jpeg"));
}

TEST(WordProcessor, ReplaceAllKeepsOrAddsFormattingAndTextSurvivesEscaping) {
    WordProcessor processor;
    processor.typeText(QStringLiteral("Vážení rodiče žáka #JMENO#,\n"));
    processor.setItalic(true);
    processor.typeText(QStringLiteral("zveme #JMENO# a vás"));
    processor.setItalic(false);
    // Control characters pasted from elsewhere cannot stand in XML: they are left out, the text kept.
    processor.typeText(QStringLiteral(" do třídy\u0001 #TRIDA#.\uFFFF"));

    const QString name = QStringLiteral("Jiří O'Brien \"Jirka\" <3 & spol.");
    QTextCharFormat emphasis;
    emphasis.setFontWeight(QFont::Bold);
    emphasis.setFontUnderline(true);
    EXPECT_EQ(processor.replaceAll(QStringLiteral("#JMENO#"), name, emphasis), 2);
    EXPECT_EQ(processor.replaceAll(QStringLiteral("#TRIDA#"), QStringLiteral("7. B – Šťastná")), 1);
    EXPECT_EQ(processor.replaceAll(QStringLiteral("#JMENO#"), name), 0);
    // The replacement is not searched again.
    EXPECT_EQ(processor.replaceAll(QStringLiteral("á"), QStringLiteral("áá")), 4);
    EXPECT_EQ(processor.replaceAll(QStringLiteral("áá"), QStringLiteral("á")), 4);

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const SavedDocx saved = saveAndRead(processor, dir.filePath(QStringLiteral("dopis.docx")));
    ASSERT_EQ(saved.paragraphs.size(), 2);
    EXPECT_EQ(saved.paragraphs.at(0)->wordText(), QStringLiteral("Vážení rodiče žáka ") + name + u',');
    EXPECT_EQ(saved.paragraphs.at(1)->wordText(),
              QStringLiteral("zveme ") + name + QStringLiteral(" a vás do třídy 7. B – Šťastná."));

    // Exactly the replaced names are bold and underlined; the second keeps the italics it replaced.
    int emphasised = 0;
    for (const XmlElement *paragraph : saved.paragraphs) {
        for (const XmlElement *run : textRuns(paragraph)) {
            const bool isName = run->wordText() == name;
            EXPECT_EQ(isBold(run), isName) << run->wordText().toStdString();
            EXPECT_EQ(isUnderlined(run), isName) << run->wordText().toStdString();
            const bool italic = run->child(QStringLiteral("w:rPr")) &&
                                run->child(QStringLiteral("w:rPr"))->child(QStringLiteral("w:i"));
            EXPECT_EQ(italic, paragraph == saved.paragraphs.at(1) &&
                                  !run->wordText().contains(QStringLiteral("třídy")))
                << run->wordText().toStdString();
            emphasised += isName;
        }
    }
    EXPECT_EQ(emphasised, 2);
    // Escaped as XML wants it, and the text is UTF-8.
    const QByteArray xml = saved.entries.value(QStringLiteral("word/document.xml"));
    EXPECT_TRUE(xml.contains("&lt;3 &amp; spol.")) << xml.constData();
    EXPECT_TRUE(xml.contains(QStringLiteral("Šťastná").toUtf8()));
}

TEST(WordProcessor, FailedSaveSaysWhyInCzechAndLeavesNoFile) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    WordProcessor processor;
    processor.typeText(QStringLiteral("Zadání"));

    // A folder cannot be created under a file, whoever runs the test.
    QFile blocker(dir.filePath(QStringLiteral("soubor")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QString error;
    EXPECT_FALSE(processor.saveAs(dir.filePath(QStringLiteral("soubor/zadani.docx")), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("nelze uložit: Složka"))) << error.toStdString();

    // A folder in the way of the file: nothing is left behind, the folder stays as it was.
    const QString folder = dir.filePath(QStringLiteral("zadani.docx"));
    ASSERT_TRUE(QDir().mkpath(folder));
    error.clear();
    EXPECT_FALSE(processor.saveAs(folder, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("nelze uložit: Pod tímto názvem je složka."))) << error.toStdString();
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList({QStringLiteral("soubor"), QStringLiteral("zadani.docx")}));

    // A picture that cannot be read.
    error.clear();
    EXPECT_FALSE(processor.addPicture(dir.filePath(QStringLiteral("chybí.png")), &error));
    EXPECT_TRUE(error.startsWith(QStringLiteral("Obrázek „"))) << error.toStdString();
    error.clear();
    EXPECT_FALSE(processor.addPicture(dir.filePath(QStringLiteral("soubor")), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("nelze načíst"))) << error.toStdString();
}

TEST(WordProcessor, ShowDocumentOpensAUniqueDocxInTheTemporaryFolder) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    RecordingShell shell(QString(), dir.path() + u'/');
    WordProcessor processor;
    processor.typeText(QStringLiteral("Výsledky třídy"));

    QString first;
    QString second;
    QString error;
    ASSERT_TRUE(showDocument(processor, shell, &error, &first)) << error.toStdString();
    ASSERT_TRUE(showDocument(processor, shell, &error, &second)) << error.toStdString();
    EXPECT_NE(first, second);
    EXPECT_EQ(shell.calls, QStringList({QStringLiteral("file:") + first, QStringLiteral("file:") + second}));
    for (const QString &path : {first, second}) {
        EXPECT_EQ(QFileInfo(path).absolutePath(), QFileInfo(dir.path()).absoluteFilePath());
        EXPECT_TRUE(path.endsWith(QStringLiteral(".docx")));
        EXPECT_TRUE(readZip(path).contains(QStringLiteral("word/document.xml")));
    }
}
