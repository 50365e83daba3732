// A stored or pasted document must not make the program read files or go
// to the network, and only web and mail links may open.

#include "editortesting.h"

#include "editor/htmlnesting.h"
#include "editor/safetextdocument.h"
#include "shell/prompts.h"

#include <QBuffer>
#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QMimeData>
#include <QSignalSpy>
#include <QTemporaryDir>

using namespace folio;
using namespace folio::test;

namespace {

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
    const QString capped = capElementNesting(html, 2);
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
    const QString capped = capElementNesting(html, HtmlEditor::MaxElementNesting);
    QCOMPARE(capped.count(QStringLiteral("<b>")), HtmlEditor::MaxElementNesting);
    QCOMPARE(capped.count(QStringLiteral("</b>")), HtmlEditor::MaxElementNesting);
    QVERIFY(capped.contains(QStringLiteral("bottom words")));

    auto editor = editorWith(html);
    QCOMPARE(plainText(*editor), QStringLiteral("bottom words\nafter"));
    const QString stored = editor->documentHtml();
    QVERIFY(stored.contains(QStringLiteral("bottom words")) && stored.contains(QStringLiteral("after")));
}

QTEST_MAIN(EditorSafetyTest)
#include "test_editor_safety.moc"
