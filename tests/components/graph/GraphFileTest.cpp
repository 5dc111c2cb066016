#include "graph/Cp1250.h"
#include "graph/GraphDocument.h"
#include "graph/GraphDump.h"
#include "graph/GraphLink.h"
#include "graph/GraphWriter.h"
#include "graph/NodeShapes.h"
#include "graph/PropertyStreamReader.h"
#include "graph/PropertyStreamWriter.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <limits>
#include <utility>

namespace {

// Builds bytes by hand from the file grammar, independent of the writer.
class Bytes {
public:
    Bytes &u8(int v) { m_b.append(char(v)); return *this; }
    Bytes &i32(qint32 v)
    {
        for (int i = 0; i < 4; ++i)
            m_b.append(char((quint32(v) >> (8 * i)) & 0xFF));
        return *this;
    }
    Bytes &raw(const QByteArray &b) { m_b.append(b); return *this; }
    Bytes &sstr(const QByteArray &s) { return u8(int(s.size())).raw(s); }
    Bytes &name(const char *n) { return sstr(n); }
    Bytes &int8(int v) { return u8(2).u8(v & 0xFF); }
    Bytes &int16(int v) { return u8(3).u8(v & 0xFF).u8((v >> 8) & 0xFF); }
    Bytes &ident(const char *s) { return u8(7).sstr(s); }
    Bytes &utf8(const QString &s) { const QByteArray b = s.toUtf8(); return u8(20).i32(int(b.size())).raw(b); }
    Bytes &str(const QByteArray &s) { return u8(6).sstr(s); }
    Bytes &record(const char *cls)
    {
        const QByteArray c(cls);
        i32(int(c.size()) + 1).raw(c).u8(0);
        return raw("TPF0").sstr("TGraphStreamableObject").u8(0);
    }
    Bytes &end() { return u8(0).u8(0); }
    QByteArray data() const { return m_b; }

private:
    QByteArray m_b;
};

QByteArray header(int count)
{
    return Bytes().raw(QByteArray::fromHex("302E4753")).i32(count).data();
}

// Three objects: two nodes (one with Czech text) and a link with source, target and
// a break point, written exactly as the grammar prescribes.
QByteArray handMadeFile()
{
    Bytes b;
    b.raw(header(3));
    b.record("TRectangularNode").name("ID").int8(1).name("G.Text").utf8(QStringLiteral("Žluťoučký kůň"))
        .name("G.Left").int8(10).name("G.Top").int8(20).name("G.Width").int8(100).name("G.Height").int8(50).end();
    b.record("TEllipticNode").name("ID").int8(2).name("G.Text").str("Eva").name("G.Brush.Color").ident("clRed")
        .name("G.Left").int16(300).name("G.Top").int16(400).name("G.Width").int8(100).name("G.Height").int8(50).end();
    Bytes pts;
    pts.i32(3).i32(110).i32(45).i32(200).i32(300).i32(300).i32(425);
    b.record("TGraphLink").name("ID").int8(3).name("G.Pen.Width").int8(2).name("G.Source").int8(1)
        .name("G.Target").int8(2).name("G.BreakPoints").u8(10).i32(int(pts.data().size())).raw(pts.data()).end();
    return b.data();
}

QString dataDir()
{
    return QStringLiteral(ORBELIS_TEST_DATA "/graph");
}

} // namespace

TEST(GraphFile, EmptyCanvasIsEightBytes)
{
    GraphDocument doc;
    EXPECT_EQ(doc.SaveToBytes(), QByteArray::fromHex("302E475300000000"));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("empty.sgp"));
    QString error;
    ASSERT_TRUE(doc.SaveToFile(path, &error)) << error.toStdString();
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll().size(), 8);
}

TEST(GraphFile, DefaultNodeWritesOnlyIdAndBounds)
{
    GraphDocument doc;
    doc.AddNode<TRectangularNode>(QRect(25, 300, 100, 50));
    const QByteArray expected = Bytes().raw(header(1)).record("TRectangularNode").name("ID").int8(1)
                                    .name("G.Left").int8(25).name("G.Top").int16(300).name("G.Width").int8(100)
                                    .name("G.Height").int8(50).end().data();
    EXPECT_EQ(doc.SaveToBytes().toHex().toStdString(), expected.toHex().toStdString());
}

