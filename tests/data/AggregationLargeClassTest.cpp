// The answer aggregations of a class of 300 pupils (the generated class with a few odd answers planted),
// checked row by row and in order against the rules they stand for, worked out here from the stored rows.
#include "DataFixture.h"

#include "data/AggregationQueries.h"
#include "support/ArchiveGenerator.h"

#include <QMap>
#include <algorithm>
#include <optional>
#include <set>

namespace {

using Text = std::optional<QString>; // nullopt for NULL

QString shownText(const Text &text) {
    return text ? *text : QStringLiteral("∅");
}
QString shown(const QVariant &value) {
    return value.isNull() ? QStringLiteral("∅") : value.toString();
}

// SQLite's BINARY order of texts, NULL first (the test texts are plain Czech).
bool textBefore(const Text &a, const Text &b) {
    if (!a || !b)
        return !a && b;
    return a->toUtf8() < b->toUtf8();
}

struct Question {
    qint64 id = 0;
    Text text, negative;
    int typ = 0;
};
struct Row {
    qint64 id = 0;
    Text jmeno, prijmeni, pohlavi;
    QString fullName() const { return jmeno.value_or(QString()) + (prijmeni ? u' ' + *prijmeni : QString()); }
};
struct Answer {
    qint64 question = 0, respondent = 0, partner = 0;
    std::optional<qint64> polarity;
    Text slovy;
};
// One row of the counts as the rules give it.
struct Count {
    qint64 question = 0, partner = 0;
    int positive = 0, negative = 0;
    Text slovy;
};

class AggregationLargeClassTest : public DataFixture {
protected:
    void SetUp() override {
        DataFixture::SetUp();
        generateArchive(m_db, classSize(300));
        m_session = count("SELECT min(ID) FROM vyhodnoceni");
        m_test = count("SELECT id_testu FROM vyhodnoceni WHERE ID = :s", {{"s", m_session}});
        m_class = count("SELECT id_tridy FROM vyhodnoceni WHERE ID = :s", {{"s", m_session}});
        const qint64 first = count("SELECT min(ID) FROM zak WHERE pohlavi = 'muž'");
        const qint64 second = count("SELECT min(ID) FROM zak WHERE pohlavi = 'žena'");
        const qint64 last = count("SELECT max(ID) FROM zak WHERE pohlavi = 'žena'");
        const qint64 option = count("SELECT min(ID) FROM zak WHERE pohlavi = 'ano-ne'");
        const qint64 classmates = count("SELECT min(ID) FROM otazky WHERE typ = 0");
        const qint64 text = count("SELECT min(ID) FROM otazky WHERE typ = 4");
        // Odd answers: a choice made twice, choices of a row of another class and of another session,
        // a polarity that is neither (the pair's only answer), free texts repeated, empty, NULL, given by
        // an answer-option row, and a question without a positive wording.
        addAnswer(m_session, classmates, first, last);
        addAnswer(m_session, classmates, first, last);
        addAnswer(m_session, classmates, second, last, false);
        addAnswer(m_session, classmates, second, addPupil(addClass("ZŠ", "9.C", "X"), "Cizí", "Žák"));
        addAnswer(addSession(m_class, m_test, "2030-01-01 00:00:00"), classmates, first, second);
        const qint64 neither = addAnswer(m_session, classmates + 1, first, option);
        m_db.exec("UPDATE odpovedi SET pozitivni = NULL WHERE ID = :i", {{"i", neither}});
        for (const QVariant &words :
             {QVariant("Více výletů"), QVariant("Více výletů"), QVariant(""), QVariant()})
            addAnswer(m_session, text, second, -1, true, words);
        addAnswer(m_session, text, option, -1, true, "řádek možnosti");
        addAnswer(m_session, addQuestion(m_test, QVariant(), "Jen záporně", 0, 11), second, first, false);
        readStoredRows();
    }

    void readStoredRows() {
        SqlQuery questions(m_db, "SELECT ID, text_otazky, text_otazky_negativni, typ FROM otazky "
                                 "WHERE id_testu = :t ORDER BY ID");
        questions.bind("t", m_test).exec();
        while (questions.next())
            m_questions.append({questions.value(0).toLongLong(), text(questions.value(1)),
                                text(questions.value(2)), questions.value(3).toInt()});
        SqlQuery rows(m_db, "SELECT ID, jmeno, prijmeni, pohlavi, id_tridy FROM zak ORDER BY ID");
        rows.exec();
        while (rows.next()) {
            const Row row{rows.value(0).toLongLong(), text(rows.value(1)), text(rows.value(2)),
                          text(rows.value(3))};
            m_everyRow.insert(row.id, row);
            if (rows.value(4).toLongLong() == m_class)
                m_classRows.append(row);
        }
        SqlQuery answers(m_db, "SELECT id_otazky, id_zaka, id_partnera, pozitivni, slovy FROM odpovedi "
                               "WHERE id_vyhodnoceni = :s");
        answers.bind("s", m_session).exec();
        while (answers.next())
            m_answers.append(
                {answers.value(0).toLongLong(), answers.value(1).toLongLong(), answers.value(2).toLongLong(),
                 answers.value(3).isNull() ? std::nullopt : std::optional(answers.value(3).toLongLong()),
                 text(answers.value(4))});
    }
    static Text text(const QVariant &value) { return value.isNull() ? Text() : Text(value.toString()); }

