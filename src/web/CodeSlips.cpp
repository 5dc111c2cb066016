#include "web/CodeSlips.h"

#include "automation/WordModel.h"
#include "automation/WordProcessor.h"
#include "data/Database.h"
#include "files/FileWriter.h"
#include "picture/PagedDocument.h"
#include "web/QrCode.h"

#include <QFileInfo>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QUrl>

namespace {

// Cambria is the program's font of written documents; Courier New (Liberation Mono on Linux) keeps every
// character of a code apart.
const QString kTextFamily = QStringLiteral("Cambria");
const QString kCodeFamily = QStringLiteral("Courier New");
const QString kNoAddress = QStringLiteral("adresu dostanete od učitele");
const QString kScissors = QStringLiteral("\u2702");

// Sizes in points, the same on paper from the PDF and from the .docx.
constexpr qreal kNameSize = 14;
constexpr qreal kTextSize = 10;
constexpr qreal kCodeSize = 24;
constexpr qreal kHintSize = 8;
constexpr qreal kPadding = 12; // between a cut line and the text, left and right
constexpr qreal kQrSide = 100; // the QR code with its quiet zone, about 35 mm: phones read it at arm's length

QString classLine(const CodeSlipSheet &sheet) {
    return QStringLiteral("Třída: ") + sheet.className;
}
QString addressLine(const CodeSlipSheet &sheet) {
    return QStringLiteral("Adresa dotazníku: ") + sheet.shownAddress();
}
const QString kCodeLabel = QStringLiteral("Váš kód: ");
const QString kHint = QStringLiteral("Kód nikomu neukazujte: kdo ho zná, může dotazník vyplnit za vás.");

QFont fontOf(const QString &family, qreal points, bool bold) {
    QFont font(family);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

// The width of a text in points at a font size in points, whatever the resolution of the device.
qreal widthInPoints(const QString &text, const QString &family, qreal points, bool bold) {
    QFont font(family);
    font.setPixelSize(1000);
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferNoHinting);
    return QFontMetricsF(font).horizontalAdvance(text) * points / 1000.0;
}

// The largest size up to `points` at which the text fits the width (a long name or address is made
// smaller rather than cut or wrapped: every character of it counts).
qreal fittedSize(const QString &text, const QString &family, qreal points, bool bold, qreal width) {
    const qreal natural = widthInPoints(text, family, points, bold);
    if (natural <= width || natural <= 0)
        return points;
    return std::max(4.0, points * width / natural * 0.98);
}

bool refuseEmpty(const CodeSlipSheet &sheet, QString *error) {
    if (!sheet.codes.isEmpty())
        return false;
    if (error)
        *error = QStringLiteral("Ve třídě vyhodnocení nejsou žádní žáci, kódy pro žáky nejsou pro koho.");
    return true;
}

// --- Painting ---------------------------------------------------------------------------------------

class SlipPainter {
public:
    SlipPainter(QPainter &painter, QPaintDevice &device, const CodeSlipSheet &sheet)
        : m_painter(painter), m_sheet(sheet), m_scale(device.logicalDpiY() / 72.0),
          m_page(0, 0, device.width(), device.height()) {}

    void paintPage(int page) {
        const qreal slipHeight = m_page.height() / CodeSlips::kSlipsPerPage;
        const qsizetype first = qsizetype(page) * CodeSlips::kSlipsPerPage;
        const qsizetype last = std::min<qsizetype>(m_sheet.codes.size(), first + CodeSlips::kSlipsPerPage);
        for (qsizetype i = first; i < last; ++i) {
            const qreal top = m_page.top() + qreal(i - first) * slipHeight;
            cutLine(top);
            slip(m_sheet.codes[i], top);
        }
        cutLine(m_page.top() + qreal(last - first) * slipHeight);
    }

private:
    qreal px(qreal points) const { return points * m_scale; }

