#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>
#include <optional>

class Database;
struct AppFolders;

// What the web forms of one evaluation session show: the class's rows in list order and the
// questionnaire's questions in `poradi` order, read once.
struct SessionForms {
    struct Row {
        qint64 id = 0;
        QString name;  // `cele_jmeno`: first name, a blank and the surname when there is one
        QVariant kind; // `pohlavi`
    };
    struct Question {
        qint64 id = 0;
        QVariant order; // `poradi`
        QString text;
        QString negative;
        QString webDescription; // `popis_pro_web`
        int typ = 0;            // a missing kind counts as 0
    };

    qint64 sessionId = 0;
    qint64 classId = 0;
    qint64 questionnaireId = 0;
    QList<Row> rows;
    QList<Question> questions;

    // Reads the session; nullopt when it does not exist or has no questionnaire. Raises DatabaseError.
    static std::optional<SessionForms> read(Database &db, qint64 sessionId);

    // The respondents in list order (the answer entry's respondent list); those that are real pupils get a
    // page.
    QList<Row> respondents() const;
    // The rows a question offers to a respondent, in list order (the respondent himself left out).
    QList<Row> partners(const Question &question, qint64 respondent) const;
    // Every row the question offers to anyone (the respondent is excluded when a form is checked).
    QList<qint64> offered(const Question &question) const;
    // The largest question id (0 without questions).
    qint64 maxQuestionId() const;
};

// The pages of a session, as text lines (joined by CR LF; see encodePage and encodeScript).
namespace FormPages {

// How the answers of a session are collected.
enum class Collection {
    // The default: the entry page asks only for the pupil's code; a valid code opens that pupil's form,
    // which posts the code, and the collector takes the pupil from the code.
    WithCodes,
    // "Sběr bez kódů": the index lists the pupils' pages and each form posts its pupil's id.
    Open,
};

// The first line of a pupil's page with codes: requested directly, the page answers 404 and shows nothing;
// only the entry page, after a valid code, defines ORBELIS_FORMULAR and includes it.
extern const char kFormGuard[];

// "index.php". With codes: the code entry page (no name on it) that opens the form of a valid code
// (PHP; HTTP 403 and the page again for any other code). Open: the list of the pupils' pages.
QStringList indexPage(const SessionForms &forms, Collection collection = Collection::WithCodes);
// The pupils' pages "zak_<id>.php" of one session. With codes: guarded by kFormGuard, posting the code the
// entry page accepted and no id; open: a plain page (byte-order mark first) posting the pupil's id. What
// every page shares (each row's box, each question's offered rows) is prepared once, so that a page costs
// what it holds; `forms` must outlive the object.
class PupilPages {
public:
    PupilPages(const SessionForms &forms, Collection collection = Collection::WithCodes);
    ~PupilPages();
    // The page of `pupil`, encoded as it is written (lines joined by CR LF).
    QByteArray page(const SessionForms::Row &pupil) const;

    struct Parts;

private:
    const SessionForms &m_forms;
    Collection m_collection;
    std::unique_ptr<Parts> m_parts;
};
// "povolene.php": what the result collector accepts from these forms (session, respondents, per question
// the offered rows of each list and whether it takes a text, and whether codes are required). Served, it
// prints nothing.
QByteArray allowedIds(const SessionForms &forms, Collection collection = Collection::WithCodes);
// "kody.php": the SHA-256 of each normalised code (PupilCodes::hashOf) and the pupil it opens. Served, it
// prints nothing.
QByteArray codeList(const QList<QPair<QByteArray, qint64>> &hashes);
// ".htaccess" for Apache servers: the answers, the fault log, the codes and the allowed ids are not served.
QByteArray serverRules();
// BOM + lines joined by CR LF: the plain pages.
QByteArray encodePage(const QStringList &lines);
// Lines joined by CR LF without a BOM: pages that begin with PHP code, which must send its headers before
// any byte of output.
QByteArray encodeScript(const QStringList &lines);

// The session's folder: data folder + "html/" + session id + "/".
QString sessionFolder(const AppFolders &folders, qint64 sessionId);

struct Result {
    QString folder;
    int pages = 0;
    QStringList files; // the names written into the folder, in the order written
};
// Writes the index page, one form page per real pupil among the respondents, the code list, the allowed
// ids and the server rules into the session folder (created when missing); form pages of rows that are no
// longer respondents are removed. With codes, the pupils' codes are made where missing
// (PupilCodes::ensure); open, the code list is empty. The folder is written whole or not at all
// (FolderWriter): the pages go into a new folder, made durable once and swapped into place, and the other
// files of the old folder (the downloaded answers) go over into it. progress(done, total) is called before
// the first respondent and after each. nullopt when the session has no questionnaire. Raises
// std::runtime_error (Czech message) when a file cannot be written (the folder stays as it was),
// DatabaseError on a failing query.
std::optional<Result> generate(Database &db, const AppFolders &folders, qint64 sessionId,
                               Collection collection = Collection::WithCodes,
                               const std::function<void(int done, int total)> &progress = {});

} // namespace FormPages
