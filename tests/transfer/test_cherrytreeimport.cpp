#include "sampledata.h"
#include "transfer/cherrytreeimport.h"

#include <QBuffer>
#include <QImage>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QVariant>
#include <QtTest>

using namespace folio;
using folio::test::pngBytes;
using folio::test::testEmbedder;
using folio::test::writeFile;

namespace {

QStringList reasons(const ImportLog &log)
{
    QStringList out;
    for (const SkippedItem &s : log.skipped())
        out << s.item + QStringLiteral(": ") + s.reason;
    return out;
}

const ImportedDocument *findDocument(const ImportedFolder &folder, const QString &title)
{
    for (const ImportedDocument &d : folder.documents) {
        if (d.title == title)
            return &d;
    }
    return nullptr;
}

int folderDepth(const ImportedFolder &folder)
{
    int deepest = 0;
    for (const ImportedFolder &f : folder.folders)
        deepest = std::max(deepest, folderDepth(f));
    return deepest + 1;
}

// Builds a database document the way the source program lays one out.
class DatabaseFile
{
public:
    explicit DatabaseFile(const QString &path) : m_db(QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), path))
    {
        m_db.setDatabaseName(path);
        QVERIFY(m_db.open());
        for (const char *sql : {"CREATE TABLE node (node_id INTEGER UNIQUE, name TEXT, txt TEXT, syntax TEXT, tags TEXT, "
                                "is_ro INTEGER, is_richtxt INTEGER, has_codebox INTEGER, has_table INTEGER, "
                                "has_image INTEGER, level INTEGER, ts_creation INTEGER, ts_lastsave INTEGER)",
                                "CREATE TABLE children (node_id INTEGER UNIQUE, father_id INTEGER, sequence INTEGER)",
                                "CREATE TABLE codebox (node_id INTEGER, offset INTEGER, justification TEXT, txt TEXT, "
                                "syntax TEXT, width INTEGER, height INTEGER, is_width_pix INTEGER, "
                                "do_highl_bra INTEGER, do_show_linenum INTEGER)",
                                "CREATE TABLE grid (node_id INTEGER, offset INTEGER, justification TEXT, txt TEXT, "
                                "col_min INTEGER, col_max INTEGER)",
                                "CREATE TABLE image (node_id INTEGER, offset INTEGER, justification TEXT, anchor TEXT, "
                                "png BLOB, filename TEXT, link TEXT, time INTEGER)"})
            exec(QString::fromLatin1(sql), {});
    }
    ~DatabaseFile()
    {
        const QString name = m_db.connectionName();
        m_db.close();
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase(name);
    }
    void exec(const QString &sql, const QVariantList &values)
    {
        QSqlQuery q(m_db);
        q.prepare(sql);
        for (const QVariant &v : values)
            q.addBindValue(v);
        QVERIFY2(q.exec(), qPrintable(q.lastError().text()));
    }
    void node(qint64 id, const QString &name, const QString &txt, qint64 father, qint64 sequence, bool rich = true)
    {
        exec(QStringLiteral("INSERT INTO node VALUES(?,?,?,?,'',0,?,0,0,0,0,0,0)"),
             {id, name, txt, rich ? QStringLiteral("custom-colors") : QStringLiteral("python"), rich ? 1 : 0});
        exec(QStringLiteral("INSERT INTO children VALUES(?,?,?)"), {id, father, sequence});
    }

private:
    QSqlDatabase m_db;
};

QString richXml(const QString &runs)
{
    return QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?><node>%1</node>").arg(runs);
}

} // namespace

class TestCherryTreeImport : public QObject
{
    Q_OBJECT

private:
    QString write(const QString &name, const QByteArray &content)
    {
        writeFile(m_dir.filePath(name), content);
        return m_dir.filePath(name);
    }
    QTemporaryDir m_dir;

private Q_SLOTS:
    void xmlTreeAndFormatting();
    void xmlEmbeddedObjectsAtTheirOffsets();
    void databaseTreeOrderAndObjects();
    void databaseDamageIsContained();
    void xmlDamageIsContained();
    void wrongSourcesFail();
};

