#include "editor/htmleditor.h"

#include "editor/backgroundparse.h"
#include "editor/boundedtextedit.h"
#include "editor/formattingcontroller.h"
#include "editor/htmlnesting.h"
#include "editor/safetextdocument.h"
#include "editor/slicedlayout.h"
#include "editor/spellhighlighter.h"
#include "editor/tablebudget.h"
#include "widgets/colourscheme.h"
#include "widgets/prompts.h"

#include <QFontInfo>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTextEdit>
#include <QVBoxLayout>

namespace folio {

namespace {

// Unformatted text is HTML size 3.
constexpr qreal DocumentPointSize = 12;

// The first screen of a long page: its start up to the end of the first
// paragraph after `chars` characters. Only shown, never kept or edited.
QString firstScreenOf(const QString &html, qsizetype chars)
{
    const qsizetype cut = html.indexOf(QLatin1String("</p>"), chars, Qt::CaseInsensitive);
    if (cut < 0)
        return html;
    return html.left(cut + 4);
}

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

} // namespace

HtmlEditor::HtmlEditor(QWidget *parent)
    : QWidget(parent)
    , m_edit(new BoundedTextEdit(this))
    , m_document(new SafeTextDocument(m_edit))
    , m_urlOpener(Prompts::desktop().urls)
    , m_printer(Prompts::desktop().printer)
    , m_slicedLayout(new SlicedLayout(this))
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
    // Made once the text edit has its document and font: the caret it
    // starts from is the one the user sees.
    m_formatting = new FormattingController(*m_edit, this);
    m_formatting->setBeforeWholeText([this] { finishLoading(); });
    connect(m_formatting, &FormattingController::displayChanged, this, &HtmlEditor::displayChanged);
    connect(m_document, &QTextDocument::modificationChanged, this, &HtmlEditor::reportModification);
    connect(static_cast<BoundedTextEdit *>(m_edit), &BoundedTextEdit::pictureRefused, this,
            &HtmlEditor::pictureRefused);
    static_cast<BoundedTextEdit *>(m_edit)->setTextMenu([this](const QPoint &point) { return textMenu(point); });
    setBrowseMode(true);
}

HtmlEditor::~HtmlEditor()
{
    cancelLoading();
    BackgroundParse::waitForAll();
}

QString HtmlEditor::documentHtml() const
{
    // Always the whole page, never the first screen shown while it is read.
    const_cast<HtmlEditor *>(this)->finishLoading();
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
    // A page still being read for the last document never lands in this one.
    cancelLoading();
    if (m_browseMode && html.size() >= m_backgroundLoadChars) {
        const QString firstScreen = firstScreenOf(html, m_firstScreenChars);
        if (firstScreen.size() < html.size())
            return loadInBackground(html, firstScreen);
    }
    loadNow(html);
}

void HtmlEditor::loadNow(const QString &html)
{
    m_formatting->holdDisplay();
    m_loading = true;
    m_document->clearImageCache();
    m_edit->setHtml(boundedHtml(m_document->stashPictures(html)));
    m_loading = false;
    reportModification();
    m_formatting->releaseDisplay(FormattingController::Report::Always);
    Q_EMIT documentComplete();
}

// Reading a long page takes the text engine a tenth of a second and more,
// during which the window would not even paint. Its first screen is shown
// at once; the whole page is read into a document of the same kind and
// settings on a worker, and the edit is given that document when it is ready.
void HtmlEditor::loadInBackground(const QString &html, const QString &firstScreen)
{
    m_formatting->holdDisplay();
    m_loading = true;
    m_document->clearImageCache();
    m_edit->setHtml(boundedHtml(m_document->stashPictures(firstScreen)));
    m_loading = false;
    reportModification();
    m_formatting->releaseDisplay(FormattingController::Report::Always);
    m_pendingLoad = BackgroundParse::start(html, DocumentSettings::of(*m_document), this, [this] { finishLoading(); });
}

void HtmlEditor::cancelLoading()
{
    m_slicedLayout->stop();
    if (m_pendingLoad)
        m_pendingLoad->cancel();
    m_pendingLoad.reset();
}

void HtmlEditor::finishLoading()
{
    if (m_pendingLoad)
        takeParsedDocument();
}

void HtmlEditor::takeParsedDocument()
{
    std::unique_ptr<SafeTextDocument> parsed = m_pendingLoad->take();
    m_pendingLoad.reset();
    m_formatting->holdDisplay();
    m_loading = true;
    SafeTextDocument *shown = m_document;
    disconnect(shown, nullptr, this, nullptr);
    m_document = parsed.release();
    m_document->setParent(m_edit);
    m_edit->setDocument(m_document);
    connect(m_document, &QTextDocument::modificationChanged, this, &HtmlEditor::reportModification);
    // The spelling marks leave the first screen's document while it is still there.
    if (m_spelling)
        m_spelling->setActive(!m_browseMode);
    shown->deleteLater();
    m_slicedLayout->start(m_document);
    m_loading = false;
    reportModification();
    m_formatting->releaseDisplay(FormattingController::Report::Always);
    Q_EMIT documentComplete();
}

void HtmlEditor::setBrowseMode(bool browse)
{
    if (!browse)
        finishLoading();
    m_browseMode = browse;
    m_edit->setReadOnly(browse);
    m_edit->setTextInteractionFlags(browse ? Qt::TextBrowserInteraction : Qt::TextEditorInteraction);
    m_formatting->setBrowseMode(browse);
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
    finishLoading();
    m_document->setModified(true);
}

bool HtmlEditor::isModified() const
{
    return m_document->isModified();
}

PrintOutcome HtmlEditor::printDocument()
{
    if (!m_printer)
        return PrintOutcome::Cancelled;
    finishLoading();
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
    m_formatting->setFontChooser(std::move(chooser));
}

bool HtmlEditor::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_edit) {
        if (event->type() == QEvent::ShortcutOverride) {
            // Ctrl+P and Ctrl+F belong to the editor while it has the focus,
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
        m_formatting->run(TextCommand::Find);
        return true;
    }
    // Select All selects the whole page, not its first screen.
    if (event->matches(QKeySequence::SelectAll))
        finishLoading();
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

void HtmlEditor::reportModification()
{
    // Loading passes through "modified" on its way to "unmodified"; only
    // the outcome is news.
    if (m_loading || m_document->isModified() == m_reportedModified)
        return;
    m_reportedModified = m_document->isModified();
    Q_EMIT modificationChanged(m_reportedModified);
}

} // namespace folio
