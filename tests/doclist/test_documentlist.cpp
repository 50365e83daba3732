// The document list: columns, zero fill, order, sorting by header clicks,
// several selected entries, opening by click and keyboard, the pop-up menu.

#include "doclist/documentlist.h"
#include "session/appstate.h"
#include "support/testsupport.h"
#include "tree/foldertree.h"

#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTest>

using namespace folio;
using folio::test::ProgramFolder;

namespace {

QStringList column(QTreeWidget *list, int c)
{
    QStringList texts;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        texts << list->topLevelItem(i)->text(c);
    return texts;
}

void clickHeader(QTreeWidget *list, int section)
{
    QHeaderView *h = list->header();
    QTest::mouseClick(h->viewport(), Qt::LeftButton, {},
                      QPoint(h->sectionViewportPosition(section) + h->sectionSize(section) / 2, h->height() / 2));
}

} // namespace

class TestDocumentList : public QObject
{
    Q_OBJECT

    ProgramFolder *m_folder = nullptr;
    std::unique_ptr<MainWindow> m_window;
    DocumentList *m_list = nullptr;

private Q_SLOTS:
    void init()
    {
        m_folder = new ProgramFolder;
        m_folder->createDatabase();
        m_folder->execAll({
            "INSERT INTO DirTable (DirNum, DirName, Attr, Parent) VALUES (1, 'Notes', 'R', 0), "
            "(2, 'Other', 'R', 0), (3, 'Empty', 'R', 0)",
            "INSERT INTO DocTable (DocNum, DirNum, DocName, Text, ChgDate) VALUES (7, 1, 'banana', '<p>b</p>', '12-05-2025 10:00:00'), "
            "(32767, 1, 'Apple', '<p>a</p>', '01-01-2026 09:00:00'), "
            "(1234567, 1, 'cherry', '<p>c</p>', '03-15-2024 23:59:59'), "
            "(20, 2, 'zeta', '<p>z</p>', '01-01-2020 00:00:00'), (21, 2, 'alpha', '<p>y</p>', '01-01-2021 00:00:00')",
        });
        m_window = folio::test::openWindow(*m_folder);
        QVERIFY(m_window);
        m_list = &m_window->documentList();
    }

    void cleanup()
    {
        m_window.reset();
        delete m_folder;
    }

    void columnsZeroFillAndTitleOrder()
    {
        m_window->state().selectFolder(1);
        QCOMPARE(m_window->state().currentDirNum(), DirNum(1));
        QCOMPARE(column(m_list, 2), QStringList({"Apple", "banana", "cherry"}));
        QCOMPARE(column(m_list, 1), QStringList({"032767", "000007", "1234567"}));
        QCOMPARE(column(m_list, 0), QStringList({"", "", ""}));
        QCOMPARE(column(m_list, 3).first(), QStringLiteral("01-01-2026 09:00:00"));

        m_window->state().selectFolder(3);
        QCOMPARE(m_list->topLevelItemCount(), 0);
        QCOMPARE(m_window->state().currentDirNum(), DirNum(3));
    }

    void hugeTitleIsListedShortAndStoredWhole()
    {
        m_folder->exec("INSERT INTO DocTable (DocNum, DirNum, DocName, Text, ChgDate) VALUES "
                       "(50, 3, printf('%.*c', 10000000, 'x'), '<p>big title</p>', '01-01-2026 09:00:00')");
        m_window->state().selectFolder(3);
        QCOMPARE(m_list->topLevelItemCount(), 1);
        const QString shown = m_list->topLevelItem(0)->text(DocumentList::TitleColumn);
        QCOMPARE(shown, QString(1000, QLatin1Char('x')) + QChar(0x2026));
        m_list->setCurrentItem(m_list->topLevelItem(0));
        QCOMPARE(m_window->findChild<QLabel *>(QStringLiteral("Panel4"))->text().size(), 250);
        // Listing never changes the stored title.
        QSqlQuery q(m_window->database().connection());
        QVERIFY(q.exec("SELECT length(DocName) FROM DocTable WHERE DocNum = 50") && q.next());
        QCOMPARE(q.value(0).toInt(), 10000000);
    }

