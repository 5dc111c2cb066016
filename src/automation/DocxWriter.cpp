#include "automation/DocxWriter.h"

#include "automation/Picture.h"
#include "automation/WordModel.h"
#include "automation/ZipWriter.h"

#include <QBuffer>
#include <QHash>
#include <QImage>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QUrl>
#include <QXmlStreamWriter>

#include <tuple>

namespace {

const QString kW = QStringLiteral("http://schemas.openxmlformats.org/wordprocessingml/2006/main");
const QString kR = QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships");
const QString kWp = QStringLiteral("http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing");
const QString kA = QStringLiteral("http://schemas.openxmlformats.org/drawingml/2006/main");
const QString kPic = QStringLiteral("http://schemas.openxmlformats.org/drawingml/2006/picture");
const QString kPackageRels = QStringLiteral("http://schemas.openxmlformats.org/package/2006/relationships");
const QString kRelationType =
    QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships/");

// Relationships of word/document.xml: the styles and the settings come first, the pictures after them.
const QString kStylesId = QStringLiteral("rId1");
const QString kSettingsId = QStringLiteral("rId2");
constexpr int kFirstPictureId = 3;

int twips(qreal points) {
    return qRound(points * 20.0);
}
int halfPoints(qreal points) {
    return qRound(points * 2.0);
}
qint64 emu(qreal points) {
    return qRound64(points * 12700.0);
}

QString number(qint64 value) {
    return QString::number(value);
}

// XML 1.0 cannot carry most control characters, nor U+FFFE and U+FFFF.
bool isXmlChar(QChar c) {
    const char16_t u = c.unicode();
    return u == 0x9 || u == 0xA || u == 0xD || (u >= 0x20 && u != 0xFFFE && u != 0xFFFF);
}

void startDocument(QXmlStreamWriter &xml) {
    xml.setAutoFormatting(false);
    xml.writeStartDocument(QStringLiteral("1.0"), true);
}

struct MediaFile {
    QString target;     // "media/image1.png", relative to word/
    QString relationId; // "rId3"
    Picture picture;
};

// The run properties that are written, worked out once so that empty ones are left out.
struct RunProperties {
    QString family;
    int halfPointSize = 0;
    bool bold = false;
    bool italic = false;
    bool strike = false;
    QString colour;
    int underline = -1; // QTextCharFormat::UnderlineStyle, -1 when not set
    QString verticalAlign;

    explicit RunProperties(const QTextCharFormat &format) {
        const QStringList families = format.fontFamilies().toStringList();
        family = families.isEmpty() ? QString() : families.first();
        if (family.isEmpty())
            family = format.property(QTextFormat::FontFamily).toString();
        if (format.hasProperty(QTextFormat::FontPointSize) && format.fontPointSize() > 0)
            halfPointSize = halfPoints(format.fontPointSize());
        else if (format.hasProperty(QTextFormat::FontPixelSize) &&
                 format.intProperty(QTextFormat::FontPixelSize) > 0)
            halfPointSize =
                halfPoints(format.intProperty(QTextFormat::FontPixelSize) * 0.75); // 96 dpi pixels
        bold = format.hasProperty(QTextFormat::FontWeight) && format.fontWeight() >= QFont::DemiBold;
        italic = format.fontItalic();
        strike = format.fontStrikeOut();
        if (format.hasProperty(QTextFormat::ForegroundBrush) && format.foreground().style() != Qt::NoBrush)
            colour = format.foreground().color().name().mid(1).toUpper();
        if (format.hasProperty(QTextFormat::TextUnderlineStyle))
            underline = format.underlineStyle();
        else if (format.boolProperty(QTextFormat::FontUnderline))
            underline = QTextCharFormat::SingleUnderline;
        if (format.verticalAlignment() == QTextCharFormat::AlignSuperScript)
            verticalAlign = QStringLiteral("superscript");
        else if (format.verticalAlignment() == QTextCharFormat::AlignSubScript)
            verticalAlign = QStringLiteral("subscript");
    }

    QString underlineValue() const {
        switch (underline) {
        case QTextCharFormat::SingleUnderline:
            return QStringLiteral("single");
        case QTextCharFormat::DashUnderline:
            return QStringLiteral("dash");
        case QTextCharFormat::DotLine:
            return QStringLiteral("dotted");
        case QTextCharFormat::DashDotLine:
            return QStringLiteral("dotDash");
        case QTextCharFormat::DashDotDotLine:
            return QStringLiteral("dotDotDash");
        case QTextCharFormat::WaveUnderline:
            return QStringLiteral("wave");
        default:
            return QString(); // none, or the spell checker's marking
        }
    }

