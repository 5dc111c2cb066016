#include "data/AnonymousCopy.h"

#include "data/Database.h"
#include "data/DatabaseMaintenance.h"
#include "data/Pseudonyms.h"
#include "files/FileWriter.h"

#include <QAtomicInt>
#include <QDir>
#include <QFileInfo>

namespace AnonymousCopy {

namespace {

const QString kSource = QStringLiteral("puvodni");

// A connection name of its own for each copy.
QString connectionName() {
    static QAtomicInt counter;
    return QStringLiteral("orbelis-anonymni-%1").arg(counter.fetchAndAddRelaxed(1));
}

// The source attached to the copy's connection for as long as the copy is made.
class Attached final {
    Q_DISABLE_COPY_MOVE(Attached)
public:
    Attached(Database &target, const QString &file) : m_target(target) {
        m_target.exec(QStringLiteral("ATTACH DATABASE :f AS ") + kSource, {{QStringLiteral("f"), file}});
    }
    ~Attached() {
        try {
            m_target.exec(QStringLiteral("DETACH DATABASE ") + kSource);
        } catch (const DatabaseError &) {
        }
    }

private:
    Database &m_target;
};

QString dateColumn(const QString &column, bool toMonth) {
    if (!toMonth)
        return column;
    return QStringLiteral("CASE WHEN %1 IS NULL THEN NULL ELSE substr(%1, 1, 7) || '-01 00:00:00' END")
        .arg(column);
}

void copyClass(Database &target, qint64 classId, const Options &options) {
    const QVariantMap c{{QStringLiteral("c"), classId}};
    target.exec(QStringLiteral("INSERT INTO trida (ID, skola, stupen, tridni_ucitel, datum_zapisu) "
                               "SELECT ID, :skola, stupen, :ucitel, %1 FROM puvodni.trida WHERE ID = :c")
                    .arg(dateColumn(QStringLiteral("datum_zapisu"), options.datesToMonth)),
                {{QStringLiteral("c"), classId},
                 {QStringLiteral("skola"), Pseudonyms::neutralSchool()},
                 {QStringLiteral("ucitel"), Pseudonyms::neutralTeacher()}});
    // Rows with a pseudonym are people: the code is their whole name. Answer-option rows keep their texts.
    target.exec(QStringLiteral("INSERT INTO zak (ID, id_tridy, jmeno, prijmeni, pohlavi, poradi) "
                               "SELECT z.ID, z.id_tridy, coalesce(p.kod, z.jmeno), "
                               "CASE WHEN p.kod IS NULL THEN z.prijmeni END, z.pohlavi, z.poradi "
                               "FROM puvodni.zak z LEFT JOIN puvodni.pseudonymy p "
                               "ON p.id_zaka = z.ID AND p.id_tridy = z.id_tridy WHERE z.id_tridy = :c"),
                c);
    target.exec(
        QStringLiteral("INSERT INTO pseudonymy (id_zaka, id_tridy, kod) SELECT p.id_zaka, p.id_tridy, p.kod "
                       "FROM puvodni.pseudonymy p JOIN puvodni.zak z ON z.ID = p.id_zaka "
                       "AND z.id_tridy = p.id_tridy WHERE p.id_tridy = :c"),
        c);
    target.exec(
        QStringLiteral("INSERT INTO vyhodnoceni (ID, id_tridy, id_testu, datum, pocet_neucast, poznamky) "
                       "SELECT ID, id_tridy, id_testu, %1, pocet_neucast, NULL "
                       "FROM puvodni.vyhodnoceni WHERE id_tridy = :c")
            .arg(dateColumn(QStringLiteral("datum"), options.datesToMonth)),
        c);
    // Without the free texts every choice stays, with its text taken off; the rows that are no choice of a
    // row (a free-text answer) go.
    target.exec(
        QStringLiteral("INSERT INTO odpovedi (ID, id_vyhodnoceni, id_otazky, id_zaka, id_partnera, "
                       "pozitivni, slovy) SELECT o.ID, o.id_vyhodnoceni, o.id_otazky, o.id_zaka, "
                       "o.id_partnera, o.pozitivni, %1 FROM puvodni.odpovedi o "
                       "JOIN puvodni.vyhodnoceni v ON v.ID = o.id_vyhodnoceni WHERE v.id_tridy = :c %2")
            .arg(options.freeText ? QStringLiteral("o.slovy") : QStringLiteral("NULL"),
                 options.freeText ? QString()
                                  : QStringLiteral("AND o.id_partnera IS NOT NULL AND o.id_partnera <> -1")),
        c);
    target.exec(
        QStringLiteral("INSERT INTO rozmisteni (id_vyhodnoceni, id_otazky, pozitivni, id_zaka, x, y) "
                       "SELECT r.id_vyhodnoceni, r.id_otazky, r.pozitivni, r.id_zaka, r.x, r.y "
                       "FROM puvodni.rozmisteni r JOIN puvodni.vyhodnoceni v ON v.ID = r.id_vyhodnoceni "
                       "WHERE v.id_tridy = :c"),
        c);
}

} // namespace

void copyClasses(Database &source, const QList<qint64> &classIds, Database &target, const Options &options) {
    for (qint64 classId : classIds)
        Pseudonyms::ensure(source, classId);
    const Attached attached(target, source.filePath());
    Transaction transaction(target);
    Schema::create(target);
    for (qint64 classId : classIds)
        copyClass(target, classId, options);
    target.exec(
        QStringLiteral("INSERT INTO testy (ID, nazev_testu) SELECT ID, nazev_testu FROM puvodni.testy "
                       "WHERE ID IN (SELECT id_testu FROM main.vyhodnoceni)"));
    target.exec(
        QStringLiteral("INSERT INTO otazky (ID, id_testu, text_otazky, text_otazky_negativni, poradi, "
                       "poradi_vyhodnoceni, typ, popis, nadpis_nad, popis_pro_web) SELECT ID, id_testu, "
                       "text_otazky, text_otazky_negativni, poradi, poradi_vyhodnoceni, typ, popis, "
                       "nadpis_nad, popis_pro_web FROM puvodni.otazky "
                       "WHERE id_testu IN (SELECT id_testu FROM main.vyhodnoceni)"));
    transaction.commit();
}

std::unique_ptr<Database> inMemory(Database &source, const QList<qint64> &classIds, bool freeText) {
    auto copy = std::make_unique<Database>(connectionName());
    copy->create(QStringLiteral(":memory:"), false);
    copyClasses(source, classIds, *copy, {freeText, false});
    return copy;
}

QList<qint64> classesOfSessions(Database &source, const QList<qint64> &sessionIds) {
    QList<qint64> classes;
    for (qint64 session : sessionIds) {
        const QVariant c = source.scalar(QStringLiteral("SELECT id_tridy FROM vyhodnoceni WHERE ID = :s"),
                                         {{QStringLiteral("s"), session}});
        if (!c.isNull() && !classes.contains(c.toLongLong()))
            classes.append(c.toLongLong());
    }
    return classes;
}

OutputDatabase::OutputDatabase(Database &db, const QList<qint64> &sessionIds, bool anonymous, bool freeText)
    : m_db(db) {
    if (anonymous)
        m_copy = inMemory(db, classesOfSessions(db, sessionIds), freeText);
}

OutputDatabase::OutputDatabase(Database &db, OfClass, qint64 classId, bool anonymous, bool freeText)
    : m_db(db) {
    if (anonymous)
        m_copy = inMemory(db, {classId}, freeText);
}

OutputDatabase::~OutputDatabase() = default;

void exportClass(Database &source, qint64 classId, const QString &file, bool freeText) {
    const QString shown = QDir::toNativeSeparators(QFileInfo(file).absoluteFilePath());
    if (source
            .scalar(QStringLiteral("SELECT count(*) FROM trida WHERE ID = :c"),
                    {{QStringLiteral("c"), classId}})
            .toLongLong() == 0)
        throw DatabaseError(QStringLiteral("Třída %1 neexistuje.").arg(classId));
    if (file.trimmed().isEmpty())
        throw DatabaseError(QStringLiteral("Není zadán soubor anonymizované třídy."));
    if (DatabaseMaintenance::sameFile(file, source.filePath()))
        throw DatabaseError(
            QStringLiteral(
                "Anonymizovanou třídu nelze uložit do otevřené databáze \"%1\"; zvolte jiný soubor.")
                .arg(shown));
    EngineFileWriter written(file);
    if (!written.open())
        throw DatabaseError(written.errorText());
    {
        Database copy(connectionName());
        copy.open(written.temporaryPath(), QStringList());
        copyClasses(source, {classId}, copy, {freeText, true});
        copy.close();
    }
    if (!written.commit(source.filePath()))
        throw DatabaseError(written.errorText());
}

} // namespace AnonymousCopy
