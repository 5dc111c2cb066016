// The two arrangements of a sociogram side by side in one run: the bands ("Uspořádat náhodně") and the
// target layout ("Uspořádat přehledně"), on generated classes of 30 and 300 pupils with three positive
// choices each. Every iteration arranges a freshly drawn sociogram; drawing it is not timed. The counters
// give the arrows and what the picture looks like afterwards (crossings, arrows through bubbles).
#include "data/Database.h"
#include "data/SessionOutput.h"
#include "graph/GraphDocument.h"
#include "graphics/SociogramArrangement.h"
#include "graphics/SociogramBuilder.h"
#include "graphics/SociogramGeometry.h"
#include "graphics/SociogramTargetLayout.h"
#include "support/ArchiveGenerator.h"

#include <QGuiApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <map>
#include <memory>

namespace {

// Captions are laid out with fonts: one offscreen application for the whole run.
void ensureApplication() {
    static QGuiApplication *app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "layout-bench";
        static char *argv[] = {name, nullptr};
        return new QGuiApplication(argc, argv);
    }();
    (void)app;
}

// The session of one generated class of that size, read once per size.
const SessionOutputData &classOf(int pupils) {
    static std::map<int, SessionOutputData> sessions;
    static QTemporaryDir folder;
    if (const auto it = sessions.find(pupils); it != sessions.end())
        return it->second;
    Database db(QStringLiteral("layout-bench-%1").arg(pupils));
    db.create(folder.filePath(QStringLiteral("trida%1.mdb").arg(pupils)));
    ArchiveSize size;
    size.classes = 1;
    size.pupilsPerClass = pupils;
    size.questionnaires = 1;
    size.questionsPerQuestionnaire = 3;
    size.sessionsPerClass = 1;
    size.positiveChoices = 3;
    size.negativeChoices = 0;
    generateArchive(db, size);
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

void BM_BandArrangement(benchmark::State &state) {
    ensureApplication();
    const SessionOutputData &session = classOf(int(state.range(0)));
    SociogramArrangement arrangement;
    GraphDocument document;
    for (auto _ : state) {
        state.PauseTiming();
        SociogramBuilder::draw(document, session, firstQuestion(session), arrangement);
        arrangement.restartSequence();
        state.ResumeTiming();
        arrangement.arrange(document);
    }
    count(state, document);
}
BENCHMARK(BM_BandArrangement)->Arg(30)->Arg(300)->Unit(benchmark::kMillisecond);

void BM_TargetLayout(benchmark::State &state) {
    ensureApplication();
    const SessionOutputData &session = classOf(int(state.range(0)));
    SociogramArrangement arrangement;
    GraphDocument document;
    for (auto _ : state) {
        state.PauseTiming();
        SociogramBuilder::draw(document, session, firstQuestion(session), arrangement);
        state.ResumeTiming();
        SociogramTargetLayout::arrange(document);
    }
    count(state, document);
}
BENCHMARK(BM_TargetLayout)->Arg(30)->Arg(300)->Unit(benchmark::kMillisecond);

} // namespace
