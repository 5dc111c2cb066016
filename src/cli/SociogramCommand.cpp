#include "cli/SociogramCommand.h"

#include "cli/CliOptions.h"
#include "data/DataModule.h"
#include "data/Database.h"
#include "graph/GraphDocument.h"
#include "graph/GraphExport.h"
#include "graphics/SociogramBuilder.h"

#include <QFileInfo>
#include <QGuiApplication>

namespace {

const char kUsage[] =
    "Použití: orbelis-cli sociogram --session ID --question ID [--negative] [--coefficient 2..8] "
    "--out SOUBOR.sgp|png|jpg|svg|emf\n";

} // namespace

int runSociogramCommand(const QStringList &args, TDM &dm, QTextStream &out, QTextStream &err) {
    QStringList words = args;
    const std::optional<qint64> sessionId = takeIdOption(words, QStringLiteral("--session"));
    const std::optional<qint64> questionId = takeIdOption(words, QStringLiteral("--question"));
    const std::optional<QString> file = takeOption(words, QStringLiteral("--out"));
    const std::optional<QString> coefficientText = takeOption(words, QStringLiteral("--coefficient"));
    const bool negative = takeFlag(words, QStringLiteral("--negative"));
    int coefficient = SociogramArrangement::SixthOfBubbles;
    if (coefficientText) {
        bool ok = false;
        coefficient = coefficientText->toInt(&ok);
        if (!ok || coefficient < 2 || coefficient > 8) {
            err << QStringLiteral("Koeficient musí být číslo od 2 do 8.\n");
            return 2;
        }
    }
    if (!sessionId || !questionId || !file || file->isEmpty() || !words.isEmpty()) {
        err << kUsage;
        return 2;
    }
    static const QStringList kinds = {QStringLiteral("sgp"), QStringLiteral("png"), QStringLiteral("jpg"),
                                      QStringLiteral("svg"), QStringLiteral("emf")};
    if (!kinds.contains(QFileInfo(*file).suffix().toLower())) {
        err << QStringLiteral("Neznámý typ výstupu \"%1\": použijte .sgp, .png, .jpg, .svg nebo .emf.\n")
                   .arg(*file);
        return 2;
    }
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        err << QStringLiteral("Příkaz sociogram potřebuje grafickou aplikaci (písma).\n");
        return 1;
    }

    // The class of the session becomes the current class, as in the main window before it opens the
    // sociogram window; then the session and the question are picked as in the window's two menus.
    const QVariant classId =
        dm.database().scalar(QStringLiteral("SELECT id_tridy FROM vyhodnoceni WHERE ID = :s"),
                             {{QStringLiteral("s"), *sessionId}});
    Dataset &classes = dm.Trida_Query();
    if (classId.isNull() || !dm.RefreshDataset(classes) || !classes.locate(QStringLiteral("ID"), classId)) {
        err << QStringLiteral("Vyhodnocení s ID %1 neexistuje.\n").arg(*sessionId);
        return 1;
    }
    dm.Vyhodnoceni_Query().setParameter(QStringLiteral("par_id_tridy"), classId);
    if (!dm.RefreshDataset(dm.Vyhodnoceni_Query()))
        return 1;
    SociogramBuilder builder(dm);
    const QString questionValue = QString::number(*questionId) + (negative ? QStringLiteral("_") : QString());
    bool offered = false;
    for (const SociogramMenuItem &item : builder.questionItems(*sessionId))
        offered = offered || item.value == questionValue;
    if (!offered) {
        err << (negative ? QStringLiteral("Otázka %1 nepatří do dotazníku vyhodnocení %2 nebo nemá negativní "
                                          "znění.\n")
                         : QStringLiteral("Otázka %1 nepatří do dotazníku vyhodnocení %2.\n"))
                   .arg(*questionId)
                   .arg(*sessionId);
        return 1;
    }
    builder.arrangement().setChoice(coefficient);
    GraphDocument document;
    if (!builder.build(document, QString::number(*sessionId), questionValue)) {
        err << QStringLiteral("Sociogram se nepodařilo sestavit.\n");
        return 1;
    }
    QString error;
    if (!GraphExport::SaveToFile(document, *file, &error)) {
        err << error << '\n';
        return 1;
    }
    out << QStringLiteral("Zapsáno: %1\n").arg(*file);
    return 0;
}
