// The document commands in the real main window, with scripted dialogs:
// deleting several selected documents (rows and entries), a delete that
// fails midway, exporting the shown document to an HTML file (the proposed
// name, the question, the bytes written, cancel, failures), and printing
// it to a PDF file through the printer the print dialog would use (and a
// print that fails).

#include "doclist/documentlist.h"
#include "editor/documentpane.h"
#include "editor/htmleditor.h"
#include "session/appstate.h"
#include "support/panefixture.h"
#include "support/pdftext.h"
#include "support/testsupport.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>
#include <QTextEdit>
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

using namespace folio;
using folio::test::BoardRobot;
using folio::test::ProgramFolder;
using folio::test::ScriptedPrompts;

namespace {

const QColor DarkRed(144, 0, 0);
const QColor DarkBlue(0, 0, 144);

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

} // namespace

class TestDocumentCommands : public QObject
{
    Q_OBJECT

    ProgramFolder *m_folder = nullptr;
    std::shared_ptr<ScriptedPrompts> m_script;
    std::unique_ptr<MainWindow> m_window;
    DocumentList *m_list = nullptr;
    QTemporaryDir *m_out = nullptr;

    void trigger(const char *key)
    {
        auto *a = m_window->findChild<QAction *>(QLatin1String(key));
        QVERIFY2(a, key);
        a->trigger();
    }

    QStringList titles() const
    {
        QStringList t;
        for (int i = 0; i < m_list->topLevelItemCount(); ++i)
            t << m_list->topLevelItem(i)->text(DocumentList::TitleColumn);
        return t;
    }

    // Titles of the rows left in folder 1, in title order.
    QStringList storedTitles() const
    {
        QStringList t;
        const QList<DocumentSummary> docs = m_window->context().documents.listDocuments(1);
        for (const DocumentSummary &d : docs)
            t << d.title;
        return t;
    }

    void selectRows(std::initializer_list<int> rows)
    {
        m_list->clearSelection();
        for (int row : rows)
            m_list->topLevelItem(row)->setSelected(true);
    }

private Q_SLOTS:
    void init()
    {
        m_folder = new ProgramFolder;
        m_folder->createDatabase();
        m_folder->execAll({
            "INSERT INTO DirTable (DirNum, DirName, Attr, Parent) VALUES (1, 'Notes', 'R', 0)",
            "INSERT INTO DocTable (DocNum, DirNum, DocName, Text, ChgDate) VALUES "
            "(1, 1, 'one', '<p>first</p>', '01-01-2026 10:00:00'), (2, 1, 'two', '<p>second</p>', ''), "
            "(3, 1, 'three', '<p>third</p>', ''), (4, 1, 'four', '<p>fourth</p>', ''), "
            "(5, 1, 'five', '<p>fifth</p>', '')",
            "INSERT INTO DocTable (DocNum, DirNum, DocName, Text, ChgDate) VALUES "
            "(6, 1, 'a\\b:c', '<p>Ωμέγα 中文 <b>bold</b> <span style=\"color:#ff0000\">red</span></p>', '')",
        });
        m_script = std::make_shared<ScriptedPrompts>();
        m_window = folio::test::openWindow(*m_folder, true, folio::test::scriptedPrompts(m_script));
        QVERIFY(m_window);
        m_list = &m_window->documentList();
        m_out = new QTemporaryDir;
    }

    void cleanup()
    {
        m_window.reset();
        delete m_out;
        delete m_folder;
    }

    void deletesEverySelectedEntry()
    {
        BoardRobot robot(*m_window);
        m_window->state().navigateTo(1, 4);
        QCOMPARE(titles(), QStringList({"a\\b:c", "five", "four", "one", "three", "two"}));
        // Three entries, the shown one among them.
        selectRows({0, 2, 4});
        trigger("DocDel");
        QCOMPARE(titles(), QStringList({"five", "one", "two"}));
        QCOMPARE(storedTitles(), QStringList({"five", "one", "two"}));
        // Nothing asked, nothing reported; the pane keeps the deleted
        // document on screen until another is opened.
        QTest::qWait(20);
        QVERIFY(robot.messages().isEmpty());
        QCOMPARE(m_window->state().currentDocNum(), DocNum(4));
        QVERIFY(m_window->documentPane().editor()->documentHtml().contains(QStringLiteral("fourth")));
        QVERIFY(!m_window->state().documentEntrySelected());

        // Two adjacent entries, through the Delete key on the list.
        selectRows({1, 2});
        m_list->setFocus();
        QTest::keyClick(m_list, Qt::Key_Delete);
        QCOMPARE(titles(), QStringList({"five"}));
        QCOMPARE(storedTitles(), QStringList({"five"}));

        // Nothing selected: nothing happens.
        m_list->clearSelection();
        trigger("DocDel");
        QCOMPARE(titles(), QStringList({"five"}));
        QCOMPARE(storedTitles(), QStringList({"five"}));
        QVERIFY(robot.messages().isEmpty());
    }

