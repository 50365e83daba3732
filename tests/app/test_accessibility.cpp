// What a screen reader finds: every control of every window has a name in
// words and its tool tip as its description, the tree and the list expose
// their rows, and the message board says its message.

#include "support/testsupport.h"
#include "widgets/messageboard.h"

#include <QAccessible>
#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QTest>
#include <QTimer>
#include <QToolButton>

using namespace folio;

namespace {

QString accessibleName(QWidget *w)
{
    QAccessibleInterface *face = QAccessible::queryAccessibleInterface(w);
    return face ? face->text(QAccessible::Name) : QString();
}

// The controls of a window a user can reach with the keyboard or click,
// each with the words a reader says for it; a name that is empty or only
// the design name counts as missing.
QStringList unnamedControls(QWidget *window)
{
    QStringList missing;
    for (QWidget *w : window->findChildren<QWidget *>()) {
        if (!w->isVisibleTo(window) || (w->focusPolicy() == Qt::NoFocus && !qobject_cast<QAbstractButton *>(w)))
            continue;
        const QString name = accessibleName(w);
        if (name.isEmpty() || name == w->objectName())
            missing << QStringLiteral("%1 (%2)").arg(w->objectName(), QString::fromLatin1(w->metaObject()->className()));
    }
    return missing;
}

} // namespace

class TestAccessibility : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        m_folder.createDatabase();
        m_folder.execAll({"INSERT INTO DirTable (DirNum, DirName, Attr, Parent) VALUES (1, 'Home', 'R', 0), "
                          "(2, 'Work', 'R', 0)",
                          "INSERT INTO DocTable (DirNum, DocName, Text) VALUES (1, 'Note', '<p>text</p>'), "
                          "(1, 'Other', '<p>more</p>')"});
        m_window = folio::test::openWindow(m_folder);
        QVERIFY(m_window);
        m_window->state().navigateTo(1, 1);
    }
    void cleanupTestCase() { m_window.reset(); }

    void theMainWindowSaysWhatEachControlIs()
    {
        QCOMPARE(unnamedControls(m_window.get()), QStringList());
        // Also what shows only now and then: a toolbar's overflow button and
        // the pop-up lists of the font boxes.
        for (QWidget *w : m_window->findChildren<QWidget *>())
            if (w->objectName() == QLatin1String("qt_toolbar_ext_button") || qobject_cast<QAbstractItemView *>(w))
                QVERIFY2(!accessibleName(w).isEmpty(), qPrintable(w->objectName() + QLatin1Char(' ') + w->metaObject()->className()));
        // The tree and the list give their rows to the reader.
        QAccessibleInterface *tree = QAccessible::queryAccessibleInterface(m_window->findChild<QWidget *>("TreeView1"));
        QVERIFY(tree->childCount() >= 2);
        QAccessibleInterface *list = QAccessible::queryAccessibleInterface(m_window->findChild<QWidget *>("ListView1"));
        QVERIFY(list->childCount() >= 2);
    }

    void everyOtherWindowToo_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("window");
        QTest::newRow("find") << "DocFind" << "frmFindDoc";
        QTest::newRow("backup") << "DbBackup" << "frmBackupRestore";
        QTest::newRow("help") << "MnuHelp" << "frmHelp";
        QTest::newRow("import") << "MnuImport" << "frmImport";
        QTest::newRow("export folder") << "MnuExportFolder" << "frmExportFolder";
        QTest::newRow("spelling") << "MnuSpelling" << "frmSpelling";
        QTest::newRow("history") << "DocHistory" << "frmHistory";
        QTest::newRow("deleted") << "MnuDeletedDocs" << "frmDeleted";
    }
    void everyOtherWindowToo()
    {
        QFETCH(QString, command);
        QFETCH(QString, window);
        m_window->findChild<QAction *>(command)->trigger();
        QWidget *shown = nullptr;
        QTRY_VERIFY((shown = findWindow(window)) && shown->isVisible());
        QCOMPARE(unnamedControls(shown), QStringList());
        shown->close();
    }

    // The board is announced as an alert; what the reader says is its
    // description, the message. (The offscreen platform has no reader to
    // receive the alert itself.)
    void theBoardsMessageIsWhatAReaderSays()
    {
        MessageBoard &board = m_window->board();
        QString said;
        QTimer::singleShot(0, &board, [&board, &said] {
            QTRY_VERIFY(board.isWaiting());
            said = QAccessible::queryAccessibleInterface(&board)->text(QAccessible::Description);
            folio::test::clickNamed(&board, QStringLiteral("picOK"));
        });
        board.warn(QStringLiteral("Could not save the document: disk full"));
        QCOMPARE(said, QStringLiteral("Could not save the document: disk full"));
        QCOMPARE(accessibleName(&board), QStringLiteral("Message board"));
    }

private:
    QWidget *findWindow(const QString &name) const
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w->objectName() == name)
                return w;
        return m_window->findChild<QWidget *>(name);
    }

    folio::test::ProgramFolder m_folder;
    std::unique_ptr<MainWindow> m_window;
};

QTEST_MAIN(TestAccessibility)
#include "test_accessibility.moc"
