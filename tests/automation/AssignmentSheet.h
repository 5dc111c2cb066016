#pragma once

#include <QByteArray>
#include <QSize>
#include <QString>
#include <QStringList>

class WordProcessor;

// The program's assignment sheet for a questionnaire session, built the way the program builds it:
// pasted rich text with a bold title, hanging indents on a tab stop, Cambria, a centred larger head,
// then a page with a PNG and an EMF picture, landscape with narrow margins.
struct AssignmentSheet {
    static QString title();
    // The lines after the title, with a tab between label and text.
    static QStringList lines();
    static constexpr qreal kIndent = 148.8375;
    static constexpr qreal kMargin = 36.285714285714285;
    static constexpr QSize kPngPixels{400, 300}; // at 96 dpi: 300 × 225 pt
    static constexpr QSize kEmfPixels{480, 320}; // at 96 dpi: 360 × 240 pt

    QString pngPath;
    QString emfPath;
    QByteArray png;
    QByteArray emf;

    // Writes the pictures into `folder` and builds the sheet into `processor`; false when a step failed.
    bool build(WordProcessor &processor, const QString &folder, QString *error);
};
