#include "automation/ShowDocument.h"

#include "automation/WordProcessor.h"
#include "platform/Shell.h"

#include <QDir>
#include <QTemporaryFile>

bool showDocument(const WordProcessor &document, Shell &shell, QString *error, QString *path) {
    auto fail = [error](const QString &text) {
        if (error)
            *error = text;
        return false;
    };
    // The name is claimed by creating the file; the document is then saved over it.
    QTemporaryFile claim(QDir(shell.tempFolder()).filePath(QStringLiteral("Orbelis-XXXXXX.docx")));
    claim.setAutoRemove(false);
    if (!claim.open())
        return fail(QStringLiteral("V dočasné složce „%1“ nelze vytvořit dokument: %2")
                        .arg(QDir::toNativeSeparators(shell.tempFolder()), claim.errorString()));
    const QString file = claim.fileName();
    claim.close();
    if (path)
        *path = file;
    if (!document.saveAs(file, error)) {
        QFile::remove(file);
        return false;
    }
    if (!shell.openFile(file))
        return fail(QStringLiteral("Dokument „%1“ se nepodařilo otevřít. Je v počítači program pro dokumenty "
                                   "Word (.docx)?")
                        .arg(QDir::toNativeSeparators(file)));
    return true;
}
