#pragma once

#include "data/ClassRoster.h"

#include <QList>
#include <QString>

// Reading a pasted pupil list: one pupil per line, "jméno příjmení typ".
class PupilImportText final {
public:
    using Pupil = NewPupil;

    // The instruction shown above the editor and the example lines under "Příklad:".
    static QString instruction();
    static QStringList exampleLines();

    // Splits one line: the first name runs up to the first blank, provided that blank is not the line's
    // first character (otherwise the whole line is the first name); the same split of the rest gives the
    // surname; whatever remains is the type, "muž" when empty. Types are kept as typed.
    static Pupil splitLine(const QString &line);
    // Every line of the text (LF, CR LF or CR ends a line); lines holding nothing but white space are
    // skipped.
    static QList<Pupil> parse(const QString &text);
};
