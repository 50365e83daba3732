// The editing commands: what each does to the document's HTML, what
// queryStatus reports for plain, formatted and mixed selections, and how
// the control refuses commands it cannot run.

#include "editortesting.h"

#include "editor/formattingcontroller.h"

#include <QAction>

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

using namespace folio;
using namespace folio::test;
using namespace folio::EditCommand;

namespace {
const QString TwoParagraphs = QStringLiteral("<p>plain text</p><p>the word here</p>");
constexpr int NoPrompt = CommandOption::DontPromptUser;

// A command's latch state; for the font queries their value; for the
// colour command the colour of the selected text.
QVariant probe(HtmlEditor &editor, int command)
{
    if (command == GetFontName || command == GetFontSize)
        return editor.execCommand(command, NoPrompt);
    if (command == SetForeColor)
        return editor.textEdit()->currentCharFormat().foreground().color().name();
    return editor.queryStatus(command);
}
} // namespace

class EditorCommandsTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void formattingSurvivesRoundTrip_data();
    void formattingSurvivesRoundTrip();
    void togglesAndMixedSelections();
    void caretFormat();
    void fontNameAndSizeQueries();
    void refusedCommandsChangeNothing();
    void browseModeRefusesEdits();
    void undoRevertsEditsButNotTheLoad();
    void clipboardCommands();
    void actionsFollowTheCaret();
};

void EditorCommandsTest::formattingSurvivesRoundTrip_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<QVariant>("argument");
    QTest::addColumn<QString>("markup");
    QTest::addColumn<int>("probeCommand");
    QTest::addColumn<QVariant>("expected");
    const QVariant latched = CommandState::Latched;
    QTest::newRow("bold") << Bold << QVariant() << "font-weight:700" << Bold << latched;
    QTest::newRow("italic") << Italic << QVariant() << "font-style:italic" << Italic << latched;
    QTest::newRow("underline") << Underline << QVariant() << "underline" << Underline << latched;
    QTest::newRow("bullets") << UnorderList << QVariant() << "<ul" << UnorderList << latched;
    QTest::newRow("center") << JustifyCenter << QVariant() << "align=\"center\"" << JustifyCenter << latched;
    QTest::newRow("right") << JustifyRight << QVariant() << "align=\"right\"" << JustifyRight << latched;
    QTest::newRow("font") << SetFontName << QVariant("Courier") << "font-family:'Courier'" << GetFontName
                          << QVariant("Courier");
    QTest::newRow("size") << SetFontSize << QVariant(5) << "font-size:18pt" << GetFontSize << QVariant(5);
    QTest::newRow("size text") << SetFontSize << QVariant("1") << "font-size:8pt" << GetFontSize << QVariant(1);
    QTest::newRow("colour") << SetForeColor << QVariant("#FF8000") << "color:#ff8000" << SetForeColor
                            << QVariant("#ff8000");
}

void EditorCommandsTest::formattingSurvivesRoundTrip()
{
    QFETCH(int, command);
    QFETCH(QVariant, argument);
    QFETCH(QString, markup);
    QFETCH(int, probeCommand);
    QFETCH(QVariant, expected);

    auto editor = editorWith(TwoParagraphs);
    QVERIFY(selectText(*editor, "word"));
    QCOMPARE(editor->execCommand(command, NoPrompt, argument), QVariant(true));
    QCOMPARE(probe(*editor, probeCommand), expected);
    const QString html = editor->documentHtml();
    QVERIFY2(html.contains(markup), qPrintable(html));

    auto reloaded = editorWith(html);
    QVERIFY(selectText(*reloaded, "word"));
    QCOMPARE(probe(*reloaded, probeCommand), expected);
    QCOMPARE(reloaded->documentHtml(), html);
    QVERIFY(selectText(*reloaded, "plain")); // the other paragraph keeps its look
    QVERIFY(probe(*reloaded, probeCommand) != expected);
}

