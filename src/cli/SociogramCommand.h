#pragma once

#include <QStringList>
#include <QTextStream>

class TDM;

// `orbelis-cli sociogram --session S --question Q [--negative] [--coefficient N] --out FILE`: builds the
// sociogram of the session's answers to the question (its negative wording with --negative) from the session
// read by id, through the same builder as the sociogram window, arranges it with the koeficient N (2 to 8; by default
// the number of bubbles divided by six) and saves it as .sgp, .png, .jpg (quality 96), .svg or .emf by the
// file's extension. Needs a QGuiApplication (fonts).
// Returns the exit code: 0 done, 1 failure (message on err), 2 wrong usage.
int runSociogramCommand(const QStringList &args, TDM &dm, QTextStream &out, QTextStream &err);