    bool isEmpty() const {
        return family.isEmpty() && halfPointSize == 0 && !bold && !italic && !strike && colour.isEmpty() &&
               underlineValue().isEmpty() && verticalAlign.isEmpty();
    }

    // <w:rPr> in the order the schema gives its children; nothing when there is nothing to say.
    void write(QXmlStreamWriter &xml) const {
        if (isEmpty())
            return;
        xml.writeStartElement(QStringLiteral("w:rPr"));
        if (!family.isEmpty()) {
            xml.writeEmptyElement(QStringLiteral("w:rFonts"));
            for (const char *slot : {"w:ascii", "w:hAnsi", "w:eastAsia", "w:cs"})
                xml.writeAttribute(QString::fromLatin1(slot), family);
        }
        if (bold) {
            xml.writeEmptyElement(QStringLiteral("w:b"));
            xml.writeEmptyElement(QStringLiteral("w:bCs"));
        }
        if (italic) {
            xml.writeEmptyElement(QStringLiteral("w:i"));
            xml.writeEmptyElement(QStringLiteral("w:iCs"));
        }
        if (strike)
            xml.writeEmptyElement(QStringLiteral("w:strike"));
        if (!colour.isEmpty()) {
            xml.writeEmptyElement(QStringLiteral("w:color"));
            xml.writeAttribute(QStringLiteral("w:val"), colour);
        }
        if (halfPointSize > 0) {
            xml.writeEmptyElement(QStringLiteral("w:sz"));
            xml.writeAttribute(QStringLiteral("w:val"), number(halfPointSize));
            xml.writeEmptyElement(QStringLiteral("w:szCs"));
            xml.writeAttribute(QStringLiteral("w:val"), number(halfPointSize));
        }
        if (!underlineValue().isEmpty()) {
            xml.writeEmptyElement(QStringLiteral("w:u"));
            xml.writeAttribute(QStringLiteral("w:val"), underlineValue());
        }
        if (!verticalAlign.isEmpty()) {
            xml.writeEmptyElement(QStringLiteral("w:vertAlign"));
            xml.writeAttribute(QStringLiteral("w:val"), verticalAlign);
        }
        xml.writeEndElement();
    }
};

// Writes word/document.xml and collects the pictures it refers to.
class BodyWriter {
public:
    explicit BodyWriter(const QTextDocument &document)
        : m_document(document), m_textArea(wordmodel::textArea(document)), m_xml(&m_bytes) {}

    QByteArray write() {
        startDocument(m_xml);
        m_xml.writeStartElement(QStringLiteral("w:document"));
        m_xml.writeNamespace(kW, QStringLiteral("w"));
        m_xml.writeNamespace(kR, QStringLiteral("r"));
        m_xml.writeNamespace(kWp, QStringLiteral("wp"));
        m_xml.writeNamespace(kA, QStringLiteral("a"));
        m_xml.writeNamespace(kPic, QStringLiteral("pic"));
        m_xml.writeStartElement(QStringLiteral("w:body"));
        bool breakBefore = false;
        for (QTextBlock block = m_document.begin(); block.isValid(); block = block.next()) {
            writeParagraph(block, breakBefore);
            breakBefore = block.blockFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysAfter;
        }
        writeSection();
        m_xml.writeEndElement(); // body
        m_xml.writeEndElement(); // document
        m_xml.writeEndDocument();
        return m_bytes;
    }

    const QList<MediaFile> &media() const { return m_media; }

private:
    void writeParagraph(const QTextBlock &block, bool breakBefore) {
        m_xml.writeStartElement(QStringLiteral("w:p"));
        writeParagraphProperties(block, breakBefore);
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QTextCharFormat format = fragment.charFormat();
            if (format.isImageFormat()) {
                for (int i = 0; i < fragment.length(); ++i)
                    writePicture(format.toImageFormat());
            } else {
                writeRun(fragment.text(), RunProperties(format));
            }
        }
        m_xml.writeEndElement();
    }

