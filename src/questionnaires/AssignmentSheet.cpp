#include "questionnaires/AssignmentSheet.h"

#include "automation/WordProcessor.h"

#include <QTextDocument>

void formatAssignmentSheet(WordProcessor &word, const QTextDocument &sheet) {
    constexpr qreal indent = 148.8375;
    word.pasteRichText(sheet);
    word.wholeStory();
    word.addTabStop(indent);
    word.setLeftIndent(indent);
    word.setSpaceBeforeAuto(false);
    word.setSpaceAfterAuto(false);
    word.setFirstLineIndent(-indent);
    word.wholeStory();
    word.setFontSize(12);
    word.setFontName(QStringLiteral("Cambria"));
    word.homeKey();
    word.moveDown(3, true);
    word.setFontSize(14);
    word.setAlignment(WordProcessor::Alignment::Center);
    word.moveDown(1, false);
    word.homeKey();
}
