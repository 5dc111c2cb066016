#pragma once

#include <QStringList>

class Database;

// The nine tables of the database file and their indexes.
namespace Schema {

// Creates every table and index on an empty database.
void create(Database &db);
// True when every named table is present.
bool hasTables(Database &db, const QStringList &tables);
// The table names in creation order.
QStringList tableNames();
// Only `testy` and `otazky`: the schema of the questionnaire exchange file.
void createExchange(Database &db);

} // namespace Schema
