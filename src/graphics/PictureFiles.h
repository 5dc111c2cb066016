#pragma once

#include <QString>

class Prompter;
struct AppFolders;

// The picture files the graphics windows write: "jpg" or "emf" by suffix.
namespace PictureFiles {

// Asks where to save a picture, proposing `name` made a safe file name + "." + suffix in the folder of the
// last picture saved (in this run), else in the user's pictures folder; empty when the user cancels.
QString ask(Prompter &prompter, const QString &suffix, const QString &name);
// `name` as a file name: characters no file name may hold (/ \ : * ? " < > | and control characters)
// become "_", leading and trailing blanks and dots go, and it is cut so that with ".suffix" it fits the
// 255 bytes a file name may have.
QString safeFileName(const QString &name, const QString &suffix);
// The data folder's temporary picture that is handed to the class documents.
QString forDocuments(const AppFolders &folders, const QString &suffix);

} // namespace PictureFiles
