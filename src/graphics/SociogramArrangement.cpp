#include "graphics/SociogramArrangement.h"

#include "graph/GraphDocument.h"
#include "graph/GraphLink.h"
#include "graph/GraphNode.h"
#include "graphics/SociogramTargetLayout.h"

#include <algorithm>

namespace {

int choiceArrows(const QList<TGraphLink *> &links) {
    return int(std::count_if(links.begin(), links.end(), [](const TGraphLink *link) {
        return SociogramArrangement::isChoiceArrow(link);
    }));
}

} // namespace

int SociogramRandom::next(int range) {
    m_state = m_state * 0x08088405u + 1u;
    if (range < 1)
        return 0;
    return int((quint64(m_state) * quint64(range)) >> 32);
}

QList<KoeficientItem> SociogramArrangement::koeficientItems() {
    QList<KoeficientItem> items{
        {QStringLiteral("Počet žáků děleno šesti"), QStringLiteral("Poetkdlenoesti1"), SixthOfBubbles}};
    for (int n = 8; n >= 2; --n)
        items.append({QString::number(n), QStringLiteral("N%1").arg(n) + u'1', n});
    return items;
}

bool SociogramArrangement::isBubbleColor(TColor color) {
    return color == SociogramColors::Boy || color == SociogramColors::Girl ||
           color == SociogramColors::Option;
}

bool SociogramArrangement::isChoiceArrow(const TGraphObject *object) {
    return object && object->IsLink() && object->Tag() != LostTieTag && object->Tag() != SociogramTargetLayout::RingTag;
}

int SociogramArrangement::koeficient(const GraphDocument &document) const {
    if (m_choice != SixthOfBubbles)
        return qMax(m_choice, 0);
    int bubbles = 0;
    for (const TGraphObject *object : document.Objects())
        if (object->IsNode() && isBubbleColor(object->Brush().Color))
            ++bubbles;
    return bubbles / 6;
}

void SociogramArrangement::removeUnchosenOptions(GraphDocument &document) {
    document.BeginUpdate();
    for (int i = 0; i < document.Objects().Count();) {
        TGraphObject *object = document.Objects()[i];
        if (object->IsNode() && object->Brush().Color == SociogramColors::Option &&
            choiceArrows(object->LinkInputs()) == 0 && choiceArrows(object->LinkOutputs()) == 0 &&
            document.Delete(object))
            continue;
        ++i;
    }
    document.EndUpdate();
}

void SociogramArrangement::arrange(GraphDocument &document) {
    document.BeginUpdate();

    // A graph in the target layout loses its rings and the bends of its arrows.
    SociogramTargetLayout::takeOff(document);
    // Option bubbles nobody chose (and that chose nobody) go first.
    removeUnchosenOptions(document);

    const int threshold = koeficient(document);
    struct Band {
        int top;    // the smallest top a bubble of the band gets
        int bottom; // the largest, included
        int placed = 0;
    };
    auto place = [&](bool boys, Band &little, Band &much) {
        const QList<TGraphObject *> objects = document.Objects().ToList();
        for (TGraphObject *object : objects) {
            if (!object->IsNode())
                continue;
            const TColor color = object->Brush().Color;
            const bool ours = boys ? color == SociogramColors::Boy
                                   : color == SociogramColors::Girl || color == SociogramColors::Option;
            if (!ours)
                continue;
            auto *node = static_cast<TGraphNode *>(object);
            Band &band = 2 * choiceArrows(node->LinkInputs()) < threshold ? little : much;
            const int top = m_random.between(band.top, band.bottom);
            node->SetBounds(50 + 110 * band.placed++, top, node->Width(), node->Height());
        }
    };
    Band littleBoys{110, 199}, muchBoys{300, 399}, muchOthers{460, 559}, littleOthers{630, 729};
    place(true, littleBoys, muchBoys);
    place(false, littleOthers, muchOthers);

    document.AlignSelection(1, 4);
    document.EndUpdate();
}
