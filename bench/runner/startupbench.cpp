#include "runner/startupbench.h"

#include "app/launcher.h"
#include "app/mainwindow.h"
#include "runner/benchsession.h"
#include "runner/resulttable.h"
#include "tree/foldertree.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTimer>
#include <cstdio>
#include <sys/resource.h>

namespace folio::bench {

namespace {

constexpr int StartupRuns = 7;

// Peak resident memory of this process so far, in kilobytes.
qint64 peakResidentKilobytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    return -1;
}

struct ChildReport
{
    double inProcessMs = -1;
    double sinceLaunchMs = -1;   // measured by the parent, process start included
    qint64 peakKilobytes = -1;
    int topFolders = -1;
    QString error;
};

ChildReport runChild(const QString &programDir)
{
    ChildReport report;
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer clock;
    clock.start();
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--") + StartupChildOption, programDir});
    QByteArray output;
    while (child.waitForReadyRead(60000)) {
        output += child.readAllStandardOutput();
        if (report.sinceLaunchMs < 0 && output.contains("startup-ms "))
            report.sinceLaunchMs = double(clock.nsecsElapsed()) / 1e6;
    }
    child.waitForFinished(60000);
    output += child.readAllStandardOutput();
    for (const QByteArray &line : output.split('\n')) {
        const QList<QByteArray> words = line.split(' ');
        if (words.size() < 2)
            continue;
        if (words[0] == "startup-ms")
            report.inProcessMs = words[1].toDouble();
        else if (words[0] == "rss-kb")
            report.peakKilobytes = words[1].toLongLong();
        else if (words[0] == "top-folders")
            report.topFolders = words[1].toInt();
        else if (words[0] == "error")
            report.error = QString::fromUtf8(line.mid(6));
    }
    if (child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0)
        report.error = QStringLiteral("the start-up child ended with code %1 %2").arg(child.exitCode()).arg(report.error);
    return report;
}

qint64 childrenPeakKilobytes()
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return usage.ru_maxrss;
}

} // namespace

int runStartupChild(const QString &programDir)
{
    QElapsedTimer clock;
    clock.start();
    LaunchResult launched = launchMainWindow(programDir);
    if (!launched.window) {
        std::printf("error %s\n", qPrintable(launched.message));
        return 1;
    }
    MainWindow &window = *launched.window;
    if (auto *tip = window.findChild<QTimer *>(QStringLiteral("Timer1")))
        tip->stop();
    showAndPaint(window);
    const double elapsed = double(clock.nsecsElapsed()) / 1e6;
    std::printf("startup-ms %.3f\ntop-folders %d\n", elapsed, window.folderTree().topLevelItemCount());
    std::fflush(stdout);
    // Let whatever the first moments of a running program do happen before
    // the high-water mark is read.
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 300)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    std::printf("rss-kb %lld\n", peakResidentKilobytes());
    std::fflush(stdout);
    window.close();
    return 0;
}

void measureStartup(BenchSession &session, ResultTable &table)
{
    // The program folder admits one running copy: the shared window goes.
    session.closeWindow();
    const Manifest &m = session.manifest();
    const QString size = QStringLiteral("%1 folders").arg(m.config.folders);
    const QList<Goal> startGoal{Goal::below(400, QStringLiteral("< 400 ms"))};
    const QList<Goal> memoryGoal{Goal::below(150, QStringLiteral("< 150 MB"))};

    runChild(session.workDir());   // warms the disk cache for the program's own files
    QList<double> inProcess, sinceLaunch, peak;
    for (int i = 0; i < StartupRuns; ++i) {
        const ChildReport report = runChild(session.workDir());
        if (!report.error.isEmpty() || report.inProcessMs < 0 || report.peakKilobytes < 0) {
            table.add(BenchRow::failed("startup", QStringLiteral("start-up to filled main window"),
                                       report.error.isEmpty() ? QStringLiteral("no report from the child") : report.error,
                                       startGoal));
            return;
        }
        if (report.topFolders <= 0 && m.config.folders > 0)
            table.addNote(QStringLiteral("warning: a start-up showed an empty folder tree"));
        inProcess.append(report.inProcessMs);
        sinceLaunch.append(report.sinceLaunchMs);
        peak.append(double(report.peakKilobytes) / 1024.0);
    }
    table.add(BenchRow::measured("startup", QStringLiteral("start-up to filled main window"), size, inProcess,
                                 startGoal));
    table.add(BenchRow::measured("startup-process", QStringLiteral("start-up incl. process and QApplication"),
                                 size, sinceLaunch));
    table.add(BenchRow::measured("startup-memory", QStringLiteral("peak resident memory at start-up"), size, peak,
                                 memoryGoal, Unit::Megabytes));
    table.addNote(QStringLiteral("Peak resident memory as the system counts it for the runner's children "
                                 "(getrusage): %1 MB.")
                      .arg(double(childrenPeakKilobytes()) / 1024.0, 0, 'f', 1));
}

} // namespace folio::bench
