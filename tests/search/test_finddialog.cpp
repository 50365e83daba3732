// The find dialog driven in-process on a knowledge base written by another
// tool: defaults, the keyword move, AND/OR, documents then folders, the
// number and time texts, sorting, double clicks into the main window, a
// failing search, the button during a search and the index build at open
// and before a search.

#include "app/mainwindow.h"
#include "doclist/documentlist.h"
#include "search/finddocumentsdialog.h"
#include "search/findresultlist.h"
#include "search/searchactions.h"
#include "search/searchindexbuilder.h"
#include "search/secondsused.h"
#include "session/appstate.h"
#include "storage/documentsearch.h"
#include "storage/schema.h"
#include "support/panefixture.h"
#include "widgets/notices.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

using namespace folio;
using folio::test::PaneFixture;

namespace {

// Folders 1, 3 and 7 (7 under 1) and documents 7, 8, 12 and 20, written
// with plain SQL as the sqlite3 tool would.
const QStringList KnowledgeBase{
    QStringLiteral("INSERT INTO DirTable (DirNum, DirName, Attr, Parent) VALUES (1, 'Recipes', 'R', 0), "
                   "(3, 'Reise Ärzte', 'R', 0), (7, 'Kitchen notes', 'D', 1)"),
    QStringLiteral("INSERT INTO DocTable (DocNum, DirNum, DocName, Text, ChgDate) VALUES "
                   "(7, 1, 'Bread', '<p style=\"margin:0\">Sourdough starter, O''Brien''s recipe</p>', '03-01-2026 10:00:00'), "
                   "(8, 1, 'Cakes & kitchen', '<p>sugar 50% flour, two  blanks</p>', '01-15-2026 09:00:00'), "
                   "(12, 3, 'ΣΗΜΕΙΩΣΗ', '<p>Ärger mit dem Arzt</p>', '12-24-2025 18:30:00'), "
                   "(20, 7, 'kitchen list', '<p>bread, flour, salt</p>', '02-02-2026 08:00:00')"),
};

template <typename T>
T *child(QWidget *root, const char *name)
{
    T *found = root->findChild<T *>(QString::fromLatin1(name));
    if (!found)
        qFatal("no %s", name);
    return found;
}

} // namespace

class TestFindDialog : public QObject
{
    Q_OBJECT

    std::unique_ptr<PaneFixture> m_fixture;
    SearchActions *m_actions = nullptr;
    FindDocumentsDialog *m_dialog = nullptr;

    void open(const QStringList &setUp = KnowledgeBase)
    {
        m_fixture = std::make_unique<PaneFixture>(setUp);
        m_actions = new SearchActions(m_fixture->context(), &m_fixture->host());
        m_fixture->show(new QWidget);
        m_actions->showFindDialog();
        m_dialog = m_actions->findDialog();
        QVERIFY(QTest::qWaitForWindowExposed(m_dialog));
        QTRY_VERIFY(!m_actions->indexBuilder().isBuilding());
    }

    QLineEdit *query(int n) { return child<QLineEdit>(m_dialog, n == 1 ? "txtQuery1" : "txtQuery2"); }
    FindResultList *list() { return child<FindResultList>(m_dialog, "ListView1"); }
    QString panel(int n) { return child<QLabel>(m_dialog, QStringLiteral("Panel%1").arg(n).toLatin1())->text(); }
    QWidget *findButton() { return child<QWidget>(m_dialog, "cmdFind"); }

    void search(const QString &k1, const QString &k2 = {}, bool orJoin = false)
    {
        query(1)->setText(k1);
        query(2)->setText(k2);
        child<QRadioButton>(m_dialog, orJoin ? "optOR" : "optAND")->click();
        folio::test::clickNamed(m_dialog, QStringLiteral("cmdFind"));
    }

    // The "No." column, top to bottom.
    QStringList rows()
    {
        QStringList numbers;
        for (int i = 0; i < list()->topLevelItemCount(); ++i)
            numbers << list()->topLevelItem(i)->text(FindResultList::NumberColumn);
        return numbers;
    }