    void writeParagraphProperties(const QTextBlock &block, bool breakBefore) {
        const QTextBlockFormat format = block.blockFormat();
        m_xml.writeStartElement(QStringLiteral("w:pPr"));
        if (breakBefore || (format.pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore))
            m_xml.writeEmptyElement(QStringLiteral("w:pageBreakBefore"));

        const QList<QTextOption::Tab> tabs = format.tabPositions();
        if (!tabs.isEmpty()) {
            m_xml.writeStartElement(QStringLiteral("w:tabs"));
            for (const QTextOption::Tab &tab : tabs) {
                m_xml.writeEmptyElement(QStringLiteral("w:tab"));
                m_xml.writeAttribute(QStringLiteral("w:val"), tabKind(tab.type));
                m_xml.writeAttribute(QStringLiteral("w:pos"), number(twips(tab.position)));
            }
            m_xml.writeEndElement();
        }

        m_xml.writeEmptyElement(QStringLiteral("w:spacing"));
        if (format.boolProperty(wordmodel::SpaceBeforeAuto))
            m_xml.writeAttribute(QStringLiteral("w:beforeAutospacing"), QStringLiteral("1"));
        else
            m_xml.writeAttribute(QStringLiteral("w:before"), number(twips(format.topMargin())));
        if (format.boolProperty(wordmodel::SpaceAfterAuto))
            m_xml.writeAttribute(QStringLiteral("w:afterAutospacing"), QStringLiteral("1"));
        else
            m_xml.writeAttribute(QStringLiteral("w:after"), number(twips(format.bottomMargin())));
        writeLineSpacing(format);

        const qreal left = format.leftMargin() + format.indent() * m_document.indentWidth();
        const qreal right = format.rightMargin();
        const qreal first = format.textIndent();
        if (twips(left) != 0 || twips(right) != 0 || twips(first) != 0) {
            m_xml.writeEmptyElement(QStringLiteral("w:ind"));
            m_xml.writeAttribute(QStringLiteral("w:left"), number(twips(left)));
            m_xml.writeAttribute(QStringLiteral("w:right"), number(twips(right)));
            if (first < 0)
                m_xml.writeAttribute(QStringLiteral("w:hanging"), number(twips(-first)));
            else if (twips(first) != 0)
                m_xml.writeAttribute(QStringLiteral("w:firstLine"), number(twips(first)));
        }

        const QString justification = justificationOf(format);
        if (!justification.isEmpty()) {
            m_xml.writeEmptyElement(QStringLiteral("w:jc"));
            m_xml.writeAttribute(QStringLiteral("w:val"), justification);
        }
        RunProperties(markFormat(block)).write(m_xml);
        m_xml.writeEndElement();
    }

    // The paragraph mark takes the format of the paragraph's last text, so that it makes no line taller;
    // an empty paragraph has the block's own character format, which sizes it.
    static QTextCharFormat markFormat(const QTextBlock &block) {
        QTextCharFormat format = block.charFormat();
        for (auto it = block.begin(); !it.atEnd(); ++it)
            if (!it.fragment().charFormat().isImageFormat())
                format = it.fragment().charFormat();
        return format;
    }

    void writeLineSpacing(const QTextBlockFormat &format) {
        const qreal height = format.lineHeight();
        switch (format.lineHeightType()) {
        case QTextBlockFormat::ProportionalHeight:
            if (height > 0 && qRound(height) != 100) {
                m_xml.writeAttribute(QStringLiteral("w:line"), number(qRound(240 * height / 100)));
                m_xml.writeAttribute(QStringLiteral("w:lineRule"), QStringLiteral("auto"));
            }
            break;
        case QTextBlockFormat::FixedHeight:
            m_xml.writeAttribute(QStringLiteral("w:line"), number(twips(height)));
            m_xml.writeAttribute(QStringLiteral("w:lineRule"), QStringLiteral("exact"));
            break;
        case QTextBlockFormat::MinimumHeight:
            m_xml.writeAttribute(QStringLiteral("w:line"), number(twips(height)));
            m_xml.writeAttribute(QStringLiteral("w:lineRule"), QStringLiteral("atLeast"));
            break;
        default:
            break;
        }
    }

    static QString tabKind(QTextOption::TabType type) {
        switch (type) {
        case QTextOption::RightTab:
            return QStringLiteral("right");
        case QTextOption::CenterTab:
            return QStringLiteral("center");
        case QTextOption::DelimiterTab:
            return QStringLiteral("decimal");
        default:
            return QStringLiteral("left");
        }
    }

    static QString justificationOf(const QTextBlockFormat &format) {
        if (!format.hasProperty(QTextFormat::BlockAlignment))
            return QString();
        const Qt::Alignment alignment = format.alignment() & Qt::AlignHorizontal_Mask;
        if (alignment & Qt::AlignJustify)
            return QStringLiteral("both");
        if (alignment & Qt::AlignHCenter)
            return QStringLiteral("center");
        if (alignment & (Qt::AlignRight | Qt::AlignTrailing))
            return QStringLiteral("right");
        return QString();
    }

