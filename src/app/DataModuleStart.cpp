#include "app/DataModuleStart.h"

#include "data/AppContext.h"
#include "app/DataFolderSetup.h"
#include "platform/Shell.h"
#include "data/Database.h"

#include <stdexcept>

void startDataModule(AppContext &context, const QStringList &arguments)
{
    context.folders = AppFolders::resolve(arguments, context.folders.programFolder, *context.shell);
    QString error;
    if (!context.folders.createFolders(&error))
        throw std::runtime_error(error.toStdString());
    context.settings = std::make_unique<Settings>(context.folders);
    // Only a data folder without any database file gets the default one; a configured file that is
    // missing while others exist is reported when the connection opens.
    if (DataFolderSetup::needsFirstRun(context.folders))
        DataFolderSetup::createDefaultContent(context.folders, context.settings->databaseFile());
    openConfiguredDatabase(context);
}

void openConfiguredDatabase(AppContext &context)
{
    context.database->close();
    context.database->open(context.folders.dataFolder + context.settings->databaseFile());
}
