#pragma once

// The raw SQLite side of the benchmarks: the same statements as an output runs, on the engine's own handle.
#include "data/Database.h"

#include <QByteArray>
#include <QSqlDriver>
#include <QStringList>
#include <map>
#include <sqlite3.h>

// Prepares each statement, binds the named ids (":s" → ids["s"]), steps through every row and finalises it.
// The number of rows, or -1 with the engine's message in *error.
inline int stepStatements(Database &db, const QStringList &statements, const std::map<QByteArray, qint64> &ids,
                          QByteArray *error) {
    sqlite3 *handle = *static_cast<sqlite3 *const *>(db.handle().driver()->handle().data());
    int rows = 0;
    for (const QString &text : statements) {
        const QByteArray sql = text.toUtf8();
        sqlite3_stmt *statement = nullptr;
        if (sqlite3_prepare_v2(handle, sql.constData(), int(sql.size()), &statement, nullptr) != SQLITE_OK) {
            *error = sqlite3_errmsg(handle);
            return -1;
        }
        for (const auto &[name, id] : ids)
            if (const int index = sqlite3_bind_parameter_index(statement, (':' + name).constData()))
                sqlite3_bind_int64(statement, index, id);
        while (sqlite3_step(statement) == SQLITE_ROW)
            ++rows;
        sqlite3_finalize(statement);
    }
    return rows;
}
