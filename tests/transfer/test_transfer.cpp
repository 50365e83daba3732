// Whole folders out and back in: the files an export writes, the round trip
// through the folder-of-files import, and an import that is all or nothing.

#include "storage/htmltext.h"
#include "storage/storageerror.h"
#include "support/testsupport.h"
#include "transfer/folderexport.h"
#include "transfer/importrun.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>
#include <QUrl>

using namespace folio;
using folio::test::ProgramFolder;

namespace {

const QString Dot = QStringLiteral("data:image/png;base64,iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mP8z8BQDwAEhQGAhKmMIQAAAABJRU5ErkJggg==");

// Home (3 documents, two with the same title) > Sub > Deep; Work (one
// document with a picture); an unreachable folder that is never exported.
QStringList sampleBase()
{
    return {
        "INSERT INTO DirTable (DirNum, DirName, Attr, Parent) VALUES (1, 'Home', 'R', 0), (2, 'Sub', 'D', 1), "
        "(3, 'Deep', 'D', 2), (4, 'Work', 'R', 0), (5, 'Lost', 'X', 0)",
        "INSERT INTO DocTable (DirNum, DocName, Text, ChgDate) VALUES "
        "(1, 'Plans', '<html><head><title>old</title></head><body><p>first plan</p></body></html>', ''), "
        "(1, 'plans', '<p>second <b>plan</b></p>', ''), "
        "(1, 'a/b: c', '<p>slashes and colons</p>', ''), "
        "(2, '..', '<p>dots</p>', ''), "
        "(3, 'Deep note', '<p>deep text ümlaut 漢字</p>', ''), "
        "(4, 'Picture', '<p>see <img src=\"" + Dot + "\"></p>', ''), "
        "(5, 'Hidden', '<p>never</p>', '')",
    };
}

struct SampleBase : ProgramFolder
{
    SampleBase()
    {
        createDatabase();
        execAll(sampleBase());
    }
};

QStringList query(const ProgramFolder &folder, const QString &sql)
{
    QStringList rows;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("check"));
        db.setDatabaseName(folder.file(QStringLiteral("KB97.MDB")));
        if (!db.open())
            return {QStringLiteral("cannot open")};
        QSqlQuery q(db);
        q.exec(sql);
        while (q.next()) {
            QStringList cells;
            for (int i = 0; i < q.record().count(); ++i)
                cells << q.value(i).toString();
            rows << cells.join(QLatin1Char('|'));
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("check"));
    return rows;
}

QStringList filesBelow(const QString &root)
{
    QStringList files;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << QDir(root).relativeFilePath(it.next());
    files.sort();
    return files;
}

QString readText(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// The folder tree below `top` with each document's title and visible text.
QStringList treeDump(const ProgramFolder &folder, const QString &top)
{
    QStringList out;
    std::function<void(const QString &, const QString &)> walk = [&](const QString &num, const QString &path) {
        for (const QString &row : query(folder, QStringLiteral("SELECT DocName, Text FROM DocTable WHERE DirNum = %1 "
                                                               "ORDER BY DocName, DocNum").arg(num))) {
            const qsizetype bar = row.indexOf(QLatin1Char('|'));
            out << path + QStringLiteral(" :: ") + row.left(bar) + QStringLiteral(" = ")
                    + visibleText(row.mid(bar + 1)).simplified();
        }
        for (const QString &row : query(folder, QStringLiteral("SELECT DirNum, DirName FROM DirTable WHERE Parent = %1 "
                                                               "AND Attr = 'D' ORDER BY DirName").arg(num))) {
            const QStringList cells = row.split(QLatin1Char('|'));
            out << path + QLatin1Char('/') + cells[1];
            walk(cells[0], path + QLatin1Char('/') + cells[1]);
        }
    };
    walk(top, QString());
    return out;
}

} // namespace

class TestTransfer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void exportWritesPagesIndexesAndNames();
    void exportAsMarkdown();
    void exportOfEverythingNeverMixesIntoAnExistingFolder();
    void exportFailureAndCancelLeaveNothing();
    void roundTripKeepsTreeTitlesAndText();
    void importIsAllOrNothing();
    void twentyThousandFilesImportInFull();
};