void EditorCommandsTest::togglesAndMixedSelections()
{
    auto editor = editorWith("<p align=\"center\"><b>bold</b> plain <i>slanted</i></p><p>second</p>"
                             "<ul><li>item</li></ul>");
    editor->execCommand(SelectAll);
    const QList<std::pair<int, int>> states = {{Bold, CommandState::Ninched}, {Italic, CommandState::Ninched},
        {Underline, CommandState::Enabled}, {JustifyCenter, CommandState::Ninched},
        {JustifyLeft, CommandState::Ninched}, {JustifyRight, CommandState::Enabled},
        {UnorderList, CommandState::Ninched}};
    for (const auto &[command, state] : states)
        QCOMPARE(editor->queryStatus(command), state);

    // A mixed selection is made whole; a second time switches it off.
    for (const int command : {Bold, Italic, Underline, UnorderList}) {
        editor->execCommand(command, NoPrompt);
        QCOMPARE(editor->queryStatus(command), CommandState::Latched);
        editor->execCommand(command, NoPrompt);
        QCOMPARE(editor->queryStatus(command), CommandState::Enabled);
    }
    const QString html = editor->documentHtml();
    QVERIFY(!html.contains("font-weight:700") && !html.contains("italic") && !html.contains("<li"));
    QCOMPARE(plainText(*editor), QStringLiteral("bold plain slanted\nsecond\nitem"));
    editor->execCommand(JustifyLeft, NoPrompt);
    QCOMPARE(editor->queryStatus(JustifyLeft), CommandState::Latched);
    QVERIFY(!editor->documentHtml().contains("center"));

    auto numbered = editorWith("<ol><li>first</li></ol>"); // not a bullet list
    QVERIFY(selectText(*numbered, "first"));
    QCOMPARE(numbered->queryStatus(UnorderList), CommandState::Enabled);
}

void EditorCommandsTest::caretFormat()
{
    auto editor = editorWith("<p><b>bold</b> plain</p>");
    QVERIFY(placeCaret(*editor, "bold", 2));
    QCOMPARE(editor->queryStatus(Bold), CommandState::Latched);
    QVERIFY(placeCaret(*editor, "plain", 2));
    QCOMPARE(editor->queryStatus(Bold), CommandState::Enabled);

    // Without a selection, a command sets the format of what is typed next.
    editor->execCommand(Italic, NoPrompt);
    QCOMPARE(editor->queryStatus(Italic), CommandState::Latched);
    QTest::keyClicks(editor->textEdit(), "XY");
    QCOMPARE(plainText(*editor), QStringLiteral("bold plXYain"));
    QVERIFY(selectText(*editor, "XY"));
    QCOMPARE(editor->queryStatus(Italic), CommandState::Latched);
    QVERIFY(selectText(*editor, "bold"));
    QCOMPARE(editor->queryStatus(Italic), CommandState::Enabled);
}

void EditorCommandsTest::fontNameAndSizeQueries()
{
    auto editor = editorWith("<p><font face=\"Arial\" size=\"2\">small</font> <font face=\"Courier\" size=\"7\">"
                             "big</font> <span style=\"font-size:14pt\">exact</span> default</p>");
    QVERIFY(selectText(*editor, "small"));
    QCOMPARE(editor->queryStatus(GetFontName), CommandState::Latched);
    QCOMPARE(editor->execCommand(GetFontName).toString(), QStringLiteral("Arial"));
    QCOMPARE(editor->queryStatus(GetFontSize), CommandState::Latched);
    QCOMPARE(editor->execCommand(GetFontSize).toInt(), 2);
    QVERIFY(placeCaret(*editor, "big", 1));
    QCOMPARE(editor->execCommand(GetFontName).toString(), QStringLiteral("Courier"));
    QCOMPARE(editor->execCommand(GetFontSize).toInt(), 7);
    QVERIFY(selectText(*editor, "exact"));
    QCOMPARE(editor->execCommand(GetFontSize).toInt(), 4);
    QVERIFY(selectText(*editor, "default"));
    QCOMPARE(editor->execCommand(GetFontSize).toInt(), 3);

    QVERIFY(selectText(*editor, "small big"));
    QCOMPARE(editor->queryStatus(GetFontName), CommandState::Ninched);
    QCOMPARE(editor->execCommand(GetFontName).toString(), QString());
    QCOMPARE(editor->queryStatus(GetFontSize), CommandState::Ninched);
    QCOMPARE(editor->execCommand(GetFontSize).toInt(), 0);

    // A new size replaces a relative one (<font size=7>) for good.
    QVERIFY(selectText(*editor, "big"));
    editor->execCommand(SetFontSize, NoPrompt, 2);
    QCOMPARE(editor->textEdit()->currentCharFormat().font().pointSizeF(), 10.0);
    auto reloaded = editorWith(editor->documentHtml());
    QVERIFY(selectText(*reloaded, "big"));
    QCOMPARE(reloaded->execCommand(GetFontSize).toInt(), 2);
}

