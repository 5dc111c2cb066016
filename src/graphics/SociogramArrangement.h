#pragma once

#include "graph/GraphTypes.h"

#include <QList>
#include <QString>

class GraphDocument;
class TGraphObject;

// Fill colours that mark the bubbles of a sociogram (0x00BBGGRR). The arrangement recognises bubbles by
// these exact colours only, so a graph loaded from a file is arranged the same way and a bubble recoloured
// by hand is left alone.
namespace SociogramColors {
constexpr TColor Boy = 0xFFEED9;        // light blue (217, 238, 255), pupils whose `pohlavi` is "muž"
constexpr TColor Girl = 0xDCD9FF;       // light pink (255, 217, 220), every other pupil
constexpr TColor Option = 0xE1E1E1;     // light grey (225, 225, 225), answer-option rows
constexpr TColor Reciprocal = 0x0000FF; // red
constexpr TColor Ambivalent = 0x008000; // green (0, 128, 0)
constexpr TColor LostTie = 0xA0A0A0;    // grey (160, 160, 160), thin dashed: a tie an earlier sociogram had
} // namespace SociogramColors

// The pseudo-random sequence of the arrangement: a 32-bit linear congruential generator (multiplier
// 0x08088405, increment 1) that always starts from the seed 0. It is never seeded from the clock, so the
// same graph arranged after the same number of earlier arrangements lands on the same places, in the
// window and in the headless tool alike.
class SociogramRandom final {
public:
    static constexpr quint32 Seed = 0;

    void restart() { m_state = Seed; }
    // A number from 0 to range - 1 (0 for a range below 1).
    int next(int range);
    // A number from low to high, both included.
    int between(int low, int high) { return low + next(high - low + 1); }

private:
    quint32 m_state = Seed;
};

// One item of the menu "Umístění bublin": the threshold between little-chosen and much-chosen bubbles.
struct KoeficientItem {
    QString caption;
    QString objectName;
    int value = 0; // SociogramArrangement::SixthOfBubbles or the number itself
};

// The banded arrangement of a sociogram ("Uspořádat náhodně"):
//  1. grey option bubbles that no arrow starts from or ends at are deleted;
//  2. the koeficient is the checked number, or the number of bubbles divided by six (remainder dropped);
//  3. a bubble is little-chosen when twice the number of arrows ending at it is below the koeficient;
//  4. bubbles of boys go to the bands "little-chosen" (top 110–199) and "much-chosen" (300–399), the
//     others to "much-chosen" (460–559) and "little-chosen" (630–729); within a band they stand 110 apart
//     from left 50, in the order of the graph's object list, each at a random height inside the band.
// Objects of other colours (headings, boxes added or recoloured by hand) are neither counted nor moved, and
// arrows of lost ties (LostTieTag) are no choices: they neither count for a bubble nor keep an option bubble.
// A graph last arranged by the target layout first loses its rings and the bends of its arrows.
class SociogramArrangement final {
public:
    static constexpr int SixthOfBubbles = -1;
    static constexpr int NoKoeficient = 0;

    // The default item first ("Počet žáků děleno šesti"), then 8 down to 2.
    static QList<KoeficientItem> koeficientItems();

    int choice() const { return m_choice; }
    void setChoice(int choice) { m_choice = choice; }
    // The koeficient the graph gets with the current choice.
    int koeficient(const GraphDocument &document) const;

    // Starts the pseudo-random sequence again (every build does, so a fresh sociogram is always arranged
    // the same way; later arrangements of it go on along the sequence).
    void restartSequence() { m_random.restart(); }
    void arrange(GraphDocument &document);
    // Deletes the grey option bubbles that no choice arrow starts from or ends at (both arrangements do).
    static void removeUnchosenOptions(GraphDocument &document);

    static bool isBubbleColor(TColor color);

    // The tag of the arrows that show a tie an earlier sociogram had and this one lost (graph files keep it).
    static constexpr int LostTieTag = 0x5A4E56;
    // Whether an object is an arrow of a choice: a link that is no lost tie and no ring of the target layout.
    static bool isChoiceArrow(const TGraphObject *object);

private:
    int m_choice = SixthOfBubbles;
    SociogramRandom m_random;
};