    // One run of text: tabs, line breaks and soft hyphens become their own elements.
    void writeRun(const QString &text, const RunProperties &properties) {
        m_xml.writeStartElement(QStringLiteral("w:r"));
        properties.write(m_xml);
        QString pending;
        auto flush = [&] {
            if (pending.isEmpty())
                return;
            m_xml.writeStartElement(QStringLiteral("w:t"));
            m_xml.writeAttribute(QStringLiteral("xml:space"), QStringLiteral("preserve"));
            m_xml.writeCharacters(pending);
            m_xml.writeEndElement();
            pending.clear();
        };
        for (const QChar c : text) {
            if (c == u'\t') {
                flush();
                m_xml.writeEmptyElement(QStringLiteral("w:tab"));
            } else if (c == QChar::LineSeparator || c == u'\n' || c == u'\r') {
                flush();
                m_xml.writeEmptyElement(QStringLiteral("w:br"));
            } else if (c == QChar::SoftHyphen) {
                flush();
                m_xml.writeEmptyElement(QStringLiteral("w:softHyphen"));
            } else if (c == QChar::ObjectReplacementCharacter || !isXmlChar(c)) {
                continue;
            } else {
                pending += c;
            }
        }
        flush();
        m_xml.writeEndElement();
    }

    // The picture file behind an image name: its bytes as embedded, or the document's image as PNG.
    const MediaFile *mediaFor(const QString &name) {
        const auto known = m_mediaByName.constFind(name);
        if (known != m_mediaByName.constEnd())
            return known.value() < 0 ? nullptr : &m_media.at(known.value());
        Picture picture;
        bool loaded = false;
        const QVariant bytes = m_document.resource(wordmodel::PictureFile, wordmodel::pictureFileUrl(name));
        if (bytes.typeId() == QMetaType::QByteArray)
            loaded = picture.loadData(bytes.toByteArray(), name);
        if (!loaded) {
            const QVariant resource = m_document.resource(QTextDocument::ImageResource, QUrl(name));
            QByteArray png;
            if (resource.typeId() == QMetaType::QImage) {
                QBuffer buffer(&png);
                buffer.open(QIODevice::WriteOnly);
                resource.value<QImage>().save(&buffer, "PNG");
            } else if (resource.typeId() == QMetaType::QByteArray) {
                png = resource.toByteArray();
            }
            loaded = !png.isEmpty() && picture.loadData(png, name);
        }
        if (!loaded) {
            m_mediaByName.insert(name, -1);
            return nullptr;
        }
        const qsizetype index = m_media.size();
        m_media.append(
            {QStringLiteral("media/image%1.%2").arg(index + 1).arg(Picture::extension(picture.format())),
             QStringLiteral("rId%1").arg(kFirstPictureId + index), picture});
        m_mediaByName.insert(name, int(index));
        return &m_media.last();
    }

    // What the picture takes on the page: its own width and height, else the size its file asks for,
    // never more than the text area.
    QSizeF pictureSize(const QTextImageFormat &format, const Picture &picture) const {
        QSizeF natural = picture.sizePoints();
        if (format.hasProperty(wordmodel::NaturalWidth) && format.hasProperty(wordmodel::NaturalHeight))
            natural = QSizeF(format.doubleProperty(wordmodel::NaturalWidth),
                             format.doubleProperty(wordmodel::NaturalHeight));
        QSizeF size = natural;
        const bool hasWidth = format.hasProperty(QTextFormat::ImageWidth) && format.width() > 0;
        const bool hasHeight = format.hasProperty(QTextFormat::ImageHeight) && format.height() > 0;
        if (hasWidth && hasHeight)
            size = QSizeF(format.width(), format.height());
        else if (hasWidth && natural.width() > 0)
            size = natural * (format.width() / natural.width());
        else if (hasHeight && natural.height() > 0)
            size = natural * (format.height() / natural.height());
        return wordmodel::fitted(size, m_textArea);
    }

