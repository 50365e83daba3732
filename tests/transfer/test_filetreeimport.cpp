#include "sampledata.h"
#include "transfer/filetreeimport.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace folio;
using folio::test::pngBytes;
using folio::test::testEmbedder;
using folio::test::writeFile;

namespace {

QStringList titles(const ImportedFolder &folder)
{
    QStringList out;
    for (const ImportedDocument &document : folder.documents)
        out << document.title;
    return out;
}

QStringList folderNames(const ImportedFolder &folder)
{
    QStringList out;
    for (const ImportedFolder &child : folder.folders)
        out << child.name;
    return out;
}

QString reasonFor(const ImportLog &log, const QString &item)
{
    for (const SkippedItem &skipped : log.skipped())
        if (skipped.item == item)
            return skipped.reason;
    return {};
}

} // namespace

class TestFileTreeImport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void foldersOrderAndIgnoredFiles();
    void htmlPagesTitlesAndCharsets();
    void htmlPictures();
    void ownExportReimports();
    void markdownFiles();
    void textFiles();
    void damagedFilesAreSkipped();
    void linksLoopsAndLongPaths();
    void wrongSourceFails();
};

void TestFileTreeImport::foldersOrderAndIgnoredFiles()
{
    QTemporaryDir dir;
    const QString root = dir.filePath(QStringLiteral("Notes"));
    writeFile(root + "/10.txt", "ten");
    writeFile(root + "/2.txt", "two");
    writeFile(root + "/b.txt", "b");
    writeFile(root + "/A.txt", "a");
    writeFile(root + "/.hidden.txt", "secret");
    writeFile(root + "/.git/config.txt", "x");
    writeFile(root + "/data.bin", QByteArray("\0\1", 2));
    writeFile(root + "/sub 10/x.md", "x");
    writeFile(root + "/sub 9/y.md", "y");
    QDir().mkpath(root + "/Empty");

    QList<int> progress;
    ImportLog log(testEmbedder, nullptr, [&](int percent) { progress << percent; });
    const ImportedFolder result = readFileTree(root + "/", log);
    QCOMPARE(result.name, QStringLiteral("Notes"));
    QCOMPARE(progress.value(progress.size() - 1), 100);
    QCOMPARE(titles(result), (QStringList{"2", "10", "A", "b"}));
    QCOMPARE(folderNames(result), (QStringList{"Empty", "sub 9", "sub 10"}));
    QVERIFY(result.folders[0].documents.isEmpty());
    QCOMPARE(titles(result.folders[2]), QStringList{"x"});
    QVERIFY2(log.skipped().isEmpty(), qPrintable(log.skipped().value(0).item));

    const std::atomic<bool> cancel = true;
    ImportLog cancelled(testEmbedder, &cancel);
    const ImportedFolder nothing = readFileTree(root, cancelled);
    QVERIFY(nothing.documents.isEmpty() && nothing.folders.isEmpty());
}

void TestFileTreeImport::htmlPagesTitlesAndCharsets()
{
    QTemporaryDir dir;
    writeFile(dir.filePath("a.html"), "<html><head><meta charset=\"windows-1252\"><title>  Caf\xe9 &amp;\n <b>Bar</b> \x80 </title>"
                                  "</head><body><p>x</p></body></html>");
    writeFile(dir.filePath("b.htm"), "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=ISO-8859-1\">"
                                 "</head><body><h2 class=x>Second&nbsp;<i>level</i></h2><h1>Later</h1></body></html>");
    writeFile(dir.filePath("c.htm"), "<p>Gr\xc3\xbc\xc3\x9f" "e</p>");
    writeFile(dir.filePath("d.htm"), "<p>Gr\xfc\xdf" "e</p>");

    ImportLog log(testEmbedder);
    const ImportedFolder result = readFileTree(dir.path(), log);
    QCOMPARE(titles(result), (QStringList{"Café & Bar €", "Second level", "c", "d"}));
    for (const ImportedDocument &document : result.documents)
        QVERIFY(document.bodyIsPage);
    QVERIFY(result.documents[0].html.startsWith("<html><head><meta charset"));
    QVERIFY(result.documents[2].html.contains(QStringLiteral("Grüße")));
    QVERIFY(result.documents[3].html.contains(QStringLiteral("Grüße")));
}

