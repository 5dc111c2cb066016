#pragma once

#include <QString>

class QPrintPreviewDialog;
class QWidget;
struct AppContext;

// The session window's commands for the pupils' codes ("Kódy pro žáky", "Vygenerovat nové kódy"). They
// ask and tell through the Prompter; what they make comes from the core (CodeSlips, PupilCodes).
namespace CodeSlipsActions {

// "Kódy pro žáky": asks whether to save the slips (Word or PDF) or to print them, then does it.
void offer(AppContext &context, QWidget *parent, qint64 sessionId, const QString &sessionName);
// Saves the slips where the save dialog says: ".pdf" as a PDF, otherwise a .docx. The path written;
// empty when cancelled or when it failed (the reason is shown).
QString save(AppContext &context, qint64 sessionId);
// The print preview of the slips on the application's printer, window-modal over `parent` and not
// waiting for it; its print button prints them. Nullptr when the slips cannot be made (the reason is
// shown).
QPrintPreviewDialog *preview(AppContext &context, QWidget *parent, qint64 sessionId);
// "Vygenerovat nové kódy": asks first, naming the session; then every pupil gets a new code. True when
// the codes were made anew.
bool regenerate(AppContext &context, qint64 sessionId, const QString &sessionName);

} // namespace CodeSlipsActions