void TestCherryTreeImport::xmlTreeAndFormatting()
{
    const QByteArray ctd = R"ctd(<?xml version="1.0" encoding="UTF-8"?>
<cherrytree>
  <bookmarks list="1"/>
  <node name="  Alpha " unique_id="1" prog_lang="custom-colors">
    <rich_text scale="h1">Big title
</rich_text><rich_text weight="heavy">bold</rich_text><rich_text> and </rich_text><rich_text style="italic" foreground="#ffff00000000" background="#00ff00">it&lt;al</rich_text><rich_text>
• first
☑ done item
</rich_text><rich_text link="webs https://example.org/?a=1&amp;b=&quot;2&quot;">site</rich_text><rich_text> </rich_text><rich_text link="webs javascript:alert(1)">bad</rich_text><rich_text> </rich_text><rich_text link="node 2">jump</rich_text><rich_text strikethrough="true" underline="single" family="monospace">code</rich_text>
  </node>
  <node name="Parent" unique_id="2" prog_lang="custom-colors">
    <rich_text>parent text</rich_text>
    <node name="" unique_id="3" prog_lang="custom-colors"><rich_text>child</rich_text></node>
    <node name="Script" unique_id="4" prog_lang="python"><rich_text>if a &lt; b:
    pass</rich_text></node>
  </node>
  <node name="Odd" unique_id="5" prog_lang="custom-colors"><rich_text frobnicate="1">x</rich_text><sparkle>kept</sparkle><rich_text link="gopher x">y</rich_text></node>
</cherrytree>
)ctd";
    ImportLog log(testEmbedder);
    const ImportedFolder root = readCherryTree(write(QStringLiteral("My Notes.ctd"), ctd), log);
    QCOMPARE(root.name, QStringLiteral("My Notes"));
    QCOMPARE(root.documents.size(), 2);
    QCOMPARE(root.folders.size(), 1);

    const ImportedDocument *alpha = findDocument(root, QStringLiteral("Alpha"));
    QVERIFY(alpha);
    QVERIFY(!alpha->bodyIsPage);
    const QString &html = alpha->html;
    QVERIFY2(html.startsWith(QLatin1String("<h1>Big title</h1>")), qPrintable(html));
    QVERIFY(html.contains(QLatin1String("<b>bold</b> and ")));
    QVERIFY(html.contains(QLatin1String("<i><span style=\"color:#ff0000;background-color:#00ff00\">it&lt;al</span></i>")));
    QVERIFY(html.contains(QStringLiteral("<ul><li>first</li><li>☑ done item</li></ul>")));
    QVERIFY(html.contains(QLatin1String("<a href=\"https://example.org/?a=1&amp;b=&quot;2&quot;\">site</a>")));
    QVERIFY(html.contains(QLatin1String("> bad <u>jump</u>")));
    QVERIFY(!html.contains(QLatin1String("javascript")));
    QVERIFY(html.contains(QLatin1String("<u><s><code>code</code></s></u>")));

    const ImportedFolder &parent = root.folders.first();
    QCOMPARE(parent.name, QStringLiteral("Parent"));
    QCOMPARE(parent.documents.size(), 3);
    QCOMPARE(parent.documents[0].title, QStringLiteral("Parent"));
    QCOMPARE(parent.documents[0].html, QStringLiteral("<p>parent text</p>"));
    QCOMPARE(parent.documents[1].title, QStringLiteral("Untitled"));
    QCOMPARE(parent.documents[2].html, QStringLiteral("<pre>if a &lt; b:\n    pass</pre>"));

    // Unknown parts keep their text and are reported once for the note.
    const ImportedDocument *odd = findDocument(root, QStringLiteral("Odd"));
    QVERIFY(odd);
    QCOMPARE(odd->html, QStringLiteral("<p>xkepty</p>"));
    QCOMPARE(reasons(log), QStringList{QStringLiteral("note 'Odd': unknown construct kept as text")});
}

void TestCherryTreeImport::xmlEmbeddedObjectsAtTheirOffsets()
{
    // Offsets count each earlier object as one character; the emoji is one character too.
    const QByteArray ctd = QByteArray(R"ctd(<?xml version="1.0"?>
<cherrytree><node name="Objects" prog_lang="custom-colors">
<rich_text>😀ab
cd
ef</rich_text>
<codebox char_offset="2" frame_width="300" frame_height="100" syntax_highlighting="sh">echo &lt;hi&gt;</codebox>
<table char_offset="8" col_min="40" col_max="60"><row><cell>1</cell><cell>2</cell></row><row><cell>Head A</cell><cell>Head B</cell></row></table>
<encoded_png char_offset="10" link="webs https://pic.example">)ctd") + pngBytes().toBase64() + R"ctd(</encoded_png>
<encoded_png char_offset="12">bm90IGEgcGljdHVyZQ==</encoded_png>
<encoded_png char_offset="13" filename="report.pdf" time="0">JVBERi0=</encoded_png>
<encoded_png char_offset="14" anchor="here"></encoded_png>
</node></cherrytree>)ctd";
    ImportLog log(testEmbedder);
    const ImportedFolder root = readCherryTree(write(QStringLiteral("objects.ctd"), ctd), log);
    QCOMPARE(root.documents.size(), 1);
    const QString html = root.documents.first().html;
    const QString expected = QStringLiteral(
        "<p>😀a</p><pre>echo &lt;hi&gt;</pre><p>b</p><p>cd</p>"
        "<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\"><tr><th>Head A</th><th>Head B</th></tr>"
        "<tr><td>1</td><td>2</td></tr></table>"
        "<p>e<a href=\"https://pic.example\"><img src=\"data:image/png;base64,%1\"></a>f"
        "[picture][attached file: report.pdf]</p>")
                                 .arg(QString::fromLatin1(pngBytes().toBase64()));
    QCOMPARE(html, expected);
    QCOMPARE(reasons(log), (QStringList{QStringLiteral("note 'Objects' / picture 2: not a picture"),
                                        QStringLiteral("note 'Objects' / report.pdf: attached file not imported")}));
}

