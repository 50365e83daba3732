#include "storage/storageerror.h"

namespace folio {

StorageError::StorageError(QString operation, QString detail)
    : std::runtime_error(QStringLiteral("%1: %2").arg(operation, detail).toStdString())
    , m_operation(std::move(operation))
    , m_detail(std::move(detail))
{
}

QString StorageError::userText() const
{
    return QStringLiteral("Could not %1: %2").arg(m_operation, m_detail);
}

} // namespace folio
