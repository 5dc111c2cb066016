#include "questionnaires/EvaluationCommand.h"

#include "automation/ShowDocument.h"
#include "automation/WordProcessor.h"
#include "data/AnonymousCopy.h"
#include "data/AppContext.h"
#include "data/DataModule.h"
#include "data/Database.h"
#include "platform/Prompter.h"
#include "questionnaires/EditorForm.h"
#include "questionnaires/TextualEvaluation.h"

#include <QTextEdit>

void runTextualEvaluation(AppContext &context, TEditor_Form &editor, EvaluationPrivacy privacy) {
    Prompter &prompter = *context.prompter;
    EvaluationOptions options;
    options.zeros = prompter.askYesNo(QStringLiteral("Přejete si do vyhodnocení zahrnouti nulové odpovědi?"),
                                      QStringLiteral("Nulové odpovědi"), Prompter::Icon::Question);
    options.names = prompter.askYesNo(QStringLiteral("Přejete si do vyhodnocení uvést jména žáků, kteří odpovídali?"),
                                      QStringLiteral("Jména respondentů"), Prompter::Icon::Question);
    // The report is made from the ids of the current rows; with no session it is the class's header alone.
    QList<StyledLine> lines;
    const Dataset &sessions = context.dm->Vyhodnoceni_Query();
    try {
        Database &db = context.dm->database();
        if (sessions.isOpen() && sessions.currentRow() >= 0) {
            const qint64 session = sessions.value(QStringLiteral("ID")).toLongLong();
            AnonymousCopy::OutputDatabase source(db, {session}, privacy.anonymous, privacy.freeText);
            QString reason;
            const std::optional<QList<StyledLine>> report =
                evaluateSession(source.db(), session, options, &reason);
            if (!report) {
                prompter.message(reason, QString(), Prompter::Icon::Error);
                return;
            }
            lines = *report;
        } else {
            const QVariant classId = context.dm->currentClassId();
            AnonymousCopy::OutputDatabase source(db, AnonymousCopy::ofClass, classId.toLongLong(),
                                                 privacy.anonymous && !classId.isNull());
            lines = evaluateWithoutSession(source.db(), classId);
        }
    } catch (const DatabaseError &e) {
        prompter.message(QStringLiteral("Textové vyhodnocení se nepodařilo sestavit. ") + e.message(),
                         QString(), Prompter::Icon::Error);
        return;
    }
    editor.showLines(lines, formatEvaluationReport);

    const int choice = prompter.askChoice(QStringLiteral("Co s textovým vyhodnocením provedeme"),
                                          QStringLiteral("Vyhodnocení"),
                                          {QStringLiteral("Zobrazit v MS Word"), QStringLiteral("Uložit MS Word do listin"),
                                           QStringLiteral("Nic dalšího")});
    if (choice != 0 && choice != 1)
        return;
    WordProcessor word;
    editor.layOut(word);
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
