#include "SociogramFixture.h"

#include "graph/NodeShapes.h"
#include "graphics/SociogramBuilder.h"
#include "graphics/SociogramStatusColours.h"

#include <QSet>
#include <utility>

namespace {

using SociogramBuild = SociogramFixture;

QString key(qint64 id, bool positive = true) {
    return QString::number(id) + (positive ? "" : "_");
}

} // namespace

TEST_F(SociogramBuild, MenusOfferSessionsAndOneItemPerWording) {
    openModule();
    SociogramBuilder builder(dm());
    ASSERT_EQ(builder.sessionItems().size(), 1);
    EXPECT_EQ(builder.sessionItems().first().value, QString::number(m_session));
    EXPECT_EQ(builder.sessionItems().first().caption, QStringLiteral("04-03-2021 | Vztahy"));

    const QList<SociogramMenuItem> items = builder.questionItems(m_session);
    const QList<SociogramMenuItem> expected{{QStringLiteral("1 S kým sedíš rád?"), key(m_question)},
                                            {QStringLiteral("1 S kým nesedíš?"), key(m_question, false)},
                                            {QStringLiteral("2 Kdo je tvůj kamarád?"), key(m_plainQuestion)}};
    EXPECT_EQ(items, expected);
}

TEST_F(SociogramBuild, NegativeItemBuildsTheNegativeSociogram) {
    const qint64 a = addPupil(m_class, "Adam", "Bílý");
    const qint64 b = addPupil(m_class, "Eva", "Malá", QStringLiteral("žena"));
    addAnswer(m_session, m_question, a, b, true);
    addAnswer(m_session, m_question, b, a, false);
    openModule();
    SociogramBuilder builder(dm());
    builder.questionItems(m_session);
    QStringList captions;
    builder.setBusyCaption = [&](const QString &c) { captions << c; };
    GraphDocument doc;
    ASSERT_TRUE(builder.build(doc, QString::number(m_session), key(m_question, false)));

    EXPECT_EQ(captions, QStringList({"Orbelis - Pracuji...", "Orbelis"}));
    ASSERT_TRUE(node(doc, "NEGATIVNÍ VOLBY"));
    EXPECT_EQ(node(doc, "NEGATIVNÍ VOLBY")->Bounds(), QRect(25, 70, 200, 30));
    ASSERT_TRUE(node(doc, "S kým nesedíš?"));
    EXPECT_EQ(node(doc, "S kým nesedíš?")->Bounds(), QRect(300, 70, 325, 30));
    const QString heading =
        QStringLiteral("Škola: ZŠ Lipová, vyplněno 4.3.2021, třída 5.A, třídní učitel: Nováková");
    ASSERT_TRUE(node(doc, heading));
    EXPECT_EQ(node(doc, heading)->Bounds(), QRect(25, 30, 600, 30));
    EXPECT_EQ(linkCount(doc), 1);
    EXPECT_TRUE(link(doc, "Eva Malá", "Adam Bílý"));
    // Bubbles: class and colour by kind.
    EXPECT_EQ(node(doc, "Adam Bílý")->ClassName(), "TRectangularNode");
    EXPECT_EQ(node(doc, "Adam Bílý")->Brush().Color, SociogramColors::Boy);
    EXPECT_EQ(node(doc, "Eva Malá")->ClassName(), "TRoundRectangularNode");
    EXPECT_EQ(node(doc, "Eva Malá")->Brush().Color, SociogramColors::Girl);
}

