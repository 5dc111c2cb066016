#include "web/FormPages.h"

#include "data/Database.h"
#include "data/PupilKinds.h"
#include "data/SessionRules.h"
#include "files/FileWriter.h"
#include "platform/AppFolders.h"

#include <QDir>
#include <QSet>
#include <stdexcept>

namespace {

// The web pages: every text that comes from the database is escaped.
QString html(const QString &text) {
    return text.toHtmlEscaped();
}

QStringList pageHead(const QString &title) {
    // No web-font service is linked: pupils' browsers contact only the school's server.
    return {QStringLiteral("<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\" "
                           "\"http://www.w3.org/TR/html4/loose.dtd\">"),
            QStringLiteral("<html lang=\"cs\">"),
            QStringLiteral("  <head> "),
            QStringLiteral("    <meta http-equiv=\"content-type\" content=\"text/html; charset=utf-8\">"),
            QStringLiteral("    <title>") + title + QStringLiteral("</title>"),
            QStringLiteral("    <link rel=\"stylesheet\" href=\"../style.css\" type=\"text/css\">"),
            QStringLiteral("  </head>"),
            QStringLiteral("  <body>")};
}

QString description(const QString &text) {
    return QStringLiteral("     <p class=\"popis_pod\">") +
           html(text).replace(u'\n', QStringLiteral("<br>")).replace(u'\r', u' ') + QStringLiteral("</p>");
}

int answerBoxes(QStringList &lines, const QList<SessionForms::Row> &partners, const QString &field) {
    int k = 0;
    for (const SessionForms::Row &row : partners) {
        if (k == 5) {
            lines << QStringLiteral("     <br>");
            k = 0;
        }
        lines << QStringLiteral(
                     "     <label class=\"popisek_%1\"><input name=\"%2[]\" value=\"%3\" type=\"Checkbox\">")
                         .arg(k)
                         .arg(field)
                         .arg(row.id) +
                     html(row.name) + QStringLiteral("</label>");
        ++k;
    }
    return k;
}

QString phpList(const QList<qint64> &ids) {
    QStringList items;
    for (qint64 id : ids)
        items << QString::number(id);
    return QStringLiteral("array(") + items.join(QStringLiteral(", ")) + u')';
}

void writeFile(const QString &path, const QByteArray &content) {
    QString error;
    if (!FileWriter::writeWhole(path, content, &error))
        throw std::runtime_error(error.toStdString());
}

} // namespace

std::optional<SessionForms> SessionForms::read(Database &db, qint64 sessionId) {
    SqlQuery session(db, QStringLiteral("SELECT id_tridy, id_testu FROM vyhodnoceni WHERE ID = :s"));
    session.bind(QStringLiteral("s"), sessionId).exec();
    if (!session.next() || session.value(1).isNull())
        return std::nullopt;
    SessionForms forms;
    forms.sessionId = sessionId;
    forms.classId = session.value(0).toLongLong();
    forms.questionnaireId = session.value(1).toLongLong();

    SqlQuery rows(db, QStringLiteral("SELECT ID, jmeno, prijmeni, pohlavi FROM zak WHERE id_tridy = :c "
                                     "ORDER BY poradi, jmeno COLLATE czech, prijmeni COLLATE czech"));
    rows.bind(QStringLiteral("c"), forms.classId).exec();
    while (rows.next()) {
        QString name = rows.value(1).toString();
        if (!rows.value(2).isNull())
            name += u' ' + rows.value(2).toString();
        forms.rows.append({rows.value(0).toLongLong(), name, rows.value(3)});
    }

    SqlQuery questions(db,
                       QStringLiteral("SELECT ID, poradi, text_otazky, text_otazky_negativni, popis_pro_web, "
                                      "typ FROM otazky WHERE id_testu = :t ORDER BY poradi"));
    questions.bind(QStringLiteral("t"), forms.questionnaireId).exec();
    while (questions.next())
        forms.questions.append({questions.value(0).toLongLong(), questions.value(1),
                                questions.value(2).toString(), questions.value(3).toString(),
                                questions.value(4).toString(), questions.value(5).toInt()});
    return forms;
}

