#include "editor/htmleditor.h"

#include "editor/boundedtextedit.h"
#include "editor/findtextdialog.h"
#include "editor/htmlfontsize.h"
#include "editor/htmlnesting.h"
#include "editor/safetextdocument.h"
#include "editor/selectionformat.h"
#include "editor/spellhighlighter.h"
#include "editor/tablebudget.h"
#include "editor/textformatter.h"
#include "widgets/colourscheme.h"
#include "widgets/prompts.h"

#include <QFontInfo>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QTextEdit>
#include <QVBoxLayout>

namespace folio {

namespace {

// Unformatted text is HTML size 3.
constexpr qreal DocumentPointSize = 12;

// Only links to web pages and mail addresses open; file:, javascript: and
// every other scheme a stored document might carry are ignored.
bool isOpenableLink(const QUrl &url)
{
    if (!url.isValid())
        return false;
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("mailto"))
        return !url.path().isEmpty();
    return (scheme == QLatin1String("http") || scheme == QLatin1String("https")) && !url.host().isEmpty();
}

bool isEditingCommand(int id)
{
    using namespace EditCommand;
    switch (id) {
    case Bold: case Cut: case Font: case Italic: case JustifyCenter: case JustifyLeft:
    case JustifyRight: case Paste: case SetFontName: case SetFontSize: case SetForeColor:
    case Underline: case Undo: case UnorderList:
        return true;
    default:
        return false;
    }
}

bool isKnownCommand(int id)
{
    using namespace EditCommand;
    return isEditingCommand(id) || id == Copy || id == FindText || id == SelectAll || id == GetFontName
        || id == GetFontSize;
}

Qt::Alignment alignmentFor(int id)
{
    switch (id) {
    case EditCommand::JustifyCenter:
        return Qt::AlignHCenter;
    case EditCommand::JustifyRight:
        return Qt::AlignRight;
    default:
        return Qt::AlignLeft;
    }
}

int stateOf(Coverage coverage)
{
    switch (coverage) {
    case Coverage::All:
        return CommandState::Latched;
    case Coverage::Partial:
        return CommandState::Ninched;
    default:
        return CommandState::Enabled;
    }
}

} // namespace

HtmlEditor::HtmlEditor(QWidget *parent)
    : QWidget(parent)
    , m_edit(new BoundedTextEdit(this))
    , m_document(new SafeTextDocument(m_edit))
    , m_formatter(std::make_unique<TextFormatter>(*m_edit))
    , m_urlOpener(Prompts::desktop().urls)
    , m_printer(Prompts::desktop().printer)
    , m_fontChooser(Prompts::desktop().font)
{
    setObjectName(QStringLiteral("DHTMLEdit1"));
    setToolTip(QStringLiteral("Browser/Editor Area"));
    m_edit->setObjectName(QStringLiteral("DHTMLEdit1Text"));
    m_edit->setDocument(m_document);
    QFont font = m_edit->font();
    // The family the font resolves to, not an alias such as "Sans Serif":
    // the HTML names it, and a browser that opens an exported document
    // knows only real family names.
    font.setFamily(QFontInfo(font).family());
    font.setPointSizeF(DocumentPointSize);
    m_edit->setFont(font); // also the document's default font
    // A document keeps its own colours on white paper, also in a dark window.
    keepPaperColours(m_edit);
    setFocusProxy(m_edit);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_edit);

    m_edit->installEventFilter(this);
    m_edit->viewport()->installEventFilter(this);
    connect(m_edit, &QTextEdit::cursorPositionChanged, this, &HtmlEditor::noteCaretActivity);
    connect(m_edit, &QTextEdit::selectionChanged, this, &HtmlEditor::noteCaretActivity);
    connect(m_edit, &QTextEdit::currentCharFormatChanged, this, &HtmlEditor::noteCaretActivity);
    connect(m_document, &QTextDocument::modificationChanged, this, &HtmlEditor::reportModification);
    connect(static_cast<BoundedTextEdit *>(m_edit), &BoundedTextEdit::pictureRefused, this,
            &HtmlEditor::pictureRefused);
    static_cast<BoundedTextEdit *>(m_edit)->setTextMenu([this](const QPoint &point) { return textMenu(point); });
    setBrowseMode(true);
    m_lastCaret = caretState();
}

