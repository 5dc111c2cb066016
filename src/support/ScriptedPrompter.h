#pragma once

#include "platform/Prompter.h"

#include <QList>
#include <QVariant>

// A Prompter for tests and batch work: answers come from a script, every prompt is recorded.
// A prompt with no scripted answer left gets the fallback answer (no / cancel unless set otherwise).
class ScriptedPrompter final : public Prompter
{
public:
    struct Prompt {
        QString kind; // "message", "yesno", "yesnoAgain", "yesnocancel", "choice", "input", "open", "openMany", "save", "color", "printer"
        QString title;
        QString text;
        Icon icon = Icon::None;
        QString folder; // the folder or file a file dialog was opened at
    };

    // Queue answers, consumed in order by the prompts that take an answer.
    ScriptedPrompter &answer(const QVariant &value);
    ScriptedPrompter &yes() { return answer(true); }
    ScriptedPrompter &no() { return answer(false); }
    // A "yes" given by the same gesture as the answer before it (the second click of a double-click, Enter
    // pressed twice): an ordinary question takes it, a second question (`askYesNoAgain`) ignores it.
    ScriptedPrompter &hastyYes();
    // Answer given when the script is exhausted (default: an invalid QVariant = no / cancel).
    void setFallback(const QVariant &value) { m_fallback = value; }

    const QList<Prompt> &prompts() const { return m_prompts; }
    QStringList messages() const;      // texts of the message boxes shown
    QStringList questions() const;     // texts of the yes/no boxes shown (second questions included)
    int pendingAnswers() const { return int(m_answers.size()); }
    void clear();

    void message(const QString &text, const QString &title, Icon icon) override;
    bool askYesNo(const QString &text, const QString &title, Icon icon) override;
    // Skips hasty answers; no answer left gives the fallback.
    bool askYesNoAgain(const QString &text, const QString &title) override;
    // Answered by true (yes), false (no) or anything else (cancel).
    Answer askYesNoCancel(const QString &text, const QString &title) override;
    // Answered by the index of a button (an int); anything else closes the box (-1).
    int askChoice(const QString &text, const QString &title, const QStringList &buttons) override;
    std::optional<QString> inputText(const QString &title, const QString &label, const QString &initial) override;
    QString openFileName(const QString &title, const QString &filter, const QString &folder) override;
    QStringList openFileNames(const QString &title, const QString &filter, const QString &folder) override;
    QString saveFileName(const QString &title, const QString &filter, const QString &defaultSuffix,
                         const QString &folder) override;
    std::optional<QColor> chooseColor(const QColor &initial) override;
    bool setupPrinter() override;

private:
    QVariant take(const QString &kind, const QString &title, const QString &text, Icon icon = Icon::None);

    struct Scripted {
        QVariant value;
        bool hasty = false;
    };
    QList<Scripted> m_answers;
    QVariant m_fallback;
    QList<Prompt> m_prompts;
};