void TestTransfer::exportWritesPagesIndexesAndNames()
{
    SampleBase folder;
    QTemporaryDir target;
    QList<int> progress;
    const ExportResult result = exportFolderTree(folder.file("KB97.MDB"), 1, target.path(), ExportFormat::Html,
                                                 nullptr, [&](int p) { progress << p; });
    QCOMPARE(result.folder, QDir(target.path()).filePath("Home"));
    QCOMPARE(result.folders, 3);
    QCOMPARE(result.documents, 5);
    QCOMPARE(progress.last(), 100);
    // Titles equal but for case get numbers; slashes and colons are mapped;
    // ".." may not name a file of its own; no temporary file is left.
    QCOMPARE(filesBelow(result.folder).join(" | "),
             QStringList({"Plans.htm", "Sub/Deep/Deep note.htm", "Sub/Deep/index.htm", "Sub/_...htm",
                          "Sub/index.htm", "a-b= c.htm", "index.htm", "plans (2).htm"})
                 .join(" | "));
    // The title is the page's own, whatever the stored page said, and the
    // file is UTF-8 with its declaration.
    const QString plans = readText(QDir(result.folder).filePath("Plans.htm"));
    QVERIFY2(plans.contains("<title>Plans</title>") || plans.contains("<title>plans</title>"), qPrintable(plans));
    QVERIFY(!plans.contains("<title>old</title>"));
    QVERIFY(readText(QDir(result.folder).filePath("Sub/Deep/Deep note.htm")).contains("ümlaut 漢字"));
    QVERIFY(readText(QDir(result.folder).filePath("Sub/Deep/Deep note.htm")).contains("charset=\"utf-8\""));
    // Every link of every index leads to a file that is there.
    QDirIterator it(result.folder, {"index.htm"}, QDir::Files, QDirIterator::Subdirectories);
    int links = 0;
    static const QRegularExpression href(QStringLiteral("href=\"([^\"]+)\""));
    while (it.hasNext()) {
        const QString index = it.next();
        auto m = href.globalMatch(readText(index));
        while (m.hasNext()) {
            const QString link = QUrl::fromPercentEncoding(m.next().captured(1).toUtf8()).replace("&amp;", "&");
            QVERIFY2(QFileInfo::exists(QFileInfo(index).dir().filePath(link)), qPrintable(link));
            ++links;
        }
    }
    QCOMPARE(links, 5 + 2);
    QVERIFY(readText(QDir(result.folder).filePath("index.htm")).contains(">a/b: c</a>"));
}

void TestTransfer::exportAsMarkdown()
{
    SampleBase folder;
    QTemporaryDir target;
    const ExportResult result = exportFolderTree(folder.file("KB97.MDB"), 4, target.path(), ExportFormat::Markdown);
    QCOMPARE(filesBelow(result.folder), QStringList({"Picture.md", "index.htm"}));
    const QString markdown = readText(QDir(result.folder).filePath("Picture.md"));
    QVERIFY2(markdown.startsWith("# Picture\n\nsee"), qPrintable(markdown.left(80)));
    QVERIFY2(markdown.contains("](data:image/png;base64,iVBOR"), qPrintable(markdown.left(80)));
    QVERIFY(readText(QDir(result.folder).filePath("index.htm")).contains("href=\"Picture.md\""));
}

void TestTransfer::exportOfEverythingNeverMixesIntoAnExistingFolder()
{
    SampleBase folder;
    QTemporaryDir target;
    QVERIFY(QDir(target.path()).mkdir(WholeBaseExportName));
    const ExportResult result = exportFolderTree(folder.file("KB97.MDB"), 0, target.path(), ExportFormat::Html);
    QCOMPARE(QFileInfo(result.folder).fileName(), WholeBaseExportName + " (2)");
    QVERIFY(QDir(QDir(target.path()).filePath(WholeBaseExportName)).isEmpty());
    QCOMPARE(result.folders, 5);  // the export's own folder, Home, Sub, Deep, Work; never the unreachable one
    QCOMPARE(result.documents, 6);
    QVERIFY(!filesBelow(result.folder).join(",").contains("Hidden"));
}

void TestTransfer::exportFailureAndCancelLeaveNothing()
{
    SampleBase folder;
    QTemporaryDir target;
    const QString notAFolder = QDir(target.path()).filePath("file");
    QFile(notAFolder).open(QIODevice::WriteOnly);
    QVERIFY_THROWS_EXCEPTION(StorageError, exportFolderTree(folder.file("KB97.MDB"), 1, notAFolder, ExportFormat::Html));
    QVERIFY_THROWS_EXCEPTION(StorageError, exportFolderTree(folder.file("KB97.MDB"), 99, target.path(), ExportFormat::Html));

    std::atomic<bool> cancel{false};
    const ExportResult result = exportFolderTree(folder.file("KB97.MDB"), 0, target.path(), ExportFormat::Html, &cancel,
                                                 [&](int) { cancel = true; });
    QVERIFY(result.cancelled);
    QCOMPARE(filesBelow(target.path()), QStringList({"file"}));
}

