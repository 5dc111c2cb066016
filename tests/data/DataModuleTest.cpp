#include "DataFixture.h"

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QSignalSpy>

namespace {

using State = Dataset::State;

// A window's show or hide event, as the window system sends it.
void sendEvent(QObject &window, QEvent::Type type) {
    QEvent event(type);
    QCoreApplication::sendEvent(&window, &event);
}

class DataModuleTest : public DataFixture {
protected:
    // Positions the class register on a class (the class change runs).
    void selectClass(qint64 id) {
        if (!dm().Trida_Query().isOpen())
            dm().Trida_Query().open();
        ASSERT_TRUE(dm().Trida_Query().locate("ID", id));
    }
    void openRoster(qint64 classId) {
        dm().Zak_Query().setParameter("par_id_tridy", classId);
        dm().Zak_Query().setParameter("par_vse", 0);
        ASSERT_TRUE(dm().RefreshDataset(dm().Zak_Query()));
    }
    QStringList rosterOrder(qint64 classId) {
        QStringList names;
        SqlQuery q(m_db, "SELECT jmeno, poradi FROM zak WHERE id_tridy = :c ORDER BY poradi, ID");
        q.bind("c", classId);
        q.exec();
        while (q.next())
            names << q.value(0).toString() + u'=' + q.value(1).toString();
        return names;
    }
};

TEST_F(DataModuleTest, OpenDatasetsPositionsOnNewestClassAndAnnouncesItsSessions) {
    const qint64 older = addClass("A", "1", "U");
    const qint64 newer = addClass("B", "2", "V");
    const qint64 test = addTest("Vztahy");
    addSession(older, test, "2020-01-01 00:00:00");
    const qint64 s1 = addSession(newer, test, "2021-03-04 10:00:00");
    const qint64 s2 = addSession(newer, test, "2022-05-06 00:00:00");
    QSignalSpy spy(&dm(), &TDM::classChanged);
    dm().openDatasets();
    for (Dataset *ds : {&dm().Otazky_Query(), &dm().Zak_Query(), &dm().Trida_Query(), &dm().Poznamky_Query(),
                        &dm().Sablony_AdoQuery(), &dm().Testy_Query(), &dm().Vyhodnoceni_Query(),
                        &dm().OtazkyVyhodnoceni_Query()})
        EXPECT_TRUE(ds->isOpen()) << ds->name().toStdString();
    EXPECT_TRUE(dm().Odpovedi_Query().isOpen());
    EXPECT_EQ(dm().Trida_Query().id(), newer);
    ASSERT_GE(spy.count(), 1);
    const auto args = spy.last();
    EXPECT_EQ(args[0].toLongLong(), newer);
    const auto sessions = args[1].value<QList<SessionMenuItem>>();
    EXPECT_EQ(sessions, (QList<SessionMenuItem>{{s2, "06-05-2022 | Vztahy"}, {s1, "04-03-2021 | Vztahy"}}));

    selectClass(older);
    EXPECT_EQ(dm().Vyhodnoceni_Query().parameter("par_id_tridy").toLongLong(), older);
    EXPECT_EQ(dm().Vyhodnoceni_Query().recordCount(), 1);
    EXPECT_EQ(spy.last()[0].toLongLong(), older);
    dm().closeDatasets();
    EXPECT_FALSE(dm().Trida_Query().isOpen());
}

TEST_F(DataModuleTest, ComputedColumnsFollowTheirNullRules) {
    const qint64 full = addClass("ZŠ", "6.A", "Nová");
    const qint64 partial = addClass("ZŠ", QVariant(), "Nová");
    const qint64 empty = addClass(QVariant(), QVariant(), QVariant());
    dm().Trida_Query().open();
    dm().Trida_Query().locate("ID", full);
    EXPECT_EQ(dm().Trida_Query().text("cely_nazev"), QStringLiteral("ZŠ, 6.A, Nová, "));
    dm().Trida_Query().locate("ID", partial);
    EXPECT_EQ(dm().Trida_Query().text("cely_nazev"), QStringLiteral("ZŠ, Nová, "));
    dm().Trida_Query().locate("ID", empty);
    EXPECT_EQ(dm().Trida_Query().text("cely_nazev"), QString());

    const qint64 test = addTest("T");
    addSession(full, test, "2023-02-01 00:00:00");
    addSession(partial, test, "2023-02-01 00:00:00");
    Dataset &sessions = dm().Vyhodnoceni_Query();
    sessions.setParameter("par_id_tridy", full);
    dm().RefreshDataset(sessions);
    EXPECT_EQ(sessions.text("nazev_tridy"), QStringLiteral("ZŠ, 6.A, Nová"));
    EXPECT_EQ(sessions.text("cely_nazev"), QStringLiteral("01-02-2023 | T"));
    sessions.setParameter("par_id_tridy", partial);
    dm().RefreshDataset(sessions);
    EXPECT_TRUE(sessions.isNull("nazev_tridy"));

    addPupil(full, "Eva", "Malá", "žena", 1);
    addPupil(full, "Jan", QVariant(), "muž", 2);
    addPupil(full, QVariant(), "Novák", QVariant(), 3);
    Dataset &respondents = dm().Zak_Query_1();
    respondents.setParameter("par_id_tridy", full);
    respondents.setParameter("par_vse", 0);
    dm().RefreshDataset(respondents);
    QStringList names;
    for (int row = 0; row < respondents.recordCount(); ++row)
        names << respondents.value(row, respondents.fieldIndex("cele_jmeno")).toString();
    EXPECT_EQ(names, (QStringList{"Eva Malá", "Jan", " Novák"}));

    addQuestion(test, "Kdo?", QVariant(), 0, 1);
    addQuestion(test, "S kým?", "", 0, 2);
    addQuestion(test, "Rád", "Nerad", 0, 3);
    addQuestion(test, "Bez pořadí", "Ne", 0, QVariant());
    dm().Otazky_Query().setParameter("par_id_testu", test);
    dm().RefreshDataset(dm().Otazky_Query());
    dm().OtazkyVyhodnoceni_Query().setParameter("par_testy_id", test);
    dm().RefreshDataset(dm().OtazkyVyhodnoceni_Query());
    QStringList plain, numbered;
    for (int row = 0; row < 4; ++row) {
        plain << dm().Otazky_Query().value(row, dm().Otazky_Query().fieldIndex("cela_otazka")).toString();
        numbered << dm().OtazkyVyhodnoceni_Query()
                        .value(row, dm().OtazkyVyhodnoceni_Query().fieldIndex("cela_otazka"))
                        .toString();
    }
    EXPECT_EQ(plain, (QStringList{"Bez pořadí / Ne", "Kdo?", "S kým?", "Rád / Nerad"}));
    EXPECT_EQ(numbered, (QStringList{"Bez pořadí / Ne", "1. Kdo?", "2. S kým?", "3. Rád / Nerad"}));
    EXPECT_EQ(dm().OtazkyVyhodnoceni_Query().text("nazev_testu"), QStringLiteral("T"));
}

TEST_F(DataModuleTest, NewRowsGetTheirDefaults) {
    const qint64 classId = addClass("ZŠ", "1", "U");
    const qint64 test = addTest("T");
    addQuestion(test, "Q1");
    const qint64 pupil = addPupil(classId, "Eva");
    dm().openDatasets();
    const QDateTime before = QDateTime::currentDateTime().addSecs(-2);

    ASSERT_TRUE(dm().Trida_Query().insert());
    EXPECT_GE(dm().Trida_Query().value("datum_zapisu").toDateTime(), before);
    dm().Trida_Query().cancel();

    openRoster(classId);
    ASSERT_TRUE(dm().Zak_Query().insert());
    EXPECT_EQ(dm().Zak_Query().value("id_tridy").toLongLong(), classId);
    EXPECT_EQ(dm().Zak_Query().text("pohlavi"), QStringLiteral("muž"));
    EXPECT_EQ(dm().Zak_Query().intValue("poradi"), 2);
    dm().Zak_Query().cancel();

    dm().Testy_Query().locate("ID", test);
    dm().Otazky_Query().setParameter("par_id_testu", test);
    dm().RefreshDataset(dm().Otazky_Query());
    ASSERT_TRUE(dm().Otazky_Query().insert());
    EXPECT_EQ(dm().Otazky_Query().value("id_testu").toLongLong(), test);
    EXPECT_EQ(dm().Otazky_Query().value("typ").toInt(), 0);
    EXPECT_FALSE(dm().Otazky_Query().isNull("typ"));
    EXPECT_EQ(dm().Otazky_Query().intValue("poradi"), 2);
    EXPECT_EQ(dm().Otazky_Query().intValue("poradi_vyhodnoceni"), 2);
    dm().Otazky_Query().cancel();

    ASSERT_TRUE(dm().Vyhodnoceni_Query().insert());
    EXPECT_EQ(dm().Vyhodnoceni_Query().value("id_tridy").toLongLong(), classId);
    EXPECT_GE(dm().Vyhodnoceni_Query().value("datum").toDateTime(), before);
    EXPECT_EQ(dm().Vyhodnoceni_Query().text("poznamky"), QStringLiteral("Textové poznámky k vyhodnocení:"));
    ASSERT_TRUE(dm().Vyhodnoceni_Query().post());
    EXPECT_EQ(count("SELECT count(*) FROM vyhodnoceni WHERE id_testu = :t AND id_tridy = :c",
                    {{"t", test}, {"c", classId}}),
              1);

    dm().Zak_Query().locate("ID", pupil);
    dm().Poznamky_Query().setParameter("par_id_zaka", pupil);
    dm().RefreshDataset(dm().Poznamky_Query());
    ASSERT_TRUE(dm().Poznamky_Query().insert());
    EXPECT_EQ(dm().Poznamky_Query().value("id_zaka").toLongLong(), pupil);
    EXPECT_GE(dm().Poznamky_Query().value("datum").toDateTime(), before);
}

TEST_F(DataModuleTest, ValidationsShowTheirMessagesAndKeepRowsUnsaved) {
    const qint64 classId = addClass("ZŠ", "1", "U");
    dm().openDatasets();
    openRoster(classId);

    dm().Zak_Query().insert();
    dm().Zak_Query().setValue("prijmeni", "Nováková");
    EXPECT_FALSE(dm().Zak_Query().post());
    EXPECT_EQ(dm().Zak_Query().state(), State::Insert);
    dm().Zak_Query().setValue("jmeno", "");
    EXPECT_FALSE(dm().Zak_Query().post());
    ASSERT_EQ(m_prompter.prompts().size(), 2);
    EXPECT_EQ(m_prompter.prompts()[0].text, QStringLiteral("Je třeba zadat jméno žáka. "));
    EXPECT_EQ(m_prompter.prompts()[0].icon, Prompter::Icon::Information);
    EXPECT_EQ(count("SELECT count(*) FROM zak"), 0);
    dm().Zak_Query().cancel();

    // No questionnaire: a question has no `id_testu`, a session cannot start.
    m_prompter.clear();
    dm().Otazky_Query().insert();
    dm().Otazky_Query().setValue("text_otazky", "Kdo?");
    EXPECT_FALSE(dm().Otazky_Query().post());
    EXPECT_FALSE(dm().Vyhodnoceni_Query().insert());
    EXPECT_EQ(dm().Vyhodnoceni_Query().state(), State::Browse);
    EXPECT_EQ(
        m_prompter.messages(),
        (QStringList{
            "Je třeba vybrat některý z testů.",
            "Nemáte zadánu žádnou šablonu dotazníku. \r\nZ hlavní nabídky programu nejprve vyberte "
            "Nastavení / Dotazníky a jejich otázky. Poté nějaký dotazník přidejte nebo naimportujte."}));
    dm().Otazky_Query().cancel();
    EXPECT_EQ(count("SELECT count(*) FROM otazky"), 0);

    m_prompter.clear();
    addTest("T");
    dm().RefreshDataset(dm().Testy_Query());
    ASSERT_TRUE(dm().Vyhodnoceni_Query().insert());
    dm().Vyhodnoceni_Query().setValue("datum", QVariant());
    EXPECT_FALSE(dm().Vyhodnoceni_Query().post());
    EXPECT_EQ(m_prompter.messages(), QStringList{"Je třeba zadat datum vyhodnocení. "});
    EXPECT_EQ(count("SELECT count(*) FROM vyhodnoceni"), 0);
}

TEST_F(DataModuleTest, SavingANewClassAsksForPupilsEditingNever) {
    addClass("Stará", "1", "U");
    dm().openDatasets();
    QSignalSpy pupils(&dm(), &TDM::addPupilsRequested);
    m_prompter.yes();
    dm().Trida_Query().insert();
    dm().Trida_Query().setValue("skola", "Nová");
    ASSERT_TRUE(dm().Trida_Query().post());
    EXPECT_TRUE(dm().NewClassFlag());
    ASSERT_EQ(m_prompter.prompts().size(), 1);
    EXPECT_EQ(m_prompter.prompts()[0].text, QStringLiteral("Přidali jste novou třídu. Chcete přidat žáky?"));
    EXPECT_EQ(m_prompter.prompts()[0].title, QStringLiteral("Přidání žáků"));
    EXPECT_EQ(pupils.count(), 1);
    EXPECT_EQ(dm().Trida_Query().text("skola"), QStringLiteral("Nová"));

    m_prompter.clear();
    dm().Trida_Query().edit();
    dm().Trida_Query().setValue("stupen", "2.B");
    ASSERT_TRUE(dm().Trida_Query().post());
    EXPECT_FALSE(dm().NewClassFlag());
    EXPECT_TRUE(m_prompter.prompts().isEmpty());
    EXPECT_EQ(pupils.count(), 1);
}

TEST_F(DataModuleTest, SavedSessionRebuildsTheSessionMenu) {
    const qint64 classId = addClass("ZŠ", "1", "U");
    const qint64 first = addTest("A test");
    const qint64 second = addTest("B test");
    dm().openDatasets();
    QSignalSpy spy(&dm(), &TDM::classChanged);
    dm().Testy_Query().locate("ID", second);
    dm().Vyhodnoceni_Query().insert();
    dm().Vyhodnoceni_Query().setValue("datum", QDateTime(QDate(2024, 4, 5), QTime(0, 0)));
    dm().Testy_Query().locate("ID", first); // the questionnaire picked when saving counts
    ASSERT_TRUE(dm().Vyhodnoceni_Query().post());
    EXPECT_EQ(count("SELECT id_testu FROM vyhodnoceni"), first);
    ASSERT_GE(spy.count(), 1);
    EXPECT_EQ(spy.last()[0].toLongLong(), classId);
    const auto items = spy.last()[1].value<QList<SessionMenuItem>>();
    ASSERT_EQ(items.size(), 1);
    EXPECT_EQ(items[0].caption, QStringLiteral("05-04-2024 | A test"));

    // Editing moves the questionnaire list to the session's questionnaire.
    dm().Testy_Query().locate("ID", second);
    dm().Vyhodnoceni_Query().edit();
    EXPECT_EQ(dm().Testy_Query().id(), first);
}

TEST_F(DataModuleTest, RespondentAndQuestionChangesFilterThePartnerLists) {
    const qint64 classId = addClass("ZŠ", "1", "U");
    const qint64 eva = addPupil(classId, "Eva", "M", "žena", 1);
    const qint64 adam = addPupil(classId, "Adam", "N", "muž", 2);
    addPupil(classId, "nikdo", QVariant(), "---", 3);
    addPupil(classId, "a)", QVariant(), "abcde", 4);
    addPupil(classId, "ano", QVariant(), "ano-ne", 5);
    addPupil(addClass("X", "2", "Y"), "Cizí", "Z", "muž", 1);
    const qint64 test = addTest("T");
    const qint64 classic = addQuestion(test, "Kdo?", QVariant(), 0, 1);
    addQuestion(test, "Písmeno?", QVariant(), 1, 2);
    const qint64 text = addQuestion(test, "Napiš", QVariant(), 4, 3);
    const qint64 session = addSession(classId, test, "2024-01-01 00:00:00");
    addAnswer(session, text, eva, -1, true, "Moje odpověď");
    dm().openDatasets();
    selectClass(classId);
    for (Dataset *ds : {&dm().Zak_Query_1(), &dm().Zak_Query_2(), &dm().Zak_Query_3()}) {
        ds->setParameter("par_id_tridy", classId);
        ds->setParameter("par_vse", 0);
    }
    dm().OtazkyVyhodnoceni_Query().setParameter("par_testy_id", test);
    dm().RefreshDataset(dm().OtazkyVyhodnoceni_Query());
    dm().RefreshDataset(dm().Zak_Query_1()); // respondent change runs on the first respondent

    const auto names = [](Dataset &ds) {
        QStringList list;
        for (int row = 0; row < ds.recordCount(); ++row)
            list << ds.value(row, ds.fieldIndex("jmeno")).toString();
        return list;
    };
    EXPECT_EQ(dm().Zak_Query_1().text("jmeno"), QStringLiteral("Eva"));
    EXPECT_EQ(names(dm().Zak_Query_2()), (QStringList{"Adam", "nikdo"}));
    EXPECT_EQ(names(dm().Zak_Query_3()), (QStringList{"Adam", "nikdo"}));
    dm().Zak_Query_1().locate("ID", adam);
    EXPECT_EQ(names(dm().Zak_Query_2()), (QStringList{"Eva", "nikdo"}));

    // Question change while answer entry shows: kind 1 offers only letters; kind 4 empties both lists.
    QObject answerWindow;
    answerWindow.setObjectName("TDotaznik_Odpovedi_Form");
    dm().watchWindow(&answerWindow);
    sendEvent(answerWindow, QEvent::Show);
    ASSERT_TRUE(dm().answerWindowShowing());
    QSignalSpy panels(&dm(), &TDM::answerPanelsChanged);
    QSignalSpy repaint(&dm(), &TDM::partnerListsChanged);
    dm().OtazkyVyhodnoceni_Query().next();
    EXPECT_EQ(names(dm().Zak_Query_2()), QStringList{"a)"});
    ASSERT_EQ(panels.count(), 1);
    EXPECT_TRUE(panels.last()[0].value<AnswerPanels>().showPositive);
    EXPECT_FALSE(panels.last()[0].value<AnswerPanels>().showNegative);
    EXPECT_GE(repaint.count(), 1);
    dm().Zak_Query_1().locate("ID", eva);
    dm().OtazkyVyhodnoceni_Query().next();
    EXPECT_TRUE(dm().Zak_Query_2().isEmpty());
    EXPECT_TRUE(dm().Zak_Query_3().isEmpty());
    const AnswerPanels free = panels.last()[0].value<AnswerPanels>();
    EXPECT_TRUE(free.showText);
    EXPECT_FALSE(free.showPositive);
    EXPECT_EQ(free.freeText, QStringLiteral("Moje odpověď"));
    EXPECT_EQ(free.positiveLabel, QStringLiteral("Napiš"));

    // Without any of the two windows showing, a question change leaves the lists alone.
    sendEvent(answerWindow, QEvent::Hide);
    dm().OtazkyVyhodnoceni_Query().locate("ID", classic);
    EXPECT_TRUE(dm().Zak_Query_2().isEmpty());
}

TEST_F(DataModuleTest, DocumentInsertionCopiesNumbersAndRegistersTheFile) {
    const qint64 classId = addClass("ZŠ", "1", "U");
    dm().openDatasets();
    const QString source = m_dir.filePath("obrazek.jpg");
    {
        QFile file(source);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("JPEGDATA");
    }
    QSignalSpy show(&dm(), &TDM::showDocumentsRequested);
    m_prompter.answer("Sociogram").yes();
    dm().addClassDocument(source, "Návrh");
    EXPECT_TRUE(dm().PendingListinaFile().isEmpty());
    EXPECT_TRUE(dm().PendingListinaName().isEmpty());
    ASSERT_EQ(m_prompter.prompts().size(), 2);
    EXPECT_EQ(m_prompter.prompts()[0].kind, QStringLiteral("input"));
    EXPECT_EQ(m_prompter.prompts()[0].title, QStringLiteral("Název nové listiny"));
    EXPECT_EQ(m_prompter.prompts()[0].text, QStringLiteral("Prosím zadejte název nové listiny"));
    EXPECT_EQ(m_prompter.prompts()[1].text, QStringLiteral("Zobrazit okno s Listinami?"));
    EXPECT_EQ(show.count(), 1);
    EXPECT_EQ(dm().Listiny_ADOQuery().state(), State::Browse);
    const QString folder = m_folders.classFolder(classId);
    QFile copy(folder + "1_obrazek.jpg");
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    EXPECT_EQ(copy.readAll(), QByteArray("JPEGDATA"));
    EXPECT_EQ(dm().Listiny_ADOQuery().recordCount(), 1);
    EXPECT_EQ(dm().Listiny_ADOQuery().text("nazev"), QStringLiteral("Sociogram"));
    EXPECT_EQ(dm().Listiny_ADOQuery().text("cesta"), QStringLiteral("1_obrazek.jpg"));
    EXPECT_EQ(dm().currentDocumentPath(), folder + "1_obrazek.jpg");

    // Second time the title box is cancelled ("-") and the window is showing (no question).
    m_prompter.clear();
    QObject documentWindow;
    documentWindow.setObjectName("TListiny_Form");
    dm().watchWindow(&documentWindow);
    sendEvent(documentWindow, QEvent::Show);
    dm().addClassDocument(source, "Návrh");
    EXPECT_EQ(m_prompter.prompts().size(), 1);
    EXPECT_TRUE(QFile::exists(folder + "2_obrazek.jpg"));
    EXPECT_EQ(count("SELECT count(*) FROM listiny WHERE nazev = '-' AND cesta = '2_obrazek.jpg'"), 1);

    // No pending file: the open dialog is asked; cancelling it adds nothing.
    m_prompter.clear();
    EXPECT_FALSE(dm().Listiny_ADOQuery().insert());
    EXPECT_EQ(m_prompter.prompts().size(), 1);
    EXPECT_EQ(m_prompter.prompts()[0].kind, QStringLiteral("open"));
    EXPECT_EQ(count("SELECT count(*) FROM listiny"), 2);
}

TEST_F(DataModuleTest, DocumentDeletionAsksAndRemovesTheFileWithItsRow) {
    const qint64 classId = addClass("ZŠ", "1", "U");
    QDir().mkpath(m_folders.classFolder(classId));
    QFile file(m_folders.classFolder(classId) + "5_a.txt");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    insert("INSERT INTO listiny (id_tridy, nazev, cesta) VALUES (:c, 'A', '5_a.txt')", {{"c", classId}});
    insert("INSERT INTO listiny (id_tridy, nazev, cesta) VALUES (:c, 'B', 'chybi.txt')", {{"c", classId}});
    dm().openDatasets();
    Dataset &docs = dm().Listiny_ADOQuery();
    docs.setParameter("par_id_tridy", classId);
    dm().RefreshDataset(docs);
    docs.locate("nazev", "A");

    m_prompter.no();
    EXPECT_FALSE(docs.deleteRecord());
    EXPECT_EQ(count("SELECT count(*) FROM listiny"), 2);
    EXPECT_TRUE(QFile::exists(m_folders.classFolder(classId) + "5_a.txt"));

    m_prompter.clear();
    m_prompter.yes().yes();
    EXPECT_TRUE(docs.deleteRecord());
    EXPECT_FALSE(QFile::exists(m_folders.classFolder(classId) + "5_a.txt"));
    EXPECT_TRUE(docs.locate("nazev", "B"));
    EXPECT_TRUE(docs.deleteRecord());
    ASSERT_EQ(m_prompter.prompts().size(), 4);
    EXPECT_EQ(m_prompter.prompts()[0].title, QStringLiteral("Smazat listinu"));
    EXPECT_EQ(m_prompter.prompts()[0].text,
              QStringLiteral("Chcete opravdu smazat záznam spolu se souborem listiny?"));
    EXPECT_EQ(m_prompter.prompts()[1].text, QStringLiteral("Soubor listiny byl smazán."));
    EXPECT_EQ(m_prompter.prompts()[1].icon, Prompter::Icon::Information);
    EXPECT_EQ(m_prompter.prompts()[3].text,
              "Neporařilo se vymazat soubor " + m_folders.classFolder(classId) + "chybi.txt.");
    EXPECT_EQ(m_prompter.prompts()[3].icon, Prompter::Icon::Warning);
    EXPECT_EQ(count("SELECT count(*) FROM listiny"), 0);
}

TEST_F(DataModuleTest, DuplicateFileReportsBothFailures) {
    const QString source = m_dir.filePath("a.bin");
    QFile file(source);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("abc");
    file.close();
    EXPECT_TRUE(dm().DuplicateFile(m_dir.filePath("b.bin"), source));
    EXPECT_TRUE(dm().DuplicateFile(m_dir.filePath("b.bin"), source)); // overwrites
    EXPECT_TRUE(m_prompter.prompts().isEmpty());
    EXPECT_FALSE(dm().DuplicateFile(m_dir.filePath("c.bin"), m_dir.filePath("missing.bin")));
    EXPECT_FALSE(dm().DuplicateFile(source, source));
    EXPECT_FALSE(dm().DuplicateFile(m_dir.filePath("no/such/dir/c.bin"), source));
    const QString missingFolder = QDir::toNativeSeparators(m_dir.filePath("no/such/dir"));
    EXPECT_EQ(
        m_prompter.messages(),
        (QStringList{"Nelze duplikovat soubor. Je zřejmě již některým programem otevřen a používán. Zavřete "
                     "takový program a zkuste to znovu. ",
                     "Došlo k chybě. Soubor nelze duplikovat.",
                     "Došlo k chybě. Soubor nelze duplikovat.\r\nSoubor „" + missingFolder +
                         "/c.bin“ nelze uložit: Složka " + missingFolder + " neexistuje."}));
    QFile copy(m_dir.filePath("b.bin"));
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    EXPECT_EQ(copy.readAll(), QByteArray("abc"));
    QFile same(source);
    ASSERT_TRUE(same.open(QIODevice::ReadOnly));
    EXPECT_EQ(same.readAll(), QByteArray("abc"));
}

TEST_F(DataModuleTest, SmallServiceOperations) {
    const qint64 classId = addClass("ZŠ", "1", "U");
    EXPECT_EQ(dm().CountPupils(classId), 0);
    addPupil(classId, "A");
    addPupil(classId, "ano", QVariant(), "ano-ne");
    EXPECT_EQ(dm().CountPupils(classId), 2);
    EXPECT_EQ(dm().MaxId("trida", "id"), QString::number(classId));
    EXPECT_EQ(dm().MaxId("sablony", "id"), QString());
    EXPECT_THROW(dm().MaxId("trida; DROP TABLE zak", "id"), DatabaseError);
    addClass("B", "2", "V");
    EXPECT_EQ(dm().LastIdentity(), classId + 1);
}

TEST_F(DataModuleTest, TitleClicksSortTheClassGridAscendingThenFlip) {
    addClass("Beta", "1.A", "U", "2020-01-01 00:00:00");
    addClass("Alfa", "2.A", "U", "2020-01-01 00:00:00");
    addClass("Gama", "3.A", "U", "2020-01-01 00:00:00");
    dm().openDatasets();
    const auto column = [this](const char *field) {
        QStringList list;
        for (int row = 0; row < dm().Trida_Query().recordCount(); ++row)
            list << dm().Trida_Query().value(row, dm().Trida_Query().fieldIndex(field)).toString();
        return list;
    };
    EXPECT_EQ(column("skola"), (QStringList{"Gama", "Alfa", "Beta"}));
    dm().sortClassGrid("skola");
    EXPECT_EQ(dm().Trida_Query().lastSqlLine(), QStringLiteral("ORDER BY skola COLLATE czech ASC"));
    EXPECT_EQ(column("skola"), (QStringList{"Alfa", "Beta", "Gama"}));
    dm().sortClassGrid("stupen");
    EXPECT_EQ(dm().Trida_Query().lastSqlLine(), QStringLiteral("ORDER BY stupen COLLATE czech DESC"));
    EXPECT_EQ(column("stupen"), (QStringList{"3.A", "2.A", "1.A"}));
    dm().sortClassGrid("stupen");
    EXPECT_EQ(column("stupen"), (QStringList{"1.A", "2.A", "3.A"}));
}

TEST_F(DataModuleTest, RenumberingPutsPupilsByNameThenOptionsByText) {
    const qint64 classId = addClass("ZŠ", "1", "U");
    addPupil(classId, "Eva", QVariant(), "žena", 7);
    addPupil(classId, "Adam", QVariant(), "muž", 8);
    addPupil(classId, "ne", QVariant(), "ano-ne", 9);
    addPupil(classId, "ano", QVariant(), "ANO-NE", 10);
    addPupil(classId, "Bez typu", QVariant(), QVariant(), 42);
    const qint64 other = addClass("Jiná", "2", "V");
    addPupil(other, "Zdeněk", QVariant(), "muž", 5);
    dm().openDatasets();
    selectClass(classId);
    openRoster(classId);

    m_prompter.no();
    EXPECT_FALSE(dm().renumberClassRows());
    EXPECT_EQ(rosterOrder(classId), (QStringList{"Eva=7", "Adam=8", "ne=9", "ano=10", "Bez typu=42"}));
    m_prompter.yes();
    EXPECT_TRUE(dm().renumberClassRows());
    EXPECT_EQ(m_prompter.prompts()[1].title, QStringLiteral("Pořadí žáků"));
    EXPECT_EQ(m_prompter.prompts()[1].text, QStringLiteral("Opravdu přepsat pořadí žáků?"));
    EXPECT_EQ(rosterOrder(classId), (QStringList{"Adam=1", "Eva=2", "ano=3", "ne=4", "Bez typu=42"}));
    EXPECT_EQ(rosterOrder(other), QStringList{"Zdeněk=5"});
    EXPECT_EQ(dm().Zak_Query().text("jmeno"), QStringLiteral("Adam")); // the roster was refreshed
}

TEST_F(DataModuleTest, OptionRowsAreAddedAgainAndGenerovatPoradiGroupsThemByKind) {
    const qint64 classId = addClass("ZŠ", "1", "U");
    dm().openDatasets();
    selectClass(classId);
    openRoster(classId);
    dm().insertYesNoOptionRows();
    dm().insertYesNoOptionRows();
    EXPECT_EQ(count("SELECT count(*) FROM zak WHERE pohlavi = 'ano-ne'"), 4);
    EXPECT_EQ(dm().Zak_Query().recordCount(), 4);
    m_db.exec("DELETE FROM zak");
    dm().insertGeneralOptionRows();
    dm().insertYesNoOptionRows();
    dm().insertLetterAndNumberOptionRows();
    EXPECT_EQ(count("SELECT count(*) FROM zak WHERE id_tridy = :c AND poradi IS NULL", {{"c", classId}}), 21);
    EXPECT_EQ(count("SELECT count(*) FROM zak WHERE jmeno = 'většina' AND pohlavi = '---'"), 1);
    addPupil(classId, "Čeněk", QVariant(), "muž");
    addPupil(classId, "Hugo", QVariant(), "muž");
    addPupil(classId, "Chrudoš", QVariant(), "muž");
    dm().GenerovatPoradi();
    const QStringList order = rosterOrder(classId);
    ASSERT_EQ(order.size(), 24);
    EXPECT_EQ(order.mid(0, 5), (QStringList{"Čeněk=1", "Hugo=2", "Chrudoš=3", "ano=4", "ne=5"}));
    EXPECT_EQ(order.mid(5, 5), (QStringList{"a)=6", "b)=7", "c)=8", "d)=9", "e)=10"}));
    EXPECT_EQ(order[10], QStringLiteral("1=11"));
    EXPECT_EQ(order.mid(15), (QStringList{"---=16", "holky=17", "já=18", "kluci=19", "nevím=20", "nikdo=21",
                                          "většina=22", "všichni=23", "všichni ostatní=24"}));
}

TEST_F(DataModuleTest, OptionRowSetIsAllOrNothing) {
    const qint64 classId = addClass("ZŠ", "1", "U");
    m_db.exec("CREATE TRIGGER no_c BEFORE INSERT ON zak WHEN NEW.jmeno = 'c)' BEGIN SELECT RAISE(ABORT, "
              "'stop'); END");
    dm().openDatasets();
    selectClass(classId);
    dm().insertLetterAndNumberOptionRows();
    EXPECT_EQ(count("SELECT count(*) FROM zak"), 0);
    EXPECT_EQ(m_prompter.messages(), QStringList{"stop"});
}

TEST_F(DataModuleTest, SavingARosterRowRenumbersAndBulkTypeChangesOnlySelectedRows) {
    const qint64 classId = addClass("ZŠ", "1", "U");
    addPupil(classId, "Zora", "A", "muž", 1);
    addPupil(classId, "Olga", "B", "muž", 2);
    addPupil(classId, "Petr", "C", "muž", 3);
    dm().openDatasets();
    selectClass(classId);
    openRoster(classId);
    ASSERT_TRUE(dm().Zak_Query().insert());
    dm().Zak_Query().setValue("jmeno", "Adéla");
    ASSERT_TRUE(dm().Zak_Query().post());
    EXPECT_EQ(rosterOrder(classId), (QStringList{"Adéla=1", "Olga=2", "Petr=3", "Zora=4"}));

    // Rows 1 and 3 of the roster (Olga, Zora) become girls; every save renumbers, the walk still holds.
    dm().SetFieldOnSelectedRows(dm().Zak_Query(), {1, 3}, QStringLiteral("žena"), "pohlavi");
    EXPECT_EQ(count("SELECT count(*) FROM zak WHERE pohlavi = 'žena'"), 2);
    EXPECT_EQ(count("SELECT count(*) FROM zak WHERE pohlavi = 'žena' AND jmeno IN ('Olga', 'Zora')"), 2);
    EXPECT_EQ(dm().Zak_Query().state(), State::Browse);
}

} // namespace

