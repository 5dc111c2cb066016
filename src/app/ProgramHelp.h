#pragma once

#include <QString>

// The desktop program's --help text (generated from orbelis.help.txt, which also gives its manual page).
QString programHelpText();
