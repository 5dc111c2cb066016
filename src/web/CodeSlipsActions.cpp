#include "web/CodeSlipsActions.h"

#include "data/AppContext.h"
#include "data/Database.h"
#include "graphics/PrintPreview.h"
#include "picture/PagedDocument.h"
#include "platform/IniFile.h"
#include "platform/Prompter.h"
#include "web/CodeSlips.h"
#include "web/FtpSettings.h"
#include "web/PupilCodes.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <optional>

namespace {

const QString kTitle = QStringLiteral("Kódy pro žáky");

std::optional<CodeSlipSheet> readSheet(AppContext &context, qint64 sessionId) {
    try {
        const FtpSettings settings = FtpSettings::load(IniFile(context.folders.programSettingsPath()));
        CodeSlipSheet sheet = CodeSlips::read(*context.database, sessionId, settings.address);
        if (sheet.codes.isEmpty()) {
            context.prompter->message(
                QStringLiteral("Ve třídě vyhodnocení nejsou žádní žáci, kódy pro žáky nejsou pro koho."), kTitle,
                Prompter::Icon::Information);
            return std::nullopt;
        }
        return sheet;
    } catch (const DatabaseError &error) {
        context.prompter->message(error.message(), kTitle, Prompter::Icon::Error);
        return std::nullopt;
    }
}

QString proposedPath(qint64 sessionId) {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QDir::homePath();
    return QDir(folder).filePath(QStringLiteral("Kódy pro žáky %1.docx").arg(sessionId));
}

} // namespace

namespace CodeSlipsActions {

void offer(AppContext &context, QWidget *parent, qint64 sessionId, const QString &sessionName) {
    const int choice = context.prompter->askChoice(
        QStringLiteral("Kódy pro žáky vyhodnocení „%1“: uložit lístky k rozstříhání do souboru (Word nebo "
                       "PDF), nebo je vytisknout?")
            .arg(sessionName),
        kTitle, {QStringLiteral("Uložit…"), QStringLiteral("Vytisknout…"), QStringLiteral("Zrušit")});
    if (choice == 0)
        save(context, sessionId);
    else if (choice == 1)
        preview(context, parent, sessionId);
}

QString save(AppContext &context, qint64 sessionId) {
    const QString path = context.prompter->saveFileName(
        kTitle, QStringLiteral("Dokument Word (*.docx);;Dokument PDF (*.pdf)"), QStringLiteral("docx"),
        proposedPath(sessionId));
    if (path.isEmpty())
        return QString();
    const std::optional<CodeSlipSheet> sheet = readSheet(context, sessionId);
    if (!sheet)
        return QString();
    QString error;
    const QString written = CodeSlips::save(*sheet, path, &error);
    if (written.isEmpty())
        context.prompter->message(error, kTitle, Prompter::Icon::Error);
    return written;
}

QPrintPreviewDialog *preview(AppContext &context, QWidget *parent, qint64 sessionId) {
    const std::optional<CodeSlipSheet> sheet = readSheet(context, sessionId);
    if (!sheet)
        return nullptr;
    return PrintPreview::open(*context.prompter, parent, CodeSlips::pages(*sheet),
                              QStringLiteral("KodyProZaky_Nahled"));
}

bool regenerate(AppContext &context, qint64 sessionId, const QString &sessionName) {
    if (!context.prompter->askYesNo(
            QStringLiteral("Vygenerovat nové kódy pro žáky vyhodnocení „%1“?\r\n\r\nKaždý žák dostane nový kód. "
                           "Dosavadní kódy přestanou platit, jakmile formuláře znovu vygenerujete a odešlete na "
                           "server; lístky se starými kódy pak žákům nebudou k ničemu.")
                .arg(sessionName),
            QStringLiteral("Vygenerovat nové kódy"), Prompter::Icon::Warning))
        return false;
    try {
        const QList<PupilCode> codes = PupilCodes::regenerate(*context.database, sessionId);
        context.prompter->message(
            QStringLiteral("Nové kódy jsou vytvořené (počet žáků: %1). Vygenerujte formuláře znovu, odešlete je "
                           "na server a rozdejte žákům nové lístky (Kódy pro žáky).")
                .arg(codes.size()),
            QStringLiteral("Vygenerovat nové kódy"), Prompter::Icon::Information);
        return true;
    } catch (const DatabaseError &error) {
        context.prompter->message(error.message(), QStringLiteral("Vygenerovat nové kódy"), Prompter::Icon::Error);
        return false;
    }
}

} // namespace CodeSlipsActions