TEST_F(SociogramBuild, MutualPairIsTwoRedArrowsAndPositiveAgainstNegativeIsGreenDotted) {
    const qint64 a = addPupil(m_class, "Adam");
    const qint64 b = addPupil(m_class, "Bořek");
    const qint64 c = addPupil(m_class, "Cyril");
    const qint64 d = addPupil(m_class, "David");
    addAnswer(m_session, m_question, a, b, true);
    addAnswer(m_session, m_question, b, a, true);
    addAnswer(m_session, m_question, c, d, true);
    addAnswer(m_session, m_question, d, c, false);
    addAnswer(m_session, m_question, d, a, true);
    // Answers of another session of the same questionnaire colour nothing today.
    const qint64 old = addSession(m_class, m_test, QStringLiteral("2019-01-01 00:00:00"));
    addAnswer(old, m_question, a, d, true);
    addAnswer(old, m_question, a, d, false);
    openModule();
    SociogramBuilder builder(dm());
    builder.questionItems(m_session);
    GraphDocument doc;
    ASSERT_TRUE(builder.build(doc, QString::number(m_session), key(m_question)));

    ASSERT_EQ(linkCount(doc), 4);
    for (auto [from, to] : {std::pair("Adam", "Bořek"), std::pair("Bořek", "Adam")}) {
        TGraphLink *l = link(doc, from, to);
        ASSERT_TRUE(l) << from << to;
        EXPECT_EQ(l->Pen().Color, SociogramColors::Reciprocal);
        EXPECT_EQ(l->Brush().Color, SociogramColors::Reciprocal);
        EXPECT_EQ(l->Pen().Width, 2);
        EXPECT_EQ(l->Pen().Style, psSolid);
    }
    TGraphLink *ambivalent = link(doc, "Cyril", "David");
    ASSERT_TRUE(ambivalent);
    EXPECT_EQ(ambivalent->Pen().Color, SociogramColors::Ambivalent);
    EXPECT_EQ(ambivalent->Pen().Width, 1);
    EXPECT_EQ(ambivalent->Pen().Style, psDot);
    TGraphLink *plain = link(doc, "David", "Adam");
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->Pen(), (TGraphPen{clBlack, pmCopy, psSolid, 2}));

    // The negative sociogram shows David's negative choice, green and dotted as well.
    ASSERT_TRUE(builder.build(doc, QString::number(m_session), key(m_question, false)));
    ASSERT_EQ(linkCount(doc), 1);
    ASSERT_TRUE(link(doc, "David", "Cyril"));
    EXPECT_EQ(link(doc, "David", "Cyril")->Pen().Style, psDot);
}

TEST_F(SociogramBuild, ThirteenBubblesGiveKoeficientTwo) {
    QList<qint64> boys;
    for (int i = 0; i < 13; ++i)
        boys << addPupil(m_class, QStringLiteral("Žák%1").arg(i));
    addAnswer(m_session, m_question, boys[0], boys[1], true);
    openModule();
    SociogramBuilder builder(dm());
    builder.questionItems(m_session);
    GraphDocument doc;
    ASSERT_TRUE(builder.build(doc, QString::number(m_session), key(m_question)));

    EXPECT_EQ(builder.arrangement().koeficient(doc), 2);
    // One arrow in: much-chosen, first of its band; none in: little-chosen, in list order.
    const TGraphNode *chosen = node(doc, "Žák1");
    EXPECT_EQ(chosen->Left(), 50);
    EXPECT_GE(chosen->Top(), 300);
    EXPECT_LE(chosen->Top(), 399);
    const TGraphNode *third = node(doc, "Žák2");
    EXPECT_EQ(third->Left(), 50 + 110); // after Žák0; Žák1 went to the other band
    EXPECT_GE(third->Top(), 110);
    EXPECT_LE(third->Top(), 199);
    EXPECT_EQ(third->Bounds().size(), QSize(100, 50));
}

TEST_F(SociogramBuild, FewerThanSixBubblesAreAllMuchChosen) {
    addPupil(m_class, "Adam");
    addPupil(m_class, "Eva", QVariant(), QStringLiteral("žena"));
    openModule();
    SociogramBuilder builder(dm());
    builder.questionItems(m_session);
    GraphDocument doc;
    ASSERT_TRUE(builder.build(doc, QString::number(m_session), key(m_question)));
    EXPECT_EQ(builder.arrangement().koeficient(doc), 0);
    EXPECT_GE(node(doc, "Adam")->Top(), 300);
    EXPECT_LE(node(doc, "Adam")->Top(), 399);
    EXPECT_GE(node(doc, "Eva")->Top(), 460);
    EXPECT_LE(node(doc, "Eva")->Top(), 559);
}

