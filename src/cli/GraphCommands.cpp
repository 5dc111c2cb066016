#include "cli/GraphCommands.h"

#include "graph/GraphDocument.h"
#include "graph/GraphDump.h"
#include "graph/GraphExport.h"
#include "graphics/GraphFileMessage.h"

#include <QFileInfo>
#include <QGuiApplication>

namespace {

void printHelp(QTextStream &out)
{
    out << "Použití: orbelis-cli graph <příkaz>\n"
           "  convert VSTUP.sgp VÝSTUP   převede graf do VÝSTUP (.sgp, .png, .jpg, .svg, .emf nebo .pdf)\n"
           "  dump VSTUP.sgp             vypíše všechny objekty grafu\n"
           "  help                       tato nápověda\n";
}

bool load(GraphDocument &doc, const QString &path, QTextStream &err)
{
    QString error;
    if (!doc.LoadFromFile(path, &error)) {
        err << graphLoadMessage(path, error) << "\n";
        return false;
    }
    return true;
}

} // namespace

int runGraphCommand(const QStringList &args, QTextStream &out, QTextStream &err)
{
    const QString command = args.value(0);
    if (command == QLatin1String("help") || command == QLatin1String("--help")) {
        printHelp(out);
        return 0;
    }
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        err << "Příkaz graph potřebuje grafickou aplikaci (písma); spusťte jej s QT_QPA_PLATFORM=offscreen.\n";
        return 1;
    }
    if (command == QLatin1String("dump")) {
        if (args.size() != 2) {
            err << "Příkaz dump očekává jeden soubor grafu.\n";
            printHelp(err);
            return 2;
        }
        GraphDocument doc;
        if (!load(doc, args.at(1), err))
            return 1;
        out << GraphDump::toText(doc);
        return 0;
    }
    if (command == QLatin1String("convert")) {
        if (args.size() != 3) {
            err << "Příkaz convert očekává vstupní a výstupní soubor.\n";
            printHelp(err);
            return 2;
        }
        const QString target = args.at(2);
        const QString suffix = QFileInfo(target).suffix().toLower();
        static const QStringList known = {
            QStringLiteral("sgp"), QStringLiteral("png"), QStringLiteral("jpg"), QStringLiteral("jpeg"),
            QStringLiteral("svg"), QStringLiteral("emf"), QStringLiteral("pdf")};
        if (!known.contains(suffix)) {
            err << "Neznámý typ výstupu „" << target
                << "“: použijte .sgp, .png, .jpg, .svg, .emf nebo .pdf.\n";
            return 2;
        }
        GraphDocument doc;
        if (!load(doc, args.at(1), err))
            return 1;
        QString error;
        if (!GraphExport::SaveToFile(doc, target, &error)) {
            err << error << "\n";
            return 1;
        }
        out << "Zapsáno: " << target << "\n";
        return 0;
    }
    if (command.isEmpty())
        err << "Chybí příkaz.\n";
    else
        err << "Neznámý příkaz „" << command << "“.\n";
    printHelp(err);
    return 2;
}
