#include "questionnaires/TextualEvaluation.h"

#include "automation/WordProcessor.h"
#include "data/AggregationQueries.h"
#include "data/Database.h"
#include "data/EngineQuery.h"
#include "data/SessionOutput.h"
#include "questionnaires/AssignmentSheet.h"

#include <QHash>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

namespace {

using Style = StyledLine::Style;

const QString kDefaultNotes = QStringLiteral("Textové poznámky k vyhodnocení:");
const QString kBreak = QStringLiteral("\r\n");

bool isFreeText(const EvaluationRow &row) {
    return row.typ == 4 && !row.slovy.isEmpty() &&
           (row.pohlavi == QStringLiteral("muž") || row.pohlavi == QStringLiteral("žena"));
}

// The recipient as the block names him: option rows of the scales lose their paired labels.
QString recipientName(const EvaluationRow &row) {
    QString name = row.recipientName;
    if (row.typ == 1) {
        for (const char *part : {" | 1", " | 2", " | 3", " | 4", " | 5"}) {
            const qsizetype at = name.indexOf(QLatin1String(part));
            if (at >= 0)
                name.remove(at, qsizetype(qstrlen(part)));
        }
    } else if (row.typ == 2) {
        for (const char *part : {"a) | ", "b) | ", "c) | ", "d) | ", "e) | "}) {
            const qsizetype at = name.indexOf(QLatin1String(part));
            if (at >= 0)
                name.remove(at, qsizetype(qstrlen(part)));
        }
    }
    return name;
}

} // namespace

TextualEvaluation::TextualEvaluation(const EvaluationHeader &header, const EvaluationOptions &options)
    : m_header(header), m_options(options) {}

QString TextualEvaluation::schoolYear(const QDate &date) {
    if (!date.isValid())
        return QString();
    const int year = date.year();
    return date.month() >= 9 ? QStringLiteral("%1/%2").arg(year).arg(year + 1)
                             : QStringLiteral("%1/%2").arg(year - 1).arg(year);
}

QStringList TextualEvaluation::headerLines() const {
    QStringList lines = {QStringLiteral("Mapování vztahů"), m_header.stupen, schoolYear(m_header.datum), QString(),
                         QStringLiteral("Škola: ") + m_header.skola, QStringLiteral("Třída: ") + m_header.stupen,
                         QStringLiteral("Třídní učitel: ") + m_header.tridniUcitel,
                         QStringLiteral("Datum testování: ") + m_header.datum.toString(QStringLiteral("dd.MM.yyyy"))};
    if (m_header.poznamky != kDefaultNotes) {
        lines << QString() << QStringLiteral("Poznámky: ");
        lines << QString(m_header.poznamky).replace(kBreak, QStringLiteral("\n")).split(u'\n');
    }
    lines << QString();
    return lines;
}

void TextualEvaluation::endBlock(bool trimTrailingComma) {
    if (m_inEntry && m_entryListsNames && m_slot >= 0)
        m_slots[m_slot] += m_respondents.join(QStringLiteral(", ")) + u')';
    m_inEntry = false;
    m_entryListsNames = false;
    m_respondents.clear();
    if (trimTrailingComma && m_slot >= 0 && m_slots[m_slot].endsWith(QLatin1String(", ")))
        m_slots[m_slot].chop(2);
}

void TextualEvaluation::addPass(const QList<EvaluationRow> &rows, bool positive) {
    for (const EvaluationRow &row : rows)
        if (!addRow(row, positive))
            break;
    endPass();
}

void TextualEvaluation::addPasses(Database &db, const SessionOutputData &session) {
    // The positive rows come first; the negative ones are kept for the second pass.
    QList<EvaluationRow> negative;
    forEachRow(db, session, QString::fromLatin1(AggregationQueries::positiveFirstOrder),
               [&](EvaluationRow &&row) {
                   if (row.positive)
                       addRow(row, true);
                   else
                       negative.append(std::move(row));
               });
    endPass();
    for (const qsizetype at : negativeOrder(negative))
        addRow(negative[at], false);
    endPass();
}