HtmlEditor::~HtmlEditor() = default;

QString HtmlEditor::documentHtml() const
{
    return m_document->restorePictures(m_edit->toHtml());
}

// The text engine's parser slows down with the square of the nesting depth,
// its table layout doubles with every table inside a table and is slow with
// much text in tables at all; no real document nests anywhere near the
// element bound, and tables are flattened only where their text would take
// too long to lay out.
QString HtmlEditor::boundedHtml(const QString &html)
{
    return capElementNesting(html, MaxElementNesting, tableNestingWithinBudget(html, MaxTableNesting));
}

void HtmlEditor::setDocumentHtml(const QString &html)
{
    ++m_quiet;
    m_loading = true;
    m_document->clearImageCache();
    m_edit->setHtml(boundedHtml(m_document->stashPictures(html)));
    m_loading = false;
    --m_quiet;
    reportModification();
    announceDisplayChange();
    Q_EMIT documentComplete();
}

void HtmlEditor::setBrowseMode(bool browse)
{
    m_browseMode = browse;
    m_edit->setReadOnly(browse);
    m_edit->setTextInteractionFlags(browse ? Qt::TextBrowserInteraction : Qt::TextEditorInteraction);
    if (m_spelling)
        m_spelling->setActive(!browse);
}

void HtmlEditor::setSaveFilePrompt(std::shared_ptr<SaveFilePrompt> prompt)
{
    static_cast<BoundedTextEdit *>(m_edit)->setSaveFilePrompt(std::move(prompt));
}

bool HtmlEditor::insertPictureFile(const QString &path)
{
    if (m_browseMode)
        return false;
    return static_cast<BoundedTextEdit *>(m_edit)->insertPictureFile(path);
}

void HtmlEditor::markModified()
{
    m_document->setModified(true);
}

bool HtmlEditor::isModified() const
{
    return m_document->isModified();
}

QVariant HtmlEditor::execCommand(int id, int option, const QVariant &argument)
{
    if (id == EditCommand::GetFontName)
        return selectionFormat().fontFamily().value_or(QString());
    if (id == EditCommand::GetFontSize)
        return selectionFormat().htmlFontSize().value_or(0);
    if (!isAvailable(id))
        return false;
    ++m_quiet;
    const bool done = runCommand(id, option, argument);
    --m_quiet;
    if (done && isEditingCommand(id))
        announceDisplayChange(); // the selection's format may change where the caret's does not
    else
        noteCaretActivity();
    return done;
}

int HtmlEditor::queryStatus(int id) const
{
    // One font (or size) over the whole selection is "latched", several
    // are "mixed".
    if (id == EditCommand::GetFontName)
        return selectionFormat().fontFamily() ? CommandState::Latched : CommandState::Ninched;
    if (id == EditCommand::GetFontSize)
        return selectionFormat().htmlFontSize() ? CommandState::Latched : CommandState::Ninched;
    if (!isKnownCommand(id))
        return CommandState::NotSupported;
    if (!isAvailable(id))
        return CommandState::Disabled;
    return latchState(id);
}

PrintOutcome HtmlEditor::printDocument()
{
    if (!m_printer)
        return PrintOutcome::Cancelled;
    const PrintOutcome outcome = m_printer->print(*m_document, this);
    if (outcome == PrintOutcome::Failed)
        Q_EMIT printFailed();
    return outcome;
}

void HtmlEditor::setUrlOpener(std::shared_ptr<UrlOpener> opener)
{
    m_urlOpener = std::move(opener);
}

