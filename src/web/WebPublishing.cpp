#include "web/WebPublishing.h"

#include "data/Database.h"
#include "files/FileWriter.h"
#include "platform/AppFolders.h"
#include "platform/Prompter.h"
#include "web/FormPages.h"
#include "web/FtpClient.h"
#include "web/WebFiles.h"

#include <QDir>
#include <stdexcept>

namespace WebPublishing {

QList<Item> generatedSessions(Database &db, const AppFolders &folders) {
    QList<Item> items;
    const QDir html(folders.dataFolder + QStringLiteral("html"));
    SqlQuery query(
        db, QStringLiteral("SELECT trida.skola || ', ' || trida.stupen || ', ' || trida.tridni_ucitel, "
                           "testy.nazev_testu FROM vyhodnoceni, testy, trida WHERE vyhodnoceni.ID = :s "
                           "and vyhodnoceni.id_testu = testy.ID and vyhodnoceni.id_tridy = trida.ID"));
    for (const QString &name : html.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Unsorted)) {
        bool number = false;
        const qint64 id = name.toLongLong(&number);
        if (!number || QString::number(id) != name)
            continue;
        query.bind(QStringLiteral("s"), id).exec();
        if (!query.next())
            continue;
        items.append(
            {id, query.value(0).toString() + QStringLiteral(", dotazník ") + query.value(1).toString()});
    }
    return items;
}

bool ensureRemoteFolder(FtpClient &ftp, const QString &path) {
    QStringList levels = path.split(u'/');
    levels.removeLast(); // the text after the last "/"
    bool listed = false;
    for (const QString &level : levels) {
        if (level.isEmpty())
            continue;
        try {
            listed = !ftp.list(level).isEmpty();
        } catch (const FtpError &error) {
            // A lost connection is not a missing folder.
            if (error.kind() != FtpError::Kind::Refused)
                throw;
            ftp.makeDirectory(level);
            listed = false;
        }
        ftp.changeDirectory(level);
    }
    return listed;
}

bool testAndSave(FtpClient &ftp, const FtpSettings &settings, IniFile &file, Prompter &prompter) {
    ftp.connectTo(settings.host, settings.user, settings.password);
    if (!settings.folder.isEmpty()) {
        try {
            ftp.changeDirectory(settings.folder);
        } catch (const FtpError &error) {
            if (error.kind() != FtpError::Kind::Refused) {
                ftp.disconnect();
                throw;
            }
            if (error.notFound() &&
                prompter.askYesNo(QStringLiteral("Vzdálená složka neexistuje. Chcete ji nyní vytvořit?"),
                                  QStringLiteral("Vytvoření vzdálené složky"))) {
                try {
                    ensureRemoteFolder(ftp, settings.folder.endsWith(u'/') ? settings.folder
                                                                           : settings.folder + u'/');
                } catch (const FtpError &) {
                    ftp.disconnect();
                    throw;
                }
            }
        }
    }
    ftp.disconnect();
    QString error;
    if (!settings.save(file, &error)) {
        prompter.message(error, QString(), Prompter::Icon::Error);
        return false;
    }
    prompter.message(QStringLiteral("Údaje byly uloženy."), QString(), Prompter::Icon::Information);
    return true;
}

QStringList rootIndex(const QList<Item> &checked) {
    QStringList lines = {
        QStringLiteral("<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\" "
                       "\"http://www.w3.org/TR/html4/loose.dtd\">"),
        QStringLiteral("<html lang=\"cs\">"), QStringLiteral("  <head> "),
        QStringLiteral("    <meta http-equiv=\"content-type\" content=\"text/html; charset=utf-8\">"),
        QStringLiteral("    <title>Seznam žáků</title>"),
        // The style sheet is uploaded beside this page.
        QStringLiteral("    <link rel=\"stylesheet\" href=\"style.css\" type=\"text/css\">"),
        QStringLiteral("  </head>"), QStringLiteral("  <body>"), QStringLiteral("  <h1>Seznam tříd</h1>"),
        QStringLiteral("  <p>Otevřete si třídu kliknutím. </p>")};
    for (const Item &item : checked)
        lines << QStringLiteral("  <a href=\"%1/index.php\">").arg(item.sessionId) +
                     item.label.toHtmlEscaped() + QStringLiteral("</a><br><br>");
    lines << QStringLiteral("  <br><br><br>") << QStringLiteral("  </body>") << QStringLiteral("</html> ");
    return lines;
}

namespace {

// Levels of a relative folder text ("web/dotaznik/" has two).
int depth(const QString &path) {
    return int(path.split(u'/', Qt::SkipEmptyParts).size());
}

QString upTo(int levels) {
    QStringList ups;
    for (int i = 0; i < levels; ++i)
        ups << QStringLiteral("..");
    return ups.join(u'/');
}

} // namespace

void publish(FtpClient &ftp, const FtpSettings &settings, const AppFolders &folders,
             const QList<Item> &checked, const Step &step) {
    WebFiles::restoreMissing(folders.dataFolder);
    const QString collector = folders.dataFolder + QStringLiteral("vysledky.php");

    // Everything to send, so that progress can be told as "file i of n".
    struct Upload {
        QString local;
        QString remote;
    };
    QList<QList<Upload>> sessions;
    int count = 2;
    for (const Item &item : checked) {
        const QString folder = FormPages::sessionFolder(folders, item.sessionId);
        QList<Upload> files;
        // The downloaded results stay local: sending them back would overwrite answers sent since.
        for (const QString &name : QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name))
            if (name != QLatin1String("data.csv"))
                files.append({folder + name, name});
        files.append({collector, QStringLiteral("vysledky.php")});
        count += int(files.size());
        sessions << files;
    }
    int index = 0;
    auto send = [&](const Upload &upload) {
        if (step && !step(upload.remote, index, count))
            throw FtpError(FtpError::Kind::Cancelled, QStringLiteral("Nahrávání bylo zrušeno."));
        ftp.store(upload.local, upload.remote);
        ++index;
    };

    QString base = settings.folder;
    if (!base.isEmpty() && !base.endsWith(u'/'))
        base += u'/';
    ftp.connectTo(settings.host, settings.user, settings.password);
    try {
        for (qsizetype i = 0; i < checked.size(); ++i) {
            const QString folder = base + QString::number(checked[i].sessionId) + u'/';
            ensureRemoteFolder(ftp, folder);
            for (const Upload &upload : sessions[i])
                send(upload);
            // Back to the folder the server started in, where the base folder is.
            ftp.changeDirectory(upTo(depth(folder)));
        }

        const QString indexPath = folders.dataFolder + QStringLiteral("html/index.php");
        QDir().mkpath(folders.dataFolder + QStringLiteral("html"));
        QString error;
        if (!FileWriter::writeWhole(indexPath, FormPages::encodePage(rootIndex(checked)), &error))
            throw std::runtime_error(error.toStdString());

        ensureRemoteFolder(ftp, base);
        send({indexPath, QStringLiteral("index.php")});
        send({folders.dataFolder + QStringLiteral("style.css"), QStringLiteral("style.css")});
    } catch (...) {
        ftp.disconnect();
        throw;
    }
    ftp.disconnect();
}

} // namespace WebPublishing