void TestFileTreeImport::htmlPictures()
{
    QTemporaryDir dir;
    QTemporaryDir outside;
    const QString root = dir.filePath("root");
    const QByteArray png = pngBytes();
    writeFile(root + "/pics/my pic.png", png);
    writeFile(root + "/pics/broken.png", "not a picture");
    writeFile(outside.filePath("secret.png"), png);
    QVERIFY(QFile::link(outside.filePath("secret.png"), root + "/pics/link.png"));
    writeFile(root + "/pages/page.html", "<body><img alt=a src=\"../pics/my%20pic.png\"><IMG SRC='../pics/broken.png'>"
                                     "<img src=\"../pics/link.png\"><img src=\"../../root/../" +
                                         QFileInfo(outside.path()).fileName().toUtf8() +
                                         "/secret.png\"><img src=\"http://example.org/x.png\">"
                                         "<img src=\"data:image/png;base64,AAAA\"><img src=\"missing.png\"></body>");

    ImportLog log(testEmbedder);
    const ImportedFolder result = readFileTree(root, log);
    QCOMPARE(folderNames(result), (QStringList{"pages", "pics"}));
    const QString html = result.folders[0].documents.value(0).html;
    QVERIFY(html.contains("<img alt=a src=\"data:image/png;base64," + png.toBase64() + "\">"));
    QVERIFY(html.contains("SRC='../pics/broken.png'"));
    QVERIFY(html.contains("src=\"../pics/link.png\""));
    QVERIFY(html.contains("src=\"http://example.org/x.png\""));
    QVERIFY(html.contains("src=\"data:image/png;base64,AAAA\""));
    QCOMPARE(html.count("data:image/png"), 2);
    QCOMPARE(reasonFor(log, "pages/page.html / ../pics/broken.png"), QStringLiteral("not a picture"));
    QVERIFY(reasonFor(log, "pages/page.html / ../pics/link.png").contains("outside"));
    QCOMPARE(reasonFor(log, "pages/page.html / missing.png"), QStringLiteral("the picture file was not found"));
    QCOMPARE(log.skipped().size(), 4);
}

void TestFileTreeImport::ownExportReimports()
{
    QTemporaryDir dir;
    const QByteArray index = "<html><head><meta name=\"generator\" content=\"Folio Keeper\"><title>Index</title></head>"
                             "<body><a href=\"Doc.htm\">Doc</a></body></html>";
    writeFile(dir.filePath("index.htm"), index);
    writeFile(dir.filePath("Doc.htm"), "<html><head><meta charset=\"utf-8\"><title>My document</title></head><body></body></html>");
    writeFile(dir.filePath("Sub/index.htm"), index);
    writeFile(dir.filePath("Other/index.htm"), "<html><head><title>A real page</title></head></html>");

    ImportLog log(testEmbedder);
    const ImportedFolder result = readFileTree(dir.path(), log);
    QCOMPARE(titles(result), QStringList{"My document"});
    QCOMPARE(folderNames(result), (QStringList{"Other", "Sub"}));
    QCOMPARE(titles(result.folders[0]), QStringList{"A real page"});
    QVERIFY(result.folders[1].documents.isEmpty());
}

void TestFileTreeImport::markdownFiles()
{
    QTemporaryDir dir;
    writeFile(dir.filePath("img/p.png"), pngBytes());
    writeFile(dir.filePath("note.md"), "\n# The *title*\n\nSome **bold** text<br>next line & <more>\n\n"
                                   "- [ ] open\n- [x] done\n\n"
                                   "[site](https://example.org/?a=1&b=2) [bad](javascript:alert(1))\n\n"
                                   "![pic](img/p.png) `<br>` last paragraph\n");
    writeFile(dir.filePath("plain.markdown"), "Intro\n\n# Not the title\n");
    // A code span over two lines hides the open <u> from the tidying; the
    // note is then kept whole as text.
    writeFile(dir.filePath("tricky.md"), "# Tricky\n\na `x\ny` <u>z\n\nthe closing words of the note\n");

    ImportLog log(testEmbedder);
    const ImportedFolder result = readFileTree(dir.path(), log);
    QCOMPARE(titles(result), (QStringList{"The title", "plain", "Tricky"}));
    const ImportedDocument &note = result.documents[0];
    QVERIFY(!note.bodyIsPage);
    QVERIFY(!note.html.contains("<body"));
    QVERIFY(note.html.contains("font-weight:700;\">bold</span>"));
    QVERIFY(note.html.contains(QStringLiteral("\u2610 open")));
    QVERIFY(note.html.contains(QStringLiteral("\u2611 done")));
    QVERIFY(note.html.contains("<a href=\"https://example.org/?a=1&amp;b=2\">"));
    QVERIFY(!note.html.contains("javascript"));
    QVERIFY(note.html.contains("<a><span style=\" color:#0000ff;\">bad</span></a>"));
    QVERIFY(note.html.contains("&amp; &lt;more&gt;"));
    QVERIFY(note.html.contains("src=\"data:image/png;base64,"));
    QVERIFY(note.html.contains("&lt;br&gt;"));
    QVERIFY(note.html.contains("last paragraph"));
    QVERIFY(result.documents[2].html.contains("<p>the closing words of the note</p>"));
    QCOMPARE(log.skipped().size(), 1);
    QCOMPARE(reasonFor(log, "tricky.md"), QStringLiteral("unknown construct kept as text"));
}

