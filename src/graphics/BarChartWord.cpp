#include "graphics/BarChartWord.h"

#include "automation/WordProcessor.h"
#include "chart/ChartMetafile.h"
#include "files/FileWriter.h"

#include <QTemporaryDir>

namespace BarChartWord {

bool placeSavedPicture(WordProcessor &word, const QString &file, QString *error) {
    if (!word.addPicture(file, error))
        return false;
    word.setLandscape(true);
    word.setMargins(kMargins);
    return true;
}

bool appendChart(WordProcessor &word, const ChartMetafile &picture, QString *error) {
    // The document keeps the file's bytes, so the file only lives while it is read.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("graf.emf"));
    QString reason = QStringLiteral("dočasnou složku nelze vytvořit.");
    if (!dir.isValid() || !FileWriter::writeWhole(path, picture.toEmf(EmfPaintDevice::PatternFills::Drawn), &reason)) {
        if (error)
            *error = QStringLiteral("Obrázek grafu nelze připravit: %1").arg(reason);
        return false;
    }
    // Each chart fills a page in a paragraph of its own; an empty paragraph after the last one would be a
    // blank last page.
    if (!word.document().isEmpty())
        word.typeParagraph();
    return word.addPicture(path, error);
}

} // namespace BarChartWord
