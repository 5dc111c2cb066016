#pragma once

#include <QStringList>

struct AppContext;

// The data module's start: fixes the folders from the command line, creates "Listiny/" and "Sablony/",
// makes the default database on the first run of a data folder, reads the settings and opens the
// connection on the configured database file. Raises an exception with a Czech message when the
// database cannot be opened; the folders and settings are set up by then.
void startDataModule(AppContext &context, const QStringList &arguments);
// Opens the configured database file of the data folder (closing any open one).
void openConfiguredDatabase(AppContext &context);
