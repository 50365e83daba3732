// A stored or pasted document must not make the program read files or go
// to the network, and only web and mail links may open.

#include "editortesting.h"

#include "editor/htmlnesting.h"
#include "editor/safetextdocument.h"
#include "editor/tablebudget.h"
#include "widgets/prompts.h"

#include <QBuffer>
#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QMimeData>
#include <QSignalSpy>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextFrame>
#include <QTextTable>

using namespace folio;
using namespace folio::test;

namespace {

// The most element and table levels the editor promises to hand the control.
constexpr int ElementLevels = 200;
constexpr int TableLevels = 6;

// A picture unlike the placeholder: 5 x 7 pixels of red.
QImage redPicture()
{
    QImage image(5, 7, QImage::Format_RGB32);
    image.fill(Qt::red);
    return image;
}

QByteArray pngBytes(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

QImage imageResource(HtmlEditor &editor, const QString &name)
{
    const QVariant value = editor.textEdit()->document()->resource(QTextDocument::ImageResource, QUrl(name));
    return value.value<QImage>();
}

class RecordingOpener : public UrlOpener
{
public:
    void openUrl(const QUrl &url) override { opened.append(url); }
    QList<QUrl> opened;
};

// Where the middle of `text` is drawn, in the viewport's coordinates.
QPoint pointOf(HtmlEditor &editor, const QString &text)
{
    QTextCursor cursor = editor.textEdit()->document()->find(text);
    cursor.setPosition(cursor.selectionStart() + text.size() / 2);
    return editor.textEdit()->cursorRect(cursor).center();
}

// The text of a body with every tag taken out, as a reader would go through it.
QString wordsOf(QString html)
{
    static const QRegularExpression tag(QStringLiteral("<[^>]*>"));
    return html.replace(tag, QStringLiteral(" ")).simplified();
}

// `depth` tables each inside the first cell of the one before; level n holds
// "before n", its inner table, "after n" in one cell and "second n" in the next.
QString nestedTables(int depth, bool endTags = true)
{
    const QString cellEnd = endTags ? QStringLiteral("</td>") : QString();
    const QString rowEnd = endTags ? QStringLiteral("</tr>") : QString();
    QString html;
    for (int level = 1; level <= depth; ++level)
        html += QStringLiteral("<table border=1><tr><td>before %1 ").arg(level);
    html += QStringLiteral("innermost");
    for (int level = depth; level >= 1; --level)
        html += QStringLiteral(" after %1%3<td>second %1%3%4</table>").arg(level).arg(cellEnd, rowEnd);
    return html;
}

// How many tables the control holds inside one another.
int tableNesting(const QTextFrame *frame)
{
    int deepest = 0;
    for (const QTextFrame *child : frame->childFrames())
        deepest = std::max(deepest, tableNesting(child));
    return deepest + (qobject_cast<const QTextTable *>(frame) ? 1 : 0);
}

int tableNesting(const HtmlEditor &editor)
{
    return tableNesting(editor.textEdit()->document()->rootFrame());
}

// About `chars` characters of words, in paragraphs, inside `depth` tables.
QString textInTables(int depth, int chars)
{
    QString text;
    for (int word = 0; text.size() < chars; ++word)
        text += word % 80 == 79 ? QStringLiteral("w%1</p><p>").arg(word) : QStringLiteral("w%1 ").arg(word);
    QString html = QStringLiteral("<p>") + text + QStringLiteral("</p>");
    for (int level = 0; level < depth; ++level)
        html = QStringLiteral("<table><tr><td>") + html + QStringLiteral("</td></tr></table>");
    return html;
}

} // namespace

class EditorSafetyTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void unloadablePicturesShowPlaceholder_data();
    void unloadablePicturesShowPlaceholder();
    void embeddedPicturesLoad();
    void styleSheetFilesAreNotRead();
    void pastedHtmlObeysTheSameRules();
    void linksOpenOnlyForWebAndMail_data();
    void linksOpenOnlyForWebAndMail();
    void nestingIsCappedTextKept_data();
    void nestingIsCappedTextKept();
    void hostileNestingOpensAndSavesItsText();
    void impliedEndTags_data();
    void impliedEndTags();
    void tablesNestedTooDeepAreFlattened_data();
    void tablesNestedTooDeepAreFlattened();
    void deepTablesKeepEveryWordInOrder_data();
    void deepTablesKeepEveryWordInOrder();
    void tablesWithinTheLimitAreUntouched();
    void unclosedParagraphsAndRowsAreKept();
    void tablesWithMuchTextNestLess_data();
    void tablesWithMuchTextNestLess();
    void bigTablesOpenAsBlocksWithEveryWord();
    void pastedDeepTablesAreBounded();

private:
    QTemporaryDir m_dir;
};

void EditorSafetyTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(redPicture().save(m_dir.filePath("red.png")));
    QFile sheet(m_dir.filePath("bold.css"));
    QVERIFY(sheet.open(QIODevice::WriteOnly));
    sheet.write("p { font-weight: bold; }");
    sheet.close();
    // Relative names would resolve against the working folder.
    QVERIFY(QDir::setCurrent(m_dir.path()));
}

void EditorSafetyTest::unloadablePicturesShowPlaceholder_data()
{
    QTest::addColumn<QString>("source");
    QTest::newRow("device") << "/dev/zero";
    QTest::newRow("system file") << "/etc/passwd";
    QTest::newRow("picture path") << m_dir.filePath("red.png");
    QTest::newRow("file url") << QUrl::fromLocalFile(m_dir.filePath("red.png")).toString();
    QTest::newRow("relative name") << "red.png";
    QTest::newRow("web") << "http://127.0.0.1:9/red.png";
    QTest::newRow("broken data") << "data:image/png;base64,AAAA";
}

void EditorSafetyTest::unloadablePicturesShowPlaceholder()
{
    QFETCH(QString, source);
    auto editor = editorWith(QStringLiteral("<p>before<img src=\"%1\">after</p>").arg(source.toHtmlEscaped()));
    editor->resize(300, 200);
    editor->show();
    QVERIFY(QTest::qWaitForWindowExposed(editor.get()));
    // Laying out and painting return (a read of /dev/zero never would) and
    // show the placeholder, also when printed or copied to another document.
    QVERIFY(!editor->grab().isNull());
    QCOMPARE(imageResource(*editor, source), SafeTextDocument::placeholderImage());
    std::unique_ptr<QTextDocument> copy(editor->textEdit()->document()->clone(editor->textEdit()->document()));
    QCOMPARE(copy->resource(QTextDocument::ImageResource, QUrl(source)).value<QImage>(),
             SafeTextDocument::placeholderImage());
    QVERIFY(editor->documentHtml().contains(source.toHtmlEscaped()));
}

void EditorSafetyTest::embeddedPicturesLoad()
{
    const QString dataUrl = "data:image/png;base64," + QString::fromLatin1(pngBytes(redPicture()).toBase64());
    auto editor = editorWith(QStringLiteral("<p><img src=\"%1\"></p>").arg(dataUrl));
    QCOMPARE(imageResource(*editor, dataUrl).size(), QSize(5, 7));

    QImage added(3, 4, QImage::Format_RGB32);
    added.fill(Qt::blue);
    editor->textEdit()->document()->addResource(QTextDocument::ImageResource, QUrl("mem:added"), added);
    editor->setDocumentHtml("<p><img src=\"mem:added\"></p>");
    QCOMPARE(imageResource(*editor, "mem:added").size(), QSize(3, 4));
}

void EditorSafetyTest::styleSheetFilesAreNotRead()
{
    const QString sheet = QUrl::fromLocalFile(m_dir.filePath("bold.css")).toString();
    for (const QString &href : {sheet, QStringLiteral("bold.css")}) {
        auto editor = editorWith(QStringLiteral("<html><head><link rel=\"stylesheet\" type=\"text/css\" "
                                                "href=\"%1\"></head><body><p>text</p></body></html>").arg(href));
        QVERIFY(selectText(*editor, "text"));
        QVERIFY2(editor->queryStatus(EditCommand::Bold) == CommandState::Enabled, qPrintable(href));
    }
}

