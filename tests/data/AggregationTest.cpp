// The two answer aggregations of the data module, read through its datasets as the outputs read them.
#include "DataFixture.h"

#include "data/AggregationQueries.h"

namespace {

// One line per row, so that a failure shows the rows.
std::string shown(const QStringList &rows) {
    return '\n' + rows.join(u'\n').toStdString();
}

class AggregationTest : public DataFixture {
protected:
    void SetUp() override {
        DataFixture::SetUp();
        classA = addClass("ZŠ", "6.A", "U");
        classB = addClass("ZŠ", "6.B", "V");
        // Ids and list positions deliberately disagree, so that no order comes out right by accident.
        vit = addPupil(classA, "Vít", "Malý", "muž", 3);
        eva = addPupil(classA, "Eva", QVariant(), "žena", 1);
        nikdo = addPupil(classA, "nikdo", QVariant(), "---", 4);
        adam = addPupil(classA, "Adam", "Velký", "MUŽ", 2);
        cizi = addPupil(classB, "Cyril", "Cizí", "muž", 1);
        test = addTest("Vztahy");
        kdo = addQuestion(test, "Kdo?", "Kdo ne?", 0, 1);
        napis = addQuestion(test, "Napiš", QVariant(), 4, 2);
        session = addSession(classA, test, "2024-01-01 00:00:00");
        names = {{vit, "Vít Malý"}, {eva, "Eva"}, {nikdo, "nikdo"}, {adam, "Adam Velký"}};
    }

    // Rows of the dataset for the session, one text per row of the listed fields.
    QStringList rows(Dataset &dataset, const QStringList &fields) {
        AggregationQueries::setParameters(dataset, session, test, classA);
        EXPECT_TRUE(dm().RefreshDataset(dataset)) << m_prompter.messages().join('\n').toStdString();
        QStringList result;
        for (int row = 0; row < dataset.recordCount(); ++row) {
            QStringList values;
            for (const QString &field : fields) {
                const QVariant value = dataset.value(row, dataset.fieldIndex(field));
                values << (value.isNull() ? QStringLiteral("∅") : value.toString());
            }
            result << values.join(u'|');
        }
        return result;
    }
    QStringList counts() {
        return rows(dm().Odpovedi_Query(), {"cele_jmeno", "id_otazky", "id_partnera", "pocet_pozitivni",
                                            "pocet_negativni", "slovy"});
    }
    QString count(qint64 question, qint64 partner, int positive, int negative, const QString &text = "") {
        return QStringLiteral("%1|%2|%3|%4|%5|%6")
            .arg(names.value(partner))
            .arg(question)
            .arg(partner)
            .arg(positive)
            .arg(negative)
            .arg(text);
    }
    // The zero rows of a question, in the order of the row ids.
    QStringList zeros(qint64 question, const QList<qint64> &except = {}) {
        QStringList result;
        for (qint64 row : {vit, eva, nikdo, adam})
            if (!except.contains(row))
                result << count(question, row, 0, 0);
        return result;
    }