    void cutLine(qreal y) {
        QPen pen(QColor(110, 110, 110));
        pen.setWidthF(px(0.6));
        pen.setStyle(Qt::DashLine);
        m_painter.setPen(pen);
        const qreal scissors = px(14);
        m_painter.drawLine(QPointF(m_page.left() + scissors, y), QPointF(m_page.right(), y));
        m_painter.setPen(QColor(110, 110, 110));
        m_painter.setFont(fontOf(kTextFamily, 10, false));
        m_painter.drawText(QRectF(m_page.left(), y - px(7), scissors, px(14)), Qt::AlignLeft | Qt::AlignVCenter,
                           kScissors);
    }

    // One line of text with its top at `top`, `lineHeight` points high; returns the top of the next line.
    qreal line(const QString &text, const QString &family, qreal points, bool bold, qreal left, qreal top,
               qreal lineHeight) {
        const qreal width = (m_textRight - left - px(kPadding)) / m_scale;
        const QFont font = fontOf(family, fittedSize(text, family, points, bold, width), bold);
        m_painter.setFont(font);
        const QFontMetricsF metrics(font, m_painter.device());
        m_painter.drawText(QPointF(left, baselineIn(metrics, top, lineHeight)), text);
        return top + px(lineHeight);
    }

    qreal baselineIn(const QFontMetricsF &metrics, qreal top, qreal lineHeight) const {
        return top + (px(lineHeight) + metrics.ascent() - metrics.descent()) / 2;
    }

    void slip(const PupilCode &code, qreal top) {
        m_textRight = m_page.right();
        const QString link = m_sheet.entryLink(code);
        if (!link.isEmpty()) {
            const QRectF square(m_page.right() - px(kPadding + kQrSide), top + px(12), px(kQrSide),
                                px(kQrSide));
            QrCode::paint(m_painter, square, QrCode::modules(link.toUtf8()));
            m_textRight = square.left();
        }
        m_painter.setPen(Qt::black);
        const qreal left = m_page.left() + px(kPadding);
        qreal y = top + px(12);
        y = line(code.name, kTextFamily, kNameSize, true, left, y, 20);
        y = line(classLine(m_sheet), kTextFamily, kTextSize, false, left, y, 15);
        y = line(addressLine(m_sheet), kTextFamily, kTextSize, false, left, y, 15);
        // The label and the large code on one baseline.
        const QFont label = fontOf(kTextFamily, kTextSize, false);
        const QFont large = fontOf(kCodeFamily, kCodeSize, true);
        const qreal baseline = baselineIn(QFontMetricsF(large, m_painter.device()), y, 36);
        m_painter.setFont(label);
        m_painter.drawText(QPointF(left, baseline), kCodeLabel);
        const qreal labelWidth = QFontMetricsF(label, m_painter.device()).horizontalAdvance(kCodeLabel);
        m_painter.setFont(large);
        m_painter.drawText(QPointF(left + labelWidth, baseline), code.code);
        y += px(36);
        m_painter.setPen(QColor(80, 80, 80));
        line(kHint, kTextFamily, kHintSize, false, left, y, 12);
    }

