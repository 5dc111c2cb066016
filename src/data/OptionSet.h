#pragma once

#include <QList>
#include <QString>
#include <optional>

// The four sets of answer-option rows a class can hold: their rows (text and marker) in insertion order
// and the captions of the commands that insert them.
class OptionSet final {
public:
    enum class Kind { General, YesNo, Letters, Numbers };

    struct Row {
        QString text; // stored in `jmeno`
        QString kind; // stored in `pohlavi`
        bool operator==(const Row &other) const = default;
    };

    // The sets in the order "všechno níže uvedené" inserts them: "---", "ano, ne", "a, b, c, d, e", "1, 2, 3,
    // 4, 5".
    static QList<Kind> all();
    static QList<Row> rows(Kind set);
    // Caption of the pupil window's command.
    static QString caption(Kind set);
    // The marker of the set ("---", "ano-ne", "abcde", "12345").
    static QString marker(Kind set);
    // The set whose marker is given (case-insensitive); nullopt for anything else.
    static std::optional<Kind> fromMarker(const QString &marker);
};
