#pragma once

#include "storage/databasecheck.h"

#include <QSqlDatabase>
#include <QString>

namespace folio {

inline const QString LiveDatabaseName = QStringLiteral("KB97.MDB");
inline const QString TemplateDatabaseName = QStringLiteral("blank97.MDB");

// The one connection to KB97.MDB in a program folder. Every store works
// through it. Opening validates the file; closing ignores errors.
class Database
{
public:
    explicit Database(QString programDir);
    ~Database();
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    OpenResult open();
    void close();

    bool isOpen() const;
    // False when the file or its folder cannot be written (read-only media,
    // permissions): every change would fail.
    bool isWritable() const { return m_writable; }

    // Whether the search index was seen to hold a row for every document
    // since the file was opened (counted on first need, not at open).
    bool searchRowsCounted() const { return m_searchRowsCounted; }
    void setSearchRowsCounted() { m_searchRowsCounted = true; }

    QSqlDatabase connection() const;
    QString programDir() const { return m_programDir; }
    QString filePath() const;
    QString templatePath() const;

private:
    OpenResult openConnection();
    OpenResult validateAndPrepare();
    void upgradeSchema(int fromVersion);
    void restoreDroppedStructures();

    QString m_programDir;
    QString m_connectionName;
    bool m_writable = false;
    bool m_searchRowsCounted = false;
};

} // namespace folio
