// Reading Zim notebooks: the folder tree of pages and sub-pages, the wiki
// markup as HTML, pictures, and damaged or wrong sources.

#include "sampledata.h"
#include "transfer/zimimport.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace folio;
using folio::test::pngBytes;
using folio::test::testEmbedder;
using folio::test::writeFile;

namespace {

const QByteArray Header = "Content-Type: text/x-zim-wiki\nWiki-Format: zim 0.6\n"
                          "Creation-Date: 2024-03-01T10:00:00+01:00\n\n";

// A notebook in a temporary folder, with one page "Page" holding `body`.
struct Notebook
{
    QTemporaryDir dir;
    ImportLog log{testEmbedder};

    Notebook(const QByteArray &config = "[Notebook]\nname=Test Notes\n") { add("notebook.zim", config); }
    void add(const QString &path, const QByteArray &bytes) { writeFile(dir.filePath(path), bytes); }
    ImportedFolder read() { return readZimNotebook(dir.path(), log); }
    QString pageHtml(const QByteArray &body)
    {
        add("Page.txt", Header + body);
        const ImportedFolder root = read();
        return root.documents.isEmpty() ? QString() : root.documents.first().html;
    }
    QStringList reasons() const
    {
        QStringList all;
        for (const SkippedItem &s : log.skipped())
            all.append(s.item + QStringLiteral(": ") + s.reason);
        return all;
    }
};

QStringList titles(const QList<ImportedDocument> &documents)
{
    QStringList all;
    for (const ImportedDocument &d : documents)
        all.append(d.title);
    return all;
}

} // namespace

class TestZimImport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void pagesAndSubPagesBecomeFolders();
    void inlineMarkup_data();
    void inlineMarkup();
    void blockMarkup();
    void picturesFromAttachmentFolders();
    void damagedAndWrongSources();
};

void TestZimImport::pagesAndSubPagesBecomeFolders()
{
    Notebook nb;
    nb.add("Home.txt", Header + "====== Welcome ======\nFirst line.\n");
    nb.add("Projects.txt", Header + "Projects overview\n");
    nb.add("Projects/Alpha_Beta.txt", Header + "No heading here.\n");
    nb.add("Projects/Alpha_Beta/Deep.txt", Header + "\n===== Deep page =====\nText\n");
    nb.add("Archive/Old.txt", Header + "old\n");
    nb.add("Only_Files/picture.png", pngBytes()); // attachments without pages
    nb.add(".zim/index.txt", "cache");
    nb.add(".hidden.txt", Header + "hidden");
    nb.add("Q%26A_100%_sure.txt", Header + "odd name");

    const ImportedFolder root = nb.read();
    QCOMPARE(root.name, QStringLiteral("Test Notes"));
    QCOMPARE(titles(root.documents), (QStringList{"Welcome", "Q&A 100% sure"}));
    QVERIFY(!root.documents[0].html.contains(QStringLiteral("Welcome")));
    QVERIFY(root.documents[0].html.contains(QStringLiteral("<p>First line.</p>")));
    QCOMPARE(root.folders.size(), 2);
    QCOMPARE(root.folders[0].name, QStringLiteral("Archive"));
    QCOMPARE(titles(root.folders[0].documents), QStringList{QStringLiteral("Old")});
    const ImportedFolder &projects = root.folders[1];
    QCOMPARE(projects.name, QStringLiteral("Projects"));
    QCOMPARE(titles(projects.documents), QStringList{QStringLiteral("Projects")});
    QCOMPARE(projects.folders.size(), 1);
    QCOMPARE(projects.folders[0].name, QStringLiteral("Alpha Beta"));
    QCOMPARE(titles(projects.folders[0].documents), (QStringList{"Alpha Beta", "Deep page"}));
    QVERIFY(nb.log.skipped().isEmpty());

    // Without a name in notebook.zim the folder names the notebook.
    Notebook unnamed("[Notebook]\nhome=Home\n");
    unnamed.add("Home.txt", Header + "x");
    QCOMPARE(unnamed.read().name, QDir(unnamed.dir.path()).dirName());
}

