#include "app/DataFolderSetup.h"

#include "files/FileWriter.h"
#include "platform/AppFolders.h"
#include "data/Database.h"
#include "automation/ZipWriter.h"
#include "web/WebFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <stdexcept>

namespace {

[[noreturn]] void fail(const QString &text) { throw std::runtime_error(text.toStdString()); }

struct Template {
    const char *name;
    const char *text;
};

const Template kTemplates[] = {
    {"Pohovor se žákem", "Pohovor se žákem\r\nDůvod pohovoru: \r\nPrůběh: \r\nDohodnutý postup: "},
    {"Jednání se zákonnými zástupci",
     "Jednání se zákonnými zástupci\r\nPřítomni: \r\nProjednáno: \r\nZávěr a další kroky: "},
    {"Pozorování ve třídě", "Pozorování ve třídě\r\nSituace: \r\nChování žáka: \r\nVztahy se spolužáky: "},
    {"Pochvala", "Pochvala\r\nZa co: \r\nUdělil(a): "},
    {"Kázeňský přestupek", "Kázeňský přestupek\r\nPopis události: \r\nOpatření: "},
};

void writeFile(const QString &path, const QByteArray &content)
{
    if (QFileInfo::exists(path))
        return;
    QString error;
    if (!FileWriter::writeWhole(path, content, &error))
        fail(error);
}

// Builds the database under a temporary name and renames it, so no half-made file is left behind.
void createDatabase(const QString &path, bool exchangeOnly)
{
    if (QFileInfo::exists(path))
        return;
    const QString temporary = path + QStringLiteral(".part");
    QFile::remove(temporary);
    try {
        Database db(QStringLiteral("orbelis-setup"));
        if (exchangeOnly) {
            db.create(temporary, false);
            Schema::createExchange(db);
        } else {
            db.create(temporary);
            Transaction transaction(db);
            for (const Template &t : kTemplates)
                db.exec(QStringLiteral("INSERT INTO sablony (nazev_sablony, text_sablony) VALUES (:n, :t)"),
                        {{QStringLiteral("n"), QString::fromUtf8(t.name)}, {QStringLiteral("t"), QString::fromUtf8(t.text)}});
            transaction.commit();
        }
        db.close();
    } catch (const DatabaseError &e) {
        QFile::remove(temporary);
        fail(QStringLiteral("Databázi \"%1\" nelze vytvořit: %2").arg(path, e.message()));
    }
    if (!QFile::rename(temporary, path)) {
        QFile::remove(temporary);
        fail(QStringLiteral("Databázi \"%1\" nelze vytvořit.").arg(path));
    }
}

} // namespace

namespace DataFolderSetup {

QStringList databaseFiles(const QString &dataFolder)
{
    return QDir(dataFolder).entryList({QStringLiteral("*.mdb")}, QDir::Files, QDir::Name);
}

bool needsFirstRun(const AppFolders &folders) { return databaseFiles(folders.dataFolder).isEmpty(); }

void createDefaultContent(const AppFolders &folders, const QString &databaseFileName)
{
    QString error;
    if (!folders.createFolders(&error))
        fail(error);
    for (const QString &sub : {QStringLiteral("html"), QStringLiteral("template")})
        if (!QDir().mkpath(folders.dataFolder + sub))
            fail(QStringLiteral("Složku \"%1\" nelze vytvořit.").arg(folders.dataFolder + sub));

    createDatabase(folders.dataFolder + databaseFileName, false);
    createDatabase(folders.dataFolder + QStringLiteral("template/skola_export_template.mdb"), true);

    writeFile(folders.dataFolder + QStringLiteral("soubor_txt.txt"), QByteArray());
    const QString docx = folders.dataFolder + QStringLiteral("soubor_docx.docx");
    if (!QFileInfo::exists(docx) && !writeEmptyDocx(docx, &error))
        fail(error);
    const QString xlsx = folders.dataFolder + QStringLiteral("soubor_xlsx.xlsx");
    if (!QFileInfo::exists(xlsx) && !writeEmptyXlsx(xlsx, &error))
        fail(error);
    WebFiles::restoreMissing(folders.dataFolder);
}

} // namespace DataFolderSetup
