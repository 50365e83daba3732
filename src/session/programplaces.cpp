#include "session/programplaces.h"

#include "storage/atomicfile.h"
#include "storage/database.h"
#include "storage/storageerror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace folio {

namespace {

const QString DataFolderName = QStringLiteral("foliokeeper");

bool holdsProgramFiles(const QDir &dir)
{
    return QFileInfo(dir.filePath(TemplateDatabaseName)).isFile() || QFileInfo(dir.filePath(LiveDatabaseName)).isFile();
}

bool sameFile(const QString &a, const QString &b)
{
    const QFileInfo left(a);
    const QFileInfo right(b);
    if (!right.isFile() || left.size() != right.size())
        return false;
    QFile l(a);
    QFile r(b);
    return l.open(QIODevice::ReadOnly) && r.open(QIODevice::ReadOnly) && l.readAll() == r.readAll();
}

} // namespace

ProgramPlaces locateProgramPlaces(const QString &executableDir, const QString &xdgDataHome, const QString &home)
{
    const QDir program(executableDir);
    ProgramPlaces places;
    if (holdsProgramFiles(program) && QFileInfo(executableDir).isWritable()) {
        places.dataDir = places.resourceDir = program.absolutePath();
        return places;
    }
    places.portable = false;
    // A relative XDG_DATA_HOME is invalid and is to be ignored.
    const QString dataHome = QDir::isAbsolutePath(xdgDataHome) ? xdgDataHome
                                                                : QDir(home).filePath(QStringLiteral(".local/share"));
    places.dataDir = QDir::cleanPath(QDir(dataHome).filePath(DataFolderName));
    const QString shared = QDir::cleanPath(program.filePath(QStringLiteral("../share/foliokeeper")));
    places.resourceDir = QFileInfo(program.filePath(TemplateDatabaseName)).isFile() ? program.absolutePath() : shared;
    return places;
}

ProgramPlaces locateProgramPlaces(const QString &executableDir)
{
    return locateProgramPlaces(executableDir, qEnvironmentVariable("XDG_DATA_HOME"), QDir::homePath());
}

QString prepareDataFolder(const ProgramPlaces &places)
{
    if (places.portable)
        return {};
    if (!QDir().mkpath(places.dataDir))
        return QStringLiteral("The data folder %1 could not be made.").arg(places.dataDir);
    QFile::setPermissions(places.dataDir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString installed = QDir(places.resourceDir).filePath(TemplateDatabaseName);
    const QString copy = QDir(places.dataDir).filePath(TemplateDatabaseName);
    if (!QFileInfo(installed).isFile() || sameFile(installed, copy))
        return {};
    try {
        copyFileAtomically(installed, copy, QStringLiteral("put the empty template into %1").arg(places.dataDir));
        QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner);
    } catch (const StorageError &e) {
        return e.userText();
    }
    return {};
}

} // namespace folio
