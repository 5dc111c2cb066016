#pragma once

#include <QStringList>
#include <optional>

// Takes "--name VALUE" or "--name=VALUE" out of the words; nullopt when absent, an empty value when the
// value is missing.
std::optional<QString> takeOption(QStringList &words, const QString &name);
