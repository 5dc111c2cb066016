#include "documents/ClassDocuments.h"

#include "data/DataModule.h"
#include "platform/AppFolders.h"
#include "platform/Prompter.h"

#include <QDir>
#include <QFileInfo>
#include <cstdlib>

namespace ClassDocuments {

const QList<BlankDocument> &blankDocuments() {
    static const QList<BlankDocument> documents = {
        {QStringLiteral("soubor_txt.txt"), QStringLiteral("soubor_txt.txt"),
         QStringLiteral("Nový prázdný txt"), QStringLiteral("NovyTxt_Action")},
        {QStringLiteral("soubor_docx.docx"), QStringLiteral("soubor_word.docx"),
         QStringLiteral("Nový prázdný Word"), QStringLiteral("NovyWord_Action")},
        {QStringLiteral("soubor_xlsx.xlsx"), QStringLiteral("soubor_excel.xlsx"),
         QStringLiteral("Nový prázdný Excel"), QStringLiteral("NovyExcel_Action")},
    };
    return documents;
}

QStringList templateFiles(const AppFolders &folders) {
    QStringList files;
    const QFileInfoList entries =
        QDir(folders.sablonyFolder()).entryInfoList(QDir::Files, QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo &entry : entries)
        files << entry.absoluteFilePath();
    return files;
}

qint64 newDocument(TDM &dm, const QString &source, const QString &name) {
    Prompter &prompter = dm.prompter();
    const QVariant classId = dm.currentClassId();
    if (classId.isNull()) {
        prompter.message(noClassMessage());
        return 0;
    }
    const std::optional<QString> title = prompter.inputText(
        QStringLiteral("Název nové listiny"), QStringLiteral("Prosím zadejte název nové listiny"), QString());
    const qint64 id =
        dm.documents().storeDocumentAs(classId.toLongLong(), source, name, title.value_or(QString()));
    if (id != 0)
        dm.RefreshDataset(dm.Listiny_ADOQuery());
    return id;
}

bool isSociogramFile(const QString &path) {
    return path.endsWith(QLatin1String(".sgp"), Qt::CaseSensitive);
}

bool dragStarts(const QPoint &pressed, const QPoint &now) {
    return std::abs(now.x() - pressed.x()) >= kDragDistance ||
           std::abs(now.y() - pressed.y()) >= kDragDistance;
}

QString noClassMessage() {
    return QStringLiteral("Nemáte zadanou žádnou třídu. Nejprve nějakou přidejte. ");
}

} // namespace ClassDocuments