TEST_F(SociogramBuild, UnchosenOptionBubblesDisappearAndRecolouredBubblesStay) {
    const qint64 a = addPupil(m_class, "Adam");
    const qint64 yes = addPupil(m_class, "ano", QVariant(), QStringLiteral("ano-ne"));
    addPupil(m_class, "ne", QVariant(), QStringLiteral("ano-ne"));
    for (int i = 0; i < 10; ++i)
        addPupil(m_class, QStringLiteral("Žák%1").arg(i));
    addAnswer(m_session, m_question, a, yes, true);
    openModule();
    SociogramBuilder builder(dm());
    builder.questionItems(m_session);
    GraphDocument doc;
    ASSERT_TRUE(builder.build(doc, QString::number(m_session), key(m_question)));

    EXPECT_FALSE(node(doc, "ne"));
    ASSERT_TRUE(node(doc, "ano"));
    EXPECT_EQ(node(doc, "ano")->ClassName(), "TRoundRectangularNode");
    EXPECT_EQ(node(doc, "ano")->Brush().Color, SociogramColors::Option);
    EXPECT_GE(node(doc, "ano")->Top(),
              460); // chosen once, koeficient 12 / 6 = 2 (after "ne" went): much-chosen
    EXPECT_LE(node(doc, "ano")->Top(), 559);
    EXPECT_EQ(builder.arrangement().koeficient(doc), 2);

    // Recolour six bubbles by hand: they are no longer counted, and they stay where they are put.
    for (int i = 0; i < 6; ++i) {
        TGraphNode *n = node(doc, QStringLiteral("Žák%1").arg(i));
        n->SetBrushColor(clWhite);
        n->SetBounds(900, 900 + i, 100, 50);
    }
    EXPECT_EQ(builder.arrangement().koeficient(doc), 1);
    builder.arrangement().arrange(doc);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(node(doc, QStringLiteral("Žák%1").arg(i))->Bounds().topLeft(), QPoint(900, 900 + i));
    EXPECT_EQ(node(doc, "Žák6")->Left(), 50 + 110 * 1); // second little-chosen boy after Adam
}

TEST_F(SociogramBuild, SameChoiceGivesTheSameFileAndTheSequenceGoesOn) {
    for (int i = 0; i < 8; ++i)
        addPupil(m_class, QStringLiteral("Žák%1").arg(i), QVariant(),
                 i % 2 ? QStringLiteral("žena") : QStringLiteral("muž"));
    openModule();
    SociogramBuilder builder(dm());
    builder.questionItems(m_session);
    GraphDocument first, second;
    ASSERT_TRUE(builder.build(first, QString::number(m_session), key(m_question)));
    builder.arrangement().arrange(first); // a later "Uspořádat náhodně" goes on along the sequence
    ASSERT_TRUE(builder.build(first, QString::number(m_session), key(m_question)));
    SociogramBuilder other(dm());
    ASSERT_TRUE(other.build(second, QString::number(m_session), key(m_question)));
    EXPECT_EQ(first.SaveToBytes(), second.SaveToBytes());
    const QByteArray built = first.SaveToBytes();
    builder.arrangement().arrange(first);
    EXPECT_NE(first.SaveToBytes(), built);
}

