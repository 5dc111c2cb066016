#include "data/RosterRules.h"

#include "data/Cascade.h"
#include "data/ClassRoster.h"
#include "data/Database.h"
#include "platform/Prompter.h"

RosterRules::RosterRules(Database &db, Prompter &prompter) : m_db(db), m_prompter(prompter) {}

QString RosterRules::pupilName(qint64 id) {
    SqlQuery query(m_db, QStringLiteral("SELECT jmeno, prijmeni FROM zak WHERE ID = :id"));
    query.bind(QStringLiteral("id"), id);
    query.exec();
    if (!query.next())
        return QString();
    const QString surname = query.value(1).toString();
    return surname.isEmpty() ? query.value(0).toString() : query.value(0).toString() + u' ' + surname;
}

QString RosterRules::describePupils(const QList<qint64> &ids) {
    QStringList names;
    for (qint64 id : ids)
        names << pupilName(id);
    if (names.size() == 1)
        return QStringLiteral("žáka ") + names.first();
    const QString noun = names.size() <= 4 ? QStringLiteral("žáky") : QStringLiteral("žáků");
    QString list = QStringList(names.mid(0, 10)).join(QStringLiteral(", "));
    if (names.size() > 10)
        list += QStringLiteral(", …");
    return QStringLiteral("%1 %2 (%3)").arg(names.size()).arg(noun, list);
}

bool RosterRules::deletePupils(const QList<qint64> &ids) {
    if (ids.isEmpty())
        return false;
    QString what;
    try {
        what = describePupils(ids);
    } catch (const DatabaseError &error) {
        showError(error.message());
        return false;
    }
    if (!Cascade::confirmTwice(
            m_prompter, QStringLiteral("Odstranění žáka"),
            QStringLiteral("Klikli jste, že si přejete odstranit %1. Určitě to chcete udělat?").arg(what),
            QStringLiteral("Pokud odstraníte žáka, vymažou se všechny odpovědi tohoto žáka i všechny "
                           "odpovědi, ve kterých byl někým označen. Budou odstraněny také poznámky. ")))
        return false;
    return Cascade::run(m_db, m_prompter, [&] {
        for (qint64 id : ids) {
            const QVariantMap p{{QStringLiteral("p"), id}};
            m_db.exec(QStringLiteral("DELETE FROM odpovedi WHERE id_zaka = :p"), p);
            m_db.exec(QStringLiteral("DELETE FROM odpovedi WHERE id_partnera = :p"), p);
            m_db.exec(QStringLiteral("DELETE FROM poznamky WHERE id_zaka = :p"), p);
            m_db.exec(QStringLiteral("DELETE FROM kody_zaku WHERE id_zaka = :p"), p);
            m_db.exec(QStringLiteral("DELETE FROM rozmisteni WHERE id_zaka = :p"), p);
            m_db.exec(QStringLiteral("DELETE FROM zak WHERE ID = :p"), p);
        }
    });
}

void RosterRules::insertOptionSet(qint64 classId, OptionSet::Kind set) {
    try {
        ClassRoster(m_db, classId).insertOptionSet(set);
    } catch (const DatabaseError &error) {
        showError(error.message());
    }
}

void RosterRules::insertAllOptionSets(qint64 classId) {
    try {
        ClassRoster(m_db, classId).insertAllOptionSets();
    } catch (const DatabaseError &error) {
        showError(error.message());
    }
}

int RosterRules::importPupils(qint64 classId, const QList<NewPupil> &pupils) {
    try {
        return ClassRoster(m_db, classId).importPupils(pupils);
    } catch (const DatabaseError &error) {
        showError(QStringLiteral("Žáky se nepodařilo importovat, nic nebylo přidáno.\r\n") + error.message());
        return -1;
    }
}

void RosterRules::appendOptionSets(qint64 classId, const QList<OptionSet::Kind> &sets) {
    try {
        ClassRoster(m_db, classId).appendOptionSets(sets);
    } catch (const DatabaseError &error) {
        showError(error.message());
    }
}

bool RosterRules::renumberByName(qint64 classId) {
    if (!m_prompter.askYesNo(QStringLiteral("Opravdu přepsat pořadí žáků?"), QStringLiteral("Pořadí žáků"),
                             Prompter::Icon::Question))
        return false;
    try {
        ClassRoster(m_db, classId).renumberByName();
    } catch (const DatabaseError &error) {
        showError(error.message());
    }
    return true;
}

void RosterRules::GenerovatPoradi(qint64 classId) {
    try {
        ClassRoster(m_db, classId).GenerovatPoradi();
    } catch (const DatabaseError &error) {
        showError(error.message());
    }
}

void RosterRules::showError(const QString &message) {
    m_prompter.message(message, QString(), Prompter::Icon::Error);
}