    void doubleClickRow(int index)
    {
        QTreeWidgetItem *item = list()->topLevelItem(index);
        list()->setCurrentItem(item);
        const QPoint place = list()->visualItemRect(item).center();
        // A double click: the first click, then the second one.
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, place);
        QTest::mouseDClick(list()->viewport(), Qt::LeftButton, {}, place);
    }

private Q_SLOTS:
    void cleanup()
    {
        m_fixture.reset();   // the host owns the actions and the dialog
        m_actions = nullptr;
        m_dialog = nullptr;
    }

    void secondsUsedText_data()
    {
        QTest::addColumn<double>("seconds");
        QTest::addColumn<QString>("text");
        QTest::newRow("under a hundredth") << 0.004 << QStringLiteral(" 0");
        QTest::newRow("five hundredths") << 0.059 << QStringLiteral(" .05");
        QTest::newRow("tenths") << 1.2 << QStringLiteral(" 1.2");
        QTest::newRow("whole") << 12.001 << QStringLiteral(" 12");
        QTest::newRow("both digits") << 3.456 << QStringLiteral(" 3.45");
    }

    void secondsUsedText()
    {
        QFETCH(double, seconds);
        QFETCH(QString, text);
        QCOMPARE(folio::secondsUsedText(seconds), text);
    }

    void opensWithTheDefaults()
    {
        open();
        QVERIFY(!m_dialog->isModal());
        QVERIFY(query(1)->text().isEmpty() && query(2)->text().isEmpty());
        QVERIFY(child<QRadioButton>(m_dialog, "optAND")->isChecked());
        QVERIFY(child<QCheckBox>(m_dialog, "chkDoc")->isChecked());
        QVERIFY(!child<QCheckBox>(m_dialog, "chkFolder")->isChecked());
        QVERIFY(findButton()->isEnabled());
        QCOMPARE(panel(2), QStringLiteral("Find 0 Records"));
    }

    void searchListsDocumentsThenFolders()
    {
        open();
        child<QCheckBox>(m_dialog, "chkFolder")->setChecked(true);
        search(QString(), QStringLiteral("KITCHEN"));
        // Only "Keyword 2" filled: it moves to "Keyword 1".
        QCOMPARE(query(1)->text(), QStringLiteral("KITCHEN"));
        QVERIFY(query(2)->text().isEmpty());
        QCOMPARE(rows(), QStringList({"000008", "000020", "7"}));
        QCOMPARE(list()->topLevelItem(0)->text(2), QStringLiteral("Cakes & kitchen"));
        QCOMPARE(list()->topLevelItem(0)->text(3), QStringLiteral("01-15-2026 09:00:00"));
        QCOMPARE(list()->topLevelItem(2)->text(2), QStringLiteral("Kitchen notes"));
        QVERIFY(list()->topLevelItem(2)->text(3).isEmpty());
        QCOMPARE(panel(2), QStringLiteral("3 Records Found"));
        QVERIFY2(QRegularExpression(QStringLiteral("^ (\\d+|\\d*\\.\\d{1,2}) Seconds Used$")).match(panel(3)).hasMatch(),
                 qPrintable(panel(3)));
        QCOMPARE(panel(1), QStringLiteral("IDLE"));

        // Both boxes empty: nothing happens, the results stay.
        search(QString(), QString());
        QCOMPARE(rows().size(), 3);
        // Neither box ticked: nothing is searched.
        child<QCheckBox>(m_dialog, "chkDoc")->setChecked(false);
        child<QCheckBox>(m_dialog, "chkFolder")->setChecked(false);
        search(QStringLiteral("kitchen"));
        QCOMPARE(rows(), QStringList());
        QCOMPARE(panel(2), QStringLiteral("0 Records Found"));
    }

    void keywordsAndJoins_data()
    {
        QTest::addColumn<QString>("k1");
        QTest::addColumn<QString>("k2");
        QTest::addColumn<bool>("orJoin");
        QTest::addColumn<QStringList>("found");
        QTest::newRow("AND") << "flour" << "bread" << false << QStringList{"000020"};
        QTest::newRow("OR") << "sugar" << "salt" << true << QStringList{"000008", "000020"};
        QTest::newRow("apostrophe") << "o'brien's" << "" << false << QStringList{"000007"};
        QTest::newRow("Unicode case") << "σημειωση" << "ärger" << false << QStringList{"000012"};
        QTest::newRow("blanks are keywords") << "  " << "" << false << QStringList{"000008"};
    }

    void keywordsAndJoins()
    {
        QFETCH(QString, k1);
        QFETCH(QString, k2);
        QFETCH(bool, orJoin);
        QFETCH(QStringList, found);
        open();
        search(k1, k2, orJoin);
        QCOMPARE(rows(), found);
        QCOMPARE(query(1)->text(), k1);   // no trimming, no case change
    }

    void headersSort()
    {
        open();
        search(QStringLiteral("r"));   // every document holds an "r"
        QCOMPARE(rows(), QStringList({"000007", "000008", "000012", "000020"}));
        QTest::mouseClick(list()->header()->viewport(), Qt::LeftButton, {},
                          QPoint(list()->header()->sectionViewportPosition(1) + 5, 5));
        QCOMPARE(rows(), QStringList({"000007", "000008", "000012", "000020"}));
        list()->sortByColumn(FindResultList::NumberColumn);   // the same header again: reversed
        QCOMPARE(rows(), QStringList({"000020", "000012", "000008", "000007"}));
        list()->sortByColumn(FindResultList::DateColumn);     // next column: same direction
        QCOMPARE(rows(), QStringList({"000007", "000020", "000008", "000012"}));
        search(QStringLiteral("flour"));                      // later results are sorted too
        QCOMPARE(rows(), QStringList({"000020", "000008"}));
    }

    void doubleClicksGoToTheMainWindow()
    {
        open();
        child<QCheckBox>(m_dialog, "chkFolder")->setChecked(true);
        search(QStringLiteral("kitchen"));
        QSignalSpy documents(&m_fixture->state(), &AppState::documentSelected);
        doubleClickRow(1);   // document 20, in folder 7
        QCOMPARE(m_fixture->state().currentDirNum(), 7);
        QCOMPARE(m_fixture->state().currentDocNum(), 20);
        QCOMPARE(documents.size(), 1);
        QVERIFY(m_dialog->isVisible());   // the dialog stays open

        m_fixture->state().navigateTo(1, 0);
        doubleClickRow(2);   // folder 7
        QCOMPARE(m_fixture->state().currentDirNum(), 7);

        // Gone meanwhile: nothing happens.
        m_fixture->folder().execAll({QStringLiteral("DELETE FROM DocTable WHERE DocNum = 8"),
                                     QStringLiteral("UPDATE DirTable SET Parent = 0, Attr = 'R' WHERE DirNum = 7"),
                                     QStringLiteral("DELETE FROM DirTable WHERE DirNum = 7")});
        m_fixture->state().navigateTo(3, 12);
        doubleClickRow(0);
        doubleClickRow(2);
        QCOMPARE(m_fixture->state().currentDirNum(), 3);
        QCOMPARE(m_fixture->state().currentDocNum(), 12);
    }

    void oneDialogKeepsItsResults()
    {
        open();
        search(QStringLiteral("bread"));
        m_actions->showFindDialog();
        QCOMPARE(m_actions->findDialog(), m_dialog);
        QCOMPARE(rows().size(), 2);
        // Another file in place (a restore): the rows of the old one go.
        m_fixture->session().reopen([] {});
        QCOMPARE(rows(), QStringList());
        QCOMPARE(panel(2), QStringLiteral("0 Records Found"));
        search(QStringLiteral("bread"));
        m_dialog->close();
        QTRY_VERIFY(!m_actions->findDialog());
        m_actions->showFindDialog();
        m_dialog = m_actions->findDialog();
        QVERIFY(m_dialog);
        QCOMPARE(rows(), QStringList());
        QVERIFY(query(1)->text().isEmpty());
        QCOMPARE(panel(2), QStringLiteral("Find 0 Records"));
    }

    // During the search the button is off and the panel says BUSY.
    void findButtonIsOffDuringTheSearch()
    {
        open();
        QList<bool> enabled;
        QStringList states;
        connect(list()->model(), &QAbstractItemModel::rowsInserted, this, [&] {
            enabled << findButton()->isEnabled();
            states << panel(1);
        });
        search(QStringLiteral("flour"));
        QCOMPARE(enabled, QList<bool>({false}));
        QCOMPARE(states, QStringList({"BUSY"}));
        QVERIFY(findButton()->isEnabled());
        QCOMPARE(panel(1), QStringLiteral("IDLE"));
    }

    void failingSearchGivesANotice()
    {
        open();
        QSignalSpy failures(&m_fixture->context().notices, &Notices::failureReported);
        m_fixture->folder().exec(QStringLiteral("DROP TABLE DocTextIndex_data"));
        search(QStringLiteral("flour"));
        QTRY_COMPARE(failures.size(), 1);
        QVERIFY2(failures.first().first().toString().contains(QStringLiteral("search the documents")),
                 qPrintable(failures.first().first().toString()));
        QCOMPARE(panel(1), QStringLiteral("IDLE"));
        QCOMPARE(panel(2), QStringLiteral("0 Records Found"));
        QVERIFY(findButton()->isEnabled());
    }

    // The main window's DocFind command opens the one dialog; a double click
    // shows the document in the main window's list and pane.
    void mainWindowOpensTheDialog()
    {
        folio::test::ProgramFolder folder;
        folder.createDatabase();
        folder.execAll(KnowledgeBase);
        std::unique_ptr<MainWindow> window = folio::test::openWindow(folder);
        QVERIFY(window);
        QAction *find = window->findChild<QAction *>(QStringLiteral("DocFind"));
        QVERIFY(find);
        find->trigger();
        m_dialog = window->findChild<FindDocumentsDialog *>(QStringLiteral("frmFindDoc"));
        QVERIFY(m_dialog);
        QVERIFY(QTest::qWaitForWindowExposed(m_dialog));
        find->trigger();
        QCOMPARE(window->findChildren<FindDocumentsDialog *>().size(), 1);
        QTRY_VERIFY(findButton()->isEnabled());
        search(QStringLiteral("sourdough"));
        QCOMPARE(rows(), QStringList({"000007"}));
        doubleClickRow(0);
        QCOMPARE(window->context().state.currentDocNum(), 7);
        QTreeWidgetItem *listed = window->documentList().currentItem();
        QVERIFY(listed);
        QCOMPARE(listed->text(1), QStringLiteral("000007"));
        m_dialog = nullptr;
    }

    // A restore puts an older file (without the index) in place: its
    // documents are indexed after the reopen and found.
    void restoredOlderFileIsIndexed()
    {
        open();
        QSignalSpy ended(&m_actions->indexBuilder(), &SearchIndexBuilder::ended);
        const QString live = m_fixture->folder().file(QStringLiteral("KB97.MDB"));
        m_fixture->session().reopen([&] {
            QFile schemaFile(QStringLiteral(FOLIO_SCHEMA_PATH));
            QVERIFY(schemaFile.open(QIODevice::ReadOnly));
            QString schema = QString::fromUtf8(schemaFile.readAll());
            schema.truncate(schema.indexOf(QStringLiteral("-- The search index")));
            schema.replace(QStringLiteral("user_version = 2"), QStringLiteral("user_version = 1"));
            const QString older = m_fixture->folder().file(QStringLiteral("older.mdb"));
            createDatabaseFile(older, schema + QStringLiteral(
                "INSERT INTO DirTable (DirNum, DirName) VALUES (1, 'Old');"
                "INSERT INTO DocTable (DocNum, DirNum, DocName, Text) VALUES (5, 1, 'Kangaroo', '<p>Hop</p>');"));
            QVERIFY(QFile::remove(live) && QFile::rename(older, live));
        });
        QVERIFY(m_actions->indexBuilder().isBuilding());
        QTRY_COMPARE(ended.size(), 1);
        search(QStringLiteral("KANGAROO"));
        QCOMPARE(rows(), QStringList({"000005"}));
    }

    // Rows another tool writes while the dialog is open wait for their
    // text. Find leaves them to the background build (its own thread, the
    // window stays alive) and searches once the build has ended.
    void findWaitsForTheBuildOfNewRows()
    {
        open();
        m_fixture->folder().execAll({QStringLiteral(
            "INSERT INTO DocTable (DocNum, DirNum, DocName, Text, ChgDate) VALUES "
            "(30, 1, 'Rye', '<p>caraway seeds</p>', ''), (31, 3, 'Notes', '<p>more CARAWAY</p>', '')")});
        QVERIFY(!DocumentSearch(m_fixture->context().db).indexIsCurrent());
        SearchIndexBuilder &builder = m_actions->indexBuilder();
        QSignalSpy started(&builder, &SearchIndexBuilder::started);
        QSignalSpy ended(&builder, &SearchIndexBuilder::ended);
        search(QStringLiteral("caraway"));
        QCOMPARE(started.size(), 1);
        // The build reports its end through the event loop, which has not run.
        QCOMPARE(panel(1), QStringLiteral("BUSY"));
        QVERIFY(!findButton()->isEnabled());
        QTRY_COMPARE(rows(), QStringList({"000030", "000031"}));
        QCOMPARE(ended.size(), 1);
        QVERIFY(DocumentSearch(m_fixture->context().db).indexIsCurrent());
        QCOMPARE(panel(1), QStringLiteral("IDLE"));
        QCOMPARE(panel(2), QStringLiteral("2 Records Found"));
        QVERIFY(findButton()->isEnabled());
        // Nothing waits now: the next search runs at once.
        search(QStringLiteral("seeds"));
        QCOMPARE(rows(), QStringList({"000030"}));
        QCOMPARE(started.size(), 1);
    }

    // A file without the index (an older one): the build runs in the
    // background after the open, the dialog says so and waits for it.
    void indexIsBuiltInTheBackground()
    {
        QStringList setUp{QStringLiteral("DROP TABLE DocTextIndex"), QStringLiteral("DROP TABLE DocText"),
                          QStringLiteral("DROP TABLE DocTextPending"), QStringLiteral("DROP TRIGGER DocTable_TextInsert")};
        QStringList values;
        for (int i = 1; i <= 600; ++i)
            values << QStringLiteral("(%1, 1, 'page %1', '<p>%2 text of page %1</p>')")
                          .arg(i).arg(i % 100 == 0 ? QStringLiteral("wombat") : QStringLiteral("plain"));
        setUp << QStringLiteral("INSERT INTO DirTable (DirNum, DirName) VALUES (1, 'All')")
              << QStringLiteral("INSERT INTO DocTable (DocNum, DirNum, DocName, Text) VALUES ") + values.join(QLatin1Char(','));
        m_fixture = std::make_unique<PaneFixture>(setUp);
        m_actions = new SearchActions(m_fixture->context(), &m_fixture->host());
        QSignalSpy ended(&m_actions->indexBuilder(), &SearchIndexBuilder::ended);
        m_actions->showFindDialog();
        m_dialog = m_actions->findDialog();
        // The end of the build is reported through the event loop, which
        // has not run yet.
        QVERIFY(m_actions->indexBuilder().isBuilding());
        QVERIFY2(panel(3).startsWith(QStringLiteral("Preparing the search index")), qPrintable(panel(3)));
        QVERIFY(!findButton()->isEnabled());
        QTRY_COMPARE(ended.size(), 1);
        QVERIFY(findButton()->isEnabled());
        QCOMPARE(panel(3), QStringLiteral("0 Seconds Used"));
        search(QStringLiteral("WOMBAT"));
        QCOMPARE(rows(), QStringList({"000100", "000200", "000300", "000400", "000500", "000600"}));
    }
};

QTEST_MAIN(TestFindDialog)
#include "test_finddialog.moc"
