#include "pupils/PupilImportText.h"

#include "data/PupilKinds.h"
#include "data/TextRules.h"

namespace {

// One field of a line (first name, surname or type), given a character at a time. It keeps what
// TextRules::cleaned would keep and, of that, one character more than the column takes: enough to tell
// whether the cleaned field has to be cut, however long the line is.
class LineField {
public:
    void add(QChar c) {
        if (c.category() == QChar::Other_Control && c != u'\t' && c != u'\n' && c != u'\r')
            return;
        if (m_kept.isEmpty() && c.isSpace())
            return;
        if (m_kept.size() < kKept)
            m_kept += c;
        else if (!c.isSpace())
            m_overflow = true;
    }

    // The cleaned field cut to the column length; sets `cut` when something was cut. Starts the next field.
    QString take(bool &cut) {
        QString text = TextRules::cleaned(m_kept);
        if (TextRules::fitShortText(text) || m_overflow)
            cut = true;
        m_kept.resize(0);
        m_overflow = false;
        if (text.isNull())
            text = QString::fromLatin1(""); // stored as an empty text, not as a missing one
        return text;
    }

private:
    static constexpr qsizetype kKept = TextRules::kShortTextLength + 1;

    QString m_kept;
    bool m_overflow = false; // more than kKept characters that cleaning keeps
};

} // namespace

// One line being split into first name, surname and type, a character at a time.
class PupilLineSplitter final {
public:
    void add(QChar c) {
        m_started = true;
        if (m_field < 2 && !m_restOfLine) {
            if (c == u' ' && !m_fieldStart) {
                ++m_field; // the blank ends the field
                m_fieldStart = true;
                return;
            }
            if (c == u' ')
                m_restOfLine = true; // a field that opens with a blank takes the rest of the line
        }
        m_fieldStart = false;
        m_fields[m_field].add(c);
    }

    // Whether the line has a character (line ends excluded).
    bool started() const { return m_started; }

    // Ends the line and starts the next one. False when the line holds nothing once cleaned.
    bool finish(NewPupil &pupil, bool &cut) {
        cut = false;
        pupil.jmeno = m_fields[0].take(cut);
        pupil.prijmeni = m_fields[1].take(cut);
        pupil.pohlavi = m_fields[2].take(cut);
        m_field = 0;
        m_fieldStart = true;
        m_restOfLine = false;
        m_started = false;
        const bool empty = pupil.jmeno.isEmpty() && pupil.prijmeni.isEmpty() && pupil.pohlavi.isEmpty();
        if (pupil.pohlavi.isEmpty())
            pupil.pohlavi = PupilKinds::boy();
        return !empty;
    }

private:
    LineField m_fields[3];
    int m_field = 0;
    bool m_fieldStart = true;  // the next character opens the current field
    bool m_restOfLine = false; // the current field runs to the end of the line
    bool m_started = false;
};

QString PupilImportText::instruction() {
    return QStringLiteral(
        "Vložte do editoru seznam žáků. Na jednom řádku bude jeden žák ve formátu \"jméno mezera příjmení "
        "mezera muž "
        "či žena\". Uvádět příjmení a pohlaví je volitelné. Pokud pohlaví neuvedete, nastaví se \"muž\". "
        "Chcete-li "
        "zadat pohlaví, ale ne přííjmení, bude vypadat řádek takto: \"jméno mezera pomlčka mezera pohlaví\"");
}

QStringList PupilImportText::exampleLines() {
    return {QStringLiteral("Petr S. muž"), QStringLiteral("Anetka M. žena"), QStringLiteral("Aleš - muž")};
}

PupilImportText::Pupil PupilImportText::splitLine(const QString &line, bool *cut) {
    PupilLineSplitter splitter;
    for (const QChar c : line)
        splitter.add(c);
    Pupil pupil;
    bool wasCut = false;
    splitter.finish(pupil, wasCut);
    if (cut)
        *cut = wasCut;
    return pupil;
}

QList<PupilImportText::Pupil> PupilImportText::parse(const QString &text, Tally *tally) {
    bool given = false;
    PupilListReader reader([&](QString &piece) {
        if (given)
            return false;
        piece = text;
        given = true;
        return true;
    });
    QList<Pupil> pupils;
    Pupil pupil;
    while (reader.next(pupil))
        pupils.append(pupil);
    if (tally)
        *tally = reader.tally();
    return pupils;
}

PupilListReader::PupilListReader(std::function<bool(QString &)> nextPiece)
    : m_nextPiece(std::move(nextPiece)), m_line(std::make_unique<PupilLineSplitter>()) {}

PupilListReader::~PupilListReader() = default;

bool PupilListReader::next(NewPupil &pupil) {
    for (;;) {
        if (m_pos >= m_piece.size()) {
            if (m_ended)
                return false;
            m_pos = 0;
            if (m_nextPiece(m_piece))
                continue;
            m_ended = true;
            m_piece.clear();
            // The last line needs no line end.
            return m_line->started() && finishLine(pupil);
        }
        const QChar c = m_piece.at(m_pos++);
        if (c == u'\n' && m_afterCr) {
            m_afterCr = false;
            continue;
        }
        m_afterCr = c == u'\r';
        if (c == u'\n' || c == u'\r') {
            if (finishLine(pupil))
                return true;
            continue;
        }
        m_line->add(c);
    }
}

bool PupilListReader::finishLine(NewPupil &pupil) {
    bool cut = false;
    if (!m_line->finish(pupil, cut)) {
        ++m_tally.skippedLines;
        return false;
    }
    if (cut)
        ++m_tally.cutNames;
    return true;
}
