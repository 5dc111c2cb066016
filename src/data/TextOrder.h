#pragma once

#include <QString>
#include <QStringView>

struct sqlite3;

// Czech text order, ignoring case but not diacritics: "abeceda, Běh, Čtení, Hra, Chování, Zdraví"; "Hra"
// equals "hra", "Čtení" differs from "Cteni". One rule for the database (the collation "czech", registered
// on every connection) and for sorting in memory.
namespace TextOrder {

// Name of the collation, for `COLLATE czech` in statements (the stored schema declares it nowhere).
QString collationName();
// " COLLATE czech", to append to an ordering term or a comparison.
QString collate();

// Negative, zero or positive as a sorts before, equal to or after b.
int compare(QStringView a, QStringView b);
inline bool less(const QString &a, const QString &b) { return compare(a, b) < 0; }

// Registers the collation on a connection; false when the engine refuses.
bool registerCollation(sqlite3 *handle);

// The ordering line after a title click on a column: ascending, unless the current line is ascending.
// Empty when the field is not a plain column name.
QString toggledOrderLine(const QString &lastLine, const QString &field);

} // namespace TextOrder
