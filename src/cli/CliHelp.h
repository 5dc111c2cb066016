#pragma once

#include <QString>

// The headless tool's --help text (generated from orbelis-cli.help.txt, which also gives its manual page).
QString cliHelpText();
