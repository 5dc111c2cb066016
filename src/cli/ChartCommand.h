#pragma once

#include <QStringList>
#include <QTextStream>

class TDM;

// `orbelis-cli chart --session S [--question Q] [--pupil P] [--all-rows] [--mono] [--title TEXT]
// [--out FILE] [--points FILE.csv] [--word FILE.docx]`: the bar chart of choices received, through the
// same builder as the bar-chart window. --out writes the picture (.png, .jpg, .svg, .emf) as the window
// exports it, --points the charted values as CSV, --word one chart per question ("Všechny otázky" first)
// as a .docx. Pictures and documents need a QGuiApplication (fonts).
// Returns the exit code: 0 done, 1 failure (message on err), 2 wrong usage.
int runChartCommand(const QStringList &args, TDM &dm, QTextStream &out, QTextStream &err);
