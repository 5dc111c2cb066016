#include "questionnaires/TextualEvaluation.h"

#include <gtest/gtest.h>

namespace {

using Style = StyledLine::Style;

EvaluationRow row(bool positive, qint64 question, int order, qint64 recipient, const QString &name, int pos, int neg,
                  const QString &respondent = QString()) {
    EvaluationRow r;
    r.positive = positive;
    r.questionId = question;
    r.poradiVyhodnoceni = order;
    r.recipientId = recipient;
    r.recipientName = name;
    r.countPositive = pos;
    r.countNegative = neg;
    r.respondentName = respondent;
    r.textOtazky = QStringLiteral("Otázka %1").arg(question);
    r.textOtazkyNegativni = QStringLiteral("Negativní %1").arg(question);
    return r;
}

EvaluationHeader header(const QString &notes = QStringLiteral("Textové poznámky k vyhodnocení:")) {
    return {QStringLiteral("ZŠ Lipová"), QStringLiteral("6.A"), QStringLiteral("Nováková"), QDate(2013, 1, 1), notes};
}

QStringList texts(const QList<StyledLine> &lines) {
    QStringList result;
    for (const StyledLine &line : lines)
        result << line.text;
    return result;
}

// The report after the header (which ends with its empty line).
QStringList body(const TextualEvaluation &report) {
    return texts(report.lines()).mid(report.headerLines().size());
}

TEST(TextualEvaluation, SchoolYearsAndTheHeader) {
    EXPECT_EQ(TextualEvaluation::schoolYear(QDate(2012, 9, 3)), QStringLiteral("2012/2013"));
    EXPECT_EQ(TextualEvaluation::schoolYear(QDate(2012, 12, 31)), QStringLiteral("2012/2013"));
    EXPECT_EQ(TextualEvaluation::schoolYear(QDate(2013, 6, 15)), QStringLiteral("2012/2013"));
    EXPECT_EQ(TextualEvaluation::schoolYear(QDate(2012, 8, 31)), QStringLiteral("2011/2012"));
    EXPECT_EQ(TextualEvaluation::schoolYear(QDate()), QString()); // a session without a date

    const TextualEvaluation plain(header(), {});
    EXPECT_EQ(plain.headerLines(),
              QStringList({"Mapování vztahů", "6.A", "2012/2013", "", "Škola: ZŠ Lipová", "Třída: 6.A",
                           "Třídní učitel: Nováková", "Datum testování: 01.01.2013", ""}));
    const QList<StyledLine> lines = plain.lines();
    EXPECT_EQ(lines[2].style, Style::Bold);
    EXPECT_EQ(lines[3].style, Style::Normal);
    const TextualEvaluation noted(header("Třída  je . , klidná"), {});
    EXPECT_EQ(texts(noted.lines()).mid(8, 4), QStringList({"", "Poznámky: ", "Třída je ., klidná", ""}));
}

TEST(TextualEvaluation, BlocksFollowTheEvaluationOrderWithCountsNamesAndZeros) {
    TextualEvaluation report(header(), {true, true});
    // Question 20 (order 1) before question 10 (order 2); rows ordered as the aggregation orders them.
    report.addPass({row(true, 10, 2, 1, "Adam Velký", 1, 0, "Bára Malá"),
                    row(true, 10, 2, 2, "Bára Malá", 0, 1), row(true, 10, 2, 3, "nikdo", 0, 0),
                    row(true, 20, 1, 2, "Bára Malá", 2, 0, "Adam Velký"), row(true, 20, 1, 2, "Bára Malá", 2, 0, "Cyril Dlouhý"),
                    row(true, 20, 1, 1, "Adam Velký", 0, 0), row(false, 10, 2, 1, "x", 0, 0)},
                   true);
    report.addPass({row(false, 10, 2, 2, "Bára Malá", 0, 1, "Adam Velký"), row(false, 10, 2, 1, "Adam Velký", 0, 0),
                    row(false, 10, 2, 3, "nikdo", 0, 0)},
                   false);
    EXPECT_EQ(body(report),
              QStringList({"", "", "", "Otázka 20", "Bára Malá - 2x\t(Adam Velký, Cyril Dlouhý)", "0x:\tAdam Velký",
                           "", "", "", "Otázka 10", "Adam Velký - 1x\t(Bára Malá)", "0x:\tBára Malá, nikdo", "", "", "",
                           "Negativní 10", "", "", "Bára Malá - 1x\t(Adam Velký)", "0x:\tAdam Velký, nikdo, "}));
    const QList<StyledLine> lines = report.lines();
    EXPECT_EQ(lines[report.headerLines().size() + 3].style, Style::Bold);
    EXPECT_EQ(lines[report.headerLines().size() + 4].style, Style::Normal);
}

TEST(TextualEvaluation, SameOrderHeadingsFreeTextsAndScaleNames) {
    TextualEvaluation report(header(), {false, false});
    EvaluationRow heading = row(true, 5, 1, 1, "Adam Velký", 1, 0);
    heading.nadpisNad = QStringLiteral("Vztahy");
    heading.popis = QStringLiteral("Kdo s kým");
    EvaluationRow other = row(true, 6, 1, 1, "Adam Velký", 3, 0); // same order, larger id: replaces question 5
    EvaluationRow text = row(true, 7, 2, 1, "Adam Velký", 0, 0);
    text.typ = 4;
    EvaluationRow written = text;
    written.slovy = QStringLiteral("Víc výletů");
    written.pohlavi = QStringLiteral("muž");
    written.celeJmeno = QStringLiteral("Adam Velký");
    EvaluationRow option = written;
    option.recipientId = 9;
    option.pohlavi = QStringLiteral("---"); // an option row is no author
    EvaluationRow scale = row(true, 8, 3, 4, "a) | 1", 2, 0);
    scale.typ = 2;
    report.addPass({heading, other, text, written, option, scale}, true);
    EXPECT_EQ(body(report), QStringList({"", "", "", "Otázka 6", "Adam Velký - 3x", "", "", "", "Otázka 7",
                                         "Adam Velký: \tVíc výletů", "", "", "", "", "Otázka 8", "1 - 2x"}));

    TextualEvaluation headed(header(), {});
    headed.addPass({heading}, true);
    const QList<StyledLine> lines = headed.lines();
    const qsizetype start = headed.headerLines().size();
    EXPECT_EQ(lines[start + 3].text, QStringLiteral("Vztahy"));
    EXPECT_EQ(lines[start + 3].style, Style::BoldUnderline);
    EXPECT_EQ(lines[start + 5].text, QStringLiteral("Otázka 5"));
    EXPECT_EQ(lines[start + 5].style, Style::Bold);
    EXPECT_EQ(lines[start + 6].text, QStringLiteral("Kdo s kým"));
}

TEST(TextualEvaluation, HtmlKeepsBoldAndUnderlineAndEscapes) {
    const QString html = evaluationHtml({{"Mapování <vztahů>", Style::Bold}, {"Vztahy & co", Style::BoldUnderline},
                                         {"A\tB", Style::Normal}});
    EXPECT_TRUE(html.contains("<b>Mapování &lt;vztahů&gt;</b><br>"));
    EXPECT_TRUE(html.contains("<b><u>Vztahy &amp; co</u></b><br>"));
    EXPECT_TRUE(html.contains("A&emsp;B<br>"));
}

} // namespace
