#include "cli/CliOptions.h"

#include "support/ScriptedPrompter.h"

#include <QTextStream>

std::optional<QString> takeOption(QStringList &words, const QString &name) {
    for (qsizetype i = 0; i < words.size(); ++i) {
        if (words[i] == name) {
            const QString value = i + 1 < words.size() ? words[i + 1] : QString();
            words.remove(i, i + 1 < words.size() ? 2 : 1);
            return value;
        }
        if (words[i].startsWith(name + u'=')) {
            const QString value = words[i].mid(name.size() + 1);
            words.remove(i);
            return value;
        }
    }
    return std::nullopt;
}

std::optional<qint64> takeIdOption(QStringList &words, const QString &name) {
    const std::optional<QString> text = takeOption(words, name);
    bool ok = false;
    const qint64 id = text ? text->toLongLong(&ok) : 0;
    return ok ? std::optional<qint64>(id) : std::nullopt;
}

bool takeFlag(QStringList &words, const QString &flag) {
    return words.removeAll(flag) > 0;
}

PromptLog::PromptLog(Prompter &prompter) : m_prompter(dynamic_cast<ScriptedPrompter *>(&prompter)) {
    m_seen = m_prompter ? m_prompter->messages().size() : 0;
}

void PromptLog::printTo(QTextStream &err) {
    if (!m_prompter)
        return;
    const QStringList messages = m_prompter->messages();
    for (qsizetype i = m_seen; i < messages.size(); ++i)
        err << QString(messages[i]).replace(QStringLiteral("\r\n"), QStringLiteral("\n")).trimmed() << '\n';
    m_seen = messages.size();
}
