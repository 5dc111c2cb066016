#pragma once

#include "data/AppContext.h"
#include "platform/AppFolders.h"
#include "support/ScriptedPrompter.h"
#include "data/DataModule.h"
#include "data/Database.h"

#include <QDateTime>
#include <QDir>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

// A data folder in a temporary directory with a fresh database, a scripted prompter and (on demand) the
// data module over them. Helpers write rows directly.
class DataFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        m_folders.programFolder = m_dir.path() + QStringLiteral("/program/");
        m_folders.dataFolder = m_dir.path() + QStringLiteral("/data/");
        ASSERT_TRUE(m_folders.createFolders());
        m_db.create(m_folders.dataFolder + QStringLiteral("skola.mdb"));
    }

    TDM &dm() {
        if (!m_dm)
            m_dm = std::make_unique<TDM>(m_db, m_folders, m_prompter);
        return *m_dm;
    }

    // The context windows are made with: this fixture's folders, settings, database, data module and
    // prompter, and `shell`; the data module's datasets opened, as start-up leaves them.
    void openWindowContext(AppContext &context, Shell &shell) {
        context.folders = m_folders;
        context.settings = std::make_unique<Settings>(m_folders);
        context.database = &m_db;
        context.dm = &dm();
        context.prompter = &m_prompter;
        context.shell = &shell;
        dm().openDatasets();
    }

    qint64 insert(const QString &sql, const QVariantMap &params = {}) {
        m_db.exec(sql, params);
        return m_db.lastInsertId();
    }
    qint64 addClass(const QVariant &skola, const QVariant &stupen, const QVariant &ucitel,
                    const QString &date = QStringLiteral("2020-09-01 08:00:00")) {
        return insert(
            QStringLiteral(
                "INSERT INTO trida (skola, stupen, tridni_ucitel, datum_zapisu) VALUES (:a, :b, :c, :d)"),
            {{"a", skola}, {"b", stupen}, {"c", ucitel}, {"d", date}});
    }
    qint64 addPupil(qint64 classId, const QVariant &jmeno, const QVariant &prijmeni = QVariant(),
                    const QVariant &pohlavi = QStringLiteral("muž"), const QVariant &poradi = QVariant()) {
        return insert(
            QStringLiteral(
                "INSERT INTO zak (id_tridy, jmeno, prijmeni, pohlavi, poradi) VALUES (:c, :j, :p, :k, :o)"),
            {{"c", classId}, {"j", jmeno}, {"p", prijmeni}, {"k", pohlavi}, {"o", poradi}});
    }
    qint64 addTest(const QString &name) {
        return insert(QStringLiteral("INSERT INTO testy (nazev_testu) VALUES (:n)"), {{"n", name}});
    }
    qint64 addQuestion(qint64 testId, const QVariant &text, const QVariant &negative = QVariant(),
                       int typ = 0, const QVariant &poradi = QVariant()) {
        return insert(
            QStringLiteral("INSERT INTO otazky (id_testu, text_otazky, text_otazky_negativni, typ, poradi) "
                           "VALUES (:t, :a, :b, :y, :o)"),
            {{"t", testId}, {"a", text}, {"b", negative}, {"y", typ}, {"o", poradi}});
    }
    qint64 addSession(qint64 classId, qint64 testId, const QVariant &date) {
        return insert(
            QStringLiteral("INSERT INTO vyhodnoceni (id_tridy, id_testu, datum) VALUES (:c, :t, :d)"),
            {{"c", classId}, {"t", testId}, {"d", date}});
    }
    qint64 addAnswer(qint64 session, qint64 question, qint64 pupil, qint64 partner, bool positive = true,
                     const QVariant &text = QVariant()) {
        return insert(QStringLiteral(
                          "INSERT INTO odpovedi (id_vyhodnoceni, id_otazky, id_zaka, id_partnera, pozitivni, "
                          "slovy) VALUES (:s, :q, :z, :p, :b, :w)"),
                      {{"s", session},
                       {"q", question},
                       {"z", pupil},
                       {"p", partner},
                       {"b", positive ? 1 : 0},
                       {"w", text}});
    }
    qint64 addNote(qint64 pupil) {
        return insert(QStringLiteral("INSERT INTO poznamky (id_zaka, nazev) VALUES (:z, 'n')"),
                      {{"z", pupil}});
    }
    int count(const QString &sql, const QVariantMap &params = {}) { return m_db.scalar(sql, params).toInt(); }
    // Every row of every table, as text: equal snapshots mean nothing changed.
    QStringList snapshot() { return snapshotOf(m_db); }
    static QStringList snapshotOf(Database &db) {
        QStringList rows;
        for (const QString &table : Schema::tableNames()) {
            SqlQuery query(db, QStringLiteral("SELECT * FROM %1 ORDER BY 1").arg(table));
            query.exec();
            while (query.next()) {
                QStringList values;
                for (int i = 0; i < query.record().count(); ++i)
                    values << query.value(i).toString();
                rows << table + u':' + values.join(u'|');
            }
        }
        return rows;
    }

    QTemporaryDir m_dir;
    AppFolders m_folders;
    Database m_db{QStringLiteral("test")};
    ScriptedPrompter m_prompter;
    std::unique_ptr<TDM> m_dm;
};