void HtmlEditor::setDocumentPrinter(std::shared_ptr<DocumentPrinter> printer)
{
    m_printer = std::move(printer);
}

void HtmlEditor::setFontChooser(std::shared_ptr<FontChooser> chooser)
{
    m_fontChooser = std::move(chooser);
}

SelectionFormat HtmlEditor::selectionFormat() const
{
    return SelectionFormat(m_edit->textCursor(), m_edit->currentCharFormat(), m_document->defaultFont());
}

bool HtmlEditor::isAvailable(int id) const
{
    using namespace EditCommand;
    const bool hasSelection = m_edit->textCursor().hasSelection();
    if (id == Copy)
        return hasSelection;
    if (id == FindText || id == SelectAll)
        return true;
    if (!isEditingCommand(id) || m_browseMode)
        return false;
    switch (id) {
    case Cut:
        return hasSelection;
    case Paste:
        return m_edit->canPaste();
    case Undo:
        return m_document->isUndoAvailable();
    default:
        return true;
    }
}

int HtmlEditor::latchState(int id) const
{
    using namespace EditCommand;
    const SelectionFormat format = selectionFormat();
    switch (id) {
    case Bold:
        return stateOf(format.bold());
    case Italic:
        return stateOf(format.italic());
    case Underline:
        return stateOf(format.underline());
    case UnorderList:
        return stateOf(format.bulleted());
    case JustifyLeft: case JustifyCenter: case JustifyRight:
        return stateOf(format.alignment(alignmentFor(id)));
    default:
        return CommandState::Enabled;
    }
}

bool HtmlEditor::runCommand(int id, int option, const QVariant &argument)
{
    using namespace EditCommand;
    switch (id) {
    case Copy:
        m_edit->copy();
        return true;
    case Cut:
        m_edit->cut();
        return true;
    case Paste:
        m_edit->paste();
        return true;
    case Undo:
        m_edit->undo();
        return true;
    case SelectAll:
        m_edit->selectAll();
        return true;
    case FindText:
        showFindDialog(argument);
        return true;
    case Font:
        // The command is the font dialog; without it there is nothing to do.
        return option != CommandOption::DontPromptUser && chooseFont();
    default:
        return runFormatCommand(id, argument);
    }
}

bool HtmlEditor::runFormatCommand(int id, const QVariant &argument)
{
    using namespace EditCommand;
    const SelectionFormat format = selectionFormat();
    switch (id) {
    case Bold:
        m_formatter->setBold(format.bold() != Coverage::All);
        return true;
    case Italic:
        m_formatter->setItalic(format.italic() != Coverage::All);
        return true;
    case Underline:
        m_formatter->setUnderline(format.underline() != Coverage::All);
        return true;
    case UnorderList:
        m_formatter->setBulleted(format.bulleted() != Coverage::All);
        return true;
    case JustifyLeft: case JustifyCenter: case JustifyRight:
        m_formatter->setAlignment(alignmentFor(id));
        return true;
    case SetFontName:
        return setFontName(argument);
    case SetFontSize:
        return setFontSize(argument);
    case SetForeColor:
        return setForeColor(argument);
    default:
        return false;
    }
}

bool HtmlEditor::setFontName(const QVariant &argument)
{
    const QString family = argument.toString().trimmed();
    if (family.isEmpty())
        return false;
    m_formatter->setFontFamily(family);
    return true;
}

bool HtmlEditor::setFontSize(const QVariant &argument)
{
    bool isNumber = false;
    const qreal points = pointSizeForHtmlSize(argument.toInt(&isNumber));
    if (!isNumber || points <= 0)
        return false;
    m_formatter->setPointSize(points);
    return true;
}

bool HtmlEditor::setForeColor(const QVariant &argument)
{
    static const QRegularExpression rgb(QStringLiteral("^#[0-9A-Fa-f]{6}$"));
    const QString text = argument.toString();
    if (!rgb.match(text).hasMatch())
        return false;
    m_formatter->setForeground(QColor(text));
    return true;
}

