#include "data/QuestionnaireRules.h"

#include "data/Cascade.h"
#include "data/Database.h"

QuestionnaireRules::QuestionnaireRules(Database &db, Prompter &prompter) : m_db(db), m_prompter(prompter) {}

bool QuestionnaireRules::deleteQuestionnaire(qint64 questionnaireId) {
    if (!Cascade::confirmTwice(
            m_prompter, QStringLiteral("Odstranění testu"),
            QStringLiteral("Klikli jste, že si přejete odstranit test. Určitě to chcete udělat?"),
            QStringLiteral("Pokud odstraníte test, vymažou se všechny otázky tohoto testu a vymažou se "
                           "i všechny odpovědi všech žáků k tomuto testu. \r\n\r\nUrčitě to chcete "
                           "udělat?")))
        return false;
    const QVariantMap t{{QStringLiteral("t"), questionnaireId}};
    return Cascade::run(m_db, m_prompter, false, [&] {
        m_db.exec(
            QStringLiteral("DELETE FROM odpovedi WHERE id_otazky IN (SELECT ID FROM otazky WHERE id_testu = :t)"),
            t);
        m_db.exec(QStringLiteral("DELETE FROM otazky WHERE id_testu = :t"), t);
        m_db.exec(QStringLiteral("DELETE FROM vyhodnoceni WHERE id_testu = :t"), t);
        m_db.exec(QStringLiteral("DELETE FROM testy WHERE ID = :t"), t);
    });
}

bool QuestionnaireRules::deleteQuestion(qint64 questionId) {
    if (!Cascade::confirmTwice(
            m_prompter, QStringLiteral("Odstranění otázky"),
            QStringLiteral("Klikli jste, že si přejete odstranit otázku. Určitě to chcete udělat?"),
            QStringLiteral("Pokud odstraníte otázku, vymažou se všechny odpovědi všech žáků na tuto "
                           "otázku. \r\n\r\nUrčitě to chcete udělat?")))
        return false;
    const QVariantMap q{{QStringLiteral("q"), questionId}};
    return Cascade::run(m_db, m_prompter, true, [&] {
        m_db.exec(QStringLiteral("DELETE FROM odpovedi WHERE id_otazky = :q"), q);
        m_db.exec(QStringLiteral("DELETE FROM otazky WHERE ID = :q"), q);
    });
}
