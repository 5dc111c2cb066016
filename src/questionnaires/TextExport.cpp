#include "questionnaires/TextExport.h"

#include "automation/WordProcessor.h"
#include "files/FileWriter.h"

#include <QFileInfo>
#include <QTextDocument>

bool saveEditorText(const QTextDocument &document, const QString &path, QString *error) {
    if (QFileInfo(path).suffix().compare(QLatin1String("docx"), Qt::CaseInsensitive) == 0) {
        WordProcessor word;
        word.pasteRichText(document);
        return word.saveAs(path, error);
    }
    return FileWriter::writeWhole(path, document.toPlainText().toUtf8(), error);
}
