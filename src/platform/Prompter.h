#pragma once

#include <QColor>
#include <QString>
#include <QStringList>
#include <optional>

// Everything the program asks of the user or tells the user goes through a Prompter, so that every
// rule that asks can run without a display (tests, the headless tool).
class Prompter
{
public:
    enum class Icon { None, Information, Warning, Error, Question };
    enum class Answer { Yes, No, Cancel };

    virtual ~Prompter() = default;

    // A message box with an OK button. An empty title means the application title.
    virtual void message(const QString &text, const QString &title = QString(), Icon icon = Icon::None) = 0;
    // A yes/no box; true for yes.
    virtual bool askYesNo(const QString &text, const QString &title, Icon icon = Icon::Question) = 0;
    // The second question after a "yes" to the first one (a deletion asked twice): it must not be answered
    // by the gesture that answered the first, so "Ne" is the default, clicks and keys that arrive within
    // kSecondQuestionGuardMs of its appearance are ignored, and its "Ano" is not where the first one's was.
    virtual bool askYesNoAgain(const QString &text, const QString &title) = 0;
    static constexpr int kSecondQuestionGuardMs = 400;
    // A box with "Ano", "Ne" and "Zrušit"; closing it counts as "Zrušit".
    virtual Answer askYesNoCancel(const QString &text, const QString &title) = 0;
    // A box with buttons of the given captions, left to right; the index of the one pressed, -1 when the box
    // was closed without a button.
    virtual int askChoice(const QString &text, const QString &title, const QStringList &buttons) = 0;
    // An input box; nullopt when cancelled.
    virtual std::optional<QString> inputText(const QString &title, const QString &label,
                                             const QString &initial = QString()) = 0;
    // File dialogs; filters in Qt form ("Obrázek (*.jpg)"). Empty result (list) when cancelled.
    virtual QString openFileName(const QString &title, const QString &filter, const QString &folder = QString()) = 0;
    virtual QStringList openFileNames(const QString &title, const QString &filter,
                                      const QString &folder = QString()) = 0;
    virtual QString saveFileName(const QString &title, const QString &filter, const QString &defaultSuffix,
                                 const QString &folder = QString()) = 0;
    // Colour dialog; nullopt when cancelled.
    virtual std::optional<QColor> chooseColor(const QColor &initial) = 0;
    // Printer set-up dialog for the application's printer; false when cancelled.
    virtual bool setupPrinter() = 0;
};
