#include "web/WebPublishing.h"

#include "data/Database.h"
#include "data/TextRules.h"
#include "files/FileWriter.h"
#include "platform/AppFolders.h"
#include "platform/Prompter.h"
#include "web/FormPages.h"
#include "web/FtpClient.h"
#include "web/WebFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <algorithm>
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
    ftp.setSecurity(settings.allowPlain, settings.trustedKey);
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
        QStringLiteral("    <meta name=\"robots\" content=\"noindex\">"),
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

QList<Upload> sessionUploads(const AppFolders &folders, qint64 sessionId) {
    const QString folder = FormPages::sessionFolder(folders, sessionId);
    // The answers downloaded from the server and its fault log stay local: sending them back would
    // overwrite what pupils sent since.
    static const QStringList local = {QStringLiteral("data.php"), QStringLiteral("data.csv"),
                                      QStringLiteral("chyby.php")};
    static const QStringList last = {QStringLiteral("kody.php"), QStringLiteral("povolene.php")};
    QList<Upload> files;
    for (const QString &name : QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name))
        if (!local.contains(name) && !last.contains(name) && !name.contains(QLatin1String(kTemporaryMark)))
            files.append({folder + name, name});
    files.append({folders.dataFolder + QStringLiteral("vysledky.php"), QStringLiteral("vysledky.php")});
    // The collector reads these two on every post: they change only when everything they name is there.
    for (const QString &name : last)
        if (QFileInfo::exists(folder + name))
            files.append({folder + name, name});
    return files;
}

QString temporaryName(const QString &remoteName) {
    const qsizetype dot = remoteName.lastIndexOf(u'.');
    if (dot <= 0) // no suffix, or a dot file such as ".htaccess"
        return remoteName + QLatin1String(kTemporaryMark);
    return remoteName.left(dot) + QLatin1String(kTemporaryMark) + remoteName.mid(dot);
}

void storeInPlace(FtpClient &ftp, const QString &localPath, const QString &remoteName) {
    const QString temporary = temporaryName(remoteName);
    try {
        ftp.store(localPath, temporary);
    } catch (const FtpError &) {
        // A part left under the temporary name may be served as text; it goes when the server still
        // listens.
        try {
            ftp.remove(temporary);
        } catch (const FtpError &) {
        }
        throw;
    }
    ftp.rename(temporary, remoteName);
}

std::optional<QString> collectorFault(const QByteArray &log) {
    QString last;
    const QList<QByteArray> lines = log.split('\n');
    for (qsizetype i = 1; i < lines.size(); ++i) { // the first line is the guard
        const QString line = TextRules::withoutControls(QString::fromUtf8(lines[i]).trimmed()).simplified();
        if (!line.isEmpty())
            last = line;
    }
    if (last.isEmpty())
        return std::nullopt;
    // "time<TAB>reason"; the tab became a blank above.
    static const QRegularExpression time(
        QStringLiteral("^(\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d) (.+)$"));
    const QRegularExpressionMatch match = time.match(last);
    QString reason = match.hasMatch() ? match.captured(2) : last;
    if (reason.size() > 300)
        reason = reason.left(300) + QStringLiteral("…");
    QString text = QStringLiteral("Sběr odpovědí na serveru nefunguje: ") + reason;
    if (match.hasMatch())
        text += QStringLiteral(" (zapsáno %1)").arg(match.captured(1));
    return text;
}

QString Report::message() const {
    QStringList lines = faults;
    lines << QStringLiteral("Soubory jsou na serveru (odesláno souborů: %1).").arg(sent) << kAnswersWhere;
    return lines.join(u'\n');
}

Report publish(FtpClient &ftp, const FtpSettings &settings, const AppFolders &folders,
               const QList<Item> &checked, const Step &step) {
    WebFiles::restoreMissing(folders.dataFolder);

    // Everything to send, so that progress can be told as "file i of n".
    QList<QList<Upload>> sessions;
    int count = 2;
    for (const Item &item : checked) {
        sessions << sessionUploads(folders, item.sessionId);
        count += int(sessions.last().size());
    }
    Report report;
    auto send = [&](const Upload &upload) {
        if (step && !step(upload.remote, report.sent, count))
            throw FtpError(FtpError::Kind::Cancelled, QStringLiteral("Nahrávání bylo zrušeno."));
        storeInPlace(ftp, upload.local, upload.remote);
        ++report.sent;
    };

    QString base = settings.folder;
    if (!base.isEmpty() && !base.endsWith(u'/'))
        base += u'/';
    ftp.setSecurity(settings.allowPlain, settings.trustedKey);
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

    // What the collectors logged. Everything is sent by now: a failure here is told, not raised. A log
    // that was read and told is deleted, so the next publishing tells only what happened after it.
    QTemporaryDir temporary;
    for (const Item &item : checked) {
        const QString copy = temporary.filePath(QStringLiteral("chyby_%1.php").arg(item.sessionId));
        try {
            ftp.changeDirectory(QString::number(item.sessionId) + u'/');
            try {
                ftp.retrieve(QStringLiteral("chyby.php"), copy);
                // The end of the log holds the last reason; the first line read is the guard or a part.
                QFile file(copy);
                std::optional<QString> fault;
                if (file.open(QIODevice::ReadOnly) && file.seek(std::max<qint64>(0, file.size() - 65536)))
                    fault = collectorFault(file.readAll());
                if (fault) {
                    report.faults << *fault + QStringLiteral(" – vyhodnocení %1").arg(item.sessionId);
                    ftp.remove(QStringLiteral("chyby.php"));
                }
            } catch (const FtpError &error) {
                if (error.kind() != FtpError::Kind::Refused || !error.notFound())
                    throw;
            }
            ftp.changeDirectory(QStringLiteral(".."));
        } catch (const FtpError &error) {
            report.faults << QStringLiteral("Záznam o chybách sběru vyhodnocení %1 se nepodařilo přečíst: %2")
                                 .arg(item.sessionId)
                                 .arg(error.message());
            break;
        }
    }
    ftp.disconnect();
    return report;
}

} // namespace WebPublishing
