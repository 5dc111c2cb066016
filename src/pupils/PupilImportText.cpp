#include "pupils/PupilImportText.h"

#include "data/PupilKinds.h"

#include <QRegularExpression>

namespace {

// Text before the first blank and text after it; the whole text and nothing when the text has no blank
// or starts with one.
std::pair<QString, QString> splitAtBlank(const QString &text) {
    const qsizetype blank = text.indexOf(u' ');
    if (blank < 1)
        return {text, QString()};
    return {text.left(blank), text.mid(blank + 1)};
}

} // namespace

QString PupilImportText::instruction() {
    return QStringLiteral(
        "Vložte do editoru seznam žáků. Na jednom řádku bude jeden žák ve formátu \"jméno mezera příjmení "
        "mezera muž "
        "či žena\". Uvádět příjmení a pohlaví je volitelné. Pokud pohlaví neuvedete, nastaví se \"muž\". "
        "Chcete-li "
        "zadat pohlaví, ale ne přííjmení, bude vypadat řádek takto: \"jméno mezera pomlčka mezera pohlaví\"");
}

QStringList PupilImportText::exampleLines() {
    return {QStringLiteral("Petr S. muž"), QStringLiteral("Anetka M. žena"), QStringLiteral("Aleš - muž")};
}

PupilImportText::Pupil PupilImportText::splitLine(const QString &line) {
    Pupil pupil;
    QString rest;
    std::tie(pupil.jmeno, rest) = splitAtBlank(line);
    std::tie(pupil.prijmeni, pupil.pohlavi) = splitAtBlank(rest);
    if (pupil.prijmeni.isNull())
        pupil.prijmeni = QString::fromLatin1(""); // stored as an empty surname, not as a missing one
    if (pupil.pohlavi.isEmpty())
        pupil.pohlavi = PupilKinds::boy();
    return pupil;
}

QList<PupilImportText::Pupil> PupilImportText::parse(const QString &text) {
    static const QRegularExpression lineEnd(QStringLiteral("\r\n|\r|\n"));
    QList<Pupil> pupils;
    for (const QString &line : text.split(lineEnd)) {
        if (line.trimmed().isEmpty())
            continue;
        pupils.append(splitLine(line));
    }
    return pupils;
}