void TestCherryTreeImport::databaseTreeOrderAndObjects()
{
    // Named like the XML form: the content decides.
    const QString path = m_dir.filePath(QStringLiteral("db.ctd"));
    {
        DatabaseFile db(path);
        db.node(10, QStringLiteral("Second"), richXml(QStringLiteral("<rich_text>two</rich_text>")), 0, 2);
        db.node(11, QStringLiteral("First"),
                richXml(QStringLiteral("<rich_text weight=\"heavy\">one</rich_text><rich_text>\nend</rich_text>")), 0, 1);
        db.node(12, QStringLiteral("Kid B"), QStringLiteral("plain <text>"), 11, 2, false);
        db.node(13, QStringLiteral("Kid A"), richXml({}), 11, 1);
        db.exec(QStringLiteral("INSERT INTO codebox VALUES(11, 3, 'left', 'x = 1', 'python', 300, 100, 1, 0, 0)"), {});
        db.exec(QStringLiteral("INSERT INTO grid VALUES(11, 6, 'left', ?, 40, 60)"),
                {QStringLiteral("<table><row><cell>v</cell></row><row><cell>h</cell></row></table>")});
        db.exec(QStringLiteral("INSERT INTO image VALUES(11, 7, 'left', '', ?, '', '', 0)"), {pngBytes()});
    }
    const QStringList connectionsBefore = QSqlDatabase::connectionNames();
    ImportLog log(testEmbedder);
    const ImportedFolder root = readCherryTree(path, log);
    QCOMPARE(QSqlDatabase::connectionNames(), connectionsBefore);
    QCOMPARE(root.name, QStringLiteral("db"));
    QCOMPARE(root.documents.size(), 1);
    QCOMPARE(root.documents[0].html, QStringLiteral("<p>two</p>"));
    QCOMPARE(root.folders.size(), 1);
    const ImportedFolder &first = root.folders[0];
    QCOMPARE(first.name, QStringLiteral("First"));
    QStringList titles;
    for (const ImportedDocument &d : first.documents)
        titles << d.title;
    QCOMPARE(titles, (QStringList{QStringLiteral("First"), QStringLiteral("Kid A"), QStringLiteral("Kid B")}));
    QCOMPARE(first.documents[0].html,
             QStringLiteral("<p><b>one</b></p><pre>x = 1</pre><p>e</p><table border=\"1\" cellspacing=\"0\" "
                            "cellpadding=\"3\"><tr><th>h</th></tr><tr><td>v</td></tr></table>"
                            "<p><img src=\"data:image/png;base64,%1\">nd</p>")
                 .arg(QString::fromLatin1(pngBytes().toBase64())));
    QCOMPARE(first.documents[2].html, QStringLiteral("<pre>plain &lt;text&gt;</pre>"));
    QVERIFY(log.skipped().isEmpty());
}