void TestTransfer::roundTripKeepsTreeTitlesAndText()
{
    SampleBase folder;
    QTemporaryDir target;
    const ExportResult exported = exportFolderTree(folder.file("KB97.MDB"), 1, target.path(), ExportFormat::Html);
    const QStringList waiting = query(folder, "SELECT COUNT(*) FROM DocTextPending");
    const ImportResult imported = importCollection(folder.file("KB97.MDB"), ImportKind::Files, exported.folder);
    QCOMPARE(imported.folderName, QStringLiteral("Imported Home"));
    QCOMPARE(imported.folders, 3);
    QCOMPARE(imported.documents, 5);
    QVERIFY2(imported.skipped.isEmpty(), qPrintable(imported.skipped.value(0).item + imported.skipped.value(0).reason));
    QCOMPARE(treeDump(folder, QString::number(imported.folder)), treeDump(folder, "1"));
    QCOMPARE(query(folder, QString("SELECT Attr, Parent FROM DirTable WHERE DirNum = %1").arg(imported.folder)),
             QStringList{"R|0"});
    // New rows wait for the search index like rows written by any tool.
    QCOMPARE(query(folder, "SELECT COUNT(*) FROM DocTextPending").value(0).toInt(), waiting.value(0).toInt() + 5);
}

void TestTransfer::importIsAllOrNothing()
{
    SampleBase folder;
    const QString db = folder.file("KB97.MDB");
    const QStringList before = query(folder, "SELECT COUNT(*) FROM DirTable UNION ALL SELECT COUNT(*) FROM DocTable");
    QTemporaryDir source;
    for (int i = 0; i < 30; ++i) {
        QFile f(QDir(source.path()).filePath(QString("note %1.md").arg(i)));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QString("# Note %1\n\nsome *text*\n").arg(i).toUtf8());
    }
    // Cancelled while the rows are written: none of them stays.
    std::atomic<bool> cancel{false};
    const ImportResult cancelled = importCollection(db, ImportKind::Files, source.path(), &cancel, [&](int p) {
        if (p > 85)
            cancel = true;
    });
    QVERIFY(cancelled.cancelled);
    QCOMPARE(query(folder, "SELECT COUNT(*) FROM DirTable UNION ALL SELECT COUNT(*) FROM DocTable"), before);
    // A source that is not there, or not what was chosen, changes nothing.
    QVERIFY_THROWS_EXCEPTION(ImportFailure, importCollection(db, ImportKind::Files, source.path() + "/missing"));
    QVERIFY_THROWS_EXCEPTION(ImportFailure, importCollection(db, ImportKind::Evernote, QDir(source.path()).filePath("note 1.md")));
    QVERIFY_THROWS_EXCEPTION(ImportFailure, importCollection(db, ImportKind::CherryTree, QDir(source.path()).filePath("note 1.md")));
    QCOMPARE(query(folder, "SELECT COUNT(*) FROM DirTable UNION ALL SELECT COUNT(*) FROM DocTable"), before);
    // Imported twice: the second folder gets a name of its own.
    const QString name = QFileInfo(source.path()).fileName();
    QCOMPARE(importCollection(db, ImportKind::Files, source.path()).folderName, "Imported " + name);
    const ImportResult second = importCollection(db, ImportKind::Files, source.path());
    QCOMPARE(second.folderName, "Imported " + name + " (2)");
    QCOMPARE(second.documents, 30);
    QCOMPARE(query(folder, QString("SELECT DocName FROM DocTable WHERE DirNum = %1 AND DocName = 'Note 7'").arg(second.folder)),
             QStringList{"Note 7"});
}

void TestTransfer::twentyThousandFilesImportInFull()
{
    ProgramFolder folder;
    folder.createDatabase();
    QTemporaryDir source;
    for (int f = 0; f < 20; ++f) {
        const QString sub = QDir(source.path()).filePath(QString("part %1").arg(f));
        QVERIFY(QDir().mkdir(sub));
        for (int n = 0; n < 1000; ++n) {
            QFile file(QDir(sub).filePath(QString("%1.txt").arg(n)));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("a line\n\nanother paragraph\n");
        }
    }
    const ImportResult result = importCollection(folder.file("KB97.MDB"), ImportKind::Files, source.path());
    QCOMPARE(result.documents, 20000);
    QVERIFY(result.skipped.isEmpty());
    QCOMPARE(query(folder, "SELECT COUNT(*) FROM DocTable"), QStringList{"20000"});
    QCOMPARE(query(folder, "SELECT COUNT(*) FROM DirTable WHERE Attr = 'D'"), QStringList{"20"});
    QCOMPARE(query(folder, "SELECT DocName FROM DocTable WHERE Text LIKE '%<p>a line</p>%' LIMIT 1"), QStringList{"0"});
}

QTEST_MAIN(TestTransfer)
#include "test_transfer.moc"
