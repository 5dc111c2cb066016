#include "questionnaires/TextExport.h"

#include "automation/WordProcessor.h"
#include "files/FileWriter.h"

#include <QFileInfo>
#include <QTextDocument>

void layOutForWord(WordProcessor &word, const QTextDocument &document, const WordLayout &layout) {
    if (layout)
        layout(word, document);
    else
        word.pasteRichText(document);
}

bool saveEditorText(const QTextDocument &document, const QString &path, const WordLayout &layout, QString *error) {
    if (QFileInfo(path).suffix().compare(QLatin1String("docx"), Qt::CaseInsensitive) == 0) {
        WordProcessor word;
        layOutForWord(word, document, layout);
        return word.saveAs(path, error);
    }
    return FileWriter::writeWhole(path, document.toPlainText().toUtf8(), error);
}
