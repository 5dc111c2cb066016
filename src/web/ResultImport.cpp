#include "web/ResultImport.h"

#include "data/Database.h"
#include "data/TextRules.h"
#include "platform/AppFolders.h"
#include "platform/Prompter.h"
#include "web/FormPages.h"
#include "web/FtpClient.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>

#include <algorithm>

namespace {

QStringList splitItems(const QString &line) {
    QStringList items;
    QString item;
    QChar quote;
    for (const QChar ch : line) {
        if (!quote.isNull()) {
            item += ch;
            if (ch == quote)
                quote = QChar();
        } else if (ch == u',') {
            if (!item.isEmpty())
                items << item;
            item.clear();
        } else {
            if (ch == u'"' || ch == u'\'')
                quote = ch;
            item += ch;
        }
    }
    if (!item.isEmpty())
        items << item;
    return items;
}

std::optional<qint64> integer(const QString &text) {
    static const QRegularExpression pattern(QStringLiteral("^-?[0-9]{1,10}$"));
    if (!pattern.match(text).hasMatch())
        return std::nullopt;
    const qint64 value = text.toLongLong();
    if (value < -2147483648LL || value > 2147483647LL)
        return std::nullopt;
    return value;
}

std::optional<bool> yesNo(const QString &text) {
    const QString t = text.trimmed().toLower();
    if (t == QLatin1String("1") || t == QLatin1String("-1") || t == QLatin1String("true"))
        return true;
    if (t == QLatin1String("0") || t == QLatin1String("false"))
        return false;
    return std::nullopt;
}

// An answer stored in the database, within its group (session, question, polarity, respondent).
struct StoredAnswer {
    qint64 id = 0;
    qint64 partner = 0;
    QString text;
};

QString groupKey(qint64 q, bool b, qint64 r) {
    return QStringLiteral("%1|%2|%3").arg(q).arg(b ? 1 : 0).arg(r);
}

// What the lines of one session are checked against, read once per session.
struct SessionCheck {
    std::optional<SessionForms> forms;
    QHash<qint64, SessionForms::Question> questions;
    QHash<qint64, QSet<qint64>> offered;
    QHash<qint64, QVariant> kinds;
    QHash<QString, QList<StoredAnswer>> stored; // the answers in the database, by groupKey()
};

SessionCheck readSession(Database &db, qint64 sessionId) {
    SessionCheck check;
    check.forms = SessionForms::read(db, sessionId);
    if (!check.forms)
        return check;
    for (const SessionForms::Question &q : check.forms->questions) {
        check.questions.insert(q.id, q);
        const QList<qint64> offered = check.forms->offered(q);
        check.offered.insert(q.id, QSet<qint64>(offered.begin(), offered.end()));
    }
    for (const SessionForms::Row &row : check.forms->respondents())
        check.kinds.insert(row.id, row.kind);
    SqlQuery stored(db, QStringLiteral("SELECT ID, id_otazky, pozitivni, id_zaka, id_partnera, "
                                       "coalesce(slovy, '') FROM odpovedi WHERE id_vyhodnoceni = :s"));
    stored.bind(QStringLiteral("s"), sessionId).exec();
    while (stored.next())
        check
            .stored[groupKey(stored.value(1).toLongLong(), stored.value(2).toInt() != 0,
                             stored.value(3).toLongLong())]
            .append({stored.value(0).toLongLong(), stored.value(4).toLongLong(), stored.value(5).toString()});
    return check;
}

// Why a line cannot be imported; empty when it can.
QString checkLine(const SessionCheck &check, qint64 q, bool positive, qint64 r, qint64 p,
                  const QString &text) {
    if (!check.forms)
        return QStringLiteral("vyhodnocení neexistuje nebo nemá dotazník");
    if (!check.questions.contains(q))
        return QStringLiteral("otázka %1 nepatří k dotazníku vyhodnocení").arg(q);
    if (!check.kinds.contains(r))
        return QStringLiteral("žák %1 není respondentem třídy vyhodnocení").arg(r);
    const SessionForms::Question &question = check.questions[q];
    if (question.typ == 4) {
        if (p != -1 || !positive)
            return QStringLiteral("slovní odpověď musí mít partnera -1 a kladnou polaritu");
        return QString();
    }
    if (p == r || !check.offered[q].contains(p))
        return QStringLiteral("otázka %1 žákovi %2 nenabízí řádek %3").arg(q).arg(r).arg(p);
    if (!positive && question.negative.isEmpty())
        return QStringLiteral("otázka %1 nemá zápornou část").arg(q);
    if (!text.isEmpty())
        return QStringLiteral("volba nemá mít text");
    return QString();
}

// The file's SHA-256, read in pieces; empty when it cannot be read.
QByteArray hashOfFile(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!hash.addData(&file))
        return QByteArray();
    return hash.result();
}