TEST(GraphFile, NonDefaultPropertiesInOrder)
{
    GraphDocument doc;
    auto *n = doc.AddNode<TRoundRectangularNode>(QRect(0, 0, 100, 50));
    n->SetBrushColor(0xDCD9FF);
    n->SetMargin(4);
    n->SetAlignment(taLeftJustify);
    n->SetTag(70000);
    n->SetNodeOptions(gnoMovable);
    const QByteArray expected =
        Bytes().raw(header(1)).record("TRoundRectangularNode").name("ID").int8(1)
            .name("G.Brush.Color").u8(4).i32(0xDCD9FF).name("G.Tag").u8(4).i32(70000)
            .name("G.Left").int8(0).name("G.Top").int8(0).name("G.Width").int8(100).name("G.Height").int8(50)
            .name("G.Alignment").ident("taLeftJustify").name("G.Margin").int8(4)
            .name("G.NodeOptions").u8(11).sstr("gnoMovable").u8(0).end().data();
    EXPECT_EQ(doc.SaveToBytes().toHex().toStdString(), expected.toHex().toStdString());
}

TEST(GraphFile, StringsAreWrittenByContent)
{
    GraphDocument doc;
    auto *czech = doc.AddNode<TRectangularNode>(QRect(0, 0, 100, 50));
    czech->SetText(QStringLiteral("Příliš žluťoučký kůň"));
    auto *longAscii = doc.AddNode<TRectangularNode>(QRect(0, 0, 100, 50));
    const QString ascii = QString(300, QLatin1Char('a'));
    longAscii->SetText(ascii);
    const QByteArray bytes = doc.SaveToBytes();
    const QByteArray utf8 = czech->Text().toUtf8();
    EXPECT_TRUE(bytes.contains(Bytes().name("G.Text").utf8(czech->Text()).data()));
    EXPECT_TRUE(bytes.contains(Bytes().name("G.Text").u8(12).i32(300).raw(ascii.toLatin1()).data()));

    GraphDocument back;
    QString error;
    ASSERT_TRUE(back.LoadFromBytes(bytes, &error)) << error.toStdString();
    EXPECT_EQ(back.Objects()[0]->Text(), czech->Text());
    EXPECT_EQ(back.Objects()[1]->Text(), ascii);
}

TEST(GraphFile, OldSingleByteStringsAreWindows1250)
{
    Bytes b;
    b.raw(header(1)).record("TRectangularNode").name("ID").int8(1).name("G.Text")
        .str(QByteArray::fromHex("8A6B6F6C61")) // "Škola" in the Central European code page
        .name("G.Left").int8(0).name("G.Top").int8(0).name("G.Width").int8(100).name("G.Height").int8(50).end();
    GraphDocument doc;
    QString error;
    ASSERT_TRUE(doc.LoadFromBytes(b.data(), &error)) << error.toStdString();
    EXPECT_EQ(doc.Objects()[0]->Text(), QStringLiteral("Škola"));
    // Written back as UTF-8, since it is not ASCII.
    EXPECT_TRUE(doc.SaveToBytes().contains(Bytes().utf8(QStringLiteral("Škola")).data()));
}

TEST(GraphFile, CzechLettersOfWindows1250BothWays)
{
    const QString letters = QStringLiteral("ěščřžýáíéúůďťňĚŠČŘŽÝÁÍÉÚŮĎŤŇ");
    const QByteArray bytes = QByteArray::fromHex("EC9AE8F89EFDE1EDE9FAF9EF9DF2CC8AC8D88EDDC1CDC9DAD9CF8DD2");
    EXPECT_EQ(Cp1250::decode(bytes).toStdString(), letters.toStdString());
    EXPECT_EQ(Cp1250::encode(letters).toHex().toStdString(), bytes.toHex().toStdString());
}

