#pragma once

#include "picture/PagedDocument.h"

#include <QString>

class Prompter;
class QPrintPreviewDialog;
class QWidget;

// What every window that prints shares: the print preview on the application's printer and "Uložit jako
// PDF", both painting the same pages.
namespace PrintPreview {

// The preview of the document, window-modal over `parent` and not waiting for it; its print button
// prints. The printer takes the document's title and its pages' layout (A4, orientation, margins). A failure
// of the painting is told once the preview is closed, not in the middle of it. `objectName` names the dialog
// (tests find it by it).
QPrintPreviewDialog *open(Prompter &prompter, QWidget *parent, const PagedDocument &document,
                          const QString &objectName);
// "Uložit jako PDF": asks for a file (the name proposed in the remembered folder, else the documents
// folder) and writes the PDF; a failure is shown. The path written, empty when cancelled or failed.
QString savePdf(Prompter &prompter, const PagedDocument &document, const QString &proposedName);

} // namespace PrintPreview
