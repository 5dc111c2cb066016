#include "data/Schema.h"

#include "data/Database.h"

namespace {

// Counter keys never reuse a deleted value (AUTOINCREMENT), as the documents' folders and the web
// forms are named after them. Yes/no columns hold 1 and 0. Text columns declare no collation: the
// statements ask for the Czech one (`COLLATE czech`), and other SQLite clients, which do not know it,
// read and sort the file as plain text.
const char *const kTrida = R"(CREATE TABLE trida (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    skola VARCHAR(255),
    stupen VARCHAR(255),
    tridni_ucitel VARCHAR(255),
    datum_zapisu DATETIME))";

const char *const kZak = R"(CREATE TABLE zak (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    id_tridy INTEGER,
    jmeno VARCHAR(255),
    prijmeni VARCHAR(255),
    pohlavi VARCHAR(255),
    poradi INTEGER))";

const char *const kTesty = R"(CREATE TABLE testy (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    nazev_testu VARCHAR(255)))";

const char *const kOtazky = R"(CREATE TABLE otazky (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    id_testu INTEGER,
    text_otazky VARCHAR(255),
    text_otazky_negativni VARCHAR(255),
    poradi INTEGER,
    poradi_vyhodnoceni INTEGER,
    typ INTEGER,
    popis VARCHAR(255),
    nadpis_nad VARCHAR(255),
    popis_pro_web VARCHAR(255)))";

const char *const kVyhodnoceni = R"(CREATE TABLE vyhodnoceni (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    id_tridy INTEGER,
    id_testu INTEGER,
    datum DATETIME,
    pocet_neucast INTEGER,
    poznamky TEXT))";

const char *const kOdpovedi = R"(CREATE TABLE odpovedi (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    id_vyhodnoceni INTEGER,
    id_otazky INTEGER,
    id_zaka INTEGER,
    id_partnera INTEGER,
    pozitivni BOOLEAN DEFAULT 0,
    slovy TEXT))";

const char *const kPoznamky = R"(CREATE TABLE poznamky (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    id_zaka INTEGER,
    datum DATETIME,
    nazev VARCHAR(255),
    poznamka TEXT))";

const char *const kSablony = R"(CREATE TABLE sablony (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    nazev_sablony VARCHAR(255),
    text_sablony TEXT))";

const char *const kListiny = R"(CREATE TABLE listiny (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    id_tridy INTEGER,
    nazev VARCHAR(255),
    cesta VARCHAR(255),
    datum DATETIME))";

// The pupils' codes for the web forms of a session: the only key to a pupil's form. A code is unique in
// the whole file, so that no code of one session opens a form of another.
const char *const kKodyZaku = R"(CREATE TABLE kody_zaku (
    id_vyhodnoceni INTEGER NOT NULL,
    id_zaka INTEGER NOT NULL,
    kod TEXT NOT NULL,
    PRIMARY KEY (id_vyhodnoceni, id_zaka)))";

const char *const kKodyZakuIndex = "CREATE UNIQUE INDEX kody_zaku_kod ON kody_zaku (kod)";

// The positions the teacher kept of a session's sociogram of one question and polarity (pozitivni 1 or
// 0): the top left corner of each pupil's bubble, for later sociograms that keep the layout.
const char *const kRozmisteni = R"(CREATE TABLE rozmisteni (
    id_vyhodnoceni INTEGER NOT NULL,
    id_otazky INTEGER NOT NULL,
    pozitivni BOOLEAN NOT NULL,
    id_zaka INTEGER NOT NULL,
    x INTEGER NOT NULL,
    y INTEGER NOT NULL,
    PRIMARY KEY (id_vyhodnoceni, id_otazky, pozitivni, id_zaka)))";

// The pseudonyms of a class's people for outputs without names ("D1" a girl, "C1" a boy, "Z1" anyone else),
// kept once made so that later outputs give everyone the same code. A pupil's code stays when he is removed
// from the class, so that no later pupil gets it.
const char *const kPseudonymy = R"(CREATE TABLE pseudonymy (
    id_zaka INTEGER PRIMARY KEY,
    id_tridy INTEGER NOT NULL,
    kod TEXT NOT NULL))";

const char *const kPseudonymyIndex = "CREATE UNIQUE INDEX pseudonymy_kodu ON pseudonymy (id_tridy, kod)";

const char *const kIndexes[] = {
    "CREATE INDEX zak_tridy ON zak (id_tridy, poradi)",
    "CREATE INDEX otazky_testu ON otazky (id_testu, poradi)",
    "CREATE INDEX vyhodnoceni_tridy ON vyhodnoceni (id_tridy, datum)",
    "CREATE INDEX vyhodnoceni_testu ON vyhodnoceni (id_testu)",
    "CREATE INDEX odpovedi_vyhodnoceni ON odpovedi (id_vyhodnoceni, id_otazky, id_zaka)",
    "CREATE INDEX odpovedi_otazky ON odpovedi (id_otazky)",
    "CREATE INDEX odpovedi_zaka ON odpovedi (id_zaka)",
    "CREATE INDEX odpovedi_partnera ON odpovedi (id_partnera)",
    "CREATE INDEX poznamky_zaka ON poznamky (id_zaka)",
    "CREATE INDEX listiny_tridy ON listiny (id_tridy)",
};

} // namespace

namespace Schema {

QStringList requiredTableNames()
{
    return {QStringLiteral("trida"),       QStringLiteral("zak"),      QStringLiteral("testy"),
            QStringLiteral("otazky"),      QStringLiteral("vyhodnoceni"), QStringLiteral("odpovedi"),
            QStringLiteral("poznamky"),    QStringLiteral("sablony"),  QStringLiteral("listiny")};
}

QStringList tableNames()
{
    return requiredTableNames() << QStringLiteral("kody_zaku") << QStringLiteral("rozmisteni")
                                << QStringLiteral("pseudonymy");
}

void create(Database &db)
{
    for (const char *statement : {kTrida, kZak, kTesty, kOtazky, kVyhodnoceni, kOdpovedi, kPoznamky, kSablony, kListiny})
        db.exec(QString::fromUtf8(statement));
    for (const char *statement : kIndexes)
        db.exec(QString::fromUtf8(statement));
    createPupilCodes(db);
    createSociogramLayouts(db);
    createPseudonyms(db);
}

void createPupilCodes(Database &db)
{
    db.exec(QString::fromUtf8(kKodyZaku));
    db.exec(QString::fromUtf8(kKodyZakuIndex));
}

void createSociogramLayouts(Database &db)
{
    db.exec(QString::fromUtf8(kRozmisteni));
}

void createPseudonyms(Database &db) {
    db.exec(QString::fromUtf8(kPseudonymy));
    db.exec(QString::fromUtf8(kPseudonymyIndex));
}

void createExchange(Database &db)
{
    db.exec(QString::fromUtf8(kTesty));
    db.exec(QString::fromUtf8(kOtazky));
}

bool hasTables(Database &db, const QStringList &tables)
{
    SqlQuery query(db, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'"));
    query.exec();
    QStringList present;
    while (query.next())
        present << query.value(0).toString().toLower();
    for (const QString &table : tables)
        if (!present.contains(table))
            return false;
    return true;
}

} // namespace Schema
