#include "storage/recoveryfile.h"

#include "storage/atomicfile.h"
#include "storage/storageerror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace folio {

namespace {
constexpr int FormatVersion = 1;
}

QString RecoveryFile::path() const
{
    return QDir(m_programDir).filePath(fileName());
}

bool RecoveryFile::exists() const
{
    return QFile::exists(path());
}

bool RecoveryFile::isPending() const
{
    const QFileInfo info(path());
    return info.exists() && (!info.isFile() || info.size() > 0);
}

void RecoveryFile::write(const RecoveredEdit &edit) const
{
    const QString operation = QStringLiteral("keep the unsaved document in %1").arg(path());
    QJsonObject object;
    object.insert(QStringLiteral("format"), FormatVersion);
    object.insert(QStringLiteral("folder"), edit.dir);
    object.insert(QStringLiteral("document"), edit.doc);
    object.insert(QStringLiteral("title"), edit.title);
    object.insert(QStringLiteral("html"), edit.html);
    QSaveFile file(path());
    if (!file.open(QIODevice::WriteOnly))
        throw StorageError(operation, file.errorString());
    file.write(QJsonDocument(object).toJson(QJsonDocument::Compact));
    // commit() flushes the data to the disk before it renames the file; the
    // folder's flush makes the rename itself survive a power cut.
    if (!file.commit())
        throw StorageError(operation, file.errorString());
    flushToDisk(FlushKind::FolderEntries, m_programDir);
}

std::optional<RecoveredEdit> RecoveryFile::read() const
{
    QFile file(path());
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll());
    const QJsonObject object = document.object();
    if (object.value(QStringLiteral("format")).toInt() != FormatVersion || !object.value(QStringLiteral("html")).isString())
        return std::nullopt;
    return RecoveredEdit{qint64(object.value(QStringLiteral("folder")).toDouble()),
                         qint64(object.value(QStringLiteral("document")).toDouble()),
                         object.value(QStringLiteral("title")).toString(),
                         object.value(QStringLiteral("html")).toString()};
}

void RecoveryFile::discard() const
{
    QFile file(path());
    if (!file.exists() || file.remove())
        return;
    const QString why = file.errorString();
    if (QFileInfo(path()).isFile() && file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        file.close();
        return;
    }
    throw StorageError(QStringLiteral("remove %1").arg(path()), why);
}

} // namespace folio
