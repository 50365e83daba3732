#include "storage/backupfiles.h"

#include <QDir>

namespace folio {

std::optional<BackupPosition> backupPositionFromKey(const QString &key)
{
    for (BackupPosition position : AllBackupPositions) {
        if (key == backupPositionKey(position))
            return position;
    }
    return std::nullopt;
}

QString backupPositionKey(BackupPosition position)
{
    return QString(QChar(u'A' + int(position)));
}

QString backupPrefix(BackupPosition position)
{
    return QStringLiteral("BAK") + backupPositionKey(position);
}

QString backupFileName(BackupPosition position, const QDateTime &when)
{
    return QStringLiteral("%1%2 %3.MDB")
        .arg(backupPrefix(position), when.toString(QStringLiteral("yyyy=MM=dd")),
             when.toString(QStringLiteral("HH-mm-ss")));
}

QString backupLabel(const QString &fileName)
{
    QString label = fileName.mid(4);
    label.replace(u'=', u'/').replace(u'-', u':');
    if (label.right(4).toUpper() == QLatin1String(".MDB"))
        label.chop(4);
    return label;
}

QStringList backupFilesAt(const QString &programDir, BackupPosition position)
{
    QDir dir(programDir);
    dir.setNameFilters({backupPrefix(position) + QStringLiteral("*.mdb")});
    dir.setFilter(QDir::Files | QDir::Hidden);
    dir.setSorting(QDir::Name | QDir::IgnoreCase);
    return dir.entryList();
}

QString backupFileAt(const QString &programDir, BackupPosition position)
{
    const QStringList files = backupFilesAt(programDir, position);
    return files.isEmpty() ? QString() : QDir(programDir).filePath(files.last());
}

} // namespace folio
