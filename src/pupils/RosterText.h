#pragma once

#include "data/ClassRoster.h"

#include <QList>
#include <QString>
#include <QVariant>

class Dataset;

// Texts the pupil window puts on the clipboard, and the ordering line of its title-click sorting.
namespace RosterText {

// "Jméno a příjmení žáka": first name + " " + surname.
QString pupilName(const QVariant &jmeno, const QVariant &prijmeni);
// "Seznam žáků": first name + " " + surname + CR LF for every real pupil ("muž" or "žena"), in the
// order given; answer-option rows are skipped.
QString pupilList(const QList<RosterEntry> &rows);
// The rows of an open roster dataset in its current order (cached rows; the current row does not move).
QList<RosterEntry> datasetRows(const Dataset &roster);

} // namespace RosterText