TEST(GraphFile, IntegersTakeTheSmallestTypeThatHoldsThem)
{
    const std::pair<qint64, QByteArray> cases[] = {
        {127, Bytes().int8(127).data()},
        {-128, Bytes().int8(-128).data()},
        {128, Bytes().int16(128).data()},
        {-129, Bytes().int16(-129).data()},
        {32767, Bytes().int16(32767).data()},
        {-32768, Bytes().int16(-32768).data()},
        {32768, Bytes().u8(4).i32(32768).data()},
        {-32769, Bytes().u8(4).i32(-32769).data()},
        {std::numeric_limits<qint32>::max(), Bytes().u8(4).i32(std::numeric_limits<qint32>::max()).data()},
        {std::numeric_limits<qint32>::min(), Bytes().u8(4).i32(std::numeric_limits<qint32>::min()).data()},
    };
    for (const auto &[value, expected] : cases) {
        SCOPED_TRACE(value);
        QByteArray written;
        PropertyStreamWriter(written).writeInteger(value);
        EXPECT_EQ(written.toHex().toStdString(), expected.toHex().toStdString());
        PropertyStreamReader in(written);
        const auto back = in.readValue();
        ASSERT_TRUE(back.has_value()) << in.error().toStdString();
        EXPECT_EQ(back->integer, value);
        EXPECT_EQ(in.remaining(), 0);
    }
}

TEST(GraphFile, HandMadeFileLoadsHooked)
{
    GraphDocument doc;
    QString error;
    ASSERT_TRUE(doc.LoadFromBytes(handMadeFile(), &error)) << error.toStdString();
    ASSERT_EQ(doc.Objects().Count(), 3);
    auto *a = static_cast<TGraphNode *>(doc.Objects()[0]);
    auto *b = static_cast<TGraphNode *>(doc.Objects()[1]);
    auto *link = static_cast<TGraphLink *>(doc.Objects()[2]);
    EXPECT_EQ(a->ClassName(), QStringLiteral("TRectangularNode"));
    EXPECT_EQ(a->Text(), QStringLiteral("Žluťoučký kůň"));
    EXPECT_EQ(b->Bounds(), QRect(300, 400, 100, 50));
    EXPECT_EQ(b->Brush().Color, clRed);
    EXPECT_EQ(link->Pen().Width, 2);
    EXPECT_EQ(link->Source(), a);
    EXPECT_EQ(link->Target(), b);
    EXPECT_EQ(a->LinkOutputs(), QList<TGraphLink *>({link}));
    EXPECT_EQ(b->LinkInputs(), QList<TGraphLink *>({link}));
    ASSERT_EQ(link->PointCount(), 3);
    EXPECT_EQ(link->Point(1), QPoint(200, 300));
    EXPECT_FALSE(doc.Modified());
    // Saving reproduces the same objects; a second cycle is byte-identical.
    const QByteArray first = doc.SaveToBytes();
    GraphDocument again;
    ASSERT_TRUE(again.LoadFromBytes(first, &error));
    EXPECT_EQ(again.SaveToBytes(), first);
    EXPECT_EQ(GraphDump::toText(again), GraphDump::toText(doc));
}

