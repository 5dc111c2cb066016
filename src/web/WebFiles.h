#pragma once

#include <QByteArray>
#include <QString>

// The server-side files the program ships for its web forms: the result collector "vysledky.php" and the
// style sheet "style.css". They are kept in the data folder, where the upload takes them from.
namespace WebFiles {

QByteArray collectorScript();
QByteArray styleSheet();
// The script of the questionnaire pages (one question per screen, the count of ticks, the code from the
// address's fragment); the pages carry it inline.
QByteArray formScript();
// Writes "vysledky.php" and "style.css" into the data folder where they are missing; existing files are
// kept (the teacher may have adapted them), except those older than the pages made now: a collector that
// knows no pupil codes (it does not read "kody.php") would refuse every post, one without the viewport
// shows its answers page shrunk on a phone, and a style sheet without the phone layout breaks the pages on
// a phone. Such a file is kept as "<name>.stary" and replaced. Raises std::runtime_error with a Czech message
// on failure.
void restoreMissing(const QString &dataFolder);

} // namespace WebFiles