namespace {

TEST(SessionRulesTest, EachQuestionKindOffersItsOwnRowsAndPanels) {
    using F = PartnerFilter;
    EXPECT_EQ(SessionRules::partnerFilter(0), (F{1, 1, 0, 0, 0}));
    EXPECT_EQ(SessionRules::partnerFilter(1), (F{0, 0, 1, 0, 0}));
    EXPECT_EQ(SessionRules::partnerFilter(2), (F{0, 0, 0, 1, 0}));
    EXPECT_EQ(SessionRules::partnerFilter(3), (F{0, 0, 0, 0, 1}));
    EXPECT_EQ(SessionRules::partnerFilter(4), (F{}));

    for (int typ : {0, 1, 2, 3}) {
        const AnswerPanels one = SessionRules::answerPanels(typ, "Kdo?", "");
        EXPECT_TRUE(one.changePanels && one.showPositive && !one.showNegative && !one.showText) << typ;
        EXPECT_TRUE(SessionRules::answerPanels(typ, "Kdo?", "Kdo ne?").showNegative) << typ;
    }
    const AnswerPanels text = SessionRules::answerPanels(4, "Napiš", "");
    EXPECT_TRUE(text.changePanels && text.showText && !text.showPositive && !text.showNegative);
    EXPECT_FALSE(SessionRules::answerPanels(5, "?", "").changePanels);
}

} // namespace