    void failedDeleteKeepsListAndTableAlike()
    {
        // Another tool's trigger refuses to let document 3 go.
        {
            QSqlQuery q(m_window->database().connection());
            QVERIFY(q.exec("CREATE TEMP TRIGGER keep_three BEFORE DELETE ON DocTable WHEN old.DocNum = 3 "
                           "BEGIN SELECT RAISE(ABORT, 'document three is protected'); END"));
        }
        BoardRobot robot(*m_window);
        m_window->state().selectFolder(1);
        selectRows({1, 4, 5});  // five, three, two: the failure comes midway
        trigger("DocDel");
        QVERIFY(robot.waitForMessages(1));
        QVERIFY2(robot.lastMessage().contains(QStringLiteral("document three is protected")),
                 qPrintable(robot.lastMessage()));
        QCOMPARE(robot.colors().last(), DarkRed);
        const QStringList all{"a\\b:c", "five", "four", "one", "three", "two"};
        QCOMPARE(titles(), all);
        QCOMPARE(storedTitles(), all);
    }

    void exportWritesTheEditorsHtml()
    {
        m_window->state().navigateTo(1, 6);
        const QString target = QDir(m_out->path()).filePath(QStringLiteral("chosen.htm"));
        QFile old(target);  // an existing file is replaced
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(5000, 'x'));
        old.close();
        m_script->saveFileNames = {target};
        trigger("DocExport");

        QCOMPARE(m_script->saveFileQuestions.size(), 1);
        const QStringList question = m_script->saveFileQuestions.first().split(QLatin1Char('|'));
        QCOMPARE(question.first(), QStringLiteral("Select Export File Folder and File Name"));
        QCOMPARE(QFileInfo(question.last()).fileName(), QStringLiteral("a-b=c.htm"));
        QCOMPARE(m_script->saveFileFilters.first(), QStringList({"All Files (*)", "HTML Files (*.htm)"}));
        QCOMPARE(m_script->saveFileSelectedFilters.first(), QStringLiteral("HTML Files (*.htm)"));

