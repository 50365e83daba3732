#include "runner/startupbench.h"

#include "runner/benchsession.h"
#include "runner/resulttable.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QThread>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace folio::bench {

namespace {

// Per round; the rounds make 15 starts in all.
constexpr int StartupRuns = 3;
// When the memory is read: the start-up tip (one second after the window)
// is shown by then.
constexpr int PeakAfterMs = 1500;
constexpr int ReadyTimeoutMs = 60000;
// The descriptor the program reports on.
constexpr int ReadyFd = 3;

double msSince(const QElapsedTimer &clock)
{
    return double(clock.nsecsElapsed()) / 1e6;
}

qint64 peakResidentKilobytes(pid_t pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    return -1;
}

// Ends the program the way a session ending does, and reaps it; a program
// that does not go within five seconds is killed.
int endProgram(pid_t pid)
{
    ::kill(pid, SIGTERM);
    QElapsedTimer clock;
    clock.start();
    int status = 0;
    while (::waitpid(pid, &status, WNOHANG) == 0) {
        if (clock.elapsed() > 5000) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            return -1;
        }
        QThread::msleep(5);
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Waits for "ready" on `fd`; false when the program closed it first (it
// ended) or the time ran out.
bool waitForReady(int fd, int timeoutMs)
{
    QByteArray got;
    QElapsedTimer clock;
    clock.start();
    while (!got.contains('\n')) {
        pollfd p{fd, POLLIN, 0};
        const int left = timeoutMs - int(clock.elapsed());
        if (left <= 0)
            return false;
        const int r = ::poll(&p, 1, left);
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0)
            return false;
        char buffer[64];
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0)
            return false;
        got.append(buffer, n);
    }
    return got.startsWith("ready");
}

} // namespace

ProgramStart startProgram(const QString &executable, int peakAfterMs)
{
    ProgramStart start;
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        start.error = QStringLiteral("no pipe for the ready report");
        return start;
    }
    // The write end goes to the program as ReadyFd; dup2 onto it drops
    // close-on-exec, unless it already is that number.
    if (fds[1] == ReadyFd) {
        const int moved = ::fcntl(fds[1], F_DUPFD_CLOEXEC, 10);
        ::close(fds[1]);
        fds[1] = moved;
    }
    const QByteArray program = QFile::encodeName(executable);
    const QByteArray log = QFile::encodeName(QFileInfo(executable).dir().filePath(QStringLiteral("startup-output.log")));
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], ReadyFd);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, log.constData(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);

    std::vector<QByteArray> variables;
    for (char **e = environ; *e; ++e)
        if (!QByteArray(*e).startsWith("FOLIOK_REPORT_READY="))
            variables.emplace_back(*e);
    variables.emplace_back("FOLIOK_REPORT_READY=" + QByteArray::number(ReadyFd));
    std::vector<char *> envp;
    for (QByteArray &variable : variables)
        envp.push_back(variable.data());
    envp.push_back(nullptr);
    char *argv[] = {const_cast<char *>(program.constData()), nullptr};

    pid_t pid = -1;
    QElapsedTimer clock;
    clock.start();
    const int spawned = ::posix_spawn(&pid, program.constData(), &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    if (spawned != 0) {
        ::close(fds[0]);
        start.error = QStringLiteral("cannot start %1: %2").arg(executable, QString::fromLocal8Bit(strerror(spawned)));
        return start;
    }
    const bool ready = waitForReady(fds[0], ReadyTimeoutMs);
    const double readyMs = msSince(clock);
    ::close(fds[0]);
    if (!ready) {
        const int code = endProgram(pid);
        start.error = QStringLiteral("the program did not report a painted main window (exit code %1; its output is in %2)")
                          .arg(code).arg(QString::fromLocal8Bit(log));
        return start;
    }
    start.readyMs = readyMs;
    while (msSince(clock) < peakAfterMs)
        QThread::msleep(5);
    start.peakKilobytes = peakResidentKilobytes(pid);
    const int code = endProgram(pid);
    if (code != 0)
        start.error = QStringLiteral("the program ended with code %1 after SIGTERM").arg(code);
    return start;
}

QString platformDescription()
{
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("xcb")) {
        const QString server = qEnvironmentVariable("FOLIO_BENCH_XSERVER", QStringLiteral("X server"));
        return QStringLiteral("xcb, %1 %2").arg(server, qEnvironmentVariable("DISPLAY"));
    }
    return platform;
}

