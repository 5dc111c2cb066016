#include "platform/Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

bool installQtTranslations(QCoreApplication &application, const QLocale &locale) {
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    const QLocale czech(QLocale::Czech, QLocale::CzechRepublic);
    const QLocale chosen = locale.language() == QLocale::Czech ? locale : czech;
    // Dates, numbers and the names of file types in Qt's dialogs follow the default locale.
    QLocale::setDefault(chosen);
    auto *translator = new QTranslator(&application);
    if (translator->load(chosen, QStringLiteral("qtbase"), QStringLiteral("_"), folder) ||
        translator->load(czech, QStringLiteral("qtbase"), QStringLiteral("_"), folder))
        return QCoreApplication::installTranslator(translator);
    delete translator;
    return false;
}
