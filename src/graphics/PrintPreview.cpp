#include "graphics/PrintPreview.h"

#include "graphics/PictureFiles.h"
#include "picture/PagedDocument.h"
#include "platform/Prompter.h"
#include "platform/SharedPrinter.h"

#include <QPrintPreviewDialog>
#include <QPrinter>

#include <memory>

QPrintPreviewDialog *PrintPreview::open(Prompter &prompter, QWidget *parent, const PagedDocument &document,
                                        const QString &objectName) {
    QPrinter &printer = sharedPrinter();
    printer.setDocName(document.title);
    // The pages of the PDF: A4, the document's orientation and margins (the preview's page set-up may
    // change them for this print).
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), document.orientation, document.margins,
                                      QPageLayout::Millimeter));
    auto *dialog = new QPrintPreviewDialog(&printer, parent);
    dialog->setObjectName(objectName);
    dialog->setWindowTitle(document.title);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    auto failure = std::make_shared<QString>();
    QObject::connect(dialog, &QPrintPreviewDialog::paintRequested, dialog,
                     [document, failure](QPrinter *target) {
                         QString error;
                         if (!document.paint(*target, &error))
                             *failure = error;
                     });
    QObject::connect(dialog, &QDialog::finished, dialog, [&prompter, failure, title = document.title] {
        if (!failure->isEmpty())
            prompter.message(*failure, title, Prompter::Icon::Error);
    });
    dialog->open();
    return dialog;
}

QString PrintPreview::savePdf(Prompter &prompter, const PagedDocument &document,
                              const QString &proposedName) {
    const QString path = PictureFiles::ask(prompter, QStringLiteral("pdf"), proposedName);
    if (path.isEmpty())
        return QString();
    QString error;
    if (!PagedDocuments::savePdf(document, path, &error)) {
        prompter.message(error, document.title, Prompter::Icon::Error);
        return QString();
    }
    return path;
}
