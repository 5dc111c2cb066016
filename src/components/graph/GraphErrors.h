#pragma once

#include <stdexcept>
#include <QString>

// Exceptions of the graph model. Callers that prefer error values use the
// bool/error-text variants of the operations (file reading never throws).

namespace GraphErrorText {
inline const char *const InvalidStream = "Invalid stream content";
inline const char *const InvalidOperation = "Cannot create link with the specified parameters";
inline const char *const IndexOutOfRange = "Index out of range (%1)";
inline const char *const PointIndexOutOfRange = "Point index out of range (%1)";
} // namespace GraphErrorText

class EGraphError : public std::runtime_error {
public:
    explicit EGraphError(const QString &message) : std::runtime_error(message.toStdString()) {}
    QString message() const { return QString::fromStdString(what()); }
};

class EGraphStreamError final : public EGraphError {
public:
    using EGraphError::EGraphError;
};

class EGraphInvalidOperation final : public EGraphError {
public:
    EGraphInvalidOperation() : EGraphError(QLatin1String(GraphErrorText::InvalidOperation)) {}
};

class EPointListError final : public EGraphError {
public:
    using EGraphError::EGraphError;
};

class EListError final : public EGraphError {
public:
    explicit EListError(int index) : EGraphError(QString::fromLatin1(GraphErrorText::IndexOutOfRange).arg(index)) {}
};
