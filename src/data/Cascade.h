#pragma once

#include <QString>
#include <functional>

class Database;
class Prompter;

// What every cascading deletion shares: two yes/no questions under one title, then all statements in one
// transaction. A failure rolls everything back and shows the engine's message, which says why.
namespace Cascade {

bool confirmTwice(Prompter &prompter, const QString &title, const QString &first, const QString &second);

// True when the statements ran and were committed.
bool run(Database &db, Prompter &prompter, const std::function<void()> &statements);

} // namespace Cascade
