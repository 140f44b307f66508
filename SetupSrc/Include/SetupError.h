#pragma once

#include <QString>
#include <stdexcept>

// An error that ends the install actions: a registry key that cannot be created, a value that
// cannot be written, a number that is none. The wizard shows its text in an error box.
class SetupError : public std::runtime_error
{
public:
    explicit SetupError(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message)
    {
    }
    QString message() const { return m_message; }

private:
    QString m_message;
};
