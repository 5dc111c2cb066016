#include "web/FormPages.h"

#include "data/Database.h"
#include "data/PupilKinds.h"
#include "data/SessionRules.h"
#include "files/FileWriter.h"
#include "platform/AppFolders.h"
#include "web/PupilCodes.h"
#include "web/WebFiles.h"

#include <QDir>
#include <QRegularExpression>
#include <stdexcept>

namespace {

// The web pages: every text that comes from the database is escaped.
QString html(const QString &text) {
    return text.toHtmlEscaped();
}

QStringList pageHead(const QString &title) {
    // No web-font service is linked: pupils' browsers contact only the school's server. Search engines are
    // asked to keep the pages out of their indexes. The page is as wide as the phone's screen and may be
    // zoomed.
    return {QStringLiteral("<!DOCTYPE html>"),
            QStringLiteral("<html lang=\"cs\">"),
            QStringLiteral("  <head> "),
            QStringLiteral("    <meta http-equiv=\"content-type\" content=\"text/html; charset=utf-8\">"),
            QStringLiteral("    <meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"),
            QStringLiteral("    <meta name=\"robots\" content=\"noindex\">"),
            QStringLiteral("    <title>") + title + QStringLiteral("</title>"),
            QStringLiteral("    <link rel=\"stylesheet\" href=\"../style.css\" type=\"text/css\">"),
            QStringLiteral("  </head>"),
            QStringLiteral("  <body>")};
}

// The hint under a question, named by `id` for the question's aria-describedby.
QString description(const QString &text, const QString &id) {
    return QStringLiteral("     <p class=\"popis_pod\" id=\"%1\">").arg(id) +
           html(text).replace(u'\n', QStringLiteral("<br>")).replace(u'\r', u' ') + QStringLiteral("</p>");
}

// The most choices a hint allows ("Vyber nejvýše tři spolužáky.", "nejvýše 3"): the page then takes no tick
// beyond it; 0 when the hint states no limit.
int choiceLimit(const QString &hint) {
    static const QRegularExpression limit(QStringLiteral("nejvýše\\s+(\\d+|jednoho|jednu|jedno|jeden|dva|dvě|"
                                                         "dvou|tři|čtyři|pět|šest|sedm|osm|devět|deset)"),
                                          QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = limit.match(hint);
    if (!match.hasMatch())
        return 0;
    const QString word = match.captured(1).toLower();
    bool number = false;
    const int value = word.toInt(&number);
    if (number)
        return value;
    static const QStringList words[] = {
        {QStringLiteral("jednoho"), QStringLiteral("jednu"), QStringLiteral("jedno"),
         QStringLiteral("jeden")},
        {QStringLiteral("dva"), QStringLiteral("dvě"), QStringLiteral("dvou")},
        {QStringLiteral("tři")},
        {QStringLiteral("čtyři")},
        {QStringLiteral("pět")},
        {QStringLiteral("šest")},
        {QStringLiteral("sedm")},
        {QStringLiteral("osm")},
        {QStringLiteral("devět")},
        {QStringLiteral("deset")}};
    for (int i = 0; i < 10; ++i)
        if (words[i].contains(word))
            return i + 1;
    return 0;
}

QString phpList(const QList<qint64> &ids) {
    QStringList items;
    for (qint64 id : ids)
        items << QString::number(id);
    return QStringLiteral("array(") + items.join(QStringLiteral(", ")) + u')';
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

const char kFormGuard[] = "<?php if (!defined('ORBELIS_FORMULAR')) { http_response_code(404); exit; } ?>";

namespace {

// The first line of the files the server keeps for itself (answers, fault log): PHP stops there with a 404.
const char kFileGuard[] = "<?php http_response_code(404); exit; ?>";

// The end of every page; the pages with a form carry the script that steps through it (WebFiles), inline,
// so that nothing more is published and no page waits for another file.
QStringList pageEnd(bool script = true) {
    QStringList lines{QStringLiteral("  <br><br><br>"), QStringLiteral("  <p>Vložená reklama:</p>"),
                      QStringLiteral("  </form>")};
    if (script) {
        // Read once: every pupil's page carries it.
        static const QStringList scriptLines =
            QString::fromUtf8(WebFiles::formScript()).trimmed().split(u'\n');
        lines << QStringLiteral("  <script>") << scriptLines << QStringLiteral("  </script>");
    }
    return lines << QStringLiteral("  </body>") << QStringLiteral("</html> ");
}

QStringList openIndex(const SessionForms &forms) {
    QStringList lines = pageHead(QStringLiteral("Seznam žáků"));
    lines << QStringLiteral("  <h1>Seznam žáků</h1>")
          << QStringLiteral("  <p>Otevřete si dotazník kliknutím na své jméno. </p>")
          << QStringLiteral("  <ul class=\"zaci\">");
    for (const SessionForms::Row &row : forms.respondents())
        if (PupilKinds::isRealPupil(row.kind))
            lines << QStringLiteral("  <li><a href=\"zak_%1.php\">").arg(row.id) + html(row.name) +
                         QStringLiteral("</a></li>");
    return lines << QStringLiteral("  </ul>") << pageEnd(false);
}

// The entry page: the code is normalised as PupilCodes::normalised does and looked up by its SHA-256 in
// kody.php; a valid code includes the pupil's own page, which echoes the normalised code into its form.
// A missing or damaged code list is a server fault: HTTP 503 and a line in chyby.php for the teacher.
QStringList codeIndex() {
    QStringList lines = {
        QStringLiteral("<?php"),
        QStringLiteral(
            "// Written by Orbelis: the entry page of this session's questionnaires. A pupil types "
            "the code from his slip;"),
        QStringLiteral(
            "// a valid code opens his own form, any other shows this page again. No name is shown "
            "here."),
        QStringLiteral("header('Content-Type: text/html; charset=utf-8');"),
        QStringLiteral("header('X-Content-Type-Options: nosniff');"),
        QStringLiteral("header('X-Robots-Tag: noindex');"),
        QStringLiteral("header('Cache-Control: no-store');"),
        QStringLiteral("$chyba = '';"),
        QStringLiteral("if (($_SERVER['REQUEST_METHOD'] ?? '') === 'POST') {"),
        QStringLiteral("    $kody = null;"),
        QStringLiteral("    if (is_file(__DIR__ . '/kody.php')) {"),
        QStringLiteral("        try {"),
        QStringLiteral("            $kody = @include __DIR__ . '/kody.php';"),
        QStringLiteral("        } catch (Throwable $e) {"),
        QStringLiteral("            $kody = null;"),
        QStringLiteral("        }"),
        QStringLiteral("    }"),
        QStringLiteral("    $kod = isset($_POST['kod']) && is_string($_POST['kod'])"),
        QStringLiteral("        ? strtoupper(preg_replace('/[\\s-]+/', '', $_POST['kod'])) : '';"),
        QStringLiteral("    $zak = is_array($kody) && preg_match('/^[2-9A-HJ-NP-Z]{8}$/', $kod) === 1"),
        QStringLiteral("        ? ($kody[hash('sha256', $kod)] ?? null) : null;"),
        QStringLiteral("    if (!is_array($kody) || (is_int($zak) && !is_file(__DIR__ . '/zak_' . $zak . "
                       "'.php'))) {"),
        QStringLiteral(
            "        $duvod = !is_array($kody) ? 'Seznam kódů (kody.php) chybí nebo je poškozený.'"),
        QStringLiteral("            : 'Chybí stránka dotazníku zak_' . $zak . '.php.';"),
        QStringLiteral("        $log = @fopen(__DIR__ . '/chyby.php', 'ab');"),
        QStringLiteral("        if ($log !== false) {"),
        QStringLiteral("            if (flock($log, LOCK_EX)) {"),
        QStringLiteral("                $stav = fstat($log);"),
        QStringLiteral("                $straz = $stav !== false && $stav['size'] === 0 ? \"%1\\r\\n\" : '';")
            .arg(QLatin1String(kFileGuard)),
        QStringLiteral("                @fwrite($log, $straz . date('Y-m-d H:i:s') . \"\\t\" . $duvod . "
                       "\"\\r\\n\");"),
        QStringLiteral("                fflush($log);"),
        QStringLiteral("                flock($log, LOCK_UN);"),
        QStringLiteral("            }"),
        QStringLiteral("            fclose($log);"),
        QStringLiteral("        }"),
        QStringLiteral("        http_response_code(503);"),
        QStringLiteral("        $chyba = 'Dotazník teď nelze otevřít: sběr odpovědí na serveru nefunguje. "
                       "Řekněte to prosím učiteli.';"),
        QStringLiteral("    } elseif (is_int($zak)) {"),
        QStringLiteral("        define('ORBELIS_FORMULAR', true);"),
        QStringLiteral("        include __DIR__ . '/zak_' . $zak . '.php';"),
        QStringLiteral("        exit;"),
        QStringLiteral("    } else {"),
        QStringLiteral("        http_response_code(403);"),
        QStringLiteral(
            "        $chyba = 'Tento kód neplatí. Zkontrolujte ho prosím podle lístku a napište ho "
            "znovu.';"),
        QStringLiteral("    }"),
        QStringLiteral("}"),
        QStringLiteral("?>")};
    lines << pageHead(QStringLiteral("Dotazník")) << QStringLiteral("  <h1>Dotazník</h1>")
          << QStringLiteral(
                 "<?php if ($chyba !== '') { echo '  <p class=\"chyba\" role=\"alert\">' . $chyba . "
                 "\"</p>\\r\\n\"; } ?>")
          << QStringLiteral("  <p>Napište kód z lístku, který jste dostali od učitele, a otevřete si svůj "
                            "dotazník.</p>")
          << QStringLiteral("  <form action=\"index.php\" method=\"post\">")
          << QStringLiteral("  <label class=\"kod\" for=\"kod\">Kód z lístku</label>")
          << QStringLiteral(
                 "  <input id=\"kod\" name=\"kod\" type=\"text\" maxlength=\"20\" autocomplete=\"off\" "
                 "autocapitalize=\"characters\" spellcheck=\"false\" aria-describedby=\"kod-popis\">")
          << QStringLiteral(
                 "  <p class=\"popis_pod\" id=\"kod-popis\">Mezery, pomlčky ani velká a malá písmena "
                 "nevadí.</p>")
          << QStringLiteral("  <input type=\"submit\" value=\"Otevřít dotazník\">");
    return lines + pageEnd();
}

} // namespace

QStringList indexPage(const SessionForms &forms, Collection collection) {
    return collection == Collection::Open ? openIndex(forms) : codeIndex();
}

namespace {

// The lines of one page as UTF-8 joined by CR LF, as encodeScript joins them.
class PageBytes {
public:
    explicit PageBytes(qsizetype expected) { m_bytes.reserve(expected); }
    void line(const QString &text) { line(QByteArrayView(text.toUtf8())); }
    void line(QByteArrayView text) {
        if (!m_bytes.isEmpty())
            m_bytes.append("\r\n", 2);
        m_bytes.append(text);
    }
    // A line of two pieces.
    void line(QByteArrayView head, QByteArrayView tail) {
        line(head);
        m_bytes.append(tail);
    }
    QByteArray take() { return std::move(m_bytes); }

private:
    QByteArray m_bytes;
};

} // namespace

// What every page of the session shares, in UTF-8: for each row the end of its box (id and escaped name),
// for each question the rows it offers and the beginnings of its boxes.
struct PupilPages::Parts {
    struct Question {
        QList<int> offered; // indexes into rows
        QByteArray positive; // `     <label class="volba"><input name="FIELD[]`
        QByteArray negative;
    };
    QList<QByteArray> tails; // per row: `" value="ID" type="Checkbox"><span>NAME</span></label>`
    QList<Question> questions;
    qsizetype largestPage = 0;
};

namespace {

QByteArray boxHead(const QString &field) {
    return QStringLiteral("     <label class=\"volba\"><input name=\"%1[]").arg(field).toUtf8();
}

// The boxes of one list, one row each: every offered row but the respondent.
void answerBoxes(PageBytes &page, const PupilPages::Parts &parts, const PupilPages::Parts::Question &question,
                 const QByteArray &head, int respondent) {
    for (int row : question.offered)
        if (row != respondent)
            page.line(head, parts.tails[row]);
}

// The opening of one question's fieldset with its legend and hint; `key` tells the halves apart.
void questionStart(PageBytes &page, const SessionForms::Question &q, const QString &key,
                   const QString &legendClass, const QString &legend) {
    const QString hintId = QStringLiteral("popis_%1").arg(key);
    QString attributes = QStringLiteral(" id=\"otazka_%1\"").arg(key);
    const int limit = q.typ == 4 ? 0 : choiceLimit(q.webDescription);
    if (limit > 0)
        attributes += QStringLiteral(" data-max=\"%1\"").arg(limit);
    if (!q.webDescription.isEmpty())
        attributes += QStringLiteral(" aria-describedby=\"%1\"").arg(hintId);
    page.line(QStringLiteral("     <fieldset class=\"otazka\"") + attributes + u'>');
    page.line(QStringLiteral("     <legend class=\"%1\">").arg(legendClass) + legend +
              QStringLiteral("</legend>"));
    if (!q.webDescription.isEmpty())
        page.line(description(q.webDescription, hintId));
    page.line(QByteArrayView("     <div class=\"odpovedi\">"));
}

void questionEnd(PageBytes &page) {
    page.line(QByteArrayView("     </div>"));
    page.line(QByteArrayView("     </fieldset>"));
}

} // namespace

PupilPages::PupilPages(const SessionForms &forms, Collection collection)
    : m_forms(forms), m_collection(collection), m_parts(std::make_unique<Parts>()) {
    for (const SessionForms::Row &row : forms.rows)
        m_parts->tails << QStringLiteral("\" value=\"%1\" type=\"Checkbox\"><span>").arg(row.id).toUtf8() +
                              html(row.name).toUtf8() + QByteArrayLiteral("</span></label>");
    qsizetype boxes = 0;
    for (const SessionForms::Question &q : forms.questions) {
        Parts::Question question;
        const PartnerFilter filter = SessionRules::partnerFilter(q.typ);
        for (qsizetype i = 0; i < forms.rows.size(); ++i)
            if (filter.admits(forms.rows[i].kind)) {
                question.offered << int(i);
                boxes += m_parts->tails[i].size() + 60;
            }
        question.positive = boxHead(QStringLiteral("ot_%1").arg(q.id));
        question.negative = boxHead(QStringLiteral("ot_neg_%1").arg(q.id));
        m_parts->questions << question;
    }
    m_parts->largestPage = 2 * boxes + 12288;
}

PupilPages::~PupilPages() = default;

QByteArray PupilPages::page(const SessionForms::Row &pupil) const {
    const SessionForms &forms = m_forms;
    int respondent = -1;
    for (qsizetype i = 0; i < forms.rows.size(); ++i)
        if (forms.rows[i].id == pupil.id)
            respondent = int(i);
    const QString name = html(pupil.name);
    PageBytes lines(m_parts->largestPage);
    if (m_collection == Collection::WithCodes)
        lines.line(QByteArrayView(kFormGuard));
    for (const QString &line : pageHead(QStringLiteral("Dotazník ") + name))
        lines.line(line);
    lines.line(QByteArrayView("  <form action=\"vysledky.php\" method=\"post\" id=\"dotaznik\">"));
    lines.line(QStringLiteral("  <input name=\"id_vyhodnoceni\" type=\"hidden\" value=\"%1\">").arg(forms.sessionId));
    if (m_collection == Collection::WithCodes)
        // The code the entry page accepted, normalised there to letters and digits of the code alphabet.
        lines.line(QByteArrayView("  <input name=\"kod\" type=\"hidden\" value=\"<?php echo "
                                  "htmlspecialchars($kod, ENT_QUOTES, 'UTF-8'); ?>\">"));
    else
        lines.line(QStringLiteral("  <input name=\"id_zaka\" type=\"hidden\" value=\"%1\">").arg(pupil.id));
    lines.line(QStringLiteral("  <H1>Dotazník pro žáka ") + name + QStringLiteral("</H1>"));
    // "Otázka 2 z 5" while the script shows one question at a time.
    lines.line(QByteArrayView("  <p class=\"postup\" id=\"postup\" hidden></p>"));
    for (qsizetype i = 0; i < forms.questions.size(); ++i) {
        const SessionForms::Question &q = forms.questions[i];
        const Parts::Question &parts = m_parts->questions[i];
        const QString order = html(q.order.toString());
        questionStart(lines, q, QString::number(q.id), QStringLiteral("ot_poz"),
                      order + QStringLiteral(". ") + html(q.text));
        answerBoxes(lines, *m_parts, parts, parts.positive, respondent);
        if (q.typ == 4) {
            lines.line(
                QStringLiteral("     <label class=\"text\" for=\"text_%1\">Tvoje odpověď</label>").arg(q.id));
            lines.line(
                QStringLiteral(
                    "     <textarea id=\"text_%1\" name=\"ot_%1[]\" rows=\"7\" cols=\"120\"></textarea>")
                    .arg(q.id));
            lines.line(QStringLiteral("     <input name=\"ot_%1_typ\" type=\"hidden\" value=\"slovni\">").arg(q.id));
        }
        questionEnd(lines);
        if (!q.negative.isEmpty()) {
            questionStart(lines, q, QStringLiteral("neg_%1").arg(q.id), QStringLiteral("ot_neg"),
                          order + QStringLiteral("-2. ") + html(q.negative));
            answerBoxes(lines, *m_parts, parts, parts.negative, respondent);
            questionEnd(lines);
        }
    }
    lines.line(QByteArrayView("    <p class=\"pocet\" id=\"pocet\" aria-live=\"polite\"></p>"));
    lines.line(
        QByteArrayView("    <div class=\"kroky\"><button type=\"button\" class=\"zpet\" hidden>Zpět</button>"
                       "<button type=\"button\" class=\"dalsi\" hidden>Další</button></div>"));
    lines.line(QStringLiteral("    <input name=\"max\" type=\"hidden\" value=\"%1\">").arg(forms.maxQuestionId()));
    lines.line(QByteArrayView("    <input type=\"submit\" name=\"submit\" value=\"Odeslat\">"));
    for (const QString &line : pageEnd())
        lines.line(line);
    QByteArray bytes = lines.take();
    // The open pages are plain pages: a byte-order mark first.
    return m_collection == Collection::Open ? QByteArray("\xEF\xBB\xBF") + bytes : bytes;
}

QByteArray allowedIds(const SessionForms &forms, Collection collection) {
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
        QStringLiteral("  'kody' => %1,")
            .arg(collection == Collection::WithCodes ? QStringLiteral("true") : QStringLiteral("false")),
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

QByteArray codeList(const QList<QPair<QByteArray, qint64>> &hashes) {
    QByteArrayList lines = {
        "<?php",
        "// Written by Orbelis with the forms of this folder: the SHA-256 of each pupil's "
        "code and the pupil it opens.",
        "return array("};
    for (const auto &[hash, pupil] : hashes) {
        // Only lower-case hex digits reach the quoted key.
        if (hash.size() != 64 || hash.contains('\'') || hash.contains('\\'))
            throw std::logic_error("not a SHA-256 in hex");
        lines << "  '" + hash + "' => " + QByteArray::number(pupil) + ',';
    }
    lines << ");" << QByteArray();
    return lines.join('\n');
}

QByteArray serverRules() {
    return "# Written by Orbelis: the answers, the collector's fault log, the pupils' codes and the allowed "
           "ids\n"
           "# are read by FTP or by the collector only, never served to browsers.\n"
           "<FilesMatch \"^(data\\.csv|data\\.php|chyby\\.php|kody\\.php|povolene\\.php)$\">\n"
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
    return QByteArray("\xEF\xBB\xBF") + encodeScript(lines);
}

QByteArray encodeScript(const QStringList &lines) {
    return lines.join(QStringLiteral("\r\n")).toUtf8();
}

QString sessionFolder(const AppFolders &folders, qint64 sessionId) {
    return folders.dataFolder + QStringLiteral("html/") + QString::number(sessionId) + u'/';
}

std::optional<Result> generate(Database &db, const AppFolders &folders, qint64 sessionId,
                               Collection collection,
                               const std::function<void(int done, int total)> &progress) {
    const std::optional<SessionForms> forms = SessionForms::read(db, sessionId);
    if (!forms)
        return std::nullopt;
    Result result;
    result.folder = sessionFolder(folders, sessionId);

    // The pages of the codes mode begin with PHP that sends headers: no byte-order mark may precede it.
    const bool withCodes = collection == Collection::WithCodes;
    const auto encode = withCodes ? encodeScript : encodePage;
    QList<QPair<QByteArray, qint64>> hashes;
    if (withCodes)
        for (const PupilCode &code : PupilCodes::ensure(db, *forms))
            hashes.append({PupilCodes::hashOf(code.code), code.pupilId});
    // The whole folder is written anew and takes the old one's place at the end: a failure on the way
    // leaves the pages that were there.
    FolderWriter folder(result.folder);
    const auto write = [&result, &folder](const QString &name, const QByteArray &content) {
        if (!folder.write(name, content))
            throw std::runtime_error(folder.errorText().toStdString());
        result.files << name;
    };

    const QList<SessionForms::Row> respondents = forms->respondents();
    const PupilPages pupilPages(*forms, collection);
    if (progress)
        progress(0, int(respondents.size()));
    int done = 0;
    for (const SessionForms::Row &row : respondents) {
        if (PupilKinds::isRealPupil(row.kind)) {
            write(QStringLiteral("zak_%1.php").arg(row.id), pupilPages.page(row));
            ++result.pages;
        }
        if (progress)
            progress(++done, int(respondents.size()));
    }
    write(QStringLiteral("index.php"), encode(FormPages::indexPage(*forms, collection)));
    write(QStringLiteral("kody.php"), codeList(hashes));
    write(QStringLiteral("povolene.php"), FormPages::allowedIds(*forms, collection));
    write(QStringLiteral(".htaccess"), FormPages::serverRules());
    // What else the folder holds (the answers downloaded from the server) goes over into the new one; pages
    // of pupils who left the class would only collect refused posts.
    const bool kept = folder.commit([](const QString &name) {
        return !(name.startsWith(QLatin1String("zak_")) && name.endsWith(QLatin1String(".php")));
    });
    if (!kept)
        throw std::runtime_error(folder.errorText().toStdString());
    return result;
}

} // namespace FormPages