TEST_F(SociogramBuild, RandomHeightsFillEachBandFromItsTopToItsBottom) {
    // Twenty boys and twenty girls; every other one is chosen once, so with koeficient 2 each of the
    // four bands holds ten bubbles.
    QList<qint64> boys, girls;
    for (int i = 0; i < 20; ++i) {
        boys << addPupil(m_class, QStringLiteral("Kluk%1").arg(i));
        girls << addPupil(m_class, QStringLiteral("Holka%1").arg(i), QVariant(), QStringLiteral("žena"));
    }
    for (int i = 0; i < 20; i += 2) {
        addAnswer(m_session, m_question, boys[i + 1], boys[i], true);
        addAnswer(m_session, m_question, girls[i + 1], girls[i], true);
    }
    openModule();
    SociogramBuilder builder(dm());
    builder.arrangement().setChoice(2);
    builder.questionItems(m_session);
    GraphDocument doc;
    ASSERT_TRUE(builder.build(doc, QString::number(m_session), key(m_question)));

    struct Band {
        int top, bottom;
        QSet<int> seen{};
        int outside = 0;
    };
    Band littleBoys{110, 199}, muchBoys{300, 399}, muchGirls{460, 559}, littleGirls{630, 729};
    auto record = [&] {
        for (int i = 0; i < 20; ++i) {
            const bool chosen = i % 2 == 0;
            const TGraphNode *boy = node(doc, QStringLiteral("Kluk%1").arg(i));
            const TGraphNode *girl = node(doc, QStringLiteral("Holka%1").arg(i));
            ASSERT_TRUE(boy && girl);
            for (auto [bubble, band] : {std::pair{boy, chosen ? &muchBoys : &littleBoys},
                                        std::pair{girl, chosen ? &muchGirls : &littleGirls}}) {
                if (bubble->Top() < band->top || bubble->Top() > band->bottom)
                    ++band->outside;
                band->seen.insert(bubble->Top());
            }
        }
    };
    record();
    for (int i = 0; i < 150; ++i) { // "Uspořádat náhodně" again and again, along the sequence
        builder.arrangement().arrange(doc);
        record();
    }
    for (const Band *band : {&littleBoys, &muchBoys, &muchGirls, &littleGirls}) {
        EXPECT_EQ(band->outside, 0) << band->top;
        EXPECT_EQ(band->seen.size(), band->bottom - band->top + 1) << band->top;
        EXPECT_TRUE(band->seen.contains(band->top)) << band->top;
        EXPECT_TRUE(band->seen.contains(band->bottom)) << band->top;
    }
}

TEST_F(SociogramBuild, FailedBuildRestoresTheCaptionAndKeepsTheGraph) {
    addPupil(m_class, "Adam");
    openModule();
    SociogramBuilder builder(dm());
    builder.questionItems(m_session);
    GraphDocument doc;
    SociogramBuilder::showInstructions(doc);
    const QByteArray before = doc.SaveToBytes();
    QStringList captions;
    builder.setBusyCaption = [&](const QString &c) { captions << c; };
    m_db.exec(QStringLiteral("DROP TABLE odpovedi"));
    EXPECT_THROW(builder.build(doc, QString::number(m_session), key(m_question)), DatabaseError);
    EXPECT_EQ(captions, QStringList({"Orbelis - Pracuji...", "Orbelis"}));
    EXPECT_EQ(doc.SaveToBytes(), before);
    // A question of another questionnaire is not built at all.
    const qint64 foreign = addQuestion(addTest("Jiný"), QStringLiteral("Cizí"));
    captions.clear();
    EXPECT_FALSE(builder.build(doc, QString::number(m_session), key(foreign)));
    EXPECT_TRUE(captions.isEmpty());
}

TEST(SociogramRelations, OnlyTwoSelectedObjectsAreLinked) {
    GraphDocument doc;
    auto *a = doc.AddNode<TRectangularNode>(QRect(0, 0, 100, 50));
    auto *b = doc.AddNode<TRectangularNode>(QRect(200, 0, 100, 50));
    auto *c = doc.AddNode<TRectangularNode>(QRect(400, 0, 100, 50));
    b->SetSelected(true);
    a->SetSelected(true);
    c->SetSelected(true);
    EXPECT_FALSE(SociogramBuilder::addRelation(doc, SociogramRelation::Classic));
    EXPECT_EQ(doc.Objects().Count(), 3);
    c->SetSelected(false);
    ASSERT_TRUE(SociogramBuilder::addRelation(doc, SociogramRelation::Reciprocal));
    ASSERT_EQ(doc.Objects().Count(), 5);
    auto *there = static_cast<TGraphLink *>(doc.Objects()[3]);
    auto *back = static_cast<TGraphLink *>(doc.Objects()[4]);
    EXPECT_EQ(there->Source(), b); // from the first selected object
    EXPECT_EQ(back->Source(), a);
    EXPECT_EQ(back->Pen().Color, SociogramColors::Reciprocal);
    EXPECT_EQ(back->Pen().Width, 2);
}

