#pragma once

#include <QLocale>

class QCoreApplication;

// Loads Qt's own translations (standard buttons, file dialogs, context menus) for the locale, falling back
// to Czech when the locale's language is not Czech or its files are missing: the program speaks Czech.
// The locale chosen becomes the default one (dates, numbers and file kinds in the dialogs). Returns false
// when not even the Czech files were found (Qt's texts then stay English).
bool installQtTranslations(QCoreApplication &application, const QLocale &locale = QLocale::system());
