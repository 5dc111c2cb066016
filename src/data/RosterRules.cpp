#include "data/RosterRules.h"

#include "data/Cascade.h"
#include "data/ClassRoster.h"
#include "data/Database.h"
#include "platform/Prompter.h"

RosterRules::RosterRules(Database &db, Prompter &prompter) : m_db(db), m_prompter(prompter) {}

bool RosterRules::deletePupils(const QList<qint64> &ids) {
    if (!Cascade::confirmTwice(
            m_prompter, QStringLiteral("Odstranění žáka"),
            QStringLiteral("Klikli jste, že si přejete odstranit žáka. Určitě to chcete udělat?"),
            QStringLiteral("Pokud odstraníte žáka, vymažou se všechny odpovědi tohoto žáka i všechny "
                           "odpovědi, ve kterých byl někým označen. Budou odstraněny také poznámky. ")))
        return false;
    return Cascade::run(m_db, m_prompter, false, [&] {
        for (qint64 id : ids) {
            const QVariantMap p{{QStringLiteral("p"), id}};
            m_db.exec(QStringLiteral("DELETE FROM odpovedi WHERE id_zaka = :p"), p);
            m_db.exec(QStringLiteral("DELETE FROM odpovedi WHERE id_partnera = :p"), p);
            m_db.exec(QStringLiteral("DELETE FROM poznamky WHERE id_zaka = :p"), p);
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
