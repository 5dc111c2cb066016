#include "cli/ArchiveCommand.h"

#include "app/DataFolderSetup.h"
#include "cli/CliOptions.h"
#include "data/Database.h"
#include "platform/AppFolders.h"
#include "platform/Settings.h"
#include "support/ArchiveGenerator.h"

namespace {

const char kUsage[] = "Použití: orbelis-cli demo [--archive [--classes 1..100]]\n";

} // namespace

int runArchiveCommand(const QStringList &args, const AppFolders &folders, QTextStream &out, QTextStream &err) {
    QStringList words = args;
    if (!takeFlag(words, QStringLiteral("--archive"))) {
        err << kUsage;
        return 2;
    }
    ArchiveSize size;
    if (const std::optional<QString> classes = takeOption(words, QStringLiteral("--classes"))) {
        bool number = false;
        size.classes = classes->toInt(&number);
        if (!number || size.classes < 1 || size.classes > ArchiveSize().classes) {
            err << kUsage;
            return 2;
        }
    }
    if (!words.isEmpty()) {
        err << kUsage;
        return 2;
    }

    const QString file = Settings(folders).databaseFile();
    DataFolderSetup::createDefaultContent(folders, file);
    Database db(QStringLiteral("orbelis-cli-archive"));
    db.open(folders.dataFolder + file);
    if (db.scalar(QStringLiteral("SELECT count(*) FROM trida")).toLongLong() > 0) {
        err << QStringLiteral("Databáze %1%2 už obsahuje třídy. Archiv školy se zapisuje jen do prázdné "
                              "databáze; zvolte jinou složku volbou --data.\n")
                   .arg(folders.dataFolder, file);
        return 1;
    }
    const ArchiveSummary s = generateArchive(db, size, [&err](int done, int classes) {
        err << QStringLiteral("\rArchiv školy: třída %1 ze %2").arg(done).arg(classes);
        if (done == classes)
            err << '\n';
        err.flush();
    });
    db.close();
    out << QStringLiteral("Archiv školy zapsán do %1%2:\n").arg(folders.dataFolder, file)
        << QStringLiteral("  tříd %1, žáků %2, dotazníků %3 (otázek %4)\n")
               .arg(s.classes)
               .arg(s.pupils)
               .arg(s.questionnaires)
               .arg(s.questions)
        << QStringLiteral("  vyhodnocení %1 s %2 odpověďmi\n").arg(s.sessions).arg(s.answers);
    return 0;
}
