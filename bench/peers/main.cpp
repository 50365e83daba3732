// foliok-peers: writes a generated knowledge base as a CherryTree document
// and a Zim notebook, for bench/peers.sh to time those programs on the same
// content.
//
//   foliok-peers --base bench/data/large-s1 --out bench/data/large-s1-peers [--subset 10]
#include "peers/peerexport.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <cstdio>

using namespace folio::bench;

namespace {

void say(const QString &text)
{
    std::printf("%s\n", qPrintable(text));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser args;
    args.setApplicationDescription(QStringLiteral("Writes a generated base for the peer programs."));
    args.addHelpOption();
    args.addOptions({{"base", "The generated base folder (holding KB97.MDB).", "folder"},
                     {"out", "Where the CherryTree file and the Zim notebook go.", "folder"},
                     {"subset", "Keep every n-th top-level folder with all below it.", "n", "1"}});
    args.process(app);
    if (!args.isSet("base") || !args.isSet("out")) {
        say(QStringLiteral("--base and --out are needed"));
        return 2;
    }
    const QString source = QDir(args.value("base")).filePath(QStringLiteral("KB97.MDB"));
    if (!QFileInfo::exists(source)) {
        say(QStringLiteral("no KB97.MDB in %1").arg(args.value("base")));
        return 2;
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("base"));
    db.setDatabaseName(source);
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
    if (!db.open()) {
        say(QStringLiteral("cannot open %1").arg(source));
        return 1;
    }
    const QDir out(args.value("out"));
    out.mkpath(QStringLiteral("."));
    try {
        const PeerExport peers(db, args.value("subset").toInt());
        QElapsedTimer clock;
        clock.start();
        const PeerExportSummary ctb = peers.writeCherryTree(out.filePath(QStringLiteral("bench.ctb")), say);
        say(QStringLiteral("bench.ctb: %1 folders, %2 documents (%3 s)").arg(ctb.folders).arg(ctb.documents)
                .arg(clock.restart() / 1000.0, 0, 'f', 1));
        const PeerExportSummary zim = peers.writeZim(out.filePath(QStringLiteral("zim")), say);
        say(QStringLiteral("zim notebook: %1 folders, %2 documents (%3 s)").arg(zim.folders).arg(zim.documents)
                .arg(clock.elapsed() / 1000.0, 0, 'f', 1));
    } catch (const std::exception &e) {
        say(QStringLiteral("writing the peers' notebooks failed: %1").arg(QString::fromLocal8Bit(e.what())));
        return 1;
    }
    return 0;
}
