#pragma once

#include <QStringList>
#include <optional>

class Prompter;
class QTextStream;
class ScriptedPrompter;

// What the rules told the user in message boxes during a command, printed on err when it fails.
class PromptLog {
public:
    explicit PromptLog(Prompter &prompter);
    // The messages shown since the log was made (or last printed).
    void printTo(QTextStream &err);

private:
    ScriptedPrompter *m_prompter;
    qsizetype m_seen = 0;
};

// Takes "--name VALUE" or "--name=VALUE" out of the words; nullopt when absent, an empty value when the
// value is missing.
std::optional<QString> takeOption(QStringList &words, const QString &name);

// "--name ID" taken out of the words; nullopt when absent or not a number.
std::optional<qint64> takeIdOption(QStringList &words, const QString &name);

// Whether the flag is among the words; it is taken out.
bool takeFlag(QStringList &words, const QString &flag);