void EditorSafetyTest::pastedHtmlObeysTheSameRules()
{
    const QString picture = m_dir.filePath("red.png");
    auto editor = editorWith("<p>start</p>");
    auto *mime = new QMimeData;
    mime->setHtml(QStringLiteral("<html><head><link rel=\"stylesheet\" type=\"text/css\" href=\"bold.css\">"
                                 "</head><body><p>pasted<img src=\"%1\"></p></body></html>").arg(picture));
    QGuiApplication::clipboard()->setMimeData(mime);
    QVERIFY(placeCaret(*editor, "start", 5));
    QVERIFY(editor->execCommand(EditCommand::Paste, CommandOption::DontPromptUser).toBool());
    QVERIFY(selectText(*editor, "pasted"));
    QCOMPARE(editor->queryStatus(EditCommand::Bold), CommandState::Enabled);
    QVERIFY(!editor->grab().isNull());
    QCOMPARE(imageResource(*editor, picture), SafeTextDocument::placeholderImage());
}

void EditorSafetyTest::linksOpenOnlyForWebAndMail_data()
{
    QTest::addColumn<QString>("href");
    QTest::addColumn<bool>("opens");
    QTest::newRow("http") << "http://example.com/page" << true;
    QTest::newRow("https") << "https://example.com/" << true;
    QTest::newRow("upper case") << "HTTPS://EXAMPLE.COM/" << true;
    QTest::newRow("mailto") << "mailto:someone@example.com" << true;
    QTest::newRow("file") << "file:///etc/passwd" << false;
    QTest::newRow("path") << "/etc/passwd" << false;
    QTest::newRow("relative") << "notes.html" << false;
    QTest::newRow("javascript") << "javascript:alert(1)" << false;
    QTest::newRow("ftp") << "ftp://example.com/file" << false;
    QTest::newRow("http without host") << "http:relative" << false;
    QTest::newRow("empty mailto") << "mailto:" << false;
}

void EditorSafetyTest::linksOpenOnlyForWebAndMail()
{
    QFETCH(QString, href);
    QFETCH(bool, opens);
    auto editor = editorWith(QStringLiteral("<p>see <a href=\"%1\">the link</a> here</p>").arg(href), true);
    auto opener = std::make_shared<RecordingOpener>();
    editor->setUrlOpener(opener);
    QSignalSpy clicked(editor.get(), &HtmlEditor::clicked);
    editor->resize(300, 200);
    editor->show();
    QVERIFY(QTest::qWaitForWindowExposed(editor.get()));

    QTest::mouseClick(editor->textEdit()->viewport(), Qt::LeftButton, {}, pointOf(*editor, "the link"));
    QTest::mouseClick(editor->textEdit()->viewport(), Qt::LeftButton, {}, pointOf(*editor, "see"));
    // Keyboard: a selected link followed with Enter.
    QVERIFY(selectText(*editor, "the link"));
    QTest::keyClick(editor->textEdit(), Qt::Key_Return);

    // While editing, a click on a link only places the caret.
    editor->setBrowseMode(false);
    QTest::mouseClick(editor->textEdit()->viewport(), Qt::LeftButton, {}, pointOf(*editor, "the link"));

    const QList<QUrl> expected = opens ? QList<QUrl>{QUrl(href), QUrl(href)} : QList<QUrl>{};
    QCOMPARE(opener->opened, expected);
    QCOMPARE(clicked.count(), 3);
}

void EditorSafetyTest::nestingIsCappedTextKept_data()
{
    QTest::addColumn<QString>("html");
    QTest::addColumn<QString>("expected");
    QTest::newRow("shallow is untouched") << "<p><b>a</b><i>b</i></p>" << "<p><b>a</b><i>b</i></p>";
    QTest::newRow("deeper tags dropped, text kept")
        << "<div><p><b><i>deep</i> x</b></p> y</div>" << "<div><p>deep x</p> y</div>";
    QTest::newRow("void and self-closing open no level")
        << "<div><br><img src='a'/><p>t</p></div>" << "<div><br><img src='a'/><p>t</p></div>";
    QTest::newRow("quoted > and comments are not tags")
        << "<div title='a>b'><!-- <b> --><p>t</p></div>" << "<div title='a>b'><!-- <b> --><p>t</p></div>";
    QTest::newRow("style content is not markup")
        << "<div><p><style>p > b {}</style><b>x</b></p></div>" << "<div><p><style>p > b {}</style>x</p></div>";
    QTest::newRow("a lone < stays text") << "<div><p>1 < 2 <b>z</b></p></div>" << "<div><p>1 < 2 z</p></div>";
}

