// `orbelis-cli sociogram --keep-layout-of`: the demo class and a later session whose answers are the demo's
// with a few changed, the sociograms saved as .sgp files and read back.
#include "CliRun.h"
#include "data/Database.h"
#include "graph/GraphDocument.h"
#include "graph/GraphLink.h"
#include "graph/GraphNode.h"
#include "graphics/SociogramArrangement.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using Arrow = QPair<QString, QString>; // the captions of chooser and chosen

class SociogramLayoutCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        const CliRun demo = run({"demo"});
        ASSERT_EQ(demo.code, 0) << demo.err.toStdString();
        const auto id = [&](const char *what) {
            return QRegularExpression(QString::fromUtf8(what) + " (\\d+)").match(demo.out).captured(1);
        };
        m_class = id("třída");
        m_earlier = id("vyhodnocení");
        m_db.open(m_dir.filePath("skola.mdb"));
        m_db.exec("UPDATE vyhodnoceni SET datum = '2024-10-07 00:00:00'");
        m_question = m_db.scalar("SELECT ID FROM otazky ORDER BY poradi").toString();
        m_seating = m_db.scalar("SELECT ID FROM otazky WHERE poradi = 2").toString();
        // The later session: the demo's answers less the first two positive choices of the first question,
        // and a choice of the option row "nikdo", whose bubble the earlier sociogram lacks.
        m_later = addSession(id("dotazník"), m_class);
        copyAnswers(m_later, "id_otazky", "");
        SqlQuery dropped(m_db, "SELECT ID, id_zaka, id_partnera FROM odpovedi WHERE id_vyhodnoceni = :s AND "
                               "id_otazky = :q AND pozitivni = 1 ORDER BY ID LIMIT 2");
        dropped.bind("s", m_later).bind("q", m_question).exec();
        while (dropped.next()) {
            m_lost.insert({name(dropped.value(1)), name(dropped.value(2))});
            m_db.exec("DELETE FROM odpovedi WHERE ID = :a", {{"a", dropped.value(0)}});
        }
        m_db.exec("INSERT INTO odpovedi (id_vyhodnoceni, id_otazky, id_zaka, id_partnera, pozitivni) SELECT "
                  ":s, :q, "
                  "min(ID), (SELECT ID FROM zak WHERE jmeno = 'nikdo'), 1 FROM zak",
                  {{"s", m_later}, {"q", m_question}});
    }

    CliRun run(const QStringList &args) { return runCliOn(m_dir.path() + '/', m_dir.path() + '/', args); }
    // Builds a sociogram into `file` and reads it back into `doc`.
    CliRun build(GraphDocument &doc, const QString &session, const QString &question, const QString &file,
                 const QStringList &more = {}) {
        const CliRun result = run(QStringList{"sociogram", "--session", session, "--question", question,
                                              "--out", m_dir.filePath(file)} +
                                  more);
        EXPECT_TRUE(result.code != 0 || doc.LoadFromFile(m_dir.filePath(file))) << result.err.toStdString();
        return result;
    }
    QString addSession(const QString &questionnaire, const QString &trida) {
        m_db.exec("INSERT INTO vyhodnoceni (id_tridy, id_testu, datum) VALUES (:c, :t, '2025-03-14')",
                  {{"c", trida}, {"t", questionnaire}});
        return QString::number(m_db.lastInsertId());
    }
    // The earlier session's answers (those that `where` leaves), to the question `question` names.
    void copyAnswers(const QString &session, const QString &question, const QString &where) {
        m_db.exec(QStringLiteral(
                      "INSERT INTO odpovedi (id_vyhodnoceni, id_otazky, id_zaka, id_partnera, pozitivni) "
                      "SELECT :s, %1, id_zaka, id_partnera, pozitivni FROM odpovedi WHERE "
                      "id_vyhodnoceni = :e %2 ORDER BY ID")
                      .arg(question, where),
                  {{"s", session}, {"e", m_earlier}});
    }
    QString name(const QVariant &id) {
        return m_db.scalar("SELECT jmeno || ' ' || prijmeni FROM zak WHERE ID = :z", {{"z", id}}).toString();
    }
    static QHash<QString, QRect> bubbles(const GraphDocument &doc) {
        QHash<QString, QRect> result;
        for (const TGraphObject *object : doc.Objects())
            if (object->IsNode() && SociogramArrangement::isBubbleColor(object->Brush().Color))
                result.insert(object->Text(), static_cast<const TGraphNode *>(object)->Bounds());
        return result;
    }
    static QSet<Arrow> arrows(const GraphDocument &doc, bool lost) {
        QSet<Arrow> result;
        for (const TGraphObject *object : doc.Objects())
            if (object->IsLink() && SociogramArrangement::isChoiceArrow(object) != lost) {
                const auto *link = static_cast<const TGraphLink *>(object);
                result.insert({link->Source()->Text(), link->Target()->Text()});
                EXPECT_EQ(object->Pen().Color == SociogramColors::LostTie, lost);
                EXPECT_EQ(object->Pen() == (TGraphPen{SociogramColors::LostTie, pmCopy, psDash, 1}), lost);
            }
        return result;
    }

    QTemporaryDir m_dir;
    Database m_db{QStringLiteral("kept-layout-test")};
    QString m_class, m_earlier, m_later, m_question, m_seating;
    QSet<Arrow> m_lost;
};

} // namespace

