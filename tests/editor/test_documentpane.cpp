// The document pane in the real main window: new, revise, save and cancel
// with their refusals, the title rule, the formatting bar, the font boxes,
// failures that keep the user's text, and closing with unsaved changes.

#include "doclist/documentlist.h"
#include "editor/documentpane.h"
#include "editor/fontboxes.h"
#include "editor/formattingbar.h"
#include "editor/htmlcolor.h"
#include "editor/htmleditor.h"
#include "editor/titlebox.h"
#include "session/appstate.h"
#include "support/testsupport.h"
#include "tree/foldertree.h"
#include "widgets/commands.h"
#include "widgets/messageboard.h"
#include "widgets/prompts.h"

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>
#include <QTimer>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QTextList>
#include <QToolBar>

using namespace folio;
using folio::test::BoardRobot;
using folio::test::ProgramFolder;

namespace {

class FixedColor : public ColorChooser
{
public:
    std::optional<quint32> color;
    std::optional<quint32> chooseColor(quint32, QWidget *) override { return color; }
};

} // namespace

class TestDocumentPane : public QObject
{
    Q_OBJECT

    ProgramFolder *m_folder = nullptr;
    std::unique_ptr<MainWindow> m_window;
    DocumentPane *m_pane = nullptr;

    void trigger(const char *key)
    {
        auto *a = m_window->findChild<QAction *>(QLatin1String(key));
        QVERIFY2(a, key);
        a->trigger();
    }
    QTextEdit *text() { return m_pane->editor()->textEdit(); }
    int rows(const QString &where = QStringLiteral("1"))
    {
        QSqlQuery q(m_window->database().connection());
        q.exec(QStringLiteral("SELECT count(*) FROM DocTable WHERE ") + where);
        return q.next() ? q.value(0).toInt() : -1;
    }
    QString stored(DocNum num, const char *column)
    {
        QSqlQuery q(m_window->database().connection());
        q.prepare(QStringLiteral("SELECT %1 FROM DocTable WHERE DocNum = ?").arg(QLatin1String(column)));
        q.addBindValue(num);
        q.exec();
        return q.next() ? q.value(0).toString() : QString();
    }
    void selectFolder(DirNum num)
    {
        FolderTree &tree = m_window->folderTree();
        tree.setCurrentIndex(tree.indexForFolder(num));
        QCOMPARE(m_window->state().currentDirNum(), num);
    }
    void openDocument(DocNum num)
    {
        DocumentList &list = m_window->documentList();
        for (int i = 0; i < list.topLevelItemCount(); ++i)
            if (DocumentList::docNumOf(list.topLevelItem(i)) == num)
                QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.visualItemRect(list.topLevelItem(i)).center());
        QCOMPARE(m_window->state().currentDocNum(), num);
    }
    // The keys of the document toolbar's enabled buttons.
    QStringList documentButtonsEnabled()
    {
        auto *bar = m_window->findChild<QToolBar *>(QStringLiteral("ToolbarDoc"));
        QStringList keys;
        for (QAction *a : bar->actions())
            if (!a->isSeparator() && bar->widgetForAction(a)->isEnabled())
                keys << a->objectName();
        return keys;
    }
    void typeIntoEditor(const QString &words)
    {
        text()->setFocus();
        QTest::keyClicks(text(), words);
    }

