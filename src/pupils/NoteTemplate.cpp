#include "pupils/NoteTemplate.h"

#include <QTextCursor>
#include <QTextDocument>

namespace NoteTemplate {

bool isFormatted(const QString &note) {
    return Qt::mightBeRichText(note);
}

QString prepend(const QString &templateText, const QString &previousNote) {
    if (!isFormatted(previousNote))
        return templateText + QStringLiteral("\r\n") + previousNote;
    QTextDocument document;
    document.setHtml(previousNote);
    QTextCursor cursor(&document);
    cursor.movePosition(QTextCursor::Start);
    // The template's own line breaks become paragraphs; its text is not formatted.
    const QString text = QString(templateText).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    cursor.insertText(text + u'\n', QTextCharFormat());
    return document.toHtml();
}

} // namespace NoteTemplate
