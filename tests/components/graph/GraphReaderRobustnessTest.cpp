#include "graph/GraphDocument.h"
#include "graph/GraphExport.h"
#include "graph/GraphLink.h"
#include "graph/GraphReader.h"
#include "graph/NodeShapes.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QtEndian>
#include <gtest/gtest.h>

#include <cstring>
#include <limits>

#include <random>

namespace {

QList<QByteArray> filesIn(const QString &path)
{
    QList<QByteArray> files;
    const QDir dir(path);
    for (const QString &name : dir.entryList(QDir::Files, QDir::Name)) {
        QFile f(dir.filePath(name));
        if (f.open(QIODevice::ReadOnly))
            files.append(f.readAll());
    }
    return files;
}

QList<QByteArray> corpus()
{
    return filesIn(QStringLiteral(GRAPH_FUZZ_DIR "/corpus"));
}

// Reads input and checks the outcome is either a reasoned refusal or a document that
// writes and reads back unchanged and can be drawn (as the fuzz target does).
void checkInput(const QByteArray &input)
{
    GraphReader reader;
    std::unique_ptr<GraphDocument> doc = reader.read(input);
    if (!doc) {
        ASSERT_FALSE(reader.errorString().isEmpty());
        return;
    }
    const QByteArray written = doc->SaveToBytes();
    GraphReader again;
    std::unique_ptr<GraphDocument> back = again.read(written);
    ASSERT_TRUE(back) << again.errorString().toStdString();
    ASSERT_EQ(back->SaveToBytes(), written);
    ASSERT_FALSE(GraphExport::PictureSize(*doc).isEmpty());
    QImage image(64, 64, QImage::Format_RGB32);
    QPainter painter(&image);
    GraphExport::Draw(*doc, painter, image.rect());
}

// A file that makes its content up as it is read: `start`, then `size - start.size()` bytes of filler.
// It counts the bytes it hands out. A sequential one serves at most `piece` bytes a read and tells no size.
class MadeUpFile final : public QIODevice {
public:
    MadeUpFile(const QByteArray &start, qint64 size, bool sequential = false, qint64 piece = 1 << 20)
        : m_start(start), m_size(size), m_sequential(sequential), m_piece(piece)
    {
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }
    bool isSequential() const override { return m_sequential; }
    qint64 size() const override { return m_sequential ? 0 : m_size; }
    qint64 bytesRead() const { return m_served; }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        const qint64 at = m_sequential ? m_served : pos();
        qint64 n = qMin(maxSize, m_size - at);
        if (m_sequential)
            n = qMin(n, m_piece);
        for (qint64 i = 0; i < n; ++i)
            data[i] = at + i < m_start.size() ? m_start.at(at + i) : 'x';
        m_served += qMax<qint64>(n, 0);
        return qMax<qint64>(n, 0);
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    QByteArray m_start;
    qint64 m_size;
    bool m_sequential;
    qint64 m_piece;
    qint64 m_served = 0;
};

QByteArray int32(qint32 v)
{
    QByteArray b(4, '\0');
    qToLittleEndian(v, b.data());
    return b;
}

QByteArray shortString(const QByteArray &s)
{
    return char(s.size()) + s;
}

// The signature, the object count and the opening of one rectangle's record, up to its properties.
QByteArray graphStart(qint32 count)
{
    return QByteArray::fromHex("302E4753") + int32(count) + int32(17) + QByteArray("TRectangularNode", 17) +
           "TPF0" + shortString("TGraphStreamableObject") + '\0';
}

// What reading gave: the document written back, or the error.
QByteArray outcome(GraphReader &reader, std::unique_ptr<GraphDocument> doc)
{
    return doc ? doc->SaveToBytes() : "error: " + reader.errorString().toUtf8();
}

QByteArray intProperty(const QByteArray &name, qint32 value)
{
    return shortString(name) + char(4) + int32(value);
}

// A graph of one rectangle with the given bounds.
QByteArray nodeFile(qint32 left, qint32 top, qint32 width, qint32 height)
{
    return graphStart(1) + intProperty("G.Left", left) + intProperty("G.Top", top) + intProperty("G.Width", width) +
           intProperty("G.Height", height) + QByteArray(2, '\0');
}

// A graph of one free link through the points, with more properties before them.
QByteArray linkFile(const QList<QPoint> &points, const QByteArray &before = QByteArray())
{
    QByteArray data = int32(qint32(points.size()));
    for (const QPoint &p : points)
        data += int32(p.x()) + int32(p.y());
    return QByteArray::fromHex("302E4753") + int32(1) + int32(11) + QByteArray("TGraphLink", 11) + "TPF0" +
           shortString("TGraphStreamableObject") + '\0' + before + shortString("G.BreakPoints") + char(10) +
           int32(qint32(data.size())) + data + QByteArray(2, '\0');
}

} // namespace

