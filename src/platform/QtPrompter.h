#pragma once

#include "platform/Prompter.h"

#include <QRect>

class QWidget;

// The Prompter of the desktop program: Qt's message boxes and standard dialogs.
class QtPrompter final : public Prompter
{
public:
    void message(const QString &text, const QString &title, Icon icon) override;
    bool askYesNo(const QString &text, const QString &title, Icon icon) override;
    bool askYesNoAgain(const QString &text, const QString &title) override;
    Answer askYesNoCancel(const QString &text, const QString &title) override;
    int askChoice(const QString &text, const QString &title, const QStringList &buttons) override;
    std::optional<QString> inputText(const QString &title, const QString &label, const QString &initial) override;
    QString openFileName(const QString &title, const QString &filter, const QString &folder) override;
    QStringList openFileNames(const QString &title, const QString &filter, const QString &folder) override;
    QString saveFileName(const QString &title, const QString &filter, const QString &defaultSuffix,
                         const QString &folder) override;
    std::optional<QColor> chooseColor(const QColor &initial) override;
    bool setupPrinter() override;

private:
    static QWidget *parentWindow();

    // Where the "Ano" of the last yes/no box stood on the screen.
    QRect m_lastYes;
};
