#include "data/SessionRules.h"

#include "data/PupilKinds.h"

#include "data/Cascade.h"
#include "data/Database.h"
#include "platform/Prompter.h"

SessionRules::SessionRules(Database &db, Prompter &prompter) : m_db(db), m_prompter(prompter) {}

bool SessionRules::deleteSession(qint64 sessionId) {
    if (!Cascade::confirmTwice(
            m_prompter, QStringLiteral("Odstranění vyhodnocení"),
            QStringLiteral("Klikli jste, že si přejete odstranit vyhodnocení. Určitě to chcete udělat?"),
            QStringLiteral("Pokud odstraníte vyhodnocení, vymažou se všechny odpovědi všech žáků na "
                           "všechny otázky tohoto vyhodnocení. \r\n\r\nUrčitě to chcete udělat?")))
        return false;
    const QVariantMap s{{QStringLiteral("s"), sessionId}};
    return Cascade::run(m_db, m_prompter, [&] {
        m_db.exec(QStringLiteral("DELETE FROM odpovedi WHERE id_vyhodnoceni = :s"), s);
        m_db.exec(QStringLiteral("DELETE FROM kody_zaku WHERE id_vyhodnoceni = :s"), s);
        m_db.exec(QStringLiteral("DELETE FROM rozmisteni WHERE id_vyhodnoceni = :s"), s);
        m_db.exec(QStringLiteral("DELETE FROM vyhodnoceni WHERE ID = :s"), s);
    });
}

QString SessionRules::loadFreeText(qint64 sessionId, qint64 questionId, qint64 respondentId) {
    try {
        return m_db
            .scalar(QStringLiteral("SELECT slovy FROM odpovedi WHERE pozitivni = true and id_vyhodnoceni = :s and "
                                   "id_otazky = :q and id_zaka = :r and slovy not like '' ORDER BY ID"),
                    {{QStringLiteral("s"), sessionId},
                     {QStringLiteral("q"), questionId},
                     {QStringLiteral("r"), respondentId}})
            .toString();
    } catch (const DatabaseError &error) {
        m_prompter.message(error.message(), QString(), Prompter::Icon::Error);
        return QString();
    }
}

PartnerFilter SessionRules::partnerFilter(int typ) {
    PartnerFilter filter;
    filter.clovek = typ == 0 ? 1 : 0;
    filter.neurcite = typ == 0 ? 1 : 0;
    filter.abcde = typ == 1 ? 1 : 0;
    filter.dvanact = typ == 2 ? 1 : 0;
    filter.anone = typ == 3 ? 1 : 0;
    return filter;
}

AnswerPanels SessionRules::answerPanels(int typ, const QString &positiveLabel, const QString &negativeLabel) {
    AnswerPanels panels;
    panels.typ = typ;
    panels.positiveLabel = positiveLabel;
    panels.negativeLabel = negativeLabel;
    if (typ == 4) {
        panels.showPositive = false;
        panels.showNegative = false;
        panels.showText = true;
    } else if (typ <= 3) {
        panels.showPositive = true;
        panels.showNegative = !negativeLabel.isEmpty();
        panels.showText = false;
    } else {
        panels.changePanels = false;
    }
    return panels;
}

bool PartnerFilter::admits(const QVariant &kind) const
{
    if (PupilKinds::isRealPupil(kind))
        return clovek == 1;
    const QString option = kind.isNull() ? QString() : PupilKinds::canonical(kind.toString());
    if (option == QLatin1String("---"))
        return neurcite == 1;
    if (option == QLatin1String("abcde"))
        return abcde == 1;
    if (option == QLatin1String("12345"))
        return dvanact == 1;
    if (option == QLatin1String("ano-ne"))
        return anone == 1;
    return false;
}
