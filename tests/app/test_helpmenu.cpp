// The Help menu on the real main window: F1 and "&Help" open the manual at
// the focused control's topic, "&About" and "&Check New Version" show one
// window each, "&Bug Report" hands the feedback page to the browser.
#include "app/aboutbox.h"
#include "app/appicon.h"
#include "app/helpwindow.h"
#include "app/mainwindow.h"
#include "editor/documentpane.h"
#include "editor/htmleditor.h"
#include "support/panefixture.h"
#include "tree/foldertree.h"
#include "update/siteaddress.h"
#include "update/updatewindow.h"
#include "widgets/commands.h"
#include "widgets/helpcontext.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>
#include <QTextEdit>

using namespace folio;
using namespace folio::test;

class TestHelpMenu : public QObject
{
    Q_OBJECT

    std::unique_ptr<ProgramFolder> m_folder;
    std::shared_ptr<ScriptedPrompts> m_script;
    std::unique_ptr<MainWindow> m_window;

    HelpWindow *help() const { return m_window->findChild<HelpWindow *>(QStringLiteral("frmHelp")); }
    void trigger(const char *key) { m_window->commands().action(QLatin1String(key))->trigger(); }
    void pressF1(QWidget *target)
    {
        target->setFocus();
        QTest::keyClick(target, Qt::Key_F1);
    }

private Q_SLOTS:
    void init()
    {
        // Nothing may reach the internet: the check asks a closed local port.
        qputenv(SiteUrlVariable, "http://127.0.0.1:1");
        setUpDesktopIdentity();
        m_folder = std::make_unique<ProgramFolder>();
        m_folder->createDatabase();
        const QDir source(QStringLiteral(FOLIO_MANUAL_PATH));
        QDir(m_folder->path()).mkdir(QStringLiteral("manual"));
        for (const QString &page : source.entryList(QDir::Files))
            QFile::copy(source.filePath(page), QDir(manualFolder(m_folder->path())).filePath(page));
        m_script = std::make_shared<ScriptedPrompts>();
        m_window = openWindow(*m_folder, true, scriptedPrompts(m_script));
        QVERIFY(m_window);
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    }
    void cleanup()
    {
        m_window.reset();
        m_folder.reset();
        qunsetenv(SiteUrlVariable);
    }

    void f1OpensTheFocusedControlsTopic()
    {
        pressF1(&m_window->folderTree());
        QVERIFY(help());
        QTRY_VERIFY(help()->isVisible());
        QCOMPARE(help()->topic(), 310);
        QCOMPARE(help()->browser()->documentTitle(), QStringLiteral("The folder tree"));

        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        pressF1(m_window->documentPane().editor()->textEdit());
        QCOMPARE(help()->topic(), 330);
        QCOMPARE(help()->browser()->documentTitle(), QStringLiteral("The title and the editor"));

        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        pressF1(m_window->findChild<QWidget *>(QStringLiteral("ListView1")));
        QCOMPARE(help()->topic(), 320);

        // Nothing of the window focused: the window's own topic.
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        if (QWidget *focused = m_window->focusWidget())
            focused->clearFocus();
        QTest::keyClick(m_window.get(), Qt::Key_F1);
        QCOMPARE(help()->topic(), 1000);
        QCOMPARE(help()->browser()->documentTitle(), QStringLiteral("The main window"));
        QCOMPARE(m_window->findChildren<HelpWindow *>().size(), 1);
        for (const char *bar : {"ToolbarDir", "ToolbarDoc", "Toolbar3", "Toolbar4"})
            QCOMPARE(helpContextOf(m_window->findChild<QWidget *>(QLatin1String(bar))), HelpContext::Toolbars);
        QCOMPARE(helpContextOf(m_window->findChild<QWidget *>(QStringLiteral("txtHTMLTitle"))),
                 HelpContext::TitleAndEditor);
    }

    void helpMenuAsksTheMainWindow()
    {
        m_window->folderTree().setFocus();
        trigger("MnuHelp");
        QCOMPARE(help()->topic(), 310);
        m_window->documentPane().editor()->textEdit()->setFocus();
        trigger("MnuHelp");
        QCOMPARE(help()->topic(), 330);
    }

    void aboutBoxIsSingle()
    {
        trigger("MnuAbout");
        trigger("MnuAbout");
        const QList<AboutBox *> boxes = m_window->findChildren<AboutBox *>(QStringLiteral("frmAbout"));
        QCOMPARE(boxes.size(), 1);
        QPointer<AboutBox> box = boxes.first();
        QVERIFY(box->isVisible());
        const QString version = box->findChild<QLabel *>(QStringLiteral("lblVersion"))->text();
        QVERIFY(version.startsWith(QStringLiteral("Version ")));
        QVERIFY(m_window->windowTitle().endsWith(QStringLiteral("V") + version.mid(8)));
        QVERIFY(!box->windowIcon().isNull());
        QTest::mouseClick(box, Qt::LeftButton);
        QTRY_VERIFY(box.isNull());
        trigger("MnuAbout");  // a closed box opens afresh
        QCOMPARE(m_window->findChildren<AboutBox *>().size(), 1);
    }

    void bugReportOpensTheFeedbackPage()
    {
        trigger("MnuBugReport");
        QCOMPARE(m_script->openedUrls, QList<QUrl>{QUrl(QStringLiteral("http://127.0.0.1:1/feedback.htm"))});
    }

    void updateWindowIsSingleAndHasItsOwnHelp()
    {
        trigger("MnuCheckNewVersion");
        trigger("MnuCheckNewVersion");
        const QList<UpdateWindow *> windows = m_window->findChildren<UpdateWindow *>(QStringLiteral("frmUpdate"));
        QCOMPARE(windows.size(), 1);
        QPointer<UpdateWindow> update = windows.first();
        QVERIFY(update->isVisible());
        QVERIFY(!update->windowIcon().isNull());
        // F1 in the update window: its own topic.
        QApplication::setActiveWindow(update);
        QTRY_COMPARE(QApplication::activeWindow(), update.data());
        pressF1(update->findChild<QPushButton *>(QStringLiteral("Command4")));
        QVERIFY(help());
        QCOMPARE(help()->topic(), 360);
        // Its "Help" button: the manual's first page.
        update->findChild<QPushButton *>(QStringLiteral("Command5"))->click();
        QCOMPARE(help()->topic(), 0);
        QCOMPARE(help()->browser()->documentTitle(), QStringLiteral("Folio Keeper user manual"));
        // The check against the closed port ends in "no information".
        QTRY_COMPARE(update->findChild<QLabel *>(QStringLiteral("Label1"))->text(),
                     QStringLiteral("Cannot get information from internet, please check later"));
        // Closing the main window closes the others.
        QPointer<HelpWindow> helpWindow = help();
        m_window->close();
        QTRY_VERIFY(update.isNull());
        QVERIFY(!helpWindow->isVisible());
    }
};

QTEST_MAIN(TestHelpMenu)
#include "test_helpmenu.moc"
