#pragma once
// A failure that stops start-up in an orderly way (the card table cannot be
// opened): the message names the file; nothing has been written.
#include <QByteArray>
#include <QString>
#include <exception>

namespace vellora {

class StartupError : public std::exception {
public:
    explicit StartupError(QString message) : m_message(std::move(message)), m_utf8(m_message.toUtf8()) {}
    const QString &message() const noexcept { return m_message; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

}  // namespace vellora