bool TextualEvaluation::addRow(const EvaluationRow &row, bool positive) {
    if (row.positive != positive)
        return false;
    const bool newBlock = !m_inBlock || row.questionId != m_question;
    if (newBlock) {
        // The previous block (of this pass or of the one before) ends because this one begins.
        endBlock(true);
        const int v = row.poradiVyhodnoceni;
        const int slot = positive ? 2 * v - 1 : 2 * v;
        // Orders outside the table have no slot: such a block is left out, other slots stay as they are.
        m_slot = (positive ? v >= 1 && v <= 500 : v >= 0 && v <= 499) ? slot : -1;
        if (m_slot >= 0) {
            if (positive) {
                QString head = kBreak + kBreak + kBreak;
                if (!row.nadpisNad.isEmpty())
                    head += QStringLiteral("<h2>") + row.nadpisNad + kBreak + kBreak;
                head += QStringLiteral("<b>") + row.textOtazky;
                if (!row.popis.isEmpty())
                    head += kBreak + row.popis + kBreak;
                m_slots[m_slot] = head;
            } else {
                m_slots[m_slot] += kBreak + kBreak + kBreak + QStringLiteral("<b>") +
                                   row.textOtazkyNegativni + kBreak + kBreak;
            }
        }
        m_zeroListStarted = false;
        m_inBlock = true;
        m_question = row.questionId;
    }
    const int count = positive ? row.countPositive : row.countNegative;
    const bool freeText = positive && count < 1 && isFreeText(row);
    if (newBlock || row.recipientId != m_recipient) {
        endBlock(false);
        m_inEntry = true;
        m_recipient = row.recipientId;
        QString entry;
        const QString name = recipientName(row);
        if (count >= 1) {
            entry = kBreak + name + QStringLiteral(" - ") + QString::number(count) + u'x';
            if (m_options.names) {
                entry += QStringLiteral("\t(");
                m_entryListsNames = true;
            }
        } else if (freeText) {
            entry = kBreak + row.celeJmeno + QStringLiteral(": \t") + row.slovy + kBreak;
        } else if (m_options.zeros && (!positive || row.typ != 4)) {
            entry = m_zeroListStarted ? name + QStringLiteral(", ")
                                      : kBreak + QStringLiteral("0x:\t") + name + QStringLiteral(", ");
            m_zeroListStarted = true;
        }
        if (m_slot >= 0)
            m_slots[m_slot] += entry;
    } else if (freeText && m_slot >= 0) {
        m_slots[m_slot] += kBreak + row.celeJmeno + QStringLiteral(": \t") + row.slovy + kBreak;
    }
    if (!row.respondentName.isEmpty())
        m_respondents << row.respondentName;
    return true;
}

void TextualEvaluation::endPass() {
    m_inBlock = false;
    // The entry ends with the pass; the block stays open until a next block begins.
    if (m_inEntry && m_entryListsNames && m_slot >= 0)
        m_slots[m_slot] += m_respondents.join(QStringLiteral(", ")) + u')';
    m_inEntry = false;
    m_entryListsNames = false;
    m_respondents.clear();
}

QList<StyledLine> TextualEvaluation::lines() const {
    QStringList texts = headerLines();
    for (auto it = m_slots.cbegin(); it != m_slots.cend(); ++it)
        if (!it.value().isEmpty())
            texts << QString(it.value()).replace(kBreak, QStringLiteral("\n")).replace(u'\r', u'\n').split(u'\n');
    QList<StyledLine> result;
    for (qsizetype i = 0; i < texts.size(); ++i) {
        QString line = texts[i];
        Style style = i < 3 ? Style::Bold : Style::Normal;
        if (i > 0) {
            if (line.contains(QLatin1String("<b>"))) {
                style = Style::Bold;
                line.remove(line.indexOf(QLatin1String("<b>")), 3);
            }
            if (line.contains(QLatin1String("<h2>"))) {
                style = Style::BoldUnderline;
                line.remove(line.indexOf(QLatin1String("<h2>")), 4);
            }
            line.replace(QLatin1String("  "), QLatin1String(" "));
            line.replace(QLatin1String(". ,"), QLatin1String(".,"));
            line.replace(QLatin1String(". )"), QLatin1String(".)"));
        }
        result.append({line, style});
    }
    return result;
}

QList<EvaluationRow> TextualEvaluation::readRows(Database &db, const SessionOutputData &session,
                                                 const QString &orderLine) {
    QList<EvaluationRow> rows;
    forEachRow(db, session, orderLine, [&rows](EvaluationRow &&row) { rows.append(std::move(row)); });
    return rows;
}

