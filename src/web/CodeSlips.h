#pragma once

#include "web/PupilCodes.h"

#include <QList>
#include <QString>

class Database;
class QPagedPaintDevice;
struct PagedDocument;

// "Kódy pro žáky": the slips a teacher cuts apart and hands out, one per pupil who gets a web form:
// the pupil's name, the class, the address where the forms are entered and the pupil's code, and, when
// there is an address, a QR code of the entry link, which a phone's camera opens with the code filled in.
struct CodeSlipSheet {
    qint64 sessionId = 0;
    QString className; // "ZŠ Lipová, 5.A"
    // Where the pupils open the forms (the web address of the settings + "<session>/"); empty when the
    // settings give none.
    QString entryAddress;
    QList<PupilCode> codes;

    // The address as a slip shows it: "adresu dostanete od učitele" when there is none.
    QString shownAddress() const;
    // What the slip's QR code opens: the entry page with the code in the fragment
    // ("…/5/index.php#kod=K7QM-D2XA"), which browsers never send to the server; empty without an address.
    QString entryLink(const PupilCode &code) const;
    int pageCount() const;
};

namespace CodeSlips {

// Slips on one A4 page, in the .docx and in the PDF and print alike.
constexpr int kSlipsPerPage = 6;

// The address of the session's entry page under the public web address of the settings ("stranky"):
// "http://www.skola.cz/dotazniky/" gives "http://www.skola.cz/dotazniky/5/". Empty when the settings give
// no address with a host (the default "http://" included).
QString entryAddress(const QString &siteAddress, qint64 sessionId);

// The slips of a session, with its codes as PupilCodes::ensure() keeps them (codes are made for those
// who have none yet). Raises DatabaseError (also when the session does not exist or has no
// questionnaire).
CodeSlipSheet read(Database &db, qint64 sessionId, const QString &siteAddress);

// Paints the slips on a paged device (a PDF writer, a printer), kSlipsPerPage to a page, within the
// device's page area: dashed cut lines above and below every slip. False with a Czech reason when the
// device refuses to paint or there is no slip.
bool paint(const CodeSlipSheet &sheet, QPagedPaintDevice &device, QString *error = nullptr);

// The slips' pages for the printer, its preview and the PDF (A4, margins of 12 mm).
PagedDocument pages(const CodeSlipSheet &sheet);
// The slips as a PDF (A4, vector, fonts embedded), written whole or not at all.
bool savePdf(const CodeSlipSheet &sheet, const QString &path, QString *error = nullptr);
// The slips as a word-processor document (.docx), the same pages as the PDF.
bool saveDocx(const CodeSlipSheet &sheet, const QString &path, QString *error = nullptr);
// By the file's extension: ".pdf" a PDF, anything else a .docx (".docx" added when the name has
// neither). Returns the path written (empty with *error on failure).
QString save(const CodeSlipSheet &sheet, const QString &path, QString *error = nullptr);

} // namespace CodeSlips
