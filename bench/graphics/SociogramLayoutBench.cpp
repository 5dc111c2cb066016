// The two arrangements of a sociogram side by side in one run: the bands ("Uspořádat náhodně") and the
// target layout ("Uspořádat přehledně"), on generated classes of 30 and 300 pupils with three positive
// choices each. Every iteration arranges a freshly drawn sociogram; drawing it is not timed. The counters
// give the arrows and what the picture looks like afterwards (crossings, arrows through bubbles).
#include "../GuiApplication.h"
#include "data/Database.h"
#include "data/SessionOutput.h"
#include "graph/GraphDocument.h"
#include "graphics/SociogramArrangement.h"
#include "graphics/SociogramBuilder.h"
#include "graphics/SociogramGeometry.h"
#include "graphics/SociogramTargetLayout.h"
#include "support/ArchiveGenerator.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <map>
#include <memory>

namespace {

// The session of one generated class of that size, read once per size.
const SessionOutputData &classOf(int pupils) {
    static std::map<int, SessionOutputData> sessions;
    static QTemporaryDir folder;
    if (const auto it = sessions.find(pupils); it != sessions.end())
        return it->second;
    Database db(QStringLiteral("layout-bench-%1").arg(pupils));
    db.create(folder.filePath(QStringLiteral("trida%1.mdb").arg(pupils)));
    generateArchive(db, classSize(pupils, 3, 0));
    const qint64 session = db.scalar(QStringLiteral("SELECT ID FROM vyhodnoceni")).toLongLong();
    std::optional<SessionOutputData> data = readSessionOutput(db, session);
    db.close();
    return sessions.emplace(pupils, std::move(*data)).first->second;
}

SociogramQuestionKey firstQuestion(const SessionOutputData &session) {
    SociogramQuestionKey key;
    key.questionId = session.questionnaire.questions.first().id;
    key.valid = true;
    return key;
}

void count(benchmark::State &state, const GraphDocument &document) {
    const SociogramGeometry::Picture picture = SociogramGeometry::pictureOf(document);
    state.counters["arrows"] = double(picture.arrows.size());
    state.counters["crossings"] = double(SociogramGeometry::crossings(picture));
    state.counters["through"] = SociogramGeometry::arrowsThroughBubbles(picture);
}

// Arranges a freshly drawn sociogram in every iteration; only the arrangement is timed.
template <typename Arrange> void arrangeEach(benchmark::State &state, Arrange arrange) {
    ensureGuiApplication();
    const SessionOutputData &session = classOf(int(state.range(0)));
    SociogramArrangement arrangement;
    GraphDocument document;
    for (auto _ : state) {
        state.PauseTiming();
        SociogramBuilder::draw(document, session, firstQuestion(session), arrangement);
        arrangement.restartSequence();
        state.ResumeTiming();
        arrange(arrangement, document);
    }
    count(state, document);
}

void BM_BandArrangement(benchmark::State &state) {
    arrangeEach(state, [](SociogramArrangement &arrangement, GraphDocument &document) {
        arrangement.arrange(document);
    });
}
BENCHMARK(BM_BandArrangement)->Arg(30)->Arg(300)->Unit(benchmark::kMillisecond);

void BM_TargetLayout(benchmark::State &state) {
    arrangeEach(state, [](SociogramArrangement &, GraphDocument &document) { SociogramTargetLayout::arrange(document); });
}
BENCHMARK(BM_TargetLayout)->Arg(30)->Arg(300)->Unit(benchmark::kMillisecond);

} // namespace
