#pragma once

#include "analysis/grouping/Grouping.h"

#include <QJsonArray>
#include <QJsonObject>

#include <array>

// The exact reference of the grouping search: grouping_optimum.py proves with the Z3 solver (Debian's
// python3-z3) the best score a request can reach.
namespace GroupingOptimum {

// The request over the session's cleaned choices, as the solver script reads it.
QJsonObject problem(const SessionOutputData &session, const Grouping::Request &request);

struct Optimum {
    enum class Kind { Proven, NoArrangement, OutOfTime } kind = Kind::OutOfTime;
    std::array<int, 5> key{}; // as Grouping::Score::key(), when proven
};

// One answer per problem, each allowed `seconds`; empty with the reason when the solver cannot be run.
QList<Optimum> solve(const QJsonArray &problems, int seconds, QString *error);

} // namespace GroupingOptimum
