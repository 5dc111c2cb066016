#pragma once

#include <QString>
#include <stdexcept>

// An error raised by the database engine, carrying its own message.
class DatabaseError : public std::runtime_error
{
public:
    // What the teacher can do about it: a damaged file, a full disk, a missing permission or another
    // program's hold is explained in the message itself; anything else is a fault of the program.
    enum class Cause { Program, Environment };

    explicit DatabaseError(const QString &message, const QString &className = QStringLiteral("EOleException"),
                           Cause cause = Cause::Program);

    QString message() const { return m_message; }
    // Name shown as "Exception class name" in the refresh error box.
    QString className() const { return m_className; }
    bool explainsItself() const { return m_cause == Cause::Environment; }

private:
    QString m_message;
    QString m_className;
    Cause m_cause;
};
