#include "platform/text/BasicError.h"

BasicError::BasicError(int number, const QString &description, const QString &source)
    : m_number(number),
      m_description(description.isEmpty() ? standardDescription(number) : description),
      m_source(source)
{
    m_what = QStringLiteral("error %1: %2").arg(m_number).arg(m_description).toStdString();
}

QString BasicError::describe(const std::exception &e, int *number)
{
    const auto *basic = dynamic_cast<const BasicError *>(&e);
    if (number) *number = basic ? basic->number() : 0;
    return basic ? basic->description() : QString::fromUtf8(e.what());
}

QString BasicError::numbered(const std::exception &e)
{
    int number = 0;
    const QString description = describe(e, &number);
    return QStringLiteral("error=%1,%2").arg(number).arg(description);
}

QString BasicError::standardDescription(int number)
{
    switch (number) {
    case 3:
        return QStringLiteral("Return without GoSub");
    case 5:
        return QStringLiteral("Invalid procedure call or argument");
    case 6:
        return QStringLiteral("Overflow");
    case 7:
        return QStringLiteral("Out of memory");
    case 9:
        return QStringLiteral("Subscript out of range");
    case 10:
        return QStringLiteral("This array is fixed or temporarily locked");
    case 11:
        return QStringLiteral("Division by zero");
    case 13:
        return QStringLiteral("Type mismatch");
    case 14:
        return QStringLiteral("Out of string space");
    case 28:
        return QStringLiteral("Out of stack space");
    case 35:
        return QStringLiteral("Sub or Function not defined");
    case 52:
        return QStringLiteral("Bad file name or number");
    case 53:
        return QStringLiteral("File not found");
    case 57:
        return QStringLiteral("Device I/O error");
    case 58:
        return QStringLiteral("File already exists");
    case 61:
        return QStringLiteral("Disk full");
    case 62:
        return QStringLiteral("Input past end of file");
    case 70:
        return QStringLiteral("Permission denied");
    case 75:
        return QStringLiteral("Path/File access error");
    case 76:
        return QStringLiteral("Path not found");
    case 91:
        return QStringLiteral("Object variable not set");
    case 92:
        return QStringLiteral("For loop not initialized");
    case 94:
        return QStringLiteral("Invalid use of Null");
    case 424:
        return QStringLiteral("Object required");
    case 429:
        return QStringLiteral("ActiveX component can't create object");
    case 438:
        return QStringLiteral("Object doesn't support this property or method");
    case 450:
        return QStringLiteral("Wrong number of arguments or invalid property assignment");
    case 451:
        return QStringLiteral("Property let procedure not defined and property get procedure did "
                              "not return an object");
    case 457:
        return QStringLiteral("This key is already associated with an element of this collection");
    case 500:
        return QStringLiteral("Variable is undefined");
    case 501:
        return QStringLiteral("Illegal assignment");
    case 1004:
        return QStringLiteral("Application-defined or object-defined error");
    default:
        return QStringLiteral("Unknown runtime error");
    }
}
