#include "graphics/SociogramBuilder.h"

#include "data/AnonymousCopy.h"
#include "data/DataModule.h"
#include "data/SessionOutput.h"
#include "graph/CaptionLayout.h"
#include "graph/GraphDocument.h"
#include "graph/GraphErrors.h"
#include "graph/GraphLink.h"
#include "graph/NodeShapes.h"
#include "graphics/SociogramInstructions.h"
#include "graphics/SociogramKeptLayout.h"
#include "graphics/SociogramLayouts.h"
#include "graphics/SociogramTargetLayout.h"

#include <QDateTime>
#include <QHash>
#include <QPair>
#include <QSet>
#include <vector>

namespace {

// The question box as it stands while the question fits on one line, and how a longer one grows.
constexpr QRect kQuestionBox(300, 70, 325, 30);
constexpr int kQuestionMargin = 8;
constexpr int kWrappedQuestionMargin = 4;
constexpr int kWrappedQuestionRight = 925;

const QString kBusyCaption = QStringLiteral("Orbelis - Pracuji...");
const QString kIdleCaption = QStringLiteral("Orbelis");

// Puts the idle caption back however the build ends.
class BusyCaption final {
public:
    explicit BusyCaption(const std::function<void(const QString &)> &set) : m_set(set) {
        if (m_set)
            m_set(kBusyCaption);
    }
    ~BusyCaption() {
        if (m_set)
            m_set(kIdleCaption);
    }
    Q_DISABLE_COPY_MOVE(BusyCaption)

private:
    const std::function<void(const QString &)> &m_set;
};

// Keeps the document's update open only while the graph is changed.
class DocumentUpdate final {
public:
    explicit DocumentUpdate(GraphDocument &document) : m_document(document) { m_document.BeginUpdate(); }
    ~DocumentUpdate() { m_document.EndUpdate(); }
    Q_DISABLE_COPY_MOVE(DocumentUpdate)

private:
    GraphDocument &m_document;
};

struct Bubble {
    qint64 id = 0;
    QString name;
    QString kind; // `pohlavi`
};

struct Choice {
    qint64 chooser = 0;
    qint64 chosen = 0;
    bool reciprocal = false;
    bool ambivalent = false;
};

// One choice of a session to one question with one polarity, as a key of the choices made.
struct ChoiceKey {
    qint64 question = 0;
    qint64 respondent = 0;
    qint64 partner = 0;
    bool positive = true;
    bool operator==(const ChoiceKey &other) const = default;
};

size_t qHash(const ChoiceKey &key, size_t seed = 0) {
    return qHashMulti(seed, key.question, key.respondent, key.partner, key.positive);
}

void styleArrow(TGraphLink *link, bool reciprocal, bool ambivalent) {
    TGraphPen pen = link->Pen();
    pen.Width = 2;
    if (reciprocal) {
        pen.Color = SociogramColors::Reciprocal;
        link->SetBrushColor(SociogramColors::Reciprocal);
    }
    if (ambivalent) {
        pen.Color = SociogramColors::Ambivalent;
        pen.Width = 1;
        pen.Style = psDot;
        link->SetBrushColor(SociogramColors::Ambivalent);
    }
    link->SetPen(pen);
}

} // namespace

SociogramQuestionKey SociogramQuestionKey::parse(const QString &value) {
    SociogramQuestionKey key;
    key.positive = !value.contains(u'_');
    const QString id = key.positive ? value : value.left(value.size() - 1);
    key.questionId = id.toLongLong(&key.valid);
    return key;
}

SociogramBuilder::SociogramBuilder(TDM &dm) : m_dm(dm) {}

QList<SociogramMenuItem> SociogramBuilder::sessionItems() const {
    QList<SociogramMenuItem> items;
    const Dataset &sessions = m_dm.Vyhodnoceni_Query();
    if (!sessions.isOpen())
        return items;
    const int id = sessions.fieldIndex(QStringLiteral("ID"));
    const int caption = sessions.fieldIndex(QStringLiteral("cely_nazev"));
    for (int row = 0; row < sessions.recordCount(); ++row)
        items.append({sessions.value(row, caption).toString(), sessions.value(row, id).toString()});
    return items;
}

