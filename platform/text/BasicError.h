#pragma once

#include <QString>
#include <exception>
#include <string>

// A runtime error of the Basic runtime that reaches the caller: it carries the runtime's error
// number (5 invalid argument, 6 overflow, 9 subscript out of range, 13 type mismatch, ...) and a
// description, so that callers can test the numbers exactly (5 for an empty column text, 9 for
// a missing check box, ...).
class BasicError : public std::exception
{
public:
    enum Number {
        InvalidCall = 5,
        Overflow = 6,
        OutOfMemory = 7,
        SubscriptOutOfRange = 9,
        DivisionByZero = 11,
        TypeMismatch = 13,
        OutOfStringSpace = 14,
        FileNotFound = 53,
        PathNotFound = 76,
        ObjectRequired = 424,
        InvalidUseOfNull = 94,
        ObjectVariableNotSet = 91,
        ObjectDoesNotSupport = 438,
    };

    explicit BasicError(int number, const QString &description = QString(),
                        const QString &source = QString());

    int number() const { return m_number; }
    const QString &description() const { return m_description; }
    const QString &source() const { return m_source; }
    const char *what() const noexcept override { return m_what.c_str(); }

    // The runtime's standard description of an error number ("Type mismatch" for 13).
    static QString standardDescription(int number);
    // What a message tells of any error: a Basic error's description, else the exception's own
    // text; *number (when given) gets the Basic error's number, or 0.
    static QString describe(const std::exception &e, int *number = nullptr);
    // "error=<number>,<description>", as the windows' error boxes show an unexpected error.
    static QString numbered(const std::exception &e);

private:
    int m_number;
    QString m_description;
    QString m_source;
    std::string m_what;
};