void EditorSafetyTest::nestingIsCappedTextKept()
{
    QFETCH(QString, html);
    QFETCH(QString, expected);
    // Two levels allowed here so short examples reach the cap.
    const QString capped = capElementNesting(html, 2, TableLevels);
    if (html.count(u'<') <= 2)
        QCOMPARE(capped, html);
    else
        QCOMPARE(capped, expected);
}

// A stored body of a hundred thousand nested tags: the control gets at most
// the allowed depth, every word stays, and editing and saving keep the words.
void EditorSafetyTest::hostileNestingOpensAndSavesItsText()
{
    const int depth = 100000;
    const QString html = QStringLiteral("<b>").repeated(depth) + QStringLiteral("bottom words")
        + QStringLiteral("</b>").repeated(depth) + QStringLiteral("<p>after</p>");
    const QString capped = capElementNesting(html, ElementLevels, TableLevels);
    QCOMPARE(capped.count(QStringLiteral("<b>")), ElementLevels);
    QCOMPARE(capped.count(QStringLiteral("</b>")), ElementLevels);
    QVERIFY(capped.contains(QStringLiteral("bottom words")));

    auto editor = editorWith(html);
    QCOMPARE(plainText(*editor), QStringLiteral("bottom words\nafter"));
    const QString stored = editor->documentHtml();
    QVERIFY(stored.contains(QStringLiteral("bottom words")) && stored.contains(QStringLiteral("after")));
}

// End tags that HTML implies close their elements, so the levels they
// would have filled stay free; where the control keeps such an element open
// the end tags are written out.
void EditorSafetyTest::impliedEndTags_data()
{
    QTest::addColumn<QString>("html");
    QTest::addColumn<int>("maxDepth");
    QTest::addColumn<QString>("expected");
    QTest::newRow("a paragraph ends the one before") << "<div><p>a<p>b<p>c</div>" << 2 << "<div><p>a<p>b<p>c</div>";
    QTest::newRow("cells and rows without end tags")
        << "<table><tr><td>a<td>b<tr><th>c<td>d</table><p>e" << 3 << "<table><tr><td>a<td>b<tr><th>c<td>d</table><p>e";
    QTest::newRow("a new item ends the item and its paragraph")
        << "<ul><li><p>a<li><p>b</ul>" << 3 << "<ul><li><p>a</p><li><p>b</ul>";
    QTest::newRow("definitions") << "<dl><dt>a<dd>b<dt>c<dd>d</dl>" << 2 << "<dl><dt>a<dd>b<dt>c<dd>d</dl>";
    QTest::newRow("options") << "<select><option>a<option>b<option>c</select>" << 2
                             << "<select><option>a</option><option>b</option><option>c</select>";
    QTest::newRow("an end tag closes what is open inside")
        << "<div><b><i>x</div><p>y</p>" << 2 << "<div><b>x</div><p>y</p>";
    // The control nests the second paragraph inside the block.
    QTest::newRow("a paragraph inside a block stays open") << "<p>a<div>b<p>c" << 2 << "<p>a<div>bc";
    QTest::newRow("unmatched end tags stay") << "<div></span>x</p></div>" << 2 << "<div></span>x</p></div>";
}

void EditorSafetyTest::impliedEndTags()
{
    QFETCH(QString, html);
    QFETCH(int, maxDepth);
    QFETCH(QString, expected);
    QCOMPARE(capElementNesting(html, maxDepth, TableLevels), expected);
}