    void headerClicksSort()
    {
        m_list->loadDocumentList(1);
        clickHeader(m_list, 1);  // "No.": ascending by number, not by text
        QCOMPARE(column(m_list, 1), QStringList({"000007", "032767", "1234567"}));
        clickHeader(m_list, 1);  // same column again: descending
        QCOMPARE(column(m_list, 1), QStringList({"1234567", "032767", "000007"}));
        clickHeader(m_list, 2);  // another column keeps the direction
        QCOMPARE(column(m_list, 2), QStringList({"cherry", "banana", "Apple"}));
        clickHeader(m_list, 3);  // dates by time (month-first text would sort wrongly)
        QCOMPARE(column(m_list, 3),
                 QStringList({"01-01-2026 09:00:00", "12-05-2025 10:00:00", "03-15-2024 23:59:59"}));
        clickHeader(m_list, 3);
        QCOMPARE(column(m_list, 2), QStringList({"cherry", "banana", "Apple"}));

        // Sorting stays on: the next folder comes sorted the same way.
        m_list->loadDocumentList(2);
        QCOMPARE(column(m_list, 2), QStringList({"zeta", "alpha"}));
    }

    void openingByClickAndKeyboard()
    {
        m_list->loadDocumentList(1);
        QLabel *panel4 = m_window->findChild<QLabel *>(QStringLiteral("Panel4"));
        QSignalSpy opened(&m_window->state(), &AppState::documentSelected);
        const QRect r = m_list->visualItemRect(m_list->topLevelItem(1));
        QTest::mouseClick(m_list->viewport(), Qt::LeftButton, {}, r.center());
        QCOMPARE(m_window->state().currentDocNum(), DocNum(7));
        QCOMPARE(panel4->text(), QStringLiteral("banana"));
        QCOMPARE(panel4->toolTip(), QStringLiteral("Current Document:000007  banana"));
        QCOMPARE(opened.count(), 1);  // once per click, not once per signal
        QTest::mouseClick(m_list->viewport(), Qt::LeftButton, {}, r.center());
        QCOMPARE(opened.count(), 2);  // the open entry again: read again

        QTest::keyClick(m_list, Qt::Key_Down);
        QCOMPARE(m_window->state().currentDocNum(), DocNum(1234567));
        QCOMPARE(panel4->text(), QStringLiteral("cherry"));
        QCOMPARE(opened.last().first().toLongLong(), 1234567);

        // Changing folders does not change the open document.
        m_list->loadDocumentList(2);
        QCOMPARE(m_window->state().currentDocNum(), DocNum(1234567));
        QCOMPARE(panel4->text(), QStringLiteral("cherry"));
    }

    void severalEntriesSelected()
    {
        m_list->loadDocumentList(1);
        QTest::mouseClick(m_list->viewport(), Qt::LeftButton, {}, m_list->visualItemRect(m_list->topLevelItem(0)).center());
        QTest::mouseClick(m_list->viewport(), Qt::LeftButton, Qt::ControlModifier,
                          m_list->visualItemRect(m_list->topLevelItem(2)).center());
        QCOMPARE(m_list->selectedDocNums(), QList<DocNum>({32767, 1234567}));
        QTest::mouseClick(m_list->viewport(), Qt::LeftButton, Qt::ShiftModifier,
                          m_list->visualItemRect(m_list->topLevelItem(0)).center());
        QCOMPARE(m_list->selectedDocNums().size(), 3);
    }

    void rightButtonReleasePopsUpTheDocumentMenu()
    {
        m_list->loadDocumentList(3);  // nothing to select: the menu still comes
        auto *menu = m_window->findChild<QMenu *>(QStringLiteral("hMenuListView"));
        QTest::mouseClick(m_list->viewport(), Qt::RightButton, {}, QPoint(20, 20));
        QTRY_VERIFY(menu->isVisible());
        menu->close();
    }
};

QTEST_MAIN(TestDocumentList)
#include "test_documentlist.moc"
