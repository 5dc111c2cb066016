#include "data/ClassRules.h"

#include "data/Cascade.h"
#include "data/Database.h"
#include "platform/Prompter.h"

ClassRules::ClassRules(Database &db, Prompter &prompter) : m_db(db), m_prompter(prompter) {}

QString ClassRules::className(qint64 classId) {
    SqlQuery query(m_db, QStringLiteral("SELECT skola, stupen, tridni_ucitel FROM trida WHERE ID = :c"));
    query.bind(QStringLiteral("c"), classId);
    query.exec();
    QStringList parts;
    if (query.next())
        for (int i = 0; i < 3; ++i)
            if (!query.value(i).toString().isEmpty())
                parts << query.value(i).toString();
    return parts.join(QStringLiteral(", "));
}

bool ClassRules::deleteClass(qint64 classId) {
    QString name;
    try {
        name = className(classId);
    } catch (const DatabaseError &error) {
        m_prompter.message(error.message(), QString(), Prompter::Icon::Error);
        return false;
    }
    if (!Cascade::confirmTwice(
            m_prompter, QStringLiteral("Odstranění třídy"),
            QStringLiteral("Klikli jste, že si přejete odstranit třídu %1. Určitě to chcete udělat?").arg(name),
            QStringLiteral("Pokud odstraníte třídu, vymažou se všichni žáci, poznámky k nim, všechny "
                           "odpovědi na otázky a všechna vyhodnocení testu.")))
        return false;
    const QVariantMap c{{QStringLiteral("c"), classId}};
    return Cascade::run(m_db, m_prompter, [&] {
        m_db.exec(QStringLiteral("DELETE FROM odpovedi WHERE id_zaka IN (SELECT ID FROM zak WHERE id_tridy = :c)"),
                  c);
        m_db.exec(
            QStringLiteral("DELETE FROM odpovedi WHERE id_partnera IN (SELECT ID FROM zak WHERE id_tridy = :c)"),
            c);
        m_db.exec(QStringLiteral("DELETE FROM poznamky WHERE id_zaka IN (SELECT ID FROM zak WHERE id_tridy = :c)"),
                  c);
        m_db.exec(QStringLiteral("DELETE FROM kody_zaku WHERE id_zaka IN (SELECT ID FROM zak WHERE id_tridy = :c) "
                                 "OR id_vyhodnoceni IN (SELECT ID FROM vyhodnoceni WHERE id_tridy = :c)"),
                  c);
        m_db.exec(
            QStringLiteral("DELETE FROM rozmisteni WHERE id_zaka IN (SELECT ID FROM zak WHERE id_tridy = :c) "
                           "OR id_vyhodnoceni IN (SELECT ID FROM vyhodnoceni WHERE id_tridy = :c)"),
            c);
        m_db.exec(QStringLiteral("DELETE FROM pseudonymy WHERE id_tridy = :c"), c);
        m_db.exec(QStringLiteral("DELETE FROM zak WHERE id_tridy = :c"), c);
        m_db.exec(QStringLiteral(
                      "DELETE FROM odpovedi WHERE id_vyhodnoceni IN (SELECT ID FROM vyhodnoceni WHERE id_tridy = :c)"),
                  c);
        m_db.exec(QStringLiteral("DELETE FROM vyhodnoceni WHERE id_tridy = :c"), c);
        m_db.exec(QStringLiteral("DELETE FROM trida WHERE ID = :c"), c);
    });
}

int ClassRules::countPupils(qint64 classId) {
    return m_db
        .scalar(QStringLiteral("SELECT count(*) as pocet_zaku FROM zak where id_tridy = :c"),
                {{QStringLiteral("c"), classId}})
        .toInt();
}
