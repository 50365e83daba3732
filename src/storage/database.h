#pragma once

#include <QSqlDatabase>
#include <QString>

namespace folio {

inline const QString LiveDatabaseName = QStringLiteral("KB97.MDB");
inline const QString TemplateDatabaseName = QStringLiteral("blank97.MDB");

// Why opening the knowledge base did not succeed.
enum class OpenStatus {
    Opened,
    Missing,        // neither the database nor the template exists
    CannotCreate,   // the template could not be copied into place
    NotADatabase,   // damaged, or not a database file at all
    ForeignFile,    // a database of some other program
    MissingTables,  // a database without our tables or columns
    TooNew,         // written by a newer version of the program
    Failed,         // any other failure to open
};

struct OpenResult
{
    OpenStatus status = OpenStatus::Failed;
    QString message;   // for the user; empty when opened
    bool ok() const { return status == OpenStatus::Opened; }
};

// Decides whether a file is a knowledge base this version can use (a
// database file, not another program's, with our tables, not from a newer
// version) without writing anything: no byte of the file changes and no
// journal, -wal or -shm file is made. Opened when it can be used.
OpenResult inspectDatabaseFile(const QString &file);

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
};

} // namespace folio
