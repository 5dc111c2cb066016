#pragma once

#include <QStandardPaths>
#include <QString>

class Prompter;
struct AppFolders;

// The picture files the graphics windows write: "jpg", "emf" or "pdf" by suffix.
namespace PictureFiles {

// Asks where to save a picture, proposing `name` made a safe file name + "." + suffix in the folder of the
// last picture saved (in this run), else in the user's pictures folder; empty when the user cancels.
QString ask(Prompter &prompter, const QString &suffix, const QString &name);
// The same for any output of the graphics and analysis windows: the dialog's title and filter, the suffix
// proposed, and the folder proposed before anything was saved; the folder remembered is the same one.
QString askFile(Prompter &prompter, const QString &title, const QString &filter, const QString &suffix,
                const QString &name, QStandardPaths::StandardLocation fallback);
// `name` as a file name: characters no file name may hold (/ \ : * ? " < > | and control characters)
// become "_", leading and trailing blanks and dots go, and it is cut so that with ".suffix" it fits the
// 255 bytes a file name may have.
QString safeFileName(const QString &name, const QString &suffix);
// The data folder's temporary picture that is handed to the class documents.
QString forDocuments(const AppFolders &folders, const QString &suffix);

} // namespace PictureFiles
