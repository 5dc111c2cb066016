#pragma once

#include "data/ClassRoster.h"

#include <QList>
#include <QString>
#include <functional>
#include <memory>

class PupilLineSplitter;

// Reading a pasted pupil list: one pupil per line, "jméno příjmení typ".
class PupilImportText final {
public:
    using Pupil = NewPupil;

    // What reading a list left out or changed, besides the pupils it gave.
    struct Tally {
        qint64 skippedLines = 0; // lines holding nothing once cleaned
        qint64 cutNames = 0;     // pupils with a field longer than its column, cut to fit
    };

    // The instruction shown above the editor and the example lines under "Příklad:".
    static QString instruction();
    static QStringList exampleLines();

    // Splits one line: the first name runs up to the first blank, provided that blank is not the line's
    // first character (otherwise the whole line is the first name); the same split of the rest gives the
    // surname; whatever remains is the type, "muž" when empty. Each field is then cleaned as
    // TextRules::cleaned cleans (no control characters, NUL included, no surrounding white space) and cut to
    // the column length (TextRules::fitShortText); `cut` tells whether something was cut. Types are kept as
    // typed.
    static Pupil splitLine(const QString &line, bool *cut = nullptr);
    // Every line of the text (LF, CR LF or CR ends a line); lines holding nothing once cleaned are skipped.
    static QList<Pupil> parse(const QString &text, Tally *tally = nullptr);
};

// Reads a pupil list a piece at a time as the pieces arrive (a file, standard input), splitting it as
// PupilImportText::parse does. It holds one piece and, of the current line, no more than the columns take,
// so neither a long list nor a long line needs more memory.
class PupilListReader final {
public:
    // `nextPiece` stores the next piece of the text in its argument and returns false at the end; it may
    // throw to abandon the reading.
    explicit PupilListReader(std::function<bool(QString &)> nextPiece);
    ~PupilListReader();

    // The next pupil of the list; false when the list has ended.
    bool next(NewPupil &pupil);
    const PupilImportText::Tally &tally() const { return m_tally; }

private:
    bool finishLine(NewPupil &pupil);

    std::function<bool(QString &)> m_nextPiece;
    QString m_piece;
    qsizetype m_pos = 0;
    bool m_ended = false;
    bool m_afterCr = false; // an LF right after a CR ends no further line
    std::unique_ptr<PupilLineSplitter> m_line;
    PupilImportText::Tally m_tally;
};