TEST(GraphFile, RoundTripOfEveryPropertyIsByteIdentical)
{
    GraphDocument doc;
    int i = 0;
    for (const char *cls : {"TRectangularNode", "TRoundRectangularNode", "TEllipticNode", "TTriangularNode",
                            "TRhomboidalNode", "TPentagonalNode", "THexagonalNode"})
        doc.AddNode(QLatin1String(cls), QRect(i * 150, 40000, 100 + i, 60));
    auto *n = static_cast<TGraphNode *>(doc.Objects()[2]);
    ++i;
    n->SetText(QStringLiteral("Řádek 1\r\nŘádek 2"));
    n->SetHint(QStringLiteral("hint"));
    n->SetBrush({TColor(0x8000000F), bsDiagCross});
    n->SetPen({0x123456, pmXor, psDot, 3});
    TGraphFont f;
    f.Name = QStringLiteral("Liberation Serif");
    f.Height = -15;
    f.Style = fsBold | fsUnderline;
    f.Pitch = fpFixed;
    f.Orientation = 900;
    f.Charset = 238;
    f.Color = 0x00FF00;
    n->SetFont(f);
    n->SetOptions(goLinkable);
    n->SetVisible(false);
    n->SetTag(-5);
    n->SetHasCustomData(true);
    n->SetCustomData(QByteArray("\x01\x02\x03", 3));
    doc.Objects()[3]->SetHasCustomData(true); // custom data that is empty
    n->SetLayout(tlBottom);
    n->SetBackgroundMargins(QMargins(1, 2, 3, 4));
    auto *link = doc.AddLink(doc.Objects()[0], doc.Objects()[1]);
    link->SetBeginStyle(lsDiamond);
    link->SetEndStyle(lsCircle);
    link->SetBeginSize(9);
    link->SetEndSize(200);
    link->SetLinkOptions(gloFixedBreakPoints | gloFixedEndPoint);
    link->SetTextPosition(0);
    link->SetTextSpacing(-300);
    link->SetText(QStringLiteral("popis"));
    doc.AddLink()->SetPoints(QPolygon({QPoint(65535, 5)}));

    const QByteArray first = doc.SaveToBytes();
    GraphDocument back;
    QString error;
    ASSERT_TRUE(back.LoadFromBytes(first, &error)) << error.toStdString();
    EXPECT_EQ(back.SaveToBytes().toHex().toStdString(), first.toHex().toStdString());
    EXPECT_EQ(GraphDump::toText(back), GraphDump::toText(doc));
    EXPECT_TRUE(first.contains(Bytes().name("G.Font.Charset").ident("EASTEUROPE_CHARSET").data()));
    EXPECT_TRUE(first.contains(Bytes().name("G.Brush.Color").ident("clBtnFace").data()));
}

TEST(GraphFile, WrongSignatureLeavesDocumentUntouched)
{
    GraphDocument doc;
    doc.AddNode<TRectangularNode>(QRect(0, 0, 100, 50));
    QSignalSpy changed(&doc, &GraphDocument::graphChanged);
    QString error;
    EXPECT_FALSE(doc.LoadFromBytes(QByteArray("TPF0\0\0\0\0", 8), &error));
    EXPECT_EQ(error, QStringLiteral("Invalid stream content"));
    EXPECT_FALSE(doc.LoadFromBytes(QByteArray("0.G", 3), &error));
    EXPECT_EQ(error, QStringLiteral("Invalid stream content"));
    EXPECT_EQ(doc.Objects().Count(), 1);
    EXPECT_EQ(changed.count(), 0);
}

TEST(GraphFile, DamagedContentIsRefusedWithoutChanges)
{
    GraphDocument doc;
    doc.AddNode<TRectangularNode>(QRect(0, 0, 100, 50));
    const QByteArray good = handMadeFile();
    QString error;
    // Truncated in the last record: the objects read before are not applied either.
    EXPECT_FALSE(doc.LoadFromBytes(good.left(good.size() - 5), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("zkrácený"))) << error.toStdString();
    EXPECT_EQ(doc.Objects().Count(), 1);

    const QByteArray unknownClass = Bytes().raw(header(1)).record("TFooNode").end().data();
    EXPECT_FALSE(doc.LoadFromBytes(unknownClass, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("TFooNode")));

    const QByteArray unknownProp =
        Bytes().raw(header(1)).record("TRectangularNode").name("G.Colour").int8(1).end().data();
    EXPECT_FALSE(doc.LoadFromBytes(unknownProp, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("G.Colour")));

    const QByteArray wrongType =
        Bytes().raw(header(1)).record("TRectangularNode").name("G.Left").str("x").end().data();
    EXPECT_FALSE(doc.LoadFromBytes(wrongType, &error));

    const QByteArray farAway = Bytes().raw(header(1)).record("TRectangularNode").name("G.Left").u8(4)
                                   .i32(0x7FFFFFF0).name("G.Width").u8(4).i32(0x7FFFFFF0).end().data();
    EXPECT_FALSE(doc.LoadFromBytes(farAway, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("mimo rozsah"))) << error.toStdString();

    const QByteArray hugeCount = header(0x7FFFFFFF);
    EXPECT_FALSE(doc.LoadFromBytes(hugeCount, &error));
    EXPECT_EQ(doc.Objects().Count(), 1);
    // N <= 0 is an empty graph.
    EXPECT_TRUE(doc.LoadFromBytes(header(-3), &error));
    EXPECT_EQ(doc.Objects().Count(), 0);
}

