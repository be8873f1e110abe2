// Errors of the table engine. Every failure of an engine operation throws an
// EngineError whose message is meant for the operator (it names the table
// file or the field concerned) and can be shown as it stands.
#pragma once

#include <QByteArray>
#include <QString>

#include <exception>

namespace vellora {

class EngineError : public std::exception {
public:
    explicit EngineError(QString message);
    const QString &message() const noexcept { return m_message; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

// Thrown by operations a table kind does not offer (for example reverting
// a cached change on a driver without a cache). Callers that may ignore
// "not supported" catch this type; everything else is an EngineError.
class NotSupportedError : public EngineError {
public:
    using EngineError::EngineError;
};

// A post or commit refused because a key would occur twice.
class KeyViolationError : public EngineError {
public:
    using EngineError::EngineError;
};

} // namespace vellora
