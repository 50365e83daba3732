// A long page opened for reading shows its first screen at once and is read
// whole on a worker: the editor must end up with exactly the document a
// direct load gives, nothing may read or change a first screen, and a late
// page must never land in the next document.

#include "editortesting.h"

#include "editor/backgroundparse.h"
#include "editor/documentprint.h"
#include "editor/formattingcontroller.h"

#include <QAbstractButton>
#include <QAbstractTextDocumentLayout>
#include <QDialog>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTextBlock>
#include <QTextLayout>

using namespace folio;
using namespace folio::test;

namespace {

constexpr qsizetype FromChars = 8000;
constexpr qsizetype FirstScreen = 3500;

// A page well over the first screen: paragraphs with numbered words, a
// picture large enough to be held apart, a table in a table, a link to a
// style sheet on disk.
QString longPage(const QString &tag, int paragraphs = 300)
{
    QString html = QStringLiteral("<html><head><link rel=\"stylesheet\" href=\"file:///etc/hostname\"></head><body>");
    html += QStringLiteral("<p><img src=\"data:image/png;base64,%1\"></p>").arg(QString(3000, QLatin1Char('A')));
    html += QStringLiteral("<table><tr><td><table><tr><td>cell</td></tr></table></td></tr></table>");
    for (int i = 0; i < paragraphs; ++i)
        html += QStringLiteral("<p>%1word%2 <b>bold%2</b> <font size=5>big%2</font></p>").arg(tag).arg(i);
    return html + QStringLiteral("<p>%1last</p></body></html>").arg(tag);
}

std::unique_ptr<HtmlEditor> browsingEditor()
{
    auto editor = std::make_unique<HtmlEditor>();
    editor->setBackgroundLoad(FromChars, FirstScreen);
    editor->resize(600, 400);
    editor->show();
    return editor;
}

bool lastBlockLaidOut(const HtmlEditor &editor)
{
    const QTextBlock last = editor.textEdit()->document()->lastBlock();
    return last.layout() && last.layout()->lineCount() > 0;
}

class RecordingPrinter : public DocumentPrinter
{
public:
    PrintOutcome print(const QTextDocument &document, QWidget *) override
    {
        printed = document.toPlainText();
        return PrintOutcome::Printed;
    }
    QString printed;
};

} // namespace

class TestBackgroundLoad : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { BackgroundParse::waitForAll(); }

    void endsAsTheDirectLoad()
    {
        const QString page = longPage("a");
        const std::unique_ptr<HtmlEditor> direct = editorWith(page);
        const std::unique_ptr<HtmlEditor> editor = browsingEditor();
        QSignalSpy complete(editor.get(), &HtmlEditor::documentComplete);
        editor->setDocumentHtml(page);
        QVERIFY(editor->isLoading());
        QVERIFY(plainText(*editor).contains("aword0"));
        QVERIFY(!plainText(*editor).contains("alast"));
        QCOMPARE(complete.count(), 0);

        QTRY_VERIFY(!editor->isLoading());
        QCOMPARE(complete.count(), 1);
        QCOMPARE(editor->documentHtml(), direct->documentHtml());
        QVERIFY(editor->documentHtml().contains(QString(3000, QLatin1Char('A'))));
        QVERIFY(!editor->isModified());
        QVERIFY(!editor->textEdit()->document()->isUndoAvailable());
        // Laid out to the end in slices, and the scroll bar knows it.
        QTRY_VERIFY(lastBlockLaidOut(*editor));
        QTRY_VERIFY(editor->textEdit()->verticalScrollBar()->maximum() > 0);

        // The taken document is the editor's own: revising works as ever.
        editor->setBrowseMode(false);
        QVERIFY(placeCaret(*editor, "alast", 0));
        QTest::keyClicks(editor->textEdit(), "new ");
        QVERIFY(editor->isModified());
        QVERIFY(editor->documentHtml().contains("new alast"));
        QVERIFY(editor->textEdit()->document()->isUndoAvailable());
    }

    // Each way of reading or changing the text sees the whole page, at once.
    void readersWaitForTheWholePage()
    {
        auto printer = std::make_shared<RecordingPrinter>();
        const QList<std::pair<const char *, std::function<QString(HtmlEditor &)>>> readers{
            {"documentHtml", [](HtmlEditor &e) { return e.documentHtml(); }},
            {"revise", [](HtmlEditor &e) { e.setBrowseMode(false); return plainText(e); }},
            {"print", [&](HtmlEditor &e) { e.printDocument(); return printer->printed; }},
            {"Ctrl+A",
             [](HtmlEditor &e) {
                 QTest::keyClick(e.textEdit(), Qt::Key_A, Qt::ControlModifier);
                 return e.textEdit()->textCursor().selectedText();
             }},
            {"Select All command",
             [](HtmlEditor &e) {
                 e.formatting().run(TextCommand::SelectAll);
                 return e.textEdit()->textCursor().selectedText();
             }},
            {"find",
             [](HtmlEditor &e) {
                 e.formatting().find(QStringLiteral("blast"));
                 auto *next = e.findChild<QDialog *>("frmFindText")->findChild<QAbstractButton *>("cmdFindNext");
                 next->click();
                 return e.textEdit()->textCursor().selectedText();
             }},
        };
        for (const auto &[name, read] : readers) {
            const std::unique_ptr<HtmlEditor> editor = browsingEditor();
            editor->setDocumentPrinter(printer);
            editor->setDocumentHtml(longPage("b"));
            QVERIFY2(editor->isLoading(), name);
            QVERIFY2(read(*editor).contains("blast"), name);
            QVERIFY2(!editor->isLoading(), name);
        }
    }

    // Another page, the same page again, an edit or the window going away
    // while a page is read: the late page never shows.
    void laterLoadsDropThePendingPage()
    {
        const std::unique_ptr<HtmlEditor> editor = browsingEditor();
        editor->setDocumentHtml(longPage("c"));
        editor->setDocumentHtml(QStringLiteral("<p>short</p>"));
        QVERIFY(!editor->isLoading());
        BackgroundParse::waitForAll();
        QTest::qWait(20);
        QCOMPARE(plainText(*editor), QStringLiteral("short"));

        editor->setDocumentHtml(longPage("d"));
        editor->setDocumentHtml(longPage("e"));
        QTRY_VERIFY(!editor->isLoading());
        BackgroundParse::waitForAll();
        QTest::qWait(20);
        QVERIFY(plainText(*editor).contains("elast"));
        QVERIFY(!plainText(*editor).contains("dword"));

        editor->setDocumentHtml(longPage("f"));
        editor->setBrowseMode(false);
        editor->setDocumentHtml(QStringLiteral("<p>in edit mode</p>"));
        QVERIFY(!editor->isLoading());
        QCOMPARE(plainText(*editor), QStringLiteral("in edit mode"));

        auto closed = browsingEditor();
        closed->setDocumentHtml(longPage("g"));
        closed.reset();
        QTest::qWait(20);
    }
};

QTEST_MAIN(TestBackgroundLoad)
#include "test_backgroundload.moc"
