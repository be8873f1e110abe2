#pragma once
// The one base of every error meant for the operator. Each layer throws its
// own kind (EngineError, PhotoError, PrintError, ...) derived from it; the
// message names the file, field or device concerned and is shown as it
// stands. The generic error report catches this type.
#include <QByteArray>
#include <QString>

#include <exception>

namespace vellora {

class OperatorError : public std::exception {
public:
    explicit OperatorError(QString message) : m_message(std::move(message)), m_utf8(m_message.toUtf8()) {}
    const QString &message() const noexcept { return m_message; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

}  // namespace vellora
