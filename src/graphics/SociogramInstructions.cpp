#include "graphics/SociogramInstructions.h"

QList<SociogramInstruction> sociogramInstructions()
{
    struct Box {
        int top, width, height;
        const char *text;
    };
    static const Box boxes[] = {
        {30, 600, 30, "1. Nejdříve vyberte přes tlačítko \"Vyhodnocení\" příslušné vyhodnocení"},
        {65, 600, 30, "2. Poté vyberte přes tlačítko \"Otázka\" příslušnou otázku"},
        {100, 600, 60,
         "Program vygeneruje sociogram. Obyčejné černé šipky značí vztah A k B. Červené oboustranné šipky značí "
         "vzájemný vztah A k B. Zelené šipky značí kladný vztah k A, ale zároveň negativní vztah B k A. "},
        {170, 600, 30, "(i) Objekty lze přesouvat a měnit jejich velikost."},
        {205, 600, 30, "(ii) Objekty lze mazat tlačítkem \"Smazat\". Nebo klávesou DELETE."},
        {240, 600, 30, "(iii) Dvojklikem lze text v rámečku upravovat."},
        {275, 800, 30,
         "(iv) Barvu lze měnit přes tlačítko \"Barva\". Barvu lze měnit i více objektům zaráz (objekty vyberte "
         "táhnutím myši nebo podržením SHIFT a klikáním na objekty)."},
        {310, 800, 30,
         "(v) Orbelis lze exportovat do obrázku. Lze jej uložit i do souboru s příponou \"sgp\", který lze v tomto "
         "programu v budoucnu opět načíst a upravovat."},
        {345, 800, 60,
         "(vi) Je možné přidávat vlastní šipky (vztahy). Označte dva objekty a pak vyberte vztah v nabídce "
         "\"Vztahy\". První objekt bude ten, ze kterého povede šipka.Druhý objekt bude ten, kam povede šipka. Výběr "
         "dvou objektů provedete tak, že podržíte klávesu SHIFT a myší vyberete postupně dva objekty."},
        {410, 800, 30, "(vii) Přibližovat lze tlačítky, nebo kolečkem myši se stisknutým CRTL."},
        {445, 800, 30,
         "(viii) Sociogram lze zkopírovat do schránky tak, že kliknete pravým tlačítkem do pozadí grafau a zvolíte "
         "zkopírovat do schránky."},
    };
    QList<SociogramInstruction> result;
    for (const Box &box : boxes)
        result.append({25, box.top, box.width, box.height, QString::fromUtf8(box.text)});
    return result;
}