bool HtmlEditor::chooseFont()
{
    if (!m_fontChooser)
        return false;
    const QFont current = m_edit->currentCharFormat().font().resolve(m_document->defaultFont());
    const std::optional<QFont> chosen = m_fontChooser->chooseFont(current, this);
    if (!chosen)
        return false;
    m_formatter->setFont(*chosen);
    return true;
}

void HtmlEditor::showFindDialog(const QVariant &argument)
{
    if (!m_findDialog)
        m_findDialog = new FindTextDialog(*m_edit, this);
    if (!argument.toString().isEmpty())
        m_findDialog->setSearchText(argument.toString());
    m_findDialog->show();
    m_findDialog->raise();
    m_findDialog->activateWindow();
}

bool HtmlEditor::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_edit) {
        if (event->type() == QEvent::ShortcutOverride) {
            // Ctrl+P and Ctrl+F belong to the control while it has the focus,
            // even when a window around it has a shortcut on the same keys.
            const auto *key = static_cast<QKeyEvent *>(event);
            if (key->matches(QKeySequence::Print) || key->matches(QKeySequence::Find)) {
                event->accept();
                return true;
            }
        }
        if (event->type() == QEvent::KeyPress)
            return handleKeyPress(static_cast<QKeyEvent *>(event));
    } else if (watched == m_edit->viewport()) {
        if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease)
            handleMouse(static_cast<QMouseEvent *>(event));
    }
    return QWidget::eventFilter(watched, event);
}

bool HtmlEditor::handleKeyPress(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Print)) {
        printDocument();
        return true;
    }
    if (event->matches(QKeySequence::Find)) {
        execCommand(EditCommand::FindText);
        return true;
    }
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (m_browseMode && enter) {
        // A link reached with Tab is selected; Enter follows it.
        const QTextCursor cursor = m_edit->textCursor();
        if (cursor.hasSelection() && cursor.charFormat().isAnchor()) {
            openLink(cursor.charFormat().anchorHref());
            return true;
        }
    }
    return false;
}

void HtmlEditor::handleMouse(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const QString anchor = m_edit->anchorAt(event->position().toPoint());
    if (event->type() == QEvent::MouseButtonPress) {
        m_pressedAnchor = anchor;
        return;
    }
    // A press and release on the same link, without selecting text, is a
    // click on the link.
    const bool followLink = m_browseMode && !anchor.isEmpty() && anchor == m_pressedAnchor
        && !m_edit->textCursor().hasSelection();
    m_pressedAnchor.clear();
    Q_EMIT clicked();
    if (followLink)
        openLink(anchor);
}

void HtmlEditor::openLink(const QString &href)
{
    const QUrl url(href.trimmed());
    if (m_urlOpener && isOpenableLink(url))
        m_urlOpener->openUrl(url);
}

HtmlEditor::CaretState HtmlEditor::caretState() const
{
    const QTextCursor cursor = m_edit->textCursor();
    return {cursor.position(), cursor.anchor(), m_edit->currentCharFormat()};
}

void HtmlEditor::noteCaretActivity()
{
    if (m_quiet > 0)
        return;
    const CaretState state = caretState();
    if (state == m_lastCaret)
        return;
    m_lastCaret = state;
    Q_EMIT displayChanged();
}

void HtmlEditor::reportModification()
{
    // Loading passes through "modified" on its way to "unmodified"; only
    // the outcome is news.
    if (m_loading || m_document->isModified() == m_reportedModified)
        return;
    m_reportedModified = m_document->isModified();
    Q_EMIT modificationChanged(m_reportedModified);
}

void HtmlEditor::announceDisplayChange()
{
    m_lastCaret = caretState();
    Q_EMIT displayChanged();
}

} // namespace folio