QList<SessionForms::Row> SessionForms::respondents() const {
    QList<Row> result;
    for (const Row &row : rows)
        if (row.kind.isNull() || PupilKinds::isRealPupil(row.kind))
            result << row;
    return result;
}

QList<SessionForms::Row> SessionForms::partners(const Question &question, qint64 respondent) const {
    QList<Row> result;
    for (const Row &row : rows)
        if (row.id != respondent && SessionRules::partnerFilter(question.typ).admits(row.kind))
            result << row;
    return result;
}

QList<qint64> SessionForms::offered(const Question &question) const {
    QList<qint64> result;
    for (const Row &row : rows)
        if (SessionRules::partnerFilter(question.typ).admits(row.kind))
            result << row.id;
    return result;
}

qint64 SessionForms::maxQuestionId() const {
    qint64 max = 0;
    for (const Question &q : questions)
        max = std::max(max, q.id);
    return max;
}

namespace FormPages {

QStringList indexPage(const SessionForms &forms) {
    QStringList lines = pageHead(QStringLiteral("Seznam žáků"));
    lines << QStringLiteral("  <h1>Seznam žáků</h1>")
          << QStringLiteral("  <p>Otevřete si dotazník kliknutím na své jméno. </p>");
    for (const SessionForms::Row &row : forms.respondents())
        if (PupilKinds::isRealPupil(row.kind))
            lines << QStringLiteral("  <a href=\"zak_%1.php\">").arg(row.id) + html(row.name) +
                         QStringLiteral("</a><br>");
    lines << QStringLiteral("  <br><br><br>") << QStringLiteral("  <p>Vložená reklama:</p>")
          << QStringLiteral("  </form>") << QStringLiteral("  </body>") << QStringLiteral("</html> ");
    return lines;
}

QStringList pupilPage(const SessionForms &forms, const SessionForms::Row &pupil) {
    const QString name = html(pupil.name);
    QStringList lines = pageHead(QStringLiteral("Dotazník ") + name);
    lines << QStringLiteral("  <form action=\"vysledky.php\" method=\"post\">")
          << QStringLiteral("  <input name=\"id_vyhodnoceni\" type=\"hidden\" value=\"%1\">")
                 .arg(forms.sessionId)
          << QStringLiteral("  <input name=\"id_zaka\" type=\"hidden\" value=\"%1\">").arg(pupil.id)
          << QStringLiteral("  <H1>Dotazník pro žáka ") + name + QStringLiteral("</H1>");
    for (const SessionForms::Question &q : forms.questions) {
        const QString order = html(q.order.toString());
        const QList<SessionForms::Row> partners = forms.partners(q, pupil.id);
        lines << QStringLiteral("     <h2 class=\"ot_poz\">") + order + QStringLiteral(". ") + html(q.text) +
                     QStringLiteral("</h2>");
        if (!q.webDescription.isEmpty())
            lines << description(q.webDescription);
        lines << QStringLiteral("     <div class=\"odpovedi\">");
        const int k = answerBoxes(lines, partners, QStringLiteral("ot_%1").arg(q.id));
        if (q.typ == 4) {
            lines << QStringLiteral("     <label class=\"popisek_%1\"><textarea name=\"ot_%2[]\" rows=\"7\" "
                                    "cols=\"120\"></textarea>")
                         .arg(k)
                         .arg(q.id)
                  << QStringLiteral("     <input name=\"ot_%1_typ\" type=\"hidden\" value=\"slovni\">")
                         .arg(q.id);
        }
        lines << QStringLiteral("     </div>");
        if (!q.negative.isEmpty()) {
            lines << QStringLiteral("     <h2 class=\"ot_neg\">") + order + QStringLiteral("-2. ") +
                         html(q.negative) + QStringLiteral("</h2>");
            if (!q.webDescription.isEmpty())
                lines << description(q.webDescription);
            lines << QStringLiteral("     <div class=\"odpovedi\">");
            answerBoxes(lines, partners, QStringLiteral("ot_neg_%1").arg(q.id));
            lines << QStringLiteral("     </div>");
        }
    }
    lines
        << QStringLiteral("    <br><br>")
        << QStringLiteral("    <input name=\"max\" type=\"hidden\" value=\"%1\">").arg(forms.maxQuestionId())
        << QStringLiteral("    <input type=\"submit\" name=\"submit\" value=\"Odeslat\">")
        << QStringLiteral("  <br><br><br>") << QStringLiteral("  <p>Vložená reklama:</p>")
        << QStringLiteral("  </form>") << QStringLiteral("  </body>") << QStringLiteral("</html> ");
    return lines;
}

QByteArray allowedIds(const SessionForms &forms) {
    QList<qint64> pupils;
    for (const SessionForms::Row &row : forms.respondents())
        if (PupilKinds::isRealPupil(row.kind))
            pupils << row.id;
    QStringList lines = {
        QStringLiteral("<?php"),
        QStringLiteral(
            "// Written by Orbelis with the forms of this folder: what vysledky.php accepts from them."),
        QStringLiteral("return array("),
        QStringLiteral("  'vyhodnoceni' => %1,").arg(forms.sessionId),
        QStringLiteral("  'max' => %1,").arg(forms.maxQuestionId()),
        QStringLiteral("  'zaci' => ") + phpList(pupils) + u',',
        QStringLiteral("  'otazky' => array(")};
    for (const SessionForms::Question &q : forms.questions) {
        const QList<qint64> offered = forms.offered(q);
        lines << QStringLiteral("    %1 => array('slovni' => %2, 'poz' => %3, 'neg' => %4),")
                     .arg(q.id)
                     .arg(q.typ == 4 ? QStringLiteral("true") : QStringLiteral("false"))
                     .arg(phpList(offered))
                     .arg(phpList(q.negative.isEmpty() ? QList<qint64>() : offered));
    }
    lines << QStringLiteral("  ),") << QStringLiteral(");") << QString();
    return lines.join(u'\n').toUtf8();
}

QByteArray serverRules() {
    return "# Written by Orbelis: the collected answers are fetched by FTP only, never served to browsers.\n"
           "<FilesMatch \"^(data\\.csv|povolene\\.php)$\">\n"
           "  <IfModule mod_authz_core.c>\n"
           "    Require all denied\n"
           "  </IfModule>\n"
           "  <IfModule !mod_authz_core.c>\n"
           "    Order allow,deny\n"
           "    Deny from all\n"
           "  </IfModule>\n"
           "</FilesMatch>\n";
}

QByteArray encodePage(const QStringList &lines) {
    return QByteArray("\xEF\xBB\xBF") + lines.join(QStringLiteral("\r\n")).toUtf8();
}

QString sessionFolder(const AppFolders &folders, qint64 sessionId) {
    return folders.dataFolder + QStringLiteral("html/") + QString::number(sessionId) + u'/';
}

std::optional<Result> generate(Database &db, const AppFolders &folders, qint64 sessionId,
                               const std::function<void(int done, int total)> &progress) {
    const std::optional<SessionForms> forms = SessionForms::read(db, sessionId);
    if (!forms)
        return std::nullopt;
    Result result;
    result.folder = sessionFolder(folders, sessionId);
    if (!QDir().mkpath(result.folder))
        throw std::runtime_error(
            QStringLiteral("Složku \"%1\" nelze vytvořit.").arg(result.folder).toStdString());

    const QList<SessionForms::Row> respondents = forms->respondents();
    QSet<QString> pages;
    if (progress)
        progress(0, int(respondents.size()));
    int done = 0;
    for (const SessionForms::Row &row : respondents) {
        if (PupilKinds::isRealPupil(row.kind)) {
            const QString name = QStringLiteral("zak_%1.php").arg(row.id);
            writeFile(result.folder + name, encodePage(FormPages::pupilPage(*forms, row)));
            pages.insert(name);
            ++result.pages;
        }
        if (progress)
            progress(++done, int(respondents.size()));
    }
    writeFile(result.folder + QStringLiteral("index.php"), encodePage(FormPages::indexPage(*forms)));
    writeFile(result.folder + QStringLiteral("povolene.php"), FormPages::allowedIds(*forms));
    writeFile(result.folder + QStringLiteral(".htaccess"), FormPages::serverRules());
    // Pages of pupils who left the class would only collect refused posts.
    for (const QString &old : QDir(result.folder).entryList({QStringLiteral("zak_*.php")}, QDir::Files))
        if (!pages.contains(old))
            QFile::remove(result.folder + old);
    return result;
}

} // namespace FormPages
