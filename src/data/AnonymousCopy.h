#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

#include <memory>

class Database;

// A copy of classes in the program's own schema with no names in it, row ids kept: the people's names
// replaced by their pseudonyms (Pseudonyms), the school and the class teacher by neutral texts, no notes
// (the pupils' `poznamky`, the sessions' notes), no class documents, no web codes, and no free-text answers
// unless asked for. The questionnaires of the classes' sessions and the kept sociogram positions come with
// them, so that every output of the copy is the output of the original with codes for names.
namespace AnonymousCopy {

struct Options {
    bool freeText = false;     // keep the free-text answers (they may name people)
    bool datesToMonth = false; // dates kept to the month only (a copy that leaves the school)
};

// Codes made first where missing (Pseudonyms::ensure), then the classes written into the empty database
// `target`, schema and rows in one transaction. Raises DatabaseError.
void copyClasses(Database &source, const QList<qint64> &classIds, Database &target, const Options &options);

// The copy in memory, for outputs made "Anonymně". Raises DatabaseError.
std::unique_ptr<Database> inMemory(Database &source, const QList<qint64> &classIds, bool freeText);

// The classes of the sessions that exist, each once.
QList<qint64> classesOfSessions(Database &source, const QList<qint64> &sessionIds);

// "Export anonymizované třídy": the class written whole into a new database file (dates to the month),
// which replaces `file` only when complete. Raises DatabaseError with a Czech sentence (no such class,
// the file cannot be written, the target is the database itself).
void exportClass(Database &source, qint64 classId, const QString &file, bool freeText);

// Marks the one class an output without a session is made of.
struct OfClass {};
inline constexpr OfClass ofClass{};

// The database an output reads: the open one, or, made "Anonymně", a copy in memory of the classes of
// the sessions the output is made from (or of the one class), held as long as this object lives. Raises
// DatabaseError.
class OutputDatabase final {
    Q_DISABLE_COPY_MOVE(OutputDatabase)
public:
    OutputDatabase(Database &db, const QList<qint64> &sessionIds, bool anonymous, bool freeText = false);
    OutputDatabase(Database &db, OfClass, qint64 classId, bool anonymous, bool freeText = false);
    ~OutputDatabase();
    Database &db() { return m_copy ? *m_copy : m_db; }

private:
    Database &m_db;
    std::unique_ptr<Database> m_copy;
};

} // namespace AnonymousCopy