namespace {

// A class of six in which every other pupil rejects Rita and nobody chooses her, Adam is chosen twice:
// Rita is rejected, Adam popular, the rest average. An answer-option row "ano" is chosen too.
class SociogramStatusBuild : public SociogramFixture {
protected:
    void SetUp() override {
        SociogramFixture::SetUp();
        for (const char *name : {"Adam", "Bořek", "Cyril", "David", "Emil"})
            m_ring << addPupil(m_class, name);
        m_rita = addPupil(m_class, "Rita", QVariant(), QStringLiteral("žena"));
        m_option = addPupil(m_class, "ano", QVariant(), QStringLiteral("ano-ne"));
        for (int i = 0; i < m_ring.size(); ++i) {
            addAnswer(m_session, m_question, m_ring[i], m_ring[(i + 1) % m_ring.size()], true);
            addAnswer(m_session, m_question, m_ring[i], m_rita, false);
        }
        addAnswer(m_session, m_question, m_rita, m_ring[0], true);
        addAnswer(m_session, m_question, m_ring[1], m_option, true);
        openModule();
    }

    static QList<TGraphNode *> legend(GraphDocument &doc) {
        QList<TGraphNode *> nodes;
        for (TGraphObject *object : doc.Objects())
            if (object->IsNode() && object->Tag() == SociogramStatusColours::LegendTag)
                nodes << static_cast<TGraphNode *>(object);
        return nodes;
    }
    static QStringList texts(const QList<TGraphNode *> &nodes) {
        QStringList list;
        for (const TGraphNode *n : nodes)
            list << n->Text();
        return list;
    }
    static TColor colourOf(Sociometry::Status status) {
        return GraphTypes::fromQColor(Sociometry::statusColour(status));
    }

    QList<qint64> m_ring;
    qint64 m_rita = 0;
    qint64 m_option = 0;
};

const QStringList kBubbles = {"Adam", "Bořek", "Cyril", "David", "Emil", "Rita", "ano"};

} // namespace

TEST_F(SociogramStatusBuild, OffByDefaultTheSociogramIsAsWithoutColours) {
    SociogramBuilder builder(dm());
    EXPECT_FALSE(builder.statusColours());
    GraphDocument plain;
    ASSERT_TRUE(builder.build(plain, QString::number(m_session), key(m_question)));
    EXPECT_TRUE(legend(plain).isEmpty());
    EXPECT_FALSE(SociogramStatusColours::isShown(plain));
    for (const QString &name : kBubbles) {
        ASSERT_TRUE(node(plain, name)) << name.toStdString();
        EXPECT_EQ(node(plain, name)->Pen(), TGraphPen{}) << name.toStdString();
    }
    EXPECT_EQ(node(plain, "Rita")->Brush().Color, SociogramColors::Girl);
    EXPECT_EQ(plain.Objects().Count(), 3 + 7 + 7); // headings, bubbles, arrows

    // Turned on and off again, a builder builds the very same file as one that never had it on.
    SociogramBuilder toggled(dm());
    toggled.setStatusColours(true);
    GraphDocument doc;
    ASSERT_TRUE(toggled.build(doc, QString::number(m_session), key(m_question)));
    toggled.setStatusColours(false);
    ASSERT_TRUE(toggled.build(doc, QString::number(m_session), key(m_question)));
    EXPECT_EQ(doc.SaveToBytes(), plain.SaveToBytes());
}

