#include "questionnaires/TextExport.h"

#include "automation/WordProcessor.h"
#include "files/FileWriter.h"
#include "picture/PagedDocument.h"

#include <QFileInfo>
#include <QTextDocument>

void layOutForWord(WordProcessor &word, const QTextDocument &document, const WordLayout &layout) {
    if (layout)
        layout(word, document);
    else
        word.pasteRichText(document);
}

PagedDocument textPages(const QTextDocument &document, const QString &title) {
    std::shared_ptr<QTextDocument> copy(document.clone());
    copy->setDefaultFont(document.defaultFont());
    return PagedDocuments::text(title, std::move(copy));
}

bool saveEditorText(const QTextDocument &document, const QString &path, const WordLayout &layout,
                    QString *error, const QString &title) {
    const QString suffix = QFileInfo(path).suffix();
    if (suffix.compare(QLatin1String("pdf"), Qt::CaseInsensitive) == 0)
        return PagedDocuments::savePdf(textPages(document, title), path, error);
    if (suffix.compare(QLatin1String("docx"), Qt::CaseInsensitive) == 0) {
        WordProcessor word;
        layOutForWord(word, document, layout);
        return word.saveAs(path, error);
    }
    return FileWriter::writeWhole(path, document.toPlainText().toUtf8(), error);
}
