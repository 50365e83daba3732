// The control as the document pane sees it: its events, the modified flag,
// the find dialog, printing with Ctrl+P and the font dialog command.

#include "editortesting.h"

#include "widgets/prompts.h"

#include <QAction>
#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QVBoxLayout>

using namespace folio;
using namespace folio::test;

namespace {

class RecordingPrinter : public DocumentPrinter
{
public:
    PrintOutcome print(const QTextDocument &document, QWidget *) override
    {
        printed.append(document.toPlainText());
        return PrintOutcome::Printed;
    }
    QStringList printed;
};

class AnsweringFontChooser : public FontChooser
{
public:
    std::optional<QFont> chooseFont(const QFont &initial, QWidget *) override
    {
        offered.append(initial);
        return answer;
    }
    std::optional<QFont> answer;
    QList<QFont> offered;
};

} // namespace

class EditorInteractionTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void displayChangedFollowsSelectionAndFormat();
    void loadsCompleteAndResetTheModifiedFlag();
    void findDialogFindsAndWraps();
    void ctrlPPrintsThroughThePrinter();
    void fontCommandAsksTheChooser();
};

void EditorInteractionTest::displayChangedFollowsSelectionAndFormat()
{
    auto editor = editorWith("<p><b>bold</b> plain text</p>");
    QSignalSpy changed(editor.get(), &HtmlEditor::displayChanged);
    QVERIFY(selectText(*editor, "plain"));
    QCOMPARE(changed.count(), 1);
    QVERIFY(selectText(*editor, "plain")); // the same selection again: no change
    QCOMPARE(changed.count(), 1);

    // Moving the caret by key, and typing: one signal per keystroke.
    QVERIFY(placeCaret(*editor, "text", 0));
    changed.clear();
    QTest::keyClick(editor->textEdit(), Qt::Key_Right);
    QTest::keyClicks(editor->textEdit(), "ab");
    QCOMPARE(changed.count(), 3);

    // A command changes the selection's format though the caret stays put.
    QVERIFY(selectText(*editor, "bold plain"));
    changed.clear();
    editor->execCommand(EditCommand::Bold, CommandOption::DontPromptUser);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(editor->queryStatus(EditCommand::Bold), CommandState::Latched);

    // Queries change nothing.
    changed.clear();
    editor->execCommand(EditCommand::GetFontName);
    editor->queryStatus(EditCommand::Bold);
    QCOMPARE(changed.count(), 0);
}

void EditorInteractionTest::loadsCompleteAndResetTheModifiedFlag()
{
    auto editor = std::make_unique<HtmlEditor>();
    QSignalSpy complete(editor.get(), &HtmlEditor::documentComplete);
    QSignalSpy flag(editor.get(), &HtmlEditor::modificationChanged);
    editor->setBrowseMode(false);
    editor->setDocumentHtml("<p>some text</p>");
    QVERIFY(!editor->isModified());
    QVERIFY(selectText(*editor, "some"));
    editor->execCommand(EditCommand::Copy, CommandOption::DontPromptUser);
    QVERIFY(!editor->isModified());
    QTest::keyClicks(editor->textEdit(), "x");
    QVERIFY(editor->isModified());
    editor->setDocumentHtml("<p>other</p>");
    QVERIFY(!editor->isModified());
    editor->execCommand(EditCommand::SelectAll);
    editor->execCommand(EditCommand::Underline, CommandOption::DontPromptUser);
    QVERIFY(editor->isModified());
    QCOMPARE(flag.count(), 3);
    editor->setDocumentHtml(QString());
    QCOMPARE(plainText(*editor), QString());
    QCOMPARE(complete.count(), 3);
}