    // Every pair of a question and a row of the class: the numbers of choices when it was chosen with
    // polarity 1 or 0, 0 and 0 when not chosen at all, nothing when chosen only otherwise; then a row per
    // distinct free text of a real pupil.
    QList<Count> counts() const {
        QList<Count> result;
        for (const Question &q : m_questions) {
            for (const Row &row : m_classRows) {
                int answers = 0, positive = 0, negative = 0;
                std::set<QByteArray> texts;
                bool nullText = false;
                for (const Answer &a : m_answers) {
                    if (a.question != q.id)
                        continue;
                    if (a.partner == row.id) {
                        ++answers;
                        positive += a.polarity == 1;
                        negative += a.polarity == 0;
                    }
                    if (a.respondent == row.id && q.typ == 4 &&
                        (row.pohlavi == QStringLiteral("muž") || row.pohlavi == QStringLiteral("žena"))) {
                        if (a.slovy)
                            texts.insert(a.slovy->toUtf8());
                        else
                            nullText = true;
                    }
                }
                if (answers == 0 || positive + negative > 0)
                    result.append({q.id, row.id, positive, negative, QString("")});
                if (nullText)
                    result.append({q.id, row.id, 0, 0, Text()});
                for (const QByteArray &words : texts)
                    result.append({q.id, row.id, 0, 0, QString::fromUtf8(words)});
            }
        }
        return result;
    }
    const Question &question(qint64 id) const {
        return *std::find_if(m_questions.begin(), m_questions.end(),
                             [id](const Question &q) { return q.id == id; });
    }

