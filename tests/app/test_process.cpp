// The real executable in a program folder of its own: first start, a
// second copy, termination signals, a crash, and a folder without data.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>

namespace {

// A program folder holding the executable and, optionally, the template.
struct Installed
{
    QTemporaryDir dir;
    explicit Installed(bool withTemplate = true)
    {
        QFile::copy(QStringLiteral(FOLIO_EXECUTABLE), dir.filePath(QStringLiteral("foliokeeper")));
        QFile::setPermissions(dir.filePath(QStringLiteral("foliokeeper")),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        if (withTemplate)
            QFile::copy(QStringLiteral(FOLIO_TEMPLATE_PATH), dir.filePath(QStringLiteral("blank97.MDB")));
    }
    QString file(const QString &name) const { return dir.filePath(name); }
    QStringList entries() const
    {
        return QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
    }
};

std::unique_ptr<QProcess> start(const Installed &folder)
{
    auto process = std::make_unique<QProcess>();
    process->setProgram(folder.file(QStringLiteral("foliokeeper")));
    process->setWorkingDirectory(QDir::tempPath());  // the program folder is where the executable is
    process->start();
    process->waitForStarted();
    return process;
}

// Running: the lock is taken, the database open and the window up.
bool waitUntilRunning(const Installed &folder)
{
    const bool up = QTest::qWaitFor([&] {
        return QFile::exists(folder.file(QStringLiteral("foliok.lock")))
            && QFile::exists(folder.file(QStringLiteral("KB97.MDB")));
    }, 10000);
    QTest::qWait(700);
    return up;
}

int terminate(QProcess &process, int signal = SIGTERM)
{
    ::kill(pid_t(process.processId()), signal);
    if (!process.waitForFinished(10000))
        return -1;
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
}

} // namespace

class TestProcess : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void firstStartAndTermination()
    {
        Installed folder;
        auto app = start(folder);
        QVERIFY(waitUntilRunning(folder));
        QVERIFY(!QFile::exists(folder.file(QStringLiteral("foliok.ini"))));
        QCOMPARE(terminate(*app, SIGTERM), 0);
        QVERIFY(QFile::exists(folder.file(QStringLiteral("foliok.ini"))));
        QVERIFY(!QFile::exists(folder.file(QStringLiteral("foliok.lock"))));

        auto again = start(folder);  // SIGINT ends it the same way
        QVERIFY(waitUntilRunning(folder));
        QCOMPARE(terminate(*again, SIGINT), 0);
    }

    void secondCopyIsRefused()
    {
        Installed folder;
        auto first = start(folder);
        QVERIFY(waitUntilRunning(folder));
        const QByteArray before = [&] {
            QFile f(folder.file(QStringLiteral("KB97.MDB")));
            f.open(QIODevice::ReadOnly);
            return f.readAll();
        }();
        auto second = start(folder);
        QVERIFY(QTest::qWaitFor([&] {
            return second->readAllStandardError().contains("I am running now, you need not to start me again");
        }, 10000));
        QCOMPARE(terminate(*second), 2);  // dismissing the message ends it
        QCOMPARE(first->state(), QProcess::Running);
        QVERIFY(!QFile::exists(folder.file(QStringLiteral("foliok.ini"))));
        QFile f(folder.file(QStringLiteral("KB97.MDB")));
        f.open(QIODevice::ReadOnly);
        QCOMPARE(f.readAll(), before);
        QCOMPARE(terminate(*first), 0);
    }

    void killedCopyDoesNotBlockTheNext()
    {
        Installed folder;
        auto first = start(folder);
        QVERIFY(waitUntilRunning(folder));
        QCOMPARE(terminate(*first, SIGKILL), -2);
        QVERIFY(QFile::exists(folder.file(QStringLiteral("foliok.lock"))));  // left behind
        auto next = start(folder);
        QTest::qWait(1500);
        QCOMPARE(next->state(), QProcess::Running);
        QCOMPARE(terminate(*next), 0);
    }

    void missingDatabaseAndTemplate()
    {
        Installed folder(false);
        auto app = start(folder);
        QVERIFY(QTest::qWaitFor([&] {
            return app->readAllStandardError().contains("Database problem, please reinstall Folio Keeper software.");
        }, 10000));
        QCOMPARE(terminate(*app), 1);
        QCOMPARE(folder.entries(), QStringList({"foliokeeper"}));
    }
};

QTEST_GUILESS_MAIN(TestProcess)
#include "test_process.moc"
