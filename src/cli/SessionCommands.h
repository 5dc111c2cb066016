#pragma once

#include <QStringList>
#include <QTextStream>

class TDM;

// `orbelis-cli session ...` (args are the words after "session"): `add` through the session datasets as the
// session list window uses them, `list` from the class's sessions read by id:
//   add --class ID --questionnaire ID [--date YYYY-MM-DD]   adds a session (date default: now), prints its ID
//   list --class ID                                          "ID<tab>dd.MM.yyyy<tab>questionnaire" newest
//   first
// Returns the exit code: 0 done, 1 failure (message on err), 2 wrong usage.
int runSessionCommand(const QStringList &args, TDM &dm, QTextStream &out, QTextStream &err);

// `orbelis-cli answers ...`, through the answer rules of answer entry:
//   add --session S --question Q --respondent R --partner P [--negative]    marks a choice (once)
//   remove --session S --question Q --respondent R --partner P [--negative] removes it when marked
//   text --session S --question Q --respondent R TEXT                       stores a free-text answer
// A partner the question does not offer to the respondent, a respondent of another class than the
// session's and a question of another questionnaire are refused (exit code 1).
int runAnswersCommand(const QStringList &args, TDM &dm, QTextStream &out, QTextStream &err);

// `orbelis-cli export counts --session S [--out FILE]`: the answer counts of the session (the statement of
// `Odpovedi_Query`, run by id) as CSV (UTF-8, comma-separated, quoted where needed, texts a spreadsheet would take for a formula
// neutralised by CsvCell, CR LF line ends) with a header row; to standard
// output or, with --out, into the file (written whole or not at all).
int runExportCommand(const QStringList &args, TDM &dm, QTextStream &out, QTextStream &err);
