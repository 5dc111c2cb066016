#pragma once

#include <QStringList>
#include <QTextStream>

class Prompter;
class TDM;

// `orbelis-cli delete class|pupil|questionnaire|question|session ID [--yes]`: positions the data module's
// dataset on the row and runs its cascading deletion with the same two confirmations the windows ask.
// `--yes` answers them (the prompter must be a ScriptedPrompter, whose fallback answer is set to yes for
// the run); without it nothing is changed. `args` are the words after "delete". Returns the exit code:
// 0 deleted, 1 refused or failed (unknown ID, no --yes, engine error), 2 wrong usage.
int runDeleteCommand(const QStringList &args, TDM &dm, Prompter &prompter, QTextStream &out,
                     QTextStream &err);