private Q_SLOTS:
    void init()
    {
        m_folder = new ProgramFolder;
        m_folder->createDatabase();
        m_folder->execAll({
            "INSERT INTO DirTable (DirNum, DirName, Attr, Parent) VALUES (1, 'Notes', 'R', 0), (2, 'Other', 'R', 0)",
            "INSERT INTO DocTable (DocNum, DirNum, DocName, Text, ChgDate) VALUES "
            "(5, 1, 'Stored', '<p>stored <b>text</b></p>', '01-01-2020 00:00:00')",
        });
        m_window = folio::test::openWindow(*m_folder);
        QVERIFY(m_window);
        m_pane = &m_window->documentPane();
    }

    void cleanup()
    {
        if (m_window)
            m_window->state().setEditMode(EditMode::Browse);  // no question on teardown
        m_window.reset();
        delete m_folder;
    }

    void browseModeAtStart()
    {
        QCOMPARE(m_window->state().editMode(), EditMode::Browse);
        QVERIFY(m_pane->editor()->browseMode());
        QVERIFY(m_pane->titleBox()->isReadOnly());
        QVERIFY(!m_pane->saveCancelBar()->isVisible());
        QVERIFY(!m_pane->formattingBar()->isVisible());
        QVERIFY(!m_pane->fontBoxes().nameBox()->isEnabled());
        QVERIFY(m_window->documentList().isVisible());
    }

    void newDocumentRefusals()
    {
        BoardRobot robot(*m_window);
        trigger("DocAdd");
        QCOMPARE(m_window->state().editMode(), EditMode::Edit);
        // Nothing that acts on the hidden list: only adding, finding and printing stay.
        QCOMPARE(documentButtonsEnabled(), QStringList({"DocAdd", "DocFind", "DocPrt"}));
        QVERIFY(!m_window->documentList().isEnabled());
        QVERIFY(!m_window->documentList().isVisible());
        QVERIFY(m_window->findChild<QAction *>(QStringLiteral("DirAdd"))->isEnabled());

        QTest::keyClicks(m_pane->titleBox(), QStringLiteral("A title"));
        trigger("DocSave");  // no folder: the folder notice, whatever the title
        QCOMPARE(robot.lastMessage(), QStringLiteral("Please specify a folder you want to save to from Document Folder Area"));
        QCOMPARE(m_window->state().editMode(), EditMode::Edit);

        selectFolder(1);  // the tree stays usable while editing
        m_pane->titleBox()->clear();
        trigger("DocSave");
        QCOMPARE(robot.lastMessage(), QStringLiteral("Please input a document title before you save it"));
        QCOMPARE(rows(), 1);
        QCOMPARE(m_window->findChild<QLabel *>(QStringLiteral("Panel1"))->text(), QStringLiteral("IDLE"));
    }

    void titleRule()
    {
        trigger("DocAdd");
        TitleBox *title = m_pane->titleBox();
        title->setFocus();
        QTest::keyClicks(title, QString(251, QLatin1Char('t')));
        QCOMPARE(title->text().size(), 250);
        QGuiApplication::clipboard()->setText(QString(10 * 1024 * 1024, QLatin1Char('p')));
        title->clear();
        title->paste();
        QCOMPARE(title->text().size(), 250);
        title->setText(QString(300, QLatin1Char('s')));
        QCOMPARE(title->text().size(), 250);

        selectFolder(1);
        trigger("DocSave");
        QCOMPARE(m_window->state().editMode(), EditMode::Browse);
        QCOMPARE(rows(QStringLiteral("length(DocName) = 250")), 1);
    }

    void newDocumentRoundTripWithFormatting()
    {
        auto colors = std::make_shared<FixedColor>();
        colors->color = 255;  // red
        m_pane->formattingBar()->setColorChooser(colors);
        selectFolder(1);
        trigger("DocAdd");
        const QString title = QStringLiteral("It's \"quoted\" <b>not bold</b> Ωμέγα 日本語");
        m_pane->titleBox()->setText(title);
        typeIntoEditor(QStringLiteral("plain bold"));
        QTextCursor c = text()->textCursor();
        c.movePosition(QTextCursor::PreviousWord, QTextCursor::KeepAnchor);
        text()->setTextCursor(c);
        for (const char *key : {"Bold", "Italic", "Underline", "Color", "Center"})
            trigger(key);
        // The bar's keys do not show the selection's format as pressed.
        for (QAction *key : m_pane->formattingBar()->actions())
            QVERIFY2(!key->isChecked(), qPrintable(key->objectName()));
        m_pane->fontBoxes().showNameBox(10);
        Q_EMIT m_pane->fontBoxes().nameBox()->activated(1);  // Arial
        QVERIFY(!m_pane->fontBoxes().nameBox()->isVisible());
        Q_EMIT m_pane->fontBoxes().sizeBox()->activated(4);   // HTML size 5
        trigger("Bullets");

        trigger("DocSave");
        QCOMPARE(m_window->state().editMode(), EditMode::Browse);
        const DocNum num = m_window->state().currentDocNum();
        QVERIFY(num > 5);  // the pane knows the stored row
        QCOMPARE(stored(num, "DocName"), title);
        QVERIFY(QDateTime::fromString(stored(num, "ChgDate"), QStringLiteral("MM-dd-yyyy HH:mm:ss")).isValid());
        QCOMPARE(DocumentList::docNumOf(m_window->documentList().currentItem()), num);

        // Read back through the list into a fresh document.
        m_pane->editor()->setDocumentHtml(QString());
        openDocument(num);
        QCOMPARE(m_pane->titleBox()->text(), title);
        QTextCursor check(text()->document());
        check.setPosition(text()->toPlainText().indexOf(QStringLiteral("bold")) + 1);
        const QTextCharFormat f = check.charFormat();
        QVERIFY(f.fontWeight() >= QFont::Bold);
        QVERIFY(f.fontItalic());
        QVERIFY(f.fontUnderline());
        QCOMPARE(f.foreground().color(), QColor(255, 0, 0));
        QVERIFY(f.fontFamilies().toStringList().contains(QStringLiteral("Arial")));
        QCOMPARE(qRound(f.fontPointSize()), 18);
        QCOMPARE(check.blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
        QVERIFY(check.currentList());
        check.setPosition(1);
        QVERIFY(check.charFormat().fontWeight() < QFont::Bold);

        // Revising the saved document updates its row instead of adding one.
        trigger("DocChg");
        typeIntoEditor(QStringLiteral(" more"));
        trigger("DocSave");
        QCOMPARE(rows(), 2);
        QVERIFY(stored(num, "Text").contains(QStringLiteral("more")));
    }

    void reviseAndCancel()
    {
        selectFolder(1);
        trigger("DocChg");  // nothing selected in the list: nothing happens
        QCOMPARE(m_window->state().editMode(), EditMode::Browse);
        openDocument(5);
        QVERIFY(text()->toPlainText().contains(QStringLiteral("stored text")));
        trigger("DocChg");
        QCOMPARE(m_window->state().editMode(), EditMode::Edit);
        QVERIFY(!m_pane->editor()->browseMode());
        typeIntoEditor(QStringLiteral("DISCARD ME"));
        m_pane->titleBox()->setText(QStringLiteral("changed"));
        trigger("DocCancel");
        QCOMPARE(m_window->state().editMode(), EditMode::Browse);
        QVERIFY(!text()->toPlainText().contains(QStringLiteral("DISCARD ME")));
        QCOMPARE(m_pane->titleBox()->text(), QStringLiteral("Stored"));
        QCOMPARE(documentButtonsEnabled().size(), 6);
        QVERIFY(m_window->documentList().isEnabled());

        trigger("DocAdd");
        typeIntoEditor(QStringLiteral("draft"));
        trigger("DocCancel");
        QCOMPARE(m_pane->titleBox()->text(), QString());
        QCOMPARE(text()->toPlainText(), QString());
        QCOMPARE(rows(), 1);
    }

    void revisionKeepsFolderAndAcceptsEmptyTitle()
    {
        selectFolder(1);
        openDocument(5);
        trigger("DocChg");
        selectFolder(2);
        m_pane->titleBox()->clear();
        trigger("DocSave");
        QCOMPARE(m_window->state().editMode(), EditMode::Browse);
        QCOMPARE(stored(5, "DocName"), QString());
        QCOMPARE(rows(QStringLiteral("DocNum = 5 AND DirNum = 1")), 1);
    }

    void failedSaveKeepsTheWords()
    {
        BoardRobot robot(*m_window);
        selectFolder(1);
        openDocument(5);
        trigger("DocChg");
        typeIntoEditor(QStringLiteral("precious words"));
        m_folder->exec(QStringLiteral("DELETE FROM DocTable WHERE DocNum = 5"));  // deleted meanwhile
        trigger("DocSave");
        QVERIFY(robot.waitForMessages(1));
        QVERIFY2(robot.lastMessage().contains(QStringLiteral("no longer exists")), qPrintable(robot.lastMessage()));
        QCOMPARE(m_window->state().editMode(), EditMode::Edit);
        QVERIFY(text()->toPlainText().contains(QStringLiteral("precious words")));
        QCOMPARE(m_window->findChild<QLabel *>(QStringLiteral("Panel1"))->text(), QStringLiteral("IDLE"));
    }

    void clipboardKeys()
    {
        selectFolder(1);
        trigger("DocAdd");
        QGuiApplication::clipboard()->setText(QStringLiteral("pasted"));
        text()->setFocus();
        trigger("Paste");
        QCOMPARE(text()->toPlainText(), QStringLiteral("pasted"));
        QVERIFY(QGuiApplication::clipboard()->text().isEmpty());
        trigger("Paste");  // nothing left to paste
        QCOMPARE(text()->toPlainText(), QStringLiteral("pasted"));

        m_pane->editor()->setDocumentHtml(QStringLiteral("<p>first\tline</p><p>second line</p>"));
        text()->selectAll();
        trigger("ToTitle");
        QCOMPARE(m_pane->titleBox()->text(), QStringLiteral("first linesecond line"));
        QVERIFY(QGuiApplication::clipboard()->text().isEmpty());
    }

    void fontChoicesWaitForTheEditor()
    {
        // Until the editor has completed a document, a choice only hides the box.
        QVERIFY(!m_window->state().editorReady());
        FontBoxes &boxes = m_pane->fontBoxes();
        m_pane->editor()->textEdit()->setPlainText(QStringLiteral("text"));
        m_pane->editor()->textEdit()->selectAll();
        const QString before = m_pane->editor()->documentHtml();
        boxes.showSizeBox(10);
        Q_EMIT boxes.sizeBox()->activated(6);
        QVERIFY(!boxes.sizeBox()->isVisible());
        QCOMPARE(m_pane->editor()->documentHtml(), before);
        selectFolder(1);
        trigger("DocAdd");  // an empty document completes
        QVERIFY(m_window->state().editorReady());
    }

    void fontBoxesFollowTheSelection()
    {
        selectFolder(1);
        trigger("DocAdd");
        m_pane->editor()->setDocumentHtml(QStringLiteral(
            "<p><span style=\"font-family:'Arial'; font-size:18pt;\">aaa</span>"
            "<span style=\"font-family:'Verdana'; font-size:12pt;\">bbb</span></p>"));
        QTextCursor c(text()->document());
        c.setPosition(2);
        text()->setTextCursor(c);
        FontBoxes &boxes = m_pane->fontBoxes();
        QTRY_COMPARE(boxes.nameBox()->currentText(), QStringLiteral("Arial"));
        QCOMPARE(boxes.sizeBox()->currentText(), QStringLiteral("5"));
        c.setPosition(1);
        c.setPosition(5, QTextCursor::KeepAnchor);
        text()->setTextCursor(c);
        QTRY_COMPARE(boxes.nameBox()->currentText(), QString());
        QVERIFY(boxes.nameBox()->isEnabled());  // mixed: empty but enabled

        // Typed text is not applied; a box loses itself with the focus.
        trigger("Font");
        QVERIFY(boxes.nameBox()->isVisible());
        QCOMPARE(boxes.nameBox()->y(), m_pane->coolBar()->height());
        QTest::mouseClick(text()->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
        QTRY_VERIFY(!boxes.nameBox()->isVisible());
    }

    void colorToHtmlValues()
    {
        // Stored colours are blue-green-red; HTML wants red first.
        QCOMPARE(colorToHtml(0), QStringLiteral("#000000"));
        QCOMPARE(colorToHtml(0x00A0B0C0), QStringLiteral("#C0B0A0"));
    }

    void cancelledColourAppliesNothing()
    {
        auto colors = std::make_shared<FixedColor>();
        m_pane->formattingBar()->setColorChooser(colors);
        selectFolder(1);
        trigger("DocAdd");
        typeIntoEditor(QStringLiteral("word"));
        text()->selectAll();
        const QString before = m_pane->editor()->documentHtml();
        trigger("Color");
        QCOMPARE(m_pane->editor()->documentHtml(), before);
    }

    void closingWithUnsavedChangesAsks()
    {
        selectFolder(1);
        openDocument(5);
        trigger("DocChg");
        typeIntoEditor(QStringLiteral("keep this"));
        BoardRobot robot(*m_window, QStringLiteral("picYes"));
        QVERIFY(m_window->close());
        QCOMPARE(robot.messages().size(), 1);
        m_window.reset();
        QVERIFY(m_folder->value("SELECT Text FROM DocTable WHERE DocNum = 5").toString().contains("keep this"));
    }

    void commandsAskBeforeDroppingUnsavedChanges_data()
    {
        QTest::addColumn<bool>("byKey");
        QTest::newRow("Add Document, Ctrl+N") << true;
        QTest::newRow("Add Document, menu") << false;
    }

    // Add Document during an edit asks first: No drops the changes, Cancel
    // keeps editing with every word, Yes saves into the document that was
    // being revised. Revise is not offered while editing.
    void commandsAskBeforeDroppingUnsavedChanges()
    {
        QFETCH(bool, byKey);
        auto addDocument = [&] {
            if (byKey)
                QTest::keySequence(m_window.get(), QKeySequence(QStringLiteral("Ctrl+N")));
            else
                trigger("DocAdd");
        };
        auto revise = [&] {
            openDocument(5);
            trigger("DocChg");
            QCOMPARE(m_window->state().editMode(), EditMode::Edit);
        };
        selectFolder(1);
        revise();
        QVERIFY(!m_window->findChild<QAction *>(QStringLiteral("DocChg"))->isEnabled());

        // Unchanged: no question.
        BoardRobot robot(*m_window, QStringLiteral("picNo"));
        addDocument();
        QCOMPARE(m_window->state().editMode(), EditMode::Edit);
        QCOMPARE(m_pane->editedDocument(), DocNum(0));
        QCOMPARE(robot.messages().size(), 0);

        // No: the changes go, the command goes on.
        trigger("DocCancel");
        revise();
        typeIntoEditor(QStringLiteral("dropped words"));
        addDocument();
        QCOMPARE(robot.messages().size(), 1);
        QVERIFY(robot.lastMessage().contains(QStringLiteral("not saved")));
        QVERIFY(text()->toPlainText().isEmpty());
        QCOMPARE(rows(QStringLiteral("Text LIKE '%dropped words%'")), 0);

        // Cancel: nothing happens, every word stays in the edit.
        trigger("DocCancel");
        revise();
        typeIntoEditor(QStringLiteral("kept words"));
        robot.setAnswer(QStringLiteral("picCancel"));
        addDocument();
        QCOMPARE(robot.messages().size(), 2);
        QCOMPARE(m_pane->editedDocument(), DocNum(5));
        QVERIFY(text()->toPlainText().contains(QStringLiteral("kept words")));
        QCOMPARE(rows(QStringLiteral("Text LIKE '%kept words%'")), 0);

        // Yes: saved into document 5 first, then a fresh new document.
        robot.setAnswer(QStringLiteral("picYes"));
        addDocument();
        QCOMPARE(robot.messages().size(), 3);
        QCOMPARE(rows(QStringLiteral("Text LIKE '%kept words%'")), 1);
        QVERIFY(stored(5, "Text").contains(QStringLiteral("kept words")));
        QCOMPARE(m_window->state().editMode(), EditMode::Edit);
        QVERIFY(text()->toPlainText().isEmpty());
    }

    // The board may be showing a tip that nobody has answered: the question
    // about unsaved words takes its place instead of being refused (which
    // would have counted as No and dropped the words).
    void questionReachesTheUserWhileTheTipWaits()
    {
        selectFolder(1);
        openDocument(5);
        trigger("DocChg");
        typeIntoEditor(QStringLiteral("words under the tip"));
        // Only questions are answered (Yes); the tip is left waiting.
        QStringList asked;
        QTimer answerer;
        connect(&answerer, &QTimer::timeout, m_window.get(), [&] {
            auto *yes = m_window->board().findChild<QWidget *>(QStringLiteral("picYes"));
            if (m_window->board().isWaiting() && yes->isVisible()) {
                asked << m_window->board().findChild<QLabel *>(QStringLiteral("lblmessageBoard"))->text();
                folio::test::clickNamed(&m_window->board(), QStringLiteral("picYes"));
            }
        });
        answerer.start(5);
        BoardAnswer tip = BoardAnswer::Yes;
        QTimer::singleShot(0, m_window.get(), [&] {
            // Ctrl+N comes while the tip waits for OK.
            QTimer::singleShot(20, m_window.get(), [this] {
                QTest::keySequence(m_window.get(), QKeySequence(QStringLiteral("Ctrl+N")));
            });
            tip = m_window->board().inform(QStringLiteral("A tip"));
        });
        QTRY_VERIFY(asked.size() == 1 && !m_window->board().isBusy());
        QVERIFY(asked.first().contains(QStringLiteral("not saved")));
        QCOMPARE(tip, BoardAnswer::NotAsked);  // replaced, not answered
        QVERIFY(stored(5, "Text").contains(QStringLiteral("words under the tip")));
        QCOMPARE(m_pane->editedDocument(), DocNum(0));  // then the new document began
    }

    void refusedSaveStopsTheCommand()
    {
        selectFolder(1);
        trigger("DocAdd");  // no title: the save will be refused
        typeIntoEditor(QStringLiteral("untitled words"));
        BoardRobot robot(*m_window, QStringLiteral("picYes"));
        trigger("DocAdd");
        QVERIFY(robot.waitForMessages(2));  // the question, then the refusal
        QCOMPARE(robot.lastMessage(), QStringLiteral("Please input a document title before you save it"));
        QVERIFY(text()->toPlainText().contains(QStringLiteral("untitled words")));
        QCOMPARE(rows(), 1);
    }

    void refusedSaveKeepsTheWindowOpen()
    {
        trigger("DocAdd");  // no folder selected: the save will be refused
        typeIntoEditor(QStringLiteral("unsaved new text"));
        BoardRobot robot(*m_window, QStringLiteral("picYes"));
        QVERIFY(!m_window->close());
        QVERIFY(m_window->isVisible());
        QCOMPARE(robot.messages().size(), 2);  // the question, then the refusal
        QCOMPARE(robot.lastMessage(), QStringLiteral("Please specify a folder you want to save to from Document Folder Area"));
        robot.setAnswer(QStringLiteral("picNo"));
        QVERIFY(m_window->close());  // No: closes without saving
        QCOMPARE(rows(), -1);        // closed connection
    }
};

QTEST_MAIN(TestDocumentPane)
#include "test_documentpane.moc"