void TextualEvaluation::forEachRow(Database &db, const SessionOutputData &session, const QString &orderLine,
                                   const std::function<void(EvaluationRow &&)> &take) {
    const QString sql = AggregationQueries::statementText(AggregationQueries::whoChoseWhomSql(), orderLine);
    EngineQuery query(db, sql);
    AggregationQueries::bindParameters(query, sql, session.id, session.questionnaireId, session.trida.id);
    // Columns by name as a dataset finds them: case-insensitive, the first of two columns of one name.
    const auto column = [&query](const char *name) { return query.column(QString::fromLatin1(name)); };
    const int pozitivni = column("pozitivni"), otazka = column("druha_tabulka.id_otazky"),
              adresat = column("id_adresata_odpovedi"), jmenoAdresata = column("jmeno_adresata"),
              respondent = column("id_respondenta"), jmenoRespondenta = column("jmeno_respondenta"),
              kladne = column("pocet_pozitivni"), zaporne = column("pocet_negativni"), typ = column("typ"),
              slovy = column("slovy"), pohlavi = column("pohlavi"), celeJmeno = column("cele_jmeno"),
              textOtazky = column("prvni_tabulka.text_otazky"), negativni = column("text_otazky_negativni"),
              nadpis = column("nadpis_nad"), popis = column("popis"), poradi = column("poradi_vyhodnoceni");
    // The texts of a question and of a row of the class come on many rows: they are decoded once and
    // shared (the rows of one question, and those of one recipient, follow each other).
    QHash<qint64, QString> respondentNames;
    std::optional<qint64> lastQuestion, lastRecipient;
    EvaluationRow shared;
    while (query.next()) {
        EvaluationRow row;
        row.positive = query.integer(pozitivni) != 0;
        row.questionId = query.integer(otazka);
        row.recipientId = query.integer(adresat);
        if (!query.isNull(respondent)) {
            row.respondentId = query.integer(respondent);
            auto name = respondentNames.find(*row.respondentId);
            if (name == respondentNames.end())
                name = respondentNames.insert(*row.respondentId, query.text(jmenoRespondenta));
            row.respondentName = name.value();
        }
        row.countPositive = int(query.integer(kladne));
        row.countNegative = int(query.integer(zaporne));
        row.slovy = query.text(slovy);
        if (lastQuestion != row.questionId) {
            lastQuestion = row.questionId;
            shared.typ = int(query.integer(typ));
            shared.textOtazky = query.text(textOtazky);
            shared.textOtazkyNegativni = query.text(negativni);
            shared.nadpisNad = query.text(nadpis);
            shared.popis = query.text(popis);
            shared.poradiVyhodnoceni = int(query.integer(poradi));
        }
        row.typ = shared.typ;
        row.textOtazky = shared.textOtazky;
        row.textOtazkyNegativni = shared.textOtazkyNegativni;
        row.nadpisNad = shared.nadpisNad;
        row.popis = shared.popis;
        row.poradiVyhodnoceni = shared.poradiVyhodnoceni;
        if (lastRecipient != row.recipientId) {
            lastRecipient = row.recipientId;
            shared.recipientName = query.text(jmenoAdresata);
            shared.celeJmeno = query.text(celeJmeno);
            shared.pohlavi = query.text(pohlavi);
        }
        row.recipientName = shared.recipientName;
        row.celeJmeno = shared.celeJmeno;
        row.pohlavi = shared.pohlavi;
        take(std::move(row));
    }
}

namespace {

// SQLite's BINARY order of two texts (their UTF-8 bytes), NULL first: code point order, which for UTF-16
// differs from the order of code units where a surrogate meets a unit from U+E000 up.
bool binaryLess(const QString &a, const QString &b) {
    if (a.isNull() || b.isNull())
        return a.isNull() && !b.isNull();
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        char16_t x = a[i].unicode(), y = b[i].unicode();
        if (x == y)
            continue;
        const auto fix = [](char16_t u) -> char16_t {
            return u >= 0xE000 ? char16_t(u - 0x800) : u >= 0xD800 ? char16_t(u + 0x2000) : u;
        };
        return fix(x) < fix(y);
    }
    return a.size() < b.size();
}

} // namespace

