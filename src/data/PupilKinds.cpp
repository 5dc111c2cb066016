#include "data/PupilKinds.h"

#include <QRegularExpression>

namespace PupilKinds {

QString boy() {
    return QStringLiteral("muž");
}
QString girl() {
    return QStringLiteral("žena");
}

QStringList all() {
    return {boy(),
            girl(),
            QStringLiteral("---"),
            QStringLiteral("abcde"),
            QStringLiteral("12345"),
            QStringLiteral("ano-ne")};
}

QStringList optionKinds() {
    return {QStringLiteral("---"), QStringLiteral("abcde"), QStringLiteral("12345"),
            QStringLiteral("ano-ne")};
}

namespace {

bool sameKind(const QVariant &kind, const QString &value) {
    return !kind.isNull() && kind.isValid() && kind.toString().compare(value, Qt::CaseInsensitive) == 0;
}

} // namespace

bool isRealPupil(const QVariant &kind) {
    return sameKind(kind, boy()) || sameKind(kind, girl());
}

bool isOptionKind(const QVariant &kind) {
    for (const QString &option : optionKinds())
        if (sameKind(kind, option))
            return true;
    return false;
}

QString canonical(const QString &kind) {
    for (const QString &value : all())
        if (sameKind(kind, value))
            return value;
    return QString();
}

QColor typeColour(const QVariant &kind) {
    // Exact values, as the grid compares them when it paints.
    const QString text = kind.isNull() ? QString() : kind.toString();
    if (text == boy())
        return QColor(204, 230, 255);
    if (text == girl())
        return QColor(255, 221, 238);
    return QColor(234, 234, 234);
}

bool surnameMeansGirl(const QString &surname) {
    // A word of the surname ending in "ová" (Nováková, Nováková-Horá); a mere "ová" inside a word
    // (Novák, Kovář) says nothing.
    static const QRegularExpression feminine(QStringLiteral("ová(?=$|[\\s-])"));
    return feminine.match(surname).hasMatch();
}

} // namespace PupilKinds