    QPainter &m_painter;
    const CodeSlipSheet &m_sheet;
    const qreal m_scale; // device units per point
    const QRectF m_page;
    qreal m_textRight = 0; // where the slip's text ends: before its QR code
};

// --- Word-processor document ------------------------------------------------------------------------

// Every paragraph has an exact line height, so that the six slips fill a page in every word processor
// the same way, and the pages break where those of the PDF do: a slip is 124 pt high, six of them and
// the last cut line 756 pt, within the 774 pt of the page inside its margins.
void addParagraph(QTextCursor &cursor, bool &first, qreal lineHeight, qreal spaceBefore, bool pageBreak,
                  qreal spaceAfter = 0) {
    QTextBlockFormat block;
    block.setLineHeight(lineHeight, QTextBlockFormat::FixedHeight);
    block.setTopMargin(spaceBefore);
    block.setBottomMargin(spaceAfter);
    block.setLeftMargin(0);
    if (pageBreak)
        block.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    if (first) {
        cursor.setBlockFormat(block);
        first = false;
    } else {
        cursor.insertBlock(block);
    }
}

void addText(QTextCursor &cursor, const QString &text, const QString &family, qreal points, bool bold,
             const QColor &colour = Qt::black) {
    QTextCharFormat format;
    format.setFontFamilies({family});
    format.setFontPointSize(points);
    format.setFontWeight(bold ? QFont::Bold : QFont::Normal);
    format.setForeground(colour);
    cursor.insertText(text, format);
}

void addCutLine(QTextCursor &cursor, bool &first, bool pageBreak, qreal width) {
    addParagraph(cursor, first, 12, 0, pageBreak);
    const QColor grey(110, 110, 110);
    addText(cursor, kScissors + u' ', kTextFamily, 9, false, grey);
    QString dashes;
    const QString piece = QStringLiteral("- ");
    const qreal room = width - widthInPoints(kScissors + u' ', kTextFamily, 9, false);
    while (widthInPoints(dashes + piece, kTextFamily, kHintSize, false) < room * 0.95)
        dashes += piece;
    addText(cursor, dashes.trimmed(), kTextFamily, kHintSize, false, grey);
}

// Fills the document with the slips and returns the numbers of the slips' first paragraphs (the names),
// where their QR codes are anchored. With a QR code the text ends before it, as on the PDF's slips.
QList<int> fillDocument(QTextDocument &document, const CodeSlipSheet &sheet, qreal textWidth) {
    QTextCursor cursor(&document);
    bool first = true;
    const qreal width = textWidth - kPadding - (sheet.entryAddress.isEmpty() ? 0 : kQrSide + kPadding);
    QList<int> names;
    for (qsizetype i = 0; i < sheet.codes.size(); ++i) {
        const PupilCode &code = sheet.codes[i];
        const bool pageStart = i % CodeSlips::kSlipsPerPage == 0;
        addCutLine(cursor, first, pageStart && i > 0, textWidth);
        addParagraph(cursor, first, 20, 8, false);
        names << cursor.blockNumber();
        addText(cursor, code.name, kTextFamily, fittedSize(code.name, kTextFamily, kNameSize, true, width), true);
        const QString classText = classLine(sheet);
        addParagraph(cursor, first, 15, 0, false);
        addText(cursor, classText, kTextFamily, fittedSize(classText, kTextFamily, kTextSize, false, width), false);
        const QString address = addressLine(sheet);
        addParagraph(cursor, first, 15, 0, false);
        addText(cursor, address, kTextFamily, fittedSize(address, kTextFamily, kTextSize, false, width), false);
        addParagraph(cursor, first, 36, 0, false);
        addText(cursor, kCodeLabel, kTextFamily, kTextSize, false);
        addText(cursor, code.code, kCodeFamily, kCodeSize, true);
        addParagraph(cursor, first, 12, 0, false, 6);
        addText(cursor, kHint, kTextFamily, kHintSize, false, QColor(80, 80, 80));
        if (i + 1 == sheet.codes.size() || (i + 1) % CodeSlips::kSlipsPerPage == 0)
            addCutLine(cursor, first, false, textWidth);
    }
    return names;
}

} // namespace

QString CodeSlipSheet::shownAddress() const {
    return entryAddress.isEmpty() ? kNoAddress : entryAddress;
}

QString CodeSlipSheet::entryLink(const PupilCode &code) const {
    return entryAddress.isEmpty() ? QString() : entryAddress + QStringLiteral("index.php#kod=") + code.code;
}

int CodeSlipSheet::pageCount() const {
    return int((codes.size() + CodeSlips::kSlipsPerPage - 1) / CodeSlips::kSlipsPerPage);
}