void TestCherryTreeImport::databaseDamageIsContained()
{
    const QString path = m_dir.filePath(QStringLiteral("damaged.ctb"));
    {
        DatabaseFile db(path);
        db.node(1, QStringLiteral("Good"), richXml(QStringLiteral("<rich_text>fine</rich_text>")), 0, 1);
        db.node(2, QStringLiteral("Broken"), QStringLiteral("<node><rich_text>kept part</rich_text><rich_text>lo"), 0, 2);
        db.node(3, QStringLiteral("Loop A"), richXml({}), 4, 1);
        db.node(4, QStringLiteral("Loop B"), richXml({}), 3, 1);
        db.node(5, QStringLiteral("Orphan"), richXml({}), 999, 1);
        db.node(6, QStringLiteral("Self"), richXml({}), 6, 1);
        db.exec(QStringLiteral("INSERT INTO children VALUES(77, 1, 5)"), {}); // listed, never stored
        db.exec(QStringLiteral("INSERT INTO image VALUES(1, 4, '', '', ?, '', '', 0)"), {QByteArray("junk")});
        db.exec(QStringLiteral("UPDATE node SET txt = '<node><rich_text>' WHERE node_id = 6"), {});
    }
    ImportLog log(testEmbedder);
    const ImportedFolder root = readCherryTree(path, log);
    QStringList titles;
    for (const ImportedDocument &d : root.documents)
        titles << d.title;
    for (const ImportedFolder &f : root.folders)
        titles << QStringLiteral("[%1]").arg(f.name);
    QCOMPARE(titles, (QStringList{QStringLiteral("Good"), QStringLiteral("Broken"), QStringLiteral("Orphan"),
                                  QStringLiteral("Self"), QStringLiteral("[Loop A]")}));
    QCOMPARE(findDocument(root, QStringLiteral("Good"))->html, QStringLiteral("<p>fine[picture]</p>"));
    QCOMPARE(findDocument(root, QStringLiteral("Broken"))->html, QStringLiteral("<p>kept part</p>"));
    QCOMPARE(root.folders[0].documents.size(), 2); // Loop A holding Loop B, each once
    const QStringList r = reasons(log);
    QVERIFY2(r.contains(QStringLiteral("note 'Good' / picture 1: not a picture")), qPrintable(r.join('\n')));
    QVERIFY(r.contains(QStringLiteral("note 77: listed in the tree but missing from the file")));
    QVERIFY(r.contains(QStringLiteral("note 'Broken': its text is damaged; what could be read was kept")));
    QVERIFY(r.contains(QStringLiteral("note 'Orphan': its place in the tree is missing; it was put at the top")));
    QVERIFY(r.contains(QStringLiteral("note 'Loop A': its place in the tree is missing; it was put at the top")));
    QVERIFY(r.contains(QStringLiteral("note 'Self': its text is damaged; what could be read was kept")));
}

void TestCherryTreeImport::xmlDamageIsContained()
{
    // A file cut off in its second note keeps the first and what the second had.
    ImportLog cut(testEmbedder);
    const ImportedFolder partial = readCherryTree(
        write(QStringLiteral("cut.ctd"), "<cherrytree><node name=\"One\"><rich_text>1</rich_text></node>"
                                         "<node name=\"Two\"><rich_text>2</rich_text><rich_te"),
        cut);
    QCOMPARE(partial.documents.size(), 2);
    QCOMPARE(partial.documents[1].html, QStringLiteral("<p>2</p>"));
    QCOMPARE(cut.skipped().size(), 1);
    QCOMPARE(cut.skipped().first().item, QStringLiteral("cut.ctd"));

    // Hostile nesting neither overflows the stack nor makes folders without end.
    QByteArray deep = "<cherrytree>";
    for (int i = 0; i < 3000; ++i)
        deep += "<node name=\"n" + QByteArray::number(i) + "\"><rich_text>t</rich_text>";
    for (int i = 0; i < 3000; ++i)
        deep += "</node>";
    deep += "</cherrytree>";
    ImportLog log(testEmbedder);
    const ImportedFolder root = readCherryTree(write(QStringLiteral("deep.ctd"), deep), log);
    QCOMPARE(folderDepth(root), 101);
    QCOMPARE(log.skipped().size(), 1);
    QVERIFY(log.skipped().first().reason.contains(QLatin1String("nested too deeply")));
}

void TestCherryTreeImport::wrongSourcesFail()
{
    const QStringList connectionsBefore = QSqlDatabase::connectionNames();
    const QString noTables = m_dir.filePath(QStringLiteral("other.ctb"));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other"));
        db.setDatabaseName(noTables);
        QVERIFY(db.open());
        QSqlQuery(db).exec(QStringLiteral("CREATE TABLE notes (id INTEGER)"));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("other"));

    const QList<std::pair<QString, QString>> cases = {
        {m_dir.filePath(QStringLiteral("missing.ctb")), QStringLiteral("could not be opened")},
        {write(QStringLiteral("junk.ctb"), QByteArray("\x37\x7a\xbc\xaf\x27\x1c binary", 14)),
         QStringLiteral("not a CherryTree document")},
        {write(QStringLiteral("empty.ctd"), {}), QStringLiteral("not a CherryTree document")},
        {write(QStringLiteral("html.ctd"), "<html><body>x</body></html>"), QStringLiteral("XML file, but not")},
        {write(QStringLiteral("broken.ctd"), "<cherrytree><bookmarks list=\"1\"><"), QStringLiteral("damaged")},
        {noTables, QStringLiteral("has no table of notes")},
    };
    for (const auto &[path, expected] : cases) {
        ImportLog log(testEmbedder);
        try {
            readCherryTree(path, log);
            QFAIL(qPrintable(QStringLiteral("no failure for ") + path));
        } catch (const ImportFailure &failure) {
            QVERIFY2(failure.message.contains(expected), qPrintable(failure.message));
        }
    }
    QCOMPARE(QSqlDatabase::connectionNames(), connectionsBefore);
}

QTEST_MAIN(TestCherryTreeImport)
#include "test_cherrytreeimport.moc"
