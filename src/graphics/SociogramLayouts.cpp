#include "graphics/SociogramLayouts.h"

#include "data/Database.h"
#include "data/Schema.h"
#include "graph/GraphDocument.h"
#include "graph/GraphNode.h"
#include "graphics/SociogramArrangement.h"

namespace SociogramLayouts {

namespace {

QVariantMap keyOf(qint64 sessionId, qint64 questionId, bool positive) {
    return {{QStringLiteral("s"), sessionId},
            {QStringLiteral("q"), questionId},
            {QStringLiteral("b"), Database::boolValue(positive)}};
}

} // namespace

SociogramPositions read(Database &db, qint64 sessionId, qint64 questionId, bool positive) {
    SociogramPositions positions;
    if (!Schema::hasTables(db, {QStringLiteral("rozmisteni")}))
        return positions;
    SqlQuery query(db, QStringLiteral("SELECT id_zaka, x, y FROM rozmisteni WHERE id_vyhodnoceni = :s AND "
                                      "id_otazky = :q AND pozitivni = :b"));
    query.bind(QStringLiteral("s"), sessionId)
        .bind(QStringLiteral("q"), questionId)
        .bind(QStringLiteral("b"), Database::boolValue(positive))
        .exec();
    while (query.next())
        positions.insert(query.value(0).toLongLong(), QPoint(query.value(1).toInt(), query.value(2).toInt()));
    return positions;
}

void store(Database &db, qint64 sessionId, qint64 questionId, bool positive,
           const SociogramPositions &positions) {
    const QVariantMap key = keyOf(sessionId, questionId, positive);
    Transaction transaction(db);
    db.exec(QStringLiteral(
                "DELETE FROM rozmisteni WHERE id_vyhodnoceni = :s AND id_otazky = :q AND pozitivni = :b"),
            key);
    for (auto it = positions.begin(); it != positions.end(); ++it) {
        QVariantMap row = key;
        row.insert(QStringLiteral("z"), it.key());
        row.insert(QStringLiteral("x"), it.value().x());
        row.insert(QStringLiteral("y"), it.value().y());
        db.exec(QStringLiteral("INSERT INTO rozmisteni (id_vyhodnoceni, id_otazky, pozitivni, id_zaka, x, y) "
                               "VALUES (:s, :q, :b, :z, :x, :y)"),
                row);
    }
    transaction.commit();
}

SociogramPositions positionsOf(const GraphDocument &document, const QList<SociogramBubble> &bubbles) {
    SociogramPositions positions;
    for (const SociogramBubble &bubble : bubbles) {
        const TGraphObject *object = document.FindObjectByID(bubble.nodeId);
        if (!object || !object->IsNode() || !SociogramArrangement::isBubbleColor(object->Brush().Color))
            continue;
        const QRect bounds = static_cast<const TGraphNode *>(object)->Bounds();
        positions.insert(bubble.pupilId, bounds.topLeft());
    }
    return positions;
}

} // namespace SociogramLayouts
