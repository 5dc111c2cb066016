#include "support/DemoData.h"

#include "data/Database.h"
#include "data/ClassRoster.h"
#include "data/PupilKinds.h"

#include <QDateTime>
#include <QList>
#include <QRandomGenerator>
#include <algorithm>

namespace {

struct DemoPupil {
    const char *first;
    const char *last;
    bool girl;
};

const DemoPupil kPupils[] = {
    {"Adam", "Novák", false},       {"Anna", "Svobodová", true},     {"Barbora", "Dvořáková", true},
    {"David", "Černý", false},      {"Eliška", "Procházková", true}, {"Filip", "Kučera", false},
    {"Jakub", "Veselý", false},     {"Jan", "Horák", false},         {"Karolína", "Němcová", true},
    {"Kristýna", "Marková", true},  {"Lukáš", "Pokorný", false},     {"Marek", "Pospíšil", false},
    {"Matěj", "Hájek", false},      {"Natálie", "Jelínková", true},  {"Nikola", "Králová", true},
    {"Ondřej", "Růžička", false},   {"Petr", "Beneš", false},        {"Sofie", "Fialová", true},
    {"Šimon", "Sedláček", false},   {"Tereza", "Doležalová", true},  {"Tomáš", "Zeman", false},
    {"Veronika", "Kolářová", true}, {"Vojtěch", "Navrátil", false},  {"Zuzana", "Čermáková", true},
};

struct DemoQuestion {
    const char *text;
    const char *negative;
    int typ;
    const char *popis;
    const char *webPopis;
};

const DemoQuestion kQuestions[] = {
    {"Se kterými spolužáky nejraději trávíš přestávky?", "Se kterými spolužáky nechceš trávit přestávky?", 0,
     "Vztahy ve volném čase", "Vyber nejvýše tři spolužáky."},
    {"Se kým bys chtěl(a) sedět v lavici?", "", 0, "Pracovní vztahy", "Vyber jednoho až tři spolužáky."},
    {"Jak se cítíš v naší třídě? a) výborně, b) dobře, c) tak napůl, d) spíš špatně, e) špatně", "", 1,
     "Klima třídy", "Vyber jednu odpověď."},
    {"Chodíš do školy rád(a)?", "", 3, "Vztah ke škole", "Vyber ano, nebo ne."},
    {"Co bys ve třídě změnil(a)?", "", 4, "Náměty žáků", "Napiš svými slovy."},
};

const char *const kFreeTexts[] = {
    "Aby se ve třídě méně křičelo.",
    "Chtěl bych víc společných výletů.",
    "Nic, je to tu dobré.",
    "Aby se holky a kluci víc bavili spolu.",
    "Víc skupinové práce v hodinách.",
    "Aby se nikdo nesmál ostatním.",
};

qint64 insert(Database &db, const QString &sql, const QVariantMap &params)
{
    db.exec(sql, params);
    return db.lastInsertId();
}

} // namespace