namespace {

TEST_F(DataModuleTest, RowsAreNeverSavedWithoutTheirParent) {
    const qint64 classId = addClass("ZŠ", "1", "U");
    dm().openDatasets();
    dm().Zak_Query().setParameter("par_id_tridy", classId);
    dm().Zak_Query().setParameter("par_vse", 0);
    ASSERT_TRUE(dm().RefreshDataset(dm().Zak_Query()));

    // A class being inserted is not yet a parent.
    ASSERT_TRUE(dm().Trida_Query().insert());
    ASSERT_TRUE(dm().Zak_Query().insert());
    dm().Zak_Query().setValue("jmeno", "Sirotek");
    EXPECT_FALSE(dm().Zak_Query().post());
    EXPECT_EQ(count("SELECT count(*) FROM zak"), 0);
    EXPECT_TRUE(m_prompter.messages().last().startsWith("Žáka nelze uložit"));
    dm().Zak_Query().cancel();
    dm().Trida_Query().cancel();

    // A note for a pupil who no longer exists.
    const qint64 gone = addPupil(classId, "Jan");
    m_db.exec("DELETE FROM zak WHERE ID = :i", {{"i", gone}});
    dm().Poznamky_Query().setParameter("par_id_zaka", gone);
    ASSERT_TRUE(dm().RefreshDataset(dm().Poznamky_Query()));
    ASSERT_TRUE(dm().Poznamky_Query().insert());
    dm().Poznamky_Query().setValue("id_zaka", gone);
    EXPECT_FALSE(dm().Poznamky_Query().post());
    EXPECT_EQ(count("SELECT count(*) FROM poznamky"), 0);
}

} // namespace