    void writePicture(const QTextImageFormat &format) {
        const MediaFile *media = mediaFor(format.name());
        if (!media)
            return;
        const QSizeF size = pictureSize(format, media->picture);
        const QString cx = number(qMax<qint64>(1, emu(size.width())));
        const QString cy = number(qMax<qint64>(1, emu(size.height())));
        const QString id = number(++m_drawings);
        const bool floating = format.hasProperty(wordmodel::FloatLeft);

        m_xml.writeStartElement(QStringLiteral("w:r"));
        m_xml.writeStartElement(QStringLiteral("w:drawing"));
        if (floating) {
            writeAnchorStart(format, id.toLongLong());
        } else {
            m_xml.writeStartElement(QStringLiteral("wp:inline"));
            for (const char *distance : {"distT", "distB", "distL", "distR"})
                m_xml.writeAttribute(QString::fromLatin1(distance), QStringLiteral("0"));
        }
        m_xml.writeEmptyElement(QStringLiteral("wp:extent"));
        m_xml.writeAttribute(QStringLiteral("cx"), cx);
        m_xml.writeAttribute(QStringLiteral("cy"), cy);
        m_xml.writeEmptyElement(QStringLiteral("wp:effectExtent"));
        for (const char *side : {"l", "t", "r", "b"})
            m_xml.writeAttribute(QString::fromLatin1(side), QStringLiteral("0"));
        if (floating) {
            // Text beside the picture flows on its left only: the picture stands at the right of its slip.
            m_xml.writeEmptyElement(QStringLiteral("wp:wrapSquare"));
            m_xml.writeAttribute(QStringLiteral("wrapText"), QStringLiteral("left"));
        }
        m_xml.writeEmptyElement(QStringLiteral("wp:docPr"));
        m_xml.writeAttribute(QStringLiteral("id"), id);
        m_xml.writeAttribute(QStringLiteral("name"), QStringLiteral("Obrázek %1").arg(id));
        m_xml.writeStartElement(QStringLiteral("wp:cNvGraphicFramePr"));
        m_xml.writeEmptyElement(QStringLiteral("a:graphicFrameLocks"));
        m_xml.writeAttribute(QStringLiteral("noChangeAspect"), QStringLiteral("1"));
        m_xml.writeEndElement();
        writeGraphic(*media, cx, cy);
        m_xml.writeEndElement(); // inline or anchor
        m_xml.writeEndElement(); // drawing
        m_xml.writeEndElement(); // r
    }

    // <wp:anchor> with its position: from the left edge of the column and the top of the paragraph, in
    // front of the text, stacked in the order written, 0.125 inch from text on its left.
    void writeAnchorStart(const QTextImageFormat &format, qint64 order) {
        m_xml.writeStartElement(QStringLiteral("wp:anchor"));
        m_xml.writeAttribute(QStringLiteral("distT"), QStringLiteral("0"));
        m_xml.writeAttribute(QStringLiteral("distB"), QStringLiteral("0"));
        m_xml.writeAttribute(QStringLiteral("distL"), QStringLiteral("114300"));
        m_xml.writeAttribute(QStringLiteral("distR"), QStringLiteral("0"));
        m_xml.writeAttribute(QStringLiteral("simplePos"), QStringLiteral("0"));
        m_xml.writeAttribute(QStringLiteral("relativeHeight"), number(251658240 + order));
        m_xml.writeAttribute(QStringLiteral("behindDoc"), QStringLiteral("0"));
        m_xml.writeAttribute(QStringLiteral("locked"), QStringLiteral("0"));
        m_xml.writeAttribute(QStringLiteral("layoutInCell"), QStringLiteral("1"));
        m_xml.writeAttribute(QStringLiteral("allowOverlap"), QStringLiteral("0"));
        m_xml.writeEmptyElement(QStringLiteral("wp:simplePos"));
        m_xml.writeAttribute(QStringLiteral("x"), QStringLiteral("0"));
        m_xml.writeAttribute(QStringLiteral("y"), QStringLiteral("0"));
        const auto position = [this](const QString &axis, const QString &from, qreal points) {
            m_xml.writeStartElement(axis);
            m_xml.writeAttribute(QStringLiteral("relativeFrom"), from);
            m_xml.writeTextElement(QStringLiteral("wp:posOffset"), number(emu(points)));
            m_xml.writeEndElement();
        };
        position(QStringLiteral("wp:positionH"), QStringLiteral("column"),
                 format.doubleProperty(wordmodel::FloatLeft));
        position(QStringLiteral("wp:positionV"), QStringLiteral("paragraph"),
                 format.doubleProperty(wordmodel::FloatTop));
    }

