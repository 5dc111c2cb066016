#include "graphics/SociogramBuilder.h"

#include "data/DataModule.h"
#include "data/Database.h"
#include "graph/GraphDocument.h"
#include "graph/GraphErrors.h"
#include "graph/GraphLink.h"
#include "graph/NodeShapes.h"
#include "graphics/SociogramInstructions.h"

#include <QDateTime>
#include <QHash>
#include <vector>

namespace {

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

QString plainText(const QVariant &value) {
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

// Answers of one session to one question with one polarity, from one respondent to one partner.
bool answerExists(Database &db, qint64 sessionId, qint64 questionId, qint64 respondentId, qint64 partnerId,
                  bool positive) {
    SqlQuery query(db,
                   QStringLiteral("SELECT 1 FROM odpovedi WHERE id_vyhodnoceni = :s AND id_otazky = :q AND "
                                  "pozitivni = :p AND id_zaka = :z AND id_partnera = :r LIMIT 1"));
    query.bind(QStringLiteral("s"), sessionId)
        .bind(QStringLiteral("q"), questionId)
        .bind(QStringLiteral("p"), Database::boolValue(positive))
        .bind(QStringLiteral("z"), respondentId)
        .bind(QStringLiteral("r"), partnerId);
    query.exec();
    return query.next();
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

bool SociogramBuilder::build(GraphDocument &document, const QString &sessionValue,
                             const QString &questionValue) {
    bool sessionOk = false;
    const qint64 sessionId = sessionValue.toLongLong(&sessionOk);
    const SociogramQuestionKey key = SociogramQuestionKey::parse(questionValue);
    if (!sessionOk || !key.valid)
        return false;

    Dataset &sessions = m_dm.Vyhodnoceni_Query();
    if (!sessions.isOpen() || sessions.isEmpty()) {
        sessions.setParameter(QStringLiteral("par_id_tridy"), m_dm.currentClassId());
        if (!m_dm.RefreshDataset(sessions))
            return false;
    }
    const QVariant classId = m_dm.currentClassId();
    Dataset &questions = m_dm.OtazkyVyhodnoceni_Query();
    if (classId.isNull() || !sessions.locate(QStringLiteral("ID"), sessionId) || !questions.isOpen() ||
        !questions.locate(QStringLiteral("ID"), key.questionId) ||
        questions.value(QStringLiteral("id_testu")).toLongLong() !=
            sessions.value(QStringLiteral("id_testu")).toLongLong())
        return false;

    BusyCaption busy(setBusyCaption);
    Database &db = m_dm.database();
    const Dataset &classes = m_dm.Trida_Query();
    const QString questionText = questions.text(key.positive ? QStringLiteral("text_otazky")
                                                             : QStringLiteral("text_otazky_negativni"));
    const QString heading =
        QStringLiteral("Škola: ") + plainText(classes.value(QStringLiteral("skola"))) +
        QStringLiteral(", vyplněno ") + plainText(sessions.value(QStringLiteral("datum"))) +
        QStringLiteral(", třída ") + plainText(classes.value(QStringLiteral("stupen"))) +
        QStringLiteral(", třídní učitel: ") + plainText(classes.value(QStringLiteral("tridni_ucitel")));

    // Everything is read before the graph changes, so a failing statement leaves the graph as it was.
    std::vector<Bubble> bubbles;
    QHash<qint64, int> bubbleOf;
    {
        SqlQuery rows(db, QStringLiteral("SELECT ID, jmeno, prijmeni, pohlavi FROM zak WHERE id_tridy = :c "
                                         "ORDER BY ID"));
        rows.bind(QStringLiteral("c"), classId);
        rows.exec();
        while (rows.next()) {
            Bubble bubble;
            bubble.id = rows.value(0).toLongLong();
            bubble.name = rows.value(1).toString();
            if (!rows.value(2).isNull())
                bubble.name += u' ' + rows.value(2).toString();
            bubble.kind = rows.value(3).toString();
            if (bubbleOf.contains(bubble.id))
                continue;
            bubbleOf.insert(bubble.id, int(bubbles.size()));
            bubbles.push_back(bubble);
        }
    }
    std::vector<Choice> choices;
    {
        SqlQuery answers(db,
                         QStringLiteral("SELECT id_zaka, id_partnera FROM odpovedi WHERE id_vyhodnoceni = :s "
                                        "AND id_otazky = :q AND pozitivni = :p ORDER BY ID"));
        answers.bind(QStringLiteral("s"), sessionId)
            .bind(QStringLiteral("q"), key.questionId)
            .bind(QStringLiteral("p"), Database::boolValue(key.positive));
        answers.exec();
        while (answers.next()) {
            Choice choice{answers.value(0).toLongLong(), answers.value(1).toLongLong()};
            if (bubbleOf.contains(choice.chooser) && bubbleOf.contains(choice.chosen))
                choices.push_back(choice);
        }
        for (Choice &choice : choices) {
            choice.reciprocal =
                isReciprocal(db, sessionId, key.questionId, choice.chooser, choice.chosen, key.positive);
            choice.ambivalent =
                isAmbivalent(db, sessionId, key.questionId, choice.chooser, choice.chosen, key.positive);
        }
    }

    {
        DocumentUpdate update(document);
        document.Clear();
        document.AddNode<TRectangularNode>(QRect(25, 30, 600, 30))->SetText(heading);
        document.AddNode<TRectangularNode>(QRect(25, 70, 200, 30))
            ->SetText(key.positive ? QStringLiteral("POZITIVNÍ VOLBY") : QStringLiteral("NEGATIVNÍ VOLBY"));
        document.AddNode<TRectangularNode>(QRect(300, 70, 325, 30))->SetText(questionText);

        std::vector<TGraphNode *> nodes;
        nodes.reserve(bubbles.size());
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
    m_questionText = questionText;
    m_positive = key.positive;

    m_arrangement.restartSequence();
    m_arrangement.arrange(document);
    return true;
}

bool SociogramBuilder::isReciprocal(Database &db, qint64 sessionId, qint64 questionId, qint64 chooserId,
                                    qint64 chosenId, bool positive) {
    return answerExists(db, sessionId, questionId, chosenId, chooserId, positive);
}

bool SociogramBuilder::isAmbivalent(Database &db, qint64 sessionId, qint64 questionId, qint64 chooserId,
                                    qint64 chosenId, bool positive) {
    return answerExists(db, sessionId, questionId, chosenId, chooserId, !positive);
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