TEST_F(SociogramStatusBuild, OnTheFramesTakeTheStatusColourAndTheFillsStay) {
    SociogramBuilder plainBuilder(dm());
    GraphDocument plain;
    ASSERT_TRUE(plainBuilder.build(plain, QString::number(m_session), key(m_question)));
    SociogramBuilder builder(dm());
    builder.setStatusColours(true);
    GraphDocument doc;
    ASSERT_TRUE(builder.build(doc, QString::number(m_session), key(m_question)));

    TGraphNode *rita = node(doc, "Rita");
    ASSERT_TRUE(rita);
    EXPECT_EQ(rita->Pen().Color, colourOf(Sociometry::Status::Rejected));
    EXPECT_EQ(rita->Pen().Width, SociogramStatusColours::FrameWidth);
    EXPECT_GT(rita->Pen().Width, TGraphPen{}.Width);
    EXPECT_EQ(rita->Pen().Style, psSolid);
    EXPECT_EQ(node(doc, "Adam")->Pen().Color, colourOf(Sociometry::Status::Popular));
    for (const char *name : {"Bořek", "Cyril", "David", "Emil"})
        EXPECT_EQ(node(doc, name)->Pen().Color, colourOf(Sociometry::Status::Average)) << name;
    EXPECT_EQ(node(doc, "ano")->Pen(), TGraphPen{}); // an answer option has no status
    // Fills, places and arrows as without the colours: the arrangement still finds its bubbles.
    for (const QString &name : kBubbles) {
        EXPECT_EQ(node(doc, name)->Brush(), node(plain, name)->Brush()) << name.toStdString();
        EXPECT_EQ(node(doc, name)->Bounds(), node(plain, name)->Bounds()) << name.toStdString();
    }
    EXPECT_EQ(linkCount(doc), linkCount(plain));
    EXPECT_EQ(builder.arrangement().koeficient(doc), plainBuilder.arrangement().koeficient(plain));

    // The legend: a heading and the six groups in their colours, right of everything else.
    const QList<TGraphNode *> boxes = legend(doc);
    ASSERT_EQ(boxes.size(), 7);
    EXPECT_EQ(boxes[0]->Text(), QStringLiteral("Sociometrický status (rámeček bubliny)"));
    EXPECT_EQ(texts(boxes.mid(1)),
              QStringList({"oblíbený / oblíbená", "odmítaný / odmítaná", "přehlížený / přehlížená",
                           "kontroverzní", "průměrný / průměrná", "nezařazený / nezařazená"}));
    for (int i = 0; i < Sociometry::kStatusCount; ++i)
        EXPECT_EQ(boxes[i + 1]->Pen().Color, colourOf(Sociometry::allStatuses()[i])) << i;
    const QRect picture = plain.GraphBounds();
    for (const TGraphNode *box : boxes) {
        EXPECT_EQ(box->DisplayText(), box->Text()); // the whole name fits inside the frame
        EXPECT_GT(box->Left(), picture.right()) << box->Text().toStdString();
        EXPECT_NE(box->Brush().Color, SociogramColors::Boy); // not taken for a bubble
        EXPECT_FALSE(SociogramArrangement::isBubbleColor(box->Brush().Color));
    }
    // "Uspořádat náhodně" leaves the legend where it is.
    const QRect legendPlace = boxes[0]->Bounds();
    builder.arrangement().arrange(doc);
    EXPECT_EQ(legend(doc).size(), 7);
    EXPECT_EQ(legend(doc)[0]->Bounds(), legendPlace);
}

