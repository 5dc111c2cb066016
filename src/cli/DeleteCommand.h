#pragma once

#include <QStringList>
#include <QTextStream>

class Database;
class ScriptedPrompter;

// `orbelis-cli delete class|pupil|questionnaire|question|session ID [--yes]`: runs the cascading deletion
// of the row's rule set, by id, with the same two confirmations the windows ask. `--yes` answers them (the
// prompter's fallback answer is set to yes for the run); without it nothing is changed. `args` are the
// words after "delete". Returns the exit code: 0 deleted, 1 refused or failed (unknown ID, no --yes,
// engine error), 2 wrong usage.
int runDeleteCommand(const QStringList &args, Database &db, ScriptedPrompter &prompter, QTextStream &out,
                     QTextStream &err);