    // <a:graphic>: the picture file stretched over the size of the drawing.
    void writeGraphic(const MediaFile &media, const QString &cx, const QString &cy) {
        m_xml.writeStartElement(QStringLiteral("a:graphic"));
        m_xml.writeStartElement(QStringLiteral("a:graphicData"));
        m_xml.writeAttribute(QStringLiteral("uri"), kPic);
        m_xml.writeStartElement(QStringLiteral("pic:pic"));
        m_xml.writeStartElement(QStringLiteral("pic:nvPicPr"));
        m_xml.writeEmptyElement(QStringLiteral("pic:cNvPr"));
        m_xml.writeAttribute(QStringLiteral("id"), QStringLiteral("0"));
        m_xml.writeAttribute(QStringLiteral("name"), media.target.section(u'/', -1));
        m_xml.writeEmptyElement(QStringLiteral("pic:cNvPicPr"));
        m_xml.writeEndElement(); // nvPicPr
        m_xml.writeStartElement(QStringLiteral("pic:blipFill"));
        m_xml.writeEmptyElement(QStringLiteral("a:blip"));
        m_xml.writeAttribute(QStringLiteral("r:embed"), media.relationId);
        m_xml.writeStartElement(QStringLiteral("a:stretch"));
        m_xml.writeEmptyElement(QStringLiteral("a:fillRect"));
        m_xml.writeEndElement(); // stretch
        m_xml.writeEndElement(); // blipFill
        m_xml.writeStartElement(QStringLiteral("pic:spPr"));
        m_xml.writeStartElement(QStringLiteral("a:xfrm"));
        m_xml.writeEmptyElement(QStringLiteral("a:off"));
        m_xml.writeAttribute(QStringLiteral("x"), QStringLiteral("0"));
        m_xml.writeAttribute(QStringLiteral("y"), QStringLiteral("0"));
        m_xml.writeEmptyElement(QStringLiteral("a:ext"));
        m_xml.writeAttribute(QStringLiteral("cx"), cx);
        m_xml.writeAttribute(QStringLiteral("cy"), cy);
        m_xml.writeEndElement(); // xfrm
        m_xml.writeStartElement(QStringLiteral("a:prstGeom"));
        m_xml.writeAttribute(QStringLiteral("prst"), QStringLiteral("rect"));
        m_xml.writeEmptyElement(QStringLiteral("a:avLst"));
        m_xml.writeEndElement(); // prstGeom
        m_xml.writeEndElement(); // spPr
        m_xml.writeEndElement(); // pic
        m_xml.writeEndElement(); // graphicData
        m_xml.writeEndElement(); // graphic
    }

    void writeSection() {
        const QSizeF page = m_document.pageSize().isValid() ? m_document.pageSize() : wordmodel::a4();
        const QTextFrameFormat frame = m_document.rootFrame()->frameFormat();
        m_xml.writeStartElement(QStringLiteral("w:sectPr"));
        m_xml.writeEmptyElement(QStringLiteral("w:pgSz"));
        m_xml.writeAttribute(QStringLiteral("w:w"), number(twips(page.width())));
        m_xml.writeAttribute(QStringLiteral("w:h"), number(twips(page.height())));
        if (page.width() > page.height())
            m_xml.writeAttribute(QStringLiteral("w:orient"), QStringLiteral("landscape"));
        const int top = twips(frame.topMargin());
        const int bottom = twips(frame.bottomMargin());
        m_xml.writeEmptyElement(QStringLiteral("w:pgMar"));
        m_xml.writeAttribute(QStringLiteral("w:top"), number(top));
        m_xml.writeAttribute(QStringLiteral("w:right"), number(twips(frame.rightMargin())));
        m_xml.writeAttribute(QStringLiteral("w:bottom"), number(bottom));
        m_xml.writeAttribute(QStringLiteral("w:left"), number(twips(frame.leftMargin())));
        // Headers and footers (there are none) 1.25 cm from the edge, never beyond the margin.
        m_xml.writeAttribute(QStringLiteral("w:header"), number(qMin(708, top)));
        m_xml.writeAttribute(QStringLiteral("w:footer"), number(qMin(708, bottom)));
        m_xml.writeAttribute(QStringLiteral("w:gutter"), QStringLiteral("0"));
        m_xml.writeEndElement();
    }

    const QTextDocument &m_document;
    const QSizeF m_textArea;
    QByteArray m_bytes;
    QXmlStreamWriter m_xml;
    QList<MediaFile> m_media;
    QHash<QString, int> m_mediaByName; // -1: a picture whose bytes are missing
    int m_drawings = 0;
};

