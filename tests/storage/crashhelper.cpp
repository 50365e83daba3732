// Runs one whole-file operation on a program folder, for the crash test,
// which kills it with SIGKILL at chosen moments:
//   storage_crash_helper <compact|rebuild|backup|restore> <folder> [stop-before-flush N]
// With N, the process stops itself (SIGSTOP) just before its N-th flush, so
// the test can kill it at an exact step. Prints the number of flushes and
// exits 0 when the operation finished, 2 when it failed.

#include "storage/atomicfile.h"
#include "storage/filemaintenance.h"
#include "storage/storageerror.h"

#include <QCoreApplication>
#include <QDateTime>
#include <csignal>
#include <cstdio>

using namespace folio;

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3)
        return 64;
    const QString operation = args.at(1);
    const QString folder = args.at(2);
    const int stopAt = args.size() > 4 && args.at(3) == QLatin1String("stop-before-flush") ? args.at(4).toInt() : 0;

    int flushes = 0;
    setFlushFunction([&](FlushKind kind, const QString &path) {
        if (++flushes == stopAt)
            std::raise(SIGSTOP);
        return fsyncToDisk(kind, path);
    });
    try {
        if (operation == QLatin1String("compact"))
            compactDatabase(folder);
        else if (operation == QLatin1String("rebuild"))
            rebuildDatabase(folder);
        else if (operation == QLatin1String("backup"))
            backupDatabase(folder, BackupPosition::A, QDateTime::currentDateTime());
        else if (operation == QLatin1String("restore"))
            restoreDatabase(folder, BackupPosition::B);
        else
            return 64;
    } catch (const StorageError &e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.userText()));
        return 2;
    }
    std::printf("flushes %d\n", flushes);
    return 0;
}
