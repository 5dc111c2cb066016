#pragma once

#include <QStringList>
#include <QTextStream>

class TDM;

// `orbelis-cli questionnaire ...` (args are the words after "questionnaire"): `list` and `add` through the
// data module's datasets and rules as the questionnaire windows use them, the previews and the sheet from
// the questionnaire or question read by id, as the question window makes them:
//   list                                       "ID<tab>name" per questionnaire, in Czech order of names
//   add NAME                                   adds a questionnaire, prints its ID
//   preview --id ID --kind assignment|evaluation
//   preview --question QID --kind question     the preview text, one line per line
//   sheet --id ID --out FILE.docx              the assignment sheet as a word-processor document
// Returns the exit code: 0 done, 1 failure (message on err), 2 wrong usage.
int runQuestionnaireCommand(const QStringList &args, TDM &dm, QTextStream &out, QTextStream &err);

// `orbelis-cli question add --questionnaire ID --text T [--negative T] [--type 0..4]`: adds a question
// with the defaults the question window gives (positions after the last question), prints its ID.
int runQuestionCommand(const QStringList &args, TDM &dm, QTextStream &out, QTextStream &err);
