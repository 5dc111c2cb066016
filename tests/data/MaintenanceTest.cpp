// The backup of the open database and the wipe of sessions and answers.
#include "data/DataFixture.h"

#include "data/DatabaseMaintenance.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

inline void PrintTo(const QString &text, std::ostream *out) {
    *out << '"' << text.toStdString() << '"';
}

namespace {

class MaintenanceTest : public DataFixture {
protected:
    // A class with pupils, a note, a questionnaire with questions, a session with answers, a document row.
    void fill() {
        const qint64 trida = addClass("ZŠ Úvoz", "5.A", "Nováková");
        const qint64 a = addPupil(trida, "Anička", "Malá", "žena", 1);
        const qint64 b = addPupil(trida, "Béďa", "Velký", "muž", 2);
        addNote(a);
        const qint64 test = addTest("Kamarádi");
        const qint64 q = addQuestion(test, "S kým si hraješ?");
        const qint64 session = addSession(trida, test, "2024-10-01 00:00:00");
        addAnswer(session, q, a, b);
        addAnswer(session, q, b, a, false);
        addSession(trida, test, "2024-11-01 00:00:00");
        insert("INSERT INTO sablony (nazev_sablony, text_sablony) VALUES ('Pochvala', 'Za co: ')");
        insert("INSERT INTO listiny (id_tridy, nazev, cesta) VALUES (:c, 'Zápis', '1_zapis.docx')",
               {{"c", trida}});
    }
    QStringList snapshotOf(const QString &file) {
        Database copy("copy");
        copy.open(file);
        return DataFixture::snapshotOf(copy);
    }
    QStringList filesIn(const QString &folder) { return QDir(folder).entryList(QDir::Files | QDir::Hidden); }
    QStringList rowsOf(const QString &table) {
        return snapshot().filter(QRegularExpression(QStringLiteral("^%1:").arg(table)));
    }
};

TEST_F(MaintenanceTest, TheBackupIsADatabaseWithTheSameRowsAndTheConnectionStaysOpen) {
    fill();
    const QString folder = m_dir.filePath("zalohy");
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString target = folder + "/zaloha.mdb";
    // An older file of the name is replaced.
    QFile old(target);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("stará záloha");
    old.close();

    DatabaseMaintenance::backup(m_db, target);
    EXPECT_TRUE(m_db.isOpen());
    EXPECT_EQ(m_db.filePath(), m_folders.dataFolder + "skola.mdb");
    EXPECT_EQ(snapshotOf(target), snapshot());
    EXPECT_GT(snapshot().size(), 10);
    EXPECT_EQ(filesIn(folder), QStringList{"zaloha.mdb"});
    // The connection goes on working.
    addClass("ZŠ Další", "1.B", "Dvořák");
    EXPECT_EQ(count("SELECT count(*) FROM trida"), 2);
}

TEST_F(MaintenanceTest, TheBackupHoldsNoChangeThatIsNotCommitted) {
    fill();
    Database other("other");
    other.open(m_db.filePath());
    other.beginTransaction();
    other.exec("INSERT INTO trida (skola) VALUES ('rozepsaná')");
    const QString target = m_dir.filePath("zaloha.mdb");
    DatabaseMaintenance::backup(m_db, target);
    other.rollback();
    EXPECT_EQ(snapshotOf(target), snapshot());
    EXPECT_FALSE(snapshotOf(target).join('\n').contains("rozepsaná"));
}

// A file another tool switched to WAL keeps committed rows in its log until a checkpoint: the backup
// holds them all the same.
TEST_F(MaintenanceTest, TheBackupOfAWalDatabaseHoldsTheRowsStillInTheLog) {
    fill();
    ASSERT_EQ(m_db.scalar("PRAGMA journal_mode = WAL").toString(), "wal");
    Database other("other");
    other.open(m_db.filePath());
    other.exec("PRAGMA wal_autocheckpoint = 0");
    other.beginTransaction();
    other.exec("INSERT INTO trida (skola) VALUES ('v logu')");
    other.commit();
    ASSERT_GT(QFileInfo(m_db.filePath() + "-wal").size(), 0);

    const QString target = m_dir.filePath("zaloha.mdb");
    DatabaseMaintenance::backup(m_db, target);
    EXPECT_EQ(snapshotOf(target), snapshot());
    EXPECT_TRUE(snapshotOf(target).join('\n').contains("v logu"));
}

// The file at the database's path was replaced behind the open connection: the backup is still the
// database the program works on.
TEST_F(MaintenanceTest, TheBackupIsTheOpenDatabaseEvenWhenItsFileWasReplaced) {
    fill();
    const QStringList open = snapshot();
    const QString stranger = m_dir.filePath("cizi.mdb");
    {
        Database db("stranger");
        db.create(stranger);
        db.exec("INSERT INTO trida (skola) VALUES ('cizí')");
    }
    ASSERT_EQ(::rename(QFile::encodeName(stranger).constData(), QFile::encodeName(m_db.filePath()).constData()), 0);
    const QString target = m_dir.filePath("zaloha.mdb");
    DatabaseMaintenance::backup(m_db, target);
    EXPECT_EQ(snapshotOf(target), open);
}

TEST_F(MaintenanceTest, TheOpenDatabaseFileIsRefusedAsTheTarget) {
    fill();
    const QStringList before = snapshot();
    const QString same = m_db.filePath();
    const QString roundabout = m_folders.dataFolder + "../data/./skola.mdb";
    const QString link = m_dir.filePath("odkaz.mdb");
    ASSERT_TRUE(QFile::link(same, link));
    for (const QString &target : {same, roundabout, link}) {
        try {
            DatabaseMaintenance::backup(m_db, target);
            ADD_FAILURE() << "accepted " << target.toStdString();
        } catch (const DatabaseError &e) {
            EXPECT_EQ(e.message(), "Došlo k chybě. Soubor nelze duplikovat.");
        }
    }
    EXPECT_TRUE(m_db.isOpen());
    EXPECT_EQ(snapshot(), before);
    EXPECT_EQ(filesIn(m_folders.dataFolder), QStringList{"skola.mdb"});
}

TEST_F(MaintenanceTest, ABackupIntoAMissingFolderFailsAndLeavesNothing) {
    fill();
    EXPECT_THROW(DatabaseMaintenance::backup(m_db, m_dir.filePath("nikde/zaloha.mdb")), DatabaseError);
    EXPECT_FALSE(QFileInfo::exists(m_dir.filePath("nikde")));
    EXPECT_TRUE(m_db.isOpen());
}

// A backup killed part-way left its temporary file and journal: the next backup to the target removes them,
// but not those of a backup that is still running (it holds its file locked).
TEST_F(MaintenanceTest, TheNextBackupRemovesWhatAKilledOneLeft) {
    fill();
    const QString folder = m_dir.filePath("zalohy");
    ASSERT_TRUE(QDir().mkpath(folder));
    for (const char *name : {"zaloha.mdb.orbelis-k1ll3d", "zaloha.mdb.orbelis-k1ll3d-journal",
                             "zaloha.mdb.orbelis-running", "jina.mdb.orbelis-k1ll3d"}) {
        QFile file(folder + '/' + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("zbytek");
    }
    const int running = ::open(QFile::encodeName(folder + "/zaloha.mdb.orbelis-running").constData(), O_RDWR);
    ASSERT_GE(running, 0);
    ASSERT_EQ(::flock(running, LOCK_EX), 0);

    DatabaseMaintenance::backup(m_db, folder + "/zaloha.mdb");
    ::close(running);
    EXPECT_EQ(filesIn(folder), (QStringList{"jina.mdb.orbelis-k1ll3d", "zaloha.mdb", "zaloha.mdb.orbelis-running"}));
    EXPECT_EQ(snapshotOf(folder + "/zaloha.mdb"), snapshot());
}

TEST_F(MaintenanceTest, TheWipeRemovesSessionsAndAnswersAndKeepsEverythingElse) {
    fill();
    QStringList kept;
    for (const char *table : {"trida", "zak", "testy", "otazky", "poznamky", "sablony", "listiny"})
        kept << rowsOf(table);
    const DatabaseMaintenance::WipeCount removed = DatabaseMaintenance::wipeAnswersAndSessions(m_db);
    EXPECT_EQ(removed.answers, 2);
    EXPECT_EQ(removed.sessions, 2);
    EXPECT_EQ(count("SELECT count(*) FROM odpovedi"), 0);
    EXPECT_EQ(count("SELECT count(*) FROM vyhodnoceni"), 0);
    EXPECT_EQ(snapshot(), kept);
    // A database without sessions is wiped without a fault.
    const DatabaseMaintenance::WipeCount again = DatabaseMaintenance::wipeAnswersAndSessions(m_db);
    EXPECT_EQ(again.answers + again.sessions, 0);
}

TEST_F(MaintenanceTest, TheWipeIsAllOrNothing) {
    fill();
    m_db.exec(
        "CREATE TRIGGER drz BEFORE DELETE ON vyhodnoceni BEGIN SELECT RAISE(ABORT, 'vyhodnocení drží'); END");
    const QStringList before = snapshot();
    try {
        DatabaseMaintenance::wipeAnswersAndSessions(m_db);
        ADD_FAILURE() << "the wipe went through";
    } catch (const DatabaseError &e) {
        EXPECT_TRUE(e.message().contains("vyhodnocení drží")) << e.message().toStdString();
    }
    EXPECT_EQ(snapshot(), before);
    EXPECT_EQ(count("SELECT count(*) FROM odpovedi"), 2);
}

} // namespace
