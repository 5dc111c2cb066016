#include "web/ResultImport.h"

#include "data/Database.h"
#include "data/TextRules.h"
#include "platform/AppFolders.h"
#include "platform/Prompter.h"
#include "web/FormPages.h"
#include "web/FtpClient.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSet>

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

// What the lines of one session are checked against, read once per session.
struct SessionCheck {
    std::optional<SessionForms> forms;
    QHash<qint64, SessionForms::Question> questions;
    QHash<qint64, QSet<qint64>> offered;
    QHash<qint64, QVariant> kinds;
    QSet<QString> stored; // answers already in the database
};

QString answerKey(qint64 q, bool b, qint64 r, qint64 p, const QString &text) {
    return QStringLiteral("%1|%2|%3|%4|").arg(q).arg(b ? 1 : 0).arg(r).arg(p) + text;
}

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
    SqlQuery stored(db,
                    QStringLiteral("SELECT id_otazky, pozitivni, id_zaka, id_partnera, coalesce(slovy, '') "
                                   "FROM odpovedi WHERE id_vyhodnoceni = :s"));
    stored.bind(QStringLiteral("s"), sessionId).exec();
    while (stored.next())
        check.stored.insert(answerKey(stored.value(0).toLongLong(), stored.value(1).toInt() != 0,
                                      stored.value(2).toLongLong(), stored.value(3).toLongLong(),
                                      stored.value(4).toString()));
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

} // namespace

namespace ResultImport {

Parsed parse(QIODevice &file) {
    Parsed parsed;
    int number = 0;
    while (!file.atEnd()) {
        QByteArray bytes = file.readLine();
        ++number;
        if (number == 1 && bytes.startsWith("\xEF\xBB\xBF"))
            bytes.remove(0, 3);
        while (bytes.endsWith('\n') || bytes.endsWith('\r'))
            bytes.chop(1);
        QString line = QString::fromUtf8(bytes);
        if (!line.contains(u','))
            continue;
        ++parsed.read;
        if (line.endsWith(u','))
            line += u'-';
        const QStringList items = splitItems(line);
        if (items.size() < 7) {
            parsed.problems << QStringLiteral("řádek %1: méně než sedm hodnot").arg(number);
            continue;
        }
        TImport entry;
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
    int index = 0;
    for (const TImport &line : parsed.lines) {
        ++index;
        const std::optional<qint64> s = integer(line.fields[0].trimmed());
        const std::optional<qint64> q = integer(line.fields[1].trimmed());
        const std::optional<bool> b = yesNo(line.fields[2]);
        const std::optional<qint64> r = integer(line.fields[3].trimmed());
        const std::optional<qint64> p = integer(line.fields[4].trimmed());
        const QString &text = line.fields[6];
        QString problem;
        if (!s || !q || !r || !p)
            problem = QStringLiteral("identifikátor není celé číslo");
        else if (!b)
            problem = QStringLiteral("polarita \"%1\" není ano/ne").arg(line.fields[2]);
        else {
            if (!sessions.contains(*s))
                sessions.insert(*s, readSession(db, *s));
            problem = checkLine(sessions[*s], *q, *b, *r, *p, text);
        }
        if (!problem.isEmpty()) {
            ++counts.rejected;
            counts.problems << QStringLiteral("odpověď %1 (%2, %3, %4, %5, %6): ")
                                       .arg(index)
                                       .arg(line.fields[0], line.fields[1], line.fields[2], line.fields[3],
                                            line.fields[4]) +
                                   problem;
            continue;
        }
        SessionCheck &check = sessions[*s];
        const QString key = answerKey(*q, *b, *r, *p, text);
        if (check.stored.contains(key))
            continue;
        insert.bind(QStringLiteral("s"), *s)
            .bind(QStringLiteral("q"), *q)
            .bind(QStringLiteral("b"), Database::boolValue(*b))
            .bind(QStringLiteral("r"), *r)
            .bind(QStringLiteral("p"), *p)
            .bind(QStringLiteral("w"), text)
            .exec();
        check.stored.insert(key);
        ++counts.added;
    }
    transaction.commit();
    return counts;
}

std::optional<Counts> run(Database &db, const AppFolders &folders, qint64 sessionId, Prompter &prompter,
                          FtpClient *ftp, const FtpSettings &settings, const QString &localFile) {
    const QString folder = FormPages::sessionFolder(folders, sessionId);
    QString source = localFile;
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
        QString remote = settings.folder;
        if (!remote.isEmpty() && !remote.endsWith(u'/'))
            remote += u'/';
        const QString target = folder + QStringLiteral("data.csv");
        try {
            ftp->connectTo(settings.host, settings.user, settings.password);
            ftp->changeDirectory(remote + QString::number(sessionId) + u'/');
            // Replaces the earlier download only when whole; a failed transfer leaves it as it was.
            ftp->retrieve(QStringLiteral("data.csv"), target);
            ftp->disconnect();
            prompter.message(QStringLiteral("Soubor s daty byl nalezen a stažen."));
            source = target;
        } catch (const FtpError &error) {
            ftp->disconnect();
            if (error.kind() != FtpError::Kind::Refused || !error.notFound()) {
                prompter.message(error.message(), QString(), Prompter::Icon::Error);
                return std::nullopt;
            }
            prompter.message(
                QStringLiteral("Nepodařilo se nalézt soubor online. Můžete ho zkusit dohledat na disku."));
            source = prompter.openFileName(QStringLiteral("Otevřít"),
                                           QStringLiteral("Soubor csv oddělený čárkami (*.csv)"), folder);
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
    prompter.message(QStringLiteral("Bylo nalezeno %1 odpovědí. Nyní budou zpracovány.").arg(parsed.read));
    Counts counts;
    try {
        counts = importAnswers(db, parsed);
    } catch (const DatabaseError &error) {
        prompter.message(error.message(), QString(), Prompter::Icon::Error);
        return std::nullopt;
    }
    prompter.message(
        QStringLiteral("Bylo přidáno %1 nových odpovědí. Proces je u konce. ").arg(counts.added));
    if (counts.rejected > 0) {
        QStringList shown = counts.problems.mid(0, 10);
        if (counts.problems.size() > shown.size())
            shown << QStringLiteral("…");
        prompter.message(QStringLiteral("Řádků, které nebylo možné přijmout: %1\n").arg(counts.rejected) +
                             shown.join(u'\n'),
                         QString(), Prompter::Icon::Warning);
    }
    return counts;
}

} // namespace ResultImport
