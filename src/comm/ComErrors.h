#pragma once

#include <QString>

#include <exception>
#include <string>

// Failures of the serial port. The message is a fixed text followed by the
// system's text for the error, and is what the user gets to read.
class EComError : public std::exception
{
public:
    explicit EComError(const QString& message, int systemError = 0)
        : m_message(message), m_utf8(message.toStdString()), m_systemError(systemError)
    {
    }
    const QString& message() const { return m_message; }
    // The system's error number behind the message; 0 when there is none.
    int systemError() const { return m_systemError; }
    const char* what() const noexcept override { return m_utf8.c_str(); }

private:
    QString m_message;
    std::string m_utf8;
    int m_systemError = 0;
};

// The device did not open.
class EComHandle : public EComError
{
public:
    using EComError::EComError;
};

// A line setting was refused.
class EComState : public EComError
{
public:
    using EComError::EComError;
};

// The system's text for an error number. Unknown numbers come back as the
// system's "Unknown error <n>", which carries the decimal number.
QString SystemErrorText(int error);
