#include "data/OptionSet.h"

QList<OptionSet::Kind> OptionSet::all() {
    return {Kind::General, Kind::YesNo, Kind::Letters, Kind::Numbers};
}

QString OptionSet::marker(Kind set) {
    switch (set) {
    case Kind::General:
        return QStringLiteral("---");
    case Kind::YesNo:
        return QStringLiteral("ano-ne");
    case Kind::Letters:
        return QStringLiteral("abcde");
    case Kind::Numbers:
        return QStringLiteral("12345");
    }
    return QString();
}

QList<OptionSet::Row> OptionSet::rows(Kind set) {
    QStringList texts;
    switch (set) {
    case Kind::General:
        // "většina" follows "všichni ostatní" although the caption names it earlier.
        texts = {QStringLiteral("---"),     QStringLiteral("všichni"), QStringLiteral("nikdo"),
                 QStringLiteral("nevím"),   QStringLiteral("já"),      QStringLiteral("všichni ostatní"),
                 QStringLiteral("většina"), QStringLiteral("kluci"),   QStringLiteral("holky")};
        break;
    case Kind::YesNo:
        texts = {QStringLiteral("ano"), QStringLiteral("ne")};
        break;
    case Kind::Letters:
        texts = {QStringLiteral("a)"), QStringLiteral("b)"), QStringLiteral("c)"), QStringLiteral("d)"),
                 QStringLiteral("e)")};
        break;
    case Kind::Numbers:
        texts = {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4"),
                 QStringLiteral("5")};
        break;
    }
    QList<Row> result;
    for (const QString &text : std::as_const(texts))
        result.append({text, marker(set)});
    return result;
}

QString OptionSet::caption(Kind set) {
    switch (set) {
    case Kind::General:
        return QStringLiteral("---. všichni, většina třídy, nikdo, nevím, já, všichni ostatní, kluci, holky");
    case Kind::YesNo:
        return QStringLiteral("ano, ne");
    case Kind::Letters:
        return QStringLiteral("a, b, c, d, e");
    case Kind::Numbers:
        return QStringLiteral("1, 2, 3, 4, 5");
    }
    return QString();
}

std::optional<OptionSet::Kind> OptionSet::fromMarker(const QString &text) {
    for (Kind set : all())
        if (marker(set).compare(text, Qt::CaseInsensitive) == 0)
            return set;
    return std::nullopt;
}
