#pragma once

#include <QByteArray>
#include <QRectF>
#include <QSize>
#include <QString>

class QPainter;
struct SociometricAnalysis;

// The preference × impact scatter of an analysis: x = social preference (sp), y = social impact (si), a
// point and a name per pupil coloured by status group, the ±1 lines, and the four quadrant regions labelled
// with the Czech group names. One painting routine for the screen, pictures (PNG, SVG, EMF) and print.
namespace StatusScatter {

// The size pictures are made in unless told otherwise.
QSize defaultSize();
// Paints the scatter into `area`; with no statuses it paints the reason instead.
void paint(QPainter &painter, const QRectF &area, const SociometricAnalysis &analysis);
// The scatter as PNG bytes (for the Word document and the clipboard).
QByteArray png(const SociometricAnalysis &analysis, QSize size = defaultSize());
// Saves the scatter as .png, .svg or .emf (by the suffix) through the checked file path; false with the
// Czech reason in `error`.
bool save(const SociometricAnalysis &analysis, const QString &path, QString *error, QSize size = defaultSize());

} // namespace StatusScatter
