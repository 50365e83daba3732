// Loading and unloading the real main window in a program folder.

#include "app/launcher.h"
#include "doclist/documentlist.h"
#include "session/settings.h"
#include "session/version.h"
#include "support/testsupport.h"
#include "tree/foldertree.h"
#include "widgets/messageboard.h"
#include "widgets/statuspanel.h"

#include <QDir>
#include <QFile>
#include <QTest>
#include <QTimer>

using namespace folio;
using folio::test::ProgramFolder;

class TestStartup : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void startsWithOnlyTheTemplate()
    {
        ProgramFolder folder;
        QFile::copy(QStringLiteral(FOLIO_TEMPLATE_PATH), folder.file(QStringLiteral("blank97.MDB")));
        auto window = folio::test::openWindow(folder);
        QVERIFY(window);
        QVERIFY(QFile::exists(folder.file(QStringLiteral("KB97.MDB"))));
        QCOMPARE(window->windowTitle(), QStringLiteral("Folio Keeper V") + appVersion());
        QCOMPARE(window->findChild<QLabel *>(QStringLiteral("Panel1"))->text(), QStringLiteral("IDLE"));
        QCOMPARE(window->findChild<QTreeView *>(QStringLiteral("TreeView1"))->model()->rowCount(), 0);
        // The board waits hidden beyond the right edge.
        QVERIFY(!window->board().isVisible());
        QCOMPARE(window->board().x(), window->width());
    }

    void damagedDatabaseIsNamed()
    {
        ProgramFolder folder;
        QFile f(folder.file(QStringLiteral("KB97.MDB")));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("not a database at all");
        f.close();
        const LaunchResult result = launchMainWindow(folder.path());
        QVERIFY(!result.window);
        QCOMPARE(result.exitCode, MainWindow::ExitDatabaseProblem);
        QVERIFY(result.message.contains(folder.file(QStringLiteral("KB97.MDB"))));
        QVERIFY(!QFile::exists(folder.file(QStringLiteral("foliok.ini"))));
    }

    void oneCopyPerProgramFolder()
    {
        ProgramFolder folder, other;
        folder.createDatabase();
        other.createDatabase();
        auto first = folio::test::openWindow(folder, false);
        QVERIFY(first);
        const LaunchResult second = launchMainWindow(folder.path());
        QVERIFY(!second.window);
        QCOMPARE(second.exitCode, MainWindow::ExitAlreadyRunning);
        QCOMPARE(second.message, QStringLiteral("I am running now, you need not to start me again"));
        QVERIFY(!QFile::exists(folder.file(QStringLiteral("foliok.ini"))));
        QVERIFY(first->database().isOpen());

        auto elsewhere = folio::test::openWindow(other, false);
        QVERIFY(elsewhere);  // another program folder runs beside it

        first->close();
        auto again = folio::test::openWindow(folder, false);  // the lock went with the unload
        QVERIFY(again);
    }

    void startupTipOnce()
    {
        ProgramFolder folder;
        folder.createDatabase();
        auto window = folio::test::openWindow(folder);
        QVERIFY(window);
        folio::test::BoardRobot robot(*window);
        window->findChild<QTimer *>(QStringLiteral("Timer1"))->start();
        QVERIFY(robot.waitForMessages(1, 3000));
        QCOMPARE(robot.lastMessage(),
                 QStringLiteral("To add a new document, you can select Add New Document menu form Main Menu, right "
                                "button menu or press the Add New Doucment button"));
        QTest::qWait(1500);
        QCOMPARE(robot.messages().size(), 1);
    }

    void unloadWritesSettingsAndClosesEverything()
    {
        ProgramFolder folder;
        folder.createDatabase();
        auto window = folio::test::openWindow(folder);
        QVERIFY(window);
        auto *secondary = new QWidget;
        secondary->setAttribute(Qt::WA_DeleteOnClose);
        QPointer<QWidget> watch(secondary);
        secondary->show();
        window->registerSecondaryWindow(secondary);
        window->database().close();  // closing again during the unload must not matter
        window->close();
        QVERIFY(!window->database().isOpen());
        QTRY_VERIFY(!watch);
        QCOMPARE(SettingsFile(folder.path()).readVersion(QString()), appVersion());
    }

    void storedVersionIsKept()
    {
        ProgramFolder folder;
        folder.createDatabase();
        QVERIFY(SettingsFile(folder.path()).writeVersion(QStringLiteral("01.09.07")));
        auto window = folio::test::openWindow(folder, false);
        QVERIFY(window);
        QCOMPARE(window->session().storedVersion(), QStringLiteral("01.09.07"));
        window->close();
        QCOMPARE(SettingsFile(folder.path()).readVersion(QString()), QStringLiteral("01.09.07"));
    }
};

QTEST_MAIN(TestStartup)
#include "test_startup.moc"
