#include "graphics/BarChartWord.h"

#include "automation/WordProcessor.h"
#include "chart/ChartMetafile.h"

#include <QFile>
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
    QFile file(path);
    if (!dir.isValid() || !file.open(QIODevice::WriteOnly) ||
        file.write(picture.toEmf(EmfPaintDevice::PatternFills::Drawn)) < 0) {
        if (error)
            *error = QStringLiteral("Obrázek grafu nelze připravit: %1").arg(file.errorString());
        return false;
    }
    file.close();
    if (!word.addPicture(path, error))
        return false;
    word.typeParagraph();
    return true;
}

} // namespace BarChartWord