void EditorCommandsTest::refusedCommandsChangeNothing()
{
    const QList<std::pair<int, QVariant>> refused = {{SetFontSize, 0}, {SetFontSize, 8}, {SetFontSize, "big"},
        {SetFontSize, {}}, {SetForeColor, "red"}, {SetForeColor, "#12345"}, {SetForeColor, "#1234567"},
        {SetForeColor, {}}, {SetFontName, ""}, {SetFontName, "   "}, {0, {}}, {5001, "x"}, {5099, {}}};
    auto editor = editorWith(TwoParagraphs);
    const QString before = editor->documentHtml();
    QVERIFY(selectText(*editor, "word"));
    for (const auto &[command, argument] : refused)
        QCOMPARE(editor->execCommand(command, NoPrompt, argument), QVariant(false));
    for (const int unknown : {0, 5001, 5099})
        QCOMPARE(editor->queryStatus(unknown), CommandState::NotSupported);
    QCOMPARE(editor->documentHtml(), before);
    QVERIFY(!editor->isModified());
}

void EditorCommandsTest::browseModeRefusesEdits()
{
    auto editor = editorWith(TwoParagraphs, true);
    const QString before = editor->documentHtml();
    QVERIFY(selectText(*editor, "word"));
    QGuiApplication::clipboard()->setText("pasted");
    const QList<std::pair<int, QVariant>> edits = {{Bold, {}}, {Italic, {}}, {Underline, {}}, {Cut, {}},
        {Paste, {}}, {Undo, {}}, {UnorderList, {}}, {JustifyCenter, {}}, {JustifyLeft, {}}, {JustifyRight, {}},
        {SetFontName, "Arial"}, {SetFontSize, 5}, {SetForeColor, "#FF0000"}, {Font, {}}};
    for (const auto &[command, argument] : edits) {
        QCOMPARE(editor->queryStatus(command), CommandState::Disabled);
        QCOMPARE(editor->execCommand(command, NoPrompt, argument), QVariant(false));
    }
    QTest::keyClicks(editor->textEdit(), "typed");
    QTest::keyClick(editor->textEdit(), Qt::Key_Delete);
    QCOMPARE(editor->documentHtml(), before);
    QVERIFY(!editor->isModified());

    // Reading, selecting and copying still work.
    QCOMPARE(editor->queryStatus(Copy), CommandState::Enabled);
    QCOMPARE(editor->queryStatus(SelectAll), CommandState::Enabled);
    QCOMPARE(editor->execCommand(GetFontSize).toInt(), 3);
    editor->setBrowseMode(false);
    QCOMPARE(editor->queryStatus(Bold), CommandState::Enabled);
}

void EditorCommandsTest::undoRevertsEditsButNotTheLoad()
{
    auto editor = editorWith(TwoParagraphs);
    const QString loaded = editor->documentHtml();
    QCOMPARE(editor->queryStatus(Undo), CommandState::Disabled);
    QVERIFY(placeCaret(*editor, "word", 0));
    QTest::keyClicks(editor->textEdit(), "new ");
    QVERIFY(selectText(*editor, "here"));
    editor->execCommand(Bold, NoPrompt);

    QVERIFY(editor->execCommand(Undo).toBool());
    QCOMPARE(editor->queryStatus(Bold), CommandState::Enabled);
    QVERIFY(editor->execCommand(Undo).toBool());
    QCOMPARE(editor->documentHtml(), loaded);
    QCOMPARE(editor->queryStatus(Undo), CommandState::Disabled);
}