    qint64 classA = 0, classB = 0, vit = 0, eva = 0, nikdo = 0, adam = 0, cizi = 0;
    qint64 test = 0, kdo = 0, napis = 0, session = 0;
    QHash<qint64, QString> names;
};

TEST_F(AggregationTest, SessionWithoutAnswersHasOneZeroRowPerQuestionAndRowOfTheClass) {
    EXPECT_EQ(shown(counts()), shown(zeros(kdo) + zeros(napis)));
    const QStringList wordings =
        rows(dm().Odpovedi_Query(), {"cela_otazka", "text_otazky", "text_otazky_negativni"});
    EXPECT_EQ(wordings.first().toStdString(), "Kdo? / Kdo ne?|Kdo?|Kdo ne?");
    EXPECT_EQ(wordings.last().toStdString(), "Napiš|Napiš|∅");
    EXPECT_EQ(dm().Odpovedi_Query().fieldNames().mid(0, 9),
              QStringList({"cele_jmeno", "id_otazky", "id_partnera", "cela_otazka", "text_otazky",
                           "text_otazky_negativni", "pocet_pozitivni", "pocet_negativni", "slovy"}));
}

TEST_F(AggregationTest, ChoicesOfOneRowAreCountedInOneRowAndOtherClassesAreLeftOut) {
    addAnswer(session, kdo, vit, adam);
    addAnswer(session, kdo, eva, adam);
    addAnswer(session, kdo, nikdo, adam, false);
    addAnswer(session, kdo, adam, eva, false); // Eva only under the negative wording
    addAnswer(session, kdo, vit, eva, false);
    addAnswer(session, kdo, vit, cizi);      // a row of another class
    addAnswer(session + 1, kdo, vit, nikdo); // another session
    // Equal counts by question, then row: Eva's 0/2 among the zero rows, Adam's 2/1 last.
    EXPECT_EQ(shown(counts()),
              shown(QStringList({count(kdo, vit, 0, 0), count(kdo, eva, 0, 2), count(kdo, nikdo, 0, 0)}) +
                    zeros(napis) + QStringList(count(kdo, adam, 2, 1))));
}

TEST_F(AggregationTest, FreeTextIsAnExtraRowUnderItsAuthorBesideHisZeroRow) {
    addAnswer(session, napis, eva, -1, true, "Zlobí, \"ale\" rád");
    addAnswer(session, napis, nikdo, -1, true, "řádek možnosti"); // not a real pupil: no text row
    EXPECT_EQ(shown(counts()),
              shown(zeros(kdo) + QStringList({count(napis, vit, 0, 0), count(napis, eva, 0, 0),
                                              count(napis, eva, 0, 0, "Zlobí, \"ale\" rád"),
                                              count(napis, nikdo, 0, 0), count(napis, adam, 0, 0)})));
}

TEST_F(AggregationTest, WhoChoseWhomHasARowPerRespondentOrAnEmptyOnePerWording) {
    const qint64 jen = addQuestion(test, "Jen kladně?", "", 0, 3);
    addAnswer(session, kdo, vit, adam);
    addAnswer(session, kdo, eva, adam);
    addAnswer(session, jen, adam, vit);
    Dataset &whom = dm().ADOQuery2();
    const QStringList fields = {"druha_tabulka.id_otazky", "pozitivni",         "id_adresata_odpovedi",
                                "jmeno_adresata",          "jmeno_respondenta", "druha_tabulka.text_otazky",
                                "pocet_pozitivni"};
    const QStringList all = rows(whom, fields);
    const auto row = [&](qint64 q, int positive, qint64 to, const QVariant &from, int count) {
        const QString wording = q == kdo   ? (positive ? "Kdo?" : "Kdo ne?")
                                : q == jen ? "Jen kladně?"
                                           : "Napiš";
        return QStringLiteral("%1|%2|%3|%4|%5|%6|%7")
            .arg(q)
            .arg(positive)
            .arg(to)
            .arg(names.value(to), from.isNull() ? QStringLiteral("∅") : names.value(from.toLongLong()),
                 wording)
            .arg(count);
    };
    QStringList positive, negative;
    for (qint64 q : {kdo, napis, jen}) {
        QList<std::pair<qint64, int>> order = {{vit, 0}, {eva, 0}, {nikdo, 0}, {adam, 0}};
        if (q == kdo)
            order = {{adam, 2}, {vit, 0}, {eva, 0}, {nikdo, 0}};
        if (q == jen)
            order = {{vit, 1}, {eva, 0}, {nikdo, 0}, {adam, 0}};
        for (const auto &[to, n] : order) {
            if (q == kdo && to == adam) {
                positive << row(q, 1, to, vit, n) << row(q, 1, to, eva, n);
            } else if (q == jen && to == vit) {
                positive << row(q, 1, to, adam, n);
            } else {
                positive << row(q, 1, to, QVariant(), n);
            }
            if (q == kdo)
                negative << row(q, 0, to, QVariant(), n);
        }
    }
    EXPECT_EQ(shown(all), shown(positive + negative));

    whom.setLastSqlLine(QString::fromUtf8(AggregationQueries::negativeFirstOrder));
    const QStringList reordered = rows(whom, fields);
    EXPECT_EQ(shown(reordered.mid(0, negative.size())),
              shown({row(kdo, 0, vit, QVariant(), 0), row(kdo, 0, eva, QVariant(), 0),
                     row(kdo, 0, nikdo, QVariant(), 0), row(kdo, 0, adam, QVariant(), 2)}));
    EXPECT_EQ(reordered.size(), all.size());
}

TEST_F(AggregationTest, EveryParameterGetsTheSessionQuestionnaireOrClass) {
    for (Dataset *dataset : {&dm().Odpovedi_Query(), &dm().ADOQuery2()}) {
        AggregationQueries::setParameters(*dataset, 7, 8, 9);
        ASSERT_GE(dataset->parameterNames().size(), 7);
        for (const QString &name : dataset->parameterNames()) {
            const int expected = name.contains("vyhodnoceni") ? 7 : name.contains("testu") ? 8 : 9;
            EXPECT_EQ(dataset->parameter(name).toInt(), expected) << name.toStdString();
        }
    }
}

} // namespace