namespace {

// The program and the bare window, started one after the other, the first
// of the pair taking turns, so that both see the same moments of the machine.
struct StartupRound
{
    QList<double> ready, peak, bareReady, barePeak;
    QString error, bareError;
};

StartupRound startAlternately(const QString &program, const QString &bare, int runs)
{
    StartupRound round;
    auto startOne = [](const QString &executable, QList<double> &ready, QList<double> &peak, QString &error) {
        if (!error.isEmpty())
            return;
        const ProgramStart start = startProgram(executable, PeakAfterMs);
        if (!start.error.isEmpty() || start.peakKilobytes < 0) {
            error = start.error.isEmpty() ? QStringLiteral("no memory figure") : start.error;
            return;
        }
        ready.append(start.readyMs);
        peak.append(double(start.peakKilobytes) / 1024.0);
    };
    if (bare.isEmpty() || !QFileInfo(bare).isExecutable())
        round.bareError = QStringLiteral("no bare window executable at \"%1\" (build foliok-bare)").arg(bare);
    for (int i = 0; i < runs; ++i) {
        if (i % 2 == 0)
            startOne(program, round.ready, round.peak, round.error);
        startOne(bare, round.bareReady, round.barePeak, round.bareError);
        if (i % 2 == 1)
            startOne(program, round.ready, round.peak, round.error);
    }
    return round;
}

} // namespace

void measureStartup(BenchSession &session, ResultTable &table)
{
    // The program folder admits one running copy: the shared window goes.
    session.closeWindow();
    const Manifest &m = session.manifest();
    const bool huge = m.isHuge();
    const QString size = QStringLiteral("%1 folders; %2").arg(m.config.folders).arg(platformDescription());
    const QList<Goal> startGoal{huge ? Goal::below(300, QStringLiteral("≤ 300 ms (huge)"))
                                     : Goal::below(100, QStringLiteral("≤ 100 ms"))};
    const QList<Goal> memoryGoal{huge ? Goal::below(60, QStringLiteral("≤ 60 MB (huge)"))
                                      : Goal::below(45, QStringLiteral("≤ 45 MB"))};
    const QList<Goal> ratioGoal{huge ? Goal::below(2, QStringLiteral("≤ 2× (huge)"))
                                     : Goal::below(1.5, QStringLiteral("≤ 1.5×"))};
    const QString operation = QStringLiteral("start-up: exec to shown, filled, painted window");
    const QString memoryOperation = QStringLiteral("peak resident memory 1.5 s after exec");
    const QString bareOperation = QStringLiteral("bare Qt main window: exec to shown, painted window");
    const QString bareMemoryOperation = QStringLiteral("bare Qt main window: peak resident memory 1.5 s after exec");
    const QString ratioOperation = QStringLiteral("start-up as a ratio to the bare window");

    const QString installed = QDir(session.workDir()).filePath(QFileInfo(session.program()).fileName());
    if (session.program().isEmpty() || !QFileInfo(session.program()).isExecutable()) {
        table.add(BenchRow::failed("startup", operation,
                                   QStringLiteral("no program executable at \"%1\"").arg(session.program()), startGoal));
        return;
    }
    // As installed: the executable in the program folder, beside KB97.MDB.
    if (!QFileInfo::exists(installed)
        && (!QFile::copy(session.program(), installed)
            || !QFile::setPermissions(installed, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner))) {
        table.add(BenchRow::failed("startup", operation, QStringLiteral("cannot copy the program into the work folder"),
                                   startGoal));
        return;
    }
    const StartupRound round = startAlternately(installed, session.bareProgram(), session.runsPerRound(StartupRuns));
    if (round.error.isEmpty()) {
        table.add(BenchRow::measured("startup", operation, size, round.ready, startGoal));
        table.add(BenchRow::measured("startup-memory", memoryOperation, size, round.peak, memoryGoal, Unit::Megabytes));
    } else {
        table.add(BenchRow::failed("startup", operation, round.error, startGoal));
    }
    const QString bareSize = QStringLiteral("no data; %1").arg(platformDescription());
    if (round.bareError.isEmpty()) {
        table.add(BenchRow::measured("bare-startup", bareOperation, bareSize, round.bareReady));
        table.add(BenchRow::measured("bare-memory", bareMemoryOperation, bareSize, round.barePeak, {}, Unit::Megabytes));
    } else {
        table.add(BenchRow::failed("bare-startup", bareOperation, round.bareError));
    }
    // Each round's program median over the same round's bare median.
    if (round.error.isEmpty() && round.bareError.isEmpty())
        table.add(BenchRow::ratioOfRound("startup-ratio", ratioOperation, size, round.ready, round.bareReady, ratioGoal));
    else
        table.add(BenchRow::failed("startup-ratio", ratioOperation, QStringLiteral("a start-up row failed"), ratioGoal));
}

} // namespace folio::bench
