#include "cli/CodesCommand.h"

#include "cli/CliOptions.h"
#include "data/Database.h"
#include "files/CsvCell.h"
#include "platform/AppFolders.h"
#include "platform/IniFile.h"
#include "web/CodeSlips.h"
#include "web/FtpSettings.h"
#include "web/PupilCodes.h"

namespace {

const char kCodesUsage[] = "Použití: orbelis-cli codes --session ID [--new] [--out SOUBOR.docx|SOUBOR.pdf]\n";

} // namespace

int runCodesCommand(const QStringList &args, Database &db, const AppFolders &folders, QTextStream &out,
                    QTextStream &err) {
    QStringList words = args;
    const std::optional<qint64> session = takeIdOption(words, QStringLiteral("--session"));
    const std::optional<QString> file = takeOption(words, QStringLiteral("--out"));
    const bool renew = takeFlag(words, QStringLiteral("--new"));
    if (!session || (file && file->isEmpty()) || !words.isEmpty()) {
        err << kCodesUsage;
        return 2;
    }
    try {
        const QList<PupilCode> codes =
            renew ? PupilCodes::regenerate(db, *session) : PupilCodes::ensure(db, *session);
        if (!file) {
            // The list reads as a ";" separated table: a name is written as CsvCell writes a cell.
            for (const PupilCode &code : codes)
                out << code.pupilId << ';' << CsvCell::of(code.name, u';') << ';' << code.code << '\n';
            return 0;
        }
        const FtpSettings settings = FtpSettings::load(IniFile(folders.programSettingsPath()));
        const CodeSlipSheet sheet = CodeSlips::read(db, *session, settings.address);
        QString error;
        const QString written = CodeSlips::save(sheet, *file, &error);
        if (written.isEmpty()) {
            err << error << '\n';
            return 1;
        }
        out << QStringLiteral("Kódy pro žáky (%1, stran %2) uloženy do %3.\n")
                   .arg(sheet.codes.size())
                   .arg(sheet.pageCount())
                   .arg(written);
        return 0;
    } catch (const DatabaseError &e) {
        err << e.message() << '\n';
        return 1;
    }
}
