#pragma once

#include <QString>
#include <stdexcept>

namespace folio {

// Raised by every storage operation that fails. `operation` says in plain
// words what the program was doing ("save the document"), `detail` what the
// database engine or the file system answered. The user interface turns it
// into one notice; storage code never shows anything itself.
class StorageError : public std::runtime_error
{
public:
    StorageError(QString operation, QString detail);

    const QString &operation() const { return m_operation; }
    const QString &detail() const { return m_detail; }
    // "Could not <operation>: <detail>"
    QString userText() const;

private:
    QString m_operation;
    QString m_detail;
};

// A text bound as a value: never NULL (a null QString would bind as NULL).
inline QString textValue(const QString &text)
{
    return text.isNull() ? QStringLiteral("") : text;
}

} // namespace folio
