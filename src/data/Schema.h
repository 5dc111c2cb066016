#pragma once

#include <QStringList>

class Database;

// The twelve tables of the database file and their indexes.
namespace Schema {

// Creates every table and index on an empty database.
void create(Database &db);
// The pupils' codes of the web forms (`kody_zaku`) and the index that keeps every code unique, and the
// kept sociogram positions (`rozmisteni`), and the pseudonyms of outputs without names (`pseudonymy`): the
// tables that files of earlier versions may lack (SchemaUpgrade::addMissingTables makes them for them).
void createPupilCodes(Database &db);
void createSociogramLayouts(Database &db);
void createPseudonyms(Database &db);
// True when every named table is present.
bool hasTables(Database &db, const QStringList &tables);
// Every table name in creation order.
QStringList tableNames();
// The nine tables every database file of the program has had, whatever version made it: what opening
// requires (a file without `kody_zaku`, `rozmisteni` or `pseudonymy` is an older one and gets them).
QStringList requiredTableNames();
// Only `testy` and `otazky`: the schema of the questionnaire exchange file.
void createExchange(Database &db);

} // namespace Schema
