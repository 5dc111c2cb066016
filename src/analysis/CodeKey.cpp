#include "analysis/CodeKey.h"

#include "analysis/AnalysisTexts.h"
#include "analysis/OutputPieces.h"
#include "automation/WordModel.h"
#include "automation/WordProcessor.h"
#include "data/SessionOutput.h"
#include "files/FileWriter.h"

#include <QFileInfo>

using namespace OutputPieces;

namespace {

const QString kWarning =
    QStringLiteral("Klíč zůstává ve škole: neposílejte jej spolu s výstupy, které kódy obsahují.");

QStringList columns() {
    return {QStringLiteral("Kód"), QStringLiteral("Jméno a příjmení"), QStringLiteral("Typ")};
}

QList<QStringList> rows(const CodeKey &key) {
    QList<QStringList> rows;
    for (const Pseudonyms::KeyEntry &entry : key.entries)
        rows << QStringList{entry.code, entry.name, entry.kind};
    return rows;
}

QString html(const CodeKey &key) {
    QStringList out = htmlHead(key.heading.value(0));
    out << htmlHeading(key.heading) << element("p", kWarning, QStringLiteral("class=\"meta\""));
    out << QStringLiteral("<table>") << QStringLiteral("<tr>");
    for (const QString &column : columns())
        out << element("th", column);
    out << QStringLiteral("</tr>");
    for (const QStringList &row : rows(key)) {
        out << QStringLiteral("<tr>");
        for (const QString &cell : row)
            out << element("td", cell);
        out << QStringLiteral("</tr>");
    }
    out << QStringLiteral("</table>") << QStringLiteral("</body>") << QStringLiteral("</html>");
    return out.join(u'\n') + u'\n';
}

bool saveDocx(const CodeKey &key, const QString &path, QString *error) {
    WordProcessor word;
    word.setMargins(kPageMargin);
    WordBody body;
    body.title(key.heading);
    body.paragraph(wordParagraph(0, 6), {{kWarning, wordItalic(10)}});
    QList<WordTableRow> table;
    for (const QStringList &row : rows(key))
        table.append({row});
    wordTable(body, columns(), table, 0, wordmodel::textArea(word.document()).width(), PointMetrics());
    word.pasteRichText(body.document());
    return word.saveAs(path, error);
}

} // namespace

std::optional<CodeKey> CodeKey::read(Database &db, qint64 classId, QString *reason) {
    const std::optional<OutputClass> trida = readClassOutput(db, classId, reason);
    if (!trida)
        return std::nullopt;
    CodeKey key;
    key.heading << QStringLiteral("Klíč kódů – třída ") + trida->stupen
                << QStringLiteral("Škola: %1, třídní učitel: %2").arg(trida->skola, trida->tridniUcitel);
    key.entries = Pseudonyms::key(db, classId);
    return key;
}

QStringList CodeKey::suffixes() {
    return {QStringLiteral("csv"), QStringLiteral("docx"), QStringLiteral("pdf")};
}

QByteArray CodeKey::csv() const {
    return AnalysisTexts::csvTable(columns(), rows(*this));
}

PagedDocument CodeKey::pages() const {
    return PagedDocuments::html(heading.value(0), html(*this), QPageLayout::Portrait, {});
}

bool CodeKey::save(const QString &path, QString *error) const {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("csv"))
        return FileWriter::writeWhole(path, csv(), error);
    if (suffix == QLatin1String("docx"))
        return saveDocx(*this, path, error);
    if (suffix == QLatin1String("pdf"))
        return PagedDocuments::savePdf(pages(), path, error);
    if (error)
        *error = QStringLiteral("Neznámý typ klíče kódů „%1“: použijte .csv, .docx nebo .pdf.")
                     .arg(QFileInfo(path).fileName());
    return false;
}
