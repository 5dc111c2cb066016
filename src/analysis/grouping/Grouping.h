#pragma once

#include "data/SessionOutput.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

#include <array>
#include <functional>
#include <memory>
#include <optional>

class Database;
class PagedDocument;

// Groups, desk pairs and class splits formed from the choices of a session under the teacher's rules: the
// best arrangement found by the score below, every hard rule kept. The positive choices of the chosen
// questions are the wishes, the negative ones the rejections, cleaned as the analysis cleans them.
namespace Grouping {

enum class SizeMode { Groups, Sizes, Pairs };

struct Request {
    qint64 session = 0;
    QList<qint64> questions;
    SizeMode mode = SizeMode::Groups;
    int groups = 0;   // SizeMode::Groups
    QList<int> sizes; // SizeMode::Sizes
    QList<QPair<qint64, qint64>> together, apart;
    QList<QPair<qint64, int>> pins; // pupil → group number, 1-based
    bool balanceGender = false;
    bool allowMutualRejection = false;
    quint32 seed = 1;
};

// Compared level by level: fewer `unmatched`, then fewer `unwanted`, fewer `rejectionsInside`, more
// `mutualKept`, more `choicesHonoured`.
struct Score {
    int unmatched = 0;        // gave a positive choice, none of the chosen in his group
    int unwanted = 0;         // gave no positive choice, nobody in his group chose him
    int rejectionsInside = 0; // negative choices within a group
    int mutualKept = 0;       // mutual positive pairs within a group
    int choicesHonoured = 0;  // positive choices within a group
    std::array<int, 5> key() const {
        return {unmatched, unwanted, rejectionsInside, -mutualKept, -choicesHonoured};
    }
    bool betterThan(const Score &other) const { return key() < other.key(); }
};

struct Placement {
    qint64 id = 0;
    QString name;
    int group = 0;                // 1-based
    QList<qint64> honoured;       // chosen classmates in his group, roster order
    QList<qint64> rejectedInside; // rejected classmates in his group
};

struct Problem; // the choices and rules behind a result

struct Result {
    Request request;
    OutputClass trida;
    QVariant datum; // the session's date
    QString questionnaireName;
    QStringList questionTexts;   // of the chosen questions
    QList<int> sizes;            // of the groups, in their order
    QList<QList<qint64>> groups; // members in roster order
    Score score;
    QList<Placement> pupils;           // roster order
    QList<qint64> unmatched, unwanted; // the pupils the score counts at those levels, roster order
    std::shared_ptr<const Problem> problem;

    // The pupil of that id, or nullptr.
    const Placement *placement(qint64 id) const;
};

// The sizes the request asks for among `people`; empty with the Czech reason when they cannot be made.
QList<int> sizesFor(const Request &request, int people, QString *reason);
// Nullopt with the Czech reason: an unknown session or question, a question that is no choice of
// classmates, a rule naming someone who is no person of the session's class, sizes that do not add up,
// or rules that cannot all hold. Database failures raise DatabaseError.
// Told the share of the search done (0–1000) now and then; returning false stops it with the best
// arrangement found so far.
using Progress = std::function<bool(int permille)>;
std::optional<Result> arrange(Database &db, const Request &request, QString *reason,
                              const Progress &progress = {});
std::optional<Result> arrange(const SessionOutputData &session, const Request &request, QString *reason,
                              const Progress &progress = {});

// The same result with its people in `groups` (the teacher moved some by hand): the score, the placements
// and the marks made again, the groups in the order given. `groups` holds every person of the result once.
Result regroup(const Result &result, const QList<QList<qint64>> &groups);
// The hard rules the result's groups break, one Czech sentence each; empty when every rule holds. An
// arrangement from arrange() breaks none; one changed by hand may.
QStringList brokenRules(const Result &result);

// The contract forms of the headless tool.
QByteArray json(const Result &result);
QString text(const Result &result);
QByteArray csv(const Result &result); // UTF-8 with a byte-order mark, `;`
// The score in plain Czech.
QStringList scoreSentences(const Result &result);
// "Rozdělení do skupin", the class and the session, the questions.
QStringList heading(const Result &result);
// How a pupil's card is marked: "✓" a chosen classmate in his group, "○" he chose and has none there,
// "✗" a classmate he rejected is there too (the marks follow one another).
QString marks(const Placement &pupil, const Result &result);

// The documents: .html, .pdf, .docx, and the .json, .csv and .txt forms above, by the suffix of `path`;
// false with the Czech reason.
QStringList suffixes();
// The pages of print, its preview and the PDF.
PagedDocument pages(const Result &result);
bool save(const Result &result, const QString &path, QString *error);

} // namespace Grouping