void TestZimImport::inlineMarkup_data()
{
    QTest::addColumn<QByteArray>("wiki");
    QTest::addColumn<QString>("expected");
    QTest::newRow("bold") << QByteArray("a **b** c") << "a <b>b</b> c";
    QTest::newRow("italic") << QByteArray("//it//") << "<i>it</i>";
    QTest::newRow("highlight") << QByteArray("__mark__") << "<span style=\"background-color:#ffff00\">mark</span>";
    QTest::newRow("strike") << QByteArray("~~gone~~") << "<s>gone</s>";
    QTest::newRow("sub and sup") << QByteArray("H_{2}O x^{2}") << "H<sub>2</sub>O x<sup>2</sup>";
    QTest::newRow("nested") << QByteArray("**bold //both//**") << "<b>bold <i>both</i></b>";
    QTest::newRow("verbatim") << QByteArray("''**raw** <x>''") << "<code>**raw** &lt;x&gt;</code>";
    QTest::newRow("unmatched") << QByteArray("2 ** 3 and // and ~~") << "2 ** 3 and // and ~~";
    QTest::newRow("escaped") << QByteArray("<script>&") << "&lt;script&gt;&amp;";
    QTest::newRow("tag") << QByteArray("due @today") << "due @today";
    QTest::newRow("url in italics") << QByteArray("//see http://a.org//")
                                    << "<i>see <a href=\"http://a.org\">http://a.org</a></i>";
    QTest::newRow("page link") << QByteArray("[[Other Page]]") << "<u>Other Page</u>";
    QTest::newRow("page link label") << QByteArray("[[:Top:Sub|the **sub**]]") << "<u>the <b>sub</b></u>";
    QTest::newRow("web link") << QByteArray("[[https://x.org/a?b=\"c\"|X]]")
                              << "<a href=\"https://x.org/a?b=&quot;c&quot;\">X</a>";
    QTest::newRow("bare url") << QByteArray("(see https://x.org/a_(b)).")
                              << "(see <a href=\"https://x.org/a_(b)\">https://x.org/a_(b)</a>).";
    QTest::newRow("www") << QByteArray("www.x.org,") << "<a href=\"http://www.x.org\">www.x.org</a>,";
    QTest::newRow("email") << QByteArray("mail me@example.org.") << "<a href=\"mailto:me@example.org\">";
    QTest::newRow("attachment link") << QByteArray("[[./doc.pdf|doc]]") << "/Page/doc.pdf\">doc</a>";
    QTest::newRow("script link") << QByteArray("[[javascript:alert(1)|x]] [[ftp://h/f|f]]") << "<u>x</u> f";
}

void TestZimImport::inlineMarkup()
{
    QFETCH(QByteArray, wiki);
    QFETCH(QString, expected);
    Notebook nb;
    const QString html = nb.pageHtml(wiki + "\n");
    QVERIFY2(html.contains(expected), qPrintable(html));
    QVERIFY(!html.contains(QStringLiteral("zim:")));
}

void TestZimImport::blockMarkup()
{
    Notebook nb;
    const QString html = nb.pageHtml("Intro line\nsecond line\n\n"
                                     "===== Section =====\n== Small ==\n"
                                     "* one\n\t* one.a\n\t\t1. deep\n* two\n"
                                     "a. first\nb. second\n"
                                     "[ ] open\n[*] done\n[x] dropped\n[>] moved\n"
                                     "'''\n**not bold**\n\tkept\n'''\n"
                                     "-----\n"
                                     "|Name|Value|\n|----|:---:|\n|a\\|b|**x**|\n|short|\n"
                                     "{{{code: lang=\"python3\"\nprint(1)\n}}}\n"
                                     "{{{diagram:\ngraph\n}}}\n{{{diagram:\nmore\n}}}\n"
                                     "\tindented text\n"
                                     "''' never closed\n");
    const QStringList pieces = {
        "<p>Intro line<br>second line</p>",
        "<h2>Section</h2><h5>Small</h5>",
        "<ul><li>one<ul><li>one.a<ol><li>deep</li></ol></li></ul></li><li>two</li></ul>",
        "<ol type=\"a\"><li>first</li><li>second</li></ol>",
        "<li>\u2610 open</li><li>\u2611 done</li><li>\u2612 dropped</li><li>\u2612 moved</li>",
        "<pre>**not bold**\n\tkept</pre><hr>",
        "<tr><th>Name</th><th>Value</th></tr><tr><td>a|b</td><td><b>x</b></td></tr>"
        "<tr><td>short</td><td></td></tr></table>",
        "<pre>print(1)</pre>",
        "<pre>{{{diagram:\ngraph\n}}}</pre>",
        "<p style=\"margin-left:30px\">indented text</p>",
        "<p>''' never closed</p>",
    };
    for (const QString &piece : pieces)
        QVERIFY2(html.contains(piece), qPrintable(piece + QStringLiteral("\n in \n") + html));
    QCOMPARE(nb.reasons(), QStringList{QStringLiteral("Page.txt: unknown construct kept as text")});
}

