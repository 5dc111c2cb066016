#pragma once

#include <QString>

class Prompter;
struct AppFolders;

// The picture files the graphics windows write: "jpg" or "emf" by suffix.
namespace PictureFiles {

// Asks where to save a picture, proposing `name` + "." + suffix; empty when the user cancels.
QString ask(Prompter &prompter, const QString &suffix, const QString &name);
// The data folder's temporary picture that is handed to the class documents.
QString forDocuments(const AppFolders &folders, const QString &suffix);

} // namespace PictureFiles