DemoSummary writeDemoData(Database &db, quint32 seed)
{
    QRandomGenerator random(seed);
    DemoSummary summary;
    Transaction transaction(db);
    const QDateTime now = QDateTime::currentDateTime();

    summary.classId = insert(db,
                             QStringLiteral("INSERT INTO trida (skola, stupen, tridni_ucitel, datum_zapisu) "
                                            "VALUES (:s, :t, :u, :d)"),
                             {{"s", QStringLiteral("ZŠ Komenského, Brno")},
                              {"t", QStringLiteral("6.B")},
                              {"u", QStringLiteral("Mgr. Jana Malá")},
                              {"d", Database::dateTimeText(now)}});

    QList<qint64> pupilIds;
    QList<bool> girls;
    for (const DemoPupil &p : kPupils) {
        pupilIds << insert(db,
                           QStringLiteral("INSERT INTO zak (id_tridy, jmeno, prijmeni, pohlavi) "
                                          "VALUES (:c, :j, :p, :k)"),
                           {{"c", summary.classId},
                            {"j", QString::fromUtf8(p.first)},
                            {"p", QString::fromUtf8(p.last)},
                            {"k", p.girl ? QStringLiteral("žena") : QStringLiteral("muž")}});
        girls << p.girl;
    }
    summary.pupils = int(pupilIds.size());

    // The option rows the pupil window inserts; this also numbers the whole roster.
    ClassRoster roster(db, summary.classId);
    summary.optionRows = roster.insertAllOptionSets();
    QHash<QString, QList<qint64>> optionsByKind; // in order of their text
    QHash<QString, qint64> optionByText;
    for (const RosterEntry &row : roster.entries()) {
        if (PupilKinds::isOptionKind(row.pohlavi)) {
            optionsByKind[row.pohlavi.toString()] << row.id;
            optionByText[row.jmeno.toString()] = row.id;
        }
    }

    summary.questionnaireId = insert(db, QStringLiteral("INSERT INTO testy (nazev_testu) VALUES (:n)"),
                                     {{"n", QStringLiteral("Vztahy ve třídě")}});
    QList<qint64> questionIds;
    int position = 1;
    for (const DemoQuestion &q : kQuestions) {
        questionIds << insert(
            db,
            QStringLiteral("INSERT INTO otazky (id_testu, text_otazky, text_otazky_negativni, poradi, "
                           "poradi_vyhodnoceni, typ, popis, nadpis_nad, popis_pro_web) "
                           "VALUES (:t, :text, :neg, :p, :pv, :typ, :popis, :nadpis, :web)"),
            {{"t", summary.questionnaireId},
             {"text", QString::fromUtf8(q.text)},
             {"neg", QString::fromUtf8(q.negative)},
             {"p", position},
             {"pv", position},
             {"typ", q.typ},
             {"popis", QString::fromUtf8(q.popis)},
             {"nadpis", position == 1 ? QStringLiteral("Vztahy mezi spolužáky") : QString()},
             {"web", QString::fromUtf8(q.webPopis)}});
        ++position;
    }
    summary.questions = int(questionIds.size());

    summary.sessionId = insert(db,
                               QStringLiteral("INSERT INTO vyhodnoceni (id_tridy, id_testu, datum, pocet_neucast, "
                                              "poznamky) VALUES (:c, :t, :d, 0, :n)"),
                               {{"c", summary.classId},
                                {"t", summary.questionnaireId},
                                {"d", Database::dateTimeText(now.addDays(-7))},
                                {"n", QStringLiteral("Textové poznámky k vyhodnocení:")}});

    SqlQuery answer(db, QStringLiteral("INSERT INTO odpovedi (id_vyhodnoceni, id_otazky, id_zaka, id_partnera, "
                                       "pozitivni, slovy) VALUES (:v, :q, :z, :p, :poz, :s)"));
    auto addAnswer = [&](qint64 question, qint64 pupil, qint64 partner, bool positive, const QString &text) {
        answer.bind("v", summary.sessionId).bind("q", question).bind("z", pupil).bind("p", partner);
        answer.bind("poz", Database::boolValue(positive)).bind("s", text.isEmpty() ? QVariant() : QVariant(text));
        answer.exec();
        ++summary.answers;
    };

    // Choices lean towards classmates of the same sex and towards a few popular pupils, so that the
    // sociogram shows stars, pairs and outsiders as a real class would.
    const int n = int(pupilIds.size());
    auto weightOf = [&](int from, int to) {
        int weight = girls[from] == girls[to] ? 6 : 1;
        if (to % 7 == 2)
            weight += 5; // popular
        if (to % 11 == 10)
            weight = 0; // outsider nobody picks positively
        return weight;
    };
    auto pick = [&](int from, int count, bool positive) {
        QList<int> chosen;
        for (int attempt = 0; attempt < 200 && chosen.size() < count; ++attempt) {
            const int to = int(random.bounded(n));
            if (to == from || chosen.contains(to))
                continue;
            const int w = positive ? weightOf(from, to) : 7 - std::min(6, weightOf(from, to));
            if (int(random.bounded(12)) < w)
                chosen << to;
        }
        return chosen;
    };

    for (int i = 0; i < n; ++i) {
        const qint64 pupil = pupilIds[i];
        for (int to : pick(i, 1 + int(random.bounded(3)), true))
            addAnswer(questionIds[0], pupil, pupilIds[to], true, {});
        const QList<int> rejected = pick(i, int(random.bounded(3)), false);
        if (rejected.isEmpty())
            addAnswer(questionIds[0], pupil, optionByText.value(QStringLiteral("nikdo")), false, {});
        for (int to : rejected)
            addAnswer(questionIds[0], pupil, pupilIds[to], false, {});
        for (int to : pick(i, 1 + int(random.bounded(2)), true))
            addAnswer(questionIds[1], pupil, pupilIds[to], true, {});
        const QList<qint64> abcde = optionsByKind.value("abcde");
        addAnswer(questionIds[2], pupil, abcde[std::min<int>(4, int(random.bounded(3)) + (i % 9 == 0 ? 2 : 0))], true, {});
        const QList<qint64> yesNo = optionsByKind.value("ano-ne");
        addAnswer(questionIds[3], pupil, yesNo[random.bounded(5) == 0 ? 1 : 0], true, {});
        addAnswer(questionIds[4], pupil, -1, true, QString::fromUtf8(kFreeTexts[random.bounded(6)]));
    }

    transaction.commit();
    return summary;
}
