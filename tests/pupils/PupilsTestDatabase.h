#pragma once

#include "data/Database.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

// A fresh database file with the schema and one empty class, in a temporary folder.
class PupilsTestDatabase : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        m_db = std::make_unique<Database>(QStringLiteral("pupils-test"));
        m_db->create(m_dir.filePath(QStringLiteral("skola.mdb")));
        m_classId = addClass(QStringLiteral("ZŠ Lipová"), QStringLiteral("5.A"));
    }
    void TearDown() override { m_db.reset(); }

    qint64 addClass(const QString &school, const QString &grade) {
        m_db->exec(
            QStringLiteral("INSERT INTO trida (skola, stupen, tridni_ucitel) VALUES (:s, :g, 'Nováková')"),
            {{QStringLiteral("s"), school}, {QStringLiteral("g"), grade}});
        return m_db->lastInsertId();
    }
    qint64 addRow(const QString &jmeno, const QVariant &prijmeni, const QVariant &pohlavi,
                  qint64 classId = -1) {
        m_db->exec(
            QStringLiteral("INSERT INTO zak (id_tridy, jmeno, prijmeni, pohlavi) VALUES (:c, :j, :s, :p)"),
            {{QStringLiteral("c"), classId < 0 ? m_classId : classId},
             {QStringLiteral("j"), jmeno},
             {QStringLiteral("s"), prijmeni},
             {QStringLiteral("p"), pohlavi}});
        return m_db->lastInsertId();
    }
    int count(const QString &sql) { return m_db->scalar(sql).toInt(); }
    // "jmeno|prijmeni|pohlavi|poradi" of the class's rows ordered by poradi, then ID; NULL written "∅".
    QStringList rows(qint64 classId = -1) {
        SqlQuery q(*m_db,
                   QStringLiteral("SELECT jmeno, prijmeni, pohlavi, poradi FROM zak WHERE id_tridy = :c "
                                  "ORDER BY poradi, ID"));
        q.bind(QStringLiteral("c"), classId < 0 ? m_classId : classId);
        q.exec();
        QStringList result;
        while (q.next()) {
            QStringList parts;
            for (int i = 0; i < 4; ++i)
                parts << (q.value(i).isNull() ? QStringLiteral("∅") : q.value(i).toString());
            result << parts.join(u'|');
        }
        return result;
    }

    QTemporaryDir m_dir;
    std::unique_ptr<Database> m_db;
    qint64 m_classId = 0;
};
