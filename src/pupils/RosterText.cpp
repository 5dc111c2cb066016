#include "pupils/RosterText.h"

#include "data/Dataset.h"
#include "data/PupilKinds.h"

namespace RosterText {

QString pupilName(const QVariant &jmeno, const QVariant &prijmeni) {
    return jmeno.toString() + u' ' + prijmeni.toString();
}

QString pupilList(const QList<RosterEntry> &rows) {
    QString text;
    for (const RosterEntry &row : rows)
        if (PupilKinds::isRealPupil(row.pohlavi))
            text += pupilName(row.jmeno, row.prijmeni) + QStringLiteral("\r\n");
    return text;
}

QList<RosterEntry> datasetRows(const Dataset &roster) {
    const int id = roster.fieldIndex(QStringLiteral("ID"));
    const int jmeno = roster.fieldIndex(QStringLiteral("jmeno"));
    const int prijmeni = roster.fieldIndex(QStringLiteral("prijmeni"));
    const int pohlavi = roster.fieldIndex(QStringLiteral("pohlavi"));
    const int poradi = roster.fieldIndex(QStringLiteral("poradi"));
    QList<RosterEntry> rows;
    for (int row = 0; row < roster.recordCount(); ++row)
        rows.append({roster.value(row, id).toLongLong(), roster.value(row, jmeno),
                     roster.value(row, prijmeni), roster.value(row, pohlavi), roster.value(row, poradi)});
    return rows;
}

} // namespace RosterText
