#include "cli/ChartCommand.h"

#include "automation/WordProcessor.h"
#include "chart/ChartMetafile.h"
#include "chart/ChartModel.h"
#include "cli/CliOptions.h"
#include "data/DataModule.h"
#include "data/Database.h"
#include "files/FileWriter.h"
#include "graphics/BarChartBuilder.h"
#include "graphics/BarChartWord.h"

#include <QFileInfo>
#include <QGuiApplication>

namespace {

const char kUsage[] =
    "Použití: orbelis-cli chart --session ID [--question ID] [--pupil ID] [--all-rows] [--mono] "
    "[--title TEXT] [--anonymous [--with-free-text]] [--out SOUBOR.png|jpg|svg|emf|pdf] [--points "
    "SOUBOR.csv] [--word SOUBOR.docx]\n";

// Size of the pictures: the chart laid out as for printing.
constexpr int kWidth = 800;
constexpr int kHeight = 600;

bool missingValue(const std::optional<QString> &option) {
    return option && option->isEmpty();
}

} // namespace

int runChartCommand(const QStringList &args, TDM &dm, QTextStream &out, QTextStream &err) {
    QStringList words = args;
    const std::optional<qint64> sessionId = takeIdOption(words, QStringLiteral("--session"));
    const bool questionGiven = words.contains(QStringLiteral("--question"));
    const std::optional<qint64> questionId = takeIdOption(words, QStringLiteral("--question"));
    const bool pupilGiven = words.contains(QStringLiteral("--pupil"));
    const std::optional<qint64> pupilId = takeIdOption(words, QStringLiteral("--pupil"));
    const std::optional<QString> title = takeOption(words, QStringLiteral("--title"));
    const std::optional<QString> picture = takeOption(words, QStringLiteral("--out"));
    const std::optional<QString> points = takeOption(words, QStringLiteral("--points"));
    const std::optional<QString> word = takeOption(words, QStringLiteral("--word"));
    const bool allRows = takeFlag(words, QStringLiteral("--all-rows"));
    const bool mono = takeFlag(words, QStringLiteral("--mono"));
    if (!sessionId || (questionGiven && !questionId) || (pupilGiven && !pupilId) || missingValue(picture) ||
        missingValue(points) || missingValue(word) || (!picture && !points && !word) || !words.isEmpty()) {
        err << kUsage;
        return 2;
    }
    if (picture) {
        static const QStringList kinds = {QStringLiteral("png"), QStringLiteral("jpg"), QStringLiteral("svg"),
                                          QStringLiteral("emf"), QStringLiteral("pdf")};
        if (!kinds.contains(QFileInfo(*picture).suffix().toLower())) {
            err << QStringLiteral("Neznámý typ obrázku \"%1\": použijte .png, .jpg, .svg, .emf nebo .pdf.\n")
                       .arg(*picture);
            return 2;
        }
    }
    if ((picture || word) && !qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        err << QStringLiteral("Obrázky a dokumenty grafu potřebují grafickou aplikaci (písma).\n");
        return 1;
    }

    Database &db = dm.database();
    const QVariant classId = db.scalar(QStringLiteral("SELECT id_tridy FROM vyhodnoceni WHERE ID = :s"),
                                       {{QStringLiteral("s"), *sessionId}});
    if (classId.isNull()) {
        err << QStringLiteral("Vyhodnocení s ID %1 neexistuje.\n").arg(*sessionId);
        return 1;
    }
    const QString session = QString::number(*sessionId);
    // The question items as the window's "Konkrétní otázka" menu offers them ("Všechny otázky" first).
    const QList<BarChartMenuItem> questions = BarChartBuilder::questionItems(dm, session);
    if (questionId) {
        bool offered = false;
        for (const BarChartMenuItem &item : questions)
            offered = offered || item.value == QString::number(*questionId);
        if (!offered) {
            err << QStringLiteral("Otázka %1 nepatří do dotazníku vyhodnocení %2.\n").arg(*questionId).arg(*sessionId);
            return 1;
        }
    }
    if (pupilId && db.scalar(QStringLiteral("SELECT ID FROM zak WHERE ID = :p AND id_tridy = :c"),
                             {{QStringLiteral("p"), *pupilId}, {QStringLiteral("c"), classId}})
                       .isNull()) {
        err << QStringLiteral("Žák %1 nepatří do třídy vyhodnocení %2.\n").arg(*pupilId).arg(*sessionId);
        return 1;
    }

    BarChartFilter filter;
    filter.session = session;
    filter.question = questionId ? QString::number(*questionId) : QStringLiteral("-1");
    filter.pupil = pupilId ? QString::number(*pupilId) : QStringLiteral("-1");
    filter.otherRows = allRows;
    const BarChartData data = BarChartBuilder::read(db, filter);
    if (!data.built) {
        err << QStringLiteral("Vyhodnocení %1 nemá dotazník.\n").arg(*sessionId);
        return 1;
    }
    if (data.noData != BarChartData::NoData::None)
        out << data.noDataMessage().trimmed() << '\n';

    ChartModel chart;
    BarChartBuilder::setUp(chart);
    QString error;
    if (picture) {
        BarChartBuilder::fill(chart, data, title.value_or(data.defaultTitle), mono);
        if (!ChartMetafile::create(chart, kWidth, kHeight)
                 .save(*picture, &error, QStringLiteral("Sloupcový graf"))) {
            err << error << '\n';
            return 1;
        }
        out << QStringLiteral("Zapsáno: %1\n").arg(*picture);
    }
    if (points) {
        if (!FileWriter::writeWhole(*points, BarChartBuilder::pointsCsv(data).toUtf8(), &error)) {
            err << error << '\n';
            return 1;
        }
        out << QStringLiteral("Zapsáno: %1\n").arg(*points);
    }
    if (word) {
        // "Jednolivé grafy do Wordu": every question item in menu order, with the pupil and display options.
        WordProcessor document;
        document.setLandscape(true);
        for (const BarChartMenuItem &item : questions) {
            filter.question = item.value;
            const BarChartData one = BarChartBuilder::read(db, filter);
            BarChartBuilder::fill(chart, one, title.value_or(one.defaultTitle), mono);
            if (!BarChartWord::appendChart(document, ChartMetafile::create(chart, kWidth, kHeight), &error)) {
                err << error << '\n';
                return 1;
            }
        }
        if (!document.saveAs(*word, &error)) {
            err << error << '\n';
            return 1;
        }
        out << QStringLiteral("Zapsáno: %1 (%2 grafů)\n").arg(*word).arg(questions.size());
    }
    return 0;
}