TEST_F(SociogramStatusBuild, TogglingOnABuiltSociogramAndOffRestoresIt) {
    SociogramBuilder builder(dm());
    GraphDocument doc;
    ASSERT_TRUE(builder.build(doc, QString::number(m_session), key(m_question, false)));
    const QByteArray built = doc.SaveToBytes();
    ASSERT_TRUE(builder.holdsBuild(doc));

    ASSERT_TRUE(builder.showStatusColours(doc));
    ASSERT_TRUE(builder.showStatusColours(doc)); // again: no second legend
    EXPECT_EQ(legend(doc).size(), 7);
    EXPECT_EQ(node(doc, "Rita")->Pen().Color, colourOf(Sociometry::Status::Rejected));
    EXPECT_TRUE(SociogramStatusColours::isShown(doc));

    SociogramBuilder::hideStatusColours(doc);
    EXPECT_EQ(doc.SaveToBytes(), built);
    EXPECT_FALSE(SociogramStatusColours::isShown(doc));

    // Another graph, or this one once forgotten (a file was read into it), is not coloured.
    GraphDocument other;
    EXPECT_FALSE(builder.showStatusColours(other));
    EXPECT_EQ(other.Objects().Count(), 0);
    builder.forgetBuild();
    EXPECT_FALSE(builder.showStatusColours(doc));
    EXPECT_EQ(doc.SaveToBytes(), built);
}

TEST_F(SociogramStatusBuild, WithoutStatusesTheFramesStayAndTheLegendSaysWhy) {
    const qint64 choice =
        addQuestion(m_test, QStringLiteral("Co rád děláš?"), QStringLiteral("Co nerad?"), 1, 3);
    for (auto [question, reason] :
         {std::pair{m_plainQuestion, "Otázka nemá negativní znění, statusové skupiny proto nelze určit."},
          std::pair{choice, "Otázka je výběrem z možností, ne volbou spolužáků."}}) {
        SociogramBuilder builder(dm());
        builder.questionItems(m_session);
        GraphDocument plain, doc;
        ASSERT_TRUE(builder.build(plain, QString::number(m_session), key(question)));
        builder.setStatusColours(true);
        ASSERT_TRUE(builder.build(doc, QString::number(m_session), key(question)));
        for (const QString &name : kBubbles.mid(0, 6)) { // nobody chose "ano" here: it is gone
            ASSERT_TRUE(node(doc, name)) << name.toStdString();
            EXPECT_EQ(node(doc, name)->Pen(), TGraphPen{}) << name.toStdString();
        }
        const QList<TGraphNode *> boxes = legend(doc);
        ASSERT_EQ(boxes.size(), 2) << reason;
        EXPECT_EQ(boxes[1]->Text(), QString::fromUtf8(reason));
        EXPECT_EQ(boxes[1]->DisplayLines().join(u' ').simplified(), QString::fromUtf8(reason)); // all shown
        EXPECT_GT(boxes[1]->Left(), plain.GraphBounds().right());
        SociogramBuilder::hideStatusColours(doc);
        EXPECT_EQ(doc.SaveToBytes(), plain.SaveToBytes());
    }
}

TEST(SociogramStatusColoursTest, ABoxMadeInADeletedBubblesPlaceIsNotFramed) {
    GraphDocument doc;
    auto *adam = doc.AddNode<TRectangularNode>(QRect(0, 0, 100, 50));
    auto *rita = doc.AddNode<TRoundRectangularNode>(QRect(200, 0, 100, 50));
    adam->SetBrushColor(SociogramColors::Boy);
    rita->SetBrushColor(SociogramColors::Girl);
    const QList<SociogramBubble> bubbles{{adam->ID(), 1}, {rita->ID(), 2}};
    SociogramStatuses statuses;
    statuses.byPupil = {{1, Sociometry::Status::Popular}, {2, Sociometry::Status::Rejected}};
    const quint32 ritaId = rita->ID();
    doc.Delete(rita);
    TGraphNode *box = doc.AddNode<TRectangularNode>(QRect(400, 0, 100, 50));
    ASSERT_EQ(box->ID(), ritaId); // the graph gives the freed ID to the new box

    SociogramStatusColours::show(doc, bubbles, statuses);
    EXPECT_EQ(box->Pen(), TGraphPen{});
    EXPECT_EQ(adam->Pen(), SociogramStatusColours::framePen(Sociometry::Status::Popular));
}
