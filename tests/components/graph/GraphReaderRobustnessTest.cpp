#include "graph/GraphDocument.h"
#include "graph/GraphReader.h"
#include "graph/NodeShapes.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

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
// writes and reads back unchanged.
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
