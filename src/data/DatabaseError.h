#pragma once

#include <QString>
#include <stdexcept>

// An error raised by the database engine, carrying its own message.
class DatabaseError : public std::runtime_error
{
public:
    explicit DatabaseError(const QString &message, const QString &className = QStringLiteral("EOleException"));

    QString message() const { return m_message; }
    // Name shown as "Exception class name" in the refresh error box.
    QString className() const { return m_className; }

private:
    QString m_message;
    QString m_className;
};