namespace CodeSlips {

QString entryAddress(const QString &siteAddress, qint64 sessionId) {
    QString address = siteAddress.trimmed();
    const QUrl url(address);
    if (!url.isValid() || url.host().isEmpty())
        return QString();
    if (!address.endsWith(u'/'))
        address += u'/';
    return address + QString::number(sessionId) + u'/';
}

CodeSlipSheet read(Database &db, qint64 sessionId, const QString &siteAddress) {
    CodeSlipSheet sheet;
    sheet.sessionId = sessionId;
    sheet.codes = PupilCodes::ensure(db, sessionId);
    SqlQuery query(db, QStringLiteral("SELECT t.skola, t.stupen FROM vyhodnoceni AS v JOIN trida AS t "
                                      "ON t.ID = v.id_tridy WHERE v.ID = :s"));
    query.bind(QStringLiteral("s"), sessionId).exec();
    if (query.next()) {
        QStringList parts;
        for (int i = 0; i < 2; ++i)
            if (!query.value(i).toString().trimmed().isEmpty())
                parts << query.value(i).toString().trimmed();
        sheet.className = parts.join(QStringLiteral(", "));
    }
    sheet.entryAddress = entryAddress(siteAddress, sessionId);
    return sheet;
}

bool paint(const CodeSlipSheet &sheet, QPagedPaintDevice &device, QString *error) {
    if (refuseEmpty(sheet, error))
        return false;
    QPainter painter;
    if (!painter.begin(&device)) {
        if (error)
            *error = QStringLiteral("Kódy pro žáky nelze vytisknout: tisk se nepodařilo zahájit.");
        return false;
    }
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    SlipPainter slips(painter, device, sheet);
    for (int page = 0; page < sheet.pageCount(); ++page) {
        if (page > 0 && !device.newPage()) {
            painter.end();
            if (error)
                *error = QStringLiteral("Kódy pro žáky nelze vytisknout: další stranu nelze začít.");
            return false;
        }
        slips.paintPage(page);
    }
    if (!painter.end()) {
        if (error)
            *error = QStringLiteral("Kódy pro žáky se nepodařilo dokončit.");
        return false;
    }
    return true;
}

PagedDocument pages(const CodeSlipSheet &sheet) {
    return PagedDocument{
        QStringLiteral("Kódy pro žáky"),
        QPageLayout::Portrait,
        {12, 12, 12, 12},
        [sheet](QPagedPaintDevice &device, QString *error) { return paint(sheet, device, error); }};
}

bool savePdf(const CodeSlipSheet &sheet, const QString &path, QString *error) {
    return !refuseEmpty(sheet, error) && PagedDocuments::savePdf(pages(sheet), path, error);
}

bool saveDocx(const CodeSlipSheet &sheet, const QString &path, QString *error) {
    if (refuseEmpty(sheet, error))
        return false;
    constexpr qreal kMargin = 12 / 25.4 * 72; // 12 mm, as the PDF
    WordProcessor word;
    word.setMargins(kMargin);
    QTextDocument slips;
    const qreal textWidth = wordmodel::a4().width() - 2 * kMargin;
    const QList<int> names = fillDocument(slips, sheet, textWidth);
    word.pasteRichText(slips);
    if (!sheet.entryAddress.isEmpty()) {
        // The QR code floats at the right of the slip from 6 pt below the top of the name's paragraph, so
        // that it ends with the hint line, as on the PDF's slips.
        const QPointF corner(textWidth - kPadding - kQrSide, 6);
        word.homeKey();
        int paragraph = 0;
        for (qsizetype i = 0; i < names.size(); ++i) {
            word.moveDown(names[i] - paragraph, false);
            paragraph = names[i];
            const QByteArray png = QrCode::png(QrCode::modules(sheet.entryLink(sheet.codes[i]).toUtf8()), 8);
            // An address too long for a QR code leaves the slip with the address in words, as in the PDF.
            if (png.isEmpty())
                continue;
            if (!word.addFloatingPicture(png, corner, QSizeF(kQrSide, kQrSide), error))
                return false;
        }
    }
    return word.saveAs(path, error);
}

QString save(const CodeSlipSheet &sheet, const QString &path, QString *error) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("pdf"))
        return savePdf(sheet, path, error) ? path : QString();
    const QString target = suffix == QLatin1String("docx") ? path : path + QStringLiteral(".docx");
    return saveDocx(sheet, target, error) ? target : QString();
}

} // namespace CodeSlips
