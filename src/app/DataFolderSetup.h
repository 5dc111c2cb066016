#pragma once

#include <QStringList>

struct AppFolders;

// The first run of a data folder: the default database and the files the program offers.
namespace DataFolderSetup {

// Names of the "*.mdb" files of the folder, sorted by name.
QStringList databaseFiles(const QString &dataFolder);
// True when the data folder holds no database file at all.
bool needsFirstRun(const AppFolders &folders);
// Creates what a new data folder holds: the folder layout, the database `databaseFileName` with the schema
// and a few note templates, the blank documents "soubor_txt.txt", "soubor_docx.docx", "soubor_xlsx.xlsx",
// the exchange template "template/skola_export_template.mdb", the web files "vysledky.php" and "style.css"
// and the folder "html/". Files that exist are kept. Raises std::runtime_error with a Czech message on failure.
void createDefaultContent(const AppFolders &folders, const QString &databaseFileName);

} // namespace DataFolderSetup
