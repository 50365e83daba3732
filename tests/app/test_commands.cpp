// The commands: toolbar order, access keys, one action per command
// everywhere, and what each may do in browse, edit and busy mode.

#include "support/testsupport.h"
#include "widgets/commands.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

using namespace folio;

class TestCommands : public QObject
{
    Q_OBJECT

    folio::test::ProgramFolder *m_folder = nullptr;
    std::unique_ptr<MainWindow> m_window;

    QStringList toolbarKeys(const char *name)
    {
        QStringList keys;
        for (QAction *a : m_window->findChild<QToolBar *>(QLatin1String(name))->actions())
            keys << (a->isSeparator() ? QString() : a->objectName());
        return keys;
    }

private Q_SLOTS:
    void init()
    {
        m_folder = new folio::test::ProgramFolder;
        m_folder->createDatabase();
        m_window = folio::test::openWindow(*m_folder);
        QVERIFY(m_window);
    }

    void cleanup()
    {
        m_window.reset();
        delete m_folder;
    }

    void toolbarsInOrderWithToolTips()
    {
        QCOMPARE(toolbarKeys("ToolbarDir"), QStringList({"DirAdd", "DirChg", "DirDel", "", "DbCompact", "DbBackup"}));
        QCOMPARE(toolbarKeys("ToolbarDoc"),
                 QStringList({"DocAdd", "DocChg", "DocDel", "", "DocExport", "DocFind", "DocPrt"}));
        for (const char *bar : {"ToolbarDir", "ToolbarDoc"})
            for (QAction *a : m_window->findChild<QToolBar *>(QLatin1String(bar))->actions())
                QVERIFY2(a->isSeparator() || (!a->toolTip().isEmpty() && !a->icon().isNull()), qPrintable(a->objectName()));
    }

    void menusWithAccessKeysAndSharedActions()
    {
        // Every entry has an access key, unique in its menu.
        const QList<QAction *> menus = m_window->menuBar()->actions();
        QCOMPARE(menus.size(), 5);
        for (QAction *menu : menus) {
            QSet<QChar> keys;
            for (QAction *entry : menu->menu()->actions()) {
                if (entry->isSeparator())
                    continue;
                const qsizetype amp = entry->text().indexOf(u'&');
                QVERIFY2(amp >= 0 && amp + 1 < entry->text().size(), qPrintable(entry->text()));
                const QChar key = entry->text().at(amp + 1).toLower();
                QVERIFY2(!keys.contains(key), qPrintable(entry->text()));
                keys.insert(key);
            }
        }
        // One action per command: the toolbar button and the menu entry are the same.
        auto *folderMenu = m_window->findChild<QMenu *>(QStringLiteral("hMenuTreeView"));
        auto *documentMenu = m_window->findChild<QMenu *>(QStringLiteral("hMenuListView"));
        QCOMPARE(folderMenu->actions().first(), m_window->findChild<QAction *>(QStringLiteral("DirAdd")));
        QCOMPARE(documentMenu->actions().at(2), m_window->findChild<QAction *>(QStringLiteral("DocDel")));
        QCOMPARE(m_window->findChildren<QAction *>(QStringLiteral("DocDel")).size(), 1);
        for (const char *name : {"MnuRestoreDb", "MnuCheckNewVersion", "MnuRebuildDb", "MnuHelp", "MnuBugReport",
                                 "MnuAbout", "DocHistory", "MnuDeletedDocs", "MnuSpelling"})
            QVERIFY2(m_window->findChild<QAction *>(QLatin1String(name)), name);
    }