TEST(GraphFile, OlderLinkPropertyNames)
{
    Bytes b;
    b.raw(header(4));
    for (int id = 1; id <= 2; ++id)
        b.record("TRectangularNode").name("ID").int8(id).name("G.Left").int16(id * 200).name("G.Top").int8(0)
            .name("G.Width").int8(100).name("G.Height").int8(50).end();
    b.record("TGraphLink").name("ID").int8(3).name("G.FromNode").int8(1).name("G.ToNode").int8(2)
        .name("G.Kind").ident("LKBIDIRECTED").name("G.ArrowSize").int8(4).end();
    b.record("TGraphLink").name("ID").int8(4).name("G.Kind").ident("lkUndirected").end();
    GraphDocument doc;
    QString error;
    ASSERT_TRUE(doc.LoadFromBytes(b.data(), &error)) << error.toStdString();
    auto *l1 = static_cast<TGraphLink *>(doc.Objects()[2]);
    auto *l2 = static_cast<TGraphLink *>(doc.Objects()[3]);
    EXPECT_EQ(l1->Source(), doc.Objects()[0]);
    EXPECT_EQ(l1->Target(), doc.Objects()[1]);
    EXPECT_EQ(l1->PointCount(), 2); // given two points on load
    EXPECT_EQ(l1->BeginStyle(), lsArrow);
    EXPECT_EQ(l1->BeginSize(), 6);
    EXPECT_EQ(l1->EndSize(), 6);
    EXPECT_EQ(l2->EndStyle(), lsNone);
    // Never written back under the old names.
    EXPECT_FALSE(doc.SaveToBytes().contains("FromNode"));
}

TEST(GraphFile, CollidingIdsAreMadeUnique)
{
    Bytes b;
    b.raw(header(3));
    for (int i = 0; i < 2; ++i)
        b.record("TRectangularNode").name("ID").int8(5).name("G.Left").int16(i * 200).name("G.Top").int8(0)
            .name("G.Width").int8(100).name("G.Height").int8(50).end();
    b.record("TGraphLink").name("ID").int8(5).name("G.Source").int8(5).end();
    GraphDocument doc;
    QString error;
    ASSERT_TRUE(doc.LoadFromBytes(b.data(), &error)) << error.toStdString();
    QSet<quint32> ids;
    for (TGraphObject *o : doc.Objects())
        ids.insert(o->ID());
    EXPECT_EQ(ids.size(), 3);
    EXPECT_EQ(doc.Objects()[0]->ID(), 5u);
}

TEST(GraphFile, GoldenCases)
{
    const QDir root(dataDir());
    const QStringList cases = root.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    ASSERT_FALSE(cases.isEmpty());
    for (const QString &name : cases) {
        SCOPED_TRACE(name.toStdString());
        QFile in(root.filePath(name + QStringLiteral("/graph.sgp")));
        QFile dump(root.filePath(name + QStringLiteral("/dump.txt")));
        ASSERT_TRUE(in.open(QIODevice::ReadOnly));
        ASSERT_TRUE(dump.open(QIODevice::ReadOnly));
        const QByteArray bytes = in.readAll();
        GraphDocument doc;
        QString error;
        ASSERT_TRUE(doc.LoadFromBytes(bytes, &error)) << error.toStdString();
        EXPECT_EQ(GraphDump::toText(doc).toStdString(), QString::fromUtf8(dump.readAll()).toStdString());
        EXPECT_EQ(doc.SaveToBytes(), bytes);
    }
}
