#pragma once

#include "data/SessionOutput.h"
#include "graphics/SociogramArrangement.h"
#include "graphics/SociogramStatusColours.h"

#include <QList>
#include <QPair>
#include <QPointer>
#include <QRect>
#include <QString>

#include <functional>
#include <optional>

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

// Which arrangement a build ends with: the bands ("Uspořádat náhodně", SociogramArrangement, the default)
// or the target layout ("Uspořádat přehledně", SociogramTargetLayout).
enum class SociogramLayout { Bands, Target };

// Sociogram of one question of one evaluation session, as the sociogram window and the headless tool need it:
//  - sessionItems(): the sessions of Vyhodnoceni_Query (the current class), in that dataset's order;
//  - questionItems(session): the questions of the session's questionnaire (OtazkyVyhodnoceni_Query is
//    re-read for it), one item per wording;
//  - build(): from the session read by id (readSessionOutput): heading, polarity label, question, one
//    bubble per row of the session's class, one arrow per answer of the session to the question with that
//    polarity, then the arrangement (layout(): the bands unless the target layout is chosen). The menus are
//    the window's; the build needs no dataset.
// The question box keeps its place and size while the question fits on one line; a longer question gets a
// wider box (to the right edge 925) with as many lines as it needs, never cut short.
// An arrow is red when the chosen pupil made the same kind of choice back, green and dotted when the chosen
// pupil chose the chooser with the other polarity; both look at the answers of the same session only.
// With statusColours() on, a build ends by framing the bubbles in the pupils' status colours with the
// legend (SociogramStatusColours); off, the sociogram is exactly as without it.
// With keptLayoutOf() set, a build keeps the positions of the earlier session's sociogram of the matching
// question (SociogramKeptLayout) and, with lostTiesShown() on, draws the ties it lost; unset (the default),
// the sociogram is exactly as without it. The kept places win over either arrangement; in the target layout
// its rings are then taken off (they would name places the bubbles no longer have) and the arrows are led
// round the bubbles again.
class SociogramBuilder final {
public:
    explicit SociogramBuilder(TDM &dm);

    QList<SociogramMenuItem> sessionItems() const;
    QList<SociogramMenuItem> questionItems(qint64 sessionId);

    // The window's build from the values of its two menu items: reads the session by id, then builds as
    // below under the busy caption. Returns false, with the graph untouched, when the values are no ids, the
    // session (or its class) does not exist or the question is not offered (offers()). Database errors
    // propagate as DatabaseError; the busy caption is put back in any case.
    bool build(GraphDocument &document, const QString &sessionValue, const QString &questionValue);
    // Clears the graph and builds the sociogram of the question and polarity from a session read with its
    // roster and answers, then arranges it as layout() says, the pseudo-random sequence restarted. Returns
    // false, with the graph untouched, when the question is not offered.
    bool build(GraphDocument &document, const SessionOutputData &session, const SociogramQuestionKey &key);
    // Whether the session's questionnaire has the question, and for the negative polarity a negative wording.
    static bool offers(const SessionOutputData &session, const SociogramQuestionKey &key);
    // Clears the graph, draws the sociogram of an offered question and arranges it with the arrangement's
    // sequence restarted (the bands) or with the target layout; returns its bubbles. The sociogram every
    // build starts from.
    static QList<SociogramBubble> draw(GraphDocument &document, const SessionOutputData &session,
                                       const SociogramQuestionKey &key, SociogramArrangement &arrangement,
                                       SociogramLayout layout = SociogramLayout::Bands);
    // The bounds of the question box for a question text (see above), its margin in *margin.
    static QRect questionBox(const GraphDocument &document, const QString &text, int *margin);
    // A session's date as the heading writes it: "4.3.2021", the time only when there is one.
    static QString dateText(const QVariant &datum);

    // Question text of the last build (the negative wording for a negative build); empty before one.
    QString questionText() const { return m_questionText; }
    bool lastBuildPositive() const { return m_positive; }

    SociogramArrangement &arrangement() { return m_arrangement; }
    SociogramLayout layout() const { return m_layout; }
    void setLayout(SociogramLayout layout) { m_layout = layout; }

    // "Anonymně": whether builds read the session from an anonymised copy (AnonymousCopy), codes for
    // names and no school or teacher in the heading; off by default.
    bool anonymous() const { return m_anonymous; }
    void setAnonymous(bool on) { m_anonymous = on; }