// One table level allowed here: the inner tables lose their table tags and
// each cell and caption becomes a block, its text kept.
void EditorSafetyTest::tablesNestedTooDeepAreFlattened_data()
{
    QTest::addColumn<QString>("html");
    QTest::addColumn<QString>("expected");
    QTest::newRow("cells become blocks")
        << "<table><tr><td>a<table border=1><tr><td>b</td><td>c</td></tr></table>d</td></tr></table>"
        << "<table><tr><td>a<div>b</div><div>c</div>d</td></tr></table>";
    QTest::newRow("omitted end tags")
        << "<table><tr><td>a<table><tr><th>h<td>x<tr><td>y</table>z</table>"
        << "<table><tr><td>a<div>h</div><div>x</div><div>y</div>z</table>";
    QTest::newRow("caption, sections and columns")
        << "<table><tr><td><table><caption>c</caption><colgroup><col></colgroup><thead><tr><th>h</th></tr></thead>"
           "<tbody><tr><td>d</td></tr></tbody></table></td></tr></table>"
        << "<table><tr><td><div>c</div><div>h</div><div>d</div></td></tr></table>";
    QTest::newRow("tables inside a flattened table")
        << "<table><tr><td><table><tr><td>b<table><tr><td>c</td></tr></table></td></tr></table></td></tr></table>"
        << "<table><tr><td><div>b<div>c</div></div></td></tr></table>";
    QTest::newRow("upper case") << "<TABLE><TR><TD>a<TABLE><TR><TD>b</TD></TR></TABLE></TD></TR></TABLE>"
                                << "<TABLE><TR><TD>a<div>b</div></TD></TR></TABLE>";
    QTest::newRow("other elements in a cell stay")
        << "<table><tr><td><table><tr><td><b>b<p>p</td></tr></table></td></tr></table>"
        << "<table><tr><td><div><b>b<p>p</p></b></div></td></tr></table>";
}

void EditorSafetyTest::tablesNestedTooDeepAreFlattened()
{
    QFETCH(QString, html);
    QFETCH(QString, expected);
    QCOMPARE(capElementNesting(html, ElementLevels, 1), expected);
}

// Layout tables nested deeper than the limit, as old pages and mails have
// them: at most the allowed levels reach the control, every word stays in
// its place, and the control gets the document (66 levels would keep it
// busy for far longer than the test's time-out).
void EditorSafetyTest::deepTablesKeepEveryWordInOrder_data()
{
    QTest::addColumn<int>("depth");
    QTest::addColumn<bool>("endTags");
    QTest::newRow("7 levels") << 7 << true;
    QTest::newRow("9 levels, no end tags") << 9 << false;
    QTest::newRow("66 levels") << 66 << true;
}

void EditorSafetyTest::deepTablesKeepEveryWordInOrder()
{
    QFETCH(int, depth);
    QFETCH(bool, endTags);
    const QString html = nestedTables(depth, endTags);
    const QString capped = capElementNesting(html, ElementLevels, TableLevels);
    QCOMPARE(capped.count(QStringLiteral("<table")), TableLevels);
    QCOMPARE(wordsOf(capped), wordsOf(html));
    QCOMPARE(capped.count(QStringLiteral("<div>")), 2 * (depth - TableLevels));

    auto editor = editorWith(html);
    QCOMPARE(tableNesting(*editor), TableLevels);
    const QString shown = plainText(*editor).simplified();
    QCOMPARE(shown, wordsOf(html));
}

// At the limit nothing changes, even with more tags than the element limit
// and without end tags; the text is handed back without a copy.
void EditorSafetyTest::tablesWithinTheLimitAreUntouched()
{
    for (bool endTags : {true, false}) {
        QString html = nestedTables(TableLevels, endTags);
        for (int row = 0; row < 100; ++row)
            html.replace(QStringLiteral("innermost"), QStringLiteral("<tr><td>r%1<td>s%1 innermost").arg(row));
        QVERIFY(html.count(u'<') > ElementLevels);
        const QString capped = capElementNesting(html, ElementLevels, TableLevels);
        QCOMPARE(capped, html);
        QVERIFY(capped.isSharedWith(html));
    }
    auto editor = editorWith(nestedTables(TableLevels));
    QCOMPARE(tableNesting(*editor), TableLevels);
}