    qint64 m_session = 0, m_test = 0, m_class = 0;
    QList<Question> m_questions;
    QList<Row> m_classRows;
    QMap<qint64, Row> m_everyRow;
    QList<Answer> m_answers;
};

// The dataset's rows as text, the listed fields joined by '|'.
QStringList datasetRows(Dataset &dataset, const QStringList &fields) {
    QStringList rows;
    for (int row = 0; row < dataset.recordCount(); ++row) {
        QStringList values;
        for (const QString &field : fields)
            values << shown(dataset.value(row, dataset.fieldIndex(field)));
        rows << values.join(u'|');
    }
    return rows;
}

// The first row where two lists differ, for a readable failure.
std::string firstDifference(const QStringList &got, const QStringList &expected) {
    for (qsizetype i = 0; i < std::max(got.size(), expected.size()); ++i)
        if (got.value(i) != expected.value(i))
            return "row " + std::to_string(i) + ":\n  got      " + got.value(i).toStdString() +
                   "\n  expected " + expected.value(i).toStdString();
    return "equal";
}

TEST_F(AggregationLargeClassTest, AnswerCountsHaveTheRowsOfTheRulesInTheirOrder) {
    QList<Count> expected = counts();
    std::stable_sort(expected.begin(), expected.end(), [](const Count &a, const Count &b) {
        if (a.positive != b.positive)
            return a.positive < b.positive;
        if (a.question != b.question)
            return a.question < b.question;
        if (a.partner != b.partner)
            return a.partner < b.partner;
        return textBefore(a.slovy, b.slovy);
    });
    QStringList expectedRows;
    for (const Count &c : expected) {
        const Question &q = question(c.question);
        const Text full = !q.text                                    ? Text()
                          : q.negative.value_or(QString()).isEmpty() ? q.text
                                                                     : Text(*q.text + " / " + *q.negative);
        expectedRows << QStringList{m_everyRow[c.partner].fullName(),
                                    QString::number(c.question),
                                    QString::number(c.partner),
                                    shownText(full),
                                    shownText(q.text),
                                    shownText(q.negative),
                                    QString::number(c.positive),
                                    QString::number(c.negative),
                                    shownText(c.slovy)}
                            .join(u'|');
    }
    ASSERT_GT(expectedRows.size(), 3000);

    Dataset &dataset = dm().Odpovedi_Query();
    AggregationQueries::setParameters(dataset, m_session, m_test, m_class);
    ASSERT_TRUE(dm().RefreshDataset(dataset)) << m_prompter.messages().join('\n').toStdString();
    const QStringList fields = {"cele_jmeno",      "id_otazky",       "id_partnera",
                                "cela_otazka",     "text_otazky",     "text_otazky_negativni",
                                "pocet_pozitivni", "pocet_negativni", "slovy"};
    const QStringList got = datasetRows(dataset, fields);
    EXPECT_EQ(got.size(), expectedRows.size());
    EXPECT_TRUE(got == expectedRows) << firstDifference(got, expectedRows);

    // The headless read by id gives the same rows.
    QStringList read;
    for (const AggregationQueries::AnswerCountRow &row :
         AggregationQueries::readAnswerCounts(m_db, m_session, m_test, m_class))
        read << QStringList{shown(row.celeJmeno),      shown(row.idOtazky),
                            shown(row.idPartnera),     shown(row.celaOtazka),
                            shown(row.textOtazky),     shown(row.textOtazkyNegativni),
                            shown(row.pocetPozitivni), shown(row.pocetNegativni),
                            shown(row.slovy)}
                    .join(u'|');
    EXPECT_TRUE(read == expectedRows) << firstDifference(read, expectedRows);
}

TEST_F(AggregationLargeClassTest, WhoChoseWhomHasTheRowsOfTheRulesInBothOrders) {
    // Each row of the counts once per wording its question has, with each respondent (once) who chose
    // the row under that wording, or with none.
    struct Whom {
        Count count;
        int polarity = 1;
        std::optional<qint64> respondent;
    };
    QList<Whom> expected;
    for (const Count &c : counts()) {
        const Question &q = question(c.question);
        for (const int polarity : {1, 0}) {
            const Text wording = polarity ? q.text : q.negative;
            if (wording.value_or(QString()).isEmpty())
                continue;
            std::set<qint64> respondents;
            for (const Answer &a : m_answers)
                if (a.question == c.question && a.partner == c.partner && a.polarity == polarity)
                    respondents.insert(a.respondent);
            if (respondents.empty())
                expected.append({c, polarity, std::nullopt});
            for (const qint64 respondent : respondents)
                expected.append({c, polarity, respondent});
        }
    }
    const auto shownRows = [&](const QList<Whom> &rows) {
        QStringList result;
        for (const Whom &w : rows) {
            const Question &q = question(w.count.question);
            const Text respondentName = w.respondent && m_everyRow.contains(*w.respondent)
                                            ? Text(m_everyRow[*w.respondent].fullName())
                                            : Text();
            result << QStringList{QString::number(w.polarity),
                                  QString::number(w.count.question),
                                  QString::number(w.count.partner),
                                  w.respondent ? QString::number(*w.respondent) : QStringLiteral("∅"),
                                  QString::number(w.count.positive),
                                  QString::number(w.count.negative),
                                  shownText(w.count.slovy),
                                  m_everyRow[w.count.partner].fullName(),
                                  m_everyRow[w.count.partner].fullName(),
                                  shownText(respondentName),
                                  shownText(w.polarity ? q.text : q.negative),
                                  QString::number(q.typ),
                                  shownText(m_everyRow[w.count.partner].pohlavi)}
                          .join(u'|');
        }
        return result;
    };
    const QStringList fields = {"pozitivni",
                                "druha_tabulka.id_otazky",
                                "id_adresata_odpovedi",
                                "id_respondenta",
                                "pocet_pozitivni",
                                "pocet_negativni",
                                "slovy",
                                "cele_jmeno",
                                "jmeno_adresata",
                                "jmeno_respondenta",
                                "druha_tabulka.text_otazky",
                                "typ",
                                "pohlavi"};
    Dataset &dataset = dm().ADOQuery2();
    AggregationQueries::setParameters(dataset, m_session, m_test, m_class);
    for (const bool positiveFirst : {true, false}) {
        // pozitivni DESC / ASC, question, the count of that polarity DESC, addressee, respondent, text.
        QList<Whom> ordered = expected;
        std::stable_sort(ordered.begin(), ordered.end(), [positiveFirst](const Whom &a, const Whom &b) {
            if (a.polarity != b.polarity)
                return positiveFirst ? a.polarity > b.polarity : a.polarity < b.polarity;
            if (a.count.question != b.count.question)
                return a.count.question < b.count.question;
            const int ca = positiveFirst ? a.count.positive : a.count.negative;
            const int cb = positiveFirst ? b.count.positive : b.count.negative;
            if (ca != cb)
                return ca > cb;
            if (a.count.partner != b.count.partner)
                return a.count.partner < b.count.partner;
            if (a.respondent != b.respondent)
                return a.respondent < b.respondent;
            return textBefore(a.count.slovy, b.count.slovy);
        });
        const QStringList expectedRows = shownRows(ordered);
        dataset.setLastSqlLine(QString::fromLatin1(positiveFirst ? AggregationQueries::positiveFirstOrder
                                                                 : AggregationQueries::negativeFirstOrder));
        ASSERT_TRUE(dm().RefreshDataset(dataset)) << m_prompter.messages().join('\n').toStdString();
        const QStringList got = datasetRows(dataset, fields);
        EXPECT_GT(got.size(), 15000);
        EXPECT_EQ(got.size(), expectedRows.size()) << positiveFirst;
        EXPECT_TRUE(got == expectedRows) << positiveFirst << ' ' << firstDifference(got, expectedRows);
    }
}

} // namespace
