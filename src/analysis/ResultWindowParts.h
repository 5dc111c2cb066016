#pragma once

#include "analysis/AnalysisTexts.h"

#include <QRectF>
#include <QString>

#include <functional>

class QPainter;
class QTreeWidget;
class TDM;
struct AppContext;
struct OutputClass;

// What the result windows of the analysis and the comparison share: the proposed file name, the tree of
// titled lists, saving to a file or to the class documents, and printing.
namespace ResultWindowParts {

// Writes the shown result to `path` in the form its suffix names; false with the Czech reason.
using SaveRoutine = std::function<bool(const QString &path, QString *error)>;
// Paints a picture page into the printable area.
using PagePainter = std::function<void(QPainter &painter, const QRectF &page)>;

// The title, then school, grade, teacher and question, those that are not empty, joined by ", ".
QString proposedName(const QString &title, const OutputClass &trida, const QString &questionText);
// One bold heading per section with its lines beneath, "žádné" in italics for an empty one; expanded.
void fillSections(QTreeWidget *tree, const QList<AnalysisTexts::SubgroupSection> &sections);
// "Uložit…": asks for a file (Word by default, the remembered folder) and saves; a failure is shown.
void saveAs(AppContext &context, const QString &dialogTitle, const QString &filter, const QString &name,
            const SaveRoutine &save);
// "Uložit do Listin": the Word document into the class documents under `name`; a failure is shown.
void saveToDocuments(AppContext &context, TDM &dm, const QString &name, const SaveRoutine &save);
// "Tisk": after the printer dialog, a picture page when `paint` is given, otherwise the HTML as a document.
void print(AppContext &context, const PagePainter &paint, const QString &html);

} // namespace ResultWindowParts