QByteArray stylesXml(const QTextDocument &document) {
    const QFont font = document.defaultFont();
    const qreal points = font.pointSizeF() > 0 ? font.pointSizeF() : font.pixelSize() * 0.75;
    const QString family = font.family();
    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    startDocument(xml);
    xml.writeStartElement(QStringLiteral("w:styles"));
    xml.writeNamespace(kW, QStringLiteral("w"));
    xml.writeStartElement(QStringLiteral("w:docDefaults"));
    xml.writeStartElement(QStringLiteral("w:rPrDefault"));
    xml.writeStartElement(QStringLiteral("w:rPr"));
    xml.writeEmptyElement(QStringLiteral("w:rFonts"));
    for (const char *slot : {"w:ascii", "w:hAnsi", "w:eastAsia", "w:cs"})
        xml.writeAttribute(QString::fromLatin1(slot), family);
    xml.writeEmptyElement(QStringLiteral("w:sz"));
    xml.writeAttribute(QStringLiteral("w:val"), number(halfPoints(points)));
    xml.writeEmptyElement(QStringLiteral("w:szCs"));
    xml.writeAttribute(QStringLiteral("w:val"), number(halfPoints(points)));
    xml.writeEmptyElement(QStringLiteral("w:lang"));
    xml.writeAttribute(QStringLiteral("w:val"), QStringLiteral("cs-CZ"));
    xml.writeAttribute(QStringLiteral("w:eastAsia"), QStringLiteral("cs-CZ"));
    xml.writeAttribute(QStringLiteral("w:bidi"), QStringLiteral("ar-SA"));
    xml.writeEndElement(); // rPr
    xml.writeEndElement(); // rPrDefault
    xml.writeStartElement(QStringLiteral("w:pPrDefault"));
    xml.writeStartElement(QStringLiteral("w:pPr"));
    xml.writeEmptyElement(QStringLiteral("w:spacing"));
    xml.writeAttribute(QStringLiteral("w:after"), QStringLiteral("0"));
    xml.writeAttribute(QStringLiteral("w:line"), QStringLiteral("240"));
    xml.writeAttribute(QStringLiteral("w:lineRule"), QStringLiteral("auto"));
    xml.writeEndElement(); // pPr
    xml.writeEndElement(); // pPrDefault
    xml.writeEndElement(); // docDefaults

    xml.writeStartElement(QStringLiteral("w:style"));
    xml.writeAttribute(QStringLiteral("w:type"), QStringLiteral("paragraph"));
    xml.writeAttribute(QStringLiteral("w:default"), QStringLiteral("1"));
    xml.writeAttribute(QStringLiteral("w:styleId"), QStringLiteral("Normal"));
    xml.writeEmptyElement(QStringLiteral("w:name"));
    xml.writeAttribute(QStringLiteral("w:val"), QStringLiteral("Normal"));
    xml.writeEmptyElement(QStringLiteral("w:qFormat"));
    xml.writeEndElement();

    xml.writeStartElement(QStringLiteral("w:style"));
    xml.writeAttribute(QStringLiteral("w:type"), QStringLiteral("character"));
    xml.writeAttribute(QStringLiteral("w:default"), QStringLiteral("1"));
    xml.writeAttribute(QStringLiteral("w:styleId"), QStringLiteral("DefaultParagraphFont"));
    xml.writeEmptyElement(QStringLiteral("w:name"));
    xml.writeAttribute(QStringLiteral("w:val"), QStringLiteral("Default Paragraph Font"));
    xml.writeEmptyElement(QStringLiteral("w:uiPriority"));
    xml.writeAttribute(QStringLiteral("w:val"), QStringLiteral("1"));
    xml.writeEmptyElement(QStringLiteral("w:semiHidden"));
    xml.writeEmptyElement(QStringLiteral("w:unhideWhenUsed"));
    xml.writeEndElement();

    xml.writeEndElement(); // styles
    xml.writeEndDocument();
    return bytes;
}

QByteArray settingsXml(const QTextDocument &document) {
    const qreal tabStop = document.defaultTextOption().tabStopDistance();
    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    startDocument(xml);
    xml.writeStartElement(QStringLiteral("w:settings"));
    xml.writeNamespace(kW, QStringLiteral("w"));
    xml.writeEmptyElement(QStringLiteral("w:defaultTabStop"));
    xml.writeAttribute(QStringLiteral("w:val"), number(tabStop > 0 ? twips(tabStop) : 708));
    xml.writeStartElement(QStringLiteral("w:compat"));
    xml.writeEmptyElement(QStringLiteral("w:compatSetting"));
    xml.writeAttribute(QStringLiteral("w:name"), QStringLiteral("compatibilityMode"));
    xml.writeAttribute(QStringLiteral("w:uri"), QStringLiteral("http://schemas.microsoft.com/office/word"));
    xml.writeAttribute(QStringLiteral("w:val"), QStringLiteral("15"));
    xml.writeEndElement(); // compat
    xml.writeEndElement(); // settings
    xml.writeEndDocument();
    return bytes;
}