QList<SociogramMenuItem> SociogramBuilder::questionItems(qint64 sessionId) {
    QList<SociogramMenuItem> items;
    Dataset &sessions = m_dm.Vyhodnoceni_Query();
    if (!sessions.isOpen() || !sessions.locate(QStringLiteral("ID"), sessionId))
        return items;
    Dataset &questions = m_dm.OtazkyVyhodnoceni_Query();
    questions.setParameter(QStringLiteral("par_testy_id"), sessions.value(QStringLiteral("id_testu")));
    if (!m_dm.RefreshDataset(questions))
        return items;
    const int id = questions.fieldIndex(QStringLiteral("ID"));
    const int text = questions.fieldIndex(QStringLiteral("text_otazky"));
    const int negative = questions.fieldIndex(QStringLiteral("text_otazky_negativni"));
    for (int row = 0; row < questions.recordCount(); ++row) {
        const QString number = QString::number(row + 1) + u' ';
        const QString value = questions.value(row, id).toString();
        items.append({number + questions.value(row, text).toString(), value});
        const QString negativeText = questions.value(row, negative).toString();
        if (!negativeText.isEmpty())
            items.append({number + negativeText, value + u'_'});
    }
    return items;
}

bool SociogramBuilder::offers(const SessionOutputData &session, const SociogramQuestionKey &key) {
    const OutputQuestion *question = session.questionnaire.question(key.questionId);
    return key.valid && question && (key.positive || !question->textOtazkyNegativni.isEmpty());
}

bool SociogramBuilder::build(GraphDocument &document, const QString &sessionValue,
                             const QString &questionValue) {
    bool sessionOk = false;
    const qint64 sessionId = sessionValue.toLongLong(&sessionOk);
    const SociogramQuestionKey key = SociogramQuestionKey::parse(questionValue);
    if (!sessionOk || !key.valid)
        return false;
    AnonymousCopy::OutputDatabase source(m_dm.database(), {sessionId}, m_anonymous);
    std::optional<SessionOutputData> session = readSession(source.db(), sessionId);
    if (!session || !offers(*session, key))
        return false;
    BusyCaption busy(setBusyCaption);
    readSessionChoices(source.db(), *session, key.questionId);
    return build(document, *session, key);
}

QString SociogramBuilder::dateText(const QVariant &value) {
    if (value.isNull() || !value.isValid())
        return QString();
    if (value.metaType().id() == QMetaType::QDateTime || value.metaType().id() == QMetaType::QDate) {
        const QDateTime when = value.toDateTime();
        // Czech short date; the time only when there is one.
        QString text = when.date().toString(QStringLiteral("d.M.yyyy"));
        if (when.time().isValid() && when.time() != QTime(0, 0))
            text += when.time().toString(QStringLiteral(" H:mm:ss"));
        return text;
    }
    return value.toString();
}

QRect SociogramBuilder::questionBox(const GraphDocument &document, const QString &text, int *margin) {
    const TextMetrics &metrics = document.MetricsFor(document.Font());
    bool longer = false;
    CaptionLayout::wrap(text, metrics, kQuestionBox.width() - 2 * kQuestionMargin, 1, &longer);
    if (!longer) {
        *margin = kQuestionMargin;
        return kQuestionBox;
    }
    *margin = kWrappedQuestionMargin;
    const int width = kWrappedQuestionRight - kQuestionBox.left();
    const qsizetype lines = std::max<qsizetype>(
        1, CaptionLayout::wrap(text, metrics, width - 2 * kWrappedQuestionMargin).size());
    const int height = std::max(kQuestionBox.height(), int(lines) * metrics.height() + 2 * kWrappedQuestionMargin + 1);
    return QRect(kQuestionBox.left(), kQuestionBox.top(), width, height);
}

