#include "sampledata.h"
#include "transfer/enexreader.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

using namespace folio;
using folio::test::pngBytes;
using folio::test::testEmbedder;
using folio::test::writeFile;

namespace {

QByteArray md5Hex(const QByteArray &bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex();
}

// Base64 wrapped at 20 characters, the way exports wrap long lines.
QByteArray wrappedBase64(const QByteArray &bytes)
{
    const QByteArray flat = bytes.toBase64();
    QByteArray out;
    for (int i = 0; i < flat.size(); i += 20)
        out += flat.mid(i, 20) + "\n";
    return out;
}

QByteArray note(const QByteArray &title, const QByteArray &enml, const QByteArray &extra = {})
{
    return "<note><title>" + title + "</title><content><![CDATA[<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<!DOCTYPE en-note SYSTEM \"http://xml.evernote.com/pub/enml2.dtd\">\n<en-note>"
         + enml + "</en-note>]]></content><created>20201231T235959Z</created>"
           "<updated>20210101T000000Z</updated>" + extra + "</note>\n";
}

QByteArray resource(const QByteArray &base64, const QByteArray &mime, const QByteArray &fileName)
{
    return "<resource><data encoding=\"base64\">" + base64 + "</data><mime>" + mime
         + "</mime><width>3</width><height>2</height><resource-attributes><file-name>" + fileName
         + "</file-name></resource-attributes></resource>";
}

QByteArray exportOf(const QByteArray &notes)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<!DOCTYPE en-export SYSTEM \"http://xml.evernote.com/pub/evernote-export3.dtd\">\n"
           "<en-export export-date=\"20210101T000000Z\" application=\"Evernote\" version=\"10\">\n"
         + notes + "</en-export>\n";
}

struct Result
{
    ImportedFolder folder;
    QList<SkippedItem> skipped;
};

class EnexFixture
{
public:
    QString write(const QByteArray &bytes, const QString &name = QStringLiteral("My Notes.enex"))
    {
        writeFile(m_dir.filePath(name), bytes);
        return m_dir.filePath(name);
    }

    Result read(const QByteArray &bytes)
    {
        ImportLog log(testEmbedder);
        Result result;
        result.folder = readEvernoteExport(write(bytes), log);
        result.skipped = log.skipped();
        return result;
    }

private:
    QTemporaryDir m_dir;
};

QStringList reasonsFor(const Result &result, const QString &itemStart)
{
    QStringList reasons;
    for (const SkippedItem &s : result.skipped) {
        if (s.item.startsWith(itemStart))
            reasons << s.reason;
    }
    return reasons;
}

} // namespace

class TestEnexReader : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void notesBecomeDocumentsWithFormatting();
    void unsafeMarkupIsRemoved();
    void picturesAndAttachments();
    void damagedNoteMarkupKeepsText();
    void brokenExportKeepsEarlierNotes();
    void wrongSourcesFail();
    void cancelStopsBetweenNotes();
};

void TestEnexReader::notesBecomeDocumentsWithFormatting()
{
    EnexFixture fixture;
    const Result r = fixture.read(exportOf(
        note("  Shopping &amp; more ", "<div><strong>Bold</strong> <em>slanted</em> A&nbsp;B</div>"
             "<ul><li><en-todo checked=\"true\"/>milk</li><li><en-todo/>bread</li></ul>"
             "<h2>Head</h2><font color=\"#ff0000\" size=\"5\">red</font>"
             "<a href=\"https://example.org/?a=1&amp;b=2\">site</a>"
             "<table><tr><td colspan=\"2\">cell</td></tr></table>",
             "<tag>t1</tag><tag>t&lt;2</tag>")
        + note("   ", "plain")));
    QCOMPARE(r.folder.name, QStringLiteral("My Notes"));
    QCOMPARE(r.folder.documents.size(), 2);
    const ImportedDocument &first = r.folder.documents[0];
    QCOMPARE(first.title, QStringLiteral("Shopping & more"));
    QVERIFY(!first.bodyIsPage);
    QVERIFY(first.html.contains(u"<div><b>Bold</b> <i>slanted</i> A\u00A0B</div>"));
    QVERIFY(first.html.contains(u"<ul><li>\u2611 milk</li><li>\u2610 bread</li></ul>"));
    QVERIFY(first.html.contains(QLatin1String("<h2>Head</h2>")));
    QVERIFY(first.html.contains(QLatin1String("<span style=\"color:#ff0000;font-size:18pt\">red</span>")));
    QVERIFY(first.html.contains(QLatin1String("<a href=\"https://example.org/?a=1&amp;b=2\">site</a>")));
    QVERIFY(first.html.contains(
        QLatin1String("<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\"><tr><td colspan=\"2\">cell</td>")));
    QVERIFY(first.html.endsWith(QLatin1String("<p>Tags: t1, t&lt;2</p>")));
    QCOMPARE(r.folder.documents[1].title, QStringLiteral("Untitled"));
    QCOMPARE(r.folder.documents[1].html, QStringLiteral("plain"));
    QVERIFY(r.skipped.isEmpty());
}

