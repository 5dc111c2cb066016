#include "graphics/GraphFileMessage.h"

#include "graph/GraphErrors.h"

QString graphLoadMessage(const QString &fileName, const QString &componentError)
{
    // The component's own file errors already name the file.
    if (componentError.startsWith(QStringLiteral("Soubor „")))
        return componentError;
    QString reason = componentError;
    if (reason == QLatin1String(GraphErrorText::InvalidStream))
        reason = QStringLiteral("soubor není sociogram programu Orbelis (.sgp).");
    return QStringLiteral("Soubor „%1“ nelze načíst: %2").arg(fileName, reason);
}
