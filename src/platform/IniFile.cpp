#include "platform/IniFile.h"

#include "files/FileWriter.h"

#include <QFile>

namespace {

QString sectionOf(const QString &line)
{
    const QString trimmed = line.trimmed();
    if (trimmed.startsWith(u'[') && trimmed.endsWith(u']'))
        return trimmed.mid(1, trimmed.size() - 2).trimmed();
    return QString();
}

// Splits "key=value"; false for lines that are no assignment.
bool splitAssignment(const QString &line, QString *key, QString *value)
{
    const qsizetype eq = line.indexOf(u'=');
    if (eq <= 0 || line.trimmed().startsWith(u';'))
        return false;
    *key = line.left(eq).trimmed();
    *value = line.mid(eq + 1).trimmed();
    return true;
}

} // namespace

IniFile::IniFile(const QString &path) : m_path(path) {}

QStringList IniFile::readLines() const
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QString text = QString::fromUtf8(file.readAll());
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QStringList lines = text.split(u'\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

QString IniFile::readString(const QString &section, const QString &key, const QString &defaultValue) const
{
    QString current;
    for (const QString &line : readLines()) {
        const QString name = sectionOf(line);
        if (!name.isEmpty()) {
            current = name;
            continue;
        }
        QString k, v;
        if (current.compare(section, Qt::CaseInsensitive) == 0 && splitAssignment(line, &k, &v) &&
            k.compare(key, Qt::CaseInsensitive) == 0)
            return v;
    }
    return defaultValue;
}

bool IniFile::readBool(const QString &section, const QString &key, bool defaultValue) const
{
    bool ok = false;
    const int value = readString(section, key).toInt(&ok);
    return ok ? value != 0 : defaultValue;
}

bool IniFile::writeString(const QString &section, const QString &key, const QString &value, QString *error)
{
    QStringList lines = readLines();
    const QString assignment = key + u'=' + QString(value).remove(u'\n').remove(u'\r');
    QString current;
    qsizetype sectionEnd = -1; // index after the last line of the wanted section
    bool written = false;
    for (qsizetype i = 0; i < lines.size() && !written; ++i) {
        const QString name = sectionOf(lines[i]);
        if (!name.isEmpty()) {
            current = name;
            continue;
        }
        if (current.compare(section, Qt::CaseInsensitive) != 0)
            continue;
        if (!lines[i].trimmed().isEmpty())
            sectionEnd = i + 1;
        QString k, v;
        if (splitAssignment(lines[i], &k, &v) && k.compare(key, Qt::CaseInsensitive) == 0) {
            lines[i] = assignment;
            written = true;
        }
    }
    if (!written) {
        if (sectionEnd < 0) {
            // The section header may exist without keys.
            for (qsizetype i = 0; i < lines.size(); ++i)
                if (sectionOf(lines[i]).compare(section, Qt::CaseInsensitive) == 0)
                    sectionEnd = i + 1;
        }
        if (sectionEnd < 0) {
            if (!lines.isEmpty() && !lines.last().trimmed().isEmpty())
                lines << QString();
            lines << u'[' + section + u']' << assignment;
        } else {
            lines.insert(sectionEnd, assignment);
        }
    }
    const auto access = m_ownerOnly ? FileWriter::Access::OwnerOnly : FileWriter::Access::AsBefore;
    return FileWriter::writeWhole(m_path, (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8(),
                                  error, access);
}

bool IniFile::writeBool(const QString &section, const QString &key, bool value, QString *error)
{
    return writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"), error);
}
