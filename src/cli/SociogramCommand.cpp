#include "cli/SociogramCommand.h"

#include "cli/CliOptions.h"
#include "data/DataModule.h"
#include "data/SessionOutput.h"
#include "graph/GraphDocument.h"
#include "graph/GraphExport.h"
#include "graphics/SociogramBuilder.h"
#include "graphics/SociogramKeptLayout.h"

#include <QFileInfo>
#include <QGuiApplication>

namespace {

const char kUsage[] =
    "Použití: orbelis-cli sociogram --session ID --question ID [--negative] [--coefficient 2..8] "
    "[--layout bands|target] [--status-colours] [--keep-layout-of ID [--show-lost-ties]] [--anonymous "
    "[--with-free-text]] "
    "--out SOUBOR.sgp|png|jpg|svg|emf|pdf\n";

} // namespace

int runSociogramCommand(const QStringList &args, TDM &dm, QTextStream &out, QTextStream &err) {
    QStringList words = args;
    const std::optional<qint64> sessionId = takeIdOption(words, QStringLiteral("--session"));
    const std::optional<qint64> questionId = takeIdOption(words, QStringLiteral("--question"));
    const std::optional<QString> file = takeOption(words, QStringLiteral("--out"));
    const std::optional<QString> coefficientText = takeOption(words, QStringLiteral("--coefficient"));
    const bool negative = takeFlag(words, QStringLiteral("--negative"));
    const bool statusColours = takeFlag(words, QStringLiteral("--status-colours"));
    const std::optional<QString> keptLayoutText = takeOption(words, QStringLiteral("--keep-layout-of"));
    std::optional<qint64> keptLayoutOf;
    if (keptLayoutText) {
        bool ok = false;
        keptLayoutOf = keptLayoutText->toLongLong(&ok);
        if (!ok) {
            err << kUsage;
            return 2;
        }
    }
    const bool lostTies = takeFlag(words, QStringLiteral("--show-lost-ties"));
    const std::optional<QString> layoutText = takeOption(words, QStringLiteral("--layout"));
    if (layoutText && *layoutText != QStringLiteral("bands") && *layoutText != QStringLiteral("target")) {
        err << QStringLiteral("Uspořádání musí být bands (pásy) nebo target (terč).\n");
        return 2;
    }
    int coefficient = SociogramArrangement::SixthOfBubbles;
    if (coefficientText) {
        bool ok = false;
        coefficient = coefficientText->toInt(&ok);
        if (!ok || coefficient < 2 || coefficient > 8) {
            err << QStringLiteral("Koeficient musí být číslo od 2 do 8.\n");
            return 2;
        }
    }
    if (!sessionId || !questionId || !file || file->isEmpty() || !words.isEmpty() ||
        (lostTies && !keptLayoutOf)) {
        err << kUsage;
        return 2;
    }
    static const QStringList kinds = {QStringLiteral("sgp"), QStringLiteral("png"), QStringLiteral("jpg"),
                                      QStringLiteral("svg"), QStringLiteral("emf"), QStringLiteral("pdf")};
    if (!kinds.contains(QFileInfo(*file).suffix().toLower())) {
        err << QStringLiteral(
                   "Neznámý typ výstupu \"%1\": použijte .sgp, .png, .jpg, .svg, .emf nebo .pdf.\n")
                   .arg(*file);
        return 2;
    }
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        err << QStringLiteral("Příkaz sociogram potřebuje grafickou aplikaci (písma).\n");
        return 1;
    }

    // The session is read by id; the question must be one the window's question menu would offer.
    QString reason;
    std::optional<SessionOutputData> session = readSession(dm.database(), *sessionId, &reason);
    if (!session) {
        err << reason << '\n';
        return 1;
    }
    SociogramQuestionKey key;
    key.questionId = *questionId;
    key.positive = !negative;
    key.valid = true;
    if (!SociogramBuilder::offers(*session, key)) {
        err << (negative ? QStringLiteral("Otázka %1 nepatří do dotazníku vyhodnocení %2 nebo nemá negativní "
                                          "znění.\n")
                         : QStringLiteral("Otázka %1 nepatří do dotazníku vyhodnocení %2.\n"))
                   .arg(*questionId)
                   .arg(*sessionId);
        return 1;
    }
    readSessionChoices(dm.database(), *session, key.questionId);
    // An earlier session that is unknown or of another class is refused; one without the question is said
    // and the sociogram built as usual.
    if (keptLayoutOf) {
        const QString refusal = SociogramKeptLayout::refusal(dm.database(), *session, *keptLayoutOf);
        if (!refusal.isEmpty()) {
            err << refusal << '\n';
            return 1;
        }
    }
    SociogramBuilder builder(dm);
    builder.arrangement().setChoice(coefficient);
    builder.setStatusColours(statusColours);
    builder.setKeptLayoutOf(keptLayoutOf);
    builder.setLostTiesShown(lostTies);
    builder.setLayout(layoutText == QStringLiteral("target") ? SociogramLayout::Target : SociogramLayout::Bands);
    GraphDocument document;
    if (!builder.build(document, *session, key)) {
        err << QStringLiteral("Sociogram se nepodařilo sestavit.\n");
        return 1;
    }
    if (!builder.keptLayoutNote().isEmpty())
        err << builder.keptLayoutNote() << '\n';
    QString error;
    if (!GraphExport::SaveToFile(document, *file, &error, QStringLiteral("Sociogram"))) {
        err << error << '\n';
        return 1;
    }
    out << QStringLiteral("Zapsáno: %1\n").arg(*file);
    return 0;
}