    // "Obarvit podle sociometrického statusu" and "Obarvit podle skupin": whether builds colour the frames,
    // one colouring at a time (switching one on switches the other off); both off by default.
    bool statusColours() const { return m_frames == SociogramStatusColours::Kind::Status; }
    void setStatusColours(bool on) { setFrames(SociogramStatusColours::Kind::Status, on); }
    bool groupColours() const { return m_frames == SociogramStatusColours::Kind::Groups; }
    void setGroupColours(bool on) { setFrames(SociogramStatusColours::Kind::Groups, on); }
    // The groups of a session as last shown in "Rozdělení do skupin" (members by pupil id); none unset.
    std::function<QList<QList<qint64>>(qint64 sessionId)> groupsOf;
    // Whether the graph holds this builder's last sociogram, hand-edited or not, i.e. it was built into that
    // document and not replaced since by a file or the instructions (which call forgetBuild()).
    bool holdsBuild(const GraphDocument &document) const;
    // Frames the bubbles of the last build in their pupils' status colours and adds the legend (with the
    // reason when there are no statuses); false, with nothing changed, when the graph does not hold it.
    bool showStatusColours(GraphDocument &document);
    // The same with the frames in the colours of the session's groups (groupsOf), or the legend's reason.
    bool showGroupColours(GraphDocument &document);
    // Takes the colouring off any graph.
    static void hideStatusColours(GraphDocument &document) { SociogramStatusColours::hide(document); }

    // "Zachovat rozmístění podle…": the earlier session whose sociogram's layout builds keep; nullopt (the
    // default) builds as without it.
    std::optional<qint64> keptLayoutOf() const { return m_keptLayoutOf; }
    void setKeptLayoutOf(std::optional<qint64> sessionId) { m_keptLayoutOf = sessionId; }
    // Why the last build kept no layout although asked to (the earlier session is gone or has no matching
    // question); empty otherwise.
    QString keptLayoutNote() const { return m_keptLayoutNote; }
    // Whether the last build kept the layout of an earlier sociogram.
    bool keptLayout() const { return m_keptLayout; }
    // "Ukázat zaniklé vazby": whether builds that keep a layout draw the lost ties; off by default.
    bool lostTiesShown() const { return m_lostTiesShown; }
    void setLostTiesShown(bool on) { m_lostTiesShown = on; }
    // Draws the lost ties of the last build; false, with nothing changed, when the graph does not hold a
    // build that kept a layout.
    bool showLostTies(GraphDocument &document);
    // Takes the lost ties off any graph.
    static void hideLostTies(GraphDocument &document);
    // "Zapamatovat rozmístění" (and every save of the sociogram to the class documents): stores the places
    // of the last build's bubbles as they stand now for its session, question and polarity; false, with
    // nothing stored, when the graph does not hold the last build. Raises DatabaseError.
    bool rememberLayout(const GraphDocument &document);
    // The graph no longer holds the last build (a file was loaded into it, the instructions were put in).
    void forgetBuild();

    // Called with "Orbelis - Pracuji..." when a build starts and with "Orbelis" when it ends.
    std::function<void(const QString &)> setBusyCaption;

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
    SociogramLayout m_layout = SociogramLayout::Bands;
    QString m_questionText;
    bool m_positive = true;
    SociogramStatusColours::Kind m_frames = SociogramStatusColours::Kind::None;
    void setFrames(SociogramStatusColours::Kind kind, bool on) {
        if (on)
            m_frames = kind;
        else if (m_frames == kind)
            m_frames = SociogramStatusColours::Kind::None;
    }
    bool m_anonymous = false;
    // The last build: its graph, its bubbles, and the session with the answers to its question, from
    // which the status groups are computed the first time they are shown.
    QPointer<const GraphDocument> m_builtDocument;
    QList<SociogramBubble> m_bubbles;
    std::optional<SessionOutputData> m_builtSession;
    qint64 m_builtQuestion = 0;
    std::optional<SociogramStatuses> m_statuses;
    std::optional<qint64> m_keptLayoutOf;
    bool m_lostTiesShown = false;
    bool m_keptLayout = false;
    QString m_keptLayoutNote;
    QList<QPair<qint64, qint64>> m_lostTies; // of the last build that kept a layout
};
