#include "app/Startup.h"

#include "app/DataModuleStart.h"
#include "app/MainForm.h"
#include "platform/Prompter.h"
#include "data/DataModule.h"
#include "data/Database.h"
#include "graphics/SociogramForm.h"

#include <QApplication>
#include <QFileInfo>
#include <exception>

Startup::Startup(const QString &programFolder, Prompter &prompter, Shell &shell)
    : m_database(std::make_unique<Database>())
{
    m_context.folders.programFolder = withTrailingSeparator(programFolder);
    m_context.database = m_database.get();
    m_context.prompter = &prompter;
    m_context.shell = &shell;
}

Startup::~Startup()
{
    // The windows bind to the data module's datasets, the datasets use the connection.
    m_main.reset();
    m_context.dm = nullptr;
    m_dm.reset();
    m_database->close();
}

void Startup::reportFailure(const QString &text) { m_context.prompter->message(text, QString(), Prompter::Icon::Error); }

void Startup::run(const QStringList &arguments, const QList<WindowRegistry::Entry> &windows)
{
    // No display name: Qt would append it to every window's caption, and the captions are given exactly.
    QApplication::setApplicationName(QStringLiteral("Orbelis"));

    try {
        startDataModule(m_context, arguments);
    } catch (const DatabaseError &e) {
        reportFailure(e.message());
    } catch (const std::exception &e) {
        reportFailure(QString::fromUtf8(e.what()));
    }
    if (!m_context.settings)
        m_context.settings = std::make_unique<Settings>(m_context.folders);
    // The data module exists even when the connection failed: its datasets open after a database switch.
    m_dm = std::make_unique<TDM>(*m_database, m_context.folders, *m_context.prompter);
    m_context.dm = m_dm.get();

    m_main = std::make_unique<TMain_form>(m_context);
    m_main->setWindows(&m_windows);
    try {
        m_main->FormCreate();
    } catch (const DatabaseError &e) {
        reportFailure(e.message());
    } catch (const std::exception &e) {
        reportFailure(QString::fromUtf8(e.what()));
    }

    m_windows.createAll(windows, m_context, m_main.get());
}

void Startup::openFiles(const QStringList &arguments)
{
    // One window shows one sociogram: of several files named, the last one is opened.
    QString file;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == QLatin1String("/files"))
            ++i; // the data folder, whatever its name
        else if (arguments[i].endsWith(QLatin1String(".sgp"), Qt::CaseInsensitive))
            file = QFileInfo(arguments[i]).absoluteFilePath();
    }
    if (file.isEmpty())
        return;
    if (auto *sociogram = m_windows.get<TSociogram_Form>(QStringLiteral("TSociogram_Form")))
        sociogram->openGraphFile(file);
    else
        reportFailure(QStringLiteral("Soubor „%1“ nelze otevřít: okno Sociogram se nepodařilo vytvořit.").arg(file));
}
