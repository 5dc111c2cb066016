#pragma once

#include "graphics/SociogramArrangement.h"

#include <QList>
#include <QString>

#include <functional>

class Database;
class GraphDocument;
class TDM;

// One item of the two choice menus of the sociogram window: its caption and its value (a session id, or a
// question id with "_" appended for the negative wording).
struct SociogramMenuItem {
    QString caption;
    QString value;
    bool operator==(const SociogramMenuItem &other) const = default;
};

// The question and polarity a question item stands for.
struct SociogramQuestionKey {
    qint64 questionId = 0;
    bool positive = true;
    bool valid = false;
    // "12" is question 12 with its positive wording, "12_" the same question with its negative wording.
    static SociogramQuestionKey parse(const QString &value);
};

// The kinds of arrow the teacher can draw by hand between two selected objects.
enum class SociogramRelation { Classic, Reciprocal, Ambivalent };

// Sociogram of one question of one evaluation session, built from the data module's datasets exactly as the
// sociogram window and the headless tool need it:
//  - sessionItems(): the sessions of Vyhodnoceni_Query (the current class), in that dataset's order;
//  - questionItems(session): the questions of the session's questionnaire (OtazkyVyhodnoceni_Query is
//    re-read for it), one item per wording;
//  - build(): heading, polarity label, question, one bubble per row of the current class, one arrow per
//    answer of the session to the question with that polarity, then the arrangement.
// An arrow is red when the chosen pupil made the same kind of choice back, green and dotted when the chosen
// pupil chose the chooser with the other polarity; both look at the answers of the same session only.
class SociogramBuilder final {
public:
    explicit SociogramBuilder(TDM &dm);

    QList<SociogramMenuItem> sessionItems() const;
    QList<SociogramMenuItem> questionItems(qint64 sessionId);

    // Clears the graph and builds the sociogram of the session and question item, then arranges it with a
    // restarted pseudo-random sequence. Returns false, with the graph untouched, when there is no current
    // class, the session is not one of the class or the question is not one of its questionnaire.
    // Database errors propagate as DatabaseError; the busy caption is put back in any case.
    bool build(GraphDocument &document, const QString &sessionValue, const QString &questionValue);

    // Question text of the last build (the negative wording for a negative build); empty before one.
    QString questionText() const { return m_questionText; }
    bool lastBuildPositive() const { return m_positive; }

    SociogramArrangement &arrangement() { return m_arrangement; }

    // Called with "Orbelis - Pracuji..." when a build starts and with "Orbelis" when it ends.
    std::function<void(const QString &)> setBusyCaption;

    // Whether the chosen pupil chose the chooser back with the same polarity in the same session.
    static bool isReciprocal(Database &db, qint64 sessionId, qint64 questionId, qint64 chooserId,
                             qint64 chosenId, bool positive);
    // Whether the chosen pupil chose the chooser with the other polarity in the same session.
    static bool isAmbivalent(Database &db, qint64 sessionId, qint64 questionId, qint64 chooserId,
                             qint64 chosenId, bool positive);

    // Hand-made relation from the first to the second selected object; nothing happens unless exactly two
    // objects are selected and they can be linked. Returns whether arrows were made.
    static bool addRelation(GraphDocument &document, SociogramRelation relation);
    // Empties the graph and puts the instruction boxes in.
    static void showInstructions(GraphDocument &document);
    // Text of "Nápověda..." in the menu "Umístění bublin".
    static QString arrangementHelp();

private:
    TDM &m_dm;
    SociogramArrangement m_arrangement;
    QString m_questionText;
    bool m_positive = true;
};
