#include "data/SchemaUpgrade.h"

#include "data/Database.h"

#include <QDir>
#include <QFileInfo>
#include <QList>
#include <QRegularExpression>
#include <QSet>
#include <QStringList>
#include <sqlite3.h>

namespace {

bool isIdentifierChar(QChar c) {
    return c.isLetterOrNumber() || c == u'_' || c == u'$' || c.unicode() > 0x7F;
}

// The end (one past) of a quoted token starting at `from` with `open`: '…', "…", `…` (closing mark doubled
// inside) or […]. The end of the text when the token is not closed.
qsizetype quotedEnd(const QString &sql, qsizetype from) {
    const QChar open = sql.at(from);
    const QChar close = open == u'[' ? QChar(u']') : open;
    qsizetype i = from + 1;
    while (i < sql.size()) {
        if (sql.at(i) == close) {
            if (close != u']' && i + 1 < sql.size() && sql.at(i + 1) == close) {
                i += 2;
                continue;
            }
            return i + 1;
        }
        ++i;
    }
    return sql.size();
}

bool opensQuote(QChar c) {
    return c == u'\'' || c == u'"' || c == u'`' || c == u'[';
}

QString quotedName(const QString &name) {
    QString inner = name;
    inner.replace(u'"', QStringLiteral("\"\""));
    return u'"' + inner + u'"';
}

struct SchemaObject {
    QString type;
    QString name;
    QString table;
    QString sql;
};

QList<SchemaObject> schemaObjects(Database &db) {
    SqlQuery query(db, QStringLiteral("SELECT type, name, tbl_name, sql FROM sqlite_master "
                                      "WHERE sql IS NOT NULL ORDER BY rowid"));
    query.exec();
    QList<SchemaObject> objects;
    while (query.next())
        objects.append({query.value(0).toString().toLower(), query.value(1).toString(),
                        query.value(2).toString(), query.value(3).toString()});
    return objects;
}

bool isSystemName(const QString &name) {
    return name.startsWith(QLatin1String("sqlite_"), Qt::CaseInsensitive);
}

// The stored CREATE TABLE statement with another table name. The engine stores "CREATE TABLE " followed
// by the name as it was written (plain or quoted) and the rest of the statement.
QString renamedCreateTable(const QString &sql, const QString &newName) {
    static const QRegularExpression head(QStringLiteral("^\\s*CREATE\\s+TABLE\\s+"),
                                         QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = head.match(sql);
    if (!match.hasMatch())
        throw DatabaseError(QStringLiteral("Neočekávaný zápis tabulky: %1").arg(sql));
    qsizetype end = match.capturedEnd();
    if (end < sql.size() && opensQuote(sql.at(end))) {
        end = quotedEnd(sql, end);
    } else {
        while (end < sql.size() && isIdentifierChar(sql.at(end)))
            ++end;
    }
    if (end == match.capturedEnd())
        throw DatabaseError(QStringLiteral("Neočekávaný zápis tabulky: %1").arg(sql));
    return QStringLiteral("CREATE TABLE ") + quotedName(newName) + sql.mid(end);
}

QStringList columnsOf(Database &db, const QString &table) {
    SqlQuery query(db, QStringLiteral("PRAGMA table_info(%1)").arg(quotedName(table)));
    query.exec();
    QStringList columns;
    while (query.next())
        columns << query.value(1).toString();
    return columns;
}

// A name that reaches the row id of the table (one that no column shadows), or empty for a table without
// row ids.
QString rowIdName(Database &db, const QString &table, const QStringList &columns) {
    for (const QString &candidate :
         {QStringLiteral("_rowid_"), QStringLiteral("rowid"), QStringLiteral("oid")}) {
        if (columns.contains(candidate, Qt::CaseInsensitive))
            continue;
        try {
            SqlQuery probe(db, QStringLiteral("SELECT %1 FROM %2 LIMIT 0").arg(candidate, quotedName(table)));
            return candidate;
        } catch (const DatabaseError &) {
            return QString(); // WITHOUT ROWID
        }
    }
    return QString();
}

QString freeName(const QList<SchemaObject> &objects, const QString &base) {
    QSet<QString> taken;
    for (const SchemaObject &object : objects)
        taken.insert(object.name.toLower());
    QString name = QStringLiteral("orbelis_novy_") + base;
    for (int n = 2; taken.contains(name.toLower()); ++n)
        name = QStringLiteral("orbelis_novy%1_").arg(n) + base;
    return name;
}

// Steps 4 to 7 of the engine's procedure for one table: the new table, the rows with their ids, the old
// table dropped and the new one renamed; its counter position put back.
void rebuildTable(Database &db, const SchemaObject &table, const QString &temporaryName, bool hasSequence) {
    QVariant sequence;
    if (hasSequence)
        sequence = db.scalar(QStringLiteral("SELECT seq FROM sqlite_sequence WHERE name = :n"),
                             {{QStringLiteral("n"), table.name}});

    db.exec(renamedCreateTable(SchemaUpgrade::withoutCzechCollation(table.sql), temporaryName));
    const QStringList columns = columnsOf(db, table.name);
    QStringList quoted;
    for (const QString &column : columns)
        quoted << quotedName(column);
    const QString rowId = rowIdName(db, table.name, columns);
    if (!rowId.isEmpty())
        quoted.prepend(rowId);
    const QString list = quoted.join(QStringLiteral(", "));
    db.exec(QStringLiteral("INSERT INTO %1 (%2) SELECT %2 FROM %3")
                .arg(quotedName(temporaryName), list, quotedName(table.name)));
    db.exec(QStringLiteral("DROP TABLE %1").arg(quotedName(table.name)));
    db.exec(
        QStringLiteral("ALTER TABLE %1 RENAME TO %2").arg(quotedName(temporaryName), quotedName(table.name)));

    // The copy set the counter to the highest id present; a counter never gives a deleted id again.
    if (hasSequence) {
        db.exec(QStringLiteral("DELETE FROM sqlite_sequence WHERE name = :n"),
                {{QStringLiteral("n"), table.name}});
        if (!sequence.isNull())
            db.exec(QStringLiteral("INSERT INTO sqlite_sequence (name, seq) VALUES (:n, :s)"),
                    {{QStringLiteral("n"), table.name}, {QStringLiteral("s"), sequence}});
    }
}

void rebuild(Database &db) {
    const QList<SchemaObject> objects = schemaObjects(db);
    QList<SchemaObject> tables, indexes, others;
    QSet<QString> rebuilt;
    bool hasSequence = false;
    for (const SchemaObject &object : objects) {
        if (object.type == QLatin1String("table") &&
            object.name.compare(QLatin1String("sqlite_sequence"), Qt::CaseInsensitive) == 0)
            hasSequence = true;
        if (object.type == QLatin1String("table") && !isSystemName(object.name) &&
            SchemaUpgrade::withoutCzechCollation(object.sql) != object.sql) {
            tables.append(object);
            rebuilt.insert(object.name.toLower());
        }
    }
    for (const SchemaObject &object : objects) {
        if (object.type == QLatin1String("index") &&
            (rebuilt.contains(object.table.toLower()) ||
             SchemaUpgrade::withoutCzechCollation(object.sql) != object.sql))
            indexes.append(object);
        // Views and triggers are set aside for the whole rebuild: a view over a dropped table would stop
        // the renaming, and a table's triggers go with it.
        if (object.type == QLatin1String("view") || object.type == QLatin1String("trigger"))
            others.append(object);
    }

    for (const SchemaObject &object : others)
        db.exec(QStringLiteral("DROP %1 IF EXISTS %2")
                    .arg(object.type == QLatin1String("view") ? QStringLiteral("VIEW")
                                                              : QStringLiteral("TRIGGER"),
                         quotedName(object.name)));
    // Indexes of rebuilt tables go with them; the others are dropped here to be made again without it.
    for (const SchemaObject &index : indexes)
        if (!rebuilt.contains(index.table.toLower()))
            db.exec(QStringLiteral("DROP INDEX %1").arg(quotedName(index.name)));
    for (const SchemaObject &table : tables)
        rebuildTable(db, table, freeName(objects, table.name), hasSequence);
    for (const SchemaObject &index : indexes)
        db.exec(SchemaUpgrade::withoutCzechCollation(index.sql));
    for (const SchemaObject &object : others)
        db.exec(object.sql);
}

} // namespace

namespace SchemaUpgrade {

QString withoutCzechCollation(const QString &sql) {
    static const QRegularExpression declaration(
        QStringLiteral("\\s*\\bCOLLATE\\s+(?:czech(?![\\w$])|\"czech\"|'czech'|`czech`|\\[czech\\])"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption);
    QString result;
    result.reserve(sql.size());
    qsizetype i = 0;
    while (i < sql.size()) {
        const QChar c = sql.at(i);
        const bool boundary = i == 0 || !isIdentifierChar(sql.at(i - 1));
        if ((c.isSpace() || (boundary && (c == u'C' || c == u'c')))) {
            const QRegularExpressionMatch match = declaration.match(
                sql, i, QRegularExpression::NormalMatch, QRegularExpression::AnchorAtOffsetMatchOption);
            if (match.hasMatch()) {
                i = match.capturedEnd();
                // The tokens on either side must not run together.
                if (i < sql.size() && !sql.at(i).isSpace() && sql.at(i) != u',' && sql.at(i) != u')')
                    result += u' ';
                continue;
            }
        }
        qsizetype end = i + 1;
        if (opensQuote(c)) {
            end = quotedEnd(sql, i);
        } else if (c == u'-' && i + 1 < sql.size() && sql.at(i + 1) == u'-') {
            end = sql.indexOf(u'\n', i);
            end = end < 0 ? sql.size() : end;
        } else if (c == u'/' && i + 1 < sql.size() && sql.at(i + 1) == u'*') {
            end = sql.indexOf(QLatin1String("*/"), i + 2);
            end = end < 0 ? sql.size() : end + 2;
        } else if (isIdentifierChar(c)) {
            while (end < sql.size() && isIdentifierChar(sql.at(end)))
                ++end;
        }
        result += QStringView(sql).mid(i, end - i);
        i = end;
    }
    return result;
}

bool declaresCzechCollation(Database &db) {
    for (const SchemaObject &object : schemaObjects(db))
        if ((object.type == QLatin1String("table") || object.type == QLatin1String("index")) &&
            !isSystemName(object.name) && withoutCzechCollation(object.sql) != object.sql)
            return true;
    return false;
}

namespace {

DatabaseError unchangedError(Database &db, const QString &what, const DatabaseError &e) {
    const QString file = QDir::toNativeSeparators(QFileInfo(db.filePath()).absoluteFilePath());
    QString text = what.arg(file);
    text += e.explainsItself() ? QStringLiteral("\r\n") + e.message()
                               : QStringLiteral("\r\nPodrobnosti: ") + e.message();
    return DatabaseError(text, e.className(),
                         e.explainsItself() ? DatabaseError::Cause::Environment : DatabaseError::Cause::Program);
}

} // namespace

void addMissingTables(Database &db) {
    if (sqlite3_db_readonly(db.engine(), "main") == 1 || !Schema::hasTables(db, Schema::requiredTableNames()))
        return;
    const bool codes = Schema::hasTables(db, {QStringLiteral("kody_zaku")});
    const bool layouts = Schema::hasTables(db, {QStringLiteral("rozmisteni")});
    const bool pseudonyms = Schema::hasTables(db, {QStringLiteral("pseudonymy")});
    if (codes && layouts && pseudonyms)
        return;
    try {
        Transaction transaction(db);
        if (!codes)
            Schema::createPupilCodes(db);
        if (!layouts)
            Schema::createSociogramLayouts(db);
        if (!pseudonyms)
            Schema::createPseudonyms(db);
        transaction.commit();
    } catch (const DatabaseError &e) {
        throw unchangedError(
            db,
            !codes     ? QStringLiteral("Databázi %1 se nepodařilo doplnit o tabulku kódů žáků pro "
                                            "webové formuláře; zůstala beze změny.")
            : !layouts ? QStringLiteral("Databázi %1 se nepodařilo doplnit o tabulku rozmístění "
                                        "sociogramů; zůstala beze změny.")
                       : QStringLiteral("Databázi %1 se nepodařilo doplnit o tabulku kódů pro "
                                        "výstupy bez jmen; zůstala beze změny."),
            e);
    }
}

void removeCzechCollation(Database &db) {
    if (!declaresCzechCollation(db) || sqlite3_db_readonly(db.engine(), "main") == 1)
        return;
    // The program keeps foreign keys off on its connection (step 1 of the procedure); no trigger or
    // foreign-key action runs while the tables are dropped and renamed. The rows are copied unchanged,
    // so the check of step 10 has nothing new to find.
    try {
        Transaction transaction(db);
        rebuild(db);
        transaction.commit();
    } catch (const DatabaseError &e) {
        throw unchangedError(db,
                             QStringLiteral("Databázi %1 se nepodařilo převést do podoby, kterou čtou i jiné "
                                            "programy; zůstala beze změny."),
                             e);
    }
}

} // namespace SchemaUpgrade