TEST(GraphReaderRobustness, CorpusFilesReadAndRoundTrip)
{
    const QList<QByteArray> files = corpus();
    ASSERT_GE(files.size(), 5);
    for (const QByteArray &file : files) {
        GraphReader reader;
        std::unique_ptr<GraphDocument> doc = reader.read(file);
        ASSERT_TRUE(doc) << reader.errorString().toStdString();
        checkInput(file);
    }
}

TEST(GraphReaderRobustness, InputsThatOnceFailedAreHandled)
{
    const QList<QByteArray> files = filesIn(QStringLiteral(GRAPH_FUZZ_DIR "/regressions"));
    ASSERT_FALSE(files.isEmpty());
    for (const QByteArray &file : files)
        checkInput(file);
}

TEST(GraphReaderRobustness, EveryTruncationIsRefusedCleanly)
{
    for (const QByteArray &file : corpus()) {
        for (qsizetype n = 0; n < file.size(); ++n) {
            GraphReader reader;
            std::unique_ptr<GraphDocument> doc = reader.read(file.left(n));
            // Only the bare header of an empty graph is complete before the end.
            if (doc)
                EXPECT_EQ(n, 8) << "prefix of " << n << " bytes accepted";
            else
                EXPECT_FALSE(reader.errorString().isEmpty());
        }
    }
}

TEST(GraphReaderRobustness, RandomBitFlipsAndByteChanges)
{
    std::mt19937 rng(20240312);
    const QList<QByteArray> files = corpus();
    int refused = 0;
    for (int round = 0; round < 4000; ++round) {
        QByteArray input = files.at(round % files.size());
        if (input.size() <= 8)
            continue;
        const int changes = 1 + int(rng() % 4);
        for (int c = 0; c < changes; ++c) {
            const qsizetype pos = 4 + qsizetype(rng() % quint32(input.size() - 4));
            if (rng() % 2)
                input[pos] = char(input.at(pos) ^ char(1 << (rng() % 8)));
            else
                input[pos] = char(rng() % 256);
        }
        GraphReader reader;
        if (!reader.read(input))
            ++refused;
        checkInput(input);
        if (HasFatalFailure())
            return;
    }
    EXPECT_GT(refused, 100); // the damage is noticed, not silently accepted every time
}

TEST(GraphReaderRobustness, FailedLoadLeavesTheDocumentAsItWas)
{
    const QList<QByteArray> files = corpus();
    GraphDocument doc;
    doc.AddNode<TRectangularNode>(QRect(1, 2, 30, 40))->SetText(QStringLiteral("keep"));
    const QByteArray before = doc.SaveToBytes();
    for (const QByteArray &file : files) {
        for (qsizetype n = 9; n < file.size(); n += 7) {
            QString error;
            ASSERT_FALSE(doc.LoadFromBytes(file.left(n), &error));
            ASSERT_EQ(doc.SaveToBytes(), before);
        }
    }
}

TEST(GraphReaderRobustness, AFileThatIsNoGraphIsRefusedAfterItsHeader)
{
    const qint64 size = qint64(256) << 20;
    for (const bool sequential : {false, true}) {
        MadeUpFile file(QByteArray("PK\x03\x04\x14\0\0\0", 8), size, sequential);
        GraphDocument doc;
        QString error;
        EXPECT_FALSE(doc.LoadFromStream(file, &error));
        EXPECT_EQ(error, QStringLiteral("Invalid stream content"));
        EXPECT_LE(file.bytesRead(), GraphReader::HeaderSize);
    }
    // Shorter than a header.
    MadeUpFile tiny(QByteArray("0.G"), 3);
    GraphReader reader;
    EXPECT_FALSE(reader.read(tiny));
    EXPECT_EQ(reader.errorString(), QStringLiteral("Invalid stream content"));
}