QList<qsizetype> TextualEvaluation::negativeOrder(const QList<EvaluationRow> &rows) {
    QList<qsizetype> order;
    for (qsizetype i = 0; i < rows.size(); ++i)
        if (!rows[i].positive)
            order.append(i);
    // "druha_tabulka.id_otazky ASC, pocet_negativni DESC, id_adresata_odpovedi, id_respondenta, slovy
    // COLLATE BINARY"; rows equal in all of these differ at most in what the negative pass does not read.
    std::stable_sort(order.begin(), order.end(), [&rows](qsizetype i, qsizetype j) {
        const EvaluationRow &a = rows[i], &b = rows[j];
        if (a.questionId != b.questionId)
            return a.questionId < b.questionId;
        if (a.countNegative != b.countNegative)
            return a.countNegative > b.countNegative;
        if (a.recipientId != b.recipientId)
            return a.recipientId < b.recipientId;
        if (a.respondentId != b.respondentId)
            return a.respondentId < b.respondentId; // none (NULL) first
        return binaryLess(a.slovy, b.slovy);
    });
    return order;
}

QString evaluationPlainText(const QList<StyledLine> &lines) {
    return QuestionnaireTexts::plainText(lines);
}

QString evaluationHtml(const QList<StyledLine> &lines) {
    QString html = QStringLiteral("<!DOCTYPE html>\n<html lang=\"cs\">\n<head><meta charset=\"utf-8\"><title>Mapování "
                                  "vztahů</title></head>\n<body>\n");
    for (const StyledLine &line : lines) {
        QString escaped = line.text.toHtmlEscaped().replace(u'\t', QStringLiteral("&emsp;"));
        if (line.style == Style::Bold)
            escaped = QStringLiteral("<b>") + escaped + QStringLiteral("</b>");
        else if (line.style == Style::BoldUnderline)
            escaped = QStringLiteral("<b><u>") + escaped + QStringLiteral("</u></b>");
        else if (line.style == Style::Italic)
            escaped = QStringLiteral("<i>") + escaped + QStringLiteral("</i>");
        html += escaped + QStringLiteral("<br>\n");
    }
    return html + QStringLiteral("</body>\n</html>\n");
}

void formatEvaluationReport(WordProcessor &word, const QTextDocument &report) {
    formatTitledText(word, report, 10);
    word.moveDown(4, true); // the school, class, teacher and date lines
    word.setFontSize(12);
    word.homeKey();
    // Headings (bold and underlined text) at 14 pt. The ranges are collected first: formatting splits and
    // joins fragments.
    QList<QPair<int, int>> headings;
    for (QTextBlock block = word.document().begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QTextCharFormat format = fragment.charFormat();
            if (format.fontWeight() >= QFont::Bold && format.fontUnderline())
                headings.append({fragment.position(), fragment.position() + fragment.length()});
        }
    QTextCursor cursor(&word.document());
    QTextCharFormat size;
    size.setFontPointSize(14);
    for (const auto &[from, to] : std::as_const(headings)) {
        cursor.setPosition(from);
        cursor.setPosition(to, QTextCursor::KeepAnchor);
        cursor.mergeCharFormat(size);
    }
}

EvaluationHeader evaluationHeader(const SessionOutputData &session) {
    EvaluationHeader header = evaluationHeader(session.trida);
    header.datum = session.datum.toDate();
    header.poznamky = session.poznamky;
    return header;
}

EvaluationHeader evaluationHeader(const OutputClass &trida) {
    EvaluationHeader header;
    header.skola = trida.skola;
    header.stupen = trida.stupen;
    header.tridniUcitel = trida.tridniUcitel;
    // The notes belong to a session: without one there are none to write.
    header.poznamky = kDefaultNotes;
    return header;
}

QList<StyledLine> evaluateSession(Database &db, const SessionOutputData &session,
                                  const EvaluationOptions &options) {
    TextualEvaluation report(evaluationHeader(session), options);
    report.addPasses(db, session);
    return report.lines();
}

std::optional<QList<StyledLine>> evaluateSession(Database &db, qint64 sessionId,
                                                 const EvaluationOptions &options, QString *error) {
    const std::optional<SessionOutputData> session = readSession(db, sessionId, error);
    if (!session)
        return std::nullopt;
    return evaluateSession(db, *session, options);
}

QList<StyledLine> evaluateWithoutSession(Database &db, const QVariant &classId) {
    std::optional<OutputClass> trida;
    if (!classId.isNull())
        trida = readClassOutput(db, classId.toLongLong());
    return TextualEvaluation(evaluationHeader(trida.value_or(OutputClass())), {}).lines();
}
