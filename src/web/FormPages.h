#pragma once

#include <QList>
#include <QString>
#include <QVariant>
#include <functional>
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

// The pages of a session, as text lines (joined by CR LF and written with a UTF-8 byte-order mark).
namespace FormPages {

QStringList indexPage(const SessionForms &forms);
QStringList pupilPage(const SessionForms &forms, const SessionForms::Row &pupil);
// "povolene.php": what the result collector accepts from these forms (session, respondents, and per
// question the offered rows of each list and whether it takes a text). Served, it prints nothing.
QByteArray allowedIds(const SessionForms &forms);
// ".htaccess" for Apache servers: the collected answers ("data.csv") are not served to browsers.
QByteArray serverRules();
// BOM + lines joined by CR LF.
QByteArray encodePage(const QStringList &lines);

// The session's folder: data folder + "html/" + session id + "/".
QString sessionFolder(const AppFolders &folders, qint64 sessionId);

struct Result {
    QString folder;
    int pages = 0;
};
// Writes the index page, one form page per real pupil among the respondents, the allowed ids and the
// server rules into the session folder (created when missing); form pages of rows that are no longer
// respondents are removed. progress(done, total) is called before the first respondent and after each.
// nullopt when the session has no questionnaire. Raises std::runtime_error (Czech message) when a file
// cannot be written (pages written so far stay), DatabaseError on a failing query.
std::optional<Result> generate(Database &db, const AppFolders &folders, qint64 sessionId,
                               const std::function<void(int done, int total)> &progress = {});

} // namespace FormPages
