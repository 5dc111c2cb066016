#pragma once

#include <QList>
#include <QPoint>
#include <QString>
#include <QStringList>

struct AppFolders;
class TDM;

// What the class document register decides without a window: the blank documents and the templates it
// offers, new documents made from them, which documents open in the sociogram window and when a press on
// the register's grid becomes a drag.
namespace ClassDocuments {

// One of the blank documents of the data folder ("Nový prázdný txt", "… Word", "… Excel").
struct BlankDocument {
    QString source;     // file in the data folder
    QString storedName; // name the copy takes after its number
    QString caption;    // menu item
    QString objectName; // of the menu item
};
// The three blank documents: text, Word, Excel.
const QList<BlankDocument> &blankDocuments();

// Full paths of the files in the templates folder ("Sablony/"), in the order of their names.
QStringList templateFiles(const AppFolders &folders);

// A new document of the current class from a template or a blank document: asks for its title ("-" when
// none is given), copies the source as "<number>_<name>" into the class's folder, registers it and reads
// the register again. The new row's ID, or 0 when there is no class or nothing could be stored (the
// reason shown).
qint64 newDocument(TDM &dm, const QString &source, const QString &name);

// Documents that belong in the program's sociogram window: the extension ".sgp", exactly so.
bool isSociogramFile(const QString &path);

// Distance the mouse must move with the button held before a document is dragged out of the register.
constexpr int kDragDistance = 50;
// True once the mouse has moved kDragDistance pixels or more across or down from where it was pressed.
bool dragStarts(const QPoint &pressed, const QPoint &now);

// The refusal of the commands that need a class when the register of classes is empty.
QString noClassMessage();

} // namespace ClassDocuments
