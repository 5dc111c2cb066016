// The document rules and the register's helpers on a real data folder, without a window.
#include "data/DataFixture.h"

#include "documents/ClassDocuments.h"

#include <QFile>

namespace {

class ClassDocumentsTest : public DataFixture {
protected:
    void SetUp() override {
        DataFixture::SetUp();
        m_class = addClass("ZŠ Lipová", "5.A", "Nováková");
        dm().openDatasets(); // the class becomes current
        dm().Listiny_ADOQuery().setParameter("par_id_tridy", m_class);
        dm().RefreshDataset(dm().Listiny_ADOQuery());
    }
    QString write(const QString &path, const QByteArray &bytes) {
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }
    QByteArray read(const QString &path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    QStringList storedNames() {
        QStringList names;
        SqlQuery query(m_db, "SELECT cesta || ' = ' || nazev FROM listiny ORDER BY ID");
        query.exec();
        while (query.next())
            names << query.value(0).toString();
        return names;
    }
    qint64 m_class = 0;
};

TEST_F(ClassDocumentsTest, TemplatesAndBlankDocumentsBecomeNumberedCopiesWithTheTypedTitle) {
    QDir().mkpath(m_folders.sablonyFolder() + "jiny");
    const QString letter = write(m_folders.sablonyFolder() + "Dopis rodičům.docx", "DOPIS");
    write(m_folders.sablonyFolder() + "anketa.txt", "ANKETA");
    EXPECT_EQ(ClassDocuments::templateFiles(m_folders),
              QStringList({m_folders.sablonyFolder() + "anketa.txt", letter}));

    m_prompter.answer("Pozvánka");
    ASSERT_NE(ClassDocuments::newDocument(dm(), letter, "Dopis rodičům.docx"), 0);
    m_prompter.answer(QString("")); // an empty title
    ASSERT_NE(ClassDocuments::newDocument(dm(), letter, "Dopis rodičům.docx"), 0);
    const ClassDocuments::BlankDocument &word = ClassDocuments::blankDocuments()[1];
    write(m_folders.dataFolder + word.source, "PRAZDNY");
    ASSERT_NE(ClassDocuments::newDocument(dm(), m_folders.dataFolder + word.source, word.storedName),
              0); // cancelled

    EXPECT_EQ(storedNames(), QStringList({"1_Dopis rodičům.docx = Pozvánka", "2_Dopis rodičům.docx = -",
                                          "3_soubor_word.docx = -"}));
    EXPECT_EQ(read(m_folders.classFolder(m_class) + "2_Dopis rodičům.docx"), QByteArray("DOPIS"));
    EXPECT_EQ(read(m_folders.classFolder(m_class) + "3_soubor_word.docx"), QByteArray("PRAZDNY"));
    EXPECT_EQ(dm().Listiny_ADOQuery().recordCount(), 3); // read again
    ASSERT_EQ(m_prompter.prompts().size(), 3);
    EXPECT_EQ(m_prompter.prompts()[0].title, QStringLiteral("Název nové listiny"));
    EXPECT_EQ(m_prompter.prompts()[0].text, QStringLiteral("Prosím zadejte název nové listiny"));
}

TEST_F(ClassDocumentsTest, NoDocumentIsRegisteredWithoutItsCopyAndNoCopyWithoutItsRow) {
    const QString source = write(m_dir.filePath("zprava.txt"), "ZPRAVA");
    // The class's folder cannot be made: a file stands in its place.
    write(m_folders.listinyFolder() + QString::number(m_class), "");
    m_prompter.answer("Zpráva");
    dm().addClassDocument(source, QString());
    ASSERT_EQ(m_prompter.messages().size(), 1);
    EXPECT_TRUE(m_prompter.messages()[0].startsWith("Došlo k chybě. Soubor nelze duplikovat.\r\nSoubor „"))
        << m_prompter.messages()[0].toStdString();
    EXPECT_EQ(count("SELECT count(*) FROM listiny"), 0);
    EXPECT_EQ(ClassDocuments::newDocument(dm(), source, "zprava.txt"), 0);
    EXPECT_EQ(count("SELECT count(*) FROM listiny"), 0);

    // The copy is made but its row cannot be written: the copy goes again.
    QFile::remove(m_folders.listinyFolder() + QString::number(m_class));
    m_db.exec("CREATE TRIGGER odmitnout BEFORE INSERT ON listiny BEGIN SELECT RAISE(ABORT, 'zamčeno'); END");
    m_prompter.clear();
    EXPECT_FALSE(dm().documents().storeDocument(m_class, source, "Zpráva"));
    EXPECT_EQ(m_prompter.messages().size(), 1);
    EXPECT_TRUE(QDir(m_folders.classFolder(m_class)).isEmpty());

    m_db.exec("DROP TRIGGER odmitnout");
    EXPECT_TRUE(dm().documents().storeDocument(m_class, source, " \tZpráva\n"));
    EXPECT_EQ(storedNames(), QStringList{"1_zprava.txt = Zpráva"});
}

TEST_F(ClassDocumentsTest, SociogramFilesAndTheDragDistanceAreExact) {
    EXPECT_TRUE(ClassDocuments::isSociogramFile("/data/Listiny/1/3_třída.sgp"));
    EXPECT_FALSE(ClassDocuments::isSociogramFile("/data/Listiny/1/3_třída.SGP"));
    EXPECT_FALSE(ClassDocuments::isSociogramFile("/data/Listiny/1/3_třída.sgp.txt"));
    EXPECT_FALSE(ClassDocuments::dragStarts({100, 100}, {149, 51}));
    EXPECT_TRUE(ClassDocuments::dragStarts({100, 100}, {150, 100}));
    EXPECT_TRUE(ClassDocuments::dragStarts({100, 100}, {100, 50}));
}

} // namespace
