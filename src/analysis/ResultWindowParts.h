#pragma once

#include "analysis/AnalysisTexts.h"

#include <QString>

#include <functional>

class QAction;
class QMenu;
class QTreeWidget;
class QWidget;
class TDM;
struct AppContext;
struct OutputClass;

// What the result windows of the analysis and the comparison share: the proposed file name, the tree of
// titled lists, saving to a file or to the class documents (print and PDF: PrintPreview).
namespace ResultWindowParts {

// Writes the shown result to `path` in the form its suffix names; false with the Czech reason.
using SaveRoutine = std::function<bool(const QString &path, QString *error)>;

// The title, then school, grade, teacher and question, those that are not empty, joined by ", ".
QString proposedName(const QString &title, const OutputClass &trida, const QString &questionText);
// One bold heading per section with its lines beneath, "žádné" in italics for an empty one; expanded.
void fillSections(QTreeWidget *tree, const QList<AnalysisTexts::SubgroupSection> &sections);
// What the output items of a result window do.
struct OutputHandlers {
    std::function<void()> save, saveToDocuments, savePdf, print;
};
// The output items of the menu "Soubor": "Uložit…" (Ctrl+S), "Uložit do Listin", "Uložit jako PDF", "Tisk"
// (Ctrl+P), named "Ulozit_Action", "UlozitListiny_Action", "UlozitPdf_Action", "Tisk_Action"; in that order.
QList<QAction *> addOutputItems(QMenu *file, QWidget *window, const OutputHandlers &handlers);
// "Uložit…": asks for a file (Word by default, the remembered folder) and saves; a failure is shown.
void saveAs(AppContext &context, const QString &dialogTitle, const QString &filter, const QString &name,
            const SaveRoutine &save);
// "Uložit do Listin": the Word document into the class documents under `name`; a failure is shown.
void saveToDocuments(AppContext &context, TDM &dm, const QString &name, const SaveRoutine &save);

} // namespace ResultWindowParts
