#include "cli/GraphCommands.h"

#include "graph/GraphDocument.h"
#include "graph/GraphExport.h"
#include "graph/NodeShapes.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct CliRun {
    int code = 0;
    QString out;
    QString err;
};

CliRun run(const QStringList &args)
{
    CliRun r;
    QTextStream out(&r.out);
    QTextStream err(&r.err);
    r.code = runGraphCommand(args, out, err);
    out.flush();
    err.flush();
    return r;
}

QString golden(const QString &name)
{
    return QStringLiteral(ORBELIS_TEST_DATA "/graph/%1/graph.sgp").arg(name);
}

} // namespace

TEST(GraphCommands, HelpAndUsageErrors)
{
    CliRun r = run({QStringLiteral("help")});
    EXPECT_EQ(r.code, 0);
    EXPECT_TRUE(r.out.contains(QStringLiteral("convert")));
    r = run({});
    EXPECT_NE(r.code, 0);
    EXPECT_TRUE(r.err.contains(QStringLiteral("Chybí příkaz")));
    r = run({QStringLiteral("explode")});
    EXPECT_NE(r.code, 0);
    r = run({QStringLiteral("convert"), golden(QStringLiteral("sociogram")), QStringLiteral("/tmp/x.bmp")});
    EXPECT_NE(r.code, 0);
    EXPECT_TRUE(r.err.contains(QStringLiteral(".bmp")));
}

TEST(GraphCommands, DumpListsObjects)
{
    const CliRun r = run({QStringLiteral("dump"), golden(QStringLiteral("sociogram"))});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.startsWith(QStringLiteral("Objects: 9\n")));
    EXPECT_TRUE(r.out.contains(QStringLiteral("TGraphLink ID 8\n")));
    EXPECT_TRUE(r.out.contains(QStringLiteral("Text: \"Petr Dvořák\"")));
    EXPECT_TRUE(r.out.contains(QStringLiteral("Source: 5")));
}

TEST(GraphCommands, DamagedOrMissingInputFails)
{
    QTemporaryDir dir;
    const QString bad = dir.filePath(QStringLiteral("bad.sgp"));
    QFile f(bad);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("TPF0xxxxxxxx");
    f.close();
    CliRun r = run({QStringLiteral("dump"), bad});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("soubor není sociogram programu Orbelis")));
    r = run({QStringLiteral("convert"), dir.filePath(QStringLiteral("missing.sgp")),
             dir.filePath(QStringLiteral("out.png"))});
    EXPECT_EQ(r.code, 1);
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("out.png"))));
}

TEST(GraphCommands, ConvertsToEveryFormat)
{
    QTemporaryDir dir;
    const QString in = golden(QStringLiteral("sociogram"));
    for (const QString &ext : {QStringLiteral("sgp"), QStringLiteral("png"), QStringLiteral("jpg"),
                               QStringLiteral("svg"), QStringLiteral("emf")}) {
        SCOPED_TRACE(ext.toStdString());
        const QString out = dir.filePath(QStringLiteral("out.") + ext);
        const CliRun r = run({QStringLiteral("convert"), in, out});
        ASSERT_EQ(r.code, 0) << r.err.toStdString();
        QFile f(out);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        if (ext == QLatin1String("sgp")) {
            QFile orig(in);
            ASSERT_TRUE(orig.open(QIODevice::ReadOnly));
            EXPECT_EQ(bytes, orig.readAll());
        } else if (ext == QLatin1String("png") || ext == QLatin1String("jpg")) {
            const QImage image = QImage::fromData(bytes);
            GraphDocument doc;
            ASSERT_TRUE(doc.LoadFromFile(in));
            const QRect bounds = doc.GraphBounds();
            EXPECT_EQ(image.size(), bounds.size() + QSize(1, 1));
            // The heading node (25, 30) lies one unit (half the pen width + 1) inside the picture.
            EXPECT_EQ(bounds.topLeft(), QPoint(24, 29));
        } else if (ext == QLatin1String("svg")) {
            EXPECT_TRUE(bytes.contains("<svg"));
            EXPECT_TRUE(bytes.contains("Dvo"));
        } else {
            EXPECT_EQ(bytes.mid(40, 4), QByteArray(" EMF"));
        }
    }
}

TEST(GraphCommands, ConvertRefusesAPictureTooLargeAndSaysWhy)
{
    QTemporaryDir dir;
    const QString in = dir.filePath(QStringLiteral("big.sgp"));
    {
        GraphDocument doc;
        doc.AddNode<TRectangularNode>(QRect(0, 0, 4502, 4502));
        QFile f(in);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(doc.SaveToBytes());
    }
    for (const QString &ext : {QStringLiteral("png"), QStringLiteral("jpg")}) {
        SCOPED_TRACE(ext.toStdString());
        const QString out = dir.filePath(QStringLiteral("big.") + ext);
        const CliRun r = run({QStringLiteral("convert"), in, out});
        EXPECT_EQ(r.code, 1);
        EXPECT_TRUE(r.err.contains(QStringLiteral("Obrázek je příliš velký (4\u00A0506 × 4\u00A0506 bodů)")))
            << r.err.toStdString();
        EXPECT_FALSE(QFile::exists(out));
    }
    // The drawing formats have no such limit at this size.
    const CliRun r = run({QStringLiteral("convert"), in, dir.filePath(QStringLiteral("big.svg"))});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
}