    // One table: the toolbar button, the menu entry and the shortcut of a
    // command are one action, enabled alike in each mode.
    void availabilityFollowsTheMode()
    {
        auto *docBar = m_window->findChild<QToolBar *>(QStringLiteral("ToolbarDoc"));
        auto *dirBar = m_window->findChild<QToolBar *>(QStringLiteral("ToolbarDir"));
        // Enabled as an action (menus, pop-ups, shortcuts) and as a button
        // alike; a button that disagrees with its action counts as neither.
        auto enabledEverywhere = [&](const char *key) {
            auto *a = m_window->findChild<QAction *>(QLatin1String(key));
            QWidget *button = docBar->widgetForAction(a) ? docBar->widgetForAction(a) : dirBar->widgetForAction(a);
            if (button && button->isEnabled() != a->isEnabled())
                return false;
            return a->isEnabled();
        };
        auto disabledEverywhere = [&](const char *key) {
            auto *a = m_window->findChild<QAction *>(QLatin1String(key));
            QWidget *button = docBar->widgetForAction(a) ? docBar->widgetForAction(a) : dirBar->widgetForAction(a);
            return !a->isEnabled() && (!button || !button->isEnabled());
        };
        const QStringList all = m_window->commands().keys();
        for (const QString &key : all)
            QVERIFY2(enabledEverywhere(qPrintable(key)), qPrintable(key));

        m_window->state().setEditMode(EditMode::Edit);
        for (const char *key : {"DocChg", "DocDel", "DocExport", "MnuImport", "MnuExportFolder"})
            QVERIFY2(disabledEverywhere(key), key);
        for (const char *key : {"DocAdd", "DocFind", "DocPrt", "DirAdd", "DbCompact", "MnuHelp"})
            QVERIFY2(enabledEverywhere(key), key);
        // The Delete key in the list runs nothing either.
        QSignalSpy deleted(m_window->findChild<QAction *>(QStringLiteral("DocDel")), &QAction::triggered);
        m_window->findChild<QAction *>(QStringLiteral("DocDel"))->trigger();
        QCOMPARE(deleted.count(), 0);

        m_window->state().setBusy(true);
        for (const QString &key : all) {
            const bool stays = key == "DocPrt" || key == "MnuHelp" || key == "MnuBugReport" || key == "MnuAbout"
                || key == "MnuCheckNewVersion" || key == "MnuSpelling" || key == "MnuDarkColours";
            QVERIFY2(stays ? enabledEverywhere(qPrintable(key)) : disabledEverywhere(qPrintable(key)), qPrintable(key));
        }
        m_window->state().setBusy(false);
        m_window->state().setEditMode(EditMode::Browse);
        for (const QString &key : all)
            QVERIFY2(enabledEverywhere(qPrintable(key)), qPrintable(key));
    }

    // Changing the mode runs no other handler in between (it used to let
    // pending events run, so a click could land half-way through).
    void modeChangeRunsNothingElse()
    {
        bool ran = false;
        QTimer::singleShot(0, m_window.get(), [&] { ran = true; });
        m_window->state().setEditMode(EditMode::Edit);
        m_window->state().setEditMode(EditMode::Browse);
        QVERIFY(!ran);
        QTRY_VERIFY(ran);
    }

    void shortcuts()
    {
        QCOMPARE(m_window->findChild<QAction *>(QStringLiteral("DocAdd"))->shortcut(), QKeySequence(QStringLiteral("Ctrl+N")));
        QCOMPARE(m_window->findChild<QAction *>(QStringLiteral("DocFind"))->shortcut(),
                 QKeySequence(QStringLiteral("Ctrl+Shift+F")));
        QCOMPARE(m_window->findChild<QAction *>(QStringLiteral("DocHistory"))->shortcut(),
                 QKeySequence(QStringLiteral("Ctrl+H")));
        // Delete in the list runs the document command.
        QSignalSpy deleted(m_window->findChild<QAction *>(QStringLiteral("DocDel")), &QAction::triggered);
        auto *list = m_window->findChild<QWidget *>(QStringLiteral("ListView1"));
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Delete);
        QCOMPARE(deleted.count(), 1);
    }
};

QTEST_MAIN(TestCommands)
#include "test_commands.moc"
