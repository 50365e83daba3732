#include "editor/formattingcontroller.h"

#include "editor/findtextdialog.h"
#include "editor/htmlcolor.h"
#include "editor/htmlfontsize.h"
#include "editor/textformatter.h"
#include "widgets/prompts.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QTextEdit>

namespace folio {

namespace {

struct ActionEntry
{
    TextCommand command;
    const char *key;  // the objectName: the toolbar key that shows the action
    const char *text; // also the tool tip
};

const ActionEntry actionTable[] = {
    {TextCommand::Copy, "Copy", "Copy"},
    {TextCommand::Cut, "Cut", "Cut"},
    {TextCommand::Paste, "Paste", "Paste"},
    {TextCommand::SelectAll, "SelectAll", "Select All"},
    {TextCommand::Undo, "Undo", "Undo"},
    {TextCommand::Find, "Find", "Find text"},
    {TextCommand::FontDialog, "FontDialog", "Font"},
    {TextCommand::Color, "Color", "Fore Color"},
    {TextCommand::Bold, "Bold", "Bold"},
    {TextCommand::Italic, "Italic", "Italic"},
    {TextCommand::Underline, "Underline", "Underline"},
    {TextCommand::Bullets, "Bullets", "Bullets"},
    {TextCommand::AlignLeft, "LeftJustify", "Left Justify"},
    {TextCommand::AlignCenter, "Center", "Center"},
    {TextCommand::AlignRight, "RightJustify", "Right Justify"},
};

bool isToggle(TextCommand command)
{
    return command >= TextCommand::Bold;
}

bool isAlignment(TextCommand command)
{
    return command >= TextCommand::AlignLeft;
}

// Copying, finding and selecting leave the text as it is, so browse mode
// allows them.
bool changesText(TextCommand command)
{
    return command != TextCommand::Copy && command != TextCommand::Find && command != TextCommand::SelectAll;
}

Qt::Alignment alignmentOf(TextCommand command)
{
    switch (command) {
    case TextCommand::AlignCenter:
        return Qt::AlignHCenter;
    case TextCommand::AlignRight:
        return Qt::AlignRight;
    default:
        return Qt::AlignLeft;
    }
}

Coverage coverageIn(const SelectionFormat &format, TextCommand command)
{
    switch (command) {
    case TextCommand::Bold:
        return format.bold();
    case TextCommand::Italic:
        return format.italic();
    case TextCommand::Underline:
        return format.underline();
    case TextCommand::Bullets:
        return format.bulleted();
    case TextCommand::AlignLeft:
    case TextCommand::AlignCenter:
    case TextCommand::AlignRight:
        return format.alignment(alignmentOf(command));
    default:
        return Coverage::None;
    }
}

} // namespace

FormattingController::FormattingController(QTextEdit &edit, QWidget *owner)
    : QObject(owner)
    , m_edit(edit)
    , m_owner(owner)
    , m_formatter(std::make_unique<TextFormatter>(edit))
{
    const Prompts desktop = Prompts::desktop();
    m_fontChooser = desktop.font;
    m_colorChooser = desktop.color;
    createActions();
    connect(&m_edit, &QTextEdit::cursorPositionChanged, this, &FormattingController::noteCaretActivity);
    connect(&m_edit, &QTextEdit::selectionChanged, this, &FormattingController::noteCaretActivity);
    connect(&m_edit, &QTextEdit::currentCharFormatChanged, this, &FormattingController::noteCaretActivity);
    updateEnabled();
    updateChecks();
    m_lastCaret = caretState();
}

FormattingController::~FormattingController() = default;

void FormattingController::createActions()
{
    for (const ActionEntry &entry : actionTable) {
        auto *action = new QAction(QString::fromUtf8(entry.text), this);
        action->setObjectName(QLatin1String(entry.key));
        action->setToolTip(action->text());
        action->setCheckable(isToggle(entry.command));
        const TextCommand command = entry.command;
        connect(action, &QAction::triggered, this, [this, command] { trigger(command); });
        m_actions[std::size_t(command)] = action;
    }
}

void FormattingController::setBrowseMode(bool browse)
{
    m_browseMode = browse;
    updateEnabled();
}

void FormattingController::setFontChooser(std::shared_ptr<FontChooser> chooser)
{
    m_fontChooser = std::move(chooser);
}

void FormattingController::setColorChooser(std::shared_ptr<ColorChooser> chooser)
{
    m_colorChooser = std::move(chooser);
}

bool FormattingController::isAvailable(TextCommand command) const
{
    const bool hasSelection = m_edit.textCursor().hasSelection();
    if (command == TextCommand::Copy)
        return hasSelection;
    if (!changesText(command))
        return true;
    if (m_browseMode)
        return false;
    switch (command) {
    case TextCommand::Cut:
        return hasSelection;
    case TextCommand::Paste:
        return m_edit.canPaste();
    case TextCommand::Undo:
        return m_edit.document()->isUndoAvailable();
    default:
        return true;
    }
}

Coverage FormattingController::coverage(TextCommand command) const
{
    return isToggle(command) ? coverageIn(selectionFormat(), command) : Coverage::None;
}

std::optional<QString> FormattingController::fontFamily() const
{
    return selectionFormat().fontFamily();
}

std::optional<int> FormattingController::htmlFontSize() const
{
    return selectionFormat().htmlFontSize();
}

bool FormattingController::run(TextCommand command)
{
    if (!isAvailable(command))
        return false;
    if (command != TextCommand::Copy && m_beforeWholeText)
        m_beforeWholeText();
    return heldRun(changesText(command), [this, command] { return runNow(command); });
}

bool FormattingController::setFontFamily(const QString &family)
{
    const QString name = family.trimmed();
    if (name.isEmpty() || !isAvailable(TextCommand::FontName))
        return false;
    return heldRun(true, [this, &name] {
        m_formatter->setFontFamily(name);
        return true;
    });
}

bool FormattingController::setHtmlFontSize(int htmlSize)
{
    const qreal points = pointSizeForHtmlSize(htmlSize);
    if (points <= 0 || !isAvailable(TextCommand::FontSize))
        return false;
    return heldRun(true, [this, points] {
        m_formatter->setPointSize(points);
        return true;
    });
}

bool FormattingController::setForeColor(const QColor &color)
{
    if (!color.isValid() || !isAvailable(TextCommand::Color))
        return false;
    return heldRun(true, [this, &color] {
        m_formatter->setForeground(color);
        return true;
    });
}

void FormattingController::find(const QString &text)
{
    if (m_beforeWholeText)
        m_beforeWholeText();
    heldRun(false, [this, &text] {
        showFindDialog(text);
        return true;
    });
}

// Pressing an action is pressing its toolbar key. Paste empties the
// clipboard after pasting, so that pressing it again inserts nothing.
void FormattingController::trigger(TextCommand command)
{
    const bool done = run(command);
    if (command == TextCommand::Paste)
        QGuiApplication::clipboard()->clear();
    if (!done && isToggle(command))
        updateChecks(); // the press flipped the check, but the text kept its format
}

bool FormattingController::heldRun(bool changesText, const std::function<bool()> &work)
{
    holdDisplay();
    const bool done = work();
    // A command can change the selection's format where the caret's format
    // stays the same: a change of the text is always reported.
    releaseDisplay(done && changesText ? Report::Always : Report::IfMoved);
    return done;
}

bool FormattingController::runNow(TextCommand command)
{
    switch (command) {
    case TextCommand::Copy:
        m_edit.copy();
        return true;
    case TextCommand::Cut:
        m_edit.cut();
        return true;
    case TextCommand::Paste:
        m_edit.paste();
        return true;
    case TextCommand::SelectAll:
        m_edit.selectAll();
        return true;
    case TextCommand::Undo:
        m_edit.undo();
        return true;
    case TextCommand::Find:
        showFindDialog(QString());
        return true;
    case TextCommand::FontDialog:
        return chooseFont();
    case TextCommand::Color:
        return chooseColor();
    case TextCommand::FontName:
    case TextCommand::FontSize:
        return false; // they need a value: setFontFamily(), setHtmlFontSize()
    default:
        return runToggle(command);
    }
}

// A mixed selection is made whole; a whole one is switched off. An
// alignment is set, never switched off.
bool FormattingController::runToggle(TextCommand command)
{
    if (isAlignment(command)) {
        m_formatter->setAlignment(alignmentOf(command));
        return true;
    }
    const bool on = coverage(command) != Coverage::All;
    switch (command) {
    case TextCommand::Bold:
        m_formatter->setBold(on);
        return true;
    case TextCommand::Italic:
        m_formatter->setItalic(on);
        return true;
    case TextCommand::Underline:
        m_formatter->setUnderline(on);
        return true;
    case TextCommand::Bullets:
        m_formatter->setBulleted(on);
        return true;
    default:
        return false;
    }
}

bool FormattingController::chooseFont()
{
    if (!m_fontChooser)
        return false;
    const QFont current = m_edit.currentCharFormat().font().resolve(m_edit.document()->defaultFont());
    const std::optional<QFont> chosen = m_fontChooser->chooseFont(current, m_owner);
    if (!chosen)
        return false;
    m_formatter->setFont(*chosen);
    return true;
}

bool FormattingController::chooseColor()
{
    if (!m_colorChooser)
        return false;
    const std::optional<quint32> color = m_colorChooser->chooseColor(0, m_edit.window());
    if (!color)
        return false; // cancelled: nothing applied
    m_formatter->setForeground(QColor(colorToHtml(*color)));
    return true;
}

void FormattingController::showFindDialog(const QString &text)
{
    if (!m_findDialog)
        m_findDialog = new FindTextDialog(m_edit, m_owner);
    m_findDialog->setBeforeSearch(m_beforeWholeText);
    if (!text.isEmpty())
        m_findDialog->setSearchText(text);
    m_findDialog->show();
    m_findDialog->raise();
    m_findDialog->activateWindow();
}

void FormattingController::updateEnabled()
{
    for (const ActionEntry &entry : actionTable)
        action(entry.command)->setEnabled(!m_browseMode || !changesText(entry.command));
}

void FormattingController::updateChecks()
{
    const SelectionFormat format = selectionFormat();
    for (int i = int(TextCommand::Bold); i < TextCommandCount; ++i)
        m_actions[std::size_t(i)]->setChecked(coverageIn(format, TextCommand(i)) == Coverage::All);
}

SelectionFormat FormattingController::selectionFormat() const
{
    return SelectionFormat(m_edit.textCursor(), m_edit.currentCharFormat(), m_edit.document()->defaultFont());
}

FormattingController::CaretState FormattingController::caretState() const
{
    const QTextCursor cursor = m_edit.textCursor();
    return {cursor.position(), cursor.anchor(), m_edit.currentCharFormat()};
}

void FormattingController::releaseDisplay(Report report)
{
    --m_held;
    if (report == Report::Always)
        announce();
    else
        noteCaretActivity();
}

void FormattingController::noteCaretActivity()
{
    if (m_held > 0 || caretState() == m_lastCaret)
        return;
    announce();
}

void FormattingController::announce()
{
    m_lastCaret = caretState();
    updateChecks();
    const SelectionFormat format = selectionFormat();
    Q_EMIT fontAtCaret(format.fontFamily().value_or(QString()), format.htmlFontSize().value_or(0));
    Q_EMIT displayChanged();
}

} // namespace folio