void TestEnexReader::unsafeMarkupIsRemoved()
{
    EnexFixture fixture;
    const Result r = fixture.read(exportOf(note(
        "Unsafe",
        "<p style=\"position:fixed; color: blue; background:url(x)\" onclick=\"evil()\">text</p>"
        "<script>alert(1)</script><a href=\"javascript:alert(2)\">click</a>"
        "<span style=\"background-color:#ffff00\">mark</span><blink>old</blink><marquee>older</marquee>"
        "<en-crypt hint=\"pet\">U2FsdGVkX1</en-crypt>")));
    const QString html = r.folder.documents.value(0).html;
    QVERIFY(html.contains(QLatin1String("<p style=\"color:blue\">text</p>")));
    QVERIFY(!html.contains(QLatin1String("alert")));
    QVERIFY(!html.contains(QLatin1String("onclick")));
    QVERIFY(!html.contains(QLatin1String("<a")));
    QVERIFY(html.contains(QLatin1String("click")));
    QVERIFY(html.contains(QLatin1String("<span style=\"background-color:#ffff00\">mark</span>")));
    QVERIFY(html.contains(QLatin1String("oldolder")));
    QVERIFY(html.contains(QLatin1String("[encrypted text]")));
    QVERIFY(!html.contains(QLatin1String("U2Fs")));
    QCOMPARE(reasonsFor(r, QStringLiteral("Unsafe")),
             QStringList({QStringLiteral("unknown construct kept as text"), QStringLiteral("encrypted text not imported")}));
}

void TestEnexReader::picturesAndAttachments()
{
    const QByteArray png = pngBytes();
    const QByteArray pdf = "%PDF-1.4 not really";
    const QByteArray notPicture = "these bytes are no image";
    EnexFixture fixture;
    const Result r = fixture.read(exportOf(
        note("Pics",
             "<en-media type=\"image/png\" hash=\"" + md5Hex(png) + "\"/>"
             "<en-media type=\"application/pdf\" hash=\"" + md5Hex(pdf).toUpper() + "\"/>"
             "<en-media type=\"image/jpeg\" hash=\"00000000000000000000000000000000\"/>"
             "<en-media type=\"image/gif\" hash=\"" + md5Hex(notPicture) + "\"/>",
             resource(wrappedBase64(png), "image/png", "x.png") + resource(pdf.toBase64(), "application/pdf", "doc.pdf")
                 + resource(notPicture.toBase64(), "image/gif", "")
                 + resource(wrappedBase64(png), "image/png", "unreferenced.png"))
        + note("Damaged", "<p>before</p><en-media type=\"image/png\" hash=\"" + md5Hex(png) + "\"/>",
               resource("iVBOR***not base64***", "image/png", "broken.png"))));
    QCOMPARE(r.folder.documents.size(), 2);
    const QString pics = r.folder.documents[0].html;
    const QString url = QStringLiteral("<img src=\"data:image/png;base64,") + QString::fromLatin1(png.toBase64());
    QCOMPARE(pics.count(url), 2); // the referenced picture and the one appended at the end
    QVERIFY(pics.contains(QLatin1String("[attachment: doc.pdf]")));
    QCOMPARE(pics.count(QLatin1String("[picture]")), 2); // missing and undecodable
    QCOMPARE(reasonsFor(r, QStringLiteral("Pics / doc.pdf")), QStringList(QStringLiteral("attached file not imported")));
    QCOMPARE(reasonsFor(r, QStringLiteral("Pics / picture 2")), QStringList(QStringLiteral("not a picture")));
    QVERIFY(reasonsFor(r, QStringLiteral("Pics")).contains(QStringLiteral("picture missing from the export")));

    const QString damaged = r.folder.documents[1].html;
    QVERIFY(damaged.startsWith(QLatin1String("<p>before</p>[picture]")));
    QCOMPARE(reasonsFor(r, QStringLiteral("Damaged")),
             QStringList(QStringLiteral("the picture's data is damaged"))); // reported once, not as missing too
}

