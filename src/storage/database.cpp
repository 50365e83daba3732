#include "storage/database.h"

#include "storage/atomicfile.h"
#include "storage/historyschema.h"
#include "storage/nameorder.h"
#include "storage/schema.h"
#include "storage/searchindex.h"
#include "storage/statement.h"
#include "storage/storageerror.h"
#include "storage/transaction.h"

#include <QAtomicInt>
#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

namespace folio {

namespace {

QAtomicInt connectionCounter;

// Runs a statement that must succeed while opening; returns the first column.
bool runPragma(QSqlDatabase &db, const QString &sql, QVariant *value = nullptr, QString *error = nullptr)
{
    QSqlQuery query(db);
    if (!query.exec(sql)) {
        if (error)
            *error = query.lastError().databaseText();
        return false;
    }
    if (value && query.next())
        *value = query.value(0);
    return true;
}

} // namespace

Database::Database(QString programDir)
    : m_programDir(std::move(programDir))
    , m_connectionName(QStringLiteral("folio-%1").arg(connectionCounter.fetchAndAddRelaxed(1)))
{
}

Database::~Database()
{
    close();
}

QString Database::filePath() const
{
    return QDir(m_programDir).filePath(LiveDatabaseName);
}

QString Database::templatePath() const
{
    return QDir(m_programDir).filePath(TemplateDatabaseName);
}

bool Database::isOpen() const
{
    return QSqlDatabase::contains(m_connectionName)
        && QSqlDatabase::database(m_connectionName, false).isOpen();
}

QSqlDatabase Database::connection() const
{
    return QSqlDatabase::database(m_connectionName, false);
}

OpenResult Database::open()
{
    close();
    m_searchRowsCounted = false;
    const QFileInfo live(filePath());
    if (!live.exists()) {
        if (!QFileInfo(templatePath()).isFile())
            return OpenResult{OpenStatus::Missing,
                              QStringLiteral("Database problem, please reinstall Folio Keeper software.")};
        // A damaged template must not leave a KB97.MDB behind that would
        // block every later start.
        const OpenResult usable = examineDatabaseFile(templatePath(), CheckPurpose::Open);
        if (!usable.ok())
            return OpenResult{usable.status, QStringLiteral("The template %1 cannot be used, please reinstall "
                                                            "Folio Keeper software. %2")
                                                 .arg(templatePath(), usable.message)};
        try {
            copyFileAtomically(templatePath(), filePath(),
                               QStringLiteral("create %1 from the template").arg(filePath()));
        } catch (const StorageError &e) {
            return OpenResult{OpenStatus::CannotCreate, e.userText()};
        }
    } else if (!live.isFile()) {
        return OpenResult{OpenStatus::NotADatabase, QStringLiteral("%1 is not a database file.").arg(filePath())};
    }
    // Everything that could refuse the file is decided before the first
    // statement that may change it.
    const OpenResult checked = examineDatabaseFile(filePath(), CheckPurpose::Open);
    if (!checked.ok())
        return checked;

    OpenResult result = openConnection();
    if (!result.ok())
        close();
    return result;
}

OpenResult Database::openConnection()
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
        db.setDatabaseName(filePath());
        if (!db.open())
            return OpenResult{OpenStatus::Failed,
                              QStringLiteral("Cannot open %1: %2").arg(filePath(), db.lastError().text())};
        if (!registerNameOrder(db))
            return OpenResult{OpenStatus::Failed,
                              QStringLiteral("Cannot open %1: the database driver is not SQLite.").arg(filePath())};
    }
    return validateAndPrepare();
}

OpenResult Database::validateAndPrepare()
{
    QSqlDatabase db = connection();
    const QString file = filePath();
    QVariant mode;
    QString error;
    // The first statement reads the file header: a damaged file or one that
    // is no database at all fails here.
    if (!runPragma(db, QStringLiteral("PRAGMA journal_mode=DELETE"), &mode, &error))
        return OpenResult{OpenStatus::NotADatabase,
                          QStringLiteral("%1 is damaged or is not a Folio Keeper database (%2).").arg(file, error)};

    QVariant version;
    runPragma(db, QStringLiteral("PRAGMA user_version"), &version);
    runPragma(db, QStringLiteral("PRAGMA synchronous=FULL"));
    runPragma(db, QStringLiteral("PRAGMA foreign_keys=OFF"));
    runPragma(db, QStringLiteral("PRAGMA trusted_schema=OFF"));

    const QFileInfo info(file);
    m_writable = info.isWritable() && QFileInfo(info.absolutePath()).isWritable();
    if (m_writable) {
        try {
            if (version.toInt() < FolioSchemaVersion)
                upgradeSchema(version.toInt());
            else
                restoreDroppedStructures();
        } catch (const StorageError &e) {
            return OpenResult{OpenStatus::Failed, e.userText()};
        }
    }
    return OpenResult{OpenStatus::Opened, {}};
}

// A file of schema version 0 has our tables but was made without the
// version stamp (for example by hand with the sqlite3 tool): add what the
// program relies on and stamp it. Version 1 lacks the search index: its
// tables and triggers are added; noting the documents and extracting their
// text run after the open, in the background.
void Database::upgradeSchema(int fromVersion)
{
    QSqlDatabase db = connection();
    const QString operation = QStringLiteral("upgrade %1").arg(filePath());
    const QStringList steps = {
        QStringLiteral("CREATE INDEX IF NOT EXISTS DirTable_Parent ON DirTable (Parent)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS DocTable_Folder ON DocTable (DirNum, DocName, ChgDate)"),
        QStringLiteral("PRAGMA application_id = %1").arg(FolioApplicationId),
        QStringLiteral("PRAGMA user_version = %1").arg(FolioSchemaVersion),
    };
    Q_UNUSED(fromVersion);
    Transaction transaction(db, operation);
    for (const QString &step : steps)
        runStatement(db, step, {}, operation);
    SearchIndex(db).install();
    HistorySchema::install(db);
    transaction.commit();
}

// Puts back search and history structures that another tool removed; nothing
// is written when all is in place. Rows written while the search triggers
// were missing are found by the background index build, not here: that
// reads every key.
void Database::restoreDroppedStructures()
{
    Transaction transaction(connection(), QStringLiteral("prepare the search index and history of %1").arg(filePath()));
    SearchIndex(connection()).install();
    HistorySchema::install(connection());
    transaction.commit();
}

void Database::close()
{
    if (!QSqlDatabase::contains(m_connectionName))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
        if (db.isOpen())
            db.close();
    }
    QSqlDatabase::removeDatabase(m_connectionName);
}

} // namespace folio
