#include "data/QuestionnaireRules.h"

#include "data/Cascade.h"
#include "data/Database.h"
#include "platform/Prompter.h"

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
    return Cascade::run(m_db, m_prompter, [&] {
        m_db.exec(
            QStringLiteral("DELETE FROM odpovedi WHERE id_otazky IN (SELECT ID FROM otazky WHERE id_testu = :t)"),
            t);
        m_db.exec(QStringLiteral(
                      "DELETE FROM rozmisteni WHERE id_otazky IN (SELECT ID FROM otazky WHERE id_testu = :t) "
                      "OR id_vyhodnoceni IN (SELECT ID FROM vyhodnoceni WHERE id_testu = :t)"),
                  t);
        m_db.exec(QStringLiteral("DELETE FROM otazky WHERE id_testu = :t"), t);
        m_db.exec(QStringLiteral(
                      "DELETE FROM kody_zaku WHERE id_vyhodnoceni IN (SELECT ID FROM vyhodnoceni WHERE id_testu = :t)"),
                  t);
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
    return Cascade::run(m_db, m_prompter, [&] {
        m_db.exec(QStringLiteral("DELETE FROM odpovedi WHERE id_otazky = :q"), q);
        m_db.exec(QStringLiteral("DELETE FROM rozmisteni WHERE id_otazky = :q"), q);
        m_db.exec(QStringLiteral("DELETE FROM otazky WHERE ID = :q"), q);
    });
}

int QuestionnaireRules::shiftedPosition(const QVariant &current, int step) {
    const int position = current.isNull() || current.toString().isEmpty() ? 1 : current.toInt();
    return position + step;
}

bool QuestionnaireRules::shiftQuestion(qint64 questionId, Order order, const QVariant &current, int step) {
    const QString column = order == Order::Questionnaire ? QStringLiteral("poradi") : QStringLiteral("poradi_vyhodnoceni");
    try {
        m_db.exec(QStringLiteral("UPDATE otazky set %1 = :p WHERE ID = :id").arg(column),
                  {{QStringLiteral("p"), shiftedPosition(current, step)}, {QStringLiteral("id"), questionId}});
        return true;
    } catch (const DatabaseError &error) {
        m_prompter.message(error.message(), QString(), Prompter::Icon::Error);
        return false;
    }
}
