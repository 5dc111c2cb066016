#pragma once

#include <QString>

// The Czech sentence shown when a sociogram file cannot be read: the graph component's own reasons
// (English, from its stream reader) become an explanation a teacher understands.
QString graphLoadMessage(const QString &fileName, const QString &componentError);
