#include "questionnaires/EvaluationCommand.h"

#include "automation/ShowDocument.h"
#include "automation/WordProcessor.h"
#include "data/AppContext.h"
#include "data/DataModule.h"
#include "platform/Prompter.h"
#include "questionnaires/EditorForm.h"
#include "questionnaires/TextualEvaluation.h"

#include <QTextEdit>

void runTextualEvaluation(AppContext &context, TEditor_Form &editor) {
    Prompter &prompter = *context.prompter;
    EvaluationOptions options;
    options.zeros = prompter.askYesNo(QStringLiteral("Přejete si do vyhodnocení zahrnouti nulové odpovědi?"),
                                      QStringLiteral("Nulové odpovědi"), Prompter::Icon::Question);
    options.names = prompter.askYesNo(QStringLiteral("Přejete si do vyhodnocení uvést jména žáků, kteří odpovídali?"),
                                      QStringLiteral("Jména respondentů"), Prompter::Icon::Question);
    const std::optional<QList<StyledLine>> lines = evaluateCurrentSession(*context.dm, options);
    if (!lines)
        return;
    editor.showLines(*lines);

    const int choice = prompter.askChoice(QStringLiteral("Co s textovým vyhodnocením provedeme"),
                                          QStringLiteral("Vyhodnocení"),
                                          {QStringLiteral("Zobrazit v MS Word"), QStringLiteral("Uložit MS Word do listin"),
                                           QStringLiteral("Nic dalšího")});
    if (choice != 0 && choice != 1)
        return;
    WordProcessor word;
    formatEvaluationReport(word, *editor.richEdit()->document());
    QString error;
    if (choice == 0) {
        if (!showDocument(word, *context.shell, &error))
            prompter.message(error, QString(), Prompter::Icon::Error);
        return;
    }
    // The document goes through the class documents' own insertion, which asks for its title.
    const QString file = context.folders.dataFolder + QStringLiteral("temp_file.docx");
    if (!word.saveAs(file, &error)) {
        prompter.message(error, QString(), Prompter::Icon::Error);
        return;
    }
    context.dm->addClassDocument(file, QString());
}