TEST_F(SociogramLayoutCommandTest,
       EveryPupilKeepsTheEarlierPlaceNothingOverlapsAndLostTiesComeOnlyWhenAsked) {
    GraphDocument earlier, kept, plain, lost;
    ASSERT_EQ(build(earlier, m_earlier, m_question, "a.sgp").code, 0);
    const CliRun result = build(kept, m_later, m_question, "b.sgp", {"--keep-layout-of", m_earlier});
    ASSERT_EQ(result.code, 0);
    EXPECT_TRUE(result.err.isEmpty()) << result.err.toStdString();
    ASSERT_EQ(build(plain, m_later, m_question, "plain.sgp").code, 0);

    const QHash<QString, QRect> before = bubbles(earlier), after = bubbles(kept);
    ASSERT_GE(before.size(), 20);
    for (auto it = before.begin(); it != before.end(); ++it)
        EXPECT_EQ(after.value(it.key()).topLeft(), it.value().topLeft()) << it.key().toStdString();
    EXPECT_NE(bubbles(plain), before); // built afresh, the later sociogram stands otherwise
    EXPECT_TRUE(after.contains("nikdo") && !before.contains("nikdo"));
    for (auto a = after.begin(); a != after.end(); ++a)
        for (auto b = std::next(a); b != after.end(); ++b)
            EXPECT_FALSE(a.value().intersects(b.value()))
                << a.key().toStdString() << " / " << b.key().toStdString();
    // The ties are the later session's, drawn as usual; the lost ones only with the switch, thin grey dashed.
    EXPECT_EQ(arrows(kept, false), arrows(plain, false));
    EXPECT_TRUE(arrows(kept, true).isEmpty());
    ASSERT_EQ(
        build(lost, m_later, m_question, "lost.sgp", {"--keep-layout-of", m_earlier, "--show-lost-ties"})
            .code,
        0);
    ASSERT_EQ(m_lost.size(), 2);
    EXPECT_EQ(arrows(lost, true), m_lost);
    EXPECT_EQ(arrows(lost, false), arrows(kept, false));
    EXPECT_EQ(bubbles(lost), after);
}

TEST_F(SociogramLayoutCommandTest, AnUnknownOrForeignSessionIsRefusedAndAMissingQuestionSaid) {
    GraphDocument doc;
    const CliRun unknown = build(doc, m_later, m_question, "x.sgp", {"--keep-layout-of", "9999"});
    EXPECT_EQ(unknown.code, 1);
    EXPECT_EQ(unknown.err, "Vyhodnocení s ID 9999 neexistuje.\n");
    m_db.exec("INSERT INTO trida (skola) VALUES ('Jiná')");
    const QString foreign = addSession("1", QString::number(m_db.lastInsertId()));
    const CliRun refused = build(doc, m_later, m_question, "x.sgp", {"--keep-layout-of", foreign});
    EXPECT_EQ(refused.code, 1);
    EXPECT_TRUE(refused.err.contains("je z jiné třídy")) << refused.err.toStdString();
    EXPECT_FALSE(QFile::exists(m_dir.filePath("x.sgp")));
    EXPECT_EQ(build(doc, m_later, m_question, "x.sgp", {"--show-lost-ties"}).code, 2);

    // Another questionnaire: its seating question has the demo's text in other case and a negative wording
    // the demo's lacks; its other question a text the demo does not have. It gets the first question's
    // answers.
    m_db.exec("INSERT INTO testy (nazev_testu) VALUES ('Jaro')");
    const QVariantMap spring{{"t", m_db.lastInsertId()}};
    m_db.exec("INSERT INTO otazky (id_testu, text_otazky, typ, poradi) VALUES (:t, 'Kdo ti pomáhá?', 0, 1)",
              spring);
    const QString helper = QString::number(m_db.lastInsertId());
    m_db.exec("INSERT INTO otazky (id_testu, text_otazky, text_otazky_negativni, typ, poradi) VALUES (:t, "
              "'se kým bys chtěl(a) sedět v lavici?', 'Se kým nechceš sedět?', 0, 2)",
              spring);
    const QString seating = QString::number(m_db.lastInsertId());
    const QString third = addSession(spring.value("t").toString(), m_class);
    copyAnswers(third, seating, "AND id_otazky = " + m_question);
    // Found by its text: the places are those of the earlier seating sociogram, not those its answers give.
    GraphDocument earlier, kept, plain;
    ASSERT_EQ(build(earlier, m_earlier, m_seating, "a.sgp").code, 0);
    ASSERT_EQ(build(kept, third, seating, "c.sgp", {"--keep-layout-of", m_earlier}).err, "");
    ASSERT_EQ(build(plain, third, seating, "plain.sgp").code, 0);
    EXPECT_EQ(bubbles(kept), bubbles(earlier));
    EXPECT_NE(bubbles(plain), bubbles(earlier));
    // No negative wording there, no such question at all: said, and built as without the option.
    EXPECT_EQ(build(doc, third, seating, "n.sgp", {"--negative", "--keep-layout-of", m_earlier}).err,
              "Vyhodnocení z 7.10.2024 nemá otázku „Se kým nechceš sedět?“; rozmístění se nezachová.\n");
    const CliRun missing = build(doc, third, helper, "h.sgp", {"--keep-layout-of", m_earlier});
    EXPECT_EQ(missing.code, 0);
    EXPECT_EQ(missing.err,
              "Vyhodnocení z 7.10.2024 nemá otázku „Kdo ti pomáhá?“; rozmístění se nezachová.\n");
    GraphDocument helperPlain;
    ASSERT_EQ(build(helperPlain, third, helper, "hp.sgp").code, 0);
    EXPECT_EQ(doc.SaveToBytes(), helperPlain.SaveToBytes());
}