QString remoteFolderOf(const FtpSettings &settings, qint64 sessionId) {
    QString remote = settings.folder;
    if (!remote.isEmpty() && !remote.endsWith(u'/'))
        remote += u'/';
    return remote + QString::number(sessionId) + u'/';
}

// Deletes the answer file `name` from the session's remote folder, but only while it is still exactly the
// file that was imported (`imported`): answers sent after the download must not go with it. True when the
// server no longer holds the file. Every outcome is told through the prompter.
bool deleteFromServer(FtpClient &ftp, const FtpSettings &settings, qint64 sessionId, const QString &name,
                      const QString &imported, Prompter &prompter) {
    QTemporaryDir temporary;
    if (!temporary.isValid()) {
        prompter.message(QStringLiteral("Dočasnou složku nelze vytvořit: %1").arg(temporary.errorString()),
                         QString(), Prompter::Icon::Error);
        return false;
    }
    const QString copy = temporary.filePath(name);
    try {
        ftp.setSecurity(settings.allowPlain, settings.trustedKey);
        ftp.connectTo(settings.host, settings.user, settings.password);
        ftp.changeDirectory(remoteFolderOf(settings, sessionId));
        ftp.retrieve(name, copy);
        const QByteArray importedHash = hashOfFile(imported);
        if (importedHash.isEmpty() || hashOfFile(copy) != importedHash) {
            ftp.disconnect();
            prompter.message(QStringLiteral("Na server mezitím přišly další odpovědi, proto soubor %1 nebyl "
                                            "smazán. Naimportujte výsledky znovu.")
                                 .arg(name),
                             QString(), Prompter::Icon::Warning);
            return false;
        }
        ftp.remove(name);
        ftp.disconnect();
    } catch (const FtpError &error) {
        ftp.disconnect();
        if (error.kind() == FtpError::Kind::Refused && error.notFound()) {
            prompter.message(QStringLiteral("Soubor %1 už na serveru není.").arg(name));
            return true;
        }
        prompter.message(QStringLiteral("Odpovědi se ze serveru nepodařilo smazat. ") + error.message(),
                         QString(), Prompter::Icon::Error);
        return false;
    }
    prompter.message(QStringLiteral("Odpovědi byly ze serveru smazány (soubor %1).").arg(name));
    return true;
}

} // namespace