TEST(GraphReaderRobustness, DeclaredSizesBeyondTheEndAreRefusedBeforeReadingOn)
{
    const qint64 size = qint64(64) << 20;
    // A text of almost 2 GiB declared in a file of 64 MiB.
    const QByteArray longText = graphStart(1) + shortString("G.Text") + char(20) + int32(0x7FFFFF00);
    // Background data, which is passed over rather than read.
    const QByteArray longData =
        graphStart(1) + shortString("G.Background.Data") + char(10) + int32(0x7FFFFF00);
    GraphDocument doc;
    QString error;
    for (const QByteArray &start : {longText, longData}) {
        MadeUpFile file(start, size);
        EXPECT_FALSE(doc.LoadFromStream(file, &error));
        EXPECT_TRUE(error.contains(QStringLiteral("zkrácený"))) << error.toStdString();
        EXPECT_LT(file.bytesRead(), 1 << 20);
    }
    // More objects than the rest of the file can hold: refused after the header.
    MadeUpFile many(graphStart(5'000'000), size);
    EXPECT_FALSE(doc.LoadFromStream(many, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("5000000 objektů se do zbylých"))) << error.toStdString();
    EXPECT_EQ(many.bytesRead(), GraphReader::HeaderSize);
    // Bytes in memory are checked the same way.
    GraphReader reader;
    EXPECT_FALSE(reader.read(graphStart(5'000'000) + QByteArray(1000, 'x')));
    EXPECT_TRUE(reader.errorString().contains(QStringLiteral("nevejde")))
        << reader.errorString().toStdString();

    // Where the size is not known the value is read as far as the data goes, and refused at its end.
    for (const QByteArray &start : {longText, longData}) {
        MadeUpFile stream(start, 3 << 20, true, 100'000);
        EXPECT_FALSE(reader.read(stream));
        EXPECT_TRUE(reader.errorString().contains(QStringLiteral("zkrácený")))
            << reader.errorString().toStdString();
        EXPECT_EQ(stream.bytesRead(), 3 << 20);
    }
}

TEST(GraphReaderRobustness, DevicesReadAsBytesDo)
{
    std::mt19937 rng(20240517);
    for (const QByteArray &file : corpus()) {
        QList<QByteArray> inputs;
        for (qsizetype n = 0; n < file.size(); n += 1 + n / 16)
            inputs << file.left(n);
        inputs << file;
        for (int round = 0; round < 40 && file.size() > 8; ++round) {
            QByteArray changed = file;
            changed[4 + qsizetype(rng() % quint32(file.size() - 4))] = char(rng() % 256);
            inputs << changed;
        }
        inputs << file + QByteArray(200'000, 'y'); // longer than one piece of the reader
        for (const QByteArray &input : inputs) {
            GraphReader fromBytes;
            const QByteArray expected = outcome(fromBytes, fromBytes.read(input));

            QBuffer buffer;
            buffer.setData(input);
            buffer.open(QIODevice::ReadOnly);
            GraphReader fromBuffer;
            ASSERT_EQ(outcome(fromBuffer, fromBuffer.read(buffer)).toStdString(), expected.toStdString());

            // A sequential device gives the same document; a refusal may name another reason, since the
            // length of the rest is not known in advance.
            for (const qint64 piece : {1, 7, 4096}) {
                MadeUpFile stream(input, input.size(), true, piece);
                GraphReader fromStream;
                std::unique_ptr<GraphDocument> doc = fromStream.read(stream);
                ASSERT_EQ(bool(doc), !expected.startsWith("error: "))
                    << fromStream.errorString().toStdString();
                if (doc) {
                    ASSERT_EQ(doc->SaveToBytes(), expected);
                }
            }
        }
    }
}

TEST(GraphReaderRobustness, GeometryOffTheCanvasIsRefusedAndChangesNothing)
{
    constexpr int max = 65535;
    const QList<QByteArray> refused = {
        nodeFile(-1, 0, 10, 10), nodeFile(0, -1, 10, 10), nodeFile(max + 1, 0, 10, 10),
        nodeFile(0, 0, max + 1, 10), nodeFile(0, 0, 10, -1), nodeFile(0, 0, 20000, 8'000'000),
        // Each value on the canvas, the node reaching past its edge.
        nodeFile(max - 100, 0, 101, 10), nodeFile(0, 40000, 10, 30000), nodeFile(max, 0, 0, 10),
        linkFile({QPoint(0, 0), QPoint(10, 8'000'000)}), linkFile({QPoint(-1, 5)}), linkFile({QPoint(5, max + 1)}),
        linkFile({QPoint(0, 0), QPoint(10, 10)}, intProperty("G.TextSpacing", -(max + 1))),
    };
    GraphDocument doc;
    doc.AddNode<TRectangularNode>(QRect(1, 2, 30, 40))->SetText(QStringLiteral("keep"));
    const QByteArray before = doc.SaveToBytes();
    for (const QByteArray &file : refused) {
        SCOPED_TRACE(file.toHex().toStdString());
        QString error;
        EXPECT_FALSE(doc.LoadFromBytes(file, &error));
        EXPECT_TRUE(error.contains(QStringLiteral("mimo rozsah plochy grafu (0 až 65535)"))) << error.toStdString();
        EXPECT_EQ(doc.SaveToBytes(), before);
    }

    // The canvas to its last unit is read, and written back as it was read.
    struct Accepted {
        QByteArray file;
        QRect bounds;
    };
    const QList<Accepted> accepted = {
        {nodeFile(0, 0, max, max), QRect(0, 0, max, max)},
        {nodeFile(max - 1, max - 1, 1, 1), QRect(max - 1, max - 1, 1, 1)},
        {nodeFile(max - 1, 0, 0, 5), QRect(max - 1, 0, 1, 5)}, // no width is read as one
        {linkFile({QPoint(0, max), QPoint(max, 0)}, intProperty("G.TextSpacing", -max)), QRect()},
    };
    for (const Accepted &a : accepted) {
        SCOPED_TRACE(a.file.toHex().toStdString());
        GraphReader reader;
        std::unique_ptr<GraphDocument> read = reader.read(a.file);
        ASSERT_TRUE(read) << reader.errorString().toStdString();
        TGraphObject *object = read->Objects()[0];
        if (object->IsNode()) {
            EXPECT_EQ(static_cast<TGraphNode *>(object)->Bounds(), a.bounds);
        } else {
            EXPECT_EQ(static_cast<TGraphLink *>(object)->Points(), QPolygon({QPoint(0, max), QPoint(max, 0)}));
            EXPECT_EQ(static_cast<TGraphLink *>(object)->TextSpacing(), -max);
        }
        checkInput(a.file);
    }
}

TEST(GraphReaderRobustness, WhatTheModelWritesStaysReadable)
{
    // Edits that would leave the canvas are kept on it, so a saved graph always opens again.
    GraphDocument doc;
    TGraphConstraints wide;
    wide.MinLeft = -100;
    wide.MinTop = -100;
    wide.MaxRight = 1'000'000;
    wide.MaxBottom = 1'000'000;
    doc.SetGraphConstraints(wide);
    EXPECT_EQ(doc.GraphConstraints(), TGraphConstraints());
    doc.SetMinNodeSize(100'000);
    auto *big = doc.AddNode<TRectangularNode>(QRect(-50, 70'000, 10, 10));
    EXPECT_EQ(big->Bounds(), QRect(0, 0, 65535, 65535));
    doc.SetMinNodeSize(16);
    auto *node = doc.AddNode<TEllipticNode>(QRect(100, 100, 100, 100));
    TGraphLink *free = doc.AddLink();
    free->SetPoints(QPolygon({QPoint(-70'000, 5), QPoint(10, 8'000'000), QPoint(300, 300)}));
    EXPECT_EQ(free->Points(), QPolygon({QPoint(0, 5), QPoint(10, 65535), QPoint(300, 300)}));
    free->MoveBy(std::numeric_limits<int>::max(), -400);
    EXPECT_EQ(free->Points(), QPolygon({QPoint(65535, 0), QPoint(65535, 65135), QPoint(65535, 0)}));
    TGraphLink *hooked = doc.AddLink(node, big);
    hooked->SetTextSpacing(-8'000'000);
    EXPECT_EQ(hooked->TextSpacing(), -65535);
    node->MoveBy(-1000, 100'000);
    EXPECT_EQ(node->Bounds(), QRect(0, 65435, 100, 100));

    const QByteArray written = doc.SaveToBytes();
    GraphDocument back;
    QString error;
    ASSERT_TRUE(back.LoadFromBytes(written, &error)) << error.toStdString();
    EXPECT_EQ(back.SaveToBytes(), written);
}