        const QString html = m_window->documentPane().editor()->documentHtml();
        const QByteArray written = fileBytes(target);
        QCOMPARE(written, html.toUtf8() + '\n');
        QVERIFY(written.contains("<meta charset=\"utf-8\" />"));
        QVERIFY(written.contains(QStringLiteral("Ωμέγα 中文").toUtf8()));
        // The body's font is one a browser can find, not a toolkit alias.
        static const QRegularExpression bodyFont(QStringLiteral("<body style=\"[^\"]*font-family:'([^']+)'"));
        const QString family = bodyFont.match(QString::fromUtf8(written)).captured(1);
        QVERIFY2(QFontDatabase::families().contains(family), qPrintable(family));
        QCOMPARE(QDir(m_out->path()).entryList(QDir::Files), QStringList{QStringLiteral("chosen.htm")});
    }

    void exportNeedsASelectionAndCancelWritesNothing()
    {
        BoardRobot robot(*m_window);
        m_window->state().navigateTo(1, 6);
        m_list->clearSelection();
        trigger("DocExport");
        QVERIFY(robot.waitForMessages(1));
        QCOMPARE(robot.lastMessage(), QStringLiteral("Please select a Document from Document List Area first"));
        QCOMPARE(robot.colors().last(), DarkBlue);
        QVERIFY(m_script->saveFileQuestions.isEmpty());

        m_list->topLevelItem(0)->setSelected(true);
        trigger("DocExport");  // the script has no answer: the dialog is cancelled
        QCOMPARE(m_script->saveFileQuestions.size(), 1);
        QTest::qWait(20);
        QCOMPARE(robot.messages().size(), 1);
        QVERIFY(QDir(m_out->path()).isEmpty());
    }

    // A folder that cannot be written, or a disk that fills up midway (a
    // file-size limit, which binds every user): the failure is reported,
    // the old file stays whole and nothing else is left behind.
    void failedExportLeavesTheOldFile_data()
    {
        QTest::addColumn<bool>("readOnlyFolder");
        QTest::newRow("read-only folder") << true;
        QTest::newRow("disk full midway") << false;
    }

    void failedExportLeavesTheOldFile()
    {
        QFETCH(bool, readOnlyFolder);
        if (readOnlyFolder && ::geteuid() == 0)
            QSKIP("permissions do not bind the superuser");
        const QString target = QDir(m_out->path()).filePath(QStringLiteral("old.htm"));
        QFile old(target);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("keep");
        old.close();
        BoardRobot robot(*m_window);
        m_window->state().navigateTo(1, 6);
        m_window->documentPane().editor()->setDocumentHtml(
            QStringLiteral("<p>%1</p>").arg(QStringLiteral("word ").repeated(40000)));
        m_script->saveFileNames = {target};

        rlimit saved{};
        QCOMPARE(::getrlimit(RLIMIT_FSIZE, &saved), 0);
        rlimit small = saved;
        small.rlim_cur = 64 * 1024;
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        if (readOnlyFolder)
            QFile::setPermissions(m_out->path(), QFile::ReadOwner | QFile::ExeOwner);
        else
            QCOMPARE(::setrlimit(RLIMIT_FSIZE, &small), 0);
        trigger("DocExport");
        ::setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);
        QFile::setPermissions(m_out->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

        QVERIFY(robot.waitForMessages(1));
        QVERIFY2(robot.lastMessage().startsWith(QStringLiteral("Could not export the document to ")),
                 qPrintable(robot.lastMessage()));
        QCOMPARE(robot.colors().last(), DarkRed);
        QCOMPARE(fileBytes(target), QByteArray("keep"));
        QCOMPARE(QDir(m_out->path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("old.htm")});
    }

    void printsTheShownDocumentToPdf()
    {
        QString body = QStringLiteral("<h1>Printed heading</h1><p><b>Bold words</b> and "
                                      "<span style=\"color:#ff0000\">red words</span></p>");
        for (int i = 1; i <= 120; ++i)
            body += QStringLiteral("<p>Paragraph %1 of the long document.</p>").arg(i);
        {
            QSqlQuery q(m_window->database().connection());
            q.prepare(QStringLiteral("UPDATE DocTable SET Text = ? WHERE DocNum = 1"));
            q.addBindValue(body);
            QVERIFY(q.exec());
        }
        m_window->state().navigateTo(1, 1);
        const QString pdf = QDir(m_out->path()).filePath(QStringLiteral("printed.pdf"));
        m_script->printToPdf = pdf;
        trigger("DocPrt");
        QCOMPARE(m_script->printRequests, 1);

        const folio::test::PdfContent printed = folio::test::readPdf(pdf);
        QVERIFY(printed.readable);
        // Page breaks: the long document runs over several pages, the end
        // on the last.
        QVERIFY2(printed.pages.size() >= 3, qPrintable(QString::number(printed.pages.size())));
        QVERIFY2(printed.pages.first().contains(QStringLiteral("Printed heading")), qPrintable(printed.pages.first()));
        QVERIFY(printed.pages.first().contains(QStringLiteral("Paragraph 1 of the long document.")));
        QVERIFY(printed.pages.last().contains(QStringLiteral("Paragraph 120 of the long document.")));
        QVERIFY(!printed.pages.first().contains(QStringLiteral("Paragraph 120 ")));
        // The document's fonts and colours.
        QVERIFY2(printed.fonts.join(' ').contains(QStringLiteral("Bold")), qPrintable(printed.fonts.join(' ')));
        QVERIFY2(printed.fillColors.contains(QStringLiteral("1 0 0")), qPrintable(printed.fillColors.join('|')));

        // A printer that cannot start is reported; a cancelled print is not.
        BoardRobot robot(*m_window);
        m_script->printToPdf = QDir(m_out->path()).filePath(QStringLiteral("missing/printed.pdf"));
        trigger("DocPrt");
        QVERIFY(robot.waitForMessages(1));
        QVERIFY2(robot.lastMessage().startsWith(QStringLiteral("Could not print the document")),
                 qPrintable(robot.lastMessage()));
        QCOMPARE(robot.colors().last(), DarkRed);
        m_script->printToPdf.clear();
        trigger("DocPrt");
        QCOMPARE(m_script->printRequests, 3);
        QTest::qWait(20);
        QCOMPARE(robot.messages().size(), 1);
    }
};

QTEST_MAIN(TestDocumentCommands)
#include "test_documentcommands.moc"
