#pragma once

#include "platform/AppFolders.h"
#include "platform/Settings.h"

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
};
