// "Import..." and "Export Folder..." through their windows on a pane
// fixture: the work runs while the commands wait, the report and the
// notices say what happened, and the tree shows the new folders.

#include "sampledata.h"
#include "session/appstate.h"
#include "support/panefixture.h"
#include "transfer/exportfolderdialog.h"
#include "transfer/importdialog.h"
#include "transfer/importreportdialog.h"
#include "transfer/transferactions.h"
#include "widgets/messageboard.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlQuery>
#include <QSignalSpy>
#include <QTest>
#include <QTreeWidget>

using namespace folio;
using folio::test::PaneFixture;
using folio::test::writeFile;

namespace {

const QStringList OneFolder = {
    "INSERT INTO DirTable (DirNum, DirName, Attr, Parent) VALUES (1, 'Home', 'R', 0), (2, 'Sub', 'D', 1)",
    "INSERT INTO DocTable (DirNum, DocName, Text) VALUES (1, 'First', '<p>one</p>'), (2, 'Second', '<p>two</p>')",
};

int count(PaneFixture &fx, const QString &sql)
{
    QSqlQuery q(fx.context().db.connection());
    q.exec(sql);
    return q.next() ? q.value(0).toInt() : -1;
}

} // namespace

class TestTransferCommands : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void importThroughTheWindowReportsWhatWasLeftOut();
    void importOfAWrongSourceSaysSoAndAddsNothing();
    void exportThroughTheWindowWritesTheSelectedFolder();
};

void TestTransferCommands::importThroughTheWindowReportsWhatWasLeftOut()
{
    PaneFixture fx(OneFolder);
    QVERIFY(fx.isOpen());
    TransferActions actions(fx.context(), &fx.host());
    QTemporaryDir source;
    QVERIFY(QDir(source.path()).mkdir("Trip"));
    writeFile(source.filePath("Trip/day one.md"), "# Day one\n\n* sun\n* **sea**\n");
    writeFile(source.filePath("plain.txt"), "line one\nline two\n\nsecond paragraph\n");
    writeFile(source.filePath("broken.md"), QByteArray("\0\1\2binary", 9));

    QSignalSpy reloaded(&fx.session(), &Session::reopened);
    actions.showImport();
    ImportDialog *dialog = actions.importDialog();
    QVERIFY(dialog && dialog->isVisible());
    QCOMPARE(dialog->objectName(), QStringLiteral("frmImport"));
    auto *importButton = dialog->findChild<QPushButton *>("cmdImport");
    QVERIFY(!importButton->isEnabled());  // nothing chosen yet
    fx.script().folderChoices << source.path();
    QTest::mouseClick(dialog->findChild<QPushButton *>("cmdBrowse"), Qt::LeftButton);
    QCOMPARE(dialog->findChild<QLineEdit *>("txtImportSource")->text(), QDir::toNativeSeparators(source.path()));
    QVERIFY(dialog->findChild<QRadioButton *>("optImportFiles")->isChecked());

    QTest::mouseClick(importButton, Qt::LeftButton);
    QVERIFY(fx.state().isBusy() || actions.reportDialog());
    QTRY_VERIFY_WITH_TIMEOUT(actions.reportDialog() && actions.reportDialog()->isVisible(), 20000);
    QVERIFY(!fx.state().isBusy());
    QCOMPARE(reloaded.count(), 1);

    ImportReportDialog *report = actions.reportDialog();
    QCOMPARE(report->objectName(), QStringLiteral("frmImportReport"));
    const QString name = "Imported " + QFileInfo(source.path()).fileName();
    QCOMPARE(report->findChild<QLabel *>("lblImportSummary")->text().section('\n', 0, 0),
             QString("Added 2 folders and 2 documents to \"%1\".").arg(name));
    auto *skipped = report->findChild<QTreeWidget *>("lstSkipped");
    QCOMPARE(skipped->topLevelItemCount(), 1);
    QCOMPARE(skipped->topLevelItem(0)->text(0), QStringLiteral("broken.md"));
    QCOMPARE(skipped->topLevelItem(0)->text(1), QStringLiteral("not a text file"));

    QCOMPARE(count(fx, QString("SELECT COUNT(*) FROM DirTable WHERE DirName = '%1' AND Attr = 'R'").arg(name)), 1);
    QCOMPARE(count(fx, "SELECT COUNT(*) FROM DocTable d JOIN DirTable f ON f.DirNum = d.DirNum "
                       "WHERE f.DirName = 'Trip' AND d.DocName = 'Day one' AND d.Text LIKE '%font-weight:700;\">sea<%'"),
             1);
    QCOMPARE(fx.state().currentDirNum(),
             DirNum(count(fx, QString("SELECT DirNum FROM DirTable WHERE DirName = '%1'").arg(name))));
    QVERIFY(!dialog->isVisible());
}

void TestTransferCommands::importOfAWrongSourceSaysSoAndAddsNothing()
{
    PaneFixture fx(OneFolder);
    TransferActions actions(fx.context(), &fx.host());
    QTemporaryDir source;
    writeFile(source.filePath("notes.enex"), "<html>not an export</html>");
    actions.showImport();
    ImportDialog *dialog = actions.importDialog();
    // A typed path that is plainly an export chooses the kind itself.
    QTest::keyClicks(dialog->findChild<QLineEdit *>("txtImportSource"), source.filePath("notes.enex"));
    QVERIFY(dialog->findChild<QRadioButton *>("optImportEvernote")->isChecked());

    folio::test::BoardRobot robot(fx.board());
    QSignalSpy ended(&actions, &TransferActions::workEnded);
    QTest::mouseClick(dialog->findChild<QPushButton *>("cmdImport"), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, 10000);
    QCOMPARE(robot.messages().size(), 1);
    QVERIFY2(robot.lastMessage().startsWith("The import failed; nothing was added.\n"), qPrintable(robot.lastMessage()));
    QCOMPARE(count(fx, "SELECT COUNT(*) FROM DirTable"), 2);
    // The window stays for another try, usable again.
    QVERIFY(dialog->isVisible());
    QVERIFY(dialog->findChild<QPushButton *>("cmdImport")->isEnabled());
    QVERIFY(!actions.reportDialog());
}

void TestTransferCommands::exportThroughTheWindowWritesTheSelectedFolder()
{
    PaneFixture fx(OneFolder);
    TransferActions actions(fx.context(), &fx.host());
    fx.state().navigateTo(2, 0);
    QTemporaryDir target;
    actions.showExportFolder();
    ExportFolderDialog *dialog = actions.exportDialog();
    QCOMPARE(dialog->findChild<QLabel *>("lblExportWhat")->text(), QStringLiteral("The folder \"Sub\" with its sub-folders."));
    dialog->findChild<QLineEdit *>("txtExportTarget")->setText(target.path());
    dialog->findChild<QRadioButton *>("optExportMarkdown")->setChecked(true);

    folio::test::BoardRobot robot(fx.board());
    QSignalSpy ended(&actions, &TransferActions::workEnded);
    QTest::mouseClick(dialog->findChild<QPushButton *>("cmdExport"), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, 10000);
    QCOMPARE(robot.messages(), QStringList{QString("Exported 1 folder and 1 document to %1.")
                                       .arg(QDir::toNativeSeparators(target.filePath("Sub")))});
    QVERIFY(QFile::exists(target.filePath("Sub/Second.md")));
    QVERIFY(QFile::exists(target.filePath("Sub/index.htm")));
    QVERIFY(!actions.exportDialog());  // closed and gone
}

QTEST_MAIN(TestTransferCommands)
#include "test_transfercommands.moc"
