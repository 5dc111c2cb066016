#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

struct PagedDocument;
struct SociometricAnalysis;

// The whole analysis as files: .docx (through the word-processor layer: title, class indices, pupil table,
// subgroups, the scatter as a picture), .html, .pdf (the pages of print), .csv (the pupil table), .json,
// .txt, and the scatter alone as .png, .svg or .emf. Every file goes through the checked file path.
namespace AnalysisOutputs {

// The suffixes save() accepts, without the dot: docx, html, csv, json, txt, pdf, png, svg, emf.
QStringList suffixes();
// The analysis as a standalone HTML page (UTF-8, every text escaped).
QString html(const SociometricAnalysis &analysis);
// The pages of print, its preview and the PDF: the page's text, then the scatter (vector) on a page of
// its own; landscape A4 (the pupil table is wide).
PagedDocument pages(const SociometricAnalysis &analysis);
// Writes the analysis in the form its suffix names; false with the Czech reason in `error` (an unknown
// suffix included).
bool save(const SociometricAnalysis &analysis, const QString &path, QString *error);

} // namespace AnalysisOutputs