void EditorInteractionTest::findDialogFindsAndWraps()
{
    auto editor = editorWith("<p>alpha beta</p><p>gamma Beta</p><p>beta end</p>", true);
    QVERIFY(placeCaret(*editor, "gamma", 0));
    QTest::keyClick(editor->textEdit(), Qt::Key_F, Qt::ControlModifier);  // the keyboard way in
    QDialog *dialog = editor->findChild<QDialog *>("frmFindText");
    QVERIFY(dialog && dialog->isVisible() && !dialog->isModal());
    auto *text = dialog->findChild<QLineEdit *>("txtFindText");
    auto *findNext = dialog->findChild<QPushButton *>("cmdFindNext");
    auto *status = dialog->findChild<QLabel *>("lblFindStatus");
    QVERIFY(text && findNext && status && !findNext->isEnabled());
    auto selectionStart = [&] { return editor->textEdit()->textCursor().selectionStart(); };

    QTest::keyClicks(text, "beta");
    QTest::mouseClick(findNext, Qt::LeftButton);
    QCOMPARE(editor->textEdit()->textCursor().selectedText(), QStringLiteral("Beta"));
    QTest::keyClick(text, Qt::Key_Return); // Find Next is the default button
    QCOMPARE(selectionStart(), plainText(*editor).indexOf("beta end"));
    QVERIFY(status->text().isEmpty());
    QTest::mouseClick(findNext, Qt::LeftButton);
    QCOMPARE(selectionStart(), plainText(*editor).indexOf("beta"));
    QVERIFY(status->text().contains("top"));

    dialog->findChild<QCheckBox *>("chkMatchCase")->setChecked(true);
    editor->execCommand(EditCommand::FindText, CommandOption::Default, "Beta"); // the same dialog again
    QCOMPARE(editor->findChildren<QDialog *>("frmFindText").size(), 1);
    QTest::mouseClick(findNext, Qt::LeftButton);
    QCOMPARE(selectionStart(), plainText(*editor).indexOf("Beta"));
    text->setText("delta");
    QTest::mouseClick(findNext, Qt::LeftButton);
    QCOMPARE(selectionStart(), plainText(*editor).indexOf("Beta"));
    QVERIFY(status->text().contains("delta"));
}

void EditorInteractionTest::ctrlPPrintsThroughThePrinter()
{
    // A window with its own Ctrl+P shortcut around the control.
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    auto *editor = new HtmlEditor(&window);
    layout->addWidget(editor);
    auto *windowPrint = new QAction(&window);
    windowPrint->setShortcut(QKeySequence::Print);
    window.addAction(windowPrint);
    QSignalSpy windowPrinted(windowPrint, &QAction::triggered);
    auto printer = std::make_shared<RecordingPrinter>();
    editor->setDocumentPrinter(printer);
    editor->setDocumentHtml("<p>to paper</p>");
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));

    editor->setFocus();
    QVERIFY(editor->textEdit()->hasFocus());
    QTest::keyClick(editor->textEdit(), Qt::Key_P, Qt::ControlModifier);
    editor->setBrowseMode(false);
    QTest::keyClick(editor->textEdit(), Qt::Key_P, Qt::ControlModifier);
    QCOMPARE(printer->printed, QStringList({"to paper", "to paper"}));
    QCOMPARE(windowPrinted.count(), 0);
    QCOMPARE(plainText(*editor), QStringLiteral("to paper"));
}

void EditorInteractionTest::fontCommandAsksTheChooser()
{
    auto editor = editorWith("<p>plain words</p>");
    auto chooser = std::make_shared<AnsweringFontChooser>();
    editor->setFontChooser(chooser);
    QVERIFY(selectText(*editor, "words"));
    const QString before = editor->documentHtml();

    QCOMPARE(editor->execCommand(EditCommand::Font, CommandOption::PromptUser), QVariant(false));
    QCOMPARE(editor->execCommand(EditCommand::Font, CommandOption::DontPromptUser), QVariant(false));
    QCOMPARE(chooser->offered.size(), 1);
    QCOMPARE(chooser->offered.first().pointSizeF(), 12.0);
    QCOMPARE(editor->documentHtml(), before);

    QFont chosen("Courier");
    chosen.setPointSize(24);
    chosen.setItalic(true);
    chooser->answer = chosen;
    QVERIFY(editor->execCommand(EditCommand::Font, CommandOption::PromptUser).toBool());
    QCOMPARE(editor->execCommand(EditCommand::GetFontName).toString(), QStringLiteral("Courier"));
    QCOMPARE(editor->execCommand(EditCommand::GetFontSize).toInt(), 6);
    QCOMPARE(editor->queryStatus(EditCommand::Italic), CommandState::Latched);
    QCOMPARE(editor->queryStatus(EditCommand::Bold), CommandState::Enabled);
    QVERIFY(selectText(*editor, "plain"));
    QCOMPARE(editor->queryStatus(EditCommand::Italic), CommandState::Enabled);
}

QTEST_MAIN(EditorInteractionTest)
#include "test_editor_interaction.moc"