void TestEnexReader::damagedNoteMarkupKeepsText()
{
    QByteArray deep;
    for (int i = 0; i < 5000; ++i)
        deep += "<div>";
    deep += "bottom";
    for (int i = 0; i < 5000; ++i)
        deep += "</div>";
    EnexFixture fixture;
    const Result r = fixture.read(exportOf(
        note("Broken", "<div>first &amp; line<br/>second</p><b>third &copy;</b></div>")
        + note("Deep", deep)
        + "<note><title>No doctype</title><content>&lt;en-note&gt;a&amp;nbsp;b&lt;/en-note&gt;</content></note>"));
    QCOMPARE(r.folder.documents.size(), 3);
    QCOMPARE(r.folder.documents[0].html, QStringLiteral("<p>first &amp; line</p><p>second</p><p>third \u00A9</p>"));
    QCOMPARE(reasonsFor(r, QStringLiteral("Broken")).size(), 1);
    QVERIFY(reasonsFor(r, QStringLiteral("Broken"))[0].contains(QLatin1String("line 3")));
    const QString deepHtml = r.folder.documents[1].html;
    QVERIFY(deepHtml.contains(QLatin1String("bottom")));
    const qsizetype opened = deepHtml.count(QLatin1String("<div>"));
    QVERIFY(opened > 50 && opened < 200); // flattened below a sane depth, still balanced
    QCOMPARE(deepHtml.count(QLatin1String("</div>")), opened);
    QCOMPARE(reasonsFor(r, QStringLiteral("Deep")).size(), 1);
    QCOMPARE(r.folder.documents[2].html, QStringLiteral("a\u00A0b"));
}

void TestEnexReader::brokenExportKeepsEarlierNotes()
{
    EnexFixture fixture;
    const QByteArray notes = note("One", "1") + note("Two", "2") + "<note><title>Three</title><content>x</conten>";
    const Result r = fixture.read(exportOf(notes + note("Four", "4")));
    QCOMPARE(r.folder.documents.size(), 2);
    QCOMPARE(r.folder.documents[1].title, QStringLiteral("Two"));
    QCOMPARE(r.skipped.size(), 1);
    QCOMPARE(r.skipped[0].item, QStringLiteral("Three"));
    QVERIFY2(r.skipped[0].reason.contains(QLatin1String("line 10")), qPrintable(r.skipped[0].reason));

    const QByteArray whole = exportOf(note("One", "1") + note("Two", "2"));
    const QByteArray truncated = whole.left(whole.indexOf("<title>Two") + 10);
    const Result cut = fixture.read(truncated);
    QCOMPARE(cut.folder.documents.size(), 1);
    QCOMPARE(cut.skipped.size(), 1);
    QVERIFY(cut.skipped[0].reason.contains(QLatin1String("could not be read")));
}

void TestEnexReader::wrongSourcesFail()
{
    EnexFixture fixture;
    const QList<QPair<QByteArray, QString>> cases = {
        {"", QStringLiteral("is empty")},
        {"\x89PNG\r\n\x1a\n\0\0binary", QStringLiteral("not readable as XML")},
        {"<?xml version=\"1.0\"?><html><body>hi</body></html>", QStringLiteral("<html>")},
        {exportOf(note("One", "1")).left(200), QStringLiteral("no note could be read")},
    };
    for (const auto &[bytes, expected] : cases) {
        ImportLog log(testEmbedder);
        try {
            readEvernoteExport(fixture.write(bytes, QStringLiteral("bad.enex")), log);
            QFAIL(qPrintable(QStringLiteral("no failure for a source expected to say ") + expected));
        } catch (const ImportFailure &failure) {
            QVERIFY2(failure.message.contains(expected), qPrintable(failure.message));
            QVERIFY(failure.message.contains(QLatin1String("bad.enex")));
        }
    }
    ImportLog log(testEmbedder);
    QVERIFY_THROWS_EXCEPTION(ImportFailure, readEvernoteExport(fixture.write({}) + QStringLiteral("-missing"), log));
}

void TestEnexReader::cancelStopsBetweenNotes()
{
    EnexFixture fixture;
    QByteArray notes;
    for (int i = 0; i < 50; ++i)
        notes += note("N" + QByteArray::number(i), "<p>text</p>");
    const QString path = fixture.write(exportOf(notes));
    std::atomic<bool> cancel = false;
    QList<int> seen;
    ImportLog log(testEmbedder, &cancel, [&](int percent) {
        seen << percent;
        cancel = true; // the first note has been read
    });
    QCOMPARE(readEvernoteExport(path, log).documents.size(), 1);

    ImportLog full(testEmbedder, nullptr, [&](int percent) { seen << percent; });
    seen.clear();
    QCOMPARE(readEvernoteExport(path, full).documents.size(), 50);
    QCOMPARE(seen.last(), 100);
}

QTEST_MAIN(TestEnexReader)
#include "test_enexreader.moc"