void TestFileTreeImport::textFiles()
{
    QTemporaryDir dir;
    writeFile(dir.filePath("a.txt"), "\xef\xbb\xbf" "First <line>\r\nsecond & line\r\n\r\n  \r\nNew paragraph");
    QByteArray utf16("\xff\xfe", 2);
    for (QChar c : QStringLiteral("Grüße\n\nok"))
        utf16.append(char(c.unicode() & 0xff)).append(char(c.unicode() >> 8));
    writeFile(dir.filePath("b.txt"), utf16);
    writeFile(dir.filePath("c.txt"), "Gr\xfc\xdf" "e");

    ImportLog log(testEmbedder);
    const ImportedFolder result = readFileTree(dir.path(), log);
    QCOMPARE(titles(result), (QStringList{"a", "b", "c"}));
    QCOMPARE(result.documents[0].html,
             QStringLiteral("<p>First &lt;line&gt;<br>second &amp; line</p>\n<p>New paragraph</p>\n"));
    QCOMPARE(result.documents[1].html, QStringLiteral("<p>Grüße</p>\n<p>ok</p>\n"));
    QCOMPARE(result.documents[2].html, QStringLiteral("<p>Grüße</p>\n"));
    QVERIFY(log.skipped().isEmpty());
}

void TestFileTreeImport::damagedFilesAreSkipped()
{
    QTemporaryDir dir;
    writeFile(dir.filePath("binary.md"), QByteArray("PK\3\4\0\0garbage", 12));
    writeFile(dir.filePath("fine.txt"), "fine");
    QFile big(dir.filePath("big.txt"));
    QVERIFY(big.open(QIODevice::WriteOnly) && big.resize(51LL * 1024 * 1024)); // sparse: no disk used
    big.close();
    QVERIFY(::mkfifo(QFile::encodeName(dir.filePath("pipe.txt")).constData(), 0600) == 0);
    writeFile(dir.filePath("locked.txt"), "locked");
    QFile::setPermissions(dir.filePath("locked.txt"), QFileDevice::Permissions());

    ImportLog log(testEmbedder);
    const ImportedFolder result = readFileTree(dir.path(), log);
    QCOMPARE(reasonFor(log, "binary.md"), QStringLiteral("not a text file"));
    QCOMPARE(reasonFor(log, "big.txt"), QStringLiteral("too large (51 MB)"));
    QCOMPARE(reasonFor(log, "pipe.txt"), QStringLiteral("not a regular file"));
    if (::geteuid() != 0) { // the superuser reads any file
        QCOMPARE(reasonFor(log, "locked.txt"), QStringLiteral("cannot be read (Permission denied)"));
        QCOMPARE(titles(result), QStringList{"fine"});
    }
    QVERIFY(titles(result).contains("fine"));
}

void TestFileTreeImport::linksLoopsAndLongPaths()
{
    QTemporaryDir dir;
    const QString root = dir.filePath("root");
    writeFile(root + "/a/note.txt", "note");
    QVERIFY(QFile::link(root, root + "/a/loop"));
    QVERIFY(QFile::link(root + "/a", root + "/b"));
    writeFile(root + "/z.txt", "last");

    // Deeper than the system can name in one path: built step by step
    // relative to the working folder.
    const QString before = QDir::currentPath();
    QVERIFY(QDir::setCurrent(root));
    const QString part(200, u'd');
    for (int i = 0; i < 22; ++i)
        QVERIFY(QDir().mkdir(part) && QDir::setCurrent(part));
    writeFile("deep.txt", "deep");
    QDir::setCurrent(before);

    ImportLog log(testEmbedder);
    const ImportedFolder result = readFileTree(root, log);
    QProcess::execute("rm", {"-rf", root}); // QTemporaryDir cannot remove what is too deep to name

    QCOMPARE(folderNames(result), (QStringList{"a", part}));
    QCOMPARE(titles(result.folders[0]), QStringList{"note"});
    QVERIFY(result.folders[0].folders.isEmpty());
    QCOMPARE(titles(result), QStringList{"z"});
    QVERIFY(reasonFor(log, "a/loop").contains("loop"));
    QVERIFY(reasonFor(log, "b").contains("already imported"));
    int longPaths = 0;
    for (const SkippedItem &skipped : log.skipped())
        longPaths += skipped.reason.contains("longer than the system allows") ? 1 : 0;
    QCOMPARE(longPaths, 1);
    QCOMPARE(log.skipped().size(), 3);
}

void TestFileTreeImport::wrongSourceFails()
{
    QTemporaryDir dir;
    writeFile(dir.filePath("file.txt"), "x");
    const QList<std::pair<QString, QString>> cases = {{dir.filePath("missing"), "does not exist"},
                                                      {dir.filePath("file.txt"), "is not a folder"}};
    for (const auto &[path, expected] : cases) {
        ImportLog log(testEmbedder);
        try {
            readFileTree(path, log);
            QFAIL(qPrintable("no failure for " + path));
        } catch (const ImportFailure &failure) {
            QVERIFY2(failure.message.contains(expected), qPrintable(failure.message));
        }
    }
}

QTEST_MAIN(TestFileTreeImport)
#include "test_filetreeimport.moc"
