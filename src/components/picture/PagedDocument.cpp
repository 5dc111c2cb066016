#include "picture/PagedDocument.h"

#include "files/FileWriter.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QTextDocument>

namespace {

const QString kCannotStart =
    QStringLiteral("Stránky nelze začít kreslit: tiskárnu nebo soubor nelze otevřít.");
const QString kCannotTurn = QStringLiteral("Další stránku nelze začít.");
const QString kCannotFinish = QStringLiteral("Stránky se nepodařilo dokončit.");

bool fail(QString *error, const QString &text) {
    if (error)
        *error = text;
    return false;
}

// One painter over the device from the first page to the last; each page after the first is begun by
// turn(), so that whatever paints knows nothing of page breaks but the ones it asks for.
class Pages {
public:
    explicit Pages(QPagedPaintDevice &device) : m_device(device) {}

    bool begin(QString *error) {
        if (!m_painter.begin(&m_device))
            return fail(error, kCannotStart);
        m_painter.setRenderHint(QPainter::Antialiasing);
        m_painter.setRenderHint(QPainter::TextAntialiasing);
        return true;
    }
    bool turn(QString *error) {
        if (m_painted && !m_device.newPage()) {
            m_painter.end();
            return fail(error, kCannotTurn);
        }
        m_painted = true;
        return true;
    }
    bool end(QString *error) { return m_painter.end() || fail(error, kCannotFinish); }

    QPainter &painter() { return m_painter; }
    QSizeF area() const { return QSizeF(m_device.width(), m_device.height()); }

    bool picture(const PagePicture &picture, QString *error) {
        if (!turn(error))
            return false;
        const QSizeF area = this->area();
        if (picture.size.isEmpty() || area.isEmpty())
            return true;
        const qreal scale =
            std::min(area.width() / picture.size.width(), area.height() / picture.size.height());
        m_painter.save();
        m_painter.translate((area.width() - picture.size.width() * scale) / 2,
                            (area.height() - picture.size.height() * scale) / 2);
        m_painter.scale(scale, scale);
        picture.paint(m_painter);
        m_painter.restore();
        return true;
    }

    // The text laid out for the device's resolution and printable area; the layout breaks pages between
    // lines, and each page is its own slice of the laid-out text.
    bool text(QTextDocument &text, QString *error) {
        const QSizeF area = this->area();
        text.documentLayout()->setPaintDevice(&m_device);
        text.setPageSize(area);
        const int count = text.pageCount();
        for (int page = 0; page < count; ++page) {
            if (!turn(error))
                return false;
            const QRectF slice(0, page * area.height(), area.width(), area.height());
            m_painter.save();
            m_painter.translate(0, -slice.top());
            text.drawContents(&m_painter, slice);
            m_painter.restore();
        }
        return true;
    }

private:
    QPagedPaintDevice &m_device;
    QPainter m_painter;
    bool m_painted = false;
};

bool paintPictures(QPagedPaintDevice &device, const QList<PagePicture> &pictures, QTextDocument *text,
                   QString *error) {
    Pages pages(device);
    if (!pages.begin(error))
        return false;
    const bool painted = !text || pages.text(*text, error);
    if (text)
        text->documentLayout()->setPaintDevice(nullptr);
    if (!painted)
        return false;
    for (const PagePicture &picture : pictures)
        if (!pages.picture(picture, error))
            return false;
    return pages.end(error);
}

} // namespace

PagedDocument PagedDocuments::pictures(const QString &title, QPageLayout::Orientation orientation,
                                       const QList<PagePicture> &pages) {
    PagedDocument document{title, orientation, {15, 15, 15, 15}, {}};
    document.paint = [pages](QPagedPaintDevice &device, QString *error) {
        return paintPictures(device, pages, nullptr, error);
    };
    return document;
}

PagedDocument PagedDocuments::text(const QString &title, std::shared_ptr<QTextDocument> text,
                                   const QList<PagePicture> &pictures) {
    PagedDocument document{title, QPageLayout::Portrait, {15, 15, 15, 15}, {}};
    document.paint = [text, pictures](QPagedPaintDevice &device, QString *error) {
        return paintPictures(device, pictures, text.get(), error);
    };
    return document;
}

PagedDocument PagedDocuments::html(const QString &title, const QString &html, QPageLayout::Orientation orientation,
                                   const QList<PagePicture> &pictures) {
    auto document = std::make_shared<QTextDocument>();
    QFont font = document->defaultFont();
    font.setPointSizeF(8.5);
    document->setDefaultFont(font);
    document->setHtml(html);
    PagedDocument pages = text(title, std::move(document), pictures);
    pages.orientation = orientation;
    return pages;
}

QByteArray PagedDocuments::pdf(const PagedDocument &document, QString *error) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setTitle(document.title);
        writer.setCreator(QStringLiteral("Orbelis"));
        writer.setResolution(1200);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), document.orientation, document.margins,
                                         QPageLayout::Millimeter));
        if (!document.paint) {
            fail(error, kCannotStart);
            return QByteArray();
        }
        if (!document.paint(writer, error))
            return QByteArray();
    }
    return bytes;
}

bool PagedDocuments::savePdf(const PagedDocument &document, const QString &path, QString *error) {
    const QByteArray bytes = pdf(document, error);
    return !bytes.isEmpty() && FileWriter::writeWhole(path, bytes, error);
}
