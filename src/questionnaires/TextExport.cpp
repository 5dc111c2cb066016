#include "questionnaires/TextExport.h"

#include "automation/WordProcessor.h"

#include <QFileInfo>
#include <QSaveFile>
#include <QTextDocument>

bool saveEditorText(const QTextDocument &document, const QString &path, QString *error) {
    if (QFileInfo(path).suffix().compare(QLatin1String("docx"), Qt::CaseInsensitive) == 0) {
        WordProcessor word;
        word.pasteRichText(document);
        return word.saveAs(path, error);
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(document.toPlainText().toUtf8()) < 0 || !file.commit()) {
        if (error)
            *error = QStringLiteral("Soubor %1 se nepodařilo uložit: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}
