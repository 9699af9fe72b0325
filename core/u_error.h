#pragma once
// The exceptions of the core libraries. Every failure carries a full, human-readable text
// (for database failures the server's whole message), so that callers can both show it and
// match fragments of it.

#include <QByteArray>
#include <QString>
#include <exception>

namespace aeris {

class Error : public std::exception {
public:
    explicit Error(QString message) : m_message(std::move(message)), m_utf8(m_message.toUtf8()) {}
    const QString& message() const noexcept { return m_message; }
    const char* what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

// A file that cannot be read, written, copied or renamed.
class IoError : public Error {
public:
    using Error::Error;
};

} // namespace aeris