void EditorCommandsTest::clipboardCommands()
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    auto editor = editorWith(TwoParagraphs);
    clipboard->setText("before");
    QVERIFY(placeCaret(*editor, "word", 0));
    QCOMPARE(editor->queryStatus(Copy), CommandState::Disabled);
    QCOMPARE(editor->queryStatus(Cut), CommandState::Disabled);
    QCOMPARE(editor->execCommand(Copy, NoPrompt), QVariant(false));
    QCOMPARE(clipboard->text(), QStringLiteral("before"));

    QVERIFY(selectText(*editor, "word "));
    QVERIFY(editor->execCommand(Copy, NoPrompt).toBool());
    QCOMPARE(clipboard->text(), QStringLiteral("word "));
    QVERIFY(editor->execCommand(Cut, NoPrompt).toBool());
    QCOMPARE(plainText(*editor), QStringLiteral("plain text\nthe here"));

    auto *mime = new QMimeData;
    mime->setHtml("<b>fat</b>");
    clipboard->setMimeData(mime);
    QVERIFY(placeCaret(*editor, "plain", 0));
    QVERIFY(editor->execCommand(Paste, NoPrompt).toBool());
    QVERIFY(selectText(*editor, "fatplain"));
    QVERIFY(selectText(*editor, "fat"));
    QCOMPARE(editor->queryStatus(Bold), CommandState::Latched);
    clipboard->clear();
    QCOMPARE(editor->queryStatus(Paste), CommandState::Disabled);
}

// The bold, italic and centre actions as a toolbar shows them: checked
// while the caret's text or the whole selection has the format.
void EditorCommandsTest::actionsFollowTheCaret()
{
    auto editor = editorWith("<p align=\"center\"><b>bold</b> plain <i>slanted</i></p><p>second</p>");
    FormattingController &formatting = editor->formatting();
    QAction *bold = formatting.action(TextCommand::Bold);
    QAction *italic = formatting.action(TextCommand::Italic);
    QAction *center = formatting.action(TextCommand::AlignCenter);
    const auto checks = [&] {
        return QString(bold->isChecked() ? "B" : "-") + (italic->isChecked() ? "I" : "-")
            + (center->isChecked() ? "C" : "-");
    };
    QVERIFY(placeCaret(*editor, "bold", 2));
    QCOMPARE(checks(), QStringLiteral("B-C"));
    QVERIFY(placeCaret(*editor, "slanted", 2));
    QCOMPARE(checks(), QStringLiteral("-IC"));
    QTest::keyClick(editor->textEdit(), Qt::Key_Down);
    QCOMPARE(checks(), QStringLiteral("---"));
    QVERIFY(selectText(*editor, "bold plain")); // mixed: not checked
    QCOMPARE(checks(), QStringLiteral("--C"));

    // Pressing an action formats the selection; its check follows.
    bold->trigger();
    QCOMPARE(checks(), QStringLiteral("B-C"));
    QVERIFY(placeCaret(*editor, "plain", 2));
    QCOMPARE(editor->queryStatus(Bold), CommandState::Latched);
    QVERIFY(selectText(*editor, "bold plain"));
    bold->trigger();
    QCOMPARE(checks(), QStringLiteral("--C"));
    QVERIFY(placeCaret(*editor, "bold", 2));
    QCOMPARE(checks(), QStringLiteral("--C"));
    editor->execCommand(SelectAll);
    QCOMPARE(checks(), QStringLiteral("---"));
    center->trigger();
    QCOMPARE(checks(), QStringLiteral("--C"));
    QVERIFY(placeCaret(*editor, "second", 0));
    QCOMPARE(checks(), QStringLiteral("--C"));

    // Browse mode disables what would change the text.
    editor->setBrowseMode(true);
    QVERIFY(!bold->isEnabled() && !formatting.action(TextCommand::Paste)->isEnabled());
    QVERIFY(formatting.action(TextCommand::Copy)->isEnabled());
    const QString before = editor->documentHtml();
    bold->trigger();
    QCOMPARE(editor->documentHtml(), before);
}

QTEST_MAIN(EditorCommandsTest)
#include "test_editor_commands.moc"
