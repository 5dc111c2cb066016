#include "platform/Settings.h"

#include <QFile>
#include <stdexcept>

Settings::Settings(const AppFolders &folders)
    : m_data(folders.dataSettingsPath()), m_program(folders.programSettingsPath())
{
}

QString Settings::databaseFile() const
{
    const QString name = m_data.readString(QStringLiteral("databaze"), QStringLiteral("soubor"));
    return name.isEmpty() ? QStringLiteral("skola.mdb") : name;
}

bool Settings::setDatabaseFile(const QString &fileName, QString *error)
{
    return m_data.writeString(QStringLiteral("databaze"), QStringLiteral("soubor"), fileName, error);
}

bool Settings::expert() const { return m_data.readBool(QStringLiteral("nastaveni"), QStringLiteral("expert")); }

bool Settings::setExpert(bool value, QString *error)
{
    return m_data.writeBool(QStringLiteral("nastaveni"), QStringLiteral("expert"), value, error);
}

QString readVersionText(const QString &resourceFolder)
{
    QFile file(resourceFolder + QStringLiteral("orbelis.txt"));
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error(
            QStringLiteral("Soubor s verzí programu \"%1\" nelze přečíst.").arg(file.fileName()).toStdString());
    QString line = QString::fromUtf8(file.readLine()).trimmed();
    if (line.startsWith(QChar(0xFEFF)))
        line.remove(0, 1);
    const qsizetype dot = line.indexOf(u'.');
    if (dot >= 0)
        line.remove(dot, 1);
    return QStringLiteral("Verze programu: ") + line;
}
