#pragma once

#include "platform/AppFolders.h"
#include "platform/Settings.h"

#include <QHash>
#include <QList>
#include <QString>
#include <memory>

class Database;
class Prompter;
class Shell;
class TDM;

// What every part of a run shares: the folders, the settings files, the one database connection, the
// data module and the user-facing seams. Created once at start-up and alive until the program ends.
struct AppContext {
    AppFolders folders;
    std::unique_ptr<Settings> settings;
    Database *database = nullptr;
    TDM *dm = nullptr;
    Prompter *prompter = nullptr;
    Shell *shell = nullptr;
    // "Verze programu: …" or empty when the version file could not be read.
    QString versionText;
    // The groups last shown in "Rozdělení do skupin" for each session (members by pupil id), which the
    // sociogram's "Obarvit podle skupin" frames; kept while the program runs.
    QHash<qint64, QList<QList<qint64>>> shownGroups;
};