QByteArray contentTypesXml(const QList<MediaFile> &media) {
    const QString main = QStringLiteral("application/vnd.openxmlformats-officedocument.wordprocessingml.");
    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    startDocument(xml);
    xml.writeStartElement(QStringLiteral("Types"));
    xml.writeDefaultNamespace(QStringLiteral("http://schemas.openxmlformats.org/package/2006/content-types"));
    auto byExtension = [&xml](const QString &extension, const QString &type) {
        xml.writeEmptyElement(QStringLiteral("Default"));
        xml.writeAttribute(QStringLiteral("Extension"), extension);
        xml.writeAttribute(QStringLiteral("ContentType"), type);
    };
    byExtension(QStringLiteral("rels"),
                QStringLiteral("application/vnd.openxmlformats-package.relationships+xml"));
    byExtension(QStringLiteral("xml"), QStringLiteral("application/xml"));
    QList<Picture::Format> formats;
    for (const MediaFile &file : media) {
        if (!formats.contains(file.picture.format())) {
            formats.append(file.picture.format());
            byExtension(Picture::extension(file.picture.format()),
                        Picture::contentType(file.picture.format()));
        }
    }
    auto byOverride = [&xml](const QString &name, const QString &type) {
        xml.writeEmptyElement(QStringLiteral("Override"));
        xml.writeAttribute(QStringLiteral("PartName"), name);
        xml.writeAttribute(QStringLiteral("ContentType"), type);
    };
    byOverride(QStringLiteral("/word/document.xml"), main + QStringLiteral("document.main+xml"));
    byOverride(QStringLiteral("/word/styles.xml"), main + QStringLiteral("styles+xml"));
    byOverride(QStringLiteral("/word/settings.xml"), main + QStringLiteral("settings+xml"));
    xml.writeEndElement();
    xml.writeEndDocument();
    return bytes;
}

QByteArray relationshipsXml(const QList<std::tuple<QString, QString, QString>> &relations) {
    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    startDocument(xml);
    xml.writeStartElement(QStringLiteral("Relationships"));
    xml.writeDefaultNamespace(kPackageRels);
    for (const auto &[id, type, target] : relations) {
        xml.writeEmptyElement(QStringLiteral("Relationship"));
        xml.writeAttribute(QStringLiteral("Id"), id);
        xml.writeAttribute(QStringLiteral("Type"), kRelationType + type);
        xml.writeAttribute(QStringLiteral("Target"), target);
    }
    xml.writeEndElement();
    xml.writeEndDocument();
    return bytes;
}

} // namespace

DocxWriter::DocxWriter(const QTextDocument &document) : m_document(document) {}

QList<QPair<QString, QByteArray>> DocxWriter::entries() const {
    BodyWriter body(m_document);
    const QByteArray document = body.write();
    QList<std::tuple<QString, QString, QString>> relations = {
        {kStylesId, QStringLiteral("styles"), QStringLiteral("styles.xml")},
        {kSettingsId, QStringLiteral("settings"), QStringLiteral("settings.xml")},
    };
    for (const MediaFile &file : body.media())
        relations.append({file.relationId, QStringLiteral("image"), file.target});

    QList<QPair<QString, QByteArray>> entries;
    entries.append({QStringLiteral("[Content_Types].xml"), contentTypesXml(body.media())});
    entries.append({QStringLiteral("_rels/.rels"),
                    relationshipsXml({{QStringLiteral("rId1"), QStringLiteral("officeDocument"),
                                       QStringLiteral("word/document.xml")}})});
    entries.append({QStringLiteral("word/document.xml"), document});
    entries.append({QStringLiteral("word/styles.xml"), stylesXml(m_document)});
    entries.append({QStringLiteral("word/settings.xml"), settingsXml(m_document)});
    entries.append({QStringLiteral("word/_rels/document.xml.rels"), relationshipsXml(relations)});
    for (const MediaFile &file : body.media())
        entries.append({QStringLiteral("word/") + file.target, file.picture.data()});
    return entries;
}

bool DocxWriter::write(const QString &path, QString *error) const {
    ZipWriter zip;
    for (const auto &[name, content] : entries())
        zip.add(name, content);
    return zip.write(path, error);
}