namespace ResultImport {

Parsed parse(QIODevice &file) {
    static const QRegularExpression postNumber(QStringLiteral("^[0-9]{1,18}$"));
    Parsed parsed;
    int number = 0;
    while (!file.atEnd()) {
        QByteArray bytes = file.readLine();
        ++number;
        const bool ended = bytes.endsWith('\n');
        if (number == 1 && bytes.startsWith("\xEF\xBB\xBF"))
            bytes.remove(0, 3);
        while (bytes.endsWith('\n') || bytes.endsWith('\r'))
            bytes.chop(1);
        if (number == 1 && bytes.startsWith("<?php")) {
            parsed.answerFile = true;
            continue;
        }
        QString line = QString::fromUtf8(bytes);
        if (!line.contains(u','))
            continue;
        ++parsed.read;
        if (parsed.answerFile && !ended) {
            // The collector ends every line; this one was being appended while the file was copied.
            parsed.problems
                << QStringLiteral("řádek %1: neúplný řádek (soubor se právě zapisoval)").arg(number);
            continue;
        }
        if (line.endsWith(u','))
            line += u'-';
        const QStringList items = splitItems(line);
        TImport entry;
        if (items.size() == 8 && postNumber.match(items[7]).hasMatch())
            entry.post = items[7].toLongLong();
        if (parsed.answerFile && entry.post < 0) {
            parsed.problems << QStringLiteral("řádek %1: chybí číslo odeslání").arg(number);
            continue;
        }
        if (items.size() < 7) {
            parsed.problems << QStringLiteral("řádek %1: méně než sedm hodnot").arg(number);
            continue;
        }
        for (int i = 0; i < 7; ++i)
            entry.fields[size_t(i)] = items[i];
        QString &text = entry.fields[6];
        text.replace(QChar(u'|'), QChar(u','));
        text.replace(QStringLiteral("_new_line"), QStringLiteral("\r\n"), Qt::CaseInsensitive);
        if (text == QLatin1String("-"))
            text.clear();
        if (text.startsWith(u'"')) {
            text.remove(0, 1);
            if (text.endsWith(u'"'))
                text.chop(1);
        }
        // Posted from outside: nothing but the line breaks the form itself encodes may reach the reports.
        text = TextRules::withoutControls(text);
        parsed.lines << entry;
    }
    return parsed;
}

Counts importAnswers(Database &db, const Parsed &parsed) {
    Counts counts;
    counts.read = parsed.read;
    counts.problems = parsed.problems;
    counts.rejected = int(parsed.problems.size());
    QHash<qint64, SessionCheck> sessions;
    Transaction transaction(db);
    SqlQuery insert(db, QStringLiteral("INSERT INTO odpovedi (id_vyhodnoceni, id_otazky, pozitivni, id_zaka, "
                                       "id_partnera, slovy) VALUES (:s, :q, :b, :r, :p, :w)"));
    SqlQuery remove(db, QStringLiteral("DELETE FROM odpovedi WHERE ID = :id"));

    // A line whose values are integers and a yes/no polarity.
    struct Answer {
        int index = 0; // 1-based, among the parsed lines
        qint64 s = 0, q = 0, r = 0, p = 0;
        bool b = true;
        const TImport *line = nullptr;
    };
    const auto reject = [&counts](const Answer &answer, const QString &problem) {
        const TImport &line = *answer.line;
        ++counts.rejected;
        counts.problems << QStringLiteral("odpověď %1 (%2, %3, %4, %5, %6): ")
                                   .arg(answer.index)
                                   .arg(line.fields[0], line.fields[1], line.fields[2], line.fields[3],
                                        line.fields[4]) +
                               problem;
    };
    const auto add = [&](QList<StoredAnswer> &group, const Answer &answer) {
        const QString &text = answer.line->fields[6];
        insert.bind(QStringLiteral("s"), answer.s)
            .bind(QStringLiteral("q"), answer.q)
            .bind(QStringLiteral("b"), Database::boolValue(answer.b))
            .bind(QStringLiteral("r"), answer.r)
            .bind(QStringLiteral("p"), answer.p)
            .bind(QStringLiteral("w"), text)
            .exec();
        group.append({insert.raw().lastInsertId().toLongLong(), answer.p, text});
        ++counts.added;
    };
    const auto stores = [](const StoredAnswer &stored, const Answer &answer) {
        return stored.partner == answer.p && stored.text == answer.line->fields[6];
    };

    // The lines of each post-numbered group's highest post, groups in the order the file first names them.
    struct Group {
        qint64 post = -1;
        QList<Answer> answers;
    };
    QHash<QString, Group> groups;
    QStringList order;

    int index = 0;
    for (const TImport &line : parsed.lines) {
        Answer answer;
        answer.index = ++index;
        answer.line = &line;
        const std::optional<qint64> s = integer(line.fields[0].trimmed());
        const std::optional<qint64> q = integer(line.fields[1].trimmed());
        const std::optional<bool> b = yesNo(line.fields[2]);
        const std::optional<qint64> r = integer(line.fields[3].trimmed());
        const std::optional<qint64> p = integer(line.fields[4].trimmed());
        if (!s || !q || !r || !p) {
            reject(answer, QStringLiteral("identifikátor není celé číslo"));
            continue;
        }
        if (!b) {
            reject(answer, QStringLiteral("polarita \"%1\" není ano/ne").arg(line.fields[2]));
            continue;
        }
        answer.s = *s;
        answer.q = *q;
        answer.b = *b;
        answer.r = *r;
        answer.p = *p;
        if (!sessions.contains(*s))
            sessions.insert(*s, readSession(db, *s));
        if (line.post >= 0) {
            const QString key = QString::number(*s) + u'|' + groupKey(*q, *b, *r);
            auto found = groups.find(key);
            if (found == groups.end()) {
                found = groups.insert(key, Group());
                order << key;
            }
            if (line.post > found->post) {
                found->post = line.post;
                found->answers.clear();
            }
            if (line.post == found->post)
                found->answers << answer;
            continue;
        }
        SessionCheck &check = sessions[*s];
        const QString problem = checkLine(check, *q, *b, *r, *p, line.fields[6]);
        if (!problem.isEmpty()) {
            reject(answer, problem);
            continue;
        }
        QList<StoredAnswer> &group = check.stored[groupKey(*q, *b, *r)];
        if (std::none_of(group.begin(), group.end(),
                         [&](const StoredAnswer &stored) { return stores(stored, answer); }))
            add(group, answer);
    }

    for (const QString &key : std::as_const(order)) {
        const Group &group = groups[key];
        SessionCheck &check = sessions[group.answers.first().s];
        QList<Answer> wanted; // accepted, each answer once
        for (const Answer &answer : group.answers) {
            const QString problem =
                checkLine(check, answer.q, answer.b, answer.r, answer.p, answer.line->fields[6]);
            if (!problem.isEmpty())
                reject(answer, problem);
            else if (std::none_of(wanted.begin(), wanted.end(), [&](const Answer &other) {
                         return other.p == answer.p && other.line->fields[6] == answer.line->fields[6];
                     }))
                wanted << answer;
        }
        if (wanted.isEmpty())
            continue;
        const Answer &first = wanted.first();
        QList<StoredAnswer> &stored = check.stored[groupKey(first.q, first.b, first.r)];
        QList<StoredAnswer> kept;
        QList<bool> present(wanted.size(), false);
        for (const StoredAnswer &answer : std::as_const(stored)) {
            qsizetype i = 0;
            while (i < wanted.size() && (present[i] || !stores(answer, wanted[i])))
                ++i;
            if (i < wanted.size()) {
                present[i] = true;
                kept << answer;
            } else {
                remove.bind(QStringLiteral("id"), answer.id).exec();
                ++counts.replaced;
            }
        }
        for (qsizetype i = 0; i < wanted.size(); ++i)
            if (!present[i])
                add(kept, wanted[i]);
        stored = kept;
    }
    transaction.commit();
    return counts;
}

std::optional<Counts> run(Database &db, const AppFolders &folders, qint64 sessionId, Prompter &prompter,
                          FtpClient *ftp, const FtpSettings &settings, const QString &localFile,
                          ServerFile serverFile) {
    const QString folder = FormPages::sessionFolder(folders, sessionId);
    QString source = localFile;
    QString downloaded; // the name of the file read from the server
    if (source.isEmpty()) {
        if (!QFileInfo(folder).isDir()) {
            prompter.message(
                QStringLiteral("Složka \"%1\" neexistuje: formuláře tohoto vyhodnocení nebyly na tomto "
                               "počítači vygenerovány.")
                    .arg(folder),
                QString(), Prompter::Icon::Error);
            return std::nullopt;
        }
        if (!ftp || !settings.complete()) {
            prompter.message(
                QStringLiteral("Nejsou vyplněny údaje o FTP serveru. Přejděte do nastavení a údaje "
                               "zadejte."),
                QString(), Prompter::Icon::Warning);
            return std::nullopt;
        }
        try {
            ftp->setSecurity(settings.allowPlain, settings.trustedKey);
            ftp->connectTo(settings.host, settings.user, settings.password);
            ftp->changeDirectory(remoteFolderOf(settings, sessionId));
            // The answer file, or the file of an older collector. Each download replaces the earlier one
            // only when whole; a failed transfer leaves it as it was.
            for (const QString &name : {QStringLiteral("data.php"), QStringLiteral("data.csv")}) {
                try {
                    ftp->retrieve(name, folder + name);
                    downloaded = name;
                    break;
                } catch (const FtpError &error) {
                    if (name == QLatin1String("data.csv") || error.kind() != FtpError::Kind::Refused ||
                        !error.notFound())
                        throw;
                }
            }
            ftp->disconnect();
            prompter.message(QStringLiteral("Soubor s daty byl nalezen a stažen."));
            source = folder + downloaded;
        } catch (const FtpError &error) {
            ftp->disconnect();
            if (error.kind() != FtpError::Kind::Refused || !error.notFound()) {
                // A certificate is accepted where the connection is set up; the import only points there.
                const QString where = error.kind() == FtpError::Kind::Certificate
                                          ? QStringLiteral("\n\nCertifikát lze přijmout v okně Nastavení FTP "
                                                           "tlačítkem „Uložit“.")
                                          : QString();
                prompter.message(error.message() + where, QString(), Prompter::Icon::Error);
                return std::nullopt;
            }
            prompter.message(
                QStringLiteral("Nepodařilo se nalézt soubor online. Můžete ho zkusit dohledat na disku."));
            source = prompter.openFileName(QStringLiteral("Otevřít"),
                                           QStringLiteral("Odpovědi z formulářů (*.php *.csv)"), folder);
            if (source.isEmpty())
                return std::nullopt;
        }
    }

    QFile file(source);
    if (!file.open(QIODevice::ReadOnly)) {
        prompter.message(QStringLiteral("Soubor \"%1\" nelze přečíst: %2").arg(source, file.errorString()),
                         QString(), Prompter::Icon::Error);
        return std::nullopt;
    }
    const Parsed parsed = parse(file);
    file.close();
    prompter.message(QStringLiteral("Bylo nalezeno %1 odpovědí. Nyní budou zpracovány.").arg(parsed.read));
    Counts counts;
    try {
        counts = importAnswers(db, parsed);
    } catch (const DatabaseError &error) {
        prompter.message(error.message(), QString(), Prompter::Icon::Error);
        return std::nullopt;
    }
    QString done = QStringLiteral("Bylo přidáno %1 nových odpovědí. ").arg(counts.added);
    if (counts.replaced > 0)
        done +=
            QStringLiteral("Odpovědí nahrazených pozdějším odesláním téhož žáka: %1. ").arg(counts.replaced);
    prompter.message(done + QStringLiteral("Proces je u konce. "));
    if (counts.rejected > 0) {
        QStringList shown = counts.problems.mid(0, 10);
        if (counts.problems.size() > shown.size())
            shown << QStringLiteral("…");
        prompter.message(QStringLiteral("Řádků, které nebylo možné přijmout: %1\n").arg(counts.rejected) +
                             shown.join(u'\n'),
                         QString(), Prompter::Icon::Warning);
    }

    counts.serverFile = downloaded;
    QString target = downloaded;
    if (target.isEmpty() && serverFile == ServerFile::Delete)
        target = parsed.answerFile ? QStringLiteral("data.php") : QStringLiteral("data.csv");
    if (target.isEmpty() || serverFile == ServerFile::Keep || !ftp || !settings.complete())
        return counts;
    if (serverFile == ServerFile::Ask &&
        !prompter.askYesNo(
            QStringLiteral("Smazat odpovědi ze serveru?\n\nZe složky vyhodnocení %1 na serveru se smaže "
                           "soubor %2 se všemi odpověďmi, které žáci odeslali. Naimportované odpovědi "
                           "zůstávají v databázi a stažená kopie souboru v tomto počítači (%3). Co žáci "
                           "odešlou potom, server uloží do nového souboru.")
                .arg(sessionId)
                .arg(target, QDir::toNativeSeparators(source)),
            QStringLiteral("Smazat odpovědi ze serveru"), Prompter::Icon::Question))
        return counts;
    counts.deletedFromServer = deleteFromServer(*ftp, settings, sessionId, target, source, prompter);
    return counts;
}

} // namespace ResultImport