QList<SociogramBubble> SociogramBuilder::draw(GraphDocument &document, const SessionOutputData &session,
                                              const SociogramQuestionKey &key, SociogramArrangement &arrangement,
                                              SociogramLayout layout) {
    const OutputQuestion &question = *session.questionnaire.question(key.questionId);
    const QString questionText = key.positive ? question.textOtazky : question.textOtazkyNegativni;
    const QString heading = QStringLiteral("Škola: ") + session.trida.skola + QStringLiteral(", vyplněno ") +
                            dateText(session.datum) + QStringLiteral(", třída ") + session.trida.stupen +
                            QStringLiteral(", třídní učitel: ") + session.trida.tridniUcitel;

    std::vector<Bubble> bubbles;
    QHash<qint64, int> bubbleOf;
    for (const OutputPupil &pupil : session.roster) {
        if (bubbleOf.contains(pupil.id))
            continue;
        bubbleOf.insert(pupil.id, int(bubbles.size()));
        bubbles.push_back({pupil.id, pupil.fullName(), pupil.pohlavi});
    }
    // Every choice of the session to the question, to tell reciprocal and ambivalent arrows.
    QSet<ChoiceKey> made;
    for (const OutputAnswer &answer : session.answers)
        if (answer.question == key.questionId && answer.positive)
            made.insert({answer.question, answer.respondent, answer.partner, *answer.positive});
    std::vector<Choice> choices;
    for (const OutputAnswer &answer : session.answers) {
        if (answer.question != key.questionId || answer.positive != key.positive ||
            !bubbleOf.contains(answer.respondent) || !bubbleOf.contains(answer.partner))
            continue;
        Choice choice{answer.respondent, answer.partner};
        choice.reciprocal = made.contains({key.questionId, choice.chosen, choice.chooser, key.positive});
        choice.ambivalent = made.contains({key.questionId, choice.chosen, choice.chooser, !key.positive});
        choices.push_back(choice);
    }

    QList<SociogramBubble> builtBubbles;
    {
        DocumentUpdate update(document);
        document.Clear();
        document.AddNode<TRectangularNode>(QRect(25, 30, 600, 30))->SetText(heading);
        document.AddNode<TRectangularNode>(QRect(25, 70, 200, 30))
            ->SetText(key.positive ? QStringLiteral("POZITIVNÍ VOLBY") : QStringLiteral("NEGATIVNÍ VOLBY"));
        int margin = kQuestionMargin;
        TGraphNode *box = document.AddNode<TRectangularNode>(questionBox(document, questionText, &margin));
        box->SetMargin(margin);
        box->SetText(questionText);

        std::vector<TGraphNode *> nodes;
        nodes.reserve(bubbles.size());
        builtBubbles.reserve(qsizetype(bubbles.size()));
        const QRect provisional(25, 25, 100, 50);
        for (const Bubble &bubble : bubbles) {
            TGraphNode *node = nullptr;
            TColor color = SociogramColors::Option;
            if (bubble.kind == QStringLiteral("muž")) {
                node = document.AddNode<TRectangularNode>(provisional);
                color = SociogramColors::Boy;
            } else {
                node = document.AddNode<TRoundRectangularNode>(provisional);
                if (bubble.kind == QStringLiteral("žena"))
                    color = SociogramColors::Girl;
            }
            node->SetText(bubble.name);
            node->SetBrushColor(color);
            nodes.push_back(node);
            builtBubbles.append({node->ID(), bubble.id});
        }
        for (const Choice &choice : choices) {
            TGraphNode *source = nodes[size_t(bubbleOf.value(choice.chooser))];
            TGraphNode *target = nodes[size_t(bubbleOf.value(choice.chosen))];
            if (source == target)
                continue; // a pupil who chose himself: an arrow needs two ends
            styleArrow(document.AddLink(source, target), choice.reciprocal, choice.ambivalent);
        }
        document.AlignSelection(1, 4);
    }
    arrangement.restartSequence();
    if (layout == SociogramLayout::Target)
        SociogramTargetLayout::arrange(document);
    else
        arrangement.arrange(document);
    return builtBubbles;
}

bool SociogramBuilder::build(GraphDocument &document, const SessionOutputData &session,
                             const SociogramQuestionKey &key) {
    if (!offers(session, key))
        return false;
    // The earlier sociogram is read before the graph is touched, so a failing read leaves it as it was.
    std::optional<EarlierSociogram> earlier;
    m_keptLayoutNote.clear();
    if (m_keptLayoutOf)
        earlier = SociogramKeptLayout::earlier(m_dm.database(), session, key, *m_keptLayoutOf,
                                               m_arrangement.choice(), m_layout, &m_keptLayoutNote);

    const QList<SociogramBubble> builtBubbles = draw(document, session, key, m_arrangement, m_layout);
    const OutputQuestion &question = *session.questionnaire.question(key.questionId);
    m_questionText = key.positive ? question.textOtazky : question.textOtazkyNegativni;
    m_positive = key.positive;
    m_builtDocument = &document;
    m_bubbles = builtBubbles;
    m_builtQuestion = key.questionId;
    // Only the answers to the question count for its statuses.
    m_builtSession = session;
    m_builtSession->answers.removeIf(
        [&](const OutputAnswer &answer) { return answer.question != key.questionId; });
    m_statuses.reset();

    m_keptLayout = earlier.has_value();
    m_lostTies.clear();
    if (earlier) {
        SociogramKeptLayout::place(document, m_bubbles, earlier->positions);
        if (m_layout == SociogramLayout::Target) {
            SociogramTargetLayout::removeRings(document);
            SociogramTargetLayout::routeArrows(document);
        }
        m_lostTies = SociogramKeptLayout::lostTies(*earlier, session, key);
        if (m_lostTiesShown)
            showLostTies(document);
    }
    if (statusColours())
        showStatusColours(document);
    else if (groupColours())
        showGroupColours(document);
    return true;
}

