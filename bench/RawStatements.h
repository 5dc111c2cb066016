#pragma once

// The raw SQLite side of the benchmarks: the same statements as an output runs, on the engine's own handle.
#include "data/Database.h"

#include <QByteArray>
#include <QSqlDriver>
#include <QStringList>
#include <benchmark/benchmark.h>
#include <cstddef>
#include <map>
#include <sqlite3.h>

// Prepares each statement, binds the named ids (":s" → ids["s"]), steps through every row and finalises it;
// with `readColumns` it also takes every column of every row as a program would (a whole number, or the
// UTF-8 bytes of a text). The number of rows, or -1 with the engine's message in *error.
inline int stepStatements(Database &db, const QStringList &statements,
                          const std::map<QByteArray, qint64> &ids, QByteArray *error,
                          bool readColumns = false) {
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
        const int columns = sqlite3_column_count(statement);
        std::size_t taken = 0;
        while (sqlite3_step(statement) == SQLITE_ROW) {
            ++rows;
            for (int c = 0; readColumns && c < columns; ++c)
                taken += sqlite3_column_type(statement, c) == SQLITE_TEXT
                             ? std::size_t(sqlite3_column_bytes(statement, c)) +
                                   std::size_t(sqlite3_column_text(statement, c) != nullptr)
                             : std::size_t(sqlite3_column_int64(statement, c) & 1);
        }
        benchmark::DoNotOptimize(taken);
        sqlite3_finalize(statement);
    }
    return rows;
}
