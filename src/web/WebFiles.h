#pragma once

#include <QByteArray>
#include <QString>

// The server-side files the program ships for its web forms: the result collector "vysledky.php" and the
// style sheet "style.css". They are kept in the data folder, where the upload takes them from.
namespace WebFiles {

QByteArray collectorScript();
QByteArray styleSheet();
// Writes "vysledky.php" and "style.css" into the data folder where they are missing; existing files are
// kept (the teacher may have adapted them). Raises std::runtime_error with a Czech message on failure.
void restoreMissing(const QString &dataFolder);

} // namespace WebFiles
