// The export file: the proposed name for any title, the bytes written, the
// UTF-8 declaration, and a replacement that fails without touching the
// file it was meant to replace.

#include "storage/htmlexport.h"
#include "storage/storageerror.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace folio;

namespace {

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

} // namespace

class TestExportFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void proposedNames_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("name");
        QTest::newRow("backslash and colon") << "a\\b:c" << "a-b=c.htm";
        QTest::newRow("slash names no folder") << "either/or" << "either-or.htm";
        QTest::newRow("control characters") << QStringLiteral("tab\there\nnul") + QChar(0) << "tab here nul .htm";
        QTest::newRow("everything else kept") << "Ωμέγα 中文 *?<>|\"'" << "Ωμέγα 中文 *?<>|\"'.htm";
        QTest::newRow("empty") << "" << ".htm";
    }

    void proposedNames()
    {
        QFETCH(QString, title);
        QFETCH(QString, name);
        QCOMPARE(exportFileName(title), name);
    }

    // 250 characters of three or four bytes each do not fit in a file name.
    void longTitlesFitTheFileSystem()
    {
        const QString wide = QString(250, QChar(0x4E2D));
        const QString name = exportFileName(wide);
        QCOMPARE(name.toUtf8().size(), 83 * 3 + 4);  // as many 3-byte characters as fit, then .htm
        QVERIFY(name.size() > 4 && name.toUtf8().size() <= 255);

        QString emoji;
        for (int i = 0; i < 100; ++i)
            emoji += QString::fromUcs4(U"\U0001F600", 1);
        const QString cut = exportFileName(emoji);
        QVERIFY(cut.toUtf8().size() <= 255);
        QVERIFY(cut.endsWith(QStringLiteral(".htm")));
        QCOMPARE(QString::fromUtf8(cut.toUtf8()), cut);  // no half of a surrogate pair
        QCOMPARE((cut.size() - 4) % 2, 0);
    }

    void writesTheHtmlAndOneLineBreak()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("doc.htm"));
        const QString html = QStringLiteral("<html><head><meta charset=\"utf-8\" /></head><body><p>Ωμέγα</p></body></html>");
        writeHtmlExport(path, html);
        QCOMPARE(fileBytes(path), html.toUtf8() + '\n');

        // HTML without a declaration gets one, first in its head.
        writeHtmlExport(path, QStringLiteral("<html><head><title>t</title></head><body>ж</body></html>"));
        QCOMPARE(fileBytes(path),
                 QStringLiteral("<html><head><meta charset=\"utf-8\" /><title>t</title></head><body>ж</body></html>\n")
                     .toUtf8());
        QCOMPARE(htmlDeclaringUtf8(QStringLiteral("<p>x</p>")), QStringLiteral("<meta charset=\"utf-8\" /><p>x</p>"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("doc.htm")});
    }

    void failedReplacementLeavesNothingBehind()
    {
        QTemporaryDir dir;
        // A folder where the file should go: the rename fails after the
        // whole text was written beside it.
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("taken.htm")));
        QVERIFY_THROWS_EXCEPTION(StorageError, writeHtmlExport(dir.filePath(QStringLiteral("taken.htm")), QStringLiteral("<p/>")));
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{QStringLiteral("taken.htm")});

        // A folder that does not exist.
        try {
            writeHtmlExport(dir.filePath(QStringLiteral("missing/doc.htm")), QStringLiteral("<p/>"));
            QFAIL("writing into a missing folder succeeded");
        } catch (const StorageError &e) {
            QVERIFY2(e.userText().startsWith(QStringLiteral("Could not export the document to ")),
                     qPrintable(e.userText()));
        }
    }
};

QTEST_GUILESS_MAIN(TestExportFile)
#include "test_exportfile.moc"
