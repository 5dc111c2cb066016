#pragma once

#include "picture/PictureExport.h"

#include <QList>
#include <QMarginsF>
#include <QPageLayout>
#include <QSize>
#include <QString>

#include <functional>
#include <memory>

class QPagedPaintDevice;
class QTextDocument;

// A picture on a page of its own: its size in picture units and the routine that paints it from the origin.
struct PagePicture {
    QSize size;
    PaintRoutine paint;
};

// The pages of one output, painted by one routine on any paged device: the printer, its preview and a PDF
// all get the same pages.
struct PagedDocument {
    QString title; // the document title of a PDF, the job name of a print
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    QMarginsF margins{15, 15, 15, 15}; // millimetres, for the PDF
    // Paints every page on the device (one painter from the first page to the last); false with the Czech
    // reason.
    std::function<bool(QPagedPaintDevice &device, QString *error)> paint;
};

namespace PagedDocuments {

// Each picture on a page of its own, scaled to fill the printable area with its aspect kept and centred.
PagedDocument pictures(const QString &title, QPageLayout::Orientation orientation,
                       const QList<PagePicture> &pages);
// The text flowing over as many pages as it needs, laid out for the device (page breaks between lines),
// then each picture on a page of its own. The document is shared, not copied; nothing else may change it
// while the pages are painted.
PagedDocument text(const QString &title, std::shared_ptr<QTextDocument> text,
                   const QList<PagePicture> &pictures = {});
// An HTML page as such a text, at 8.5 pt (wide tables keep their words whole), in the orientation given.
PagedDocument html(const QString &title, const QString &html, QPageLayout::Orientation orientation,
                   const QList<PagePicture> &pictures = {});

// The document as a PDF: A4 in its orientation and margins, vector, fonts embedded, with its title.
QByteArray pdf(const PagedDocument &document, QString *error);
// The same written whole through the checked file path, or not at all.
bool savePdf(const PagedDocument &document, const QString &path, QString *error);

} // namespace PagedDocuments
