#pragma once

#include <QByteArray>
#include <QString>

// The server-side files the program ships for its web forms: the result collector "vysledky.php" and the
// style sheet "style.css". They are kept in the data folder, where the upload takes them from.
namespace WebFiles {

QByteArray collectorScript();
QByteArray styleSheet();
// Writes "vysledky.php" and "style.css" into the data folder where they are missing; existing files are
// kept (the teacher may have adapted them), except a collector that knows no pupil codes (it does not
// read "kody.php"): it would refuse every post of the pages made now, so it is kept as
// "vysledky.php.stary" and replaced. Raises std::runtime_error with a Czech message on failure.
void restoreMissing(const QString &dataFolder);

} // namespace WebFiles