// Old pages leave out the end tags of paragraphs, cells and rows: far more
// of them than the element limit stay paragraphs and rows in the control.
void EditorSafetyTest::unclosedParagraphsAndRowsAreKept()
{
    QString paragraphs;
    QStringList lines;
    for (int i = 1; i <= 300; ++i) {
        paragraphs += QStringLiteral("<p>paragraph %1").arg(i);
        lines << QStringLiteral("paragraph %1").arg(i);
    }
    auto editor = editorWith(paragraphs);
    QCOMPARE(plainText(*editor), lines.join(u'\n'));
    QCOMPARE(editor->textEdit()->document()->blockCount(), 300);

    QString rows = QStringLiteral("<table border=1>");
    for (int i = 1; i <= 400; ++i)
        rows += QStringLiteral("<tr><td>name %1<td>value %1").arg(i);
    editor->setDocumentHtml(rows + QStringLiteral("</table><p>below</p>"));
    QTextDocument *document = editor->textEdit()->document();
    const QList<QTextFrame *> frames = document->rootFrame()->childFrames();
    QCOMPARE(frames.size(), 1);
    const auto *table = qobject_cast<QTextTable *>(frames.first());
    QVERIFY(table);
    QCOMPARE(table->rows(), 400);
    QCOMPARE(table->columns(), 2);
    QTextCursor last = table->cellAt(399, 1).firstCursorPosition();
    last.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    QCOMPARE(last.selectedText(), QStringLiteral("value 400"));
    QVERIFY(plainText(*editor).endsWith(QStringLiteral("below")));
}

void EditorSafetyTest::tablesWithMuchTextNestLess_data()
{
    QTest::addColumn<QString>("html");
    QTest::addColumn<int>("cap");
    QTest::newRow("no table") << textInTables(0, 2'000'000) << TableLevels;
    QTest::newRow("66 levels, little text") << nestedTables(66) << TableLevels;
    QTest::newRow("100 KB in 6 tables") << textInTables(6, 100'000) << 3;
    QTest::newRow("100 KB in 4 tables") << textInTables(4, 100'000) << 3;
    // Within the budget: no table is flattened.
    QTest::newRow("250 KB in 2 tables") << textInTables(2, 250'000) << TableLevels;
    QTest::newRow("400 KB in 1 table") << textInTables(1, 400'000) << TableLevels;
    QTest::newRow("1 MB in 1 table") << textInTables(1, 1'000'000) << 0;
    QTest::newRow("upper case tags") << textInTables(3, 300'000).toUpper() << 2;
}

// The deeper the tables, the dearer each word inside them: a page whose
// words would take more than the budget keeps fewer levels.
void EditorSafetyTest::tablesWithMuchTextNestLess()
{
    QFETCH(QString, html);
    QFETCH(int, cap);
    QCOMPARE(tableNestingWithinBudget(html, TableLevels), cap);
}

void EditorSafetyTest::bigTablesOpenAsBlocksWithEveryWord()
{
    const QString html = textInTables(1, 1'000'000);
    auto editor = editorWith(html);
    QCOMPARE(tableNesting(*editor), 0);
    QCOMPARE(plainText(*editor).simplified(), wordsOf(html));
    // Within the budget the table stays a table.
    editor->setDocumentHtml(textInTables(2, 50'000));
    QCOMPARE(tableNesting(*editor), 2);
}

// What is pasted (or dropped) goes through the same bounds as what is opened.
void EditorSafetyTest::pastedDeepTablesAreBounded()
{
    auto editor = editorWith("<p>start</p>");
    auto *mime = new QMimeData;
    mime->setHtml(nestedTables(66));
    mime->setText(QStringLiteral("plain"));
    QGuiApplication::clipboard()->setMimeData(mime);
    QVERIFY(placeCaret(*editor, "start", 5));
    QVERIFY(editor->execCommand(EditCommand::Paste, CommandOption::DontPromptUser).toBool());
    QCOMPARE(tableNesting(*editor), TableLevels);
    QVERIFY(plainText(*editor).contains(QStringLiteral("innermost")));
    QVERIFY(plainText(*editor).contains(QStringLiteral("second 1")));
}

QTEST_MAIN(EditorSafetyTest)
#include "test_editor_safety.moc"
