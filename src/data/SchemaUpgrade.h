#pragma once

#include <QString>

class Database;

// Bringing a database file made by an earlier version of the program to the current form of its schema.
//
// Earlier versions declared the collation `czech` on the text columns. Only this program registers that
// collation, so every other SQLite client (the sqlite3 shell, Python, a spreadsheet's driver) failed on
// any comparison or ordering of those columns. The program's own statements ask for the Czech order with
// `COLLATE czech` themselves, so the declaration is dropped: the tables that carry it are rebuilt without
// it by SQLite's procedure for schema changes (new table, rows copied with their ids, old table dropped,
// new one renamed, indexes, triggers and views made again), counter positions kept, all in one
// transaction: the file is rebuilt whole or left exactly as it was.
//
// Tables added by later versions are made in files that lack them.
namespace SchemaUpgrade {

// A CREATE statement without the declarations of the collation `czech` (string literals and comments
// left alone).
QString withoutCzechCollation(const QString &sql);

// True when a table or an index of the open database declares the collation `czech`.
bool declaresCzechCollation(Database &db);

// Rebuilds what declares the collation; does nothing on a database that declares none or that is open
// read-only (nothing can be written to it; the program still reads it, as it registers the collation).
// Raises DatabaseError with a Czech sentence when the rebuild fails; nothing is changed then.
void removeCzechCollation(Database &db);

// Makes the tables that a database file of an earlier version lacks (`kody_zaku`, the pupils' codes of
// the web forms; `rozmisteni`, the kept sociogram positions), in one transaction. Only on a file that
// holds the program's tables (not on an exchange file) and is open for writing; a read-only file is read
// as it is. Raises DatabaseError with a Czech sentence when they cannot be made; nothing is changed then.
void addMissingTables(Database &db);

} // namespace SchemaUpgrade