bool SociogramBuilder::holdsBuild(const GraphDocument &document) const {
    return m_builtDocument && m_builtDocument == &document && m_builtSession.has_value();
}

bool SociogramBuilder::showStatusColours(GraphDocument &document) {
    if (!holdsBuild(document))
        return false;
    if (!m_statuses)
        m_statuses = SociogramStatusColours::statusesOf(*m_builtSession, m_builtQuestion);
    SociogramStatusColours::show(document, m_bubbles, *m_statuses);
    return true;
}

bool SociogramBuilder::showGroupColours(GraphDocument &document) {
    if (!holdsBuild(document))
        return false;
    SociogramStatusColours::show(document, m_bubbles,
                                 SociogramStatusColours::groupFrames(groupsOf ? groupsOf(m_builtSession->id)
                                                                              : QList<QList<qint64>>()));
    return true;
}

bool SociogramBuilder::showLostTies(GraphDocument &document) {
    if (!holdsBuild(document) || !m_keptLayout)
        return false;
    SociogramKeptLayout::showLostTies(document, m_bubbles, m_lostTies);
    return true;
}

void SociogramBuilder::hideLostTies(GraphDocument &document) {
    SociogramKeptLayout::hideLostTies(document);
}

bool SociogramBuilder::rememberLayout(const GraphDocument &document) {
    if (!holdsBuild(document))
        return false;
    SociogramLayouts::store(m_dm.database(), m_builtSession->id, m_builtQuestion, m_positive,
                            SociogramLayouts::positionsOf(document, m_bubbles));
    return true;
}

void SociogramBuilder::forgetBuild() {
    m_keptLayout = false;
    m_lostTies.clear();
    m_builtDocument = nullptr;
    m_bubbles.clear();
    m_builtSession.reset();
    m_statuses.reset();
}

bool SociogramBuilder::addRelation(GraphDocument &document, SociogramRelation relation) {
    const QList<TGraphObject *> selected = document.SelectedObjects().ToList();
    if (selected.size() != 2)
        return false;
    TGraphObject *first = selected.at(0);
    TGraphObject *second = selected.at(1);
    DocumentUpdate update(document);
    try {
        TGraphLink *link = document.AddLink(first, second);
        TGraphPen pen = link->Pen();
        pen.Width = 2;
        if (relation == SociogramRelation::Reciprocal) {
            pen.Color = SociogramColors::Reciprocal;
            link->SetPen(pen);
            link->SetBrushColor(SociogramColors::Reciprocal);
            TGraphLink *back = document.AddLink(second, first);
            back->SetPen(pen);
            back->SetBrushColor(SociogramColors::Reciprocal);
        } else if (relation == SociogramRelation::Ambivalent) {
            pen.Color = SociogramColors::Ambivalent;
            pen.Width = 1;
            pen.Style = psDot;
            link->SetPen(pen);
            link->SetBrushColor(SociogramColors::Ambivalent);
        } else {
            link->SetPen(pen);
        }
    } catch (const EGraphInvalidOperation &) {
        return false;
    }
    return true;
}

void SociogramBuilder::showInstructions(GraphDocument &document) {
    DocumentUpdate update(document);
    document.Clear();
    for (const SociogramInstruction &box : sociogramInstructions()) {
        auto *node = document.AddNode<TRectangularNode>(QRect(box.left, box.top, box.width, box.height));
        node->SetAlignment(taLeftJustify);
        node->SetText(box.text);
    }
}

QString SociogramBuilder::arrangementHelp() {
    return QStringList{
        QStringLiteral("Pozice bublin se stanovuje na základě těchto kritérií. Bublina, která obdrží nejméně "
                       "hlasů, má pozici v horní či spodní části grafu. Pokud je bublina muž, tak je v horní "
                       "části, jinak je ve spodní části."),
        QStringLiteral("Bubliny s nejvíce hlasy jsou uprostřed."), QString(),
        QStringLiteral("To, zda má bublina hodně nebo málo hlasů určuje koeficient. "),
        QStringLiteral("Ten je nastaven jako šestina počtu žáků. Můžete jej natavit i na jinou hodnotu tímto "
                       "nastavením.")}
        .join(QStringLiteral("\r\n"));
}