void TestZimImport::picturesFromAttachmentFolders()
{
    Notebook nb;
    nb.add("Trip.txt", Header + "{{./photo.png}}\n{{../beside.png?width=200}}\n{{./gone.png}}\n{{./broken.png}}\n{{./pipe.png}}\n");
    nb.add("Trip/photo.png", pngBytes());
    nb.add("beside.png", pngBytes());
    nb.add("Trip/broken.png", "not a picture at all");
    QVERIFY(QProcess::execute(QStringLiteral("mkfifo"), {nb.dir.filePath("Trip/pipe.png")}) == 0);
    const ImportedFolder root = nb.read();
    QCOMPARE(root.documents.size(), 1);
    const QString html = root.documents[0].html;
    QCOMPARE(html.count(QStringLiteral("<img src=\"data:image/png;base64,")), 2);
    QVERIFY(html.contains(QStringLiteral("width=\"200\">")));
    QVERIFY(html.contains(QStringLiteral("[picture: gone.png]")));
    QVERIFY(html.contains(QStringLiteral("[picture: broken.png]")));
    QCOMPARE(nb.reasons(), (QStringList{"Trip.txt / picture gone.png: the picture file is missing",
                                        "Trip.txt / picture broken.png: not a picture",
                                        "Trip.txt / picture pipe.png: the picture file is missing"}));
}

void TestZimImport::damagedAndWrongSources()
{
    QTemporaryDir empty;
    ImportLog log(testEmbedder);
    try {
        readZimNotebook(empty.path(), log);
        QFAIL("a folder without notebook.zim was read");
    } catch (const ImportFailure &failure) {
        QVERIFY(failure.message.contains(QStringLiteral("is not a Zim notebook: it has no notebook.zim")));
    }
    QVERIFY_THROWS_EXCEPTION(ImportFailure, readZimNotebook(empty.filePath("missing"), log));

    Notebook nb;
    nb.add("Good.txt", Header + "fine");
    nb.add("Loop/Inner.txt", Header + "inside");
    QVERIFY(QFile::link(nb.dir.path(), nb.dir.filePath("Loop/Back")));
    nb.add("Latin1.txt", Header + "caf\xe9");
    nb.add("Huge.txt", Header);
    QFile huge(nb.dir.filePath("Huge.txt"));
    QVERIFY(huge.resize(51LL * 1024 * 1024)); // sparse: takes no room on disk
    QVERIFY(QProcess::execute(QStringLiteral("mkfifo"), {nb.dir.filePath("Pipe.txt")}) == 0); // never opened
    nb.add("Locked.txt", Header + "secret");
    QFile::setPermissions(nb.dir.filePath("Locked.txt"), QFileDevice::Permissions());
    const bool canLock = !QFile(nb.dir.filePath("Locked.txt")).open(QIODevice::ReadOnly); // not so as root

    const ImportedFolder root = nb.read();
    QStringList expectedTitles{"Good", "Latin1"};
    if (!canLock)
        expectedTitles.append(QStringLiteral("Locked"));
    QCOMPARE(titles(root.documents), expectedTitles);
    QVERIFY(root.documents[1].html.contains(QStringLiteral("caf\uFFFD")));
    QCOMPARE(root.folders.size(), 1);
    QCOMPARE(titles(root.folders[0].documents), QStringList{QStringLiteral("Inner")});
    const QStringList reasons = nb.reasons();
    QVERIFY(reasons.contains(QStringLiteral("Huge.txt: too large (over 50 MB)")));
    QVERIFY(reasons.contains(QStringLiteral("Latin1.txt: characters that are not UTF-8 were replaced")));
    QVERIFY(reasons.contains(QStringLiteral("Loop/Back: a link leads to a folder already read")));
    if (canLock)
        QVERIFY(reasons.filter(QStringLiteral("Locked.txt: the page could not be read")).size() == 1);

    // Cancelling stops between pages.
    std::atomic<bool> cancel{true};
    ImportLog cancelled(testEmbedder, &cancel);
    QVERIFY(readZimNotebook(nb.dir.path(), cancelled).documents.isEmpty());
}

QTEST_MAIN(TestZimImport)
#include "test_zimimport.moc"
