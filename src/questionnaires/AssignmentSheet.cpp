#include "questionnaires/AssignmentSheet.h"

#include "automation/WordProcessor.h"

#include <QTextDocument>

void formatTitledText(WordProcessor &word, const QTextDocument &text, qreal bodyPoints) {
    constexpr qreal indent = 148.8375;
    word.pasteRichText(text);
    word.wholeStory();
    word.addTabStop(indent);
    word.setLeftIndent(indent);
    word.setSpaceBeforeAuto(false);
    word.setSpaceAfterAuto(false);
    word.setFirstLineIndent(-indent);
    word.wholeStory();
    word.setFontSize(bodyPoints);
    word.setFontName(QStringLiteral("Cambria"));
    word.homeKey();
    word.moveDown(3, true);
    word.setFontSize(14);
    word.setAlignment(WordProcessor::Alignment::Center);
    word.moveDown(1, false);
}

void formatAssignmentSheet(WordProcessor &word, const QTextDocument &sheet) {
    formatTitledText(word, sheet, 12);
    word.homeKey();
}
