#pragma once

#include <QString>
#include <QStringList>

class Shell;

// The folders of a run, each ending with a path separator: the program's folder and the data folder
// with its "Listiny/" (class documents) and "Sablony/" (document templates).
struct AppFolders {
    QString programFolder;
    QString dataFolder;

    QString listinyFolder() const { return dataFolder + QStringLiteral("Listiny/"); }
    QString sablonyFolder() const { return dataFolder + QStringLiteral("Sablony/"); }
    // The documents' folder of one class.
    QString classFolder(qint64 classId) const { return listinyFolder() + QString::number(classId) + u'/'; }
    QString dataSettingsPath() const { return dataFolder + QStringLiteral("nastaveni.ini"); }
    // The web-publishing settings: beside the program, unless the program is installed in a system folder
    // that its users cannot write to; then in the data folder's settings file.
    QString programSettingsPath() const;

    // The files shipped with the program (the version text): beside the program in a build
    // folder or a portable copy, "../share/orbelis/" from the program's folder when installed.
    QString resourceFolder() const;
    bool installed() const { return resourceFolder() != programFolder; }

    // Picks the data folder from the command line: "/portable" means the program's folder, "/files DIR"
    // names one; the first occurrence wins and "/files" wins over "/portable". A folder that does not
    // exist falls back to the default: the shell's per-user data folder + "Orbelis/". Raises
    // std::runtime_error when the shell knows no per-user data folder.
    static AppFolders resolve(const QStringList &arguments, const QString &programFolder, const Shell &shell);
    // The default data folder of a user.
    static QString defaultDataFolder(const Shell &shell);

    // Creates the data folder, "Listiny/" and "Sablony/" where missing; false when one cannot be made.
    bool createFolders(QString *error = nullptr) const;
};

// Adds the trailing separator a folder text must end with.
QString withTrailingSeparator(const QString &folder);
